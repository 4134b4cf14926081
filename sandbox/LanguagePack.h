// Language packs the sandbox host can load: the plug-in's ten texts, each
// English text with its translation.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sandbox/SandboxHost.h"

using LanguagePack = std::vector<std::pair<std::string, std::string>>;

// Russian, in UTF-8, as a Unicode host keeps it.
const LanguagePack& RussianLanguagePack();
// Its 8-bit texts are in this code page.
constexpr UINT kRussianCodePage = 1251;

// Gives the host every translation of the pack and the pack's code page.
void LoadLanguagePack(SandboxHost& host, const LanguagePack& pack, UINT codePage);
