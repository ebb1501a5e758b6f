// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The libraries' initialisation for the application tests, as main() does it before any form.
#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/application.h"

#include <gtest/gtest.h>

namespace {
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        // The tests drive the ticker's ticks by hand and look at the frames: those are drawn on
        // the ticks, as where the display's refresh is unknown, not by a frame clock.
        qputenv("TIRLINK_FRAME_CLOCK", "none");
        FxInitialize();
        LkInitialize();
        Application->Initialize();
    }
    void TearDown() override { FxFinalize(); }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new AppEnvironment);
}  // namespace
