// Dialog templates in memory, as CreateDialogIndirectParam takes them: one
// written out for a dialog of the host's own, and a plug-in's dialog resource
// copied and made a child window's template.
#pragma once

#include <windows.h>

#include <vector>

// A DLGTEMPLATE with its controls, in the font it names (DS_SETFONT is added).
// Sizes and positions are in the dialog's units.
class DialogTemplateWriter {
public:
    DialogTemplateWriter(DWORD style, short width, short height, const wchar_t* title,
                         WORD pointSize, const wchar_t* font);
    // A control of one of the system's classes, by its atom: 0x0080 a
    // button, 0x0083 a list box.
    void AddControl(WORD classAtom, const wchar_t* text, WORD id, DWORD style, short x, short y,
                    short width, short height);
    // Valid until the writer changes or goes.
    const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void AddDword(DWORD value);
    void AddText(const wchar_t* text);
    void AlignToDword();

    std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kListBoxAtom = 0x0083;

// The styles that make a dialog a window of its own, which a page shown
// inside another dialog must not have.
constexpr DWORD kPopupStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME;

// A copy of the dialog resource `name` (a name, or an id below 0x10000) of
// `instance`, found with FindResourceA, its popup styles taken off and
// WS_CHILD put on, in the DLGTEMPLATE and the DLGTEMPLATEEX form alike; the
// copy is hidden until shown. Empty when there is no such resource.
std::vector<DWORD> ChildTemplateFromResource(HINSTANCE instance, const char* name);
