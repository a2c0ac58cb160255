// The NamedVar operations against the stand-in's services table.
#include <math.h>
#include <string.h>

#include <gtest/gtest.h>

#include "host/host.h"
#include "module/host_services.h"
#include "module/named_var.h"

class NamedVarTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::Reset();
        ImportTable.panels = host::Services();
        NamedVarInit(&var_);
    }
    void TearDown() override { ImportTable.panels = nullptr; }
    NamedVar var_;
};

TEST_F(NamedVarTest, RegisterAlwaysAsksTheHost) {
    var_.id = 42;
    NamedVarRegister(&var_, "kvo_a");
    EXPECT_STREQ(var_.name, "kvo_a");
    EXPECT_EQ(var_.id, host::FindVariable("kvo_a"));
    EXPECT_GT(var_.id, 0);
    NamedVarRegister(&var_, "kvo_a");
    EXPECT_EQ(host::CallsOf("register").size(), 2u);
}

TEST_F(NamedVarTest, LookupReplacesTheIdEvenWithNone) {
    var_.id = 7;
    snprintf(var_.name, sizeof var_.name, "absent");
    EXPECT_EQ(NamedVarLookup(&var_), -1);
    EXPECT_EQ(var_.id, -1);
}

TEST_F(NamedVarTest, BindRegistersOnlyWithoutAPositiveId) {
    int32_t other = host::RegisterVariable("other");
    host::RegisterVariable("kvo_b");
    var_.id = 99;
    EXPECT_EQ(NamedVarBind(&var_, "kvo_b"), host::FindVariable("kvo_b"));
    EXPECT_TRUE(host::CallsOf("register").empty());
    EXPECT_EQ(host::CallsOf("find").size(), 1u);

    // An id of 0 counts as missing: registered again, then looked up.
    host::ForceVariableId("kvo_zero", 0);
    var_.id = 0;
    host::ClearCalls();
    EXPECT_EQ(NamedVarBind(&var_, "kvo_zero"), 0);
    EXPECT_EQ(host::CallsOf("register").size(), 1u);
    EXPECT_EQ(host::CallsOf("find").size(), 1u);
    EXPECT_NE(other, 0);
}

TEST_F(NamedVarTest, SetValueUsesTheCachedIdWithoutLookup) {
    snprintf(var_.name, sizeof var_.name, "kvo_c");
    host::RegisterVariable("kvo_c");
    NamedVarSetValue(&var_, 3.5);
    ASSERT_EQ(host::CallsOf("set").size(), 1u);
    EXPECT_EQ(host::CallsOf("set")[0].id, -1);
    EXPECT_TRUE(host::CallsOf("find").empty());
    EXPECT_EQ(host::VariableValue("kvo_c"), 0.0);
}

TEST_F(NamedVarTest, PublishByTheStateOfTheId) {
    // -1: registered for its effect, looked up, written.
    NamedVarPublish(&var_, "kvo_d", 2.0);
    EXPECT_EQ(host::CallsOf("register").size(), 1u);
    EXPECT_EQ(host::CallsOf("find").size(), 1u);
    EXPECT_EQ(host::VariableValue("kvo_d"), 2.0);
    int32_t id = var_.id;

    // Positive: the value goes under the old id, even for another name.
    host::ClearCalls();
    NamedVarPublish(&var_, "kvo_other", 5.0);
    EXPECT_STREQ(var_.name, "kvo_other");
    EXPECT_EQ(var_.id, id);
    EXPECT_TRUE(host::CallsOf("register").empty());
    EXPECT_TRUE(host::CallsOf("find").empty());
    EXPECT_EQ(host::VariableValue("kvo_d"), 5.0);
    EXPECT_FALSE(host::VariableExists("kvo_other"));

    // 0: not registered, but looked up every time.
    host::ForceVariableId("kvo_zero", 0);
    var_.id = 0;
    host::ClearCalls();
    NamedVarPublish(&var_, "kvo_zero", 1.0);
    NamedVarPublish(&var_, "kvo_zero", 1.0);
    EXPECT_TRUE(host::CallsOf("register").empty());
    EXPECT_EQ(host::CallsOf("find").size(), 2u);
    EXPECT_EQ(host::CallsOf("set").size(), 2u);
}

TEST_F(NamedVarTest, GetValueLooksUpWhileTheIdIsNotPositive) {
    host::SetVariable("kvo_e", 4.25);
    snprintf(var_.name, sizeof var_.name, "kvo_e");
    EXPECT_EQ(NamedVarGetValue(&var_), 4.25);
    EXPECT_EQ(NamedVarGetValue(&var_), 4.25);
    EXPECT_EQ(host::CallsOf("find").size(), 1u);

    host::ForceVariableId("kvo_zero", 0);
    NamedVarInit(&var_);
    snprintf(var_.name, sizeof var_.name, "kvo_zero");
    host::ClearCalls();
    NamedVarGetValue(&var_);
    NamedVarGetValue(&var_);
    EXPECT_EQ(host::CallsOf("find").size(), 2u);
    EXPECT_EQ(host::CallsOf("get").size(), 2u);
    EXPECT_EQ(host::CallsOf("get")[0].id, 0);
}

TEST_F(NamedVarTest, NoReadEntryGivesZeroAfterTheLookup) {
    host::SetVariable("kvo_f", 9.0);
    host::Services()->get_named_variable_value = nullptr;
    snprintf(var_.name, sizeof var_.name, "kvo_f");
    EXPECT_EQ(NamedVarGetValue(&var_), 0.0);
    EXPECT_EQ(var_.id, host::FindVariable("kvo_f"));
}

TEST_F(NamedVarTest, MissingEntriesMakeEachStepDoNothing) {
    PanelServices* services = host::Services();
    services->register_named_variable = nullptr;
    services->check_named_variable = nullptr;
    services->set_named_variable_value = nullptr;
    NamedVarRegister(&var_, "kvo_g");
    EXPECT_EQ(var_.id, -1);
    EXPECT_EQ(NamedVarBind(&var_, "kvo_g"), -1);
    EXPECT_EQ(NamedVarLookup(&var_), -1);
    NamedVarSetValue(&var_, 1.0);
    NamedVarPublish(&var_, "kvo_g", 1.0);
    EXPECT_STREQ(var_.name, "kvo_g");
    EXPECT_TRUE(host::Calls().empty());

    ImportTable.panels = nullptr;
    EXPECT_EQ(NamedVarGetValue(&var_), 0.0);
}

TEST_F(NamedVarTest, LongNamesAreCutToTheBuffer) {
    std::string longName(400, 'x');
    NamedVarRegister(&var_, longName.c_str());
    EXPECT_EQ(strlen(var_.name), 259u);
    NamedVarRegister(&var_, "short");
    EXPECT_STREQ(var_.name, "short");
}

TEST(TruncateToIntTest, CutsTowardZeroAndHoldsTheEnds) {
    EXPECT_EQ(TruncateToInt(1.9), 1);
    EXPECT_EQ(TruncateToInt(-0.5), 0);
    EXPECT_EQ(TruncateToInt(-1.9), -1);
    EXPECT_EQ(TruncateToInt(11.7), 11);
    EXPECT_EQ(TruncateToInt(1e300), 2147483647);
    EXPECT_EQ(TruncateToInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(TruncateToInt(nan("")), 0);
}
