#include "plugin/LevelEditor.h"

#include "host/HostHelpers.h"
#include "plugin/EditService.h"
#include "plugin/InterfaceTexts.h"
#include "plugin/SettingNames.h"
#include "plugin/VisibilityPass.h"
#include "toolkit/ModuleInstance.h"
#include "toolkit/WideText.h"
#include "toolkit/WindowCalls.h"

ContactHandle CurrentContact = 0;
std::string EditorTitle;
int EditorLeft = kDefaultEditorLeft;
int EditorTop = kDefaultEditorTop;
HWND EditorWindow = nullptr;
EditorControlSet EditorControls;

// Set once the window's destruction has begun, so that a late CloseEditor
// (a WM_SHOWWINDOW while being destroyed) neither saves nor closes again.
static bool EditorClosing = false;
// Set when the editor posts its own quit message; any other quit that ends
// the loop belongs to the host.
static bool EditorQuitPosted = false;

// A window class name has at most 255 characters and cannot be empty. The
// editor's classes differ only in their names, so a long title shares the
// class of its first 255 characters, and an empty one (the host translated
// the caption to nothing) takes a fixed name. With the wide window calls the
// characters are UTF-16 units, so the title is cut in wide form.
constexpr std::string::size_type kMaxClassNameLength = 255;
constexpr const char* kUntitledEditorClass = "Quillmere editor";

static std::string EditorClassName(const std::string& title) {
    if (title.empty()) return kUntitledEditorClass;
    if (!WideWindowCallsInUse()) return title.substr(0, kMaxClassNameLength);
    return title.substr(0, Utf8PrefixOfWideLength(title, kMaxClassNameLength));
}

template <class Control>
static void Place(Control& control, int left, int top, int width, int height) {
    control.Left = left;
    control.Top = top;
    control.Width = width;
    control.Height = height;
}

static void BuildEditorControls(HWND window) {
    EditorControlSet& c = EditorControls;
    c.Label.reset(new TsVCLLabel(window));
    Place(*c.Label, 8, 8, 278, 13);
    c.Label->SetText(Translate(kMenuEntryText));
    c.Label->Show();

    c.LevelList.reset(new TsVCLComboBox(window));
    Place(*c.LevelList, 8, 24, 278, 210);  // the height includes the drop-down
    c.LevelList->Show();

    // Two one-pixel lines make an etched rule between the list and the buttons.
    c.LineLight.reset(new TsVCLLine(window));
    Place(*c.LineLight, 8, 57, 278, 1);
    c.LineLight->Kind = SS_WHITERECT;
    c.LineLight->Show();

    c.LineDark.reset(new TsVCLLine(window));
    Place(*c.LineDark, 8, 56, 278, 1);
    c.LineDark->Kind = SS_BLACKRECT;
    c.LineDark->Show();

    c.OkButton.reset(new TsVCLButton(window));
    Place(*c.OkButton, 130, 65, 75, 25);
    c.OkButton->SetText(Translate(kOkCaption));
    c.OkButton->Show();

    c.CloseButton.reset(new TsVCLButton(window));
    Place(*c.CloseButton, 211, 65, 75, 25);
    c.CloseButton->SetText(Translate(kCloseCaption));
    c.CloseButton->Show();

    for (const char* levelName : kLevelNames) c.LevelList->AddItem(Translate(levelName));
    c.LevelList->SetItemIndex(static_cast<int>(
        GetSettingDword(CurrentContact, kSettingsModule, kSettingVisibilityLevel, 0)));
    SetFocus(c.LevelList->Handle);
}

static void FreeEditorControls() {
    EditorControlSet& c = EditorControls;
    c.Label.reset();
    c.LevelList.reset();
    c.LineLight.reset();
    c.LineDark.reset();
    c.OkButton.reset();
    c.CloseButton.reset();
}

