#include "tests/WindowSupport.h"

namespace {

// The one recorder alive; the hook procedures reach it through this.
WindowCreationRecorder* g_recorder = nullptr;

}  // namespace

RECT RectInParent(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

WindowCreationRecorder::WindowCreationRecorder() {
    g_recorder = this;
    creationHook_ = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    messageHook_ = SetWindowsHookExA(WH_CALLWNDPROC, MessageHook, nullptr, GetCurrentThreadId());
}

WindowCreationRecorder::~WindowCreationRecorder() {
    if (creationHook_) UnhookWindowsHookEx(creationHook_);
    if (messageHook_) UnhookWindowsHookEx(messageHook_);
    if (g_recorder == this) g_recorder = nullptr;
}

std::vector<WindowCreationRecorder::Creation> WindowCreationRecorder::CreatedWithParent(HWND parent) const {
    std::vector<Creation> created;
    for (const Creation& creation : creations_)
        if (creation.parent == parent) created.push_back(creation);
    return created;
}

std::vector<WindowCreationRecorder::Creation> WindowCreationRecorder::ChildrenOf(HWND parent) const {
    std::vector<Creation> children;
    for (const Creation& creation : CreatedWithParent(parent))
        if (creation.style & WS_CHILD) children.push_back(creation);
    return children;
}

std::vector<HFONT> WindowCreationRecorder::FontsGivenTo(HWND window) const {
    std::vector<HFONT> fonts;
    for (const auto& given : fonts_)
        if (given.first == window) fonts.push_back(given.second);
    return fonts;
}

LRESULT CALLBACK WindowCreationRecorder::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
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

LRESULT CALLBACK WindowCreationRecorder::MessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_recorder) {
        const CWPSTRUCT* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (sent->message == WM_SETFONT && sent->wParam)
            g_recorder->fonts_.push_back({sent->hwnd, reinterpret_cast<HFONT>(sent->wParam)});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
