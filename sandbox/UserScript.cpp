#include "sandbox/UserScript.h"

#include <algorithm>

#include "sandbox/TextCodec.h"

namespace {

constexpr UINT kTickMs = 15;
UserScript* g_running = nullptr;  // one script at a time per process

}  // namespace

void UserScript::Add(std::string what, Step step) { steps_.emplace_back(std::move(what), std::move(step)); }

bool UserScript::Run(DWORD timeoutMs, const std::function<void()>& onTimeout) {
    if (g_running) return false;
    g_running = this;
    next_ = 0;
    over_ = steps_.empty();
    timedOut_ = false;
    stuck_.clear();
    onTimeout_ = onTimeout;
    deadline_ = GetTickCount() + timeoutMs;
    const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, Tick);
    MSG message;
    while (!over_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // A quit message is not ours to take: leave it for the caller.
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (filter_ && filter_(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(nullptr, timer);
    g_running = nullptr;
    return over_ && !timedOut_;
}

void CALLBACK UserScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    UserScript* script = g_running;
    if (!script || script->over_) return;
    // One step a tick: the input a step posts is handled before the next
    // tick, as timer messages come only when no other message is waiting.
    // A step may open a loop of its own (a menu, a window), in which the
    // next ticks arrive: take the step off the list before running it.
    if (script->next_ < script->steps_.size()) {
        const size_t index = script->next_;
        script->next_ = index + 1;
        // Not done: again at the next tick.
        if (!script->steps_[index].second() && script->next_ == index + 1) script->next_ = index;
    }
    if (script->next_ == script->steps_.size()) {
        script->over_ = true;
        PostMessageA(nullptr, WM_NULL, 0, 0);  // wake the script's own loop
        return;
    }
    if (static_cast<LONG>(GetTickCount() - script->deadline_) >= 0) {
        script->stuck_ = script->steps_[script->next_].first;
        script->timedOut_ = true;
        script->over_ = true;
        if (script->onTimeout_) script->onTimeout_();
        PostMessageA(nullptr, WM_NULL, 0, 0);
    }
}

void PressKey(HWND target, UINT virtualKey) {
    const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
    PostMessageA(target, WM_KEYDOWN, virtualKey, scanCode | 1);
    PostMessageA(target, WM_KEYUP, virtualKey, scanCode | 1 | (1 << 30) | (1u << 31));
}

void RightClick(HWND window, POINT clientPoint) {
    const LPARAM at = MAKELPARAM(clientPoint.x, clientPoint.y);
    PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageA(window, WM_RBUTTONUP, 0, at);
}

HWND OpenPopupMenu() {
    HWND menu = FindWindowA("#32768", nullptr);  // the system's menu window class
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> texts;
    const int count = GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, index, text, 256, MF_BYPOSITION);
        texts.push_back(Utf8FromWide(text));
    }
    return texts;
}

UserScript::Step PickFromMenu(HWND owner, const std::string& entry, std::vector<std::string>* seen) {
    return [=] {
        const HWND menuWindow = OpenPopupMenu();
        if (!menuWindow) return false;
        *seen = MenuTexts(reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0)));
        const auto found = std::find(seen->begin(), seen->end(), entry);
        if (found == seen->end()) {
            PressKey(owner, VK_ESCAPE);
            return true;
        }
        for (auto it = seen->begin(); it <= found; ++it) PressKey(owner, VK_DOWN);
        PressKey(owner, VK_RETURN);
        return true;
    };
}
