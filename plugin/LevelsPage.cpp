#include "plugin/LevelsPage.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "host/HostHelpers.h"
#include "host/HostLink.h"
#include "plugin/InterfaceTexts.h"
#include "plugin/LevelRows.h"
#include "toolkit/ModuleInstance.h"
#include "toolkit/WideText.h"
#include "toolkit/WindowCalls.h"

namespace {

constexpr int kGlobalLevelId = 1001;
constexpr int kContactListId = 1002;
constexpr int kChosenLevelId = 1003;
constexpr int kNoLevel = -1;  // CB_ERR: nothing selected

// Where a control goes, in dialog units of the page's 313 by 240.
struct DialogRect {
    int left, top, width, height;
};

// The page's controls, in tab order, each after its label.
struct ChildControl {
    const char* className;
    const char* text;  // untranslated; null for none
    DWORD style;
    DWORD exStyle;
    DialogRect where;  // a drop-down's height includes its list
    int id;
};
constexpr DWORD kDropDownList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr ChildControl kChildren[] = {
    {"STATIC", kGlobalLevelLabel, SS_LEFT, 0, {5, 8, 140, 8}, -1},
    {"COMBOBOX", nullptr, kDropDownList, 0, {150, 6, 158, 110}, kGlobalLevelId},
    {"STATIC", kContactListLabel, SS_LEFT, 0, {5, 26, 303, 8}, -1},
    {WC_LISTVIEWA, nullptr, LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE,
     {5, 36, 303, 176}, kContactListId},
    {"STATIC", kChosenLevelLabel, SS_LEFT, 0, {5, 220, 140, 8}, -1},
    {"COMBOBOX", nullptr, kDropDownList, 0, {150, 218, 158, 110}, kChosenLevelId},
};
enum ChildIndex { kGlobalLevelChild = 1, kContactListChild = 3, kChosenLevelChild = 5 };

// Room a list view column needs around its text, in pixels.
constexpr int kColumnPadding = 16;

enum class Column { Name, Account, Level, SeesYou };
constexpr const char* kColumnHeaders[] = {kContactColumn, kAccountColumn, kLevelColumn, kSeesYouColumn};

// What a contact's level and the global level make of it: seen always,
// never, or as the server has it.
enum Sight { kSeesAlwaysText, kSeesNeverText, kServerDecidesText };
constexpr const char* kSightTexts[] = {kSeesAlways, kSeesNever, kServerDecides};

class LevelsPage {
public:
    explicit LevelsPage(HWND window) : window_(window), table_(ReadLevelTable()) {}

    void Build();
    void OnContactDeleted(ContactHandle contact);
    // WM_NOTIFY from the list; the answer, where one is wanted, through DWLP_MSGRESULT.
    bool OnListNotify(const NMHDR* header);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void Apply() { ApplyLevelTable(table_); }
    HWND List() const { return list_; }

    LevelsPage* nextOpen = nullptr;  // the open pages form a list

private:
    HWND CreateChild(const ChildControl& child);
    void AddColumns();
    int ColumnWidth(HDC dc, Column column, const char* header);
    const char* CellText(const LevelRow& row, Column column);
    void GiveItemText(LVITEMA* item, bool wide);
    LRESULT FindItem(const NMLVFINDITEMA* find, bool wide);
    // The next chosen row after `index` (-1: the first), -1 when none is left.
    int NextChosen(int index);
    void SetChosenLevel(VisibilityLevel level);
    void ShowChosenLevel();
    void SelectAll();
    void Changed();

