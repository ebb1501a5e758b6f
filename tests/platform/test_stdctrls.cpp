// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Standard controls over Qt widgets: the memo's line list as the box shows it and its length
// limit, panel bevels, the track bar's range, and the font dialog's result.
#include "platform/dialogs.h"
#include "platform/forms.h"
#include "platform/hooks.h"
#include "platform/stdctrls.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

class MemoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.SetBounds(0, 0, 300, 200);
        memo = new TMemo(&form);
        memo->SetParent(&form);
        memo->SetBounds(8, 8, 249, 121);
    }
    QString Plain() const { return memo->Editor()->toPlainText(); }
    TForm form{nullptr};
    TMemo* memo = nullptr;
};

TEST_F(MemoTest, LinesAreTheHardLinesWithAFinalBreakNotCounted)
{
    EXPECT_EQ(memo->Lines()->Count(), 0);
    memo->Lines()->Add(QStringLiteral("one"));
    EXPECT_EQ(Plain(), QStringLiteral("one\n"));
    memo->Lines()->Add(QStringLiteral("two"));
    ASSERT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Get(1), QStringLiteral("two"));
    memo->Lines()->Insert(1, QStringLiteral("half"));
    EXPECT_EQ(Plain(), QStringLiteral("one\nhalf\ntwo\n"));
    memo->Lines()->Delete(0);
    memo->Lines()->Put(1, QStringLiteral("three"));
    EXPECT_EQ(Plain(), QStringLiteral("half\nthree\n"));
    EXPECT_EQ(memo->MemoText(), QStringLiteral("half\r\nthree\r\n"));
    memo->Lines()->Clear();
    EXPECT_EQ(memo->Lines()->Count(), 0);
    // An empty line added to an empty box is one line, as typed text would see it.
    memo->Lines()->Add(QString());
    EXPECT_EQ(Plain(), QStringLiteral("\n"));
}

TEST_F(MemoTest, WordWrapSplitsLinesAndKeepsTheBlanksAtTheirEnds)
{
    const QString text = QString(QStringLiteral("word ")).repeated(30).trimmed();
    memo->Editor()->setPlainText(text);
    const int n = memo->Lines()->Count();
    ASSERT_GT(n, 1);
    QString joined;
    for (int i = 0; i < n; ++i) joined += memo->Lines()->Get(i);
    EXPECT_EQ(joined, text);
    EXPECT_TRUE(memo->Lines()->Get(0).endsWith(QLatin1Char(' ')));
    memo->SetWordWrap(false);
    EXPECT_EQ(memo->Lines()->Count(), 1);
}

TEST_F(MemoTest, MaxLengthLimitsTypingAndPastingWithBreaksCountingTwo)
{
    memo->SetMaxLength(5);
    memo->Editor()->setPlainText(QStringLiteral("ab\n"));   // programmatic text: 4 of 5 used
    memo->Editor()->moveCursor(QTextCursor::End);
    for (QChar ch : QStringLiteral("xyz")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(memo->Editor(), &key);
    }
    EXPECT_EQ(Plain(), QStringLiteral("ab\nx"));
    // A paste replacing everything: "1", a break (two) and "23" fill the five.
    memo->Editor()->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("1\n2345"));
    memo->Editor()->paste();
    EXPECT_EQ(Plain(), QStringLiteral("1\n23"));
}

