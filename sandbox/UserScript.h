// What a person does at the keyboard and mouse, as steps run one after the
// other from a thread timer. A step runs inside whatever message loop is
// running at its tick: the program's own, a menu's, or the plug-in editor's,
// so steps can go on while a menu or the editor keeps the thread busy.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class UserScript {
public:
    // True when the step is done; false to try it again at the next tick
    // (waiting for a window to appear, say). The next step runs at the next
    // tick, once the input this one posted has been handled.
    using Step = std::function<bool()>;

    void Add(std::string what, Step step);
    // The script's own loop gives each message to the filter first, as a
    // host's loop gives its modeless dialogs theirs (IsDialogMessage); a
    // message the filter took is not dispatched again.
    void SetMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }

    // Runs the steps until the last one is done; false when `timeoutMs`
    // passed first. Then `onTimeout` runs, inside the innermost loop, and
    // must end whatever menus and windows the steps opened.
    bool Run(DWORD timeoutMs, const std::function<void()>& onTimeout);
    // The step that was not done when time ran out.
    const std::string& Stuck() const { return stuck_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);

    std::vector<std::pair<std::string, Step>> steps_;
    size_t next_ = 0;
    bool over_ = false;
    bool timedOut_ = false;
    DWORD deadline_ = 0;
    std::function<void()> onTimeout_;
    std::function<bool(MSG&)> filter_;
    std::string stuck_;
};

// A key press and release as the keyboard delivers them, posted to `target`.
void PressKey(HWND target, UINT virtualKey);
// A right-button click at a point in the window's client area.
void RightClick(HWND window, POINT clientPoint);
// The shortcut menu being tracked, or null.
HWND OpenPopupMenu();
// The texts of a menu's items, in UTF-8; separators are empty.
std::vector<std::string> MenuTexts(HMENU menu);
// A step that waits for the shortcut menu, notes its entries in `seen` and
// picks `entry` with the arrow keys and Enter; a menu without that entry is
// left with Esc.
UserScript::Step PickFromMenu(HWND owner, const std::string& entry, std::vector<std::string>* seen);
