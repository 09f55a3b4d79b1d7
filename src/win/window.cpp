#include "win/window.h"

#include "win/gbk_wide.h"
#include "win/picture.h"
#include "win/web_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>

namespace vostrel {
namespace {

constexpr wchar_t kFrameClass[] = L"VostrelWindow";
constexpr wchar_t kPageClass[] = L"VostrelTabPage";
int g_openWindows = 0;
// IDC_ARROW as the W calls take it: the SDK's macro follows UNICODE, which we leave unset.
const LPCWSTR kArrowCursor = MAKEINTRESOURCEW(32512);

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass classOf(ControlType type) {
    switch (type) {
    case ControlType::TabControl:
        return {WC_TABCONTROLW, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, 0};
    case ControlType::TabPage:
        return {kPageClass, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CHILD, WS_EX_CONTROLPARENT};
    case ControlType::ListView:
        return {WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlType::CheckBox:
        return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlType::Label:
        return {L"STATIC", SS_LEFT, 0};
    case ControlType::Hyperlink:
        return {L"STATIC", SS_LEFT | SS_NOTIFY, 0};
    case ControlType::Edit:
        return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlType::MultiLineEdit:
        return {L"EDIT", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlType::Button:
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlType::GroupBox:
        // A container of tab stops: Tab walks into the controls it frames.
        return {L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlType::Picture:
        return {L"STATIC", SS_BITMAP, 0};
    case ControlType::WebView:
        return {L"STATIC", SS_LEFT, 0};
    case ControlType::ProgressBar:
        return {PROGRESS_CLASSW, 0, 0};
    }
    return {L"STATIC", 0, 0};
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
        std::wstring title = toWide(all.substr(pos, titleEnd - pos));
        int width = std::atoi(all.substr(titleEnd + 1, widthEnd - titleEnd - 1).c_str());
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = title.data();
        col.cx = width;
        col.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
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
        return SendMessageW(GetAncestor(page, GA_ROOT), message, wParam, lParam);
    }
    return DefWindowProcW(page, message, wParam, lParam);
}

// A multi-line edit sends its parent WM_NEXTDLGCTL for Tab; the group box that
// frames one passes it on to the window, which moves the focus.
LRESULT CALLBACK groupBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) noexcept {
    if (message == WM_NEXTDLGCTL) return SendMessageW(GetAncestor(box, GA_ROOT), message, wParam, lParam);
    return DefSubclassProc(box, message, wParam, lParam);
}

int CALLBACK noteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool hasFontFace(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, noteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

}  // namespace

std::wstring wideWindowText(HWND window) {
    if (!window) return {};
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

HFONT controlFont() {
    static HFONT font = [] {
        // 宋体 on a Chinese Windows; under Wine the CJK face that fontconfig offers.
        for (const wchar_t* face : {L"宋体", L"SimSun", L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei"}) {
            if (hasFontFace(face)) {
                return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
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
        LOGFONTW lf{};
        GetObjectW(controlFont(), sizeof lf, &lf);
        lf.lfUnderline = TRUE;
        return CreateFontIndirectW(&lf);
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

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW frame{sizeof frame};
    frame.lpfnWndProc = &Window::windowProcedure;
    frame.hInstance = instance;
    frame.hCursor = LoadCursorW(nullptr, kArrowCursor);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    frame.lpszClassName = kFrameClass;
    RegisterClassExW(&frame);

    WNDCLASSEXW page{sizeof page};
    page.lpfnWndProc = pageProcedure;
    page.hInstance = instance;
    page.hCursor = LoadCursorW(nullptr, kArrowCursor);
    page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    page.lpszClassName = kPageClass;
    RegisterClassExW(&page);
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
    wchar_t className[32] = {};
    if (!root || !GetClassNameW(root, className, 32) || std::wcscmp(className, kFrameClass) != 0) {
        return false;
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    if (!window || !window->layout().dialogKeys) return false;
    // Esc closes nothing here: in the multi-line body box it would post WM_CLOSE
    // to the box's parent and throw away what was typed. The close box is the way out.
    if (message.wParam == VK_ESCAPE && (message.message == WM_KEYDOWN || message.message == WM_KEYUP)) return true;
    return IsDialogMessageW(root, &message) != FALSE;
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
    HWND created = CreateWindowExW(0, kFrameClass, toWide(layout_.caption ? layout_.caption : "").c_str(), layout_.style, x, y,
                                   layout_.width, layout_.height, owner, menu, GetModuleHandleW(nullptr), this);
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
    return toGbk(wideWindowText(c));
}

bool Window::textExactly(const char* name, std::string& gbk) const {
    return toGbkExactly(wideWindowText(control(name)), gbk);
}

void Window::setText(const char* name, const std::string& text) const {
    if (HWND c = control(name)) SetWindowTextW(c, toWide(text).c_str());
}

bool Window::isChecked(const char* name) const {
    HWND c = control(name);
    return c && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

const ControlLayout* Window::rowOfId(int id) const noexcept {
    int row = id - kFirstControlId;
    if (row < 0 || static_cast<size_t>(row) >= layout_.controls.size()) return nullptr;
    return &layout_.controls[static_cast<size_t>(row)];
}

bool Window::createControls() noexcept {
    HINSTANCE instance = GetModuleHandleW(nullptr);
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
        HWND c = CreateWindowExW(cls.exStyle, cls.className, toWide(caption ? caption : "").c_str(), style, row.x, row.y, row.width, row.height,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance,
                                 nullptr);
        if (!c) return false;
        controls_[i] = c;
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(row.type == ControlType::Hyperlink ? hyperlinkFont()
                                                                                                  : controlFont()),
                     FALSE);

        switch (row.type) {
        case ControlType::TabPage: {
            if (!firstPage) firstPage = c;
            std::wstring title = toWide(row.caption ? row.caption : "");
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = title.data();
            int count = static_cast<int>(SendMessageW(parent, TCM_GETITEMCOUNT, 0, 0));
            SendMessageW(parent, TCM_INSERTITEMW, count, reinterpret_cast<LPARAM>(&item));
            // The page covers the whole tab control, as its controls' positions
            // count from the tab's corner, but must leave the tab headers visible
            // and clickable.
            RECT display{0, 0, row.width, row.height};
            SendMessageW(parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
            SetWindowRgn(c, CreateRectRgn(0, display.top, row.width, row.height), FALSE);
            break;
        }
        case ControlType::ListView:
            SendMessageW(c, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                         LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
            addListColumns(c, row.caption);
            break;
        case ControlType::Picture:
            if (!picture_) picture_.reset(loadJpegResource(row.caption));
            if (picture_) SendMessageW(c, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
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
    return DefWindowProcW(window_, message, wParam, lParam);
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
        int selected = static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
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
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
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
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Counted from WM_NCCREATE to WM_NCDESTROY, the first and last message every
    // window gets: a window whose WM_CREATE fails is destroyed with or without a
    // WM_DESTROY (Windows sends one, Wine does not), and must leave the count as
    // it found it rather than end the program while another window is open.
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
        ++g_openWindows;
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = self->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->controls_.clear();
        if (--g_openWindows == 0) PostQuitMessage(0);
    }
    return result;
}

}  // namespace vostrel
