// The normal visibility pass next to its floor: a bare loop here that makes
// exactly the plug-in's host calls and nothing else.
//
// The sandbox host is slow by design (string-keyed maps, texts built for each
// call); both the plug-in and the floor go through it, so the ratio of the two
// shows what the plug-in adds on top of the host calls it has to make.
#pragma once

#include <vector>

#include "sandbox/SandboxHost.h"

constexpr double kPassRatioTarget = 1.05;

struct PassTimes {
    std::vector<double> pluginNs;  // per contact, one a run
    std::vector<double> floorNs;
};

// The plug-in's normal pass, as a status change runs it.
void PluginPass(SandboxHost& host);

// The floor is fair only if it makes exactly the plug-in's calls (as the log
// shows them: the records hold addresses that differ) and ends with the same
// apparent modes. Says what differs, if anything.
bool FloorMatchesPlugin(SandboxHost& host, const std::vector<ContactHandle>& contacts);

// `runs` passes of each, interleaved, each first in turn, so that neither
// gets a warmer cache.
PassTimes TimePasses(SandboxHost& host, int runs);

void PrintPassTimes(const PassTimes& times, int runs);
// The closing line: the ratio of the medians against its target.
void PrintPassRatio(const PassTimes& times, int runs);
