// Тирлинк: a desktop ticker. Takes no command-line arguments and reads no environment of its
// own; its state lives in tirlink.cfg in the current directory.
#include "app/config.h"
#include "app/tirlink.h"
#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/application.h"
#include "platform/controls.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
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
