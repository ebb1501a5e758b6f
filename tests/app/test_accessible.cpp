// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The ticker as a screen reader meets it through Qt's accessibility: its text, and that a new
// text is told once and the moving text never. (The dialog, the link's action and the menu
// keys are read through AT-SPI by the end-to-end suite.)
#include "platform/accessible.h"
#include "ticker_fixture.h"

#include <QAccessible>
#include <QElapsedTimer>

namespace {

TEST_F(TickerWithDialog, TickerTextIsReadWholeAndANewTextIsToldOnceNeverPerTick)
{
    static int told = 0;
    SetAccessibleEventSink([this](QAccessibleEvent* e) {
        if (e->type() == QAccessible::NameChanged && e->object() == Scroller()->Widget()) ++told;
    });
    struct Restore {
        ~Restore() { SetAccessibleEventSink(nullptr); }
    } restore;
    ticker->Show();
    QAccessibleInterface* win = QAccessible::queryAccessibleInterface(ticker->Widget());
    ASSERT_TRUE(win && win->childCount() == 1);
    EXPECT_EQ(win->text(QAccessible::Name), QStringLiteral("Тирлинк"));
    EXPECT_EQ(ticker->Caption(), QStringLiteral("Ftirlink"));

    // Reached from the window, with the text, the role and the place on the screen.
    told = 0;
    // The first change told may be one that empties the text.
    Scroller()->Lines()->Clear();
    QApplication::processEvents();
    EXPECT_EQ(told, 1);
    told = 0;
    Scroller()->Lines()->Add(QStringLiteral("<b>Новости</b> дня"));
    Scroller()->Lines()->Add(QStringLiteral("и погода"));
    QApplication::processEvents();
    QAccessibleInterface* strip = win->child(0);
    ASSERT_EQ(strip->object(), Scroller()->Widget());
    EXPECT_EQ(strip->role(), QAccessible::StaticText);
    EXPECT_EQ(strip->text(QAccessible::Name), QStringLiteral("Новости дня и погода"));
    ASSERT_NE(strip->textInterface(), nullptr);
    EXPECT_EQ(strip->textInterface()->text(0, strip->textInterface()->characterCount()),
              QStringLiteral("Новости дня и погода"));
    EXPECT_EQ(strip->rect(), QRect(Scroller()->Widget()->mapToGlobal(QPoint(0, 0)), Scroller()->Widget()->size()));
    EXPECT_EQ(told, 1);

    // The ticker scrolls on: nothing more is told.
    ASSERT_TRUE(Scroller()->Scroll());
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 150) QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(told, 1);
}

}  // namespace
