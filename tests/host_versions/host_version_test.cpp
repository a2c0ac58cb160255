// Built once per simulator version, each program carrying that version in
// its own version resource (or none): what start-up publishes, which status
// variables and handlers it sets up, and what the audio start-up sends. One
// version-10 program runs in a folder without the client library's assembly;
// the 64-bit build has the 64-bit simulators' versions.
#include <windows.h>
#include <winver.h>

#include <utility>
#include <vector>

#include "tests/host_versions/host_run.h"

using ::testing::ElementsAre;

namespace {

#ifdef KVO_HOST_MAJOR
const int kMajor = KVO_HOST_MAJOR, kMinor = KVO_HOST_MINOR, kBuild = KVO_HOST_BUILD;
#else
const int kMajor = 0, kMinor = 0, kBuild = 0;
#endif
const bool kSimConnectHost = kMajor == 10 || kMajor == 1;
const bool kVersion9Host = kMajor == 9;
#if defined(KVO_NO_ASSEMBLY) || defined(_WIN64)
// No assembly beside the module, or the 64-bit module, which carries no
// manifest naming one.
const bool kLinkStarts = false;
#else
const bool kLinkStarts = kSimConnectHost;
#endif

class HostVersionTest : public HostRunTest {};

// The major and minor file version of a program or library; -1, -1 without
// a version resource.
std::pair<int, int> FileVersionOf(const std::string& path) {
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info.data()) ||
        !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr)
        return {-1, -1};
    return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS)};
}

TEST_F(HostVersionTest, StartupPublishesTheVersionAndSetsUpThisHostsSources) {
    Start();
    EXPECT_EQ(host::VariableValue("FSVersionMajor"), kMajor);
    EXPECT_EQ(host::VariableValue("FSVersionMinor"), kMinor);
    EXPECT_EQ(host::VariableValue("FSVersionBuild"), kBuild);
    // The module carries a version of its own, which is never the one it
    // publishes: that is the host program's, or 0 where it has none.
    std::pair<int, int> own = FileVersionOf(TestProgramFolder() + "\\kvo_sound.dll");
    EXPECT_GE(own.first, 1);
    EXPECT_NE(own, std::make_pair(kMajor, kMinor));

    EXPECT_EQ(host::VariableExists("SimConnected"), kSimConnectHost);
    EXPECT_EQ(host::VariableExists("ViewSystemStatus"), kSimConnectHost);
    EXPECT_EQ(host::VariableExists("ViewSystemMessages"), kSimConnectHost);
    // The link starts where the private assembly sits beside the module.
    if (kSimConnectHost) {
        EXPECT_EQ(host::VariableValue("SimConnected"), kLinkStarts ? 1.0 : 0.0);
    }
    EXPECT_FALSE(host::VariableExists("TimeOfDay"));
    EXPECT_TRUE(host::MessageBoxes().empty());

    size_t handlers = (kLinkStarts || kVersion9Host) ? 0u : 1u;
    EXPECT_EQ(host::KeyHandlerCount(), handlers);
    EXPECT_EQ(host::CallsOf("register_key_handler").size(), handlers);
    host::StopModule();
    started_ = false;
    EXPECT_EQ(host::KeyHandlerCount(), 0u);
}

TEST_F(HostVersionTest, AudioStartupSendsSoundOnOrRefreshesTheLinkState) {
    StartAndRunToAudioStartup();
    host::ClearCalls();
    ASSERT_TRUE(RunAudioStartupFrame());

    std::vector<host::ServiceCall> keys = host::CallsOf("trigger_key");
    if (kLinkStarts) {
        EXPECT_TRUE(keys.empty());
        EXPECT_THAT(NamesOf("find"), ElementsAre("ViewSystemStatus", "ViewSystemMessages", "SimConnected"));
        std::vector<host::ServiceCall> sets = host::CallsOf("set");
        ASSERT_FALSE(sets.empty());
        EXPECT_EQ(sets[0].name, "SimConnected");
        EXPECT_EQ(sets[0].value, 1.0);
    } else if (kVersion9Host) {
        EXPECT_TRUE(keys.empty());
        EXPECT_TRUE(host::CallsOf("find").empty());
    } else {
        EXPECT_TRUE(host::CallsOf("find").empty());
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].id, 66062);
        EXPECT_EQ(keys[0].value, 0.0);
        // The module's own handler hears it and writes the sound variable.
        std::vector<host::ServiceCall> sets = host::CallsOf("set");
        ASSERT_FALSE(sets.empty());
        EXPECT_EQ(sets[0].name, "FSSoundIsOn");
        EXPECT_EQ(sets[0].value, 1.0);
    }
    EXPECT_FALSE(host::VariableExists("FSSoundStatus"));
    EXPECT_TRUE(host::MessageBoxes().empty());
    // Without the link pauses are found by the probe.
    EXPECT_EQ(host::CallsOf("lookup_var").empty(), kLinkStarts);
}

}  // namespace
