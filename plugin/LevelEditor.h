// The level editor window: one drop-down list of the seven levels, OK and
// Close, run by its own message loop until the window is gone.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "host/HostAbi.h"
#include "toolkit/Controls.h"

extern ContactHandle CurrentContact;  // 0: the global level
extern std::string EditorTitle;       // window title and class name, in the window calls' encoding
extern int EditorLeft;                // last known position, screen pixels
extern int EditorTop;
extern HWND EditorWindow;             // non-null while the editor's loop runs

struct EditorControlSet {
    std::unique_ptr<TsVCLLabel> Label;
    std::unique_ptr<TsVCLComboBox> LevelList;
    std::unique_ptr<TsVCLLine> LineLight;
    std::unique_ptr<TsVCLLine> LineDark;
    std::unique_ptr<TsVCLButton> OkButton;
    std::unique_ptr<TsVCLButton> CloseButton;
};
extern EditorControlSet EditorControls;

constexpr int kDefaultEditorLeft = 271;
constexpr int kDefaultEditorTop = 210;
constexpr int kEditorWidth = 300;
constexpr int kEditorHeight = 120;
constexpr DWORD kEditorStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION;  // 0x84C00000

// Shows the editor for CurrentContact under EditorTitle and runs its loop;
// clears EditorBusy when the loop ends.
void RunEditor();

// Saves the window's position, then closes it.
void CloseEditor(HWND window);
