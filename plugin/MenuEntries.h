// The main-menu and contact-menu entries that open the level editor.
#pragma once

#include "host/HostAbi.h"

extern CLISTMENUITEM ContactMenuItem;  // reused for creation and every modification
extern uintptr_t ContactMenuHandle;    // the host's handle; 0 until the item exists

constexpr int32_t kMainMenuPosition = 1000010000;
constexpr int32_t kContactMenuPosition = 1000080001;

void AddMenuItems();

// Shown only for contacts of a loaded module that is "ICQ" or an account of
// the ICQ protocol.
uint32_t MenuFlagsFor(ContactHandle contact);

int __cdecl OnPreBuildContactMenu(HostWParam contact, HostLParam);
