// The window calls of the toolkit and the editor, in either of the
// platform's two forms: the 8-bit (ANSI) calls, which read text in the
// system's code page, or the wide calls, which read UTF-16. One form serves
// all of the module's windows, chosen before the first of them is made, so
// that no window ever sees both. Texts given here are in the chosen form's
// encoding: the system's code page for the 8-bit calls, UTF-8 for the wide
// ones, widened at the call.
//
// The wide calls are looked up in user32 when they are first asked for, not
// imported: a system without Unicode window support (Windows 9x lacks some of
// them and fails the rest) still loads the module and runs its 8-bit calls.
#pragma once

#include <windows.h>

#include <string>

// True when the wide calls are in use afterwards; asking for them where the
// system lacks any of them leaves the 8-bit calls in use.
bool UseWideWindowCalls(bool wide);
bool WideWindowCallsInUse();

// RegisterClassEx; the class's name is `className`, not the record's.
ATOM WinRegisterClass(const WNDCLASSEXA& windowClass, const std::string& className);
// A child's `id` is its control id; 0 for a top-level window.
HWND WinCreateWindow(DWORD exStyle, const std::string& className, const std::string& text,
                     DWORD style, int left, int top, int width, int height, HWND parent,
                     HINSTANCE instance, int id = 0);
BOOL WinSetWindowText(HWND window, const std::string& text);
LRESULT WinSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message whose lParam is a text, such as CB_ADDSTRING.
LRESULT WinSendText(HWND window, UINT message, WPARAM wParam, const std::string& text);
LONG_PTR WinGetWindowLong(HWND window, int index);
LONG_PTR WinSetWindowLong(HWND window, int index, LONG_PTR value);
ULONG_PTR WinGetClassLong(HWND window, int index);
LRESULT WinCallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam);
LRESULT WinDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The text calls of the same form, for texts in the same encoding.
// The width of the text in the font selected into `dc`, in pixels.
int WinTextWidth(HDC dc, const char* text);
// Bytes whose order is the order in which CompareString puts the texts,
// ignoring case, in the user's locale; no byte of them is 0, so that they
// compare with strcmp.
std::string WinSortKey(const char* text);
// Whether `text` begins with `prefix`, ignoring case as the user's locale does.
bool WinStartsWith(const char* text, const char* prefix);

// GetMessage for every window of the thread.
BOOL WinGetMessage(MSG* message);
LRESULT WinDispatchMessage(const MSG* message);
