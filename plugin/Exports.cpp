// The three exports and the handlers of the host events that drive the plug-in.
#include "host/HostHelpers.h"
#include "host/HostLink.h"
#include "plugin/EditService.h"
#include "plugin/LevelsPage.h"
#include "plugin/MenuEntries.h"
#include "plugin/OptionsPage.h"
#include "plugin/PendingLoginSyncs.h"
#include "plugin/VisibilityPass.h"
#include "toolkit/WindowCalls.h"

static PLUGININFO PluginInfo;
static HookHandle PreBuildHook;
static HookHandle StatusHook;
static HookHandle AckHook;
static HookHandle OptionsHook;
// Set once the host's modules are loaded: before that no account is known
// to line up. Load clears it.
static bool ModulesLoaded;

static int __cdecl OnStatusModeChange(HostWParam, HostLParam) {
    ApplyVisibility(NormalPass);
    return 0;
}

static int __cdecl OnModulesLoaded(HostWParam, HostLParam) {
    PluginLink.CreateServiceFunction(kSvcEditVisibility, OnEditVisibility);
    AddMenuItems();
    ApplyVisibility(StartupPass);
    ModulesLoaded = true;
    return 0;
}

static int __cdecl OnProtoAck(HostWParam, HostLParam lParam) {
    if (!ModulesLoaded) return 0;
    NoteAccountStatus(reinterpret_cast<const ACKDATA*>(lParam));
    return 0;
}

extern "C" __cdecl PLUGININFO* MirandaPluginInfo(uint32_t hostVersion) {
    PluginInfo = PLUGININFO{};
    PluginInfo.cbSize = sizeof(PLUGININFO);
    PluginInfo.shortName = "Quillmere";
    PluginInfo.version = MakeVersion(0, 1, 1, 0);
    PluginInfo.description =
        "Allows you to define and apply visibility level for each user from contact list.";
    // The project has no mail address nor web page of its own yet: empty
    // texts, never null ones, which a host refuses.
    PluginInfo.author = "Quillmere contributors";
    PluginInfo.authorEmail = "";
    PluginInfo.copyright = "Copyright (c) 2026 Quillmere contributors";
    PluginInfo.homepage = "";
    // The host's plug-in list asks again once we run: from then on a Unicode
    // host is told that we handle its wide text.
    PluginInfo.isTransient = HostIsUnicode ? UNICODE_AWARE : 0;
    PluginInfo.replacesDefaultModule = 0;
    HostVersion = hostVersion;
    return &PluginInfo;
}

extern "C" __cdecl int Load(PLUGINLINK* link) {
    // Left over from a host that loaded the plug-in before without unloading it.
    CancelPendingLoginSyncs();
    EditorBusy = false;
    ModulesLoaded = false;
    PluginLink = *link;
    // Decided once, before any window exists; where the system lacks the
    // wide window calls the host is served as an ANSI one.
    HostIsUnicode = UseWideWindowCalls(AskWhetherHostIsUnicode());
    PluginLink.HookEvent(kEvModulesLoaded, OnModulesLoaded);
    PreBuildHook = PluginLink.HookEvent(kEvPreBuildContactMenu, OnPreBuildContactMenu);
    StatusHook = PluginLink.HookEvent(kEvStatusModeChange, OnStatusModeChange);
    AckHook = PluginLink.HookEvent(kEvProtoAck, OnProtoAck);
    OptionsHook = PluginLink.HookEvent(kEvOptionsInitialise, OnOptionsInitialise);
    return 0;
}

extern "C" __cdecl int Unload() {
    // First of all: no timer may fire into a DLL the host is about to free.
    CancelPendingLoginSyncs();
    EditorBusy = false;
    PluginLink.UnhookEvent(PreBuildHook);
    PluginLink.UnhookEvent(StatusHook);
    // A page left open loses the news of deleted contacts; its dialog is
    // the host's to close.
    UnhookLevelsPages();
    PluginLink.UnhookEvent(OptionsHook);
    // Last, so that no ack reaches a DLL the host is about to free.
    PluginLink.UnhookEvent(AckHook);
    return 0;
}
