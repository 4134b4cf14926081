// The "Quillmere/Edit" service: opens the level editor for a contact, or for
// the global level when wParam is 0, and returns once the editor has closed.
#pragma once

#include <string>

#include "host/HostAbi.h"

// True while an editor runs; keeps a second one from opening.
extern bool EditorBusy;

intptr_t __cdecl OnEditVisibility(HostWParam contact, HostLParam);

// Removes the first "&" only; later ones stay.
std::string RemoveFirstAmpersand(std::string text);
