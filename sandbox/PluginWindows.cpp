#include "sandbox/PluginWindows.h"

#include <algorithm>

HMODULE PluginModule() { return GetModuleHandleA("Quillmere.dll"); }

static BOOL CALLBACK CollectPluginWindow(HWND window, LPARAM windows) {
    // Wine makes a drop-down list's list a child of the desktop window, which
    // the enumeration counts among the thread's top-level windows.
    if (reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) == PluginModule() &&
        !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && !GetWindow(window, GW_OWNER))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

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

std::string ListItemText(HWND list, int index) {
    const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return "(no item)";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::wstring WideTextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

std::wstring WideListItemText(HWND list, int index) {
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return L"(no item)";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
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
