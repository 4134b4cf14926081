// The sandbox host's own window, for a person to use: the contact list with
// each contact's protocol module, the protocol of the account behind it,
// stored visibility level, the apparent mode the ICQ module stored, the
// entries the ICQ server holds for it and whether it sees the user; a
// status-mode selector that changes the user's status as a host's status
// menu does (the ICQ accounts that log in finish a second later); a main menu
// and right-click contact menus carrying the entries plug-ins add, placed by
// their positions, with the host's own "Options..." on the main menu, which
// opens the host's Options dialog beside the window. The list catches up
// after every change the plug-in makes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "sandbox/SandboxHost.h"

// The user's status modes the selector offers, in its order.
struct StatusMode {
    uint32_t id;
    const char* name;
};
extern const StatusMode kStatusModes[8];
constexpr uint32_t kStatusInvisible = 40078;

// A stored visibility level as the window shows it: "3 Visibility 3",
// "not set (0)", "9 (outside 0 to 6)".
std::string LevelText(const SandboxHost& host, ContactHandle contact);

class HostWindow {
public:
    enum Column {
        kNameColumn,
        kModuleColumn,
        kAccountColumn,
        kLevelColumn,
        kApparentColumn,
        kServerColumn,
        kSeesYouColumn
    };

    explicit HostWindow(SandboxHost& host);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // Creates and shows the window; false when it cannot be made. With
    // quitWhenClosed, closing it ends the thread's message loop.
    bool Open(int left, int top, bool quitWhenClosed);
    HWND Window() const { return window_; }
    HWND ContactList() const { return list_; }
    HWND StatusSelector() const { return statusBox_; }

    // Row of a contact in the list, -1 when it has none.
    int RowOf(ContactHandle contact) const;
    // A point on the contact's name, in the list's client coordinates.
    POINT RowPoint(ContactHandle contact) const;
    // In UTF-8.
    std::string CellText(int row, Column column) const;
    // The line under the list: the user's status, each ICQ account's state
    // and the global level.
    std::string StatusLineText() const;
    uint32_t Status() const { return status_; }

    // Called, from the window's own message handling, each time a plug-in
    // has changed stored settings since the last call.
    void SetSettingsChangedListener(std::function<void()> listener) {
        settingsChanged_ = std::move(listener);
    }

    // What the user's actions do; the window's controls and menus call these.
    void ChangeStatus(uint32_t status);
    // Builds the contact's menu as a host does (the pre-build event first,
    // hidden entries left out), shows it at the screen point and runs what
    // the user picks.
    void ShowContactMenu(ContactHandle contact, POINT screenPoint);
    // Rewrites every row from what the host holds now.
    void Refresh();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildChildren();
    void Layout(int width, int height);
    void FillMainMenu();
    void OnRightClick(int row, POINT screenPoint);
    void OnMenuKey();
    void RunMenuCommand(UINT command);
    void RequestRefresh();
    void OnLoginTimer();

    SandboxHost& host_;
    HWND window_ = nullptr;
    HWND hint_ = nullptr;
    HWND list_ = nullptr;
    HWND statusLabel_ = nullptr;
    HWND statusBox_ = nullptr;
    HWND statusLine_ = nullptr;
    HMENU mainPopup_ = nullptr;  // owned by the window's menu bar
    bool quitWhenClosed_ = false;
    bool refreshPosted_ = false;
    uint32_t status_ = ID_STATUS_OFFLINE;
    uint64_t settingsSeen_ = 0;
    ContactHandle menuContact_ = 0;  // whose contact menu is open
    std::function<void()> settingsChanged_;
};
