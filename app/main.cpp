// Тирлинк: a desktop ticker. Takes no command-line arguments and reads no environment of its
// own (only Qt's platform choice and the X display, to pick the window system); its state lives
// in tirlink.cfg in the current directory.
#include "app/config.h"
#include "app/tirlink.h"
#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "platform/windowsystem.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before the application object: in a Wayland session, XWayland whenever it answers.
    TPlatformArguments platformArgs(argc, argv);
    QApplication qtApp(platformArgs.Argc(), platformArgs.Argv());
    QApplication::setApplicationName(QStringLiteral("tirlink"));
    QApplication::setQuitOnLastWindowClosed(false);

    TApplication application;
    Application = &application;
    Application->Title = QStringLiteral("Тирлинк");

    // The libraries' initialisation comes before any form: the timer pool and the hand cursor.
    FxInitialize();
    LkInitialize();

    try {
        Application->Initialize();
        CreateForm(Ftirlink);
        CreateForm(Fconfig);
        Application->Run();
    } catch (...) {
        Application->HandleException(Application);
    }
    application.DestroyComponents();
    FxFinalize();
    Application = nullptr;
    return 0;
}
