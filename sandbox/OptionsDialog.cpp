#include "sandbox/OptionsDialog.h"

#include <prsht.h>

#include <algorithm>
#include <cstring>

#include "sandbox/CallLogText.h"
#include "sandbox/DialogTemplate.h"
#include "sandbox/SandboxHost.h"
#include "sandbox/TextCodec.h"

namespace {

// The page record's forms, each by where it ends: after hGroupIcon, after
// nExpertOnlyControls (the record as declared), after the tab's name, and
// after one more pointer-sized field.
constexpr int32_t kRecordToGroupIcon = static_cast<int32_t>(offsetof(OPTIONSDIALOGPAGE, flags));
constexpr int32_t kRecordWhole = static_cast<int32_t>(sizeof(OPTIONSDIALOGPAGE));
constexpr int32_t kRecordWithTab = kRecordWhole + static_cast<int32_t>(sizeof(void*));
constexpr int32_t kRecordPastTab = kRecordWithTab + static_cast<int32_t>(sizeof(void*));
static_assert(kRecordToGroupIcon == ByTarget(40, 72), "the form that ends at hGroupIcon");
static_assert(kRecordWhole == ByTarget(60, 104), "the form that ends at nExpertOnlyControls");
static_assert(kRecordWithTab == ByTarget(64, 112), "the form with the tab's name");
static_assert(kRecordPastTab == ByTarget(68, 120), "the form with one more field past the tab's name");

// The dialog's layout, in its units.
constexpr short kMargin = 7;
constexpr short kListWidth = 100;
constexpr short kPageLeft = kMargin + kListWidth + kMargin;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 4;
constexpr short kButtonTop = kMargin + OptionsDialog::kPageAreaHeight + kMargin;
constexpr short kDialogWidth = kPageLeft + OptionsDialog::kPageAreaWidth + kMargin;
constexpr short kDialogHeight = kButtonTop + kButtonHeight + kMargin;

constexpr WORD kPageListId = 100;
constexpr WORD kApplyId = 3;

// A resource id below 0x10000 as "#101", a name as it is.
std::string TemplateName(const char* name) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(name);
    if (value < 0x10000) return "#" + std::to_string(value);
    return Quote(name);
}

}  // namespace

OptionsDialog::OptionsDialog(SandboxHost& host) : host_(host) {
    host_.AddHostService(kSvcAddOptionsPage, [this](HostWParam addInfo, HostLParam lParam) {
        return ServeAddPage(addInfo, lParam);
    });
}

OptionsDialog::~OptionsDialog() {
    if (window_) DestroyWindow(window_);
}

std::vector<int32_t> OptionsDialog::KnownRecordSizes() const {
    if (release_ == OptionsRelease::Miranda0_5) return {kRecordToGroupIcon, kRecordWhole};
    return {kRecordToGroupIcon, kRecordWhole, kRecordWithTab, kRecordPastTab};
}

// The record is read no further than its cbSize says, and only once that
// size is known.
intptr_t OptionsDialog::ServeAddPage(HostWParam addInfo, HostLParam lParam) {
    const std::string call = std::string(kSvcAddOptionsPage) + " " + std::to_string(addInfo);
    const auto* record = reinterpret_cast<const OPTIONSDIALOGPAGE*>(lParam);
    if (!record) {
        host_.Record(call + " (null)");
        return 1;
    }
    const int32_t size = record->cbSize;
    const std::vector<int32_t> known = KnownRecordSizes();
    if (std::find(known.begin(), known.end(), size) == known.end()) {
        host_.Record(call + " cbSize=" + std::to_string(size), record, sizeof record->cbSize);
        return 1;
    }
    OptionsPage page;
    std::memcpy(&page.record, record, std::min(static_cast<size_t>(size), sizeof page.record));
    const OPTIONSDIALOGPAGE& taken = page.record;
    host_.Record(call + " cbSize=" + std::to_string(size) + " position=" + std::to_string(taken.position) +
                     " title=" + Quote(taken.pszTitle) + " group=" + Quote(taken.pszGroup) +
                     " template=" + TemplateName(taken.pszTemplate) + " flags=" + Hex(taken.flags),
                 record, static_cast<size_t>(size));
    if (!collecting_ || addInfo != reinterpret_cast<HostWParam>(this)) return 1;
    page.title = host_.TranslatedUtf8(taken.pszTitle);
    page.group = host_.TranslatedUtf8(taken.pszGroup);
    page.childTemplate = ChildTemplateFromResource(static_cast<HINSTANCE>(taken.hInstance), taken.pszTemplate);
    pages_.push_back(std::move(page));
    return 0;
}

