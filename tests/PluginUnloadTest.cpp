// The host frees the DLL once Unload has returned. Nothing of the plug-in
// may run after that: a timer left behind would jump into memory that is no
// longer mapped, or mapped to something else by then. (DispatchMessage hides
// a fault in a timer's procedure, so the host would not even crash.) The DLL
// is loaded here from a copy of its own, so that this program can free it as
// a host does.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "plugin/PendingLoginSyncs.h"
#include "sandbox/HostMessageLoop.h"
#include "sandbox/SandboxHost.h"

namespace {

const char kCopyName[] = "QuillmereFreed.dll";

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// Where the module was mapped: from its base, the image's size.
struct MappedRange {
    uintptr_t begin = 0;
    uintptr_t end = 0;
};

MappedRange RangeOf(HMODULE module) {
    const auto base = reinterpret_cast<uintptr_t>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return {base, base + nt->OptionalHeader.SizeOfImage};
}

// Faults whose address lies in the freed DLL's range. Seen first, before
// any handler a caller further up has set.
MappedRange g_freed;
int g_faultsInFreedDll = 0;

LONG CALLBACK CountFaultsInFreedDll(EXCEPTION_POINTERS* exception) {
    const auto address = reinterpret_cast<uintptr_t>(exception->ExceptionRecord->ExceptionAddress);
    if (address >= g_freed.begin && address < g_freed.end) ++g_faultsInFreedDll;
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

TEST(PluginUnload, NoTimerFiresIntoTheFreedDllAfterALogin) {
    const std::string folder = ProgramFolder();
    ASSERT_TRUE(CopyFileA((folder + "Quillmere.dll").c_str(), (folder + kCopyName).c_str(), FALSE));
    {
        SandboxHost host;
        ASSERT_TRUE(host.LoadPlugin((folder + kCopyName).c_str()));
        const ContactHandle contact = host.AddContact("ICQ", "Alice");
        host.SetDword(contact, "ICQ", "UIN", 100101);
        ASSERT_TRUE(host.Start());
        host.ConnectIcqAccount("ICQ", ID_STATUS_ONLINE);
        host.FinishLogins();
        host.CallUnload();
        host.ClearLog();

        const HMODULE module = GetModuleHandleA(kCopyName);
        ASSERT_NE(nullptr, module);
        g_freed = RangeOf(module);
        ASSERT_TRUE(FreeLibrary(module));
        EXPECT_EQ(nullptr, GetModuleHandleA(kCopyName)) << "the DLL is still mapped";
        void* const watch = AddVectoredExceptionHandler(1, CountFaultsInFreedDll);
        // A sync left pending would be due in here.
        RunHostMessageLoop(kLoginSyncDelayMs + 1000);
        RemoveVectoredExceptionHandler(watch);
        EXPECT_EQ(0, g_faultsInFreedDll) << "the plug-in's code ran after the DLL was freed";
        EXPECT_TRUE(host.LogTexts().empty());
    }
    DeleteFileA((folder + kCopyName).c_str());
}
