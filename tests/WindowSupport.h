// What the platform is asked for when windows are made, for the editor's and
// the toolkit's tests alike.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// The window's rectangle in the client coordinates of its parent.
RECT RectInParent(HWND window);

// While it lives, records what the platform is asked for in this thread:
// every CreateWindowEx as called (WH_CBT, before the platform adds anything
// to styles or sizes) and every font handed over with WM_SETFONT
// (WH_CALLWNDPROC). One at a time.
class WindowCreationRecorder {
public:
    struct Creation {
        HWND window;
        std::string className;  // "#atom" when given as an atom
        std::string title;      // "(null)" when given as null
        DWORD style;
        DWORD exStyle;
        int x;
        int y;
        int width;
        int height;
        HWND parent;
        HMENU menu;
        HINSTANCE instance;
    };

    WindowCreationRecorder();
    ~WindowCreationRecorder();
    WindowCreationRecorder(const WindowCreationRecorder&) = delete;
    WindowCreationRecorder& operator=(const WindowCreationRecorder&) = delete;

    bool Hooked() const { return creationHook_ && messageHook_; }
    const std::vector<Creation>& Creations() const { return creations_; }
    // Windows created with the given parent, child or owned alike.
    std::vector<Creation> CreatedWithParent(HWND parent) const;
    // Windows created as children (WS_CHILD) of the given parent.
    std::vector<Creation> ChildrenOf(HWND parent) const;
    // The nonzero fonts sent to the window with WM_SETFONT, in order.
    std::vector<HFONT> FontsGivenTo(HWND window) const;

private:
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam);

    HHOOK creationHook_ = nullptr;
    HHOOK messageHook_ = nullptr;
    std::vector<Creation> creations_;
    std::vector<std::pair<HWND, HFONT>> fonts_;
};
