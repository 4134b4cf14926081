// The sandbox host as a program a person can use: it loads Quillmere.dll
// with the profile kept in the user's data folder (the sample profile on a
// fresh start), shows the host window, and keeps every change the plug-in
// stores in that file, so levels and the editor's position survive a restart.
// The ICQ server's lists travel with the profile: the server outlives a
// restart of the client, and what a login left on it is there the next time.
//
//   QuillmereSandbox.exe [--profile FILE] [--unicode] [--close-when-started]
//
// --unicode: the host is a Unicode build with a Russian language pack.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "sandbox/HostWindow.h"
#include "sandbox/LanguagePack.h"
#include "sandbox/ProfileFile.h"

namespace {

// %APPDATA%\Quillmere Sandbox\profile.ini, the folder made if need be.
std::string DefaultProfilePath() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder)))
        return "profile.ini";
    std::string path = std::string(folder) + "\\Quillmere Sandbox";
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\profile.ini";
}

void Tell(const std::string& text, bool asDialog) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    if (asDialog) MessageBoxA(nullptr, text.c_str(), "Quillmere sandbox", MB_OK | MB_ICONWARNING);
}

}  // namespace

int main(int argc, char** argv) {
    std::string profilePath;
    bool closeWhenStarted = false;
    bool unicode = false;
    for (int index = 1; index < argc; ++index) {
        if (std::strcmp(argv[index], "--profile") == 0 && index + 1 < argc) {
            profilePath = argv[++index];
        } else if (std::strcmp(argv[index], "--close-when-started") == 0) {
            closeWhenStarted = true;
        } else if (std::strcmp(argv[index], "--unicode") == 0) {
            unicode = true;
        } else {
            std::printf("usage: QuillmereSandbox.exe [--profile FILE] [--unicode] [--close-when-started]\n");
            return 2;
        }
    }
    if (profilePath.empty()) profilePath = DefaultProfilePath();

    Profile profile = SampleProfile();
    bool keepProfile = true;
    const ProfileFileRead read = ReadProfileFile(profilePath);
    switch (read.outcome) {
    case ProfileFileRead::Outcome::Read:
        profile = read.profile;
        std::printf("Profile: %s\n", profilePath.c_str());
        break;
    case ProfileFileRead::Outcome::Missing:
        std::printf("Profile: %s (new, from the sample profile)\n", profilePath.c_str());
        break;
    case ProfileFileRead::Outcome::Damaged:
        // The damaged file is the user's: leave it for them to mend or delete.
        keepProfile = false;
        Tell("The profile " + profilePath + " cannot be read: " + read.problem +
                 ".\n\nThe sandbox starts with the sample profile instead. The damaged file is "
                 "left as it is, and nothing of this session is saved to it; mend or delete it "
                 "to keep your changes again.",
             !closeWhenStarted);
        break;
    }

    SandboxHost host;
    if (!host.LoadPlugin("Quillmere.dll")) {
        Tell("Quillmere.dll could not be loaded from the program's folder.", !closeWhenStarted);
        return 1;
    }
    host.SetLogging(false);  // a session may run for hours; nobody reads the log here
    if (unicode) {
        host.SetUnicode(true);
        LoadLanguagePack(host, RussianLanguagePack(), kRussianCodePage);
    }
    std::printf("Host: %s\n", unicode ? "a Unicode build, in Russian" : "an ANSI build");
    PutProfileIntoHost(profile, host);
    if (!host.Start(unicode ? kSandboxUnicodeHostVersion : kSandboxHostVersion)) {
        Tell("Quillmere.dll did not start in the sandbox host.", !closeWhenStarted);
        return 1;
    }

    bool saveFailed = false;
    auto save = [&] {
        if (!keepProfile) return;
        Profile saved = TakeProfileFromHost(host);
        // An ANSI host holds the names in 8 bits; the sandbox never renames a
        // contact, so the names read keep every letter.
        for (size_t index = 0; index < saved.contacts.size() && index < profile.contacts.size(); ++index)
            saved.contacts[index].name = profile.contacts[index].name;
        if (WriteProfileFile(profilePath, saved)) return;
        if (!saveFailed) Tell("The profile could not be saved to " + profilePath + ".", false);
        saveFailed = true;
    };
    // A fresh start writes the sample out at once, so the file is there to look at.
    if (read.outcome == ProfileFileRead::Outcome::Missing) save();

    // The ICQ module's writes move the settings' revision with every change
    // it makes on the server, a login's included, so the server is saved too.
    HostWindow window(host);
    window.SetSettingsChangedListener(save);
    if (!window.Open(40, 40, true)) {
        Tell("The sandbox window could not be opened.", false);
        return 1;
    }
    if (closeWhenStarted) PostMessageA(window.Window(), WM_CLOSE, 0, 0);

    // A Unicode build's loop takes the characters typed as wide text.
    const bool wide = host.IsUnicode();
    MSG message;
    while ((wide ? GetMessageW(&message, nullptr, 0, 0) : GetMessageA(&message, nullptr, 0, 0)) > 0) {
        // The Options dialog is modeless: its keys (Tab into a page, Enter,
        // Esc) are the dialog's before anything else sees them.
        if (host.Options().TakeDialogMessage(message)) continue;
        // Tab and Shift+Tab move between the contact list and the status
        // selector, as in a dialog; the window's other keys stay its own.
        if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && window.Window() &&
            IsChild(window.Window(), message.hwnd)) {
            const bool back = GetKeyState(VK_SHIFT) < 0;
            SetFocus(GetNextDlgTabItem(window.Window(), GetFocus(), back));
            continue;
        }
        TranslateMessage(&message);
        if (wide)
            DispatchMessageW(&message);
        else
            DispatchMessageA(&message);
    }
    // The pages are the plug-ins' windows: gone, as on Cancel, before they unload.
    host.Options().ClickCancel();
    host.CallUnload();
    save();
    return 0;
}
