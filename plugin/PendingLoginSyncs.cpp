#include "plugin/PendingLoginSyncs.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "plugin/LoginSync.h"

// The modules waiting for their sync, in the order they logged in, each
// followed by its NUL: a handful of names, kept in one string.
static std::string PendingModules;
static UINT_PTR SyncTimer = 0;  // a thread timer; 0 when none runs

static void StopSyncTimer() {
    if (SyncTimer) KillTimer(nullptr, SyncTimer);
    SyncTimer = 0;
}

// Where the module's name starts in PendingModules; npos when it waits not.
static std::string::size_type FindPending(const std::string& pending, const char* module) {
    for (std::string::size_type at = 0; at < pending.size(); at += std::strlen(&pending[at]) + 1)
        if (std::strcmp(&pending[at], module) == 0) return at;
    return std::string::npos;
}

static void CALLBACK RunPendingLoginSyncs(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (timer != SyncTimer) return;
    SyncTimer = 0;
    // Taken first: a sync makes host calls, and an ack they lead to must
    // find the list as it is now.
    std::string modules;
    modules.swap(PendingModules);
    for (std::string::size_type at = 0; at < modules.size(); at += std::strlen(&modules[at]) + 1)
        SyncServerLists(&modules[at]);
}

void NoteAccountStatus(const ACKDATA* ack) {
    if (const char* module = ModuleThatLoggedIn(ack)) {
        if (FindPending(PendingModules, module) == std::string::npos)
            PendingModules.append(module, std::strlen(module) + 1);
        StopSyncTimer();
        SyncTimer = SetTimer(nullptr, 0, kLoginSyncDelayMs, RunPendingLoginSyncs);
        return;
    }
    const char* module = ModuleNotLoggedIn(ack);
    const std::string::size_type at = module ? FindPending(PendingModules, module) : std::string::npos;
    if (at == std::string::npos) return;
    PendingModules.erase(at, std::strlen(module) + 1);
    if (PendingModules.empty()) StopSyncTimer();
}

void CancelPendingLoginSyncs() {
    StopSyncTimer();
    PendingModules.clear();
}
