#include "sandbox/bench/PageOpeningParts.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sandbox/bench/LevelSetting.h"
#include "sandbox/bench/Timing.h"

namespace {

// The services through which the page reads its contacts.
constexpr const char* kReadingServices[] = {kSvcGetSetting,         kSvcGetContactCount,   kSvcFindFirstContact,
                                            kSvcFindNextContact,    kSvcGetContactBaseProto, kSvcGetAccount,
                                            kSvcGetContactDisplayName};

bool IsReadingCall(const std::string& text) {
    for (const char* service : kReadingServices) {
        const size_t length = std::strlen(service);
        if (text.compare(0, length, service) == 0 && (text.size() == length || text[length] == ' ')) return true;
    }
    return false;
}

// The page's reading: the global level, then each contact's protocol, the
// account question once a module (for "ICQ" too, whose account has a name
// to show), and the level and display name of each ICQ contact.
std::vector<std::string> BareWalk(const PLUGINLINK& link) {
    ReadLevelSetting(link, 0);
    const intptr_t count = link.CallService(kSvcGetContactCount, 0, 0);
    ContactHandle contact = static_cast<ContactHandle>(link.CallService(kSvcFindFirstContact, 0, 0));
    std::vector<std::pair<std::string, bool>> modules;
    std::vector<std::string> names;
    for (intptr_t i = 0; i < count && contact != 0; ++i) {
        const auto* proto =
            reinterpret_cast<const char*>(link.CallService(kSvcGetContactBaseProto, contact, 0));
        if (proto && *proto) {
            auto module = std::find_if(modules.begin(), modules.end(),
                                       [&](const std::pair<std::string, bool>& known) { return known.first == proto; });
            if (module == modules.end()) {
                const intptr_t record = link.CallService(kSvcGetAccount, 0, reinterpret_cast<HostLParam>(proto));
                const auto* account = reinterpret_cast<const PROTOACCOUNT*>(record);
                const bool isIcq = std::strcmp(proto, "ICQ") == 0 ||
                                   (record != 0 && record != kServiceNotFound &&
                                    account->cbSize >= kAccountSizeWithProtoName && account->szProtoName &&
                                    std::strcmp(account->szProtoName, "ICQ") == 0);
                modules.emplace_back(proto, isIcq);
                module = modules.end() - 1;
            }
            if (module->second) {
                ReadLevelSetting(link, contact);
                const auto* name =
                    reinterpret_cast<const char*>(link.CallService(kSvcGetContactDisplayName, contact, 0));
                names.emplace_back(name ? name : "");
            }
        }
        contact = static_cast<ContactHandle>(link.CallService(kSvcFindNextContact, contact, 0));
    }
    return names;
}

// The bare page's list texts, while it is made and painted.
const std::vector<std::string>* g_bareListNames = nullptr;
constexpr const char* kStageClass = "Quillmere bare page stage";
constexpr const char* kBarePageClass = "Quillmere bare page";
constexpr const char* kOtherColumns[] = {"Work ICQ", "Visibility 3", "the ICQ server decides"};

// The bare page gives its list the texts of each row as the real page does:
// when the list asks for them (LVN_GETDISPINFO), from texts it holds.
LRESULT CALLBACK BarePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        if ((item.mask & LVIF_TEXT) && g_bareListNames && item.iItem >= 0 &&
            static_cast<size_t>(item.iItem) < g_bareListNames->size()) {
            const char* text = item.iSubItem == 0 ? (*g_bareListNames)[item.iItem].c_str()
                                                  : kOtherColumns[(item.iSubItem - 1) % 3];
            lstrcpynA(item.pszText, text, item.cchTextMax);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterBareClasses() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kStageClass;
    if (!RegisterClassA(&windowClass)) return false;
    windowClass.lpfnWndProc = BarePageProc;
    windowClass.lpszClassName = kBarePageClass;
    return RegisterClassA(&windowClass) != 0;
}

std::string TextOf(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void SetUpBareList(HWND list, const PageLooks& looks, size_t rows) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (size_t column = 0; column < looks.columns.size(); ++column) {
        std::string header = looks.columns[column].first;
        LVCOLUMNA record = {};
        record.mask = LVCF_TEXT | LVCF_WIDTH;
        record.cx = looks.columns[column].second;
        record.pszText = &header[0];
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&record));
    }
    SendMessageA(list, LVM_SETITEMCOUNT, rows, 0);
}

}  // namespace