TEST_F(MemoTest, EnterInsertsNothingWithoutWantReturnsButControlEnterBreaks)
{
    memo->SetWantReturns(false);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(memo->Editor(), &enter);
    EXPECT_EQ(Plain(), QString());
    QKeyEvent ctrlEnter(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(memo->Editor(), &ctrlEnter);
    EXPECT_EQ(Plain(), QStringLiteral("\n"));
}

TEST(Panel, PaintsItsColourInsideOuterAndInnerBevels)
{
    TForm form(nullptr);
    TPanel panel(&form);
    panel.SetBounds(0, 0, 20, 10);
    panel.SetColor(clSilver);
    panel.SetBevelOuter(TBevelCut::bvRaised);
    panel.SetBevelInner(TBevelCut::bvLowered);
    QImage img(20, 10, QImage::Format_RGB32);
    QPainter p(&img);
    panel.PaintPanel(p);
    p.end();
    const TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
    auto at = [&](int x, int y) {
        const QRgb c = img.pixel(x, y);
        return RGB(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
    };
    EXPECT_EQ(at(0, 5), light);    // raised outer ring: light at top and left
    EXPECT_EQ(at(19, 5), dark);    // dark at right and bottom
    EXPECT_EQ(at(19, 0), dark);    // the top-right corner belongs to the dark side
    EXPECT_EQ(at(1, 5), dark);     // lowered inner ring: dark at top and left
    EXPECT_EQ(at(18, 5), light);
    EXPECT_EQ(at(10, 5), clSilver);
}

// A label that sizes itself: a word-wrapped one keeps its width and takes the height its lines
// need; a right-justified one keeps its right edge.
TEST(Label, SizesItselfKeepingWidthWhenWrappedAndRightEdgeWhenRightJustified)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* wrapped = new TLabel(&form);
    wrapped->SetParent(&form);
    wrapped->SetBounds(10, 10, 60, 13);
    wrapped->SetWordWrap(true);
    wrapped->SetCaption(QStringLiteral("several words that need more than one line here"));
    const int line = QFontMetrics(wrapped->Label()->font()).height();
    EXPECT_EQ(wrapped->Width(), 60);
    EXPECT_GE(wrapped->Height(), 3 * line);
    auto* right = new TLabel(&form);
    right->SetParent(&form);
    right->SetAlignment(TAlignment::taRightJustify);
    right->SetBounds(100, 50, 80, 13);
    right->SetCaption(QStringLiteral("a much longer caption"));
    EXPECT_EQ(right->Left() + right->Width(), 180);
    right->SetCaption(QStringLiteral("short"));
    EXPECT_EQ(right->Left() + right->Width(), 180);
}

TEST(TrackBar, PositionStaysInsideTheRange)
{
    TTrackBar bar(nullptr);
    bar.SetMax(2050);
    bar.SetMin(50);
    bar.SetPosition(10);
    EXPECT_EQ(bar.Position(), 50);
    bar.SetPosition(5000);
    EXPECT_EQ(bar.Position(), 2050);
    int changes = 0;
    bar.OnChange = [&](TObject*) { ++changes; };
    bar.SetPosition(700);
    EXPECT_EQ(changes, 1);
}

TEST(FontDialog, TakesFaceSizeAndStyleButNoEffectsAndKeepsColourAndCharset)
{
    TFontDialog dialog(nullptr);
    dialog.Font()->SetColor(clRed);
    dialog.Font()->SetCharset(RUSSIAN_CHARSET);
    dialog.Font()->SetStyle(fsUnderline);
    int changes = 0;
    dialog.Font()->OnChange = [&](TObject*) { ++changes; };
    DialogExecuteHook() = [](QDialog* d) {
        QFont f(QStringLiteral("Liberation Serif"), 600, QFont::Normal, true);   // beyond the dialog's own list
        f.setStrikeOut(true);
        static_cast<QFontDialog*>(d)->setCurrentFont(f);
        return true;
    };
    EXPECT_TRUE(dialog.Execute());
    DialogExecuteHook() = nullptr;
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dialog.Font()->Name(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(dialog.Font()->Style(), fsItalic);
    EXPECT_EQ(dialog.Font()->Color(), clRed);
    EXPECT_EQ(dialog.Font()->Charset(), RUSSIAN_CHARSET);
    EXPECT_EQ(dialog.Font()->Height(), -MulDiv(dialog.Font()->Size(), 96, 72));
    EXPECT_GE(dialog.Font()->Size(), 6);
}

}  // namespace
