#include "sandbox/HostWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "sandbox/ListViewText.h"
#include "sandbox/TextCodec.h"

const StatusMode kStatusModes[8] = {
    {40071, "Offline"}, {40072, "Online"},         {40073, "Away"},          {40075, "Not available"},
    {40076, "Occupied"}, {40074, "Do not disturb"}, {40077, "Free for chat"}, {40078, "Invisible"},
};

namespace {

const char kWindowClass[] = "QuillmereSandboxHost";
const char kWindowTitle[] = "Quillmere sandbox - a stand-in for Miranda IM";
const char kHint[] =
    "Right-click a contact for its menu; the Main menu holds the entries for your own record.";

constexpr UINT kRefreshMessage = WM_APP + 1;
// A real ICQ login ends about a second after the status is picked.
constexpr UINT_PTR kLoginTimer = 1;
constexpr UINT kLoginDelayMs = 1000;
constexpr UINT kExitCommand = 100;
constexpr UINT kOptionsCommand = 101;
constexpr UINT kMainMenuFirst = 1000;     // + index in the host's main menu
constexpr UINT kContactMenuFirst = 5000;  // + index in the host's contact menu
constexpr int kStatusBoxId = 10;

const char* const kLevelNames[] = {"Always visible", "Visibility 1", "Visibility 2",
                                   "Visibility 3",   "Visibility 4", "Visibility 5",
                                   "Never visible"};

const char* StatusName(uint32_t status) {
    for (const StatusMode& mode : kStatusModes)
        if (mode.id == status) return mode.name;
    return "?";
}

// "offline", "connecting", or the status the account logged in with.
std::string AccountStateText(uint32_t icqStatus) {
    if (icqStatus == ID_STATUS_OFFLINE) return "offline";
    if (!SandboxHost::IsLoggedInStatus(icqStatus)) return "connecting";
    std::string name = StatusName(icqStatus);
    name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
}

// What the module has stored, which is what it acts on; absent reads as 0.
std::string StoredModeText(uint32_t mode) {
    if (mode == 0) return "not set";
    if (mode == ID_STATUS_ONLINE) return "online (visible)";
    if (mode == ID_STATUS_OFFLINE) return "offline (invisible)";
    return std::to_string(mode);
}

std::string ItemIdText(uint16_t itemId) {
    char text[8];
    std::snprintf(text, sizeof text, "#%04X", static_cast<unsigned>(itemId));
    return text;
}

std::string ServerListsText(uint16_t visibleId, uint16_t invisibleId) {
    if (visibleId && invisibleId)
        return "both lists (" + ItemIdText(visibleId) + ", " + ItemIdText(invisibleId) + ")";
    if (visibleId) return "visible list (" + ItemIdText(visibleId) + ")";
    if (invisibleId) return "invisible list (" + ItemIdText(invisibleId) + ")";
    return "-";
}

// Whether a contact of another protocol sees the user's presence now.
std::string SeesYou(uint32_t status) {
    if (status == ID_STATUS_OFFLINE) return "no (you are offline)";
    if (status == kStatusInvisible) return "no (you are invisible)";
    return "yes";
}

// For an ICQ contact that is up to the server, whatever the module has
// stored: nothing reaches the contact before its account has logged in;
// then a contact on the visible list sees an invisible user, and one on the
// invisible list sees the user offline whatever the status.
std::string IcqSeesYou(uint32_t accountStatus, bool onVisible, bool onInvisible) {
    if (accountStatus == ID_STATUS_OFFLINE) return "no (you are offline)";
    if (!SandboxHost::IsLoggedInStatus(accountStatus)) return "no (connecting)";
    if (accountStatus == kStatusInvisible)
        return onVisible ? "yes (visible list)" : "no (you are invisible)";
    return onInvisible ? "no (invisible list)" : "yes";
}

// Entries of a host menu that are not hidden, by position; equal positions
// keep the order they were added in.
std::vector<size_t> ShownEntries(const std::vector<HostMenuItem>& menu) {
    std::vector<size_t> shown;
    for (size_t index = 0; index < menu.size(); ++index)
        if (!(menu[index].flags & CMIF_HIDDEN)) shown.push_back(index);
    std::stable_sort(shown.begin(), shown.end(), [&menu](size_t a, size_t b) {
        return menu[a].position < menu[b].position;
    });
    return shown;
}

HWND MakeChild(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle,
               int id) {
    HWND child = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10,
                                 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return child;
}

}  // namespace

