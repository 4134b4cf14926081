// The sandbox host's language pack and text: its translations, the version
// text that tells an ANSI build from a Unicode one, and the forms its texts
// take on each (8 bits in the system's code page, or UTF-8 kept here and
// wide text handed out).

#include "sandbox/CallLogText.h"
#include "sandbox/SandboxHost.h"
#include "sandbox/TextCodec.h"

void SandboxHost::AddLanguageServices() {
    AddHostService(kSvcTranslateString,
                   [this](HostWParam wParam, HostLParam lParam) { return ServeTranslate(wParam, lParam); });
}

void SandboxHost::AddTranslation(const std::string& from, const std::string& to) {
    translations_[from] = to;
}

void SandboxHost::SetUnicode(bool unicode) {
    unicode_ = unicode;
    versionText_ = VersionTextAnswer{};
    if (!unicode)
        versionText_.text = "0.3.3.0";
    else
        versionText_.text = kHostIs64Bit ? "0.10.24.0 x64 Unicode" : "0.10.24.0 Unicode";
    // The account records hold their names as this build's text.
    const std::map<std::string, HostAccount> accounts = accounts_;
    for (const auto& [module, account] : accounts) SetAccount(module, account);
}

intptr_t SandboxHost::ServeTranslate(HostWParam flags, HostLParam lParam) {
    // An ANSI host knows no flag: it reads 8-bit text whatever wParam says.
    const bool wide = unicode_ && (flags & LANG_UNICODE);
    std::string text;
    if (lParam)
        text = wide ? Utf8FromWide(reinterpret_cast<const wchar_t*>(lParam))
                    : std::string(reinterpret_cast<const char*>(lParam));
    Record(std::string(kSvcTranslateString) + (flags ? " " + std::to_string(flags) : "") + " " +
           (lParam ? Quote(text.c_str()) : "(null)"));
    if (translateNull_ || !lParam) return 0;
    auto found = translations_.find(text);
    // Untranslated text comes back as the caller's own pointer.
    if (found == translations_.end()) return lParam;
    if (!unicode_) return reinterpret_cast<intptr_t>(found->second.c_str());
    if (wide) {
        std::wstring& copy = wideTranslations_[text];
        copy = WideFromUtf8(found->second);
        return reinterpret_cast<intptr_t>(copy.c_str());
    }
    std::string& copy = narrowTranslations_[text];
    copy = CodePageFromUtf8(found->second, languagePackCodePage_);
    return reinterpret_cast<intptr_t>(copy.c_str());
}

std::string SandboxHost::HostTextFromUtf8(const std::string& utf8) const {
    return unicode_ ? utf8 : CodePageFromUtf8(utf8, CP_ACP);
}

std::string SandboxHost::Utf8FromHostText(const std::string& text) const {
    return unicode_ ? text : Utf8FromWide(WideFromCodePage(text, CP_ACP).c_str());
}

std::string SandboxHost::MenuName(const char* name) const {
    if (!name) return "";
    if (!unicode_) return name;
    // A Unicode host translates the 8-bit English name into wide text itself.
    auto found = translations_.find(name);
    return found == translations_.end() ? name : found->second;
}

std::string SandboxHost::TranslatedUtf8(const char* text) const {
    if (!text) return "";
    auto found = translations_.find(text);
    if (found != translations_.end()) return Utf8FromHostText(found->second);
    // Untranslated, the module's own 8-bit text: a Unicode host reads it in
    // the language pack's code page, an ANSI one keeps it as it is.
    return Utf8FromWide(WideFromCodePage(text, unicode_ ? languagePackCodePage_ : CP_ACP).c_str());
}
