// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// A program of its own that uses every layer of the Tirlink library: a window with a line of
// text scrolling from right to left and a link label under it. Built against an installed copy
// of the library (see CMakeLists.txt); the README shows this file as the developers' sample.
//
//   tirlink-example              runs until the window is closed
//   tirlink-example --frames N   ends by itself after N frames, printing how many it drew
#include "foundation/fxclass.h"        // FxInitialize, FxFinalize
#include "hyperlink/lkcontrols.h"      // LkInitialize
#include "hyperlink/lkhyperctrls.h"    // TLkWebLabel
#include "platform/forms.h"            // TForm, CreateForm, Application
#include "platform/programsetup.h"     // TProgramSetup
#include "scrolltext/fxscrolltext.h"   // TFxScrollText

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const long quitAfter = (argc == 3 && std::strcmp(argv[1], "--frames") == 0) ? std::atol(argv[2]) : 0;
    long frames = 0;

    TProgramSetup setup(argc, argv, {QStringLiteral("tirlink-example"), QStringLiteral("Scroll text example")},
                        {{FxInitialize, FxFinalize}, {LkInitialize, nullptr}});
    const int code = setup.Run([&] {
        TForm* form = nullptr;
        CreateForm(form);  // the first form made is the main form: closing it ends the program
        form->SetCaption(QStringLiteral("Scroll text example"));
        form->SetBounds(100, 100, 480, 80);

        auto* text = new TFxScrollText(form);  // owned and freed by the form
        text->SetParent(form);
        text->SetBounds(0, 0, 480, 40);
        text->SetScrollMode(TFxScrollMode::smTicker);
        text->SetDirection(TFxScrollDirection::sdRightToLeft);  // the default is bottom to top
        text->SetColor(clNavy);
        text->Font()->SetColor(clYellow);
        text->Font()->SetHeight(-20);
        text->Lines()->Clear();
        text->Lines()->Add(QStringLiteral("Hello from a program of its own: <b>bold</b> and plain text"));
        text->OnScroll = [&](TObject*) {
            if (++frames == quitAfter) Application->Terminate();
        };
        text->SetScroll(true);

        auto* link = new TLkWebLabel(form);  // the hand pointer over it comes from LkInitialize
        link->SetParent(form);
        link->SetBounds(0, 44, 480, 32);
        link->SetCaption(QStringLiteral("https://www.debian.org/"));
        link->SetURL(QStringLiteral("https://www.debian.org/"));
    });
    if (quitAfter > 0) {
        std::printf("%ld frames scrolled\n", frames);
        return frames >= quitAfter ? 0 : 1;
    }
    return code;
}
