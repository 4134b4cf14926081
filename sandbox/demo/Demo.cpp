// Loads Quillmere.dll into the sandbox host with a small sample profile and
// shows what the plug-in does with it, in words a new user can follow.
#include <cstdio>
#include <string>
#include <vector>

#include "sandbox/SandboxHost.h"

namespace {

struct SampleContact {
    const char* name;
    const char* proto;  // null: no protocol
    bool hasLevel;
    int32_t level;
    const char* note;
    ContactHandle handle;
};

const char* const kLevelNames[] = {"Always visible", "Visibility 1", "Visibility 2",
                                   "Visibility 3",   "Visibility 4", "Visibility 5",
                                   "Never visible"};

std::string LevelText(const SampleContact& contact) {
    if (!contact.hasLevel) return "not set (counts as 0)";
    if (contact.level >= 0 && contact.level <= 6)
        return std::to_string(contact.level) + " " + kLevelNames[contact.level];
    return std::to_string(contact.level) + " (out of range)";
}

// What the ICQ protocol was told about a contact in the last pass.
const char* Seen(const SandboxHost& host, const SampleContact& contact) {
    auto mode = host.ApparentMode(contact.handle);
    if (!mode) return "-";
    return *mode == ID_STATUS_ONLINE ? "sees" : "hidden";
}

void PrintHeader(const std::vector<SampleContact>& contacts) {
    std::printf("  %-20s", "global level");
    for (const auto& contact : contacts) std::printf(" %-8s", contact.name);
    std::printf("\n");
}

// --- The level editor, driven as a user would ------------------------------------
//
// The editor runs its own message loop inside the menu click, so what the user
// does happens from a thread timer that loop dispatches.

struct EditorVisit {
    int levelToPick = 0;
    bool found = false;
    std::string title;
    std::string selectedBefore;
    std::string picked;
    bool screenshotSaved = false;
    bool gaveUp = false;
};

EditorVisit* g_visit = nullptr;
const char kScreenshotFile[] = "editor.bmp";

BOOL CALLBACK FindEditorWindow(HWND window, LPARAM found) {
    if (reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) !=
            GetModuleHandleA("Quillmere.dll") ||
        (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindEditor() {
    HWND editor = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindEditorWindow, reinterpret_cast<LPARAM>(&editor));
    return editor;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND list, int index) {
    if (index < 0) return "(nothing)";
    char text[256] = {};
    if (SendMessageA(list, CB_GETLBTEXTLEN, index, 0) >= static_cast<LRESULT>(sizeof text)) return "?";
    SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

// The whole window, frame included, as a 24-bit bottom-up BMP file.
bool SaveScreenshot(HWND window, const char* path) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = stride * static_cast<DWORD>(height);

    HDC windowDc = GetWindowDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &pixels, nullptr, 0);
    bool saved = false;
    if (bitmap && pixels) {
        HGDIOBJ old = SelectObject(memoryDc, bitmap);
        // The window's DC covers the frame too, and the controls share its
        // pixels: one copy takes what is on screen.
        BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memoryDc, old);

        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + header.biSizeImage;
        if (FILE* out = std::fopen(path, "wb")) {
            saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                    std::fwrite(&header, sizeof header, 1, out) == 1 &&
                    std::fwrite(pixels, header.biSizeImage, 1, out) == 1;
            saved = std::fclose(out) == 0 && saved;
        }
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return saved;
}

// What the user does in the open editor: look, pick a level, press OK.
void CALLBACK UseTheEditor(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND editor = FindEditor();
    if (!g_visit || !editor) return;
    g_visit->found = true;
    g_visit->title = TextOf(editor);
    // The controls in the order the editor makes them: label, list, two
    // lines, OK, Close.
    std::vector<HWND> controls;
    for (HWND child = GetWindow(editor, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    if (controls.size() != 6) return;
    const HWND list = controls[1];
    const HWND okButton = controls[4];

    g_visit->selectedBefore = ItemText(list, static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0)));
    SendMessageA(list, CB_SETCURSEL, g_visit->levelToPick, 0);
    g_visit->picked = ItemText(list, static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0)));
    RedrawWindow(editor, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    g_visit->screenshotSaved = SaveScreenshot(editor, kScreenshotFile);
    // BM_CLICK: the button presses and releases itself and tells the editor,
    // as a mouse click does.
    SendMessageA(okButton, BM_CLICK, 0, 0);
}

// Should the editor not close, the demo closes it rather than wait forever.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (g_visit) g_visit->gaveUp = true;
    if (HWND editor = FindEditor()) DestroyWindow(editor);
    PostQuitMessage(0);
}

}  // namespace