std::string LevelText(const SandboxHost& host, ContactHandle contact) {
    const auto stored = host.Setting(contact, "Quillmere", "VisibilityLevel");
    if (!stored) return "not set (0)";
    const int32_t level = static_cast<int32_t>(stored->number);
    if (level >= 0 && level <= 6) return std::to_string(level) + " " + kLevelNames[level];
    return std::to_string(level) + " (outside 0 to 6)";
}

HostWindow::HostWindow(SandboxHost& host) : host_(host) {}

HostWindow::~HostWindow() {
    host_.SetChangeListener(nullptr);
    if (window_) DestroyWindow(window_);
}

bool HostWindow::Open(int left, int top, bool quitWhenClosed) {
    if (window_) return true;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);  // already registered on a second window: fine

    HMENU bar = CreateMenu();
    mainPopup_ = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(mainPopup_), "&Main");

    quitWhenClosed_ = quitWhenClosed;
    settingsSeen_ = host_.SettingsRevision();
    CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top,
                    800, 480, nullptr, bar, GetModuleHandleA(nullptr), this);
    if (!window_) {
        DestroyMenu(bar);
        mainPopup_ = nullptr;
        return false;
    }
    host_.SetChangeListener([this] { RequestRefresh(); });
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetFocus(list_);
    return true;
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // A login still waiting for its timer stays begun: no window is
        // left to end it, and none may reach this object any more.
        KillTimer(window, kLoginTimer);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->host_.SetChangeListener(nullptr);
        self->window_ = nullptr;
        self->list_ = nullptr;
        self->mainPopup_ = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT HostWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        BuildChildren();
        return 0;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == mainPopup_) FillMainMenu();
        return 0;
    case WM_NOTIFY: {
        // A right-click on a row; the notification carries the point in the
        // list's coordinates, where WM_CONTEXTMENU may carry only the cursor.
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom != list_ || header->code != static_cast<UINT>(NM_RCLICK)) break;
        const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
        POINT point = click->ptAction;
        ClientToScreen(list_, &point);
        OnRightClick(click->iItem, point);
        return TRUE;  // handled: no WM_CONTEXTMENU follows
    }
    case WM_CONTEXTMENU:
        // From the keyboard (Shift+F10, the menu key) lParam is -1; mouse
        // clicks come as NM_RCLICK above.
        if (reinterpret_cast<HWND>(wParam) == list_) {
            if (lParam == -1) OnMenuKey();
            return 0;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kStatusBoxId && HIWORD(wParam) == CBN_SELCHANGE) {
            const LRESULT index = SendMessageA(statusBox_, CB_GETCURSEL, 0, 0);
            if (index >= 0 && index < static_cast<LRESULT>(std::size(kStatusModes)))
                ChangeStatus(kStatusModes[index].id);
            return 0;
        }
        if (lParam == 0 && HIWORD(wParam) == 0) {
            RunMenuCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case kRefreshMessage:
        refreshPosted_ = false;
        Refresh();
        return 0;
    case WM_TIMER:
        if (wParam != kLoginTimer) break;
        OnLoginTimer();
        return 0;
    case WM_DESTROY:
        if (quitWhenClosed_) PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

void HostWindow::BuildChildren() {
    hint_ = MakeChild(window_, "STATIC", kHint, SS_LEFT, 0, 0);
    list_ = MakeChild(window_, WC_LISTVIEWA, "",
                      LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE,
                      0);
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    struct ColumnSpec {
        const char* title;
        int width;
    };
    const ColumnSpec columns[] = {{"Contact", 62},
                                  {"Module", 78},
                                  {"Account of", 80},
                                  {"Visibility level", 118},
                                  {"Apparent mode (ICQ)", 125},
                                  {"ICQ server lists", 160},
                                  {"Sees you now?", 135}};
    for (int index = 0; index < static_cast<int>(std::size(columns)); ++index) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(columns[index].title);
        column.cx = columns[index].width;
        SendMessageA(list_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
    }
    int row = 0;
    for (ContactHandle contact : host_.Contacts()) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row++;
        item.pszText = const_cast<char*>("");
        item.lParam = static_cast<LPARAM>(contact);
        SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }

    statusLabel_ = MakeChild(window_, "STATIC", "Your status:", SS_LEFT, 0, 0);
    statusBox_ = MakeChild(window_, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 0,
                           kStatusBoxId);
    for (const StatusMode& mode : kStatusModes) {
        SendMessageA(statusBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode.name));
        if (mode.id == status_)
            SendMessageA(statusBox_, CB_SETCURSEL, &mode - kStatusModes, 0);
    }
    statusLine_ = MakeChild(window_, "STATIC", "", SS_LEFT, 0, 0);
    Refresh();
}