HWND OptionsDialog::Open() {
    if (window_) {
        SetForegroundWindow(window_);
        return window_;
    }
    pages_.clear();
    collecting_ = true;
    host_.FireEvent(kEvOptionsInitialise, reinterpret_cast<HostWParam>(this), 0);
    collecting_ = false;
    if (pages_.empty()) return nullptr;

    DialogTemplateWriter writer(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
                                kDialogWidth, kDialogHeight, L"Options", 8, L"MS Shell Dlg");
    // In the order of Tab; each page goes in after the list.
    writer.AddControl(kListBoxAtom, L"", kPageListId,
                      LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, kMargin,
                      kMargin, kListWidth, kPageAreaHeight);
    const short okLeft = kDialogWidth - kMargin - 3 * kButtonWidth - 2 * kButtonGap;
    writer.AddControl(kButtonAtom, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, okLeft, kButtonTop,
                      kButtonWidth, kButtonHeight);
    writer.AddControl(kButtonAtom, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP,
                      okLeft + kButtonWidth + kButtonGap, kButtonTop, kButtonWidth, kButtonHeight);
    writer.AddControl(kButtonAtom, L"&Apply", kApplyId, BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                      okLeft + 2 * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth, kButtonHeight);
    // A Unicode host's dialog is a Unicode window; its pages stay ANSI.
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    if (host_.IsUnicode())
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), writer.Template(), nullptr, DialogProc, self);
    else
        CreateDialogIndirectParamA(GetModuleHandleA(nullptr), writer.Template(), nullptr, DialogProc, self);
    if (!window_) return nullptr;
    Show(0);
    ShowWindow(window_, SW_SHOW);
    return window_;
}

INT_PTR CALLBACK OptionsDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<OptionsDialog*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        // The pages' windows went with the dialog; what they were told stays.
        SetWindowLongPtrA(window, DWLP_USER, 0);
        self->Forget();
        return FALSE;
    }
    return self->Handle(message, wParam, lParam);
}

INT_PTR OptionsDialog::Handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        pageList_ = GetDlgItem(window_, kPageListId);
        applyButton_ = GetDlgItem(window_, kApplyId);
        pageArea_ = {kPageLeft, kMargin, kPageLeft + kPageAreaWidth, kMargin + kPageAreaHeight};
        MapDialogRect(window_, &pageArea_);
        FillPageList();
        return TRUE;
    case kPsmChanged:
        // A page says nothing of itself: it is the one on show that changed.
        if (shown_ < 0) return TRUE;
        pages_[shown_].changed = true;
        EnableWindow(applyButton_, TRUE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kPageListId:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                const LRESULT selected = SendMessageA(pageList_, LB_GETCURSEL, 0, 0);
                if (selected >= 0) Show(static_cast<size_t>(selected));
            }
            return TRUE;
        case kApplyId:
            if (IsWindowEnabled(applyButton_)) Apply();
            return TRUE;
        case IDOK:
            if (Apply()) DestroyWindow(window_);
            return TRUE;
        case IDCANCEL:  // the button, Esc, and the window's close box
            Cancel();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void OptionsDialog::FillPageList() {
    for (const OptionsPage& page : pages_) {
        const std::string text = page.group.empty() ? page.title : page.group + " / " + page.title;
        if (host_.IsUnicode())
            SendMessageW(pageList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str()));
        else
            SendMessageA(pageList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(host_.HostTextFromUtf8(text).c_str()));
    }
}

