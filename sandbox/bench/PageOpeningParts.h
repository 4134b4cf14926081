// Where an opening of the Options page spends its time. Each piece of what
// the page does as it opens is done here alone, by plain code, on the same
// contacts, and timed next to the page's openings: the host calls that read
// the contacts, the names' sort keys and their sort, the names' widths in the
// list's font, and the page's controls, made and painted as a bare page.
// What the pieces leave of an opening is the Options dialog and the page's
// own code.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "sandbox/SandboxHost.h"

// A control of the page as it stands open.
struct ControlLooks {
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect = {};  // in the page's client area; a drop-down's without its list
    std::string text;
    std::vector<std::string> items;  // a drop-down's
};

// The page as it stands open: its size, font and controls, and its list's
// columns.
struct PageLooks {
    int width = 0;
    int height = 0;
    LOGFONTA font = {};
    std::vector<ControlLooks> controls;
    std::vector<std::pair<std::string, int>> columns;  // header and width
};

// Milliseconds, one a timing.
struct OpeningParts {
    std::vector<double> hostCallsMs;
    std::vector<double> sortKeysMs;
    std::vector<double> textWidthsMs;
    std::vector<double> controlsMs;   // the bare page, made and painted
    std::vector<double> dropDownsMs;  // of which the drop-downs' making
    std::vector<double> listViewMs;   // of which the list view's making, columns and rows set
};

PageLooks LooksOf(HWND page);

// The calls of an opening's log through which the page reads its contacts.
std::vector<std::string> ReadingCalls(const std::vector<HostCall>& openingCalls);

// The bare walk is a fair piece only if it makes exactly the calls the page
// makes to read its contacts. Says what differs, if anything.
bool BareWalkMatchesPage(SandboxHost& host, const std::vector<std::string>& pageCalls);

// The contacts' display names, as the walk read them, in the host's order.
std::vector<std::string> TimeBareWalk(SandboxHost& host, OpeningParts& parts);
void TimeSortKeys(const std::vector<std::string>& names, OpeningParts& parts);
// In the font of the list, which must be open.
void TimeTextWidths(HWND list, const std::vector<std::string>& names, OpeningParts& parts);

// A window of the page's size holding the page's controls, made by plain
// Win32 calls with the same classes, styles, places, texts and font, the
// list with as many rows as names and the same columns; made as a child of
// a top-level window that stays, as the real page is a child of the dialog.
class BarePage {
public:
    explicit BarePage(const PageLooks& looks);
    ~BarePage();
    BarePage(const BarePage&) = delete;
    BarePage& operator=(const BarePage&) = delete;

    // Made, shown and painted, then destroyed. False, having said why, when
    // it cannot be made or is not painted.
    bool Time(const std::vector<std::string>& names, OpeningParts& parts);

private:
    const PageLooks& looks_;
    HWND stage_ = nullptr;  // we own it
    HFONT font_ = nullptr;  // we own it; the controls only use it
};

// Each piece's median, and what they leave of the openings' median.
void PrintOpeningParts(const OpeningParts& parts, double openingMs, size_t readingCalls);
