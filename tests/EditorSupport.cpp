#include "tests/EditorSupport.h"

#include <algorithm>

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

BOOL CALLBACK CollectPluginWindow(HWND window, LPARAM windows) {
    // Wine makes a drop-down list's list a child of the desktop window, which
    // the enumeration counts among the thread's top-level windows.
    if (reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) == PluginModule() &&
        !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && !GetWindow(window, GW_OWNER))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
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

EditorChildren FindEditorChildren(HWND editor) {
    EditorChildren children;
    for (HWND child = GetWindow(editor, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.all.push_back(child);
    if (children.all.size() != 6) return children;
    children.label = children.all[0];
    children.levelList = children.all[1];
    children.lineLight = children.all[2];
    children.lineDark = children.all[3];
    children.okButton = children.all[4];
    children.closeButton = children.all[5];
    return children;
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

HMODULE PluginModule() { return GetModuleHandleA("Quillmere.dll"); }

std::vector<HWND> PluginTopLevelWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectPluginWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string TextOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

std::string ClassNameOf(HWND window) {
    char name[512] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT ChildRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string ListItemText(HWND list, int index) {
    const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return "(no item)";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

void ClickButton(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

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

// --- EditorOpeningRecorder --------------------------------------------------------

static EditorOpeningRecorder* g_recorder = nullptr;

EditorOpeningRecorder::EditorOpeningRecorder() {
    g_recorder = this;
    creationHook_ = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    messageHook_ = SetWindowsHookExA(WH_CALLWNDPROC, MessageHook, nullptr, GetCurrentThreadId());
}

EditorOpeningRecorder::~EditorOpeningRecorder() {
    if (creationHook_) UnhookWindowsHookEx(creationHook_);
    if (messageHook_) UnhookWindowsHookEx(messageHook_);
    if (g_recorder == this) g_recorder = nullptr;
}

std::vector<EditorOpeningRecorder::Creation> EditorOpeningRecorder::ChildrenOf(HWND parent) const {
    std::vector<Creation> children;
    for (const Creation& creation : creations_)
        if (creation.parent == parent && (creation.style & WS_CHILD)) children.push_back(creation);
    return children;
}

std::vector<HFONT> EditorOpeningRecorder::FontsGivenTo(HWND window) const {
    std::vector<HFONT> fonts;
    for (const auto& given : fonts_)
        if (given.first == window) fonts.push_back(given.second);
    return fonts;
}

LRESULT CALLBACK EditorOpeningRecorder::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_recorder) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        const bool classIsAtom = HIWORD(reinterpret_cast<ULONG_PTR>(cs->lpszClass)) == 0;
        g_recorder->creations_.push_back(
            {reinterpret_cast<HWND>(wParam), classIsAtom ? "#atom" : cs->lpszClass,
             cs->lpszName ? cs->lpszName : "(null)", static_cast<DWORD>(cs->style), cs->dwExStyle,
             cs->x, cs->y, cs->cx, cs->cy, cs->hwndParent, cs->hMenu, cs->hInstance});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK EditorOpeningRecorder::MessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_recorder) {
        const CWPSTRUCT* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (sent->message == WM_SETFONT && sent->wParam)
            g_recorder->fonts_.push_back({sent->hwnd, reinterpret_cast<HFONT>(sent->wParam)});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
