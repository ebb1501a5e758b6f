// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Тирлинк: a desktop ticker. Takes no command-line arguments and reads no environment of its
// own (only Qt's platform choice and the X display, to pick the window system); its state lives
// in tirlink.cfg in the current directory.
#include "app/config.h"
#include "app/tirlink.h"
#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/programsetup.h"
#include "platform/windowsystem.h"

int main(int argc, char** argv)
{
    // Before the application object: in a Wayland session, XWayland whenever it answers.
    TPlatformArguments platformArgs(argc, argv);
    // Nothing to show the ticker on: said on standard error; no settings file is touched.
    if (platformArgs.NoDisplay()) return 1;
    // The libraries' initialisation comes before any form: the timer pool and the hand cursor.
    TProgramSetup setup(platformArgs.Argc(), platformArgs.Argv(), {QStringLiteral("tirlink"), QStringLiteral("Тирлинк")},
                        {{FxInitialize, FxFinalize}, {LkInitialize, nullptr}});
    return setup.Run([] {
        CreateForm(Ftirlink);
        CreateForm(Fconfig);
    });
}
