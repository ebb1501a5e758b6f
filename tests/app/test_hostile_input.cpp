// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Input the settings dialog cannot refuse: a pasted text of 100,000 characters, emoji and
// characters that Windows-1251 lacks, a font face this machine does not have, a font of 400
// points and more. Nothing hangs; the ticker shows what was typed, the settings file keeps what
// its code page and fields can hold, and what is written reads back.
#include "app/config.h"
#include "app/settingsfile.h"
#include "app/tirlink.h"
#include "platform/hooks.h"
#include "scrolltext/fxscrolltext.h"
#include "ticker_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class HostileInput : public TickerWithDialog {
protected:
    void TearDown() override
    {
        TickerWithDialog::TearDown();
        // Every save succeeds here.
        for (const QString& reason : saveErrors) ADD_FAILURE() << reason.toStdString();
    }

    // The ticker as the program starts it from the folder's tirlink.cfg (if any).
    void StartTicker() override
    {
        TickerWithDialog::StartTicker();
        // On screen, as the program shows it, so that resizing repaints it.
        ticker->Show();
        QApplication::processEvents();
    }
    // "Выход" in the ticker's menu, then the next start of the program.
    void SaveAndRestart()
    {
        exitCodes.clear();
        ticker->N2->Click();
        ASSERT_EQ(exitCodes, std::vector<int>{0});
        StartTicker();
    }
    QByteArray File() const
    {
        QFile f(Cfg());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A field of the record on disk, with its padding.
    QByteArray Field(int offset, int width) const { return File().mid(offset, width); }

    QPlainTextEdit* Memo() const { return dialog->Memo1->Editor(); }
    // Ctrl+V in the memo with text on the clipboard, over whatever the memo has selected.
    void Paste(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QCoreApplication::sendEvent(Memo(), &press);
    }
    void ReplaceMemoBy(const QString& pasted)
    {
        Memo()->selectAll();
        Paste(pasted);
    }
    // "Применить", then the message loop's turn (the resized ticker repaints).
    void Apply()
    {
        dialog->BtnAdd->Click();
        QApplication::processEvents();
    }
    QString TickerLine() const { return Scroller()->Lines()->Count() ? Scroller()->Lines()->Get(0) : QString(); }

    // Ticks until the text has come into the strip; counts the pixels nearer the text colour
    // than the background (glyph edges are smoothed).
    int TextPixelsAfterTicks(int ticks)
    {
        for (int i = 0; i < ticks; ++i) Scroller()->GetTimer(Scroller());
        const TColor fore = ColorToRGB(Scroller()->Font()->Color());
        const TColor back = ColorToRGB(Scroller()->Color());
        auto distance = [](TColor a, TColor b) {
            int d = 0;
            for (int shift = 0; shift < 24; shift += 8) d += std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF));
            return d;
        };
        int n = 0;
        for (int y = 0; y < Scroller()->Height(); ++y)
            for (int x = 0; x < Scroller()->Width(); ++x) {
                const TColor p = Scroller()->Canvas()->Pixel(x, y);
                n += distance(p, fore) < distance(p, back);
            }
        return n;
    }
};

// The memo's text as the user sees it, hard line breaks and all.
QString Plain(QPlainTextEdit* e) { return e->toPlainText(); }

QString LongText(int n, bool lineBreaks)
{
    QString s;
    s.reserve(n);
    for (int i = 0; s.size() < n; ++i)
        s += QStringLiteral("Сводка %1: ясно, ветер 5 м/с").arg(i) + (lineBreaks && i % 3 == 2 ? u'\n' : u' ');
    s.truncate(n);
    return s;
}

TEST_F(HostileInput, PastedHundredThousandCharactersKeepTheFirst255AndReadBack)
{
    ShowDialog();
    const QString pasted = LongText(100000, false);
    ReplaceMemoBy(pasted);
    EXPECT_EQ(Plain(Memo()), pasted.left(255));
    // A full memo takes no more.
    Memo()->moveCursor(QTextCursor::End);
    Paste(QStringLiteral("ещё"));
    EXPECT_EQ(Plain(Memo()), pasted.left(255));

    Apply();
    EXPECT_EQ(TickerLine(), pasted.left(255));
    EXPECT_GT(TextPixelsAfterTicks(40), 0);
    SaveAndRestart();
    EXPECT_EQ(Field(35, 255), EncodeWindows1251(pasted.left(255)));
    EXPECT_EQ(TickerLine(), pasted.left(255).trimmed());
}

TEST_F(HostileInput, PastedLinesCountTheirBreaksAndComeBackAsOneLine)
{
    ShowDialog();
    const QString pasted = LongText(100000, true);
    ReplaceMemoBy(pasted);
    // At most 255 characters in all, each line break counting as two, as the framework counts.
    const QString kept = Plain(Memo());
    EXPECT_TRUE(pasted.startsWith(kept));
    const int used = int(kept.size() + kept.count(u'\n'));
    EXPECT_TRUE(used == 255 || (used == 254 && pasted.at(kept.size()) == u'\n')) << used;
    ASSERT_GT(kept.count(u'\n'), 0);

    Apply();
    QString joined = kept;
    joined.remove(u'\n');
    EXPECT_EQ(TickerLine(), joined);
    SaveAndRestart();
    EXPECT_EQ(TickerLine(), joined.trimmed());
}