    HWND window_;
    HWND list_ = nullptr;
    HWND globalLevel_ = nullptr;
    HWND chosenLevel_ = nullptr;
    LevelTable table_;
    Column columns_[4] = {};
    int columnCount_ = 0;
    std::string levelNames_[7];  // translated, one a level
    std::string sightTexts_[3];  // translated, one a Sight
    char levelNumber_[16] = "";  // a level outside 0 to 6, while the list shows it
};

LevelsPage* FirstOpenPage = nullptr;
HookHandle ContactDeletedHook = 0;  // while a page is open

HWND LevelsPage::CreateChild(const ChildControl& child) {
    const DialogRect& where = child.where;
    RECT rect = {where.left, where.top, where.left + where.width, where.top + where.height};
    MapDialogRect(window_, &rect);
    const HWND made = WinCreateWindow(child.exStyle, child.className, child.text ? Translate(child.text) : std::string(),
                                      WS_CHILD | WS_VISIBLE | child.style, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, window_, ModuleInstance(),
                                      child.id);
    // The page's own font: not ours to delete.
    WinSendMessage(made, WM_SETFONT, SendMessageA(window_, WM_GETFONT, 0, 0), 0);
    return made;
}

void LevelsPage::Build() {
    for (int level = 0; level < 7; ++level) levelNames_[level] = Translate(kLevelNames[level]);
    for (int sight = 0; sight < 3; ++sight) sightTexts_[sight] = Translate(kSightTexts[sight]);

    HWND made[std::size(kChildren)];
    for (size_t index = 0; index < std::size(kChildren); ++index) made[index] = CreateChild(kChildren[index]);
    globalLevel_ = made[kGlobalLevelChild];
    list_ = made[kContactListChild];
    chosenLevel_ = made[kChosenLevelChild];
    for (const HWND levels : {globalLevel_, chosenLevel_})
        for (const std::string& name : levelNames_) WinSendText(levels, CB_ADDSTRING, 0, name);
    // A global level outside 0 to 6 selects nothing, and so do no rows chosen.
    const VisibilityLevel global = table_.global;
    WinSendMessage(globalLevel_, CB_SETCURSEL, global >= 0 && global <= 6 ? global : kNoLevel, 0);
    WinSendMessage(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumns();
    WinSendMessage(list_, LVM_SETITEMCOUNT, table_.rows.size(), 0);
}

void LevelsPage::AddColumns() {
    // The account only where the host keeps accounts.
    for (const Column column : {Column::Name, Column::Account, Column::Level, Column::SeesYou})
        if (column != Column::Account || table_.hostHasAccounts) columns_[columnCount_++] = column;
    const HDC dc = GetDC(list_);
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(WinSendMessage(list_, WM_GETFONT, 0, 0)));
    const bool wide = WideWindowCallsInUse();
    for (int index = 0; index < columnCount_; ++index) {
        const std::string header = Translate(kColumnHeaders[static_cast<int>(columns_[index])]);
        // LVCOLUMNW is LVCOLUMNA with a wide text.
        LVCOLUMNA record = {};
        record.mask = LVCF_TEXT | LVCF_WIDTH;
        record.cx = ColumnWidth(dc, columns_[index], header.c_str());
        const std::wstring wideHeader = wide ? WidenUtf8(header) : std::wstring();
        record.pszText = wide ? reinterpret_cast<char*>(const_cast<wchar_t*>(wideHeader.c_str()))
                              : const_cast<char*>(header.c_str());
        WinSendMessage(list_, wide ? LVM_INSERTCOLUMNW : LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&record));
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list_, dc);
}

// Room for the column's longest text and its header.
int LevelsPage::ColumnWidth(HDC dc, Column column, const char* header) {
    int widest = WinTextWidth(dc, header);
    const auto fit = [&](const char* text) { widest = std::max(widest, WinTextWidth(dc, text)); };
    switch (column) {
    case Column::Name:
        for (const LevelRow& row : table_.rows) fit(table_.NameOf(row));
        break;
    case Column::Account:
        for (const LevelModule& module : table_.modules)
            if (module.isIcq) fit(module.accountName.c_str());
        break;
    case Column::Level:
        for (const std::string& name : levelNames_) fit(name.c_str());
        for (const LevelRow& row : table_.rows)
            if (row.level < 0 || row.level > 6) fit(CellText(row, column));
        break;
    case Column::SeesYou:
        for (const std::string& text : sightTexts_) fit(text.c_str());
        break;
    }
    return widest + kColumnPadding;
}

const char* LevelsPage::CellText(const LevelRow& row, Column column) {
    switch (column) {
    case Column::Name: return table_.NameOf(row);
    case Column::Account: return table_.modules[row.module].accountName.c_str();
    case Column::Level:
        if (row.level >= 0 && row.level <= 6) return levelNames_[row.level].c_str();
        wsprintfA(levelNumber_, "%d", row.level);
        return levelNumber_;
    case Column::SeesYou: break;
    }
    switch (DecideApparentMode(NormalPass, table_.global, row.level)) {
    case ApparentMode::Online: return sightTexts_[kSeesAlwaysText].c_str();
    case ApparentMode::Offline: return sightTexts_[kSeesNeverText].c_str();
    case ApparentMode::Unchanged: break;
    }
    return sightTexts_[kServerDecidesText].c_str();
}

