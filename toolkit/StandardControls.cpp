#include "toolkit/Controls.h"

#include "toolkit/WindowCalls.h"

// The styles each control is created with: WS_CHILD | WS_VISIBLE, plus
// WS_TABSTOP for the controls that take the keyboard.
constexpr DWORD kChildVisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDropDownListStyle =
    kChildVisible | WS_TABSTOP | CBS_HASSTRINGS | CBS_AUTOHSCROLL | 0xF;

TsVCLLabel::TsVCLLabel(HWND parentHandle) : TsVCLWinControl(parentHandle) { Height = 16; }
TsVCLLabel::~TsVCLLabel() = default;
void TsVCLLabel::CreateWnd() { CreateWindowHandle("STATIC", 0, kChildVisible); }

TsVCLLine::TsVCLLine(HWND parentHandle) : TsVCLWinControl(parentHandle) { Height = 16; }
TsVCLLine::~TsVCLLine() = default;
void TsVCLLine::CreateWnd() {
    const bool knownKind = Kind == SS_BLACKRECT || Kind == SS_GRAYRECT || Kind == SS_WHITERECT;
    CreateWindowHandle("STATIC", 0, knownKind ? kChildVisible | Kind : kChildVisible);
}

TsVCLButton::TsVCLButton(HWND parentHandle) : TsVCLWinControl(parentHandle) {
    Width = 75;
    Height = 25;
}
void TsVCLButton::CreateWnd() {
    CreateWindowHandle("BUTTON", WS_EX_NOPARENTNOTIFY, kChildVisible | WS_TABSTOP);
}

TsVCLComboBox::TsVCLComboBox(HWND parentHandle) : TsVCLWinControl(parentHandle) {}
void TsVCLComboBox::CreateWnd() { CreateWindowHandle("COMBOBOX", 0, kDropDownListStyle); }

// CB_ADDSTRING; the new item's index.
int TsVCLComboBox::AddItem(const std::string& text) {
    return static_cast<int>(WinSendText(Handle, CB_ADDSTRING, 0, text));
}

// CB_GETCURSEL; -1 (CB_ERR) when nothing is selected.
int TsVCLComboBox::GetItemIndex() { return static_cast<int>(WinSendMessage(Handle, CB_GETCURSEL, 0, 0)); }

// CB_SETCURSEL; -1 clears the selection. An index past the end selects
// nothing: Windows clears the selection there too, Wine keeps it.
void TsVCLComboBox::SetItemIndex(int index) { WinSendMessage(Handle, CB_SETCURSEL, index, 0); }
