#include "toolkit/WindowCalls.h"

#include "toolkit/WideText.h"

namespace {

// user32's wide calls, once looked up; all null until then.
struct WideUser32 {
    decltype(&RegisterClassExW) registerClassEx;
    decltype(&CreateWindowExW) createWindowEx;
    decltype(&SetWindowTextW) setWindowText;
    decltype(&SendMessageW) sendMessage;
    decltype(&GetWindowLongPtrW) getWindowLong;
    decltype(&SetWindowLongPtrW) setWindowLong;
    decltype(&GetClassLongPtrW) getClassLong;
    decltype(&CallWindowProcW) callWindowProc;
    decltype(&DefWindowProcW) defWindowProc;
    decltype(&GetMessageW) getMessage;
    decltype(&DispatchMessageW) dispatchMessage;
};

// The wide text calls of gdi32 and kernel32, looked up with user32's.
struct WideTextCalls {
    decltype(&GetTextExtentPoint32W) textExtent;
    decltype(&LCMapStringW) mapString;
    decltype(&CompareStringW) compareString;
};

WideUser32 Wide = {};
WideTextCalls WideText = {};
bool WideInUse = false;

template <class Function>
bool LookUp(HMODULE user32, const char* name, Function* function) {
    // Through void*: a FARPROC is no function type of its own to cast from.
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
    return *function != nullptr;
}

bool LookUpWideUser32() {
    if (Wide.dispatchMessage) return true;
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) return false;
    WideUser32 found = {};
    // 32-bit user32 has no ...LongPtr functions: the 32-bit ones are pointer-sized there.
#ifdef _WIN64
    const char* const windowLongNames[3] = {"GetWindowLongPtrW", "SetWindowLongPtrW",
                                            "GetClassLongPtrW"};
#else
    const char* const windowLongNames[3] = {"GetWindowLongW", "SetWindowLongW", "GetClassLongW"};
#endif
    const bool all = LookUp(user32, "RegisterClassExW", &found.registerClassEx) &&
                     LookUp(user32, "CreateWindowExW", &found.createWindowEx) &&
                     LookUp(user32, "SetWindowTextW", &found.setWindowText) &&
                     LookUp(user32, "SendMessageW", &found.sendMessage) &&
                     LookUp(user32, windowLongNames[0], &found.getWindowLong) &&
                     LookUp(user32, windowLongNames[1], &found.setWindowLong) &&
                     LookUp(user32, windowLongNames[2], &found.getClassLong) &&
                     LookUp(user32, "CallWindowProcW", &found.callWindowProc) &&
                     LookUp(user32, "DefWindowProcW", &found.defWindowProc) &&
                     LookUp(user32, "GetMessageW", &found.getMessage) &&
                     LookUp(user32, "DispatchMessageW", &found.dispatchMessage);
    const HMODULE gdi32 = GetModuleHandleA("gdi32.dll");
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    WideTextCalls text = {};
    const bool allText = gdi32 && kernel32 && LookUp(gdi32, "GetTextExtentPoint32W", &text.textExtent) &&
                         LookUp(kernel32, "LCMapStringW", &text.mapString) &&
                         LookUp(kernel32, "CompareStringW", &text.compareString);
    if (!all || !allText) return false;
    Wide = found;
    WideText = text;
    return true;
}

}  // namespace

bool UseWideWindowCalls(bool wide) {
    WideInUse = wide && LookUpWideUser32();
    return WideInUse;
}

bool WideWindowCallsInUse() { return WideInUse; }

ATOM WinRegisterClass(const WNDCLASSEXA& windowClass, const std::string& className) {
    if (!WideInUse) {
        WNDCLASSEXA named = windowClass;
        named.lpszClassName = className.c_str();
        return RegisterClassExA(&named);
    }
    const std::wstring wideName = WidenUtf8(className);
    WNDCLASSEXW named = {};
    named.cbSize = sizeof named;
    named.style = windowClass.style;
    named.lpfnWndProc = windowClass.lpfnWndProc;
    named.cbClsExtra = windowClass.cbClsExtra;
    named.cbWndExtra = windowClass.cbWndExtra;
    named.hInstance = windowClass.hInstance;
    named.hIcon = windowClass.hIcon;
    named.hCursor = windowClass.hCursor;
    named.hbrBackground = windowClass.hbrBackground;
    named.lpszClassName = wideName.c_str();
    named.hIconSm = windowClass.hIconSm;
    return Wide.registerClassEx(&named);
}

