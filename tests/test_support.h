// Shared helpers for the black-box tests: a fresh copy of the module per case.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"

// The folder of the running test program, where the module is copied.
std::string TestProgramFolder();

// A new folder under the temporary folder, and its removal with everything in it.
std::string MakeTempFolder(const char* prefix);
void RemoveTree(const std::string& folder);
// Copies the tree FROM into TO, which exists; a failure to read or copy fails the test.
void CopyTree(const std::string& from, const std::string& to);

// Names of the "register" calls, in order.
std::vector<std::string> RegisteredNames();
std::vector<std::string> NamesOf(const char* op);

// A slot's default command variable ("kvo_xml_id_NN"), its value, and a
// write to it as an XML gauge would make.
std::string SlotVar(int slot);
double Slot(int slot);
void Command(int slot, double value);

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Start();

    bool started_ = false;
};