void CloseEditor(HWND window) {
    if (EditorClosing) return;
    RECT rect;
    if (GetWindowRect(window, &rect)) {
        WriteSettingDword(0, kSettingsModule, kSettingEditorLeft, rect.left);
        WriteSettingDword(0, kSettingsModule, kSettingEditorTop, rect.top);
    }
    WinSendMessage(window, WM_CLOSE, 0, 0);
}

static void AcceptEditor(HWND window) {
    const int level = EditorControls.LevelList->GetItemIndex();  // -1 with no selection
    WriteSettingDword(CurrentContact, kSettingsModule, kSettingVisibilityLevel, level);
    ApplyVisibility(NormalPass);
    CloseEditor(window);
}

static bool IsControl(const std::unique_ptr<TsVCLButton>& button, LPARAM lParam) {
    return button && reinterpret_cast<LPARAM>(button->Handle) == lParam;
}

static LRESULT CALLBACK EditorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        BuildEditorControls(window);
        return 0;
    case WM_DESTROY:
        EditorClosing = true;
        FreeEditorControls();
        // Only the running editor ends the loop: not a window whose creation
        // failed half-way, nor one taken down for the host's own quit.
        if (window == EditorWindow) {
            EditorQuitPosted = true;
            PostQuitMessage(0);
        }
        return 0;
    case WM_CLOSE:
        EditorClosing = true;
        return WinDefWindowProc(window, message, wParam, lParam);
    case WM_SHOWWINDOW:
        if (wParam == 0) CloseEditor(window);
        return 0;
    case WM_CHAR:
        if (wParam != VK_ESCAPE) break;
        CloseEditor(window);
        return 0;
    case WM_COMMAND:
        if (IsControl(EditorControls.OkButton, lParam)) {
            AcceptEditor(window);
            return 0;
        }
        if (IsControl(EditorControls.CloseButton, lParam)) {
            CloseEditor(window);
            return 0;
        }
        break;
    }
    return WinDefWindowProc(window, message, wParam, lParam);
}

static void RegisterEditorClass(const std::string& className) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = EditorWndProc;
    windowClass.hInstance = ModuleInstance();
    // The module carries no icon of that name: both stay null and the
    // system's default icon shows.
    windowClass.hIcon = LoadIconA(ModuleInstance(), "BRINDLEWISP");
    windowClass.hIconSm = LoadIconA(ModuleInstance(), "BRINDLEWISP");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    // Fails harmlessly when the class exists from an earlier editor of this title.
    WinRegisterClass(windowClass, className);
}

void RunEditor() {
    EditorLeft = static_cast<int>(GetSettingDword(0, kSettingsModule, kSettingEditorLeft, EditorLeft));
    EditorTop = static_cast<int>(GetSettingDword(0, kSettingsModule, kSettingEditorTop, EditorTop));

    const std::string className = EditorClassName(EditorTitle);
    RegisterEditorClass(className);

    EditorClosing = false;
    EditorQuitPosted = false;
    EditorWindow = WinCreateWindow(0, className, EditorTitle, kEditorStyle, EditorLeft, EditorTop,
                                   kEditorWidth, kEditorHeight, nullptr, ModuleInstance());
    // Without a window the loop would only wait for, and swallow, the host's quit.
    if (!EditorWindow) {
        FreeEditorControls();
        EditorBusy = false;
        return;
    }
    ShowWindow(EditorWindow, SW_SHOW);
    UpdateWindow(EditorWindow);

    MSG message = {};
    BOOL got;
    while ((got = WinGetMessage(&message)) > 0) {
        TranslateMessage(&message);
        WinDispatchMessage(&message);
    }

    // A quit the editor did not post is the host ending its own loop: close
    // the editor without saving and hand the quit on, so that the host ends too.
    const bool hostQuit = got == 0 && (!EditorQuitPosted || message.wParam != 0);
    const HWND window = EditorWindow;
    EditorWindow = nullptr;
    if (IsWindow(window)) DestroyWindow(window);
    if (hostQuit) PostQuitMessage(static_cast<int>(message.wParam));
    EditorBusy = false;
}
