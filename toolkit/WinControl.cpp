#include <cstring>

#include "toolkit/Controls.h"
#include "toolkit/ModuleInstance.h"
#include "toolkit/ScreenDensity.h"
#include "toolkit/WindowCalls.h"

static void DeleteFontSafe(HFONT* font) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
}

TsVCLWinControl::TsVCLWinControl(HWND parentHandle) : ParentHandle(parentHandle) {
    SetFontSize(8);
}

TsVCLWinControl::~TsVCLWinControl() {
    if (Handle && IsWindow(Handle)) {
        if (WinGetWindowLong(Handle, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
            WinSetWindowLong(Handle, GWLP_USERDATA, 0);
        if (OldWndProc && WinGetWindowLong(Handle, GWLP_WNDPROC) ==
                              reinterpret_cast<LONG_PTR>(ControlSubclassProc))
            WinSetWindowLong(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OldWndProc));
        // The window must not go on drawing with a font that is about to be deleted.
        if (FontHandle) WinSendMessage(Handle, WM_SETFONT, 0, 0);
    }
    DeleteFontSafe(&FontHandle);
}

std::string TsVCLWinControl::GetText() { return Text; }

void TsVCLWinControl::SetText(const std::string& text) {
    Text = text;
    if (Handle) WinSetWindowText(Handle, Text);
}

void TsVCLWinControl::CreateWindowHandle(const char* className, DWORD exStyle, DWORD style) {
    Handle = WinCreateWindow(exStyle, className, Text, style, Left, Top, Width, Height,
                             ParentHandle, ModuleInstance());
    if (!FontHandle) FontHandle = CreateFontHandle();
    WinSendMessage(Handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle), 0);
    WinSetWindowLong(Handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (style & WS_TABSTOP)
        OldWndProc = reinterpret_cast<WNDPROC>(WinSetWindowLong(
            Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlSubclassProc)));
}

HFONT TsVCLWinControl::CreateFontHandle() {
    LOGFONTA font = {};
    font.lfHeight = FontHeight;
    font.lfWeight = FW_NORMAL;
    // lfFaceName holds 31 characters and the terminating NUL.
    std::strncpy(font.lfFaceName, FontName.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectA(&font);
}

void TsVCLWinControl::SetFontSize(int points) {
    FontHeight = -MulDiv(points, ScreenLogPixels, 72);
    DeleteFontSafe(&FontHandle);
    if (Handle) {
        FontHandle = CreateFontHandle();
        WinSendMessage(Handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle), 0);
    }
}

void TsVCLWinControl::Show() {
    if (!Handle) CreateWnd();
    ShowWindow(Handle, SW_SHOW);
}

// Every branch reads what it needs of the object before its platform call and
// leaves the object alone afterwards: that call (a click on a button that
// closes the window, Esc) can end with the object released.
LRESULT CALLBACK ControlSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* control =
        reinterpret_cast<const TsVCLWinControl*>(WinGetWindowLong(window, GWLP_USERDATA));
    // No object: it was released while another subclass sat on top of ours,
    // so its destructor could not take us out of the chain. The window's own
    // procedure is still the class's.
    if (!control || !control->OldWndProc)
        return WinCallWindowProc(reinterpret_cast<WNDPROC>(WinGetClassLong(window, GCLP_WNDPROC)),
                                 window, message, wParam, lParam);
    const WNDPROC oldWndProc = control->OldWndProc;
    const HWND self = control->Handle;
    const HWND parent = control->ParentHandle;
    control = nullptr;

    if (message == WM_CHAR && wParam == VK_TAB) {
        const BOOL previous = GetKeyState(VK_SHIFT) < 0;
        SetFocus(GetNextDlgTabItem(parent, self, previous));
        return 0;
    }
    if (message == WM_CHAR && wParam == VK_ESCAPE &&
        (WinGetWindowLong(parent, GWL_STYLE) & WS_VISIBLE)) {
        ShowWindow(parent, SW_HIDE);
        return 0;
    }
    if (message == WM_SETFOCUS) WinSendMessage(self, EM_SETSEL, 0, -1);
    return WinCallWindowProc(oldWndProc, self, message, wParam, lParam);
}
