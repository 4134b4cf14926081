// The host's main message loop. A real host runs it from start-up to exit;
// the plug-in's timers and posted messages reach it only through that loop.
// Tests, the demo and the bench run it for a while where a real host would
// simply be idle.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches every message of the thread, the current host's Options dialog
// taking its keys first, as the sandbox program's loop does, until `done` is true or
// `timeoutMs` has passed; returns done(). A WM_QUIT ends it early and is
// posted again, so that the loop that owns it still sees it.
bool RunHostMessageLoopUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The loop for `milliseconds`, as a host idles.
void RunHostMessageLoop(DWORD milliseconds);
