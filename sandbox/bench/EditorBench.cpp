#include "sandbox/bench/EditorBench.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "sandbox/bench/Timing.h"

namespace {

HMODULE g_measured = nullptr;  // the module whose editor is being timed
double g_visibleAt = 0;
double g_lastPaintAt = 0;
double g_closeClickedAt = 0;
bool g_closeFailed = false;
UINT_PTR g_closeTimer = 0;
UINT_PTR g_safetyTimer = 0;

bool IsMeasuredWindow(HWND window) {
    const HWND root = GetAncestor(window, GA_ROOT);
    return root && reinterpret_cast<HMODULE>(GetClassLongPtrA(root, GCLP_HMODULE)) == g_measured;
}

BOOL CALLBACK FindEditor(HWND window, LPARAM found) {
    if (reinterpret_cast<HMODULE>(GetClassLongPtrA(window, GCLP_HMODULE)) != g_measured) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND OpenEditor() {
    HWND editor = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindEditor, reinterpret_cast<LPARAM>(&editor));
    return editor;
}

// The windows of the editor being timed, each with the procedure the spy
// below hands its messages on to.
std::vector<std::pair<HWND, WNDPROC>> g_spiedWindows;

// Sees the editor's window shown and every window of it painted, after the
// window's own procedure has handled the message.
LRESULT CALLBACK SpyOnEditor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = nullptr;
    for (const auto& spied : g_spiedWindows)
        if (spied.first == window) own = spied.second;
    const LRESULT result = CallWindowProcA(own, window, message, wParam, lParam);
    if (message == WM_WINDOWPOSCHANGED && g_visibleAt == 0 && GetAncestor(window, GA_ROOT) == window &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
        g_visibleAt = Now();
    if (message == WM_PAINT) g_lastPaintAt = Now();
    return result;
}

// Puts the spy under each window of the editor being timed as it is made.
// A hook that sees every message (WH_CALLWNDPROCRET) would be simpler, but
// under Wine each hooked message costs round trips to the Wine server: such
// a hook made each opening about 2 ms slower, a third of it, and the editor
// that sends more messages the more so. This one runs for a few events only.
LRESULT CALLBACK WatchEditorWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && IsMeasuredWindow(reinterpret_cast<HWND>(wParam))) {
        const auto window = reinterpret_cast<HWND>(wParam);
        const auto spy = reinterpret_cast<LONG_PTR>(SpyOnEditor);
        const auto own = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, spy));
        g_spiedWindows.emplace_back(window, own);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string TextOf(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// One line for the editor and one for each control, as they stand open: what
// a user sees, and what the floor must match to be a fair floor. The place on
// the screen is left out: the plug-in's editor opens where it was closed.
std::vector<std::string> DescribeEditor(HWND editor) {
    std::vector<std::string> lines;
    char line[512];
    RECT rect;
    GetWindowRect(editor, &rect);
    std::snprintf(line, sizeof line, "editor class style 0x%lX style 0x%08lX ex 0x%08lX %ldx%ld \"%s\"",
                  static_cast<unsigned long>(GetClassLongPtrA(editor, GCL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongA(editor, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongA(editor, GWL_EXSTYLE)), rect.right - rect.left,
                  rect.bottom - rect.top, TextOf(editor).c_str());
    lines.push_back(line);
    for (HWND child = GetWindow(editor, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&rect), 2);
        LOGFONTA font = {};
        const auto fontHandle = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
        if (fontHandle) GetObjectA(fontHandle, sizeof font, &font);
        std::snprintf(line, sizeof line,
                      "%s style 0x%08lX ex 0x%08lX at %ld,%ld %ldx%ld \"%s\" font \"%s\" %ld%s", className,
                      static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
                      static_cast<unsigned long>(GetWindowLongA(child, GWL_EXSTYLE)), rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, TextOf(child).c_str(), font.lfFaceName,
                      font.lfHeight, GetFocus() == child ? " focused" : "");
        lines.push_back(line);
        if (std::strcmp(className, "ComboBox") != 0) continue;
        const int count = static_cast<int>(SendMessageA(child, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char item[256] = "";
            if (SendMessageA(child, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof item))
                SendMessageA(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            std::snprintf(line, sizeof line, "  item %d \"%s\"%s", i, item,
                          SendMessageA(child, CB_GETCURSEL, 0, 0) == i ? " selected" : "");
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string>* g_description = nullptr;  // filled by the next Close click, when set

// Runs inside the editor's loop: clicks Close as a user would.
void CALLBACK ClickClose(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const HWND editor = OpenEditor();
    const HWND close = editor ? FindWindowExA(editor, nullptr, "Button", "Close") : nullptr;
    if (!close) {
        g_closeFailed = true;
        return;
    }
    if (g_description) *g_description = DescribeEditor(editor);
    g_closeClickedAt = Now();
    SendMessageA(close, BM_CLICK, 0, 0);
}

// Ends an editor that did not close, so that the benchmark cannot hang.
void CALLBACK TearDown(HWND, UINT, UINT_PTR, DWORD) {
    g_closeFailed = true;
    if (const HWND editor = OpenEditor()) DestroyWindow(editor);
}

// One opening from the main menu, closed by a Close click inside its loop.
bool TimeOneOpening(SandboxHost& host, size_t menuIndex, HMODULE module, EditorTimes* times,
                    std::vector<std::string>* description = nullptr) {
    g_measured = module;
    g_spiedWindows.clear();
    g_description = description;
    g_visibleAt = g_lastPaintAt = g_closeClickedAt = 0;
    g_closeTimer = SetTimer(nullptr, 0, 20, ClickClose);
    g_safetyTimer = SetTimer(nullptr, 0, 5000, TearDown);
    const double openedAt = Now();
    host.ClickMainMenuItem(menuIndex);
    const double closedAt = Now();
    KillTimer(nullptr, g_closeTimer);
    KillTimer(nullptr, g_safetyTimer);
    g_description = nullptr;
    if (g_closeFailed || g_visibleAt == 0 || g_closeClickedAt == 0) return false;
    if (times) {
        times->toVisible.push_back((g_visibleAt - openedAt) * 1000);
        times->toPainted.push_back((g_lastPaintAt - openedAt) * 1000);
        times->toClosed.push_back((closedAt - g_closeClickedAt) * 1000);
    }
    return true;
}

// The floor is fair only if it shows what the plug-in's editor shows.
bool FloorEditorMatchesPlugin(const std::vector<std::string>& plugin, const std::vector<std::string>& floor) {
    for (size_t i = 0; i < std::max(plugin.size(), floor.size()); ++i) {
        const std::string pluginLine = i < plugin.size() ? plugin[i] : "(nothing)";
        const std::string floorLine = i < floor.size() ? floor[i] : "(nothing)";
        if (pluginLine == floorLine) continue;
        std::printf("The floor editor differs from the plug-in's:\n  plug-in: %s\n  floor:   %s\n",
                    pluginLine.c_str(), floorLine.c_str());
        return false;
    }
    return !plugin.empty();
}

// Each opening of the plug-in's editor over the floor's next to it, so that
// both saw the same load on a shared machine; the median of those ratios.
double EditorRatio(const std::vector<double>& plugin, const std::vector<double>& floor) {
    std::vector<double> ratios;
    for (size_t i = 0; i < plugin.size() && i < floor.size(); ++i) ratios.push_back(plugin[i] / floor[i]);
    return Median(ratios);
}

void PrintEditorLine(const char* what, const std::vector<double>& plugin, const std::vector<double>& floor) {
    std::printf("  %-24s plug-in min %6.2f median %6.2f ms   floor min %6.2f median %6.2f ms   ratio %5.2f\n",
                what, Min(plugin), Median(plugin), Min(floor), Median(floor), EditorRatio(plugin, floor));
}

}  // namespace

bool TimeEditor(SandboxHost& host, HMODULE plugin, size_t floorMenuIndex, EditorTimes& pluginTimes,
                EditorTimes& floorTimes) {
    const HHOOK hook = SetWindowsHookExA(WH_CBT, WatchEditorWindows, nullptr, GetCurrentThreadId());
    if (!hook) {
        std::printf("Cannot watch the editor's messages.\n");
        return false;
    }
    const HMODULE floorModule = GetModuleHandleA(nullptr);
    std::vector<std::string> pluginShows;
    std::vector<std::string> floorShows;
    bool ok = TimeOneOpening(host, 0, plugin, nullptr, &pluginShows) &&
              TimeOneOpening(host, floorMenuIndex, floorModule, nullptr, &floorShows);
    if (!ok) std::printf("An editor did not open, show or close as expected.\n");
    ok = ok && FloorEditorMatchesPlugin(pluginShows, floorShows);
    for (int i = 1; i <= kEditorOpenings && ok; ++i) {
        for (int turn = 0; turn < 2 && ok; ++turn) {
            const bool pluginTurn = (i + turn) % 2 == 0;
            EditorTimes* times = pluginTurn ? &pluginTimes : &floorTimes;
            ok = pluginTurn ? TimeOneOpening(host, 0, plugin, times)
                            : TimeOneOpening(host, floorMenuIndex, floorModule, times);
            if (!ok)
                std::printf("The %s editor did not open, show or close as expected.\n",
                            pluginTurn ? "plug-in's" : "floor");
        }
    }
    UnhookWindowsHookEx(hook);
    return ok;
}

void PrintEditorTimes(const EditorTimes& plugin, const EditorTimes& floor) {
    std::printf("Editor, %d openings of the global editor after a first one, each next to one of a floor\n"
                "editor (the same window, controls, font and items made by plain Win32 calls here);\n"
                "ratio: the median of each opening over the floor's next to it:\n",
                kEditorOpenings);
    PrintEditorLine("open to visible", plugin.toVisible, floor.toVisible);
    PrintEditorLine("open to painted", plugin.toPainted, floor.toPainted);
    PrintEditorLine("Close clicked to closed", plugin.toClosed, floor.toClosed);
    std::printf("\n");
}

void PrintEditorRatio(const EditorTimes& plugin, const EditorTimes& floor) {
    std::printf("editor ratio plug-in/floor (median of %d pairs of openings, target at most %.2f): "
                "%.3f to visible, %.3f to painted\n",
                kEditorOpenings, kEditorRatioTarget, EditorRatio(plugin.toVisible, floor.toVisible),
                EditorRatio(plugin.toPainted, floor.toPainted));
}
