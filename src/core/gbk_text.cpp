#include "core/gbk_text.h"

#include <vector>

namespace vostrel {
namespace {

// Offsets of the characters of the text, in order, and its length at the end.
std::vector<size_t> characterStarts(std::string_view text) {
    std::vector<size_t> starts;
    starts.reserve(text.size() + 1);
    size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        bool pair = isGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += pair ? 2 : 1;
    }
    starts.push_back(text.size());
    return starts;
}

bool isSpaceAt(std::string_view text, size_t at, size_t next) {
    if (next - at == 1) return text[at] == ' ';
    return next - at == 2 && static_cast<unsigned char>(text[at]) == 0xA1 &&
           static_cast<unsigned char>(text[at + 1]) == 0xA1;
}

}  // namespace

std::string trimSpaces(std::string_view text) {
    std::vector<size_t> starts = characterStarts(text);
    size_t characters = starts.size() - 1;
    size_t first = 0;
    while (first < characters && isSpaceAt(text, starts[first], starts[first + 1])) ++first;
    size_t last = characters;
    while (last > first && isSpaceAt(text, starts[last - 1], starts[last])) --last;
    return std::string(text.substr(starts[first], starts[last] - starts[first]));
}

size_t findAtCharacterStart(std::string_view text, std::string_view needle, size_t from) {
    size_t i = 0;
    while (i <= text.size()) {
        if (i >= from && text.size() - i >= needle.size() && text.compare(i, needle.size(), needle) == 0) return i;
        if (i == text.size()) break;
        bool pair = isGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += pair ? 2 : 1;
    }
    return std::string_view::npos;
}

std::string percentEncodeHighBytes(std::string_view address) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(address.size());
    for (char c : address) {
        auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

}  // namespace vostrel
