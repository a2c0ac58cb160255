// The link to the client library on a version-10 host, against our stand-in
// installed as the private assembly beside the module.
#include <string.h>

#include "host/simconnect/simconnect_double.h"
#include "simstate/simconnect_abi.h"
#include "tests/host_versions/host_run.h"

using ::testing::HasSubstr;

namespace {

const char kSubscribed[] = "open(0,0,0,-1);dispatch;subscribe Pause=1;subscribe Sound=0;subscribe View=2";

class SimConnectLinkTest : public HostRunTest {
protected:
    void SetUp() override {
        HostRunTest::SetUp();
        // Each case lets go of the stand-in, so that a module that loads it
        // can only have found it itself.
        ASSERT_EQ(GetModuleHandleA("SimConnect.dll"), nullptr);
    }
    void TearDown() override {
        HostRunTest::TearDown();
        if (link_.dll != nullptr) FreeLibrary(link_.dll);
    }
    // This program's own hold on the stand-in, loaded by full path before the
    // module starts, to tell it what to refuse.
    bool Hold() {
        if (!LoadSimConnectDouble(TestProgramFolder(), &link_)) return false;
        link_.reset();
        return true;
    }
    // The stand-in the started module loaded by itself, inside its activation
    // context: the copy in the assembly folder beside the module. Held from
    // here on, so that it outlasts the module's stop.
    ::testing::AssertionResult Bind() {
        HMODULE loaded = GetModuleHandleA("SimConnect.dll");
        if (loaded == nullptr) return ::testing::AssertionFailure() << "the module loaded no SimConnect.dll";
        char path[MAX_PATH];
        GetModuleFileNameA(loaded, path, MAX_PATH);
        std::string expected = TestProgramFolder() + "\\" + kSimConnectAssemblyFolder + "\\SimConnect.dll";
        if (lstrcmpiA(path, expected.c_str()) != 0) return ::testing::AssertionFailure() << "loaded from " << path;
        if (!LoadSimConnectDouble(TestProgramFolder(), &link_) || link_.dll != loaded)
            return ::testing::AssertionFailure() << "the stand-in cannot be bound";
        return ::testing::AssertionSuccess();
    }
    void StopModule() {
        host::StopModule();
        started_ = false;
    }
    SimConnectDouble link_ = {};
};

BOOL CALLBACK CountResource(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(SimConnectLinkTest, ModuleCarriesOneManifestNamingTheAssembly) {
    HMODULE module = host::Module();
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(101), 1033);
    ASSERT_NE(found, nullptr);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                         SizeofResource(module, found));
    EXPECT_THAT(manifest, HasSubstr("name=\"Microsoft.FlightSimulator.SimConnect\""));
    EXPECT_THAT(manifest, HasSubstr("version=\"10.0.61259.0\""));
    EXPECT_THAT(manifest, HasSubstr("processorArchitecture=\"x86\""));
    EXPECT_THAT(manifest, HasSubstr("publicKeyToken=\"67c7c14424d61b5b\""));
    int manifests = 0;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(24), CountResource, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
}

TEST_F(SimConnectLinkTest, StartOpensUnderTheModulePathSubscribesAndShutdownCloses) {
    Start();
    ASSERT_TRUE(Bind());
    EXPECT_STREQ(link_.callLog(), kSubscribed);
    char modulePath[MAX_PATH];
    GetModuleFileNameA(host::Module(), modulePath, MAX_PATH);
    EXPECT_STREQ(link_.clientName(), modulePath);
    EXPECT_EQ(host::VariableValue("SimConnected"), 1.0);
    EXPECT_EQ(host::KeyHandlerCount(), 0u);

    StopModule();
    EXPECT_STREQ(link_.callLog(), (std::string(kSubscribed) + ";close").c_str());
    EXPECT_EQ(link_.sendSystemEvent("Sound", 0), 0);  // nothing is delivered any more
}

TEST_F(SimConnectLinkTest, SoundAndPauseEventsReachTheRunningCycle) {
    StartAndRun();
    ASSERT_TRUE(Bind());
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);
    EXPECT_EQ(host::VariableValue("FSSimIsPaused"), 0.0);

    EXPECT_EQ(host::VariableValue("SoundIsMuted"), 0.0);

    ASSERT_EQ(link_.sendSystemEvent("Sound", 0), 1);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 0.0);
    EXPECT_EQ(host::VariableValue("SoundIsMuted"), 1.0);
    link_.sendSystemEvent("Sound", 3);  // only bit 0 counts
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);
    EXPECT_EQ(host::VariableValue("SoundIsMuted"), 0.0);
    link_.sendSystemEvent("Sound", 2);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 0.0);
    link_.sendSystemEvent("Sound", 1);

    link_.sendSystemEvent("Pause", 1);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSimIsPaused"), 1.0);
    EXPECT_EQ(host::VariableValue("SoundIsMuted"), 1.0);
    link_.sendSystemEvent("Pause", 0);
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSimIsPaused"), 0.0);
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);
    EXPECT_EQ(host::VariableValue("SoundIsMuted"), 0.0);
    // With the link up the pause probe is not read: a held clock is no pause.
    host::RunSimClock(false);
    host::RunFrames(2);
    EXPECT_EQ(host::VariableValue("FSSimIsPaused"), 0.0);
    EXPECT_TRUE(host::CallsOf("lookup_var").empty());
}

