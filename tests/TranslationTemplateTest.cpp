// The release's translation template against the running DLL: the template is
// made from the plug-in's source texts at build time, the texts here are the
// ones the DLL hands the host's translation while a user goes through every
// menu and editor. The template read is the one staged for the zip.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <commctrl.h>

#include "sandbox/ListViewText.h"
#include "sandbox/TextCodec.h"
#include "tests/EditorSupport.h"

namespace {

const char kTranslateCall[] = "LangPack/TranslateString ";
// Set before every translation the host hands back, so that a text shown without
// going through the host's translation stands out.
const char kTranslatedMark = '~';

struct TemplateEntry {
    std::string original;
    std::string translation;
};

// ..\dist\Docs\Quillmere-translation.txt from the folder of this program (bin).
std::string TemplatePath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.erase(folder.find_last_of("\\/") + 1);
    return folder + "..\\dist\\Docs\\Quillmere-translation.txt";
}

// Reads the template and checks its form: Windows line ends, comment lines
// first, then entries of a bracketed original with its translation on the
// next line, each original once, nothing else but blank and comment lines.
::testing::AssertionResult ReadTemplate(std::vector<TemplateEntry>* entries) {
    const std::string path = TemplatePath();
    std::ifstream file(path, std::ios::binary);
    if (!file) return ::testing::AssertionFailure() << "cannot open " << path;
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < content.size()) {
        const std::string::size_type end = content.find("\r\n", start);
        if (end == std::string::npos)
            return ::testing::AssertionFailure() << "the last line has no CR LF: " << content.substr(start);
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    if (lines.empty() || lines[0].compare(0, 1, ";") != 0)
        return ::testing::AssertionFailure() << "the template does not begin with a comment line";

    std::set<std::string> seen;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.find_first_of("\r\n") != std::string::npos)
            return ::testing::AssertionFailure() << "line " << i + 1 << " holds a lone CR or LF";
        if (line.empty() || line[0] == ';') continue;
        if (line[0] != '[' || line.back() != ']' || line.size() < 3)
            return ::testing::AssertionFailure() << "line " << i + 1 << " is neither an entry nor a comment: " << line;
        const std::string original = line.substr(1, line.size() - 2);
        if (!seen.insert(original).second)
            return ::testing::AssertionFailure() << "[" << original << "] is listed twice";
        if (i + 1 == lines.size() || lines[i + 1].empty() || lines[i + 1][0] == ';' || lines[i + 1][0] == '[')
            return ::testing::AssertionFailure() << "[" << original << "] has no translation line under it";
        entries->push_back({original, lines[i + 1]});
        ++i;
    }
    if (entries->empty()) return ::testing::AssertionFailure() << "the template has no entry";
    return ::testing::AssertionSuccess();
}

class TranslationTemplate : public EditorTest {
protected:
    // Every way the plug-in shows a text: the menu entries (start-up and a
    // contact menu being built), the editor for the global level left with OK
    // and the editor for a contact left with Close, and the page of the
    // Options dialog. Collects the texts shown: menu names, the editor titles'
    // own part, the controls' texts and the level lists' items, the page's
    // title and group as the host shows them, its labels, its list's column
    // headers and what its rows say of each contact's level and sight.
    void GoEverywhere(std::vector<std::string>* shown) {
        // A host with accounts, for the page's column of accounts.
        host.SetAccountsEnabled(true);
        host.AddAccount("ICQ", "ICQ");
        const ContactHandle ann = host.AddContact("ICQ", "Ann");
        // Seen always (Ann, at 0), never and as the server has it.
        host.SetDword(host.AddContact("ICQ", "Bo"), "Quillmere", "VisibilityLevel", 6);
        host.SetDword(host.AddContact("ICQ", "Cy"), "Quillmere", "VisibilityLevel", 9);
        host.SetDword(0, "Quillmere", "VisibilityLevel", 3);
        StartPlugin(kSandboxHostVersion, true);  // past 0.1.1.0: texts go through the host
        EXPECT_TRUE(host.ContactMenuShows(ann));
        ASSERT_EQ(1u, host.MainMenu().size());
        ASSERT_EQ(1u, host.ContactMenu().size());
        shown->push_back(host.MainMenu()[0].name);
        shown->push_back(host.ContactMenu()[0].name);

        const std::string contactPrefix = "Ann: ";
        EXPECT_TRUE(RanCleanly(RunEditorWith([&] { return host.ClickMainMenuItem(0); }, [&](HWND editor) {
            shown->push_back(TextOf(editor));
            ReadControls(editor, shown);
            ClickButton(FindEditorChildren(editor).okButton);
        })));
        EXPECT_TRUE(RanCleanly(RunEditorWith([&] { return host.ClickContactMenuItem(0, ann); }, [&](HWND editor) {
            const std::string title = TextOf(editor);
            EXPECT_EQ(contactPrefix, title.substr(0, contactPrefix.size()));
            shown->push_back(title.substr(contactPrefix.size()));
            ReadControls(editor, shown);
            CloseThroughButton(editor);
        })));

        ASSERT_NE(nullptr, host.Options().Open());
        host.Options().ShowPage(0);
        shown->push_back(host.Options().Pages()[0].title);
        shown->push_back(host.Options().Pages()[0].group);
        ReadPage(host.Options().PageWindow(0), shown);
        host.Options().ClickCancel();
    }

