#include "plugin/OptionsPage.h"

#include "host/HostLink.h"
#include "plugin/InterfaceTexts.h"
#include "plugin/LevelsPage.h"
#include "toolkit/ModuleInstance.h"

int __cdecl OnOptionsInitialise(HostWParam addInfo, HostLParam) {
    // The form every host from 0.5 on knows. Title and group go untranslated,
    // as 8-bit text: the host translates them, into wide text where it is a
    // Unicode build.
    OPTIONSDIALOGPAGE page = {};
    page.cbSize = sizeof page;
    page.pszTitle = kOptionsPageTitle;
    page.pszGroup = kOptionsPageGroup;
    page.pfnDlgProc = reinterpret_cast<decltype(page.pfnDlgProc)>(reinterpret_cast<void*>(LevelsPageProc));
    page.pszTemplate = kLevelsPageTemplate;
    page.hInstance = ModuleInstance();
    // A host that refuses the record shows no page; there is nothing else to do.
    CallHostService(kSvcAddOptionsPage, addInfo, reinterpret_cast<HostLParam>(&page));
    return 0;
}
