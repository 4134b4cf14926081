#include "sandbox/bench/OptionsPageBench.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>

#include "sandbox/HostMessageLoop.h"
#include "sandbox/SandboxHost.h"
#include "sandbox/UserScript.h"
#include "sandbox/bench/Timing.h"

namespace {

// As the page's dialog resource names the list of contacts.
constexpr int kContactListId = 1002;
constexpr const char* kPageTitle = "Visibility levels";
constexpr int32_t kPageGlobalLevel = 3;
// For the host's loop to hand the key to the list and the page to tell the
// dialog of its change; a few milliseconds where all is well.
constexpr DWORD kKeyWaitMs = 5000;

// Names that differ from the first letter on, in both cases, and come in no
// order, as in a real contact list: the contact's number, scrambled, picks
// four syllables. 7919 is prime, so each of the 10000 numbers comes once
// and every name is another.
std::string PersonName(int index) {
    static const char* const kSyllables[10] = {"ka", "mi", "to", "ra", "be", "lu", "so", "ne", "vi", "da"};
    int code = (index * 7919) % 10000;
    std::string name;
    for (int syllable = 0; syllable < 4; ++syllable) {
        if (syllable == 2) name += ' ';
        name += kSyllables[code % 10];
        code /= 10;
    }
    name += "ski";
    if (index % 5 != 0) name[0] = static_cast<char>(name[0] - 'a' + 'A');
    name[5] = static_cast<char>(name[5] - 'a' + 'A');
    return name;
}

// A host with accounts and only ICQ contacts: half in "ICQ", half in the
// account "ICQ_1", named "Work ICQ"; levels 0-6 and unset. Each contact by
// its name, which the list shows.
std::map<std::string, ContactHandle> BuildPageProfile(SandboxHost& host) {
    host.SetAccountsEnabled(true);
    host.SetProtocolLoaded("ICQ_1", true);
    host.AddAccount("ICQ", "ICQ");
    HostAccount work;
    work.protocol = "ICQ";
    work.name = "Work ICQ";
    host.SetAccount("ICQ_1", work);
    std::map<std::string, ContactHandle> contacts;
    for (int i = 0; i < kPageContacts; ++i) {
        const std::string name = PersonName(i);
        const ContactHandle contact = host.AddContact(i % 2 ? "ICQ_1" : "ICQ", name.c_str());
        const int level = (i / 2) % 8;
        if (level < 7) host.SetDword(contact, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(level));
        contacts[name] = contact;
    }
    host.SetDword(0, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(kPageGlobalLevel));
    return contacts;
}

HWND ContactList(SandboxHost& host) { return GetDlgItem(host.Options().PageWindow(0), kContactListId); }

bool NothingLeftToPaint(HWND window) { return window && !GetUpdateRect(window, nullptr, FALSE); }

// What the user's "Options..." does, then every window of the dialog painted
// at once, the list's visible rows with it; the two times since Open().
// Checks that the page is the plug-in's, shows every contact, and is painted.
bool OpenAndPaint(SandboxHost& host, double& madeMs, double& paintedMs) {
    const double start = Now();
    const HWND dialog = host.Options().Open();
    const double made = Now();
    if (!dialog) {
        std::printf("The Options dialog did not open: no page was added.\n");
        return false;
    }
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double painted = Now();
    madeMs = (made - start) * 1000;
    paintedMs = (painted - start) * 1000;

    const HWND page = host.Options().PageWindow(0);
    const HWND list = ContactList(host);
    if (host.Options().Pages()[0].title != kPageTitle || !list || !IsWindowVisible(list)) {
        std::printf("The Options dialog does not show the page \"%s\" and its list first.\n", kPageTitle);
        return false;
    }
    const LRESULT rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    if (rows != kPageContacts) {
        std::printf("The page lists %ld of the %d ICQ contacts.\n", static_cast<long>(rows), kPageContacts);
        return false;
    }
    if (!NothingLeftToPaint(dialog) || !NothingLeftToPaint(page) || !NothingLeftToPaint(list)) {
        std::printf("The Options dialog still had windows to paint after RedrawWindow.\n");
        return false;
    }
    return true;
}

void CloseWithCancel(SandboxHost& host) {
    host.Options().ClickCancel();
    // Whatever the closing posted, handled before the next opening.
    RunHostMessageLoop(0);
}

std::string ItemText(HWND list, int item, int column) {
    char text[256] = "";
    LVITEMA request = {};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request));
    return text;
}

