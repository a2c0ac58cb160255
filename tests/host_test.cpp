// The stand-in's own promises that the module tests build on.
#include "tests/test_support.h"

TEST(HostTest, MessageBoxesAreRecordedAndClosed) {
    HMODULE caller = LoadLibraryA((TestProgramFolder() + "\\box_caller.dll").c_str());
    ASSERT_NE(caller, nullptr);
    typedef int (*ShowBoxProc)(const char*, const char*, unsigned);
    ShowBoxProc showBox = reinterpret_cast<ShowBoxProc>(reinterpret_cast<void*>(GetProcAddress(caller, "ShowBox")));
    ASSERT_NE(showBox, nullptr);
    host::ClearMessageBoxes();
    host::HookMessageBoxes(caller);

    EXPECT_EQ(showBox("Line one\nLine two", "A title", MB_ICONWARNING | MB_OK), IDOK);
    std::vector<host::MessageBoxRecord> boxes = host::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "A title");
    EXPECT_EQ(boxes[0].text, "Line one\nLine two");
    EXPECT_EQ(boxes[0].style, 0x30u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_TRUE(boxes[0].shown);
    FreeLibrary(caller);
}

TEST(HostTest, NamedVariablesAreCaseInsensitiveWithPositiveIds) {
    host::Reset();
    EXPECT_EQ(host::FindVariable("kvo_a"), -1);
    int32_t id = host::RegisterVariable("kvo_A");
    EXPECT_GT(id, 0);
    EXPECT_EQ(host::RegisterVariable("KVO_a"), id);
    EXPECT_EQ(host::FindVariable("kvo_a"), id);
    EXPECT_EQ(host::VariableValue("kvo_a"), 0.0);
    host::ForceVariableId("kvo_zero", 0);
    EXPECT_EQ(host::RegisterVariable("kvo_zero"), 0);
    EXPECT_EQ(host::FindVariable("KVO_ZERO"), 0);
}

static std::vector<uint32_t> seen;
static void HOST_CDECL RecordA(uint32_t event, uint32_t parameter, void*) {
    seen.push_back(event);
    seen.push_back(parameter);
}
static void HOST_CDECL RecordB(uint32_t event, uint32_t, void* userData) {
    seen.push_back(event + static_cast<uint32_t>(reinterpret_cast<uintptr_t>(userData)));
}

TEST(HostTest, KeyEventsReachEveryRegisteredHandler) {
    host::Reset();
    seen.clear();
    host::Services()->register_key_event_handler(RecordA, nullptr);
    host::Services()->register_key_event_handler(RecordB, reinterpret_cast<void*>(1));
    host::Services()->trigger_key_event(66062, 5);
    EXPECT_EQ(seen, (std::vector<uint32_t>{66062, 5, 66063}));
    host::Services()->unregister_key_event_handler(RecordA, nullptr);
    host::TriggerKeyEvent(100, 0);
    EXPECT_EQ(seen.back(), 101u);
    EXPECT_EQ(host::KeyHandlerCount(), 1u);
}

TEST(HostTest, TokenVariablesAreReadThroughWhatInitializeFilled) {
    host::Reset();
    host::SetModuleVarValue(host::kSimClockToken, 12.5);
    ModuleVar never = {host::kSimClockToken, nullptr, 0, -1.0, 0.0};
    host::Services()->lookup_var(&never);
    EXPECT_EQ(never.var_value, -1.0);

    ModuleVar initialized = {host::kSimClockToken, nullptr, 0, -1.0, 0.0};
    host::Services()->initialize_var(&initialized);
    EXPECT_NE(initialized.var_ptr, nullptr);
    EXPECT_EQ(initialized.var_type, kVarTypeFloat64);
    host::SetModuleVarValue(host::kSimClockToken, 13.5);
    host::Services()->lookup_var(&initialized);
    EXPECT_EQ(initialized.var_value, 13.5);

    host::SetModuleVarValue(host::kSimClockToken, 20);
    host::RequireInitializedModuleVars(false);
    host::Services()->lookup_var(&never);
    EXPECT_EQ(never.var_value, 20.0);
    host::RequireInitializedModuleVars(true);
}

// The 64-bit stand-in leaves the module no memory below 4 GiB, where a
// pointer cut to 32 bits would go unnoticed.
TEST(HostTest, SixtyFourBitHostLeavesNoRoomBelowFourGiB) {
    if (!host::ReserveLowAddressSpace()) GTEST_SKIP() << "a 32-bit process";
    const uint64_t kLow = 0x100000000ull;
    std::vector<void*> blocks;
    for (size_t size = 1; size <= 70000; size = size * 3 / 2 + 1) {
        void* block = malloc(size);
        ASSERT_NE(block, nullptr);
        EXPECT_GE(reinterpret_cast<uintptr_t>(block), kLow) << size << " bytes";
        blocks.push_back(block);
    }
    for (void* block : blocks) free(block);
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    EXPECT_GE(reinterpret_cast<uintptr_t>(page), kLow);
    VirtualFree(page, 0, MEM_RELEASE);
    HANDLE heap = HeapCreate(0, 0, 0);
    void* fromNewHeap = HeapAlloc(heap, 0, 100);
    EXPECT_GE(reinterpret_cast<uintptr_t>(fromNewHeap), kLow);
    HeapDestroy(heap);
}