int main() {
    SandboxHost host;
    if (!host.LoadPlugin("Quillmere.dll")) {
        std::printf("Quillmere.dll could not be loaded from the current folder.\n");
        return 1;
    }

    std::vector<SampleContact> contacts = {
        {"Alice", "ICQ", true, 0, "", 0},    {"Bob", "ICQ", true, 1, "", 0},
        {"Carol", "ICQ", true, 2, "", 0},    {"Dave", "ICQ", true, 3, "", 0},
        {"Erin", "ICQ", true, 4, "", 0},     {"Frank", "ICQ", true, 5, "", 0},
        {"Grace", "ICQ", true, 6, "", 0},    {"Heidi", "ICQ", false, 0, "", 0},
        {"Ivan", "ICQ", true, 9, "", 0},     {"Judy", "MSN", true, 6, "", 0},
        {"Mallory", nullptr, true, 0, "", 0},
    };
    host.SetProtocolLoaded("MSN", true);
    for (auto& contact : contacts) {
        contact.handle = host.AddContact(contact.proto, contact.name);
        if (contact.hasLevel)
            host.SetDword(contact.handle, "Quillmere", "VisibilityLevel",
                          static_cast<uint32_t>(contact.level));
    }

    const PLUGININFO* info = host.CallPluginInfo(kSandboxHostVersion);
    std::printf("Quillmere %u.%u.%u.%u: %s\n\n", info->version >> 24, (info->version >> 16) & 0xFF,
                (info->version >> 8) & 0xFF, info->version & 0xFF, info->description);
    host.CallLoad();
    host.FireModulesLoaded();

    std::printf("Sample profile (in the sandbox host, which stands in for Miranda IM):\n");
    std::printf("  %-8s %-9s %-24s %s\n", "contact", "protocol", "visibility level",
                "\"Visibility Level\" in its contact menu");
    for (const auto& contact : contacts)
        std::printf("  %-8s %-9s %-24s %s\n", contact.name, contact.proto ? contact.proto : "(none)",
                    LevelText(contact).c_str(),
                    host.ContactMenuShows(contact.handle) ? "yes" : "no");
    std::string mainEntry = host.MainMenu().empty() ? "(nothing)" : host.MainMenu()[0].name;
    if (mainEntry.find('&') != std::string::npos) mainEntry.erase(mainEntry.find('&'), 1);
    std::printf("  The main menu carries \"%s\" for the global level.\n\n", mainEntry.c_str());

    std::printf("At start-up every ICQ contact is set to see you offline:\n");
    PrintHeader(contacts);
    std::printf("  %-20s", "(start-up)");
    for (const auto& contact : contacts) std::printf(" %-8s", Seen(host, contact));
    std::printf("\n\n");

    std::printf("After a status change, for each global level:\n");
    std::printf("  sees   = the contact sees your status even while you are invisible\n");
    std::printf("  hidden = the contact always sees you offline\n");
    std::printf("  -      = the plug-in leaves the contact alone (not ICQ, or a level out of range)\n");
    PrintHeader(contacts);
    for (int32_t global = 0; global <= 6; ++global) {
        host.SetDword(0, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(global));
        host.ClearApparentModes();
        host.FireStatusModeChange();
        std::printf("  %d %-18s", global, kLevelNames[global]);
        for (const auto& contact : contacts) std::printf(" %-8s", Seen(host, contact));
        std::printf("\n");
    }
    std::printf("\n");

    // One contact's level, chosen in the editor window as a user would.
    const SampleContact& carol = contacts[2];
    const int32_t kGlobalForEditor = 3;
    const int kPickedLevel = 0;
    host.SetDword(0, "Quillmere", "VisibilityLevel", static_cast<uint32_t>(kGlobalForEditor));
    host.ClearApparentModes();
    host.FireStatusModeChange();
    const char* before = Seen(host, carol);
    std::printf("The editor window, opened from %s's contact menu (global level %d):\n", carol.name,
                kGlobalForEditor);
    EditorVisit visit;
    visit.levelToPick = kPickedLevel;
    g_visit = &visit;
    const UINT_PTR useTimer = SetTimer(nullptr, 0, 50, UseTheEditor);
    const UINT_PTR giveUpTimer = SetTimer(nullptr, 0, 10000, GiveUp);
    host.ClickContactMenuItem(0, carol.handle);
    KillTimer(nullptr, useTimer);
    KillTimer(nullptr, giveUpTimer);
    g_visit = nullptr;
    if (!visit.found) {
        std::printf("  the editor did not open.\n\n");
    } else {
        const auto stored = host.Dword(carol.handle, "Quillmere", "VisibilityLevel");
        std::printf("  it opens as \"%s\", with \"%s\" selected\n", visit.title.c_str(),
                    visit.selectedBefore.c_str());
        std::printf("  picked \"%s\" in the list and clicked OK%s\n", visit.picked.c_str(),
                    visit.gaveUp ? ", but the editor had to be closed by force" : "");
        SampleContact after = carol;
        after.hasLevel = stored.has_value();
        after.level = stored ? static_cast<int32_t>(*stored) : 0;
        std::printf("  %s's level is now %s; the pass that OK ran: %s before, %s now\n", carol.name,
                    LevelText(after).c_str(), before, Seen(host, carol));
        if (!visit.screenshotSaved) std::printf("  (no screenshot could be saved)\n");
        std::printf("\n");
    }

    host.CallUnload();
    std::printf("Unloaded. %zu host calls were made by the plug-in in this run.\n", host.Log().size());
    return 0;
}
