// The sandbox host's Options dialog, a module of the host as in the real one.
//
// Opening it fires "Opt/Initialise" with an addInfo of this opening; from
// inside that hook a module adds its pages through "Opt/AddPage", handing
// back that addInfo and an OPTIONSDIALOGPAGE whose cbSize the host must know.
// The host translates each page's title and group itself. A page is a dialog
// resource of the module's instance, made a child of the dialog (an ANSI
// window, even on a Unicode host) the first time it is shown. Pages tell the
// dialog of a change with PSM_CHANGED; Apply and OK ask the page on show
// (PSN_KILLACTIVE) and then apply every changed page (PSN_APPLY); Cancel
// resets the changed pages (PSN_RESET). The dialog is modeless: the loop
// that runs it hands it its messages first (TakeDialogMessage).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostAbi.h"

class SandboxHost;

// Which host the dialog acts as. 0.5 knows the page record's 40-byte and
// 60-byte forms and leaves a page its own size; 0.10 knows the 64-byte and
// 68-byte forms too and sizes every page to the page area. On 64-bit hosts
// the same forms are 72, 104, 112 and 120 bytes.
enum class OptionsRelease { Miranda0_5, Miranda0_10 };

// What the dialog sent a page as WM_NOTIFY, and what the page answered
// through DWLP_MSGRESULT.
struct PageNotification {
    int32_t code;  // kPsnKillActive, kPsnApply or kPsnReset
    intptr_t answer;
};

// A page of the dialog's last opening.
struct OptionsPage {
    std::string title;  // UTF-8, as the host translated it
    std::string group;  // UTF-8, translated; empty when the page has none
    // The module's record as far as its cbSize reaches, zero past it. Its
    // texts are the module's: the host copied what it needs as it took them.
    OPTIONSDIALOGPAGE record = {};
    // The page's dialog resource, found as the page was added, made a
    // child's; empty when the module's instance has no such resource.
    std::vector<DWORD> childTemplate;
    HWND window = nullptr;  // null until first shown, and once the dialog is gone
    bool changed = false;   // sent PSM_CHANGED since the last Apply
    std::vector<PageNotification> notifications;
};

class OptionsDialog {
public:
    // Adds "Opt/AddPage" to the host's services.
    explicit OptionsDialog(SandboxHost& host);
    ~OptionsDialog();
    OptionsDialog(const OptionsDialog&) = delete;
    OptionsDialog& operator=(const OptionsDialog&) = delete;

    void SetRelease(OptionsRelease release) { release_ = release; }
    OptionsRelease Release() const { return release_; }
    // The cbSize values "Opt/AddPage" takes, on this release and target.
    std::vector<int32_t> KnownRecordSizes() const;
    bool ResizesPages() const { return release_ == OptionsRelease::Miranda0_10; }

    // What the user's "Options..." does: fires "Opt/Initialise", collects
    // the pages, and opens the dialog on the first of them. Null when no
    // module added a page. Already open: brought to the front, nothing fired.
    HWND Open();
    bool IsOpen() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    // The list of pages, "Group / Title" or "Title", in the order they came.
    HWND PageList() const { return pageList_; }
    // The dialog's units of the page area, which 0.10 sizes every page to.
    static constexpr int kPageAreaWidth = 313;
    static constexpr int kPageAreaHeight = 240;

    const std::vector<OptionsPage>& Pages() const { return pages_; }
    HWND PageWindow(size_t index) const { return index < pages_.size() ? pages_[index].window : nullptr; }
    // Selects the page in the list, as a click on it does.
    void ShowPage(size_t index);

    // BM_CLICK on the buttons, as the user presses them.
    void ClickApply();
    void ClickOk();
    void ClickCancel();
    bool ApplyEnabled() const { return applyButton_ && IsWindowEnabled(applyButton_); }

    // IsDialogMessage for the open dialog, so that Tab, Enter and Esc work
    // in it and in its pages. True when the message was the dialog's and has
    // been handled; the loop must not dispatch it again. The message is taken
    // in the form of the host's build: wide on a Unicode one.
    bool TakeDialogMessage(MSG& message);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    intptr_t ServeAddPage(HostWParam addInfo, HostLParam lParam);
    void FillPageList();
    void Show(size_t index);
    HWND CreatePage(OptionsPage& page);
    intptr_t Notify(OptionsPage& page, int32_t code);
    // PSN_KILLACTIVE to the page on show, then PSN_APPLY to every changed
    // page; false when the page on show would not let go.
    bool Apply();
    void Cancel();
    void Forget();

    SandboxHost& host_;
    OptionsRelease release_ = OptionsRelease::Miranda0_10;
    // "Opt/AddPage" takes pages only while "Opt/Initialise" runs, with this
    // object's address as the addInfo.
    bool collecting_ = false;
    std::vector<OptionsPage> pages_;
    HWND window_ = nullptr;       // we own it: destroyed with this object
    HWND pageList_ = nullptr;     // the dialog's child
    HWND applyButton_ = nullptr;  // the dialog's child
    RECT pageArea_ = {};          // where pages go, in the dialog's client coordinates
    int shown_ = -1;              // the page on show; -1 while closed
};
