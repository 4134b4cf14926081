// A host service that fails hard: the sandbox throws a HostFault from inside
// a service while the plug-in's frames are on the stack. A 64-bit host finds
// its handler by unwinding every frame through its unwind entry, so each
// function of the plug-in must have one; a frame without one is taken for a
// leaf, the unwinding goes astray and the process dies. The handler above
// the plug-in's call must receive the fault, and the host must go on.
//
// Only in the 64-bit suite: a 32-bit host finds its handlers through a chain
// on the stack and needs no tables.
#include <functional>
#include <string>
#include <vector>

#include "sandbox/HostMessageLoop.h"
#include "tests/EditorSupport.h"

namespace {

class HostFaults : public EditorTest {};

TEST_F(HostFaults, ReachTheHandlerAboveThePluginAndTheHostGoesOn) {
    const ContactHandle ann = host.AddContact("ICQ", "Ann");
    StartPlugin();
    const std::string c = Str(ann);
    const std::vector<std::string> pass = {
        "DB/Contact/GetSetting 0 Quillmere/VisibilityLevel", "DB/Contact/GetCount", "DB/Contact/FindFirst",
        "Proto/GetContactBaseProto " + c, "DB/Contact/GetSetting " + c + " Quillmere/VisibilityLevel",
        "Proto/CallContactService " + c + " /SetApparentMode 40072 0", "DB/Contact/FindNext " + c};
    struct Row {
        const char* label;
        const char* service;
        const char* setting;
        std::function<void()> call;
        // DispatchMessage takes whatever a timer's procedure raises: the
        // fault ends there, and the host's loop goes on.
        bool endsInDispatchMessage = false;
    };
    const Row rows[] = {
        {"a status-mode change (normal pass)", "Proto/CallContactService", "",
         [&] { host.FireStatusModeChange(); }},
        {"modules loaded (startup pass)", "Proto/CallContactService", "", [&] { host.FireModulesLoaded(); }},
        {"a contact-menu build", "Proto/IsProtocolLoaded", "", [&] { host.ContactMenuShows(ann); }},
        // The sync runs from a timer, a second after the ack, inside the
        // host's own message loop.
        {"an ICQ login (the server lists' sync)", "Proto/CallContactService", "", [&] {
             ACKDATA login = {sizeof(ACKDATA), "ICQ", 0, ACKTYPE_STATUS, ACKRESULT_SUCCESS,
                              reinterpret_cast<void*>(1), ID_STATUS_ONLINE};
             host.FireAck(login);
             RunHostMessageLoopUntil([&] { return !host.LogTexts().empty(); }, 5000);
         }, true},
        // Read before the editor's window exists: no window procedure of the
        // platform stands between the throw and the handler.
        {"the editor's service", "DB/Contact/GetSetting", "UserAdd/Left",
         [&] { host.CallPluginService(kSvcEditVisibility, 0); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        host.SetFault(row.service, row.setting);
        host.ClearLog();
        std::string caught;
        try {
            row.call();
        } catch (const HostFault& fault) {
            caught = fault.service;
        }
        EXPECT_EQ(row.endsInDispatchMessage ? "" : row.service, caught);
        const std::string setting = *row.setting ? std::string(" ") + row.setting : "";
        ASSERT_FALSE(host.LogTexts().empty());
        EXPECT_EQ("HostFault " + std::string(row.service) + setting, host.LogTexts().back());

        host.ClearFault();
        host.ClearLog();
        host.ClearApparentModes();
        host.FireStatusModeChange();
        EXPECT_TRUE(SameCalls(pass, host.LogTexts()));
        EXPECT_EQ(ID_STATUS_ONLINE, host.ApparentMode(ann));
    }

    // The plug-in, built without exceptions, never sees the fault: the busy
    // flag the editor's service set stays set until the next Load (or
    // Unload), and the service opens nothing, asks nothing, until then.
    host.ClearLog();
    EXPECT_EQ(0, host.CallPluginService(kSvcEditVisibility, 0));
    EXPECT_TRUE(SameCalls({}, host.LogTexts()));
    ASSERT_EQ(0, host.CallUnload());
    ASSERT_EQ(0, host.CallLoad());
    EXPECT_TRUE(RanCleanly(RunEditorWith(host, 0, CloseThroughButton)));
}

}  // namespace
