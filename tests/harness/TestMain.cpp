// SPDX-License-Identifier: MIT
#include "CrashGuard.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testhost::installCrashGuard();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
