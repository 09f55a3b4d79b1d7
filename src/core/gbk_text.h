// GBK (code page 936) byte strings: a lead byte 0x81-0xFE starts a double-byte
// character; everything else is a single byte.
#pragma once

#include <string>
#include <string_view>

namespace vostrel {

constexpr bool isGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
// The second byte of a double-byte character: never a byte below 0x40, so never
// '/', ':' or any other character with a meaning in a path.
constexpr bool isGbkTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// Removes leading and trailing ASCII spaces and full-width spaces (A1 A1). A full
// width space is only recognised where a character starts, so the trail byte of
// one character and the lead byte of the next never count as a space.
std::string trimSpaces(std::string_view text);

// 0-based offset of the first occurrence of needle in text that begins where a
// character begins; npos when there is none. Case-sensitive, byte for byte. An
// empty needle is found at 0.
size_t findAtCharacterStart(std::string_view text, std::string_view needle, size_t from = 0);

// An address with every byte above 0x7F, every control byte and the space as %XX
// (upper-case hex); everything else, '%' included, as it is.
std::string percentEncodeHighBytes(std::string_view address);

}  // namespace vostrel
