// Small wrappers over the platform's child-window controls. Each object owns
// one window's font and keyboard handling (Tab, Shift+Tab, Esc, select-all on
// focus); the window itself goes with its parent. The toolkit knows nothing of
// the host.
#pragma once

#include <windows.h>

#include <string>

class TsVCLWinControl {
public:
    explicit TsVCLWinControl(HWND parentHandle);
    // Gives the window back its own procedure and forgets the object in it:
    // the window outlives the object and still receives its destruction messages.
    virtual ~TsVCLWinControl();

    TsVCLWinControl(const TsVCLWinControl&) = delete;
    TsVCLWinControl& operator=(const TsVCLWinControl&) = delete;

    virtual std::string GetText();
    virtual void SetText(const std::string& text);  // also on screen once created
    virtual void CreateWnd() = 0;

    void CreateWindowHandle(const char* className, DWORD exStyle, DWORD style);
    HFONT CreateFontHandle();
    void SetFontSize(int points);
    void Show();  // creates the window the first time

    HFONT FontHandle = nullptr;   // we own it
    HWND Handle = nullptr;        // the control's window; not owned, it goes with the parent
    HWND ParentHandle = nullptr;  // not owned
    WNDPROC OldWndProc = nullptr; // the window's own procedure once replaced
    std::string Text;             // in the window calls' encoding (toolkit/WindowCalls.h)
    int Top = 0;                  // Left, Top, Width, Height: parent client pixels,
    int Left = 0;                 // taken when the window is created
    int Width = 100;
    int Height = 30;
    int FontHeight = 0;           // logical height; negative: character height
    std::string FontName = "MS Sans Serif";
};

// A caption; no keyboard handling.
class TsVCLLabel : public TsVCLWinControl {
public:
    explicit TsVCLLabel(HWND parentHandle);
    ~TsVCLLabel() override;
    void CreateWnd() override;
};

// A filled rectangle; at a height of 1 pixel, a line.
class TsVCLLine : public TsVCLWinControl {
public:
    explicit TsVCLLine(HWND parentHandle);
    ~TsVCLLine() override;
    void CreateWnd() override;

    int Kind = SS_BLACKRECT;  // SS_BLACKRECT, SS_GRAYRECT or SS_WHITERECT
};

class TsVCLButton : public TsVCLWinControl {
public:
    explicit TsVCLButton(HWND parentHandle);
    void CreateWnd() override;
};

// A drop-down list. The item operations reach the window only after Show.
class TsVCLComboBox : public TsVCLWinControl {
public:
    explicit TsVCLComboBox(HWND parentHandle);
    void CreateWnd() override;

    int AddItem(const std::string& text);
    int GetItemIndex();
    void SetItemIndex(int index);
};

LRESULT CALLBACK ControlSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
