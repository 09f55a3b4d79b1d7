// The update-information page: a GBK text whose only meaningful part lies between
// "////开始" and "////结束"; inside it each value is written as key, value, "</p>".
// The texts below are spelt as GBK bytes because this code is also built natively,
// where literals stay UTF-8.
#pragma once

#include "core/update_info.h"

#include <string>
#include <string_view>

namespace vostrel {

namespace pageText {
constexpr char kSectionBegin[] = "////\xBF\xAA\xCA\xBC";                       // ////开始
constexpr char kSectionEnd[] = "////\xBD\xE1\xCA\xF8";                         // ////结束
constexpr char kValueEnd[] = "</p>";
constexpr char kForceUpdateKey[] = "\xCA\xC7\xB7\xF1\xC7\xBF\xD6\xC6\xB8\xFC\xD0\xC2=";   // 是否强制更新=
constexpr char kPromptUpdateKey[] = "\xCA\xC7\xB7\xF1\xCC\xE1\xCA\xBE\xB8\xFC\xD0\xC2=";  // 是否提示更新=
constexpr char kUpdateAddressKey[] = "\xD7\xD4\xB6\xAF\xB8\xFC\xD0\xC2\xB5\xD8\xD6\xB7=";  // 自动更新地址=
constexpr char kProgramNameKey[] = "\xB3\xCC\xD0\xF2\xC3\xFB\xD7\xD6=";                    // 程序名字=
constexpr char kYes[] = "\xCA\xC7";                                                         // 是
}  // namespace pageText

// The text after the first left marker, up to the first right marker after it.
// Both searches only match where a GBK character starts. Empty when either marker
// is missing: a page without its opening marker must never yield a value.
std::string textBetween(std::string_view text, std::string_view left, std::string_view right);

// The page body as fetched: everything up to the first zero byte counts, and of
// that only the section between the markers.
std::string updatePageSection(std::string_view body);

// The start-up check's two keys, and the update window's two.
void readDecisionKeys(std::string_view section, UpdateInfo& info);
void readDownloadKeys(std::string_view section, UpdateInfo& info);

// Only the one character 是 means yes: no spaces, nothing around it.
bool isYes(std::string_view value);

// The page's program name is written in the current folder and then started, so
// only a bare file name is taken: no folder separators or drive, not "." or "..",
// a lead byte only with a GBK trail byte after it (the name must mean the same on
// a system of another code page),
// none of the characters Windows forbids, no trailing dot or space (Windows would
// drop them and write another name) and no device name such as CON or COM1.txt.
bool isPlainFileName(std::string_view name);
// The same rules for the name as Windows gets it, in UTF-16: what the wide path
// holds is checked, not only the bytes it came from. A surrogate (a stray byte
// carried through, or half of a character GBK never has) is no name either.
bool isPlainFileName(std::u16string_view name);

}  // namespace vostrel
