// Measures the plug-in in the sandbox host: the normal visibility pass over a
// large profile next to a floor (the same host calls made by a bare loop
// here), the editor's opening and closing next to a floor editor (the same
// window made by plain Win32 calls here), and the DLL's size next to an empty
// DLL built the same way. Run from the folder that holds the DLLs.
//
// The sandbox host is slow by design (string-keyed maps, texts built for each
// call); both the plug-in and the floor go through it, so the ratio of the two
// shows what the plug-in adds on top of the host calls it has to make.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sandbox/SandboxHost.h"

namespace {

// A 32-bit program run through qemu-user has far less memory than a native
// one: under Wine about 120 MB of heap, where the profile of 100000 contacts
// and the call log the login sync keeps of them need more. The 64-bit build
// always runs natively. run-bench.sh says how 32-bit programs run here.
constexpr int kNativeContacts = 100000;
constexpr int kEmulatedContacts = 25000;

bool RunsThroughQemu() {
    const char* mode = std::getenv("QM_I386_MODE");
    return sizeof(void*) == 4 && mode && std::strcmp(mode, "emulated") == 0;
}

// Decided once, before main, from the environment: a constant for the run.
const int kContacts = RunsThroughQemu() ? kEmulatedContacts : kNativeContacts;
constexpr int32_t kGlobalLevel = 3;
constexpr int kDefaultPassRuns = 21;
constexpr int kEditorOpenings = 60;
// The 64-bit DLL is held to 32 KB.
constexpr long kSizeTarget = sizeof(void*) == 8 ? 32 * 1024 : 64 * 1024;
constexpr double kRatioTarget = 1.05;
constexpr double kEditorRatioTarget = 1.2;

// --- Clock --------------------------------------------------------------------------

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Min(std::vector<double> values) { return *std::min_element(values.begin(), values.end()); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// --- The profile ----------------------------------------------------------------------

// A host with accounts. Every other contact is ICQ, half of those in the
// "ICQ" module of a profile from before accounts and half in the account
// "ICQ_1"; the rest are MSN. The ICQ contacts' levels cycle through 0-6 and
// "never set"; each has its UIN, so that the server can list it. No pass reads
// an MSN contact's settings, so they have none: each setting is a node of
// string keys in the host, and memory is short where 32-bit code is emulated.
std::vector<ContactHandle> BuildProfile(SandboxHost& host) {
    host.SetAccountsEnabled(true);
    for (const char* module : {"ICQ", "ICQ_1", "MSN"}) host.SetProtocolLoaded(module, true);
    host.AddAccount("ICQ", "ICQ");
    host.AddAccount("ICQ_1", "ICQ");
    host.AddAccount("MSN", "MSN");
    std::vector<ContactHandle> contacts;
    contacts.reserve(kContacts);
    for (int i = 0; i < kContacts; ++i) {
        const char* module = i % 2 ? "MSN" : i % 4 ? "ICQ_1" : "ICQ";
        const ContactHandle contact = host.AddContact(module, "Contact");
        if (i % 2 == 0) {
            const int level = (i / 4) % 8;
            if (level < 7)
                host.SetDword(contact, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(level));
            host.SetDword(contact, module, "UIN", static_cast<uint32_t>(100000 + i));
        }
        contacts.push_back(contact);
    }
    host.SetDword(0, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(kGlobalLevel));
    return contacts;
}

// --- The floor: the pass's host calls and nothing else --------------------------------

int32_t ReadLevel(const PLUGINLINK& link, ContactHandle contact) {
    DBVARIANT value = {};
    value.type = DBVT_DWORD;
    DBCONTACTGETSETTING request = {"Quillmere", "VisibilityLevel", &value};
    if (link.CallService(kSvcGetSetting, contact, reinterpret_cast<HostLParam>(&request)) != 0) return 0;
    return static_cast<int32_t>(value.dVal);
}

// The account question, asked once a module and pass; none for "ICQ", none
// after a host has shown it has no accounts.
struct FloorAccounts {
    std::vector<std::pair<std::string, bool>> answers;
    bool hostHasAccounts = true;

    bool IsIcq(const PLUGINLINK& link, const char* module) {
        if (std::strcmp(module, "ICQ") == 0) return true;
        if (!*module || !hostHasAccounts) return false;
        for (const auto& answer : answers)
            if (answer.first == module) return answer.second;
        const intptr_t record = link.CallService(kSvcGetAccount, 0, reinterpret_cast<HostLParam>(module));
        if (record == kServiceNotFound) {
            hostHasAccounts = false;
            return false;
        }
        const auto* account = reinterpret_cast<const PROTOACCOUNT*>(record);
        const bool isIcq = record != 0 && account->cbSize >= kAccountSizeWithProtoName &&
                           account->szProtoName && std::strcmp(account->szProtoName, "ICQ") == 0;
        answers.emplace_back(module, isIcq);
        return isIcq;
    }
};

void FloorPass(const PLUGINLINK& link) {
    const int32_t global = ReadLevel(link, 0);
    const intptr_t count = link.CallService(kSvcGetContactCount, 0, 0);
    ContactHandle contact = static_cast<ContactHandle>(link.CallService(kSvcFindFirstContact, 0, 0));
    FloorAccounts accounts;
    for (intptr_t i = 0; i < count && contact != 0; ++i) {
        const auto* proto =
            reinterpret_cast<const char*>(link.CallService(kSvcGetContactBaseProto, contact, 0));
        if (proto && accounts.IsIcq(link, proto)) {
            const int32_t level = ReadLevel(link, contact);
            HostWParam mode = 0;
            if (global == 0) mode = ID_STATUS_ONLINE;
            else if (global == 6) mode = ID_STATUS_OFFLINE;
            else if (level == 0) mode = ID_STATUS_ONLINE;
            else if (level == 6) mode = ID_STATUS_OFFLINE;
            else if (level >= 1 && level <= 5) mode = global > level ? ID_STATUS_OFFLINE : ID_STATUS_ONLINE;
            if (mode) {
                CCSDATA call = {contact, kPssSetApparentMode, mode, 0};
                link.CallService(kSvcCallContactService, 0, reinterpret_cast<HostLParam>(&call));
            }
        }
        contact = static_cast<ContactHandle>(link.CallService(kSvcFindNextContact, contact, 0));
    }
}

void PluginPass(SandboxHost& host) { host.FireStatusModeChange(); }

// The floor is fair only if it makes exactly the plug-in's calls (as the log
// shows them: the records hold addresses that differ) and ends with the same
// apparent modes.
bool FloorMatchesPlugin(SandboxHost& host, const std::vector<ContactHandle>& contacts) {
    host.SetLogging(true);
    host.OverrideContactCount(2000);
    host.ClearLog();
    PluginPass(host);
    const std::vector<HostCall> pluginCalls = host.Log();
    host.ClearLog();
    FloorPass(host.Link());
    const std::vector<HostCall> floorCalls = host.Log();
    host.ClearLog();
    host.OverrideContactCount(std::nullopt);
    host.SetLogging(false);
    bool same = pluginCalls.size() == floorCalls.size();
    for (size_t i = 0; same && i < pluginCalls.size(); ++i)
        same = pluginCalls[i].text == floorCalls[i].text;
    if (!same) {
        std::printf("The floor's host calls differ from the plug-in's (%zu against %zu calls).\n",
                    floorCalls.size(), pluginCalls.size());
        return false;
    }

    host.ClearApparentModes();
    PluginPass(host);
    std::vector<std::optional<uint32_t>> pluginModes;
    for (ContactHandle contact : contacts) pluginModes.push_back(host.ApparentMode(contact));
    host.ClearApparentModes();
    FloorPass(host.Link());
    for (size_t i = 0; i < contacts.size(); ++i) {
        if (host.ApparentMode(contacts[i]) != pluginModes[i]) {
            std::printf("The floor leaves contact %zu in another apparent mode.\n", i);
            return false;
        }
    }
    return true;
}

// --- The login sync -------------------------------------------------------------------

constexpr const char* kSyncedAccount = "ICQ_1";

struct SyncFigures {
    double nsPerContact = 0;
    double callsPerContact = 0;
};

// The ack that tells the plug-in the account has just logged in.
void AckLogin(SandboxHost& host) {
    ACKDATA ack = {};
    ack.cbSize = sizeof ack;
    ack.szModule = kSyncedAccount;
    ack.type = ACKTYPE_STATUS;
    ack.hProcess = reinterpret_cast<void*>(1);
    ack.lParam = ID_STATUS_ONLINE;
    host.FireAck(ack);
}

// A server with no entry for the account, as before its first login with
// the plug-in: every contact of it gets calls.
void EmptyTheServer(SandboxHost& host, const std::vector<ContactHandle>& contacts) {
    host.Server().ClearAccount(kSyncedAccount);
    for (ContactHandle contact : contacts) {
        host.RemoveSetting(contact, kSyncedAccount, "SrvPermitId");
        host.RemoveSetting(contact, kSyncedAccount, "SrvDenyId");
    }
}

SyncFigures TimeOnce(SandboxHost& host, const std::function<void()>& run) {
    host.SetLogging(true);
    host.ClearLog();
    run();
    const size_t calls = host.Log().size();
    host.ClearLog();
    host.SetLogging(false);
    const double start = Now();
    run();
    return {(Now() - start) * 1e9 / kContacts, static_cast<double>(calls) / kContacts};
}

// The account logs in (the module reads the server's lists), then each
// figure times only what the plug-in does on the ack: once against a server
// without entries, once against one already right.
bool TimeLoginSync(SandboxHost& host, const std::vector<ContactHandle>& contacts, int runs,
                   SyncFigures& empty, SyncFigures& right, SyncFigures& pass) {
    host.ChangeStatus(ID_STATUS_ONLINE);
    host.FinishLogins();
    std::vector<double> emptyNs;
    std::vector<double> rightNs;
    for (int run = 0; run < runs; ++run) {
        EmptyTheServer(host, contacts);
        empty = TimeOnce(host, [&] { AckLogin(host); });
        emptyNs.push_back(empty.nsPerContact);
        right = TimeOnce(host, [&] { AckLogin(host); });
        rightNs.push_back(right.nsPerContact);
    }
    empty.nsPerContact = Median(emptyNs);
    right.nsPerContact = Median(rightNs);
    pass = TimeOnce(host, [&] { PluginPass(host); });
    if (host.Server().Entries(kSyncedAccount, IcqServer::List::Visible).empty() ||
        host.Server().Entries(kSyncedAccount, IcqServer::List::Invisible).empty()) {
        std::printf("The login sync left the server's lists of %s empty.\n", kSyncedAccount);
        return false;
    }
    return true;
}

// --- The floor editor: the same window made by plain Win32 calls --------------------

// What the plug-in's editor shows, made the way a small Win32 program makes
// it: a window of the same class style, size and styles, the same six
// controls with the same places, styles and texts, one font of the same face
// and size for all of them, the seven items and the same selection and focus.
// It asks the host for nothing.
constexpr const char* kFloorClass = "Quillmere floor editor";
constexpr const char* kFloorService = "QuillmereFloor/Edit";
constexpr const char* kFloorLevelNames[7] = {"Always visible", "Visibility 1", "Visibility 2",
                                             "Visibility 3",   "Visibility 4", "Visibility 5",
                                             "Never visible"};

int g_logPixels = 96;           // read once, as the plug-in does when it is mapped
HFONT g_floorFont = nullptr;    // the open floor editor's; deleted with it
HWND g_floorClose = nullptr;

void AddFloorControl(HWND editor, const char* className, DWORD exStyle, DWORD style, int left,
                     int top, int width, int height, const char* text, HWND* made = nullptr) {
    const HWND control = CreateWindowExA(exStyle, className, text, style, left, top, width, height,
                                         editor, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_floorFont), 0);
    if (made) *made = control;
}

LRESULT CALLBACK FloorEditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        LOGFONTA font = {};
        font.lfHeight = -MulDiv(8, g_logPixels, 72);
        font.lfWeight = FW_NORMAL;
        std::strcpy(font.lfFaceName, "MS Sans Serif");
        g_floorFont = CreateFontIndirectA(&font);
        constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
        HWND list = nullptr;
        AddFloorControl(window, "STATIC", 0, kChild, 8, 8, 278, 13, "&Visibility Level");
        AddFloorControl(window, "COMBOBOX", 0, kChild | WS_TABSTOP | CBS_HASSTRINGS | CBS_AUTOHSCROLL | 0xF,
                        8, 24, 278, 210, "", &list);
        AddFloorControl(window, "STATIC", 0, kChild | SS_WHITERECT, 8, 57, 278, 1, "");
        AddFloorControl(window, "STATIC", 0, kChild | SS_BLACKRECT, 8, 56, 278, 1, "");
        AddFloorControl(window, "BUTTON", WS_EX_NOPARENTNOTIFY, kChild | WS_TABSTOP, 130, 65, 75, 25, "&OK");
        AddFloorControl(window, "BUTTON", WS_EX_NOPARENTNOTIFY, kChild | WS_TABSTOP, 211, 65, 75, 25, "Close",
                        &g_floorClose);
        for (const char* name : kFloorLevelNames)
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageA(list, CB_SETCURSEL, kGlobalLevel, 0);
        SetFocus(list);
        return 0;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == g_floorClose) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:  // the controls are gone by now
        DeleteObject(g_floorFont);
        g_floorFont = nullptr;
        g_floorClose = nullptr;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The service the floor's main-menu entry calls: opens the floor editor and
