// The "Visibility levels" page of the host's Options dialog: every contact
// the visibility pass acts on, with its account, its level and whether it
// sees the user, under the global level. Levels are chosen for any number of
// contacts at once, with the keys 0 to 6 or a drop-down, and written only
// when the dialog applies the page.
//
// The host makes the page from the DLL's dialog resource as an ANSI window,
// even when it is a Unicode build; the page makes its controls itself, with
// the window calls in use, so that names in any script show in full.
#pragma once

#include <windows.h>

// The page's dialog resource.
constexpr const char* kLevelsPageTemplate = "QUILLMERE_LEVELS";

// The page's dialog procedure, handed to the host with the page's record.
INT_PTR CALLBACK LevelsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Removes the hook through which open pages learn of deleted contacts, if
// one is in place: for Unload.
void UnhookLevelsPages();
