#include <cstring>

#include "tests/PluginSupport.h"

using Lifecycle = PluginTest;

TEST_F(Lifecycle, LoadHooksThreeEventsInOrder) {
    host.CallPluginInfo();
    ASSERT_EQ(0, host.CallLoad());
    EXPECT_TRUE(SameCalls({"HookEvent Miranda/System/ModulesLoaded -> 1",
                           "HookEvent CList/PreBuildContactMenu -> 2",
                           "HookEvent CList/StatusModeChange -> 3"},
                          host.LogTexts()));
}

TEST_F(Lifecycle, ModulesLoadedCreatesServiceAddsMenusThenRunsStartupPass) {
    const ContactHandle icq = host.AddContact("ICQ", "Ann");
    host.CallPluginInfo();
    ASSERT_EQ(0, host.CallLoad());
    host.ClearLog();
    host.FireModulesLoaded();
    const std::string c = std::to_string(icq);
    EXPECT_TRUE(SameCalls(
        {"CreateServiceFunction Quillmere/Edit",
         "LangPack/TranslateString &Visibility Level",
         "CList/AddMainMenuItem name=&Visibility Level flags=0x00000000 position=1000010000 service=Quillmere/Edit",
         "CList/AddContactMenuItem name=&Visibility Level flags=0x00000000 position=1000080001 service=Quillmere/Edit",
         "DB/Contact/GetSetting 0 Quillmere/VisibilityLevel",
         "DB/Contact/GetCount",
         "DB/Contact/FindFirst",
         "Proto/GetContactBaseProto " + c,
         "DB/Contact/GetSetting " + c + " Quillmere/VisibilityLevel",
         "Proto/CallContactService " + c + " /SetApparentMode 40071 0",
         "DB/Contact/FindNext " + c},
        host.LogTexts()));
    EXPECT_EQ(40071u, host.ApparentMode(icq));
}