// That row alone chosen and focused, and scrolled into view, as a click on it leaves it.
void ChooseRow(HWND list, int row) {
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMA chosen = {};
    chosen.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    chosen.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&chosen));
    SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
}

uint32_t StoredLevel(const SandboxHost& host, ContactHandle contact) {
    return host.Dword(contact, "Quillmere", "VisibilityLevel").value_or(0);
}

// One row chosen, the digit of another level pressed in the list, and the
// host's loop run until the dialog knows of the change; then Apply, timed.
// With `logged`, the host logs Apply's calls and the figures count them.
bool ApplyOneChange(SandboxHost& host, const std::map<std::string, ContactHandle>& contacts, int row, bool logged,
                    PageFigures& figures) {
    const HWND list = ContactList(host);
    const std::string name = ItemText(list, row, 0);
    const auto found = contacts.find(name);
    if (found == contacts.end()) {
        std::printf("Row %d of the page shows \"%s\", no contact of the profile.\n", row, name.c_str());
        return false;
    }
    const ContactHandle contact = found->second;
    const uint32_t before = StoredLevel(host, contact);
    const uint32_t level = (before + 1) % 7;

    ChooseRow(list, row);
    SetFocus(list);
    PressKey(list, '0' + level);
    if (!RunHostMessageLoopUntil([&] { return host.Options().ApplyEnabled(); }, kKeyWaitMs)) {
        std::printf("The key %u pressed in the page's list did not enable Apply.\n", level);
        return false;
    }
    if (StoredLevel(host, contact) != before) {
        std::printf("The page stored a level before Apply.\n");
        return false;
    }

    host.SetLogging(logged);
    host.ClearLog();
    const double start = Now();
    host.Options().ClickApply();
    const double ms = (Now() - start) * 1000;
    if (logged) {
        figures.writesInApply = host.CountCalls("DB/Contact/WriteSetting");
        figures.passesInApply = host.CountCalls("DB/Contact/GetCount");
        figures.callsInApply = host.Log().size();
        figures.loggedApplyMs = ms;
    } else {
        figures.applyMs.push_back(ms);
    }
    host.ClearLog();
    host.SetLogging(false);
    if (StoredLevel(host, contact) != level) {
        std::printf("Apply did not store level %u for \"%s\", which the key chose.\n", level, name.c_str());
        return false;
    }
    return true;
}

