// Every text the plug-in passes through the host's translation, in the order a
// user first meets them. The release's translation template is made from this
// file's string literals, in that order.
#pragma once

// The menu entry, and with its first ampersand dropped, the editor's caption.
constexpr const char* kMenuEntryText = "&Visibility Level";
constexpr const char* kOkCaption = "&OK";
constexpr const char* kCloseCaption = "Close";

// One name per stored level, from 0 up.
constexpr const char* kLevelNames[7] = {
    "Always visible", "Visibility 1", "Visibility 2", "Visibility 3",
    "Visibility 4",   "Visibility 5", "Never visible"};