// LVN_GETDISPINFO. A list asks in the form the page told it when it was
// made: wide text where the wide calls are in use, the system's code page
// elsewhere.
void LevelsPage::GiveItemText(LVITEMA* item, bool wide) {
    if (!(item->mask & LVIF_TEXT) || item->iItem < 0 || static_cast<size_t>(item->iItem) >= table_.rows.size() ||
        item->iSubItem < 0 || item->iSubItem >= columnCount_)
        return;
    const char* text = CellText(table_.rows[item->iItem], columns_[item->iSubItem]);
    if (wide && WideWindowCallsInUse())
        WidenUtf8Into(text, reinterpret_cast<wchar_t*>(item->pszText), item->cchTextMax);
    else
        lstrcpynA(item->pszText, text, item->cchTextMax);
}

// LVN_ODFINDITEM, as the user types the start of a name: the first row from
// the one asked for on, round to it again, whose name starts so; -1 for
// none. Digits set levels: the list takes them, and those typed just before,
// for the start of a name too, and they are left out.
LRESULT LevelsPage::FindItem(const NMLVFINDITEMA* find, bool wide) {
    if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return -1;
    // Some lists ask in wide text whatever the page told them.
    std::string typed = find->lvfi.psz;
    if (wide) {
        const auto* wideTyped = reinterpret_cast<const wchar_t*>(find->lvfi.psz);
        char narrow[MAX_PATH] = "";
        if (!WideWindowCallsInUse())
            WideCharToMultiByte(CP_ACP, 0, wideTyped, -1, narrow, MAX_PATH - 1, nullptr, nullptr);
        typed = WideWindowCallsInUse() ? NarrowToUtf8(wideTyped) : narrow;
    }
    typed.erase(0, typed.find_first_not_of("0123456789"));
    const size_t count = table_.rows.size();
    if (typed.empty() || count == 0) return -1;
    const size_t first = find->iStart >= 0 && static_cast<size_t>(find->iStart) < count ? find->iStart : 0;
    for (size_t step = 0; step < count; ++step) {
        const size_t index = (first + step) % count;
        if (WinStartsWith(table_.NameOf(table_.rows[index]), typed.c_str())) return static_cast<LRESULT>(index);
    }
    return -1;
}

bool LevelsPage::OnListNotify(const NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW:
        GiveItemText(&reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item,
                     header->code == LVN_GETDISPINFOW);
        return true;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
        SetWindowLongPtrA(window_, DWLP_MSGRESULT,
                          FindItem(reinterpret_cast<const NMLVFINDITEMA*>(header), header->code == LVN_ODFINDITEMW));
        return true;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
        const bool control = GetKeyState(VK_CONTROL) < 0;
        if (control && key == 'A') SelectAll();
        if (control || GetKeyState(VK_MENU) < 0) return true;
        if (key >= '0' && key <= '6') SetChosenLevel(key - '0');
        if (key >= VK_NUMPAD0 && key <= VK_NUMPAD6) SetChosenLevel(key - VK_NUMPAD0);
        return true;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        ShowChosenLevel();
        return true;
    }
    return false;
}

void LevelsPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (HIWORD(wParam) != CBN_SELCHANGE || (from != chosenLevel_ && from != globalLevel_)) return;
    const int index = static_cast<int>(WinSendMessage(from, CB_GETCURSEL, 0, 0));
    if (index < 0 || index > 6) return;
    if (from == chosenLevel_) {
        SetChosenLevel(index);
    } else if (index != table_.global) {
        table_.global = index;
        // Every row's "sees you" follows the global level.
        InvalidateRect(list_, nullptr, FALSE);
        Changed();
    }
}

int LevelsPage::NextChosen(int index) {
    index = static_cast<int>(WinSendMessage(list_, LVM_GETNEXTITEM, index, LVNI_SELECTED));
    return index >= 0 && static_cast<size_t>(index) < table_.rows.size() ? index : -1;
}

