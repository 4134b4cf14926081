// Thin helpers over the host's services: versions, translation, 32-bit
// settings and the per-contact protocol calls.
#pragma once

#include <string>

#include "host/HostAbi.h"

// a.b.c.d packed as a<<24 | b<<16 | c<<8 | d, each part cut to 8 bits.
uint32_t MakeVersion(uint32_t a, uint32_t b, uint32_t c, uint32_t d);

// Negative when x is older than y, 0 when equal, positive when newer. Parts
// weigh 100, 50, 10 and 1; callers use only the sign.
int CompareVersions(uint32_t x, uint32_t y);

// Asks "Miranda/System/GetVersionText": a host whose version text names a
// Unicode build. A host without the service, or one that fails it, is not.
bool AskWhetherHostIsUnicode();

// Hosts older than 0.1.1.0 have no language pack: the text comes back as is.
// On a Unicode host the English text goes as wide text and the translation
// comes back in UTF-8; on an ANSI host both are 8-bit.
std::string Translate(const char* text);

// "CList/GetContactDisplayName"; UTF-8 from a Unicode host's wide name.
std::string GetContactDisplayName(ContactHandle contact);

// Byte, word and dword values, each read at its own width and zero-extended;
// any other type is handed back to the host and reads as the default.
uint32_t GetSettingDword(ContactHandle contact, const char* module, const char* setting,
                         uint32_t defaultValue);
void WriteSettingDword(ContactHandle contact, const char* module, const char* setting,
                       uint32_t value);

// Empty when the contact has no protocol.
std::string GetContactBaseProto(ContactHandle contact);

intptr_t CallContactService(ContactHandle contact, const char* service, HostWParam wParam,
                            HostLParam lParam);
void SetApparentOnline(ContactHandle contact);
void SetApparentOffline(ContactHandle contact);

// Walks the contacts the host lists: "DB/Contact/GetCount", then
// "DB/Contact/FindFirst" and "DB/Contact/FindNext", asking
// "Proto/GetContactBaseProto" of each and handing it over with the module
// name where the host keeps it (null for a contact without one; valid until
// the next host call). Ends after the announced count, or sooner when the
// host runs out of contacts.
using ContactVisitor = void (*)(ContactHandle contact, const char* module, void* context);
void ForEachContact(ContactVisitor visit, void* context);

// Copies text the host returned; a null pointer becomes an empty string.
std::string CopyHostText(intptr_t hostResult);
