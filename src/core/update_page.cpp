#include "core/update_page.h"

#include "core/gbk_text.h"

#include <cctype>

namespace vostrel {

std::string textBetween(std::string_view text, std::string_view left, std::string_view right) {
    size_t at = findAtCharacterStart(text, left);
    if (at == std::string_view::npos) return {};
    std::string_view rest = text.substr(at + left.size());
    size_t end = findAtCharacterStart(rest, right);
    if (end == std::string_view::npos) return {};
    return std::string(rest.substr(0, end));
}

std::string updatePageSection(std::string_view body) {
    size_t zero = body.find('\0');
    if (zero != std::string_view::npos) body = body.substr(0, zero);
    return textBetween(body, pageText::kSectionBegin, pageText::kSectionEnd);
}

void readDecisionKeys(std::string_view section, UpdateInfo& info) {
    info.forceUpdate = textBetween(section, pageText::kForceUpdateKey, pageText::kValueEnd);
    info.promptUpdate = textBetween(section, pageText::kPromptUpdateKey, pageText::kValueEnd);
}

void readDownloadKeys(std::string_view section, UpdateInfo& info) {
    info.updateAddress = textBetween(section, pageText::kUpdateAddressKey, pageText::kValueEnd);
    info.programName = textBetween(section, pageText::kProgramNameKey, pageText::kValueEnd);
}

bool isYes(std::string_view value) { return value == pageText::kYes; }

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever extension follows.
bool isDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (equalsIgnoringCase(stem, device)) return true;
    }
    if (stem.size() == 4 && (equalsIgnoringCase(stem.substr(0, 3), "COM") || equalsIgnoringCase(stem.substr(0, 3), "LPT"))) {
        return stem[3] >= '1' && stem[3] <= '9';
    }
    return false;
}

// The same for a UTF-16 name; COM¹, COM², COM³ (and LPT) are devices too.
bool isDeviceName(std::u16string_view name) {
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
    std::string ascii;
    for (char16_t c : stem) {
        if (c == 0xB9 || c == 0xB2 || c == 0xB3) {
            ascii += '1';  // a superscript digit names the port as the digit does
        } else if (c < 0x80) {
            ascii += static_cast<char>(c);
        } else {
            return false;
        }
    }
    return isDeviceName(ascii);
}

}  // namespace

bool isPlainFileName(std::u16string_view name) {
    if (name.empty() || name.size() > 255) return false;
    if (name.back() == u'.' || name.back() == u' ') return false;
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) return false;
        switch (c) {
        case u'\\': case u'/': case u':': case u'*': case u'?': case u'"': case u'<': case u'>': case u'|':
            return false;
        }
    }
    return !isDeviceName(name);
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 255) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    size_t i = 0;
    while (i < name.size()) {
        unsigned char byte = static_cast<unsigned char>(name[i]);
        if (isGbkLeadByte(byte)) {
            // A trail byte may equal '\' or '|': it is part of the character, not a
            // separator. Any other byte after a lead byte makes no character: on a
            // system whose code page is not 936 the two are two characters, and "\x81/"
            // names a folder, "\x81:" a stream, "COM\xB9" (COM¹) a device.
            if (i + 1 >= name.size() || !isGbkTrailByte(static_cast<unsigned char>(name[i + 1]))) return false;
            i += 2;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F || byte == 0x80 || byte == 0xFF) return false;
        switch (byte) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        }
        ++i;
    }
    return !isDeviceName(name);
}

}  // namespace vostrel