void HostWindow::Layout(int width, int height) {
    const int bottom = height - 34;
    MoveWindow(hint_, 8, 6, width - 16, 16, TRUE);
    MoveWindow(list_, 8, 26, width - 16, std::max(bottom - 34, 40), TRUE);
    MoveWindow(statusLabel_, 8, bottom + 8, 70, 16, TRUE);
    MoveWindow(statusBox_, 80, bottom + 4, 150, 200, TRUE);
    MoveWindow(statusLine_, 244, bottom + 8, std::max(width - 252, 10), 16, TRUE);
}

void HostWindow::FillMainMenu() {
    while (GetMenuItemCount(mainPopup_) > 0) DeleteMenu(mainPopup_, 0, MF_BYPOSITION);
    const std::vector<HostMenuItem>& menu = host_.MainMenu();
    for (size_t index : ShownEntries(menu))
        AppendMenuW(mainPopup_, MF_STRING, kMainMenuFirst + index, WideFromUtf8(host_.Utf8FromHostText(menu[index].name)).c_str());
    if (GetMenuItemCount(mainPopup_) > 0) AppendMenuA(mainPopup_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(mainPopup_, MF_STRING, kOptionsCommand, L"&Options\u2026");
    AppendMenuA(mainPopup_, MF_STRING, kExitCommand, "E&xit");
}

void HostWindow::OnRightClick(int row, POINT screenPoint) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
    ShowContactMenu(static_cast<ContactHandle>(item.lParam), screenPoint);
}

void HostWindow::OnMenuKey() {
    // The selected contact, with the menu just below its name.
    const int row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    if (row < 0 || !SendMessageA(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)))
        return;
    POINT point = {rect.left, rect.bottom};
    ClientToScreen(list_, &point);
    OnRightClick(row, point);
}

void HostWindow::ShowContactMenu(ContactHandle contact, POINT screenPoint) {
    if (!window_) return;
    host_.FireEvent(kEvPreBuildContactMenu, contact, 0);
    HMENU popup = CreatePopupMenu();
    const std::vector<HostMenuItem>& menu = host_.ContactMenu();
    for (size_t index : ShownEntries(menu))
        AppendMenuW(popup, MF_STRING, kContactMenuFirst + index, WideFromUtf8(host_.Utf8FromHostText(menu[index].name)).c_str());
    if (GetMenuItemCount(popup) == 0)
        AppendMenuA(popup, MF_STRING | MF_GRAYED, 0, "(no entries for this contact)");
    // The owner must be in front, or the menu stays open when the user
    // clicks elsewhere.
    SetForegroundWindow(window_);
    menuContact_ = contact;
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screenPoint.x,
        screenPoint.y, 0, window_, nullptr));
    DestroyMenu(popup);
    if (command != 0) RunMenuCommand(command);
}

