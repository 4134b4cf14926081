#include "plugin/EditService.h"

#include "host/HostHelpers.h"
#include "plugin/InterfaceTexts.h"
#include "plugin/LevelEditor.h"

bool EditorBusy = false;

std::string RemoveFirstAmpersand(std::string text) {
    const std::string::size_type ampersand = text.find('&');
    if (ampersand != std::string::npos) text.erase(ampersand, 1);
    return text;
}

intptr_t __cdecl OnEditVisibility(HostWParam contact, HostLParam) {
    // EditorWindow also guards: Unload clears EditorBusy while an editor may
    // still be open, and a second editor would take over the first one's state.
    if (EditorBusy || EditorWindow) return 0;
    CurrentContact = contact;
    if (contact != 0) {
        const std::string name = GetContactDisplayName(contact);
        EditorTitle = name + ": " + RemoveFirstAmpersand(Translate(kMenuEntryText));
    } else {
        EditorTitle = RemoveFirstAmpersand(Translate(kMenuEntryText));
    }
    EditorBusy = true;
    RunEditor();
    return 0;
}
