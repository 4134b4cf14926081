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

// Where the freed DLL was mapped, and the faults whose address lies there;
// seen first, before any handler a caller further up has set.
uintptr_t g_freedBegin = 0, g_freedEnd = 0;
int g_faultsInFreedDll = 0;

LONG CALLBACK CountFaultsInFreedDll(EXCEPTION_POINTERS* exception) {
    const auto address = reinterpret_cast<uintptr_t>(exception->ExceptionRecord->ExceptionAddress);
    if (address >= g_freedBegin && address < g_freedEnd) ++g_faultsInFreedDll;
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

TEST(PluginUnload, NoTimerFiresIntoTheFreedDllAfterALogin) {
    char path[MAX_PATH] = {};
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    folder.erase(folder.find_last_of("\\/") + 1);
    ASSERT_TRUE(CopyFileA((folder + "Quillmere.dll").c_str(), (folder + kCopyName).c_str(), FALSE));
    {
        SandboxHost host;
        ASSERT_TRUE(host.LoadPlugin((folder + kCopyName).c_str()));
        host.SetDword(host.AddContact("ICQ", "Alice"), "ICQ", "UIN", 100101);
        ASSERT_TRUE(host.Start());
        host.ConnectIcqAccount("ICQ", ID_STATUS_ONLINE);
        host.FinishLogins();
        host.CallUnload();
        host.ClearLog();

        const HMODULE module = GetModuleHandleA(kCopyName);
        ASSERT_NE(nullptr, module);
        // From the image's base, its size.
        g_freedBegin = reinterpret_cast<uintptr_t>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            g_freedBegin + reinterpret_cast<const IMAGE_DOS_HEADER*>(module)->e_lfanew);
        g_freedEnd = g_freedBegin + nt->OptionalHeader.SizeOfImage;
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
