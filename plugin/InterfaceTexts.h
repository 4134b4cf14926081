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

// The page of the host's Options dialog. The host translates the page's
// title and group itself: they reach it untranslated.
constexpr const char* kOptionsPageTitle = "Visibility levels";
constexpr const char* kOptionsPageGroup = "Status";
constexpr const char* kGlobalLevelLabel = "&Global visibility level:";
constexpr const char* kContactListLabel = "&Contacts (the keys 0 to 6 set the level of the chosen ones):";
// The list's columns.
constexpr const char* kContactColumn = "Contact";
constexpr const char* kAccountColumn = "Account";
constexpr const char* kLevelColumn = "Level";
constexpr const char* kSeesYouColumn = "Sees you";
// Whether a contact sees the user: on the visible list, on the invisible
// list, or left where the ICQ server has it.
constexpr const char* kSeesAlways = "always";
constexpr const char* kSeesNever = "never";
constexpr const char* kServerDecides = "the ICQ server decides";
constexpr const char* kChosenLevelLabel = "&Level of the chosen contacts:";
