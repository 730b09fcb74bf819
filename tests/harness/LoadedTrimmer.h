// SPDX-License-Identifier: MIT
// Test fixture: the built trimmer loaded by a test host and one instance created through
// VSTPluginMain.
#pragma once

#include "TestHost.h"

#include <gtest/gtest.h>

namespace testhost {

class LoadedTrimmer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.loaded()) << host.loadError();
        effect = host.create();
        ASSERT_NE(effect, nullptr);
    }

    TestHost host;
    AEffect* effect = nullptr;
};

} // namespace testhost