void HostWindow::RunMenuCommand(UINT command) {
    // The service may run a window of its own with its own message loop, and
    // may add to the menus meanwhile: take what is needed first.
    std::string service;
    HostWParam wParam = 0;
    if (command == kExitCommand) {
        DestroyWindow(window_);
        return;
    }
    if (command == kOptionsCommand) {
        // Modeless: the dialog runs in the program's own loop, beside this window.
        if (!host_.Options().Open())
            MessageBoxA(window_, "No plug-in has added a page to the Options dialog.", "Options",
                        MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (command >= kContactMenuFirst && command - kContactMenuFirst < host_.ContactMenu().size()) {
        service = host_.ContactMenu()[command - kContactMenuFirst].service;
        wParam = menuContact_;
    } else if (command >= kMainMenuFirst && command - kMainMenuFirst < host_.MainMenu().size()) {
        service = host_.MainMenu()[command - kMainMenuFirst].service;
    } else {
        return;
    }
    host_.CallPluginService(service.c_str(), wParam, 0);
    Refresh();
}

void HostWindow::ChangeStatus(uint32_t status) {
    // Picking the status one already has changes nothing, as in a host.
    if (status == status_) return;
    status_ = status;
    if (statusBox_) {
        for (size_t index = 0; index < std::size(kStatusModes); ++index)
            if (kStatusModes[index].id == status)
                SendMessageA(statusBox_, CB_SETCURSEL, index, 0);
    }
    host_.ChangeStatus(status);
    // Picked again before the second is up: the timer starts over, and ends
    // every login begun meanwhile. Without a timer the logins end at once
    // rather than never.
    if (!window_ || !SetTimer(window_, kLoginTimer, kLoginDelayMs, nullptr)) host_.FinishLogins();
    Refresh();
}

void HostWindow::OnLoginTimer() {
    KillTimer(window_, kLoginTimer);
    host_.FinishLogins();
    Refresh();
}

void HostWindow::RequestRefresh() {
    if (!window_ || refreshPosted_) return;
    refreshPosted_ = PostMessageA(window_, kRefreshMessage, 0, 0) != 0;
}

void HostWindow::Refresh() {
    if (!window_ || !list_) return;
    const int rows = static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const ContactHandle contact = static_cast<ContactHandle>(item.lParam);

        const std::string* name = host_.DisplayNameOf(contact);
        const std::string* proto = host_.ProtocolOf(contact);
        const bool loaded = proto && host_.ProtocolLoaded(*proto);
        const bool isIcq = loaded && host_.IsIcqModule(*proto);
        const std::string* accountProto = proto ? host_.AccountProtocolOf(*proto) : nullptr;
        const uint16_t visibleId = isIcq ? host_.ServerItemId(contact, IcqServer::List::Visible) : 0;
        const uint16_t invisibleId = isIcq ? host_.ServerItemId(contact, IcqServer::List::Invisible) : 0;

        const std::string cells[] = {
            name ? host_.Utf8FromHostText(*name) : "(no name)",
            !proto ? "(none)" : loaded ? *proto : *proto + " (not loaded)",
            !host_.AccountsEnabled() ? "- (host without accounts)"
            : accountProto           ? *accountProto
            : proto                  ? "(no account)"
                                     : "-",
            LevelText(host_, contact),
            isIcq ? StoredModeText(host_.StoredApparentMode(contact)) : "-",
            isIcq ? ServerListsText(visibleId, invisibleId) : "-",
            !loaded ? "-"
            : isIcq ? IcqSeesYou(host_.IcqStatus(*proto), visibleId != 0, invisibleId != 0)
                    : SeesYou(status_),
        };
        for (int column = 0; column < static_cast<int>(std::size(cells)); ++column) {
            if (CellText(row, static_cast<Column>(column)) == cells[column]) continue;
            // The list keeps wide text: names in any script show.
            std::wstring wide = WideFromUtf8(cells[column]);
            LVITEMW text = {};
            text.iSubItem = column;
            text.pszText = &wide[0];
            SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&text));
        }
    }
    SetWindowTextA(statusLine_, StatusLineText().c_str());

    if (host_.SettingsRevision() != settingsSeen_) {
        settingsSeen_ = host_.SettingsRevision();
        if (settingsChanged_) settingsChanged_();
    }
}

std::string HostWindow::StatusLineText() const {
    std::string accounts;
    for (const std::string& module : host_.LoadedProtocols())
        if (host_.IsIcqModule(module))
            accounts += (accounts.empty() ? "" : ", ") + module + ": " +
                        AccountStateText(host_.IcqStatus(module));
    return std::string("You are ") + StatusName(status_) + ". " +
           (accounts.empty() ? "" : accounts + ". ") + "Global visibility level: " +
           LevelText(host_, 0) + ".";
}

int HostWindow::RowOf(ContactHandle contact) const {
    if (!list_) return -1;
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(contact);
    return static_cast<int>(SendMessageA(list_, LVM_FINDITEMA, -1, reinterpret_cast<LPARAM>(&find)));
}

POINT HostWindow::RowPoint(ContactHandle contact) const {
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    SendMessageA(list_, LVM_GETITEMRECT, RowOf(contact), reinterpret_cast<LPARAM>(&rect));
    return {rect.left + 10, (rect.top + rect.bottom) / 2};
}

std::string HostWindow::CellText(int row, Column column) const {
    return list_ ? ListViewText(list_, row, column) : "";
}