TEST_F(HostileInput, EmojiAndCharactersOutsideTheCodePageShowAsTypedAndAreSavedAsQuestionMarks)
{
    ShowDialog();
    const QString typed = QStringLiteral("Привет 😀 мир 中文 λ © € № 🚀");
    ReplaceMemoBy(typed);
    EXPECT_EQ(Plain(Memo()), typed);
    Apply();
    EXPECT_EQ(TickerLine(), typed);
    EXPECT_GT(TextPixelsAfterTicks(40), 0);

    SaveAndRestart();
    // One "?" per character the code page lacks, an emoji included; ©, € and № are in it.
    const QString saved = QStringLiteral("Привет ? мир ?? ? © € № ?");
    EXPECT_EQ(Field(35, 255), EncodeWindows1251(saved).leftJustified(255, ' '));
    EXPECT_EQ(TickerLine(), saved);
}

TEST_F(HostileInput, MemoLimitNeverSplitsAnEmoji)
{
    ShowDialog();
    ReplaceMemoBy(QString(254, u'x') + QStringLiteral("😀y"));
    // The emoji takes two of the 255 places; only one is left, so it stays out whole.
    EXPECT_EQ(Plain(Memo()), QString(254, u'x'));
    ReplaceMemoBy(QString(253, u'x') + QStringLiteral("😀y"));
    EXPECT_EQ(Plain(Memo()), QString(253, u'x') + QStringLiteral("😀"));
    Apply();
    SaveAndRestart();
    EXPECT_EQ(TickerLine(), QString(253, u'x') + QStringLiteral("?"));
}

TEST_F(HostileInput, FontFaceThatDoesNotExistIsDrawnInAnotherButKeptByName)
{
    const QString face = QStringLiteral("Нет Такого Шрифта Zq");
    TSettingsRecord r;
    r.FontName = face;
    r.Text = QStringLiteral("Текст в несуществующем шрифте");
    {
        QFile f(Cfg());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(FormatSettingsRecord(r));
    }
    StartTicker();
    EXPECT_EQ(Scroller()->Font()->Name(), face);
    EXPECT_GT(TextPixelsAfterTicks(40), 0) << "nothing drawn in place of the missing face";

    // The dialog shows the face and "Применить" with another text keeps it.
    ShowDialog();
    EXPECT_EQ(dialog->Label1->Font()->Name(), face);
    ReplaceMemoBy(QStringLiteral("Другой текст"));
    Apply();
    EXPECT_EQ(Scroller()->Font()->Name(), face);
    EXPECT_EQ(ticker->Height(), 29);

    SaveAndRestart();
    EXPECT_EQ(Field(290, 255), EncodeWindows1251(face).leftJustified(255, ' '));
    EXPECT_EQ(Scroller()->Font()->Name(), face);
    EXPECT_EQ(TickerLine(), QStringLiteral("Другой текст"));
}

TEST_F(HostileInput, HugeFontSizesFromTheFontDialogGrowTheStripAndFitTheirField)
{
    struct Case { int points; int height; const char* field; int readBack; };
    // 400 points fit the three-digit field; 1000 does not and is kept at 999 by the writer.
    for (const Case c : {Case{400, -533, "400", 400}, Case{1000, -1333, "999", 999}}) {
        SCOPED_TRACE(c.points);
        ShowDialog();
        DialogExecuteHook() = [&](QDialog* d) {
            auto* fd = static_cast<QFontDialog*>(d);
            QFont f(QStringLiteral("DejaVu Sans"));
            f.setPointSize(c.points);
            fd->setCurrentFont(f);
            return true;
        };
        dialog->BtnSetFontClick(nullptr);
        DialogExecuteHook() = nullptr;
        ASSERT_EQ(dialog->Label1->Font()->Size(), c.points);
        Apply();
        EXPECT_EQ(Scroller()->Font()->Height(), c.height);
        EXPECT_EQ(ticker->Height(), -c.height + 10);
        EXPECT_EQ(ticker->Left(), 2);
        // Frames of glyphs hundreds of pixels high are drawn, and the text shows.
        EXPECT_GT(TextPixelsAfterTicks(30), 0);

        SaveAndRestart();
        EXPECT_EQ(Field(32, 3), QByteArray(c.field));
        EXPECT_EQ(Field(545, 4).size(), 4);  // every later field stays in its place
        EXPECT_EQ(Scroller()->Font()->Size(), c.readBack);
        EXPECT_EQ(ticker->Height(), MulDiv(c.readBack, 96, 72) + 10);
        EXPECT_EQ(Scroller()->Font()->Name(), QStringLiteral("DejaVu Sans"));
        dialog->Hide();
    }
}

}  // namespace
