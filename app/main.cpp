// Тирлинк: a desktop ticker. Takes no command-line arguments and reads no environment of its
// own; its state lives in tirlink.cfg in the current directory.
#include "app/config.h"
#include "app/tirlink.h"
#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/programsetup.h"

int main(int argc, char** argv)
{
    // The libraries' initialisation comes before any form: the timer pool and the hand cursor.
    TProgramSetup setup(argc, argv, {QStringLiteral("tirlink"), QStringLiteral("Тирлинк")},
                        {{FxInitialize, FxFinalize}, {LkInitialize, nullptr}});
    return setup.Run([] {
        CreateForm(Ftirlink);
        CreateForm(Fconfig);
    });
}
