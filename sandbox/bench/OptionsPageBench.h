// The plug-in's "Visibility levels" page in the host's Options dialog, on a
// host of its own with 10000 ICQ contacts: how long the page takes to open
// and paint, and what one Apply after one change costs.
#pragma once

#include <cstddef>
#include <vector>

#include "sandbox/bench/PageOpeningParts.h"

constexpr int kPageContacts = 10000;
constexpr int kPageOpenings = 11;
constexpr double kPageOpeningGoalMs = 100;
constexpr int kApplyRounds = 6;

struct PageFigures {
    // Milliseconds from Open(), one a timed opening.
    std::vector<double> toMadeMs;     // Open() has returned: the dialog and the page are made
    std::vector<double> toPaintedMs;  // every window of the dialog painted, the list's rows too
    size_t callsPerOpening = 0;       // host calls, from the opening with the call log on
    size_t readingCalls = 0;          // of those, the ones that read the contacts
    OpeningParts parts;               // where an opening's time goes
    // The first Apply, with the call log on.
    size_t writesInApply = 0;  // "DB/Contact/WriteSetting"
    size_t passesInApply = 0;  // "DB/Contact/GetCount": each pass asks once
    size_t callsInApply = 0;
    double loggedApplyMs = 0;
    std::vector<double> applyMs;  // the others, with the log off
};

// Makes the host, measures, and ends the host again. No other SandboxHost
// may exist meanwhile: the entry points reach the host through one pointer.
// False, having said why, when the page does not open, show its contacts,
// paint, take the key or store what it chose.
bool MeasureOptionsPage(PageFigures& figures);

void PrintOptionsPage(const PageFigures& figures);
// The closing line: the opening against its goal.
void PrintPageGoal(const PageFigures& figures);
// One write and one pass: true when the Apply made exactly those; otherwise
// says so in one line.
bool ApplyMadeOneWriteAndOnePass(const PageFigures& figures);
