#include "win/gbk_wide.h"

#include "core/gbk_text.h"

#include <windows.h>

#include <array>
#include <memory>

namespace vostrel {
namespace {

constexpr UINT kGbkCodePage = 936;
constexpr wchar_t kEscapeBase = 0xDC00;  // + the byte (0x80-0xFF): U+DC80-U+DCFF
constexpr wchar_t kNone = 0;

bool isEscape(wchar_t c) { return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF; }

// Code page 936 read once into two tables, each character's GBK code and back.
// Only codes that come back as themselves are kept: a code that Windows reads
// as the character of another code, or not at all, is escaped byte by byte.
struct GbkTables {
    std::array<wchar_t, 0x10000> fromCode{};         // code (byte, or lead << 8 | trail) -> char
    std::array<std::uint16_t, 0x10000> toCode{};     // char -> code; 0 = none

    GbkTables() {
        for (unsigned byte = 0; byte < 0x80; ++byte) {
            fromCode[byte] = static_cast<wchar_t>(byte);
            toCode[byte] = static_cast<std::uint16_t>(byte);
        }
        for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
            if (!isGbkLeadByte(static_cast<unsigned char>(byte))) learn(byte, 1);
        }
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (isGbkTrailByte(static_cast<unsigned char>(trail))) learn(lead << 8 | trail, 2);
            }
        }
    }

    void learn(unsigned code, int length) {
        char bytes[2] = {static_cast<char>(length == 2 ? code >> 8 : code), static_cast<char>(code & 0xFF)};
        wchar_t decoded[2] = {};
        if (MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, length, decoded, 2) != 1) return;
        wchar_t c = decoded[0];
        if (c == kNone || (c >= 0xD800 && c <= 0xDFFF)) return;
        if (toCode[c] != 0) {
            // A second code for one character: the one Windows writes it as wins.
            char back[2] = {};
            BOOL lossy = FALSE;
            int got = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, &c, 1, back, 2, nullptr, &lossy);
            if (got != length || lossy || back[0] != bytes[0] || (length == 2 && back[1] != bytes[1])) return;
            fromCode[toCode[c]] = kNone;
        }
        fromCode[code] = c;
        toCode[c] = static_cast<std::uint16_t>(code);
    }
};

const GbkTables& tables() {
    static const std::unique_ptr<GbkTables> made = std::make_unique<GbkTables>();
    return *made;
}

// Appends c in GBK; false when GBK has no form for it ('?' is appended).
bool appendGbk(std::string& out, const GbkTables& t, wchar_t c) {
    if (isEscape(c)) {
        out += static_cast<char>(c - kEscapeBase);
        return true;
    }
    std::uint16_t code = t.toCode[c];
    if (code == 0 && c != 0) {
        out += '?';
        return false;
    }
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    return true;
}

bool convert(std::wstring_view text, std::string& gbk, char32_t* firstMissing) {
    const GbkTables& t = tables();
    gbk.clear();
    gbk.reserve(text.size() * 2);
    bool exact = true;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF;
        if (pair) {
            // Beyond the Basic Multilingual Plane: never in GBK.
            gbk += '?';
            if (exact && firstMissing) *firstMissing = 0x10000 + ((c - 0xD800u) << 10) + (text[i + 1] - 0xDC00u);
            exact = false;
            ++i;
            continue;
        }
        if (!appendGbk(gbk, t, c)) {
            if (exact && firstMissing) *firstMissing = c;
            exact = false;
        }
    }
    return exact;
}

}  // namespace

std::wstring toWide(std::string_view gbk) {
    const GbkTables& t = tables();
    std::wstring out;
    out.reserve(gbk.size());
    for (size_t i = 0; i < gbk.size(); ++i) {
        auto byte = static_cast<unsigned char>(gbk[i]);
        if (byte < 0x80) {
            out += static_cast<wchar_t>(byte);
            continue;
        }
        if (isGbkLeadByte(byte) && i + 1 < gbk.size()) {
            auto trail = static_cast<unsigned char>(gbk[i + 1]);
            wchar_t c = isGbkTrailByte(trail) ? t.fromCode[byte << 8 | trail] : kNone;
            if (c != kNone) {
                out += c;
                ++i;
                continue;
            }
        }
        wchar_t single = isGbkLeadByte(byte) ? kNone : t.fromCode[byte];
        out += single != kNone ? single : static_cast<wchar_t>(kEscapeBase + byte);
    }
    return out;
}

std::string toGbk(std::wstring_view text) {
    std::string gbk;
    convert(text, gbk, nullptr);
    return gbk;
}

bool toGbkExactly(std::wstring_view text, std::string& gbk) { return convert(text, gbk, nullptr); }

char32_t firstCharacterOutsideGbk(std::wstring_view text) {
    std::string ignored;
    char32_t missing = 0;
    convert(text, ignored, &missing);
    return missing;
}

}  // namespace vostrel
