// A thousand openings and closings of the editor, every way out in turn:
// nothing may stay behind, neither a window, nor a font, nor memory.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/EditorSupport.h"

namespace {

constexpr int kWarmUpCycles = 50;
constexpr int kSoakCycles = 1000;
// Generous: the editor itself allocates nothing that outlives it, so any
// steady growth over a thousand cycles would show far above this.
constexpr long long kMaxGrowthBytes = 2 * 1024 * 1024;

enum class WayOut { CloseButton, OkButton, EscInList, EscInWindow };
const WayOut kWaysOut[] = {WayOut::CloseButton, WayOut::OkButton, WayOut::EscInList,
                           WayOut::EscInWindow};

const char* Name(WayOut way) {
    switch (way) {
    case WayOut::CloseButton: return "Close";
    case WayOut::OkButton: return "OK";
    case WayOut::EscInList: return "Esc in the list";
    case WayOut::EscInWindow: return "Esc in the window";
    }
    return "?";
}

// Committed private memory of the process, as Windows counts PrivateUsage.
// Wine reports PrivateUsage as 0, so the address space is walked instead.
struct MemoryReading {
    size_t reportedPrivate = 0;  // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage
    size_t pagefile = 0;         // PagefileUsage (Wine: the process's anonymous resident memory)
    size_t committedPrivate = 0; // committed MEM_PRIVATE regions, by VirtualQuery

    size_t Private() const { return reportedPrivate ? reportedPrivate : committedPrivate; }
};

MemoryReading ReadMemory() {
    MemoryReading reading;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        reading.reportedPrivate = counters.PrivateUsage;
        reading.pagefile = counters.PagefileUsage;
    }
    MEMORY_BASIC_INFORMATION region = {};
    uintptr_t address = 0;
    while (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) ==
           sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            reading.committedPrivate += region.RegionSize;
        const uintptr_t next = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return reading;
}

long long Growth(size_t before, size_t after) {
    return static_cast<long long>(after) - static_cast<long long>(before);
}

// What one opening left to check once the editor is gone.
struct Leftovers {
    std::vector<HWND> windows;
    std::vector<HFONT> fonts;
};

class EditorSoak : public PluginTest {
protected:
    // Opens the editor (global or contact), records its windows and fonts,
    // and leaves by `way`. False, with a failure added, when anything is off.
    bool Cycle(int index, ContactHandle contact, WayOut way) {
        Leftovers left;
        std::vector<HWND> controls;
        // A static rectangle (a line) need not keep the font it is given, so
        // WM_GETFONT cannot tell every control's; the recorder sees each font
        // handed to a window with WM_SETFONT.
        WindowCreationRecorder recorder;
        const EditorRun run = RunEditorWith(host, contact, [&](HWND editor) {
            left.windows = EditorWindowTree(editor);
            const EditorChildren children = FindEditorChildren(editor);
            controls = children.all;
            if (children.all.size() != 6) return;
            switch (way) {
            case WayOut::CloseButton: ClickButton(children.closeButton); break;
            case WayOut::OkButton: ClickButton(children.okButton); break;
            case WayOut::EscInList: SendChar(children.levelList, VK_ESCAPE); break;
            case WayOut::EscInWindow: SendChar(editor, VK_ESCAPE); break;
            }
        });
        std::set<HFONT> distinct;
        for (HWND control : controls)
            for (HFONT font : recorder.FontsGivenTo(control)) {
                distinct.insert(font);
                left.fonts.push_back(font);
            }
        const bool opened = recorder.Hooked() && controls.size() == 6 && distinct.size() == 6 &&
                            left.fonts.size() == 6;
        host.ClearLog();
        std::string fault;
        const ::testing::AssertionResult clean = RanCleanly(run);
        if (!clean)
            fault = clean.message();
        else if (!opened)
            fault = "the editor did not have six controls with a font of its own each";
        for (HWND window : left.windows)
            if (fault.empty() && IsWindow(window)) fault = "a window was left behind";
        for (HFONT font : left.fonts)
            if (fault.empty() && GetObjectType(font) != 0) fault = "a font was left behind";
        if (fault.empty()) return true;
        ADD_FAILURE() << "cycle " << index << " (" << (contact ? "contact" : "global")
                      << " editor, " << Name(way) << "): " << fault;
        return false;
    }

    // Alternates the global and the contact editor, and takes the four ways
    // out in turn for each.
    bool Cycles(int count, ContactHandle contact) {
        for (int i = 0; i < count; ++i) {
            const ContactHandle edited = i % 2 ? contact : 0;
            if (!Cycle(i, edited, kWaysOut[(i / 2) % 4])) return false;
        }
        return true;
    }
};

TEST_F(EditorSoak, ThousandOpenCloseCyclesLeaveNoWindowFontOrMemoryBehind) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    SetLevel(ann, 4);
    SetLevel(0, 2);
    StartPlugin();

    // The first openings register the two window classes and settle the heap.
    ASSERT_TRUE(Cycles(kWarmUpCycles, ann));

    // The reading must be able to see growth of the size it is to bound.
    {
        const MemoryReading empty = ReadMemory();
        std::vector<char> ballast(static_cast<size_t>(kMaxGrowthBytes), 1);
        const MemoryReading loaded = ReadMemory();
        std::printf("a %lld-byte allocation reads as %lld bytes of private memory\n",
                    kMaxGrowthBytes, Growth(empty.Private(), loaded.Private()));
        ASSERT_GE(Growth(empty.Private(), loaded.Private()), kMaxGrowthBytes)
            << "the memory reading does not see an allocation of the bound's size";
    }

    const MemoryReading before = ReadMemory();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Cycles(kSoakCycles, ann));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const MemoryReading after = ReadMemory();

    std::printf("%d editor cycles in %.1f s (%.1f ms each)\n", kSoakCycles, seconds,
                seconds * 1000 / kSoakCycles);
    std::printf("private memory: reported %zu -> %zu, committed private %zu -> %zu "
                "(growth %lld bytes); pagefile %zu -> %zu (growth %lld bytes)\n",
                before.reportedPrivate, after.reportedPrivate, before.committedPrivate,
                after.committedPrivate, Growth(before.committedPrivate, after.committedPrivate),
                before.pagefile, after.pagefile, Growth(before.pagefile, after.pagefile));
    EXPECT_LT(Growth(before.Private(), after.Private()), kMaxGrowthBytes);

    // Nothing but the editor's own settings changed on the way.
    EXPECT_EQ(4, StoredLevel(ann));
    EXPECT_EQ(2, StoredLevel(0));
    EXPECT_TRUE(host.Dword(0, "Quillmere", "UserAdd/Left").has_value());
    // The two levels, Left and Top; the ICQ module keeps the modes it was told.
    EXPECT_EQ(4u, host.SettingCount("Quillmere"));
}

}  // namespace
