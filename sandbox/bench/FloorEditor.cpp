#include "sandbox/bench/FloorEditor.h"

#include <windows.h>

#include <cstring>

#include "sandbox/bench/LargeProfile.h"

namespace {

// What the plug-in's editor shows, made the way a small Win32 program makes
// it: a window of the same class style, size and styles, the same six
// controls with the same places, styles and texts, one font of the same face
// and size for all of them, the seven items and the same selection and focus.
// It asks the host for nothing.
constexpr const char* kFloorClass = "Quillmere floor editor";
constexpr const char* kFloorService = "QuillmereFloor/Edit";
constexpr const char* kFloorLevelNames[7] = {"Always visible", "Visibility 1", "Visibility 2",
                                             "Visibility 3",   "Visibility 4", "Visibility 5",
                                             "Never visible"};

int g_logPixels = 96;           // read once, as the plug-in does when it is mapped
HFONT g_floorFont = nullptr;    // the open floor editor's; deleted with it
HWND g_floorClose = nullptr;

void AddFloorControl(HWND editor, const char* className, DWORD exStyle, DWORD style, int left,
                     int top, int width, int height, const char* text, HWND* made = nullptr) {
    const HWND control = CreateWindowExA(exStyle, className, text, style, left, top, width, height,
                                         editor, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_floorFont), 0);
    if (made) *made = control;
}

LRESULT CALLBACK FloorEditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        LOGFONTA font = {};
        font.lfHeight = -MulDiv(8, g_logPixels, 72);
        font.lfWeight = FW_NORMAL;
        std::strcpy(font.lfFaceName, "MS Sans Serif");
        g_floorFont = CreateFontIndirectA(&font);
        constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
        HWND list = nullptr;
        AddFloorControl(window, "STATIC", 0, kChild, 8, 8, 278, 13, "&Visibility Level");
        AddFloorControl(window, "COMBOBOX", 0, kChild | WS_TABSTOP | CBS_HASSTRINGS | CBS_AUTOHSCROLL | 0xF,
                        8, 24, 278, 210, "", &list);
        AddFloorControl(window, "STATIC", 0, kChild | SS_WHITERECT, 8, 57, 278, 1, "");
        AddFloorControl(window, "STATIC", 0, kChild | SS_BLACKRECT, 8, 56, 278, 1, "");
        AddFloorControl(window, "BUTTON", WS_EX_NOPARENTNOTIFY, kChild | WS_TABSTOP, 130, 65, 75, 25, "&OK");
        AddFloorControl(window, "BUTTON", WS_EX_NOPARENTNOTIFY, kChild | WS_TABSTOP, 211, 65, 75, 25, "Close",
                        &g_floorClose);
        for (const char* name : kFloorLevelNames)
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageA(list, CB_SETCURSEL, kGlobalLevel, 0);
        SetFocus(list);
        return 0;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == g_floorClose) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:  // the controls are gone by now
        DeleteObject(g_floorFont);
        g_floorFont = nullptr;
        g_floorClose = nullptr;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The service the floor's main-menu entry calls: opens the floor editor and
// runs its loop until it is gone, as the plug-in's service does.
intptr_t __cdecl RunFloorEditor(HostWParam, HostLParam) {
    static const bool registered = [] {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_VREDRAW | CS_HREDRAW;
        windowClass.lpfnWndProc = FloorEditorProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
        windowClass.lpszClassName = kFloorClass;
        return RegisterClassExA(&windowClass) != 0;
    }();
    if (!registered) return 1;
    const HWND editor =
        CreateWindowExA(0, kFloorClass, "Visibility Level", WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION, 271, 210,
                        300, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!editor) return 1;
    ShowWindow(editor, SW_SHOW);
    UpdateWindow(editor);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

size_t AddFloorMenuEntry(SandboxHost& host) {
    g_logPixels = [] {
        const HDC screen = GetDC(nullptr);
        const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return logPixels;
    }();
    host.Link().CreateServiceFunction(kFloorService, RunFloorEditor);
    CLISTMENUITEM item = {};
    item.cbSize = sizeof item;
    item.pszName = "Floor editor";
    item.pszService = kFloorService;
    host.Link().CallService(kSvcAddMainMenuItem, 0, reinterpret_cast<HostLParam>(&item));
    return host.MainMenu().size() - 1;
}
