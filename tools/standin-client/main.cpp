// The stand-in voice-chat client, a Unicode program as the real one is: a room window with a member list, a chat pane
// and a chat input, the members' pop-up menu, the ban confirmation and the
// name-card editor, all top-level windows of one class told apart by title, the
// way the real client shows them. Every window draws its own content, so clicks
// posted into a window land on that window; the one child control is the room's
// send button, so that the pointer can rest on a control of the client as on the
// real one. Every effect is written to the log named on the command line (formats
// in standin_log.h).
#include "log_writer.h"
#include "pane.h"
#include "room_window.h"

#include <windows.h>

#include <string>

namespace standin {
namespace {

// The first argument of the command line, quotes removed.
std::wstring logPathFromCommandLine() {
    std::wstring line = GetCommandLineW();
    size_t pos = 0;
    if (!line.empty() && line[0] == L'"') {
        pos = line.find(L'"', 1);
        pos = pos == std::wstring::npos ? line.size() : pos + 1;
    } else {
        pos = line.find(L' ');
        if (pos == std::wstring::npos) pos = line.size();
    }
    while (pos < line.size() && line[pos] == L' ') ++pos;
    std::wstring rest = line.substr(pos);
    while (!rest.empty() && rest.back() == L' ') rest.pop_back();
    if (rest.size() >= 2 && rest.front() == L'"' && rest.back() == L'"') rest = rest.substr(1, rest.size() - 2);
    return rest;
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace standin;
    std::wstring logPath = logPathFromCommandLine();
    if (!logPath.empty()) openLog(logPath);
    registerPaneClass(instance);
    if (!openRoomWindow(show)) return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    closeLog();
    return 0;
}