// The host exists from here on; its destructor ends it on every way out.
bool MeasureOnHost(SandboxHost& host, PageFigures& figures) {
    if (!host.LoadPlugin("Quillmere.dll")) {
        std::printf("Quillmere.dll could not be loaded from the current folder.\n");
        return false;
    }
    host.SetLogging(false);
    const std::map<std::string, ContactHandle> contacts = BuildPageProfile(host);
    if (!host.Start()) {
        std::printf("The plug-in did not start on the host for the Options page.\n");
        return false;
    }

    // The first opening loads the list view's code and makes the window
    // classes; it is not timed, and counts the host calls instead.
    double madeMs = 0;
    double paintedMs = 0;
    host.SetLogging(true);
    host.ClearLog();
    const bool opened = OpenAndPaint(host, madeMs, paintedMs);
    figures.callsPerOpening = host.Log().size();
    const std::vector<std::string> readingCalls = ReadingCalls(host.Log());
    figures.readingCalls = readingCalls.size();
    host.ClearLog();
    host.SetLogging(false);
    if (!opened) return false;
    const PageLooks looks = LooksOf(host.Options().PageWindow(0));
    CloseWithCancel(host);
    if (!BareWalkMatchesPage(host, readingCalls)) return false;
    BarePage barePage(looks);

    // Each opening next to each piece of it, so that all saw the same load.
    for (int i = 0; i < kPageOpenings; ++i) {
        const std::vector<std::string> names = TimeBareWalk(host, figures.parts);
        TimeSortKeys(names, figures.parts);
        if (!barePage.Time(names, figures.parts)) return false;
        if (!OpenAndPaint(host, madeMs, paintedMs)) return false;
        figures.toMadeMs.push_back(madeMs);
        figures.toPaintedMs.push_back(paintedMs);
        TimeTextWidths(ContactList(host), names, figures.parts);
        CloseWithCancel(host);
    }

    if (!OpenAndPaint(host, madeMs, paintedMs)) return false;
    for (int round = 0; round < kApplyRounds; ++round) {
        // Rows far apart: each round changes another contact.
        const int row = (round * 3637 + 4999) % kPageContacts;
        if (!ApplyOneChange(host, contacts, row, round == 0, figures)) return false;
    }
    CloseWithCancel(host);
    return true;
}

}  // namespace

bool MeasureOptionsPage(PageFigures& figures) {
    SandboxHost host;
    return MeasureOnHost(host, figures);
}

void PrintOptionsPage(const PageFigures& figures) {
    std::printf("Options page \"%s\" with %d ICQ contacts (half in the account ICQ_1; levels 0-6 and unset,\n"
                "global level %d), %d openings from Open() after a first one, each closed with Cancel:\n",
                kPageTitle, kPageContacts, kPageGlobalLevel, kPageOpenings);
    std::printf("  Open() to page made      min %7.2f  median %7.2f ms\n", Min(figures.toMadeMs),
                Median(figures.toMadeMs));
    std::printf("  Open() to painted        min %7.2f  median %7.2f ms   (goal under %.0f ms: %s)\n",
                Min(figures.toPaintedMs), Median(figures.toPaintedMs), kPageOpeningGoalMs,
                Median(figures.toPaintedMs) < kPageOpeningGoalMs ? "met" : "MISSED");
    std::printf("  host calls per opening   %zu (%.2f per contact)\n", figures.callsPerOpening,
                static_cast<double>(figures.callsPerOpening) / kPageContacts);
    PrintOpeningParts(figures.parts, Median(figures.toPaintedMs), figures.readingCalls);
    std::printf("One change and Apply, %d rounds: a row chosen in the list, a digit key pressed in it,\n"
                "the host's loop run, then Apply:\n",
                kApplyRounds);
    std::printf("  host calls of the first  %zu \"DB/Contact/WriteSetting\" (one write expected), %zu "
                "\"DB/Contact/GetCount\" (one pass expected); %zu in all\n",
                figures.writesInApply, figures.passesInApply, figures.callsInApply);
    std::printf("  Apply took               min %7.2f  median %7.2f ms over the other %zu (the first, "
                "with the call log on: %.2f ms)\n\n",
                Min(figures.applyMs), Median(figures.applyMs), figures.applyMs.size(), figures.loggedApplyMs);
}

void PrintPageGoal(const PageFigures& figures) {
    std::printf("Options page with %d ICQ contacts, Open() to painted (median of %d openings, goal under "
                "%.0f ms): %.2f ms, %s\n",
                kPageContacts, kPageOpenings, kPageOpeningGoalMs, Median(figures.toPaintedMs),
                Median(figures.toPaintedMs) < kPageOpeningGoalMs ? "met" : "MISSED");
}

bool ApplyMadeOneWriteAndOnePass(const PageFigures& figures) {
    if (figures.writesInApply == 1 && figures.passesInApply == 1) return true;
    std::printf("FAILED: one Apply after one change made %zu writes and %zu passes; one of each is right.\n",
                figures.writesInApply, figures.passesInApply);
    return false;
}