TEST_F(SimConnectLinkTest, ViewChangesWriteTheStatusAndShowABoxOnlyWhenAsked) {
    Start();
    ASSERT_TRUE(Bind());
    link_.sendSystemEvent("View", 5);
    EXPECT_EQ(host::VariableValue("ViewSystemStatus"), 5.0);
    EXPECT_TRUE(host::MessageBoxes().empty());

    host::SetVariable("ViewSystemMessages", 1.0);
    link_.sendSystemEvent("View", 7);
    link_.sendSystemEvent("View", 4096);        // cut to the 16-character buffer
    link_.sendSystemEvent("View", 0xFFFFFFFFu);  // unsigned in the variable, signed in the box
    EXPECT_EQ(host::VariableValue("ViewSystemStatus"), 4294967295.0);
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "View Status: 7");
    EXPECT_EQ(boxes[1].text, "View Status: 40");
    EXPECT_EQ(boxes[2].text, "View Status: -1");
    EXPECT_EQ(boxes[0].title, "kvo_fsx_lvchime");
    EXPECT_EQ(boxes[0].style, 0x30u);
    EXPECT_EQ(boxes[0].owner, nullptr);

    host::SetVariable("ViewSystemMessages", 0.5);  // above 0 is enough
    link_.sendSystemEvent("View", 9);
    EXPECT_EQ(host::MessageBoxes().size(), 4u);
}

TEST_F(SimConnectLinkTest, UnknownEventIdsAndOtherMessagesChangeNothing) {
    StartAndRun();
    ASSERT_TRUE(Bind());
    host::SetVariable("ViewSystemMessages", 1.0);
    host::ClearCalls();
    EXPECT_EQ(link_.sendEvent(3, 0), 1);
    link_.sendEvent(0xFFFFFFFFu, 1);
    // Other kinds of message carrying the fields of a sound, pause and view event.
    for (uint32_t kind : std::initializer_list<uint32_t>{kRecvNull, kRecvException, kRecvOpen, kRecvQuit, 5}) {
        link_.sendMessage(kind, 0, 0);
        link_.sendMessage(kind, 1, 1);
        link_.sendMessage(kind, 2, 1);
    }
    EXPECT_TRUE(host::Calls().empty());
    EXPECT_TRUE(host::MessageBoxes().empty());
    host::RunFrame();
    EXPECT_EQ(host::VariableValue("FSSoundIsOn"), 1.0);
    EXPECT_EQ(host::VariableValue("FSSimIsPaused"), 0.0);
}

TEST_F(SimConnectLinkTest, RefusedPauseSubscriptionLeavesTheModuleOnItsFallback) {
    ASSERT_TRUE(Hold());
    link_.refuseSubscription("Pause");
    StartAndRunToAudioStartup();
    EXPECT_STREQ(link_.callLog(), "open(0,0,0,-1);dispatch;subscribe Pause=1 refused");
    EXPECT_EQ(link_.sendSystemEvent("Sound", 0), 0);
    EXPECT_EQ(link_.sendSystemEvent("View", 0), 0);
    EXPECT_EQ(host::VariableValue("SimConnected"), 0.0);
    EXPECT_EQ(host::KeyHandlerCount(), 1u);

    host::ClearCalls();
    ASSERT_TRUE(RunAudioStartupFrame());
    std::vector<host::ServiceCall> keys = host::CallsOf("trigger_key");
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].id, 66062);
    EXPECT_TRUE(host::CallsOf("find").empty());
    EXPECT_FALSE(host::CallsOf("lookup_var").empty());  // the pause probe

    // The connection that did open is closed at shut-down all the same.
    StopModule();
    EXPECT_THAT(link_.callLog(), ::testing::EndsWith(";close"));
    EXPECT_EQ(host::KeyHandlerCount(), 0u);
}

TEST_F(SimConnectLinkTest, FailedOpenKeepsNoHoldOnTheLibrary) {
    ASSERT_TRUE(Hold());
    link_.refuseOpen(1);
    Start();
    // Only the third manifest name exists, so the library is opened once.
    EXPECT_STREQ(link_.callLog(), "open(0,0,0,-1) refused");
    EXPECT_EQ(host::VariableValue("SimConnected"), 0.0);
    EXPECT_EQ(host::KeyHandlerCount(), 1u);
    EXPECT_TRUE(host::MessageBoxes().empty());

    // With this program's own reference gone the library unloads: the
    // module freed the copy it loaded.
    FreeLibrary(link_.dll);
    link_.dll = nullptr;
    EXPECT_EQ(GetModuleHandleA("SimConnect.dll"), nullptr);
}

}  // namespace
