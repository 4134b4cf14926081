// Shared by the toolkit's test programs: a plain top-level parent window of
// our own class, a recorder for what a control passes on to its window's own
// procedure, message sequences compared as data, and a faked Shift key.
//
// Header only: the toolkit's tests need no host, and the *Support.cpp files
// are linked into every test program. What windows are made, and where they
// stand, comes from WindowSupport.h, shared with the editor's tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/WindowSupport.h"
#include "toolkit/Controls.h"

// In a namespace of their own: every *Support.cpp is linked into this
// program too, and may have helpers of the same names.
namespace ToolkitTesting {

// Runs what is pending in this thread's queue, a bounded number of messages.
inline void PumpPendingMessages() {
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// What the parent window does with a message before DefWindowProc; set by
// the tests that release controls the way their owner does (on WM_DESTROY,
// before the children go, or when the parent is hidden).
inline std::function<void(HWND, UINT, WPARAM)> ParentMessageHandler;

inline LRESULT CALLBACK TestParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ParentMessageHandler) ParentMessageHandler(window, message, wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr char kTestParentClass[] = "QuillmereToolkitTestParent";

inline HWND CreateTestParent() {
    static const ATOM kClass = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = TestParentProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kTestParentClass;
        return RegisterClassA(&windowClass);
    }();
    if (!kClass) return nullptr;
    return CreateWindowExA(0, kTestParentClass, "Toolkit test", WS_OVERLAPPEDWINDOW, 40, 40, 420,
                           320, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Each test gets a fresh, shown parent window and destroys it afterwards.
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = CreateTestParent();
        ASSERT_TRUE(IsWindow(parent));
        ShowWindow(parent, SW_SHOW);
        PumpPendingMessages();
    }
    void TearDown() override {
        if (IsWindow(parent)) DestroyWindow(parent);
        ParentMessageHandler = nullptr;
        PumpPendingMessages();
    }

    HWND parent = nullptr;
};

inline std::string WindowText(HWND window) {
    char text[256] = "sentinel";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string WindowClass(HWND window) {
    char name[256] = "sentinel";
    GetClassNameA(window, name, sizeof name);
    return name;
}

inline int CountChildWindows(HWND parent) {
    int count = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ++count;
    return count;
}

struct SeenMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The four control classes, for tests that hold for each of them.
struct ControlClass {
    const char* name;
    std::unique_ptr<TsVCLWinControl> (*Make)(HWND parent);
    bool takesKeyboard;  // created with WS_TABSTOP, so subclassed
    bool drawsText;      // keeps a font and a caption; Wine's rectangle statics keep neither
};

inline const ControlClass kControlClasses[] = {
    {"TsVCLLabel", [](HWND p) -> std::unique_ptr<TsVCLWinControl> {
         return std::make_unique<TsVCLLabel>(p);
     }, false, true},
    {"TsVCLLine", [](HWND p) -> std::unique_ptr<TsVCLWinControl> {
         return std::make_unique<TsVCLLine>(p);
     }, false, false},
    {"TsVCLButton", [](HWND p) -> std::unique_ptr<TsVCLWinControl> {
         return std::make_unique<TsVCLButton>(p);
     }, true, true},
    {"TsVCLComboBox", [](HWND p) -> std::unique_ptr<TsVCLWinControl> {
         return std::make_unique<TsVCLComboBox>(p);
     }, true, true},
};

inline bool IsComboBox(const ControlClass& type) {
    return std::string(type.name) == "TsVCLComboBox";
}

// A window handle that names no window: one that existed and is gone.
inline HWND GoneWindowHandle() {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(window);
    return window;
}

// Every message sent in this thread to any window, through a WH_CALLWNDPROC
// hook, before any window procedure sees it.
class SentMessageRecorder {
public:
    SentMessageRecorder() {
        Current() = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, HookProc, nullptr, GetCurrentThreadId());
    }
    ~SentMessageRecorder() {
        UnhookWindowsHookEx(hook_);
        Current() = nullptr;
    }
    SentMessageRecorder(const SentMessageRecorder&) = delete;
    SentMessageRecorder& operator=(const SentMessageRecorder&) = delete;

    bool Hooked() const { return hook_ != nullptr; }
    // Sent to the given window; a combo box passes some on to its list box.
    int CountOf(HWND window, UINT message) const {
        int count = 0;
        for (const SeenMessage& m : sent_)
            if (m.window == window && m.message == message) ++count;
        return count;
    }
    int CountAnywhere(UINT message) const {
        int count = 0;
        for (const SeenMessage& m : sent_)
            if (m.message == message) ++count;
        return count;
    }
    bool Saw(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
        for (const SeenMessage& m : sent_)
            if (m.window == window && m.message == message && m.wParam == wParam &&
                m.lParam == lParam)
                return true;
        return false;
    }

private:
    static SentMessageRecorder*& Current() {
        static SentMessageRecorder* current = nullptr;
        return current;
    }
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && Current()) {
            const CWPSTRUCT* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
            Current()->sent_.push_back({sent->hwnd, sent->message, sent->wParam, sent->lParam});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_ = nullptr;
    std::vector<SeenMessage> sent_;
};

// --- Message sequences as data ---------------------------------------------

enum MessageMatch {
    kExactParams = 0,
    kAnyParams = 1,  // only the message itself is compared
    kOptional = 2,   // Wine and Windows differ; may be missing
};

struct ExpectedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int match;
};

