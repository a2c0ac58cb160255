// The test programs' entry: GoogleTest's, with a crash ending the program
// with a failing status.
#include <gtest/gtest.h>

#include "host/host.h"

int main(int argc, char** argv) {
    host::EndOnCrash();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
