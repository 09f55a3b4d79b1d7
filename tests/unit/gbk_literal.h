// Tests are written in readable Chinese (UTF-8 source); the program speaks GBK.
// gbk("是") gives the bytes CA C7, converted with the C library's iconv.
#pragma once

#include <iconv.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace vostrel::test {

inline std::string gbk(std::string_view utf8) {
    iconv_t converter = iconv_open("GBK", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK converter");
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1)) throw std::runtime_error("not convertible to GBK");
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace vostrel::test
