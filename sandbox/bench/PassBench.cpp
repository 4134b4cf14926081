#include "sandbox/bench/PassBench.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "sandbox/bench/LargeProfile.h"
#include "sandbox/bench/LevelSetting.h"
#include "sandbox/bench/Timing.h"

namespace {

// The account question, asked once a module and pass; none for "ICQ", none
// after a host has shown it has no accounts.
struct FloorAccounts {
    std::vector<std::pair<std::string, bool>> answers;
    bool hostHasAccounts = true;

    bool IsIcq(const PLUGINLINK& link, const char* module) {
        if (std::strcmp(module, "ICQ") == 0) return true;
        if (!*module || !hostHasAccounts) return false;
        for (const auto& answer : answers)
            if (answer.first == module) return answer.second;
        const intptr_t record = link.CallService(kSvcGetAccount, 0, reinterpret_cast<HostLParam>(module));
        if (record == kServiceNotFound) {
            hostHasAccounts = false;
            return false;
        }
        const auto* account = reinterpret_cast<const PROTOACCOUNT*>(record);
        const bool isIcq = record != 0 && account->cbSize >= kAccountSizeWithProtoName &&
                           account->szProtoName && std::strcmp(account->szProtoName, "ICQ") == 0;
        answers.emplace_back(module, isIcq);
        return isIcq;
    }
};

void FloorPass(const PLUGINLINK& link) {
    const int32_t global = ReadLevelSetting(link, 0);
    const intptr_t count = link.CallService(kSvcGetContactCount, 0, 0);
    ContactHandle contact = static_cast<ContactHandle>(link.CallService(kSvcFindFirstContact, 0, 0));
    FloorAccounts accounts;
    for (intptr_t i = 0; i < count && contact != 0; ++i) {
        const auto* proto =
            reinterpret_cast<const char*>(link.CallService(kSvcGetContactBaseProto, contact, 0));
        if (proto && accounts.IsIcq(link, proto)) {
            const int32_t level = ReadLevelSetting(link, contact);
            HostWParam mode = 0;
            if (global == 0) mode = ID_STATUS_ONLINE;
            else if (global == 6) mode = ID_STATUS_OFFLINE;
            else if (level == 0) mode = ID_STATUS_ONLINE;
            else if (level == 6) mode = ID_STATUS_OFFLINE;
            else if (level >= 1 && level <= 5) mode = global > level ? ID_STATUS_OFFLINE : ID_STATUS_ONLINE;
            if (mode) {
                CCSDATA call = {contact, kPssSetApparentMode, mode, 0};
                link.CallService(kSvcCallContactService, 0, reinterpret_cast<HostLParam>(&call));
            }
        }
        contact = static_cast<ContactHandle>(link.CallService(kSvcFindNextContact, contact, 0));
    }
}

}  // namespace

void PluginPass(SandboxHost& host) { host.FireStatusModeChange(); }

bool FloorMatchesPlugin(SandboxHost& host, const std::vector<ContactHandle>& contacts) {
    host.SetLogging(true);
    host.OverrideContactCount(2000);
    host.ClearLog();
    PluginPass(host);
    const std::vector<HostCall> pluginCalls = host.Log();
    host.ClearLog();
    FloorPass(host.Link());
    const std::vector<HostCall> floorCalls = host.Log();
    host.ClearLog();
    host.OverrideContactCount(std::nullopt);
    host.SetLogging(false);
    bool same = pluginCalls.size() == floorCalls.size();
    for (size_t i = 0; same && i < pluginCalls.size(); ++i)
        same = pluginCalls[i].text == floorCalls[i].text;
    if (!same) {
        std::printf("The floor's host calls differ from the plug-in's (%zu against %zu calls).\n",
                    floorCalls.size(), pluginCalls.size());
        return false;
    }

    host.ClearApparentModes();
    PluginPass(host);
    std::vector<std::optional<uint32_t>> pluginModes;
    for (ContactHandle contact : contacts) pluginModes.push_back(host.ApparentMode(contact));
    host.ClearApparentModes();
    FloorPass(host.Link());
    for (size_t i = 0; i < contacts.size(); ++i) {
        if (host.ApparentMode(contacts[i]) != pluginModes[i]) {
            std::printf("The floor leaves contact %zu in another apparent mode.\n", i);
            return false;
        }
    }
    return true;
}

PassTimes TimePasses(SandboxHost& host, int runs) {
    PassTimes times;
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool pluginTurn = (run + turn) % 2 == 0;
            const double start = Now();
            if (pluginTurn)
                PluginPass(host);
            else
                FloorPass(host.Link());
            const double ns = (Now() - start) * 1e9 / ProfileContacts();
            (pluginTurn ? times.pluginNs : times.floorNs).push_back(ns);
        }
    }
    return times;
}

void PrintPassTimes(const PassTimes& times, int runs) {
    const int contacts = ProfileContacts();
    std::printf("Normal pass over %d contacts (%d ICQ, half of them in the account ICQ_1; levels 0-6 "
                "and unset, global level %d), %d runs each:\n",
                contacts, contacts / 2, kGlobalLevel, runs);
    std::printf("  plug-in   min %8.1f ns/contact   median %8.1f ns/contact\n", Min(times.pluginNs),
                Median(times.pluginNs));
    std::printf("  floor     min %8.1f ns/contact   median %8.1f ns/contact"
                "   (a bare loop making the same host calls)\n",
                Min(times.floorNs), Median(times.floorNs));
    std::printf("  ratio of minima %.3f\n\n", Min(times.pluginNs) / Min(times.floorNs));
}

// The medians: on a shared machine a single lucky run moves a minimum.
void PrintPassRatio(const PassTimes& times, int runs) {
    std::printf("pass ratio plug-in/floor (medians of %d runs, target at most %.2f): %.3f\n", runs,
                kPassRatioTarget, Median(times.pluginNs) / Median(times.floorNs));
}
