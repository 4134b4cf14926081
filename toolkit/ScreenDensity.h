// The screen's vertical pixels per logical inch, read once when the module is
// mapped into the process, before anything else of it runs.
#pragma once

extern int ScreenLogPixels;