// runs its loop until it is gone, as the plug-in's service does.
intptr_t __cdecl RunFloorEditor(HostWParam, HostLParam) {
    static const bool registered = [] {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_VREDRAW | CS_HREDRAW;
        windowClass.lpfnWndProc = FloorEditorProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
        windowClass.lpszClassName = kFloorClass;
        return RegisterClassExA(&windowClass) != 0;
    }();
    if (!registered) return 1;
    const HWND editor =
        CreateWindowExA(0, kFloorClass, "Visibility Level", WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION, 271, 210,
                        300, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!editor) return 1;
    ShowWindow(editor, SW_SHOW);
    UpdateWindow(editor);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// The floor's entry in the host's main menu, after the plug-in's; its index.
size_t AddFloorMenuEntry(SandboxHost& host) {
    g_logPixels = [] {
        const HDC screen = GetDC(nullptr);
        const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return logPixels;
    }();
    host.Link().CreateServiceFunction(kFloorService, RunFloorEditor);
    CLISTMENUITEM item = {};
    item.cbSize = sizeof item;
    item.pszName = "Floor editor";
    item.pszService = kFloorService;
    host.Link().CallService(kSvcAddMainMenuItem, 0, reinterpret_cast<HostLParam>(&item));
    return host.MainMenu().size() - 1;
}

// --- The editor -----------------------------------------------------------------------

HMODULE g_plugin = nullptr;
HMODULE g_measured = nullptr;  // the module whose editor is being timed
double g_visibleAt = 0;
double g_lastPaintAt = 0;
double g_closeClickedAt = 0;
bool g_closeFailed = false;
UINT_PTR g_closeTimer = 0;
UINT_PTR g_safetyTimer = 0;

bool IsMeasuredWindow(HWND window) {
    const HWND root = GetAncestor(window, GA_ROOT);
    return root && reinterpret_cast<HMODULE>(GetClassLongPtrA(root, GCLP_HMODULE)) == g_measured;
}

BOOL CALLBACK FindEditor(HWND window, LPARAM found) {
    if (reinterpret_cast<HMODULE>(GetClassLongPtrA(window, GCLP_HMODULE)) != g_measured) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND OpenEditor() {
    HWND editor = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindEditor, reinterpret_cast<LPARAM>(&editor));
    return editor;
}

// The windows of the editor being timed, each with the procedure the spy
// below hands its messages on to.
std::vector<std::pair<HWND, WNDPROC>> g_spiedWindows;

// Sees the editor's window shown and every window of it painted, after the
// window's own procedure has handled the message.
LRESULT CALLBACK SpyOnEditor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = nullptr;
    for (const auto& spied : g_spiedWindows)
        if (spied.first == window) own = spied.second;
    const LRESULT result = CallWindowProcA(own, window, message, wParam, lParam);
    if (message == WM_WINDOWPOSCHANGED && g_visibleAt == 0 && GetAncestor(window, GA_ROOT) == window &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
        g_visibleAt = Now();
    if (message == WM_PAINT) g_lastPaintAt = Now();
    return result;
}

// Puts the spy under each window of the editor being timed as it is made.
// A hook that sees every message (WH_CALLWNDPROCRET) would be simpler, but
// under Wine each hooked message costs round trips to the Wine server: such
// a hook made each opening about 2 ms slower, a third of it, and the editor
// that sends more messages the more so. This one runs for a few events only.
LRESULT CALLBACK WatchEditorWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && IsMeasuredWindow(reinterpret_cast<HWND>(wParam))) {
        const auto window = reinterpret_cast<HWND>(wParam);
        const auto spy = reinterpret_cast<LONG_PTR>(SpyOnEditor);
        const auto own = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, spy));
        g_spiedWindows.emplace_back(window, own);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string TextOf(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// One line for the editor and one for each control, as they stand open: what
// a user sees, and what the floor must match to be a fair floor. The place on
// the screen is left out: the plug-in's editor opens where it was closed.
std::vector<std::string> DescribeEditor(HWND editor) {
    std::vector<std::string> lines;
    char line[512];
    RECT rect;
    GetWindowRect(editor, &rect);
    std::snprintf(line, sizeof line, "editor class style 0x%lX style 0x%08lX ex 0x%08lX %ldx%ld \"%s\"",
                  static_cast<unsigned long>(GetClassLongPtrA(editor, GCL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongA(editor, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongA(editor, GWL_EXSTYLE)), rect.right - rect.left,
                  rect.bottom - rect.top, TextOf(editor).c_str());
    lines.push_back(line);
    for (HWND child = GetWindow(editor, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&rect), 2);
        LOGFONTA font = {};
        const auto fontHandle = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
        if (fontHandle) GetObjectA(fontHandle, sizeof font, &font);
        std::snprintf(line, sizeof line,
                      "%s style 0x%08lX ex 0x%08lX at %ld,%ld %ldx%ld \"%s\" font \"%s\" %ld%s", className,
                      static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
                      static_cast<unsigned long>(GetWindowLongA(child, GWL_EXSTYLE)), rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, TextOf(child).c_str(), font.lfFaceName,
                      font.lfHeight, GetFocus() == child ? " focused" : "");
        lines.push_back(line);
        if (std::strcmp(className, "ComboBox") != 0) continue;
        const int count = static_cast<int>(SendMessageA(child, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char item[256] = "";
            if (SendMessageA(child, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof item))
                SendMessageA(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            std::snprintf(line, sizeof line, "  item %d \"%s\"%s", i, item,
                          SendMessageA(child, CB_GETCURSEL, 0, 0) == i ? " selected" : "");
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string>* g_description = nullptr;  // filled by the next Close click, when set

// Runs inside the editor's loop: clicks Close as a user would.
void CALLBACK ClickClose(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const HWND editor = OpenEditor();
    const HWND close = editor ? FindWindowExA(editor, nullptr, "Button", "Close") : nullptr;
    if (!close) {
        g_closeFailed = true;
        return;
    }
    if (g_description) *g_description = DescribeEditor(editor);
    g_closeClickedAt = Now();
    SendMessageA(close, BM_CLICK, 0, 0);
}

// Ends an editor that did not close, so that the benchmark cannot hang.
void CALLBACK TearDown(HWND, UINT, UINT_PTR, DWORD) {
    g_closeFailed = true;
    if (const HWND editor = OpenEditor()) DestroyWindow(editor);
}

struct EditorTimes {
    std::vector<double> toVisible;
    std::vector<double> toPainted;
    std::vector<double> toClosed;
};

// One opening from the main menu, closed by a Close click inside its loop.
bool TimeOneOpening(SandboxHost& host, size_t menuIndex, HMODULE module, EditorTimes* times,
                    std::vector<std::string>* description = nullptr) {
    g_measured = module;
    g_spiedWindows.clear();
    g_description = description;
    g_visibleAt = g_lastPaintAt = g_closeClickedAt = 0;
    g_closeTimer = SetTimer(nullptr, 0, 20, ClickClose);
    g_safetyTimer = SetTimer(nullptr, 0, 5000, TearDown);
    const double openedAt = Now();
    host.ClickMainMenuItem(menuIndex);
    const double closedAt = Now();
    KillTimer(nullptr, g_closeTimer);
    KillTimer(nullptr, g_safetyTimer);
    g_description = nullptr;
    if (g_closeFailed || g_visibleAt == 0 || g_closeClickedAt == 0) return false;
    if (times) {
        times->toVisible.push_back((g_visibleAt - openedAt) * 1000);
        times->toPainted.push_back((g_lastPaintAt - openedAt) * 1000);
        times->toClosed.push_back((closedAt - g_closeClickedAt) * 1000);
    }
    return true;
}

// The floor is fair only if it shows what the plug-in's editor shows.
bool FloorEditorMatchesPlugin(const std::vector<std::string>& plugin, const std::vector<std::string>& floor) {
    for (size_t i = 0; i < std::max(plugin.size(), floor.size()); ++i) {
        const std::string pluginLine = i < plugin.size() ? plugin[i] : "(nothing)";
        const std::string floorLine = i < floor.size() ? floor[i] : "(nothing)";
        if (pluginLine == floorLine) continue;
        std::printf("The floor editor differs from the plug-in's:\n  plug-in: %s\n  floor:   %s\n",
                    pluginLine.c_str(), floorLine.c_str());
        return false;
    }
    return !plugin.empty();
}

// The plug-in's editor and the floor's in turn, each first in every other
// round; the first round also registers the window classes, compares the two
// editors and is not timed.
bool TimeEditor(SandboxHost& host, size_t floorMenuIndex, EditorTimes& plugin, EditorTimes& floor) {
    const HHOOK hook = SetWindowsHookExA(WH_CBT, WatchEditorWindows, nullptr, GetCurrentThreadId());
    if (!hook) {
        std::printf("Cannot watch the editor's messages.\n");
        return false;
    }
    const HMODULE floorModule = GetModuleHandleA(nullptr);
    std::vector<std::string> pluginShows;
    std::vector<std::string> floorShows;
    bool ok = TimeOneOpening(host, 0, g_plugin, nullptr, &pluginShows) &&
              TimeOneOpening(host, floorMenuIndex, floorModule, nullptr, &floorShows);
    if (!ok) std::printf("An editor did not open, show or close as expected.\n");
    ok = ok && FloorEditorMatchesPlugin(pluginShows, floorShows);
    for (int i = 1; i <= kEditorOpenings && ok; ++i) {
        for (int turn = 0; turn < 2 && ok; ++turn) {
            const bool pluginTurn = (i + turn) % 2 == 0;
            EditorTimes* times = pluginTurn ? &plugin : &floor;
            ok = pluginTurn ? TimeOneOpening(host, 0, g_plugin, times)
                            : TimeOneOpening(host, floorMenuIndex, floorModule, times);
            if (!ok)
                std::printf("The %s editor did not open, show or close as expected.\n",
                            pluginTurn ? "plug-in's" : "floor");
        }
    }
    UnhookWindowsHookEx(hook);
    return ok;
}

// Each opening of the plug-in's editor over the floor's next to it, so that
// both saw the same load on a shared machine; the median of those ratios.
double EditorRatio(const std::vector<double>& plugin, const std::vector<double>& floor) {
    std::vector<double> ratios;
    for (size_t i = 0; i < plugin.size() && i < floor.size(); ++i) ratios.push_back(plugin[i] / floor[i]);
    return Median(ratios);
}

void PrintEditorLine(const char* what, const std::vector<double>& plugin, const std::vector<double>& floor) {
    std::printf("  %-24s plug-in min %6.2f median %6.2f ms   floor min %6.2f median %6.2f ms   ratio %5.2f\n",
                what, Min(plugin), Median(plugin), Min(floor), Median(floor), EditorRatio(plugin, floor));
}

long FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    return static_cast<long>(data.nFileSizeLow);
}

}  // namespace

int main(int argc, char** argv) {
    const int passRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultPassRuns;

    SandboxHost host;
    if (!host.LoadPlugin("Quillmere.dll")) {
        std::printf("Quillmere.dll could not be loaded from the current folder.\n");
        return 1;
    }
    g_plugin = GetModuleHandleA("Quillmere.dll");
    host.SetLogging(false);
    const std::vector<ContactHandle> contacts = BuildProfile(host);
    if (!host.Start()) {
        std::printf("The plug-in did not start.\n");
        return 1;
    }
    if (!FloorMatchesPlugin(host, contacts)) return 1;
    const size_t floorMenuIndex = AddFloorMenuEntry(host);

    // Interleaved, each first in turn, so that neither gets a warmer cache.
    std::vector<double> pluginNs;
    std::vector<double> floorNs;
    for (int run = 0; run < passRuns; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool pluginTurn = (run + turn) % 2 == 0;
            const double start = Now();
            if (pluginTurn)
                PluginPass(host);
            else
                FloorPass(host.Link());
            const double ns = (Now() - start) * 1e9 / kContacts;
            (pluginTurn ? pluginNs : floorNs).push_back(ns);
        }
    }

    SyncFigures syncEmpty;
    SyncFigures syncRight;
    SyncFigures passFigures;
    if (!TimeLoginSync(host, contacts, std::max(1, passRuns / 4), syncEmpty, syncRight, passFigures)) return 1;

    EditorTimes editor;
    EditorTimes floorEditor;
    if (!TimeEditor(host, floorMenuIndex, editor, floorEditor)) return 1;

    const long dllSize = FileSize("Quillmere.dll");
    const long floorSize = FileSize("QuillmereFloor.dll");

    std::printf("Quillmere benchmark in the sandbox host (call log off)\n\n");
    if (kContacts != kNativeContacts)
        std::printf("32-bit programs run through qemu here, with too little memory for %d contacts: "
                    "%d contacts instead.\n\n",
                    kNativeContacts, kContacts);
    std::printf("Normal pass over %d contacts (%d ICQ, half of them in the account ICQ_1; levels 0-6 "
                "and unset, global level %d), %d runs each:\n",
                kContacts, kContacts / 2, kGlobalLevel, passRuns);
    std::printf("  plug-in   min %8.1f ns/contact   median %8.1f ns/contact\n", Min(pluginNs),
                Median(pluginNs));
    std::printf("  floor     min %8.1f ns/contact   median %8.1f ns/contact"
                "   (a bare loop making the same host calls)\n",
                Min(floorNs), Median(floorNs));
    std::printf("  ratio of minima %.3f\n\n", Min(pluginNs) / Min(floorNs));

    std::printf("Login sync of the account %s (%d of the contacts), per contact walked:\n", kSyncedAccount,
                kContacts / 4);
    std::printf("  server without entries   %8.1f ns/contact   %5.2f host calls/contact\n",
                syncEmpty.nsPerContact, syncEmpty.callsPerContact);
    std::printf("  server already right     %8.1f ns/contact   %5.2f host calls/contact\n",
                syncRight.nsPerContact, syncRight.callsPerContact);
    std::printf("  normal pass, logged in   %8.1f ns/contact   %5.2f host calls/contact\n\n",
                passFigures.nsPerContact, passFigures.callsPerContact);

    std::printf("Editor, %d openings of the global editor after a first one, each next to one of a floor\n"
                "editor (the same window, controls, font and items made by plain Win32 calls here);\n"
                "ratio: the median of each opening over the floor's next to it:\n",
                kEditorOpenings);
    PrintEditorLine("open to visible", editor.toVisible, floorEditor.toVisible);
    PrintEditorLine("open to painted", editor.toPainted, floorEditor.toPainted);
    PrintEditorLine("Close clicked to closed", editor.toClosed, floorEditor.toClosed);
    std::printf("\n");

    std::printf("Size:\n");
    std::printf("  Quillmere.dll       %7ld bytes (target at most %ld: %s)\n", dllSize, kSizeTarget,
                dllSize >= 0 && dllSize <= kSizeTarget ? "met" : "MISSED");
    std::printf("  QuillmereFloor.dll  %7ld bytes (empty DLL, same toolchain and flags)\n", floorSize);
    std::printf("  the plug-in adds    %7ld bytes\n\n", dllSize - floorSize);

    // The medians: on a shared machine a single lucky run moves a minimum.
    const double ratio = Median(pluginNs) / Median(floorNs);
    std::printf("pass ratio plug-in/floor (medians of %d runs, target at most %.2f): %.3f\n",
                passRuns, kRatioTarget, ratio);
    std::printf("editor ratio plug-in/floor (median of %d pairs of openings, target at most %.2f): "
                "%.3f to visible, %.3f to painted\n",
                kEditorOpenings, kEditorRatioTarget, EditorRatio(editor.toVisible, floorEditor.toVisible),
                EditorRatio(editor.toPainted, floorEditor.toPainted));
    return 0;
}