void OptionsDialog::ShowPage(size_t index) {
    if (!window_ || index >= pages_.size()) return;
    SendMessageA(pageList_, LB_SETCURSEL, index, 0);
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(kPageListId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(pageList_));
}

void OptionsDialog::Show(size_t index) {
    if (index >= pages_.size() || static_cast<int>(index) == shown_) return;
    if (shown_ >= 0 && pages_[shown_].window) ShowWindow(pages_[shown_].window, SW_HIDE);
    // On show from here on, while it is made too.
    shown_ = static_cast<int>(index);
    SendMessageA(pageList_, LB_SETCURSEL, index, 0);
    OptionsPage& page = pages_[index];
    if (!page.window) page.window = CreatePage(page);
    if (page.window) ShowWindow(page.window, SW_SHOW);
}

HWND OptionsDialog::CreatePage(OptionsPage& page) {
    if (page.childTemplate.empty()) return nullptr;
    // CreateDialogIndirectParamA, with 0 for the page's parameter (0.5 calls
    // CreateDialogIndirectA, the same): the page is an ANSI window on every
    // host, as its procedure is the module's, written for 8-bit messages.
    const auto procedure = reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(page.record.pfnDlgProc));
    const HWND window =
        CreateDialogIndirectParamA(static_cast<HINSTANCE>(page.record.hInstance),
                                   reinterpret_cast<const DLGTEMPLATE*>(page.childTemplate.data()), window_,
                                   procedure, 0);
    if (!window) return nullptr;
    // Tab goes into the page's controls and out again.
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    // Right after the page list in the order of Tab, at the page area.
    const UINT keepSize = ResizesPages() ? 0 : SWP_NOSIZE;
    SetWindowPos(window, pageList_, pageArea_.left, pageArea_.top, pageArea_.right - pageArea_.left,
                 pageArea_.bottom - pageArea_.top, SWP_NOACTIVATE | keepSize);
    return window;
}

intptr_t OptionsDialog::Notify(OptionsPage& page, int32_t code) {
    const HWND window = page.window;
    PSHNOTIFY notify = {};
    notify.hdr.hwndFrom = window_;
    notify.hdr.idFrom = 0;
    notify.hdr.code = static_cast<UINT>(code);
    SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
    SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    const intptr_t answer = GetWindowLongPtrA(window, DWLP_MSGRESULT);
    page.notifications.push_back({code, answer});
    return answer;
}

bool OptionsDialog::Apply() {
    if (shown_ >= 0 && pages_[shown_].window && Notify(pages_[shown_], kPsnKillActive) != 0) return false;
    for (OptionsPage& page : pages_)
        if (page.changed && page.window) Notify(page, kPsnApply);
    for (OptionsPage& page : pages_) page.changed = false;
    if (applyButton_) EnableWindow(applyButton_, FALSE);
    return true;
}

void OptionsDialog::Cancel() {
    for (OptionsPage& page : pages_)
        if (page.changed && page.window) Notify(page, kPsnReset);
    if (window_) DestroyWindow(window_);
}

void OptionsDialog::ClickApply() {
    if (applyButton_) SendMessageA(applyButton_, BM_CLICK, 0, 0);
}

void OptionsDialog::ClickOk() {
    if (window_) SendMessageA(GetDlgItem(window_, IDOK), BM_CLICK, 0, 0);
}

void OptionsDialog::ClickCancel() {
    if (window_) SendMessageA(GetDlgItem(window_, IDCANCEL), BM_CLICK, 0, 0);
}

// The loops that run the dialog take their messages with GetMessageA.
bool OptionsDialog::TakeDialogMessage(MSG& message) {
    // In the form the host's loop took the message in.
    if (!window_) return false;
    return host_.IsUnicode() ? IsDialogMessageW(window_, &message) : IsDialogMessageA(window_, &message);
}

void OptionsDialog::Forget() {
    for (OptionsPage& page : pages_) page.window = nullptr;
    window_ = nullptr;
    pageList_ = nullptr;
    applyButton_ = nullptr;
    shown_ = -1;
}
