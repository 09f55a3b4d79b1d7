#include "unicode_text.h"

#include "standin_log.h"

#include <windows.h>

namespace standin {
namespace {

constexpr UINT kGbk = 936;

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The GBK bytes of one character (one UTF-16 unit or a surrogate pair), or false.
// Exact means the bytes read back as the same character: no default character and
// no best fit (a look-alike such as the katakana middle dot for GBK's own dot).
bool gbkForm(std::wstring_view character, std::string& bytes) {
    char buffer[8];
    BOOL defaulted = FALSE;
    int length = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, character.data(), static_cast<int>(character.size()),
                                     buffer, sizeof buffer, nullptr, &defaulted);
    if (length <= 0 || defaulted) return false;
    wchar_t back[4];
    int backLength = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, buffer, length, back, 4);
    if (std::wstring_view(back, static_cast<size_t>(backLength > 0 ? backLength : 0)) != character) return false;
    bytes.assign(buffer, static_cast<size_t>(length));
    return true;
}

}  // namespace

std::wstring wide(std::string_view gbk) {
    if (gbk.empty()) return {};
    int length = MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), length);
    return out;
}

std::string logText(std::wstring_view received) {
    std::string out;
    for (size_t i = 0; i < received.size();) {
        size_t units = isHighSurrogate(received[i]) && i + 1 < received.size() && isLowSurrogate(received[i + 1]) ? 2 : 1;
        std::wstring_view character = received.substr(i, units);
        std::string bytes;
        if (gbkForm(character, bytes)) {
            out += escapeLogText(bytes);
        } else {
            char32_t codePoint = units == 2 ? 0x10000 + ((character[0] - 0xD800) << 10) + (character[1] - 0xDC00)
                                            : character[0];
            out += codePointEscape(codePoint);
        }
        i += units;
    }
    return out;
}

}  // namespace standin