    // Texts as a Unicode window shows them, in UTF-8.
    static std::string Shown(const wchar_t* text) { return Utf8FromWide(text); }

    static void ReadPage(HWND page, std::vector<std::string>* shown) {
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string className = ClassNameOf(child);
            if (lstrcmpiA(className.c_str(), "Static") == 0) shown->push_back(Shown(WideTextOf(child).c_str()));
            if (lstrcmpiA(className.c_str(), "ComboBox") == 0) {
                const LRESULT count = SendMessageW(child, CB_GETCOUNT, 0, 0);
                for (int index = 0; index < count; ++index)
                    shown->push_back(Shown(WideListItemText(child, index).c_str()));
            }
            if (className != "SysListView32") continue;
            const std::vector<std::string> headers = ListViewHeaders(child);
            shown->insert(shown->end(), headers.begin(), headers.end());
            // The last two columns: the level (a number outside 0 to 6 is
            // no text) and the sight; names and accounts are the user's.
            for (const std::vector<std::string>& row : ListViewRows(child))
                for (size_t column = row.size() - 2; column < row.size(); ++column)
                    if (row[column][0] < '0' || row[column][0] > '9') shown->push_back(row[column]);
        }
    }

    static void ReadControls(HWND editor, std::vector<std::string>* shown) {
        const EditorChildren children = FindEditorChildren(editor);
        ASSERT_EQ(6u, children.all.size());
        for (HWND child : children.all) {
            if (lstrcmpiA(ClassNameOf(child).c_str(), "ComboBox") == 0) {
                const LRESULT count = SendMessageA(child, CB_GETCOUNT, 0, 0);
                for (int index = 0; index < count; ++index) shown->push_back(ListItemText(child, index));
            } else if (!TextOf(child).empty()) {
                shown->push_back(TextOf(child));
            }
        }
    }

    std::set<std::string> TranslatedTexts() const {
        std::set<std::string> texts;
        for (const std::string& call : host.LogTexts(kTranslateCall))
            texts.insert(call.substr(sizeof kTranslateCall - 1));
        return texts;
    }
};

}  // namespace

TEST_F(TranslationTemplate, ListsExactlyTheTextsTheDllTranslates) {
    std::vector<TemplateEntry> entries;
    ASSERT_TRUE(ReadTemplate(&entries)) << TemplatePath();
    std::set<std::string> listed;
    for (const TemplateEntry& entry : entries) listed.insert(entry.original);

    std::vector<std::string> shown;
    GoEverywhere(&shown);
    // The page's title and group are the host's to translate.
    std::set<std::string> translated = TranslatedTexts();
    translated.insert("Visibility levels");
    translated.insert("Status");
    EXPECT_EQ(listed, translated);
}

// An untouched template changes nothing: each translation is its original.
TEST_F(TranslationTemplate, TranslationsStartAsTheirOriginals) {
    std::vector<TemplateEntry> entries;
    ASSERT_TRUE(ReadTemplate(&entries)) << TemplatePath();
    for (const TemplateEntry& entry : entries) EXPECT_EQ(entry.original, entry.translation);
}

// With every entry translated, nothing the plug-in shows is left in the
// original: no text reaches the user past the template.
TEST_F(TranslationTemplate, TranslatingItsEntriesTranslatesEveryShownText) {
    std::vector<TemplateEntry> entries;
    ASSERT_TRUE(ReadTemplate(&entries)) << TemplatePath();
    for (const TemplateEntry& entry : entries)
        host.AddTranslation(entry.original, kTranslatedMark + entry.translation);

    std::vector<std::string> shown;
    GoEverywhere(&shown);
    for (const std::string& text : shown) EXPECT_EQ(kTranslatedMark, text.empty() ? '\0' : text[0]) << text;
    // And every translation is shown somewhere, so that the check above saw them all.
    const std::set<std::string> shownSet(shown.begin(), shown.end());
    for (const TemplateEntry& entry : entries)
        EXPECT_EQ(1u, shownSet.count(kTranslatedMark + entry.translation)) << entry.original;
}
