#include "tests/EditorSupport.h"

namespace {

constexpr UINT kStepsDelayMs = 10;
// Long enough for a loaded machine, short enough that a broken loop costs
// seconds, not the suite's timeout.
constexpr UINT kSafetyDelayMs = 5000;

// The one run in progress; the timer procedures reach it through these.
EditorRun* g_run = nullptr;
const EditorSteps* g_steps = nullptr;
UINT_PTR g_stepsTimer = 0;
UINT_PTR g_safetyTimer = 0;

void CALLBACK RunStepsTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!g_run || timer != g_stepsTimer || g_run->stepsRan) return;
    const std::vector<HWND> editors = PluginTopLevelWindows();
    if (editors.empty()) return;
    const HWND editor = editors.front();
    g_run->editor = editor;
    g_run->stepsRan = true;
    (*g_steps)(editor);
    // A step that failed fatally skipped the rest, most likely also the one
    // that closes the editor: close it now rather than at the safety timer.
    if (::testing::Test::HasFatalFailure() && IsWindow(editor)) SendMessageA(editor, WM_CLOSE, 0, 0);
}

// Repeats until the run is over, so that it also ends a second loop opened
// by mistake inside the first.
void CALLBACK SafetyTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_run || timer != g_safetyTimer) return;
    g_run->safetyFired = true;
    for (HWND window : PluginTopLevelWindows()) DestroyWindow(window);
    PostQuitMessage(0);
}

}  // namespace

EditorRun RunEditorWith(const std::function<intptr_t()>& open, const EditorSteps& steps) {
    EditorRun run;
    g_run = &run;
    g_steps = &steps;
    g_stepsTimer = SetTimer(nullptr, 0, kStepsDelayMs, RunStepsTimer);
    g_safetyTimer = SetTimer(nullptr, 0, kSafetyDelayMs, SafetyTimer);
    run.result = open();
    KillTimer(nullptr, g_stepsTimer);
    KillTimer(nullptr, g_safetyTimer);
    g_stepsTimer = 0;
    g_safetyTimer = 0;
    g_run = nullptr;
    g_steps = nullptr;
    return run;
}

EditorRun RunEditorWith(SandboxHost& host, ContactHandle contact, const EditorSteps& steps) {
    return RunEditorWith([&] { return host.CallPluginService(kSvcEditVisibility, contact, 0); },
                         steps);
}

::testing::AssertionResult RanCleanly(const EditorRun& run) {
    if (run.safetyFired)
        return ::testing::AssertionFailure() << "the safety timer had to end the editor's loop";
    if (!run.stepsRan)
        return ::testing::AssertionFailure() << "no editor window was open for the steps";
    if (run.result != 0)
        return ::testing::AssertionFailure() << "the service returned " << run.result;
    return ::testing::AssertionSuccess();
}

std::vector<HWND> EditorWindowTree(HWND editor) {
    std::vector<HWND> windows{editor};
    const EditorChildren children = FindEditorChildren(editor);
    windows.insert(windows.end(), children.all.begin(), children.all.end());
    if (children.levelList) {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(children.levelList, &info) && info.hwndList)
            windows.push_back(info.hwndList);
    }
    return windows;
}

std::string ClassNameOf(HWND window) {
    char name[512] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

void ClickButton(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

void CloseThroughButton(HWND editor) { ClickButton(FindEditorChildren(editor).closeButton); }

void SendChar(HWND window, WPARAM character) { SendMessageA(window, WM_CHAR, character, 1); }

void SendTab(HWND window, bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE before = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    SendChar(window, VK_TAB);
    GetKeyboardState(keys);
    keys[VK_SHIFT] = before;
    SetKeyboardState(keys);
}

bool TakeQuitMessage(WPARAM* exitCode) {
    MSG message = {};
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    if (exitCode) *exitCode = message.wParam;
    return true;
}

void EditorTest::TearDown() {
    EXPECT_FALSE(TakeQuitMessage()) << "a quit message was left in the queue";
    EXPECT_TRUE(PluginTopLevelWindows().empty()) << "an editor window was left open";
    PluginTest::TearDown();
}