HWND WinCreateWindow(DWORD exStyle, const std::string& className, const std::string& text,
                     DWORD style, int left, int top, int width, int height, HWND parent,
                     HINSTANCE instance, int id) {
    const HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    if (!WideInUse)
        return CreateWindowExA(exStyle, className.c_str(), text.c_str(), style, left, top, width,
                               height, parent, menu, instance, nullptr);
    return Wide.createWindowEx(exStyle, WidenUtf8(className).c_str(), WidenUtf8(text).c_str(), style,
                               left, top, width, height, parent, menu, instance, nullptr);
}

BOOL WinSetWindowText(HWND window, const std::string& text) {
    if (!WideInUse) return SetWindowTextA(window, text.c_str());
    return Wide.setWindowText(window, WidenUtf8(text).c_str());
}

LRESULT WinSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!WideInUse) return SendMessageA(window, message, wParam, lParam);
    return Wide.sendMessage(window, message, wParam, lParam);
}

LRESULT WinSendText(HWND window, UINT message, WPARAM wParam, const std::string& text) {
    if (!WideInUse)
        return SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    const std::wstring wide = WidenUtf8(text);
    return Wide.sendMessage(window, message, wParam, reinterpret_cast<LPARAM>(wide.c_str()));
}

LONG_PTR WinGetWindowLong(HWND window, int index) {
    if (!WideInUse) return GetWindowLongPtrA(window, index);
    return Wide.getWindowLong(window, index);
}

LONG_PTR WinSetWindowLong(HWND window, int index, LONG_PTR value) {
    if (!WideInUse) return SetWindowLongPtrA(window, index, value);
    return Wide.setWindowLong(window, index, value);
}

ULONG_PTR WinGetClassLong(HWND window, int index) {
    if (!WideInUse) return GetClassLongPtrA(window, index);
    return Wide.getClassLong(window, index);
}

LRESULT WinCallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam) {
    if (!WideInUse) return CallWindowProcA(procedure, window, message, wParam, lParam);
    return Wide.callWindowProc(procedure, window, message, wParam, lParam);
}

LRESULT WinDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!WideInUse) return DefWindowProcA(window, message, wParam, lParam);
    return Wide.defWindowProc(window, message, wParam, lParam);
}

BOOL WinGetMessage(MSG* message) {
    if (!WideInUse) return GetMessageA(message, nullptr, 0, 0);
    return Wide.getMessage(message, nullptr, 0, 0);
}

LRESULT WinDispatchMessage(const MSG* message) {
    if (!WideInUse) return DispatchMessageA(message);
    return Wide.dispatchMessage(message);
}

int WinTextWidth(HDC dc, const char* text) {
    SIZE size = {};
    if (!WideInUse) {
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    } else {
        const std::wstring wide = WidenUtf8(text);
        WideText.textExtent(dc, wide.data(), static_cast<int>(wide.size()), &size);
    }
    return size.cx;
}

std::string WinSortKey(const char* text) {
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    // The key's bytes, with the NUL that ends them.
    std::string key;
    int size = 0;
    if (!WideInUse) {
        size = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, text, -1, nullptr, 0);
        key.resize(static_cast<size_t>(size > 0 ? size : 1));
        if (size > 0) LCMapStringA(LOCALE_USER_DEFAULT, kFlags, text, -1, &key[0], size);
    } else {
        const std::wstring wide = WidenUtf8(text);
        size = WideText.mapString(LOCALE_USER_DEFAULT, kFlags, wide.c_str(), -1, nullptr, 0);
        key.resize(static_cast<size_t>(size > 0 ? size : 1));
        // A sort key is bytes, whichever form of the call makes it.
        if (size > 0)
            WideText.mapString(LOCALE_USER_DEFAULT, kFlags, wide.c_str(), -1, reinterpret_cast<wchar_t*>(&key[0]), size);
    }
    key.resize(key.size() - 1);
    return key;
}

bool WinStartsWith(const char* text, const char* prefix) {
    if (!WideInUse) {
        const int length = lstrlenA(prefix);
        return lstrlenA(text) >= length &&
               CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text, length, prefix, length) == CSTR_EQUAL;
    }
    const std::wstring wideText = WidenUtf8(text);
    const std::wstring widePrefix = WidenUtf8(prefix);
    const int length = static_cast<int>(widePrefix.size());
    return wideText.size() >= widePrefix.size() &&
           WideText.compareString(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideText.c_str(), length,
                                  widePrefix.c_str(), length) == CSTR_EQUAL;
}
