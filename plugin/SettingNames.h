// Names under which the plug-in keeps its settings in the host's database.
#pragma once

constexpr const char* kSettingsModule = "Quillmere";
constexpr const char* kSettingVisibilityLevel = "VisibilityLevel";  // per contact; 0: global
constexpr const char* kSettingEditorLeft = "UserAdd/Left";          // on contact 0
constexpr const char* kSettingEditorTop = "UserAdd/Top";            // on contact 0
