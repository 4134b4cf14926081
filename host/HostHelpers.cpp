#include "host/HostHelpers.h"

#include <cstring>

#include "host/HostLink.h"
#include "toolkit/WideText.h"

uint32_t MakeVersion(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return (a & 0xFF) << 24 | (b & 0xFF) << 16 | (c & 0xFF) << 8 | (d & 0xFF);
}

int CompareVersions(uint32_t x, uint32_t y) {
    static const int kWeights[4] = {100, 50, 10, 1};
    int score = 0;
    for (int part = 0; part < 4; ++part) {
        const int shift = 24 - 8 * part;
        const uint32_t xPart = (x >> shift) & 0xFF;
        const uint32_t yPart = (y >> shift) & 0xFF;
        if (xPart > yPart) score += kWeights[part];
        if (xPart < yPart) score -= kWeights[part];
    }
    return score;
}

std::string CopyHostText(intptr_t hostResult) {
    const char* text = reinterpret_cast<const char*>(hostResult);
    return text ? std::string(text) : std::string();
}

bool AskWhetherHostIsUnicode() {
    char versionText[256] = "";
    if (CallHostService(kSvcGetVersionText, sizeof versionText,
                        reinterpret_cast<HostLParam>(versionText)) != 0)
        return false;
    versionText[sizeof versionText - 1] = '\0';  // a host that filled the whole buffer
    return std::strstr(versionText, "Unicode") != nullptr;
}

std::string Translate(const char* text) {
    if (!text) return std::string();
    if (CompareVersions(HostVersion, MakeVersion(0, 1, 1, 0)) < 0) return text;
    if (!HostIsUnicode)
        return CopyHostText(
            CallHostService(kSvcTranslateString, 0, reinterpret_cast<HostLParam>(text)));
    // The English texts are plain ASCII, which UTF-8 leaves as it is. The
    // result is the host's own text, or our own when it has no translation:
    // copied at once, never freed.
    const std::wstring english = WidenUtf8(text);
    return NarrowToUtf8(reinterpret_cast<const wchar_t*>(CallHostService(
        kSvcTranslateString, LANG_UNICODE, reinterpret_cast<HostLParam>(english.c_str()))));
}

std::string GetContactDisplayName(ContactHandle contact) {
    // The flag only on a Unicode host: an ANSI one still answers in 8 bits.
    if (!HostIsUnicode) return CopyHostText(CallHostService(kSvcGetContactDisplayName, contact, 0));
    return NarrowToUtf8(reinterpret_cast<const wchar_t*>(
        CallHostService(kSvcGetContactDisplayName, contact, GCDNF_UNICODE)));
}

uint32_t GetSettingDword(ContactHandle contact, const char* module, const char* setting,
                         uint32_t defaultValue) {
    DBVARIANT value = {};
    value.type = DBVT_DWORD;
    value.dVal = defaultValue;
    DBCONTACTGETSETTING request = {module, setting, &value};
    // "DB/Contact/GetSetting": 0 on success.
    if (CallHostService(kSvcGetSetting, contact, reinterpret_cast<HostLParam>(&request)) != 0)
        return defaultValue;
    // The host writes only the stored width; the bytes past it are whatever
    // was there before, and a host's cache copies in a whole record an
    // earlier reader handed it. A narrow value is read at its own width.
    switch (value.type) {
    case DBVT_BYTE: return value.bVal;
    case DBVT_WORD: return value.wVal;
    case DBVT_DWORD: return value.dVal;
    default:
        // Text and binary values (another program may have stored the
        // setting so) come as a copy the host made, which only the host can
        // free, through "DB/Contact/FreeVariant". None of them is a number.
        CallHostService(kSvcFreeVariant, 0, reinterpret_cast<HostLParam>(&value));
        return defaultValue;
    }
}

void WriteSettingDword(ContactHandle contact, const char* module, const char* setting,
                       uint32_t value) {
    DBCONTACTWRITESETTING request = {};
    request.szModule = module;
    request.szSetting = setting;
    request.value.type = DBVT_DWORD;
    request.value.dVal = value;
    CallHostService(kSvcWriteSetting, contact, reinterpret_cast<HostLParam>(&request));
}

std::string GetContactBaseProto(ContactHandle contact) {
    return CopyHostText(CallHostService(kSvcGetContactBaseProto, contact, 0));
}

void ForEachContact(ContactVisitor visit, void* context) {
    intptr_t contactCount = CallHostService(kSvcGetContactCount, 0, 0);
    // "No such service" is the most negative count on either host, and a
    // host without the count has no contacts to walk.
    if (contactCount == kServiceNotFound) contactCount = 0;
    ContactHandle contact = CallHostService(kSvcFindFirstContact, 0, 0);
    // The walk also ends when the host runs out of contacts (handle 0, the
    // user's own record) before the count it announced: a count larger than
    // the list must not turn into billions of calls about nobody.
    for (intptr_t i = 0; i < contactCount && contact != 0; ++i) {
        // The host's text is compared where it lies: the walk makes a call
        // for every contact and copies nothing it need not.
        visit(contact, reinterpret_cast<const char*>(CallHostService(kSvcGetContactBaseProto, contact, 0)),
              context);
        contact = CallHostService(kSvcFindNextContact, contact, 0);
    }
}

intptr_t CallContactService(ContactHandle contact, const char* service, HostWParam wParam,
                            HostLParam lParam) {
    CCSDATA call = {contact, service, wParam, lParam};
    return CallHostService(kSvcCallContactService, 0, reinterpret_cast<HostLParam>(&call));
}

void SetApparentOnline(ContactHandle contact) {
    CallContactService(contact, kPssSetApparentMode, ID_STATUS_ONLINE, 0);
}

void SetApparentOffline(ContactHandle contact) {
    CallContactService(contact, kPssSetApparentMode, ID_STATUS_OFFLINE, 0);
}