inline std::string MessageName(UINT message) {
    static const std::map<UINT, const char*> kNames = {
        {WM_SETFOCUS, "WM_SETFOCUS"},       {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_SETTEXT, "WM_SETTEXT"},         {WM_GETTEXT, "WM_GETTEXT"},
        {WM_CHAR, "WM_CHAR"},               {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_DESTROY, "WM_DESTROY"},         {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},   {WM_PAINT, "WM_PAINT"},
        {WM_SETFONT, "WM_SETFONT"},         {WM_GETFONT, "WM_GETFONT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},   {WM_NCPAINT, "WM_NCPAINT"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_GETDLGCODE, "WM_GETDLGCODE"},   {WM_CTLCOLORBTN, "WM_CTLCOLORBTN"},
        {WM_IME_SETCONTEXT, "WM_IME_SETCONTEXT"}, {WM_IME_NOTIFY, "WM_IME_NOTIFY"},
        {EM_SETSEL, "EM_SETSEL"},           {CB_ADDSTRING, "CB_ADDSTRING"},
        {CB_GETCURSEL, "CB_GETCURSEL"},     {CB_SETCURSEL, "CB_SETCURSEL"},
        {CB_SETEDITSEL, "CB_SETEDITSEL"},   {BM_SETSTATE, "BM_SETSTATE"},
        {BM_SETSTYLE, "BM_SETSTYLE"},       {WM_NCHITTEST, "WM_NCHITTEST"},
        {WM_UPDATEUISTATE, "WM_UPDATEUISTATE"}, {WM_CHANGEUISTATE, "WM_CHANGEUISTATE"},
        {WM_NCCALCSIZE, "WM_NCCALCSIZE"},   {WM_SIZE, "WM_SIZE"},
        {WM_MOVE, "WM_MOVE"},               {CB_GETCOUNT, "CB_GETCOUNT"},
    };
    const auto found = kNames.find(message);
    if (found != kNames.end()) return found->second;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04x", message);
    return hex;
}

inline std::string Describe(UINT message, WPARAM wParam, LPARAM lParam) {
    char params[64];
    std::snprintf(params, sizeof params, "(%ld, %ld)", static_cast<long>(wParam),
                  static_cast<long>(lParam));
    return MessageName(message) + params;
}

// In the manner of Wine's ok_sequence: every message seen must be expected,
// in order; an expected message marked optional may be missing.
inline ::testing::AssertionResult SameSequence(const std::vector<ExpectedMessage>& expected,
                                               const std::vector<SeenMessage>& seen) {
    size_t e = 0;
    size_t s = 0;
    bool same = true;
    while (same && (e < expected.size() || s < seen.size())) {
        if (e < expected.size() && s < seen.size() && expected[e].message == seen[s].message &&
            ((expected[e].match & kAnyParams) ||
             (expected[e].wParam == seen[s].wParam && expected[e].lParam == seen[s].lParam))) {
            ++e;
            ++s;
        } else if (e < expected.size() && (expected[e].match & kOptional)) {
            ++e;
        } else {
            same = false;
        }
    }
    if (same) return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure() << "message sequences differ\n  expected:\n";
    for (const ExpectedMessage& m : expected)
        result << "    " << Describe(m.message, m.wParam, m.lParam)
               << ((m.match & kAnyParams) ? " any params" : "")
               << ((m.match & kOptional) ? " optional" : "") << "\n";
    result << "  seen:\n";
    for (const SeenMessage& m : seen) result << "    " << Describe(m.message, m.wParam, m.lParam) << "\n";
    return result;
}

// Records what a control passes on to its window's own procedure. It puts
// itself between ControlSubclassProc and that procedure by taking the
// control's OldWndProc, and forwards everything. Once the control is
// released its window's procedure is put back to OldWndProc, that is to the
// recording procedure, so the messages of the window's last moments are
// recorded too; the procedure keeps forwarding after the recorder is gone.
class PassedOnRecorder {
public:
    PassedOnRecorder() { Current() = this; }
    ~PassedOnRecorder() { Current() = nullptr; }
    PassedOnRecorder(const PassedOnRecorder&) = delete;
    PassedOnRecorder& operator=(const PassedOnRecorder&) = delete;

    void Attach(TsVCLWinControl& control) {
        ASSERT_NE(nullptr, control.OldWndProc);
        Originals()[control.Handle] = control.OldWndProc;
        control.OldWndProc = RecordingProc;
    }

    // Messages of one window, with the ones that only repaint left out.
    std::vector<SeenMessage> Of(HWND window) const {
        std::vector<SeenMessage> result;
        for (const SeenMessage& m : seen_)
            if (m.window == window && !IsRepaint(m.message)) result.push_back(m);
        return result;
    }
    bool Saw(HWND window, UINT message, WPARAM wParam) const {
        for (const SeenMessage& m : seen_)
            if (m.window == window && m.message == message && m.wParam == wParam) return true;
        return false;
    }
    void Clear() { seen_.clear(); }

    static WNDPROC OriginalOf(HWND window) { return Originals().at(window); }
    static LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
        if (PassedOnRecorder* recorder = Current())
            recorder->seen_.push_back({window, message, wParam, lParam});
        const auto original = Originals().find(window);
        if (original == Originals().end()) return DefWindowProcA(window, message, wParam, lParam);
        return CallWindowProcA(original->second, window, message, wParam, lParam);
    }

private:
    static PassedOnRecorder*& Current() {
        static PassedOnRecorder* current = nullptr;
        return current;
    }
    static std::map<HWND, WNDPROC>& Originals() {
        static std::map<HWND, WNDPROC> originals;
        return originals;
    }
    static bool IsRepaint(UINT message) {
        return message == WM_PAINT || message == WM_ERASEBKGND || message == WM_NCPAINT ||
               message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC ||
               message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX ||
               message == WM_PRINTCLIENT || message == WM_SYNCPAINT;
    }

    std::vector<SeenMessage> seen_;
};

// Holds Shift down in this thread's keyboard state (what GetKeyState reads)
// and puts the state back afterwards. No input reaches the system.
class ShiftHeld {
public:
    ShiftHeld() {
        GetKeyboardState(saved_);
        BYTE state[256];
        for (int i = 0; i < 256; ++i) state[i] = saved_[i];
        state[VK_SHIFT] |= 0x80;
        SetKeyboardState(state);
    }
    ~ShiftHeld() { SetKeyboardState(saved_); }
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

private:
    BYTE saved_[256] = {};
};

}  // namespace ToolkitTesting
