// A contact menu the host builds before its modules-loaded event: the plug-in
// has no item yet and modifies handle 0. A program of its own, because the DLL
// keeps the item's handle for as long as it is mapped.
#include "tests/PluginSupport.h"

using MenuBeforeModulesLoaded = PluginTest;

TEST_F(MenuBeforeModulesLoaded, ModifiesHandleZero) {
    const ContactHandle icq = host.AddContact("ICQ");
    host.CallPluginInfo();
    ASSERT_EQ(0, host.CallLoad());
    host.ClearLog();
    EXPECT_EQ(0, host.FireEvent(kEvPreBuildContactMenu, icq));
    EXPECT_TRUE(SameCalls({"LangPack/TranslateString &Visibility Level",
                           "Proto/GetContactBaseProto " + std::to_string(icq),
                           "Proto/IsProtocolLoaded ICQ",
                           "CList/ModifyMenuItem 0 name=&Visibility Level flags=0x40000000 "
                           "position=1000080001 service=(null)"},
                          host.LogTexts()));
    EXPECT_TRUE(host.ContactMenu().empty());
}
