// The plug-in's editor, opened from the main menu and closed by a Close
// click, next to the floor editor: the same window made by plain Win32 calls.
#pragma once

#include <windows.h>

#include <vector>

#include "sandbox/SandboxHost.h"

constexpr int kEditorOpenings = 60;
constexpr double kEditorRatioTarget = 1.2;

// Milliseconds, one an opening.
struct EditorTimes {
    std::vector<double> toVisible;
    std::vector<double> toPainted;
    std::vector<double> toClosed;
};

// The plug-in's editor (the main menu's first entry, its windows the
// plug-in's module's) and the floor's in turn, each first in every other
// round; the first round also registers the window classes, compares the two
// editors and is not timed. False, having said why, when an editor does not
// open, show or close as expected, or the two differ.
bool TimeEditor(SandboxHost& host, HMODULE plugin, size_t floorMenuIndex, EditorTimes& pluginTimes,
                EditorTimes& floorTimes);

void PrintEditorTimes(const EditorTimes& plugin, const EditorTimes& floor);
// The closing line: the ratios against their target.
void PrintEditorRatio(const EditorTimes& plugin, const EditorTimes& floor);
