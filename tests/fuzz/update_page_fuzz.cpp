// The update page comes from the network: any bytes. The section and the four
// values must always be cut inside the input, at character starts, and a program
// name that passes the check must never carry a separator or a drive.
#include "core/gbk_text.h"
#include "core/update_page.h"

#include <cstdint>
#include <cstdlib>
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
    if (isYes(info.forceUpdate)) check(info.forceUpdate == pageText::kYes);

    if (isPlainFileName(info.programName)) {
        const std::string& name = info.programName;
        check(!name.empty() && name != "." && name != "..");
        check(findAtCharacterStart(name, "\\") == std::string::npos);
        check(findAtCharacterStart(name, "/") == std::string::npos);
        check(findAtCharacterStart(name, ":") == std::string::npos);
    }
    // The raw input as markers too: arbitrary lengths, lead bytes at the edges.
    if (size >= 2) {
        size_t cut = data[0] % size;
        checkBetween(body.substr(1), body.substr(1, cut / 2), body.substr(cut, 3));
    }
    (void)trimSpaces(info.updateAddress);
    return 0;
}
