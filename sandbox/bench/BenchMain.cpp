// `make bench`: measures the plug-in in the sandbox host. The normal
// visibility pass over a large profile next to a floor (the same host calls
// made by a bare loop here), the login sync, the editor's opening and
// closing next to a floor editor (the same window made by plain Win32 calls
// here), the Options page with 10000 ICQ contacts, and the DLL's size next
// to an empty DLL built the same way. Run from the folder that holds the
// DLLs; the one argument, if any, is the number of timed passes.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sandbox/SandboxHost.h"
#include "sandbox/bench/DllSize.h"
#include "sandbox/bench/EditorBench.h"
#include "sandbox/bench/FloorEditor.h"
#include "sandbox/bench/LargeProfile.h"
#include "sandbox/bench/LoginSyncBench.h"
#include "sandbox/bench/OptionsPageBench.h"
#include "sandbox/bench/PassBench.h"

namespace {

constexpr int kDefaultPassRuns = 21;

struct LargeProfileFigures {
    PassTimes pass;
    LoginSyncFigures loginSync;
    EditorTimes editor;
    EditorTimes floorEditor;
};

// Everything measured on the large profile, on a host that is gone when
// this returns, unloaded first as a host unloads its plug-ins on exit.
bool MeasureOnLargeProfile(int passRuns, LargeProfileFigures& figures) {
    SandboxHost host;
    if (!host.LoadPlugin("Quillmere.dll")) {
        std::printf("Quillmere.dll could not be loaded from the current folder.\n");
        return false;
    }
    host.SetLogging(false);
    const std::vector<ContactHandle> contacts = BuildProfile(host);
    if (!host.Start()) {
        std::printf("The plug-in did not start.\n");
        return false;
    }
    if (!FloorMatchesPlugin(host, contacts)) return false;
    const size_t floorMenuIndex = AddFloorMenuEntry(host);
    figures.pass = TimePasses(host, passRuns);
    if (!TimeLoginSync(host, contacts, std::max(1, passRuns / 4), figures.loginSync)) return false;
    const HMODULE plugin = GetModuleHandleA("Quillmere.dll");
    if (!TimeEditor(host, plugin, floorMenuIndex, figures.editor, figures.floorEditor)) return false;
    host.CallUnload();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int passRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultPassRuns;

    // One host at a time: the large profile's is gone before the page's comes.
    LargeProfileFigures large;
    if (!MeasureOnLargeProfile(passRuns, large)) return 1;
    PageFigures page;
    if (!MeasureOptionsPage(page)) return 1;
    const DllSizes sizes = MeasureDllSizes();

    std::printf("Quillmere benchmark in the sandbox host (call log off)\n\n");
    if (ProfileContacts() != kNativeContacts)
        std::printf("32-bit programs run through qemu here, with too little memory for %d contacts: "
                    "%d contacts instead.\nThe Options page still has its %d.\n\n",
                    kNativeContacts, ProfileContacts(), kPageContacts);
    PrintPassTimes(large.pass, passRuns);
    PrintLoginSync(large.loginSync);
    PrintEditorTimes(large.editor, large.floorEditor);
    PrintOptionsPage(page);
    PrintDllSizes(sizes);

    PrintPassRatio(large.pass, passRuns);
    PrintEditorRatio(large.editor, large.floorEditor);
    PrintPageGoal(page);
    return ApplyMadeOneWriteAndOnePass(page) ? 0 : 1;
}
