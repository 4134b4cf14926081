#include "sandbox/DialogTemplate.h"

#include <cstring>

DialogTemplateWriter::DialogTemplateWriter(DWORD style, short width, short height,
                                           const wchar_t* title, WORD pointSize,
                                           const wchar_t* font) {
    AddDword(style | DS_SETFONT);
    AddDword(0);         // extended style
    words_.push_back(0); // the number of controls, counted as they come
    for (short value : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(value));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the system's dialog class
    AddText(title);
    words_.push_back(pointSize);
    AddText(font);
}

void DialogTemplateWriter::AddControl(WORD classAtom, const wchar_t* text, WORD id, DWORD style,
                                      short x, short y, short width, short height) {
    AlignToDword();
    AddDword(style | WS_CHILD | WS_VISIBLE);
    AddDword(0);
    for (short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    AddText(text);
    words_.push_back(0);  // no creation data
    ++words_[4];          // cdit, after style and extended style
}

void DialogTemplateWriter::AddDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
}

void DialogTemplateWriter::AddText(const wchar_t* text) {
    for (; *text; ++text) words_.push_back(static_cast<WORD>(*text));
    words_.push_back(0);
}

// The vector's memory is aligned for any type, so an even count of words is
// a DWORD boundary.
void DialogTemplateWriter::AlignToDword() {
    if (words_.size() % 2) words_.push_back(0);
}

std::vector<DWORD> ChildTemplateFromResource(HINSTANCE instance, const char* name) {
    HRSRC found = FindResourceA(instance, name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    // A template runs to a few kilobytes; a size past a megabyte is no template.
    if (!bytes || size < sizeof(DLGTEMPLATE) || size > 0x100000) return {};
    // Copied into DWORDs: a template must start on a DWORD boundary.
    std::vector<DWORD> copy((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(copy.data(), bytes, size);
    // DLGTEMPLATEEX starts with its version (1) and 0xFFFF, then the help
    // id, the extended style and the style; DLGTEMPLATE with the style.
    const auto* words = reinterpret_cast<const WORD*>(copy.data());
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    if (extended && size < 4 * sizeof(DWORD)) return {};
    DWORD& style = copy[extended ? 3 : 0];
    // Hidden as well: the dialog shows the page once it is in its place.
    style = (style & ~(kPopupStyles | WS_VISIBLE)) | WS_CHILD;
    return copy;
}