PageLooks LooksOf(HWND page) {
    PageLooks looks;
    RECT pageRect = {};
    GetClientRect(page, &pageRect);
    looks.width = pageRect.right;
    looks.height = pageRect.bottom;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0));
    if (font) GetObjectA(font, sizeof looks.font, &looks.font);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlLooks control;
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        control.className = className;
        control.style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        control.exStyle = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
        GetWindowRect(child, &control.rect);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&control.rect), 2);
        control.text = TextOf(child);
        if (control.className == WC_COMBOBOXA) {
            const int count = static_cast<int>(SendMessageA(child, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                char item[256] = "";
                if (SendMessageA(child, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof item))
                    SendMessageA(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                control.items.push_back(item);
            }
            // The drop-down's height with its list, as it was made.
            RECT dropped = {};
            SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
            control.rect.bottom = control.rect.top + (dropped.bottom - dropped.top);
        }
        if (control.className == WC_LISTVIEWA) {
            const auto header = reinterpret_cast<HWND>(SendMessageA(child, LVM_GETHEADER, 0, 0));
            const int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
            for (int column = 0; column < columns; ++column) {
                char text[256] = "";
                LVCOLUMNA record = {};
                record.mask = LVCF_TEXT | LVCF_WIDTH;
                record.pszText = text;
                record.cchTextMax = sizeof text;
                SendMessageA(child, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&record));
                looks.columns.emplace_back(text, record.cx);
            }
        }
        looks.controls.push_back(control);
    }
    return looks;
}

std::vector<std::string> ReadingCalls(const std::vector<HostCall>& openingCalls) {
    std::vector<std::string> calls;
    for (const HostCall& call : openingCalls)
        if (IsReadingCall(call.text)) calls.push_back(call.text);
    return calls;
}

bool BareWalkMatchesPage(SandboxHost& host, const std::vector<std::string>& pageCalls) {
    host.SetLogging(true);
    host.ClearLog();
    BareWalk(host.Link());
    const std::vector<std::string> walkCalls = host.LogTexts();
    host.ClearLog();
    host.SetLogging(false);
    for (size_t i = 0; i < std::max(pageCalls.size(), walkCalls.size()); ++i) {
        const std::string page = i < pageCalls.size() ? pageCalls[i] : "(nothing)";
        const std::string walk = i < walkCalls.size() ? walkCalls[i] : "(nothing)";
        if (page == walk) continue;
        std::printf("The bare walk's host calls differ from the page's, at call %zu of %zu:\n"
                    "  page: %s\n  walk: %s\n",
                    i, pageCalls.size(), page.c_str(), walk.c_str());
        return false;
    }
    return !pageCalls.empty();
}

std::vector<std::string> TimeBareWalk(SandboxHost& host, OpeningParts& parts) {
    const double start = Now();
    std::vector<std::string> names = BareWalk(host.Link());
    parts.hostCallsMs.push_back((Now() - start) * 1000);
    return names;
}

// As a list sorted for the user compares names: by the system's sort keys,
// without case.
void TimeSortKeys(const std::vector<std::string>& names, OpeningParts& parts) {
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const double start = Now();
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string& name : names) {
        const int size = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, name.c_str(), -1, nullptr, 0);
        std::string key(static_cast<size_t>(std::max(size, 1)), '\0');
        if (size > 0) LCMapStringA(LOCALE_USER_DEFAULT, kFlags, name.c_str(), -1, &key[0], size);
        keys.push_back(std::move(key));
    }
    std::vector<size_t> order(names.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return std::strcmp(keys[a].c_str(), keys[b].c_str()) < 0; });
    parts.sortKeysMs.push_back((Now() - start) * 1000);
}

void TimeTextWidths(HWND list, const std::vector<std::string>& names, OpeningParts& parts) {
    const double start = Now();
    const HDC dc = GetDC(list);
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const std::string& name : names) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, name.c_str(), static_cast<int>(name.size()), &size);
        widest = std::max(widest, size.cx);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    parts.textWidthsMs.push_back((Now() - start) * 1000);
}

