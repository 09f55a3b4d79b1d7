// The stand-in voice-chat client's contract with the tests that drive it: where
// its members sit in the room window, and the lines it writes to its log.
//
// The log (the file named on the command line) gets one line per effect, "\n"
// ended, GBK bytes, appended and flushed as it happens:
//
//   ready <room window handle, decimal>    the room window is up
//   menu m<N> list|chat                    member N's pop-up menu opened (from the
//                                          member list or from the chat pane)
//   guest m<N> on|off                      guest of honour granted / revoked
//   member m<N> on|off                     registered member granted / revoked
//   no-typing m<N> on|off                  typing forbidden / allowed again
//   no-pictures m<N> on|off                pictures forbidden / allowed again
//   ban-id m<N>                            banned (account)
//   ban-ip m<N>                            banned with the IP address ticked
//   name-card m<N> <text>                  the name card saved with this text
//   chat <text>                            a line sent from the chat input
//   chat-empty                             Enter in the chat input with nothing in it
//                                          (the client sends nothing)
//   entry m<N> <label>                     any other menu entry chosen
//
// <text> is what the client received (it is a Unicode program, as the real client
// is), written in GBK: each character that has an exact GBK form as its GBK bytes,
// every other one (a character GBK lacks, one beyond the Basic Multilingual Plane,
// a lone surrogate) as "\u{XXXX}", its code point in upper-case hex ("\u{1F600}",
// "\u{B3}"), so that text garbled on its way can never read as the text sent.
// One effect stays one line: "\\" for a backslash byte, "\r", "\n", "\t", and
// "\xHH" for other bytes below 0x20 and for 0x7F; every other byte is written as
// it is. For a text that GBK holds the line is thus escapeLogText(its GBK bytes).
#pragma once

#include <string>
#include <string_view>

namespace standin {

// In GBK, as the tests and the tool name them; the client's windows carry their
// Unicode.
constexpr char kWindowClass[] = "TXGuiFoundation";
constexpr char kRoomTitle[] = "QT语音 - 演示房间（替身客户端）";
constexpr char kMenuTitle[] = "TXMenuWindow";
constexpr char kSubmenuTitle[] = "TXSubMenuWindow";
constexpr char kBanPromptTitle[] = "提示";
constexpr char kNameCardTitle[] = "修改房间名片";

// The room window opens at this screen position and outer size; the capture of
// the tool resizes it to 802 x 582.
constexpr int kRoomX = 10, kRoomY = 10, kRoomWidth = 760, kRoomHeight = 540;

// The member list: member N (1-based) is row N-1, in client coordinates of the
// room window.
constexpr int kMemberCount = 8;
constexpr int kListLeft = 8, kListTop = 48, kListWidth = 200, kRowHeight = 28;

// The chat pane on the right starts with one greeting from each of the first
// kGreetingCount members; the speaker's name opens that member's menu on a left click.
constexpr int kGreetingCount = 4;
constexpr int kChatLeft = 224, kChatTop = 48, kChatLineHeight = 24, kChatNameWidth = 72;

struct Point {
    int x, y;
};

// Where to put the pointer (room client coordinates) to point at member N.
constexpr Point memberListPoint(int member) { return {kListLeft + 60, kListTop + (member - 1) * kRowHeight + kRowHeight / 2}; }
constexpr Point chatNamePoint(int member) { return {kChatLeft + 8 + 24, kChatTop + (member - 1) * kChatLineHeight + kChatLineHeight / 2}; }

inline std::string memberTag(int member) {
    std::string tag = "m";
    tag += std::to_string(member);
    return tag;
}

inline std::string escapeLogText(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                out += "\\x";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += c;
            }
        }
    }
    return out;
}

// A character that has no GBK form, as the log writes it.
inline std::string codePointEscape(char32_t codePoint) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kHex[codePoint & 15]);
        codePoint >>= 4;
    } while (codePoint);
    return "\\u{" + digits + "}";
}

}  // namespace standin