void LevelsPage::SetChosenLevel(VisibilityLevel level) {
    bool changed = false;
    for (int index = NextChosen(-1); index >= 0; index = NextChosen(index)) {
        LevelRow& row = table_.rows[index];
        changed = changed || row.level != level;
        row.level = level;
    }
    ShowChosenLevel();
    if (!changed) return;
    InvalidateRect(list_, nullptr, FALSE);
    Changed();
}

// The drop-down shows the level the chosen rows share, or nothing.
void LevelsPage::ShowChosenLevel() {
    VisibilityLevel shared = kNoLevel;
    for (int index = NextChosen(-1); index >= 0; index = NextChosen(index)) {
        const VisibilityLevel level = table_.rows[index].level;
        if (shared != kNoLevel && level != shared) {
            shared = kNoLevel;
            break;
        }
        shared = level;
    }
    WinSendMessage(chosenLevel_, CB_SETCURSEL, shared >= 0 && shared <= 6 ? shared : kNoLevel, 0);
}

void LevelsPage::SelectAll() {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    // Item -1: every item.
    WinSendMessage(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

// PSM_CHANGED: the dialog enables Apply and will apply this page.
void LevelsPage::Changed() { SendMessageA(GetParent(window_), kPsmChanged, reinterpret_cast<WPARAM>(window_), 0); }

void LevelsPage::OnContactDeleted(ContactHandle contact) {
    for (LevelRow& row : table_.rows)
        if (row.contact == contact) row.deleted = true;
}

int __cdecl OnContactDeleted(HostWParam contact, HostLParam) {
    for (LevelsPage* page = FirstOpenPage; page; page = page->nextOpen) page->OnContactDeleted(contact);
    return 0;
}

// The list view's class comes with the common controls, which the host has
// loaded; asked for here all the same, through the library rather than an
// import of it.
void MakeListViewClassReady() {
    const HMODULE controls = LoadLibraryA("comctl32.dll");
    using Initialise = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initialise = reinterpret_cast<Initialise>(
        reinterpret_cast<void*>(controls ? GetProcAddress(controls, "InitCommonControlsEx") : nullptr));
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    if (initialise) initialise(&classes);
}

void Open(HWND window) {
    MakeListViewClassReady();
    auto* page = new LevelsPage(window);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    if (!FirstOpenPage && !ContactDeletedHook)
        ContactDeletedHook = PluginLink.HookEvent(kEvContactDeleted, OnContactDeleted);
    page->nextOpen = FirstOpenPage;
    FirstOpenPage = page;
    page->Build();
}

void Close(HWND window, LevelsPage* page) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    for (LevelsPage** link = &FirstOpenPage; *link; link = &(*link)->nextOpen) {
        if (*link != page) continue;
        *link = page->nextOpen;
        break;
    }
    if (!FirstOpenPage) UnhookLevelsPages();
    delete page;
}

// The dialog's answer to a message it asked about.
INT_PTR Answer(HWND window, LONG_PTR result) {
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK LevelsPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LevelsPage* page = reinterpret_cast<LevelsPage*>(GetWindowLongPtrA(window, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        Open(window);
        return TRUE;
    case WM_NOTIFYFORMAT:
        // The list, made with the wide calls, tells of its items in wide text.
        if (lParam != NF_QUERY) break;
        return Answer(window, WideWindowCallsInUse() ? NFR_UNICODE : NFR_ANSI);
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!page) break;
        if (header->hwndFrom == page->List()) return page->OnListNotify(header) ? TRUE : FALSE;
        const int32_t code = static_cast<int32_t>(header->code);
        if (code == kPsnApply) {
            page->Apply();
            return Answer(window, PSNRET_NOERROR);
        }
        if (code == kPsnKillActive) return Answer(window, FALSE);
        break;
    }
    case WM_COMMAND:
        if (page) page->OnCommand(wParam, lParam);
        break;
    case WM_DESTROY:
        if (page) Close(window, page);
        break;
    }
    return FALSE;
}

void UnhookLevelsPages() {
    if (ContactDeletedHook) PluginLink.UnhookEvent(ContactDeletedHook);
    ContactDeletedHook = 0;
}
