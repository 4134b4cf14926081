// The plug-in's windows as a person sees them: which are open, and what
// they say. For the programs and tests that use the plug-in from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

HMODULE PluginModule();
// Top-level windows of this thread made with the plug-in's instance handle,
// neither owned nor children (a drop-down list's list is not counted).
std::vector<HWND> PluginTopLevelWindows();

std::string TextOf(HWND window);
// The text of a combo box's item; "(no item)" for an index it lacks.
std::string ListItemText(HWND list, int index);
// The same through the wide calls, as a Unicode window shows them.
std::wstring WideTextOf(HWND window);
std::wstring WideListItemText(HWND list, int index);

// The editor's six child windows, in the order the editor creates them.
struct EditorChildren {
    HWND label = nullptr;
    HWND levelList = nullptr;
    HWND lineLight = nullptr;
    HWND lineDark = nullptr;
    HWND okButton = nullptr;
    HWND closeButton = nullptr;
    std::vector<HWND> all;  // every child window, in creation order
};
EditorChildren FindEditorChildren(HWND editor);
