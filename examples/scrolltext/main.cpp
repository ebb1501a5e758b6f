// A program of its own that uses the Tirlink library: a window with a line of text scrolling
// from right to left. Built against an installed copy of the library (see CMakeLists.txt).
//
//   tirlink-example              runs until the window is closed
//   tirlink-example --frames N   ends by itself after N frames, printing how many it drew
#include "foundation/fxclass.h"
#include "platform/forms.h"
#include "platform/programsetup.h"
#include "scrolltext/fxscrolltext.h"

#include <cstdio>
#include <cstring>
#include <cstdlib>

int main(int argc, char** argv)
{
    const long quitAfter = (argc == 3 && std::strcmp(argv[1], "--frames") == 0) ? std::atol(argv[2]) : 0;

    // Qt's application object, the framework's, and the foundation's timer pool, which the
    // scroll text's timers use; all undone in reverse order when setup goes out of scope.
    TProgramSetup setup(argc, argv, {QStringLiteral("tirlink-example"), QStringLiteral("Scroll text example")},
                        {{FxInitialize, FxFinalize}});
    long frames = 0;
    setup.Run([&] {
        TForm* form = nullptr;
        CreateForm(form);  // the first form is the main form: closing it ends the program
        form->SetCaption(QStringLiteral("Scroll text example"));
        form->SetBounds(100, 100, 480, 40);

        auto* text = new TFxScrollText(form);  // owned and freed by the form
        text->SetParent(form);
        text->SetAlign(TAlign::alClient);
        text->SetScrollMode(TFxScrollMode::smTicker);
        text->SetDirection(TFxScrollDirection::sdRightToLeft);
        text->SetSteps(200);
        text->SetInterval(10);
        text->SetColor(clNavy);
        text->Font()->SetColor(clYellow);
        text->Font()->SetHeight(-20);
        text->Lines()->Clear();
        text->Lines()->Add(QStringLiteral("Hello from a program of its own: <b>bold</b> and plain text"));
        text->OnScroll = [&](TObject*) {
            if (++frames == quitAfter) Application->Terminate();
        };
        text->SetScroll(true);
    });
    if (quitAfter > 0) {
        std::printf("%ld frames scrolled\n", frames);
        return frames >= quitAfter ? 0 : 1;
    }
    return 0;
}
