// The update page comes from the network: any bytes. What the callers rely on:
// the section and the values are pieces of the page; only a key followed by the
// two bytes of 是 and "</p>" is a yes; a program name that passes the check names
// one file in the current folder on any Windows, whatever its code page; and the
// progress labels stay sane for any size a server may announce.
#include "core/gbk_text.h"
#include "core/progress_format.h"
#include "core/update_page.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

using namespace vostrel;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The result of textBetween is always a piece of the text that follows the left
// marker and contains no right marker at a character start.
void checkBetween(std::string_view text, std::string_view left, std::string_view right) {
    std::string between = textBetween(text, left, right);
    check(between.size() <= text.size());
    if (between.empty()) return;
    size_t at = findAtCharacterStart(text, left);
    check(at != std::string_view::npos);
    check(text.substr(at + left.size(), between.size()) == between);
    check(findAtCharacterStart(between, right) == std::string_view::npos || right.empty());
}

// Read without the code's pairing: a byte pair counts as one character only when
// the second byte is a GBK trail byte, which no path character ('/' ':' and the
// rest below 0x40) ever is. So the name has no such byte anywhere, and a '\' or '|'
// byte always closes a pair that a lead byte opened.
void checkNameOnAnyCodePage(std::string_view name) {
    check(!name.empty() && name != "." && name != "..");
    for (char forbidden : std::string_view("/:*?\"<>", 7)) check(name.find(forbidden) == std::string_view::npos);
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(name[i]);
        check(byte >= 0x20);
        if (byte >= 0x81 && byte <= 0xFE) {
            check(i + 1 < name.size());
            unsigned char trail = static_cast<unsigned char>(name[i + 1]);
            check((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE));
            ++i;
            continue;
        }
        check(byte != '\\' && byte != '|');
    }
}

std::int64_t int64At(const uint8_t* data, size_t size, size_t at) {
    std::int64_t value = 0;
    if (at + sizeof value <= size) std::memcpy(&value, data + at, sizeof value);
    return value;
}

void checkLabel(const std::string& label) { check(!label.empty() && label.size() < 80); }

// Sizes as the download component reports them: any 64-bit count, and the total
// as the double it is kept in.
void checkProgress(const uint8_t* data, size_t size) {
    ProgressSample sample;
    sample.totalBytes = static_cast<double>(int64At(data, size, 0));
    sample.downloadedBytes = int64At(data, size, 8);
    sample.bytesThisTransfer = int64At(data, size, 16);
    sample.bytesAllTransfers = int64At(data, size, 24);
    ProgressLabels labels = formatProgress(sample);
    check(labels.barPosition >= 0 && labels.barPosition <= 100);
    checkLabel(labels.progress);
    checkLabel(labels.speed);
    checkLabel(labels.downloaded);
    checkLabel(labels.remaining);
    checkLabel(downloadFailedText(sample.downloadedBytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view body(reinterpret_cast<const char*>(data), size);

    std::string section = updatePageSection(body);
    check(section.find('\0') == std::string::npos);
    check(section.size() <= size);

    UpdateInfo info;
    readDecisionKeys(section, info);
    readDownloadKeys(section, info);
    checkBetween(section, pageText::kForceUpdateKey, pageText::kValueEnd);
    checkBetween(section, pageText::kProgramNameKey, pageText::kValueEnd);
    if (isYes(info.forceUpdate)) {
        check(section.find(std::string(pageText::kForceUpdateKey) + "\xCA\xC7</p>") != std::string::npos);
    }
    if (isYes(info.promptUpdate)) {
        check(section.find(std::string(pageText::kPromptUpdateKey) + "\xCA\xC7</p>") != std::string::npos);
    }

    if (isPlainFileName(info.programName)) checkNameOnAnyCodePage(info.programName);
    if (isPlainFileName(body)) checkNameOnAnyCodePage(body);

    // The raw input as markers too: arbitrary lengths, lead bytes at the edges.
    if (size >= 2) {
        size_t cut = data[0] % size;
        checkBetween(body.substr(1), body.substr(1, cut / 2), body.substr(cut, 3));
    }
    (void)trimSpaces(info.updateAddress);
    checkProgress(data, size);
    return 0;
}
