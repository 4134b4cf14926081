// Offers the "Visibility levels" page each time the user opens the host's
// Options dialog.
#pragma once

#include "host/HostAbi.h"

// The "Opt/Initialise" hook: adds the page through "Opt/AddPage", handing
// back the dialog's addInfo.
int __cdecl OnOptionsInitialise(HostWParam addInfo, HostLParam);
