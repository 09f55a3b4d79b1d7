#include "win/window.h"

#include "win/picture.h"
#include "win/web_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>

namespace vostrel {
namespace {

constexpr char kFrameClass[] = "VostrelWindow";
constexpr char kPageClass[] = "VostrelTabPage";
int g_openWindows = 0;

struct ControlClass {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass classOf(ControlType type) {
    switch (type) {
    case ControlType::TabControl:
        return {WC_TABCONTROLA, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, 0};
    case ControlType::TabPage:
        return {kPageClass, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CHILD, WS_EX_CONTROLPARENT};
    case ControlType::ListView:
        return {WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlType::CheckBox:
        return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlType::Label:
        return {"STATIC", SS_LEFT, 0};
    case ControlType::Hyperlink:
        return {"STATIC", SS_LEFT | SS_NOTIFY, 0};
    case ControlType::Edit:
        return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlType::MultiLineEdit:
        return {"EDIT", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlType::Button:
        return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlType::GroupBox:
        // A container of tab stops: Tab walks into the controls it frames.
        return {"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlType::Picture:
        return {"STATIC", SS_BITMAP, 0};
    case ControlType::WebView:
        return {"STATIC", SS_LEFT, 0};
    case ControlType::ProgressBar:
        return {PROGRESS_CLASSA, 0, 0};
    }
    return {"STATIC", 0, 0};
}

// A list view's caption lists its columns: "title\nwidth\ntitle\nwidth...".
void addListColumns(HWND list, const char* columns) {
    std::string all(columns ? columns : "");
    size_t pos = 0;
    int column = 0;
    while (pos < all.size()) {
        size_t titleEnd = all.find('\n', pos);
        if (titleEnd == std::string::npos) break;
        size_t widthEnd = all.find('\n', titleEnd + 1);
        std::string title = all.substr(pos, titleEnd - pos);
        int width = std::atoi(all.substr(titleEnd + 1, widthEnd - titleEnd - 1).c_str());
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = title.data();
        col.cx = width;
        col.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
        ++column;
        if (widthEnd == std::string::npos) break;
        pos = widthEnd + 1;
    }
}

// A tab page forwards what its controls report to the window that owns the tab.
LRESULT CALLBACK pageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return SendMessageA(GetAncestor(page, GA_ROOT), message, wParam, lParam);
    }
    return DefWindowProcA(page, message, wParam, lParam);
}

// A multi-line edit sends its parent WM_NEXTDLGCTL for Tab; the group box that
// frames one passes it on to the window, which moves the focus.
LRESULT CALLBACK groupBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) noexcept {
    if (message == WM_NEXTDLGCTL) return SendMessageA(GetAncestor(box, GA_ROOT), message, wParam, lParam);
    return DefSubclassProc(box, message, wParam, lParam);
}

int CALLBACK noteFontFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool hasFontFace(const char* face) {
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExA(dc, &wanted, noteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

}  // namespace

HFONT controlFont() {
    static HFONT font = [] {
        // 宋体 on a Chinese Windows; under Wine the CJK face that fontconfig offers.
        for (const char* face : {"宋体", "SimSun", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei"}) {
            if (hasFontFace(face)) {
                return CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, face);
            }
        }
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

static HFONT hyperlinkFont() {
    static HFONT font = [] {
        LOGFONTA lf{};
        GetObjectA(controlFont(), sizeof lf, &lf);
        lf.lfUnderline = TRUE;
        return CreateFontIndirectA(&lf);
    }();
    return font;
}

void registerWindowClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA frame{sizeof frame};
    frame.lpfnWndProc = &Window::windowProcedure;
    frame.hInstance = instance;
    frame.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    frame.lpszClassName = kFrameClass;
    RegisterClassExA(&frame);

    WNDCLASSEXA page{sizeof page};
    page.lpfnWndProc = pageProcedure;
    page.hInstance = instance;
    page.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    page.lpszClassName = kPageClass;
    RegisterClassExA(&page);
}

int controlIdOf(const WindowLayout& layout, const char* name) {
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        if (std::strcmp(layout.controls[i].name, name) == 0) return kFirstControlId + static_cast<int>(i);
    }
    return 0;
}

int Window::openWindowCount() noexcept { return g_openWindows; }

namespace {
Window* g_mainWindow = nullptr;
}  // namespace

Window& mainWindow() {
    static const WindowLayout kNoWindow{"", 0, 0, 0, {}};
    // Never destroyed, like the main window itself: handlers may still ask at exit.
    static Window* standIn = new Window(kNoWindow);
    return g_mainWindow ? *g_mainWindow : *standIn;
}

void setMainWindow(Window* window) noexcept { g_mainWindow = window; }

bool handleDialogKeys(MSG& message) noexcept {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    char className[32] = {};
    if (!root || !GetClassNameA(root, className, sizeof className) || std::strcmp(className, kFrameClass) != 0) {
        return false;
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(root, GWLP_USERDATA));
    if (!window || !window->layout().dialogKeys) return false;
    // Esc closes nothing here: in the multi-line body box it would post WM_CLOSE
    // to the box's parent and throw away what was typed. The close box is the way out.
    if (message.wParam == VK_ESCAPE && (message.message == WM_KEYDOWN || message.message == WM_KEYUP)) return true;
    return IsDialogMessageA(root, &message) != FALSE;
}

Window::~Window() {
    // The bitmap goes after the window (members are destroyed after this body):
    // the picture control must not hold a deleted bitmap.
    if (window_) DestroyWindow(window_);
}

bool Window::create(HWND owner, HMENU menu) {
    registerWindowClasses();
    // Centre the outer rectangle on the screen.
    int x = (GetSystemMetrics(SM_CXSCREEN) - layout_.width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - layout_.height) / 2;
    HWND created = CreateWindowExA(0, kFrameClass, layout_.caption, layout_.style, x, y, layout_.width,
                                   layout_.height, owner, menu, GetModuleHandleA(nullptr), this);
    return created != nullptr;
}

HWND Window::control(const char* name) const noexcept {
    int id = controlIdOf(layout_, name);
    if (id == 0) return nullptr;
    size_t row = static_cast<size_t>(id - kFirstControlId);
    return row < controls_.size() ? controls_[row] : nullptr;
}

std::string Window::text(const char* name) const {
    HWND c = control(name);
    if (!c) return {};
    int length = GetWindowTextLengthA(c);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(c, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void Window::setText(const char* name, const std::string& text) const {
    if (HWND c = control(name)) SetWindowTextA(c, text.c_str());
}

bool Window::isChecked(const char* name) const {
    HWND c = control(name);
    return c && SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

const ControlLayout* Window::rowOfId(int id) const noexcept {
    int row = id - kFirstControlId;
    if (row < 0 || static_cast<size_t>(row) >= layout_.controls.size()) return nullptr;
    return &layout_.controls[static_cast<size_t>(row)];
}

bool Window::createControls() noexcept {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    controls_.assign(layout_.controls.size(), nullptr);
    HWND firstPage = nullptr;
    for (size_t i = 0; i < layout_.controls.size(); ++i) {
        const ControlLayout& row = layout_.controls[i];
        HWND parent = row.parent ? control(row.parent) : window_;
        if (!parent) return false;
        ControlClass cls = classOf(row.type);
        DWORD style = WS_CHILD | cls.style | row.style;
        bool visible = row.type != ControlType::WebView &&
                       !(row.type == ControlType::TabPage && firstPage != nullptr);
        if (visible) style |= WS_VISIBLE;
        const char* caption = (row.type == ControlType::ListView || row.type == ControlType::Picture) ? "" : row.caption;
        HWND c = CreateWindowExA(cls.exStyle, cls.className, caption, style, row.x, row.y, row.width, row.height,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance,
                                 nullptr);
        if (!c) return false;
        controls_[i] = c;
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(row.type == ControlType::Hyperlink ? hyperlinkFont()
                                                                                                  : controlFont()),
                     FALSE);

        switch (row.type) {
        case ControlType::TabPage: {
            if (!firstPage) firstPage = c;
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<char*>(row.caption);
            int count = static_cast<int>(SendMessageA(parent, TCM_GETITEMCOUNT, 0, 0));
            SendMessageA(parent, TCM_INSERTITEMA, count, reinterpret_cast<LPARAM>(&item));
            // The page covers the whole tab control, as its controls' positions
            // count from the tab's corner, but must leave the tab headers visible
            // and clickable.
            RECT display{0, 0, row.width, row.height};
            SendMessageA(parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
            SetWindowRgn(c, CreateRectRgn(0, display.top, row.width, row.height), FALSE);
            break;
        }
        case ControlType::ListView:
            SendMessageA(c, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                         LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
            addListColumns(c, row.caption);
            break;
        case ControlType::Picture:
            if (!picture_) picture_.reset(loadJpegResource(row.caption));
            if (picture_) SendMessageA(c, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
            break;
        case ControlType::WebView:
            requestPageInBackground(row.caption);
            break;
        case ControlType::GroupBox:
            SetWindowSubclass(c, groupBoxProcedure, 0, 0);
            break;
        default:
            break;
        }
    }
    // The tab order is the order of the controls among their siblings.
    for (size_t i = 0; i < layout_.controls.size(); ++i) {
        if (const char* before = layout_.controls[i].tabAfter) {
            SetWindowPos(controls_[i], control(before), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    return true;
}

LRESULT Window::defaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DefWindowProcA(window_, message, wParam, lParam);
}

void Window::onCommand(int id, HWND control, UINT code) noexcept {
    const ControlLayout* row = rowOfId(id);
    if (!row || !row->onEvent || !control) return;
    bool clicked = (row->type == ControlType::CheckBox || row->type == ControlType::Button) && code == BN_CLICKED;
    bool linkClicked = row->type == ControlType::Hyperlink && code == STN_CLICKED;
    if (clicked || linkClicked) row->onEvent();
}

LRESULT Window::onNotify(const NMHDR* header) noexcept {
    const ControlLayout* row = rowOfId(static_cast<int>(header->idFrom));
    if (!row) return 0;
    if (row->type == ControlType::ListView) {
        if (header->code == NM_DBLCLK && row->onEvent) row->onEvent();
        if (header->code == NM_RCLICK && row->onRightButton) row->onRightButton();
    } else if (row->type == ControlType::TabControl && header->code == TCN_SELCHANGE) {
        // Show the chosen page, hide the others.
        int selected = static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        int page = 0;
        for (size_t i = 0; i < layout_.controls.size(); ++i) {
            const ControlLayout& r = layout_.controls[i];
            if (r.type == ControlType::TabPage && r.parent && std::strcmp(r.parent, row->name) == 0) {
                ShowWindow(controls_[i], page == selected ? SW_SHOW : SW_HIDE);
                ++page;
            }
        }
    }
    return 0;
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CREATE:
        return createControls() ? 0 : -1;
    case WM_COMMAND:
        onCommand(GET_WM_COMMAND_ID(wParam, lParam), GET_WM_COMMAND_HWND(wParam, lParam),
                  GET_WM_COMMAND_CMD(wParam, lParam));
        return 0;
    case WM_NOTIFY:
        return onNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_NEXTDLGCTL: {
        // From a multi-line edit's Tab, as a dialog box would take it.
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(window_, GetFocus(), wParam != 0);
        if (!next) return 0;
        if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(next, EM_SETSEL, 0, -1);
        SetFocus(next);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        HWND c = reinterpret_cast<HWND>(lParam);
        const ControlLayout* row = rowOfId(GetDlgCtrlID(c));
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        if (row && row->type == ControlType::Hyperlink) SetTextColor(dc, RGB(0, 0, 255));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    }
    return defaultProcedure(message, wParam, lParam);
}

LRESULT CALLBACK Window::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Counted from WM_NCCREATE to WM_NCDESTROY, the first and last message every
    // window gets: a window whose WM_CREATE fails is destroyed with or without a
    // WM_DESTROY (Windows sends one, Wine does not), and must leave the count as
    // it found it rather than end the program while another window is open.
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
        ++g_openWindows;
    }
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = self->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->controls_.clear();
        if (--g_openWindows == 0) PostQuitMessage(0);
    }
    return result;
}

}  // namespace vostrel
