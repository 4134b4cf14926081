#include "sandbox/HostMessageLoop.h"

#include "sandbox/SandboxHost.h"

bool RunHostMessageLoopUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        // A Unicode build's loop takes the characters typed as wide text.
        SandboxHost* host = SandboxHost::Current();
        const bool wide = host && host->IsUnicode();
        MSG message;
        while (wide ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return done();
            }
            // The Options dialog is modeless: its keys are its own first.
            if (host && host->Options().TakeDialogMessage(message)) continue;
            TranslateMessage(&message);
            if (wide)
                DispatchMessageW(&message);
            else
                DispatchMessageA(&message);
        }
        if (done()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        // Woken by any input, a posted message or a timer that falls due.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

void RunHostMessageLoop(DWORD milliseconds) {
    RunHostMessageLoopUntil([] { return false; }, milliseconds);
}
