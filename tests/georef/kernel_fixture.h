#pragma once

#include <gtest/gtest.h>

#include "georef/isml.h"
#include "tests/support/recording_ui_service.h"

// The kernel's message level is process-wide: every test starts and ends at the level a
// fresh process has, and records what the kernel shows.
class KernelTest : public ::testing::Test {
protected:
    void SetUp() override { SetLevel(4); }
    void TearDown() override { SetLevel(4); }

    static int SetLevel(int level) {
        int old = 0;
        georef::isml::UERSET(level, old);
        return old;
    }
    static int Level() {
        const int level = SetLevel(4);
        SetLevel(level);
        return level;
    }

    test_support::recording_ui ui;
};
