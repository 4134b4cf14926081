// Turns the stored visibility levels into each ICQ contact's apparent mode.
#pragma once

#include <cstdint>

#include "host/HostAbi.h"

// 0 "Always visible", 1 to 5, 6 "Never visible"; other values can be stored.
using VisibilityLevel = int32_t;
constexpr VisibilityLevel kAlwaysVisible = 0;
constexpr VisibilityLevel kNeverVisible = 6;

// Only StartupPass is told apart from any other kind.
constexpr int StartupPass = -1;
constexpr int NormalPass = 0;

enum class ApparentMode { Online, Offline, Unchanged };

// The decision for one ICQ contact of level `contactLevel` under the global
// level `globalLevel`; the global extremes win over the contact's.
ApparentMode DecideApparentMode(int passKind, VisibilityLevel globalLevel,
                                VisibilityLevel contactLevel);

// The contact's stored level; 0 names the global level. Never set reads as 0.
VisibilityLevel ReadVisibilityLevel(ContactHandle contact);

void ApplyVisibility(int passKind);