BarePage::BarePage(const PageLooks& looks) : looks_(looks) {
    static const bool registered = RegisterBareClasses();
    if (!registered) return;
    // Where no Options dialog lies: the bottom right of the screen.
    const int left = GetSystemMetrics(SM_CXSCREEN) - looks.width;
    const int top = GetSystemMetrics(SM_CYSCREEN) - looks.height;
    stage_ = CreateWindowExA(WS_EX_TOOLWINDOW, kStageClass, "", WS_POPUP | WS_CLIPCHILDREN, left, top, looks.width,
                             looks.height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    font_ = CreateFontIndirectA(&looks.font);
}

BarePage::~BarePage() {
    if (stage_) DestroyWindow(stage_);
    stage_ = nullptr;
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

bool BarePage::Time(const std::vector<std::string>& names, OpeningParts& parts) {
    if (!stage_ || !font_) {
        std::printf("The bare page's window or font could not be made.\n");
        return false;
    }
    // The stage on show and painted first, untimed, as the dialog is when
    // the real page is made.
    ShowWindow(stage_, SW_SHOWNOACTIVATE);
    UpdateWindow(stage_);
    g_bareListNames = &names;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    double dropDowns = 0;
    double listView = 0;
    bool allMade = true;
    const double start = Now();
    const HWND page = CreateWindowExA(WS_EX_CONTROLPARENT, kBarePageClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                                      looks_.width, looks_.height, stage_, nullptr, instance, nullptr);
    for (const ControlLooks& control : looks_.controls) {
        if (!page) break;
        const double controlStart = Now();
        const RECT& rect = control.rect;
        const HWND window = CreateWindowExA(control.exStyle, control.className.c_str(), control.text.c_str(),
                                            control.style, rect.left, rect.top, rect.right - rect.left,
                                            rect.bottom - rect.top, page, nullptr, instance, nullptr);
        allMade = allMade && window;
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
        for (const std::string& item : control.items)
            SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        if (control.className == WC_COMBOBOXA) dropDowns += Now() - controlStart;
        if (control.className == WC_LISTVIEWA) {
            SetUpBareList(window, looks_, names.size());
            listView += Now() - controlStart;
        }
    }
    if (page) {
        ShowWindow(page, SW_SHOW);
        RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    const double painted = Now();
    bool shown = page && IsWindowVisible(page) && !GetUpdateRect(page, nullptr, FALSE);
    for (HWND child = page ? GetWindow(page, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
        shown = shown && !GetUpdateRect(child, nullptr, FALSE);
    if (page) DestroyWindow(page);
    ShowWindow(stage_, SW_HIDE);
    g_bareListNames = nullptr;
    if (!page || !allMade || !shown) {
        std::printf("The bare page was not made or not painted.\n");
        return false;
    }
    parts.controlsMs.push_back((painted - start) * 1000);
    parts.dropDownsMs.push_back(dropDowns * 1000);
    parts.listViewMs.push_back(listView * 1000);
    return true;
}

void PrintOpeningParts(const OpeningParts& parts, double openingMs, size_t readingCalls) {
    const double hostCalls = Median(parts.hostCallsMs);
    const double sortKeys = Median(parts.sortKeysMs);
    const double textWidths = Median(parts.textWidthsMs);
    const double controls = Median(parts.controlsMs);
    char walk[96];
    std::snprintf(walk, sizeof walk, "host calls that read the contacts (%zu, by a bare walk)", readingCalls);
    auto line = [](const char* what, double ms) { std::printf("    %-62s %7.2f ms\n", what, ms); };
    std::printf("  where an opening's time goes: each piece done alone here on the same contacts, next to\n"
                "  each opening, median:\n");
    line(walk, hostCalls);
    line("the names' sort keys and their sort", sortKeys);
    line("the names' widths in the list's font", textWidths);
    line("the page's controls made by plain calls, shown and painted", controls);
    line("  of which the two drop-downs' making", Median(parts.dropDownsMs));
    line("  of which the list view's making, its columns and rows set", Median(parts.listViewMs));
    line("the rest: the Options dialog and the plug-in's own code", openingMs - hostCalls - sortKeys - textWidths - controls);
}
