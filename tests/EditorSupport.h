// Drives the level editor from inside its own message loop, as a user would.
//
// The service call does not return while the editor is open, so the test's
// steps run from a thread timer that the editor's loop dispatches: the timer
// finds the editor window, stops itself and runs the steps. A second, bounded
// timer tears every window of the plug-in down and posts a quit message, so a
// failing test ends instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "sandbox/PluginWindows.h"
#include "tests/PluginSupport.h"
#include "tests/WindowSupport.h"

// What happened around one opening of the editor.
struct EditorRun {
    intptr_t result = -1;     // what the service call (or menu click) returned
    bool stepsRan = false;    // an editor window was found and the steps ran on it
    bool safetyFired = false; // the safety timer had to end the editor's loop
    HWND editor = nullptr;    // the window the steps ran on
};

using EditorSteps = std::function<void(HWND editor)>;

// Arms the timers, calls `open` (which is expected to run the editor's loop)
// and disarms the timers once it has returned.
EditorRun RunEditorWith(const std::function<intptr_t()>& open, const EditorSteps& steps);
// The same through host.CallPluginService("Quillmere/Edit", contact).
EditorRun RunEditorWith(SandboxHost& host, ContactHandle contact, const EditorSteps& steps);

// Returned 0, found an editor to run the steps on, needed no safety timer.
::testing::AssertionResult RanCleanly(const EditorRun& run);

// The windows a closed editor must not leave behind: the editor, its
// children, and the list's own drop-down window.
std::vector<HWND> EditorWindowTree(HWND editor);

std::string ClassNameOf(HWND window);

// BM_CLICK: the button presses and releases itself and tells its parent, as a
// mouse click does.
void ClickButton(HWND button);
// Leaves the editor through its Close button, the plainest way out.
void CloseThroughButton(HWND editor);
// WM_CHAR as a key press on the focused window delivers it.
void SendChar(HWND window, WPARAM character);
// Tab, with Shift held down in the thread's keyboard state while it is sent.
void SendTab(HWND window, bool shift);

// Takes a pending WM_QUIT off the thread's queue; false when there is none.
bool TakeQuitMessage(WPARAM* exitCode = nullptr);

// The editor's tests: whatever a test did, no quit message and no editor
// window may be left once it is over.
class EditorTest : public PluginTest {
protected:
    void TearDown() override;
};
