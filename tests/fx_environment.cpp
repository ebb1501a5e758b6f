// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The component library's set-up for a whole test binary, as a program does it once its
// QApplication exists (FxInitialize ignores repeats): linked into every suite whose tests use
// the library's timers and application object (see CMakeLists.txt).
#include "foundation/fxclass.h"

#include <gtest/gtest.h>

namespace {
class FxLibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { FxInitialize(); }
    void TearDown() override { FxFinalize(); }
};
[[maybe_unused]] ::testing::Environment* const g_fxEnvironment =
    ::testing::AddGlobalTestEnvironment(new FxLibraryEnvironment);
}  // namespace
