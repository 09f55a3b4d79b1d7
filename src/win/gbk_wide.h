// GBK bytes (the library file, the update page, every "..." literal of the
// program) and UTF-16 (everything Windows holds) meet here and nowhere else.
// Both directions use code page 936 whatever the system's own code page is, so
// a Chinese text reads the same on an English, Japanese or UTF-8 Windows.
//
// The conversion is exact both ways for any bytes: a byte that is no GBK
// character (a lone lead byte, an undefined code, a code whose character has a
// second GBK form) travels as the lone surrogate U+DC80 + (byte - 0x80) and
// comes back as that byte. A library with stray bytes thus loads and saves
// unchanged; the list shows such a byte as a box.
#pragma once

#include <string>
#include <string_view>

namespace vostrel {

std::wstring toWide(std::string_view gbk);

// A character that GBK cannot hold (outside code page 936, or outside the
// Basic Multilingual Plane) becomes '?'. For texts shown or compared, never for
// texts that are stored.
std::string toGbk(std::wstring_view text);

// The same, but false when a character had no GBK form (gbk then holds the
// text with '?' in its place). Stored texts go this way, so that nothing the
// user typed is silently lost.
bool toGbkExactly(std::wstring_view text, std::string& gbk);

// The code point of the first character of text that GBK cannot hold; 0 when
// every character has a GBK form.
char32_t firstCharacterOutsideGbk(std::wstring_view text);

}  // namespace vostrel
