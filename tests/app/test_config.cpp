// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The settings dialog as its user meets it: the layout, filling from the ticker at each show,
// the colour and font pickers, and "Применить" changing the running ticker.
#include "hyperlink/lkhyperctrls.h"
#include "platform/hooks.h"
#include "platform/shell.h"
#include "scrolltext/fxscrolltext.h"
#include "scale_testing.h"
#include "ticker_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsDialog : public TickerWithDialog {
protected:
    void Type(const QString& text)
    {
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(dialog->Memo1->Editor(), &press);
        }
    }
    void PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods, key == Qt::Key_Return ? QStringLiteral("\r") : QString());
        QCoreApplication::sendEvent(dialog->Memo1->Editor(), &press);
    }
    QString MemoPlain() const { return dialog->Memo1->Editor()->toPlainText(); }
    // The memo's lines as it shows them, joined.
    QString MemoJoined() const
    {
        QString s;
        for (int i = 0; i < dialog->Memo1->Lines()->Count(); ++i) s += dialog->Memo1->Lines()->Get(i);
        return s;
    }
};

// ---------------------------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------------------------
TEST_F(SettingsDialog, FormIsAFixedCentredDialogHiddenUntilCalled)
{
    EXPECT_EQ(dialog->Caption(), QStringLiteral("Параметры"));
    EXPECT_EQ(dialog->BorderStyle(), TFormBorderStyle::bsSingle);
    EXPECT_EQ(dialog->Position(), TPosition::poScreenCenter);
    EXPECT_EQ(dialog->ClientWidth(), 443);
    EXPECT_EQ(dialog->ClientHeight(), 307);
    EXPECT_EQ(dialog->Color(), clBtnFace);
    EXPECT_EQ(dialog->Font()->Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(dialog->Font()->Height(), -11);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(dialog->Widget()->isVisible());
}

struct Placed {
    const char* name;
    const char* parent;
    TRect bounds;   // left, top, width, height
    const char* caption;
};

TEST_F(SettingsDialog, EveryControlSitsOnItsParentWithItsCaption)
{
    const Placed table[] = {
        {"Panel1", "Fconfig", Bounds(0, 0, 441, 257), ""},
        {"GroupBox1", "Panel1", Bounds(8, 8, 153, 89), " Цвет "},
        {"BtnSetColorFon", "GroupBox1", Bounds(8, 16, 75, 25), "Фон"},
        {"BtnSetColortext", "GroupBox1", Bounds(8, 48, 75, 25), "Текст"},
        {"Panel3", "GroupBox1", Bounds(88, 16, 57, 25), ""},
        {"Panel4", "GroupBox1", Bounds(88, 48, 57, 25), ""},
        {"GroupBox2", "Panel1", Bounds(8, 104, 153, 145), " Шрифт "},
        {"BtnSetFont", "GroupBox2", Bounds(8, 24, 137, 25), "Выбрать шрифт"},
        {"Label1", "GroupBox2", Bounds(8, 56, 137, 81), "АаБбВвГгДд"},
        {"GroupBox3", "Panel1", Bounds(168, 104, 265, 145), " Текст "},
        {"Memo1", "GroupBox3", Bounds(8, 16, 249, 121), ""},
        {"Edit1", "GroupBox3", Bounds(0, 128, 265, 21), ""},
        {"GroupBox4", "Panel1", Bounds(168, 8, 265, 89), " Главное "},
        {"CheckBox1", "GroupBox4", Bounds(8, 20, 145, 17), "Поверх всех окон"},
        {"Label2", "GroupBox4", Bounds(6, 44, 251, 13),
         "Макс.               Скорость прокрутки                Мин."},
        {"TrackBar1", "GroupBox4", Bounds(2, 58, 260, 29), ""},
        {"Panel2", "Fconfig", Bounds(0, 264, 441, 41), ""},
        {"BtnAdd", "Panel2", Bounds(6, 8, 105, 25), "Применить"},
        {"Panel5", "Panel2", Bounds(115, 3, 210, 35), ""},
        {"Image1", "Panel5", Bounds(1, 1, 34, 33), ""},
        {"Label3", "Panel5", Bounds(37, 1, 0, 0), "Тирлинка"},   // sized to their captions
        {"Label4", "Panel5", Bounds(160, 3, 0, 0), "v 1.0 free"},
        {"LkWebLabel1", "Panel5", Bounds(39, 17, 170, 15), nullptr},
        {"BtnCancel", "Panel2", Bounds(328, 8, 105, 25), "Выход"},
    };
    for (const Placed& p : table) {
        SCOPED_TRACE(p.name);
        auto* c = dynamic_cast<TControl*>(dialog->FindComponent(QString::fromUtf8(p.name)));
        ASSERT_NE(c, nullptr);
        ASSERT_NE(c->Parent(), nullptr);
        EXPECT_EQ(c->Parent()->Name(), QString::fromUtf8(p.parent));
        TRect bounds = p.bounds;
        if (bounds.Right == bounds.Left) {
            const QSize hint = c->Widget()->sizeHint();
            bounds = Bounds(bounds.Left, bounds.Top, hint.width(), hint.height());
        }
        EXPECT_EQ(c->BoundsRect(), bounds);
        // The widget stands where the layout puts it.
        EXPECT_EQ(c->Widget()->geometry(), ToQRect(bounds));
        if (p.caption) {
            EXPECT_EQ(c->Caption(), QString::fromUtf8(p.caption));
        }
    }
    // The group boxes show their captions as given, blanks included.
    EXPECT_EQ(dialog->GroupBox4->GroupBox()->title(), QStringLiteral(" Главное "));
    EXPECT_EQ(dialog->Label2->Label()->text(), dialog->Label2->Caption());
    EXPECT_FALSE(dialog->Edit1->Visible());
}

TEST_F(SettingsDialog, DesignedPropertiesOfTheControls)
{
    EXPECT_EQ(dialog->TrackBar1->Min(), 50);
    EXPECT_EQ(dialog->TrackBar1->Max(), 2050);
    EXPECT_EQ(dialog->TrackBar1->Frequency(), 50);
    EXPECT_EQ(dialog->TrackBar1->ThumbLength(), 15);
    EXPECT_EQ(dialog->TrackBar1->Slider()->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(dialog->TrackBar1->Slider()->tickInterval(), 50);
    EXPECT_EQ(dialog->Memo1->MaxLength(), 255);
    EXPECT_FALSE(dialog->Memo1->WantReturns());
    EXPECT_TRUE(dialog->Memo1->WordWrap());
    EXPECT_EQ(dialog->Label1->Color(), clWhite);
    EXPECT_EQ(dialog->Label1->Alignment(), TAlignment::taCenter);
    EXPECT_EQ(dialog->Label1->Layout(), TTextLayout::tlCenter);
    EXPECT_EQ(dialog->Panel3->BevelInner(), TBevelCut::bvLowered);
    EXPECT_EQ(dialog->Panel4->BevelInner(), TBevelCut::bvLowered);
    EXPECT_EQ(dialog->Panel5->BevelOuter(), TBevelCut::bvLowered);
    EXPECT_EQ(dialog->Panel5->Color(), clSilver);
    EXPECT_EQ(dialog->Label4->Color(), clSilver);   // labels take the about panel's colour
    EXPECT_EQ(dialog->Label3->Font()->Height(), -13);
    EXPECT_EQ(dialog->Label3->Font()->Style(), fsBold);
    EXPECT_EQ(dialog->FontDialog1->Font()->Charset(), RUSSIAN_CHARSET);
    EXPECT_EQ(dialog->FontDialog1->MinFontSize(), 0);
    EXPECT_EQ(dialog->FontDialog1->MaxFontSize(), 0);
    EXPECT_EQ(dialog->Color1->Color(), clBlack);

    // Glyphs: a picture for each state, the two colour buttons sharing the brush.
    for (TBitBtn* b : {dialog->BtnSetColorFon, dialog->BtnSetColortext, dialog->BtnSetFont, dialog->BtnAdd, dialog->BtnCancel}) {
        EXPECT_EQ(b->Glyph().size(), QSize(16, 16));
        EXPECT_EQ(b->DisabledGlyph().size(), QSize(16, 16));
        const QPixmap fine = b->Button()->icon().pixmap(QSize(16, 16), 2.0, QIcon::Disabled);
        EXPECT_NE(fine.toImage(), b->DisabledGlyph().scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).toImage());
    }
    EXPECT_EQ(dialog->BtnSetColorFon->Glyph().toImage(), dialog->BtnSetColortext->Glyph().toImage());
    EXPECT_NE(dialog->BtnAdd->Glyph().toImage(), dialog->BtnCancel->Glyph().toImage());
    // The logo is decoded when the dialog first shows, not when the program starts.
    EXPECT_TRUE(dialog->Image1->Picture().isNull());
    dialog->Show();
    EXPECT_EQ(dialog->Image1->Picture().size(), QSize(34, 33));
    dialog->Hide();

    TLkWebLabel* link = dialog->LkWebLabel1;
    EXPECT_EQ(link->Cursor(), 99);
    EXPECT_EQ(link->URL(), TFconfig::MakerURL);
    EXPECT_TRUE(TFconfig::MakerURL.contains(QStringLiteral("example.org")));
    for (const TFont* f : {link->FontEnter(), link->FontLeave()}) {
        EXPECT_EQ(f->Name(), QStringLiteral("Arial"));
        EXPECT_EQ(f->Height(), -11);
        EXPECT_EQ(f->Color(), clNavy);
        EXPECT_EQ(f->Style(), fsUnderline);
    }
    EXPECT_EQ(link->ColorEnter(), clSilver);
    EXPECT_EQ(link->ColorLeave(), clSilver);
    EXPECT_FALSE(link->TextOutline()->Visible());
    EXPECT_EQ(link->Alignment(), TAlignment::taLeftJustify);
}

// How far the ink of text drawn from x = 0 reaches, in logical pixels, on this screen: glyphs
// are drawn at the screen's own resolution, so their ink need not scale with their advances.
static double InkWidth(const QFont& font, const QString& text)
{
    const qreal scale = qApp->devicePixelRatio();
    const QFontMetrics fm(font);
    QImage img(QSize(fm.horizontalAdvance(text) + 16, fm.height()) * scale, QImage::Format_RGB32);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setFont(font);
        p.drawText(QPointF(8, fm.ascent()), text);
    }
    int right = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = right; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 192) right = x + 1;
    return right / scale - 8;
}

// Every caption stands whole in its label, and the about panel's texts keep clear of its sunken
// edge, at the scales desktops offer.
TEST_F(SettingsDialog, CaptionsFitTheirLabelsAndTheAboutPanelAtEveryScale)
{
    const QString caption = dialog->Label2->Caption();
    EXPECT_EQ(caption.count(QLatin1Char(' ')), 15 + 1 + 16);   // the blank inside the middle words too
    // The link's caption stays on its one line of 170 pixels.
    TCanvas measure;
    measure.SetFont(dialog->LkWebLabel1->FontLeave());
    EXPECT_LE(measure.TextWidth(TFconfig::MakerCaption), 170);
    EXPECT_LE(measure.TextHeight(TFconfig::MakerCaption), 15);
    for (const char* scale : {"1", "1.25", "1.5", "2"}) {
        SCOPED_TRACE(scale);
        if (RerunAtScale(scale)) continue;
        const int clear = dialog->Panel5->Width() - 1 - 2;   // the sunken edge and a margin
        const struct {
            TControl* label;
            QFont font;
            QString text;
            bool onPanel;
        } texts[] = {
            {dialog->Label2, dialog->Label2->Label()->font(), caption, false},
            {dialog->Label3, dialog->Label3->Label()->font(), dialog->Label3->Caption(), true},
            {dialog->Label4, dialog->Label4->Label()->font(), dialog->Label4->Caption(), true},
            {dialog->LkWebLabel1, dialog->LkWebLabel1->FontLeave()->ToQFont(), TFconfig::MakerCaption, true},
        };
        for (const auto& t : texts) {
            SCOPED_TRACE(t.label->Name().toStdString());
            const double ink = InkWidth(t.font, t.text);
            EXPECT_LE(ink, t.label->Width());
            if (t.onPanel) {
                EXPECT_LE(t.label->Left() + ink, clear);
            }
        }
    }
}

// Each group box as drawn without its children: the frame's top line runs through the middle
// of the caption, is cut behind it, and lies above every child. Label2 shows the box's fill.
TEST_F(SettingsDialog, GroupBoxCaptionsStandOnTheFrameAboveEveryChild)
{
    for (TGroupBox* box : {dialog->GroupBox1, dialog->GroupBox2, dialog->GroupBox3, dialog->GroupBox4}) {
        SCOPED_TRACE(box->Name().toStdString());
        QImage img(box->Widget()->size(), QImage::Format_RGB32);
        box->Widget()->render(&img, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        auto inked = [&](int x, int y) { return img.pixel(x, y) != img.pixel(box->Width() - 12, 0); };
        int line = 0;   // in a column right of the caption
        while (line < box->Height() && !inked(box->Width() - 12, line)) ++line;
        for (int i = 0; i < box->ControlCount(); ++i)
            if (box->Controls(i)->Visible()) {
                EXPECT_LT(line, box->Controls(i)->Top()) << box->Controls(i)->Name().toStdString();
            }
        const QFontMetrics fm(box->Widget()->font());
        bool above = false, below = false;
        for (int y = 0; y < fm.height(); ++y)
            for (int x = 8; x < 8 + fm.horizontalAdvance(box->Caption()); ++x)
                if (inked(x, y)) (y < line ? above : below) = true;
        EXPECT_TRUE(above && below);
        EXPECT_FALSE(inked(9, line));   // the caption's leading blank cuts the line
    }
    QImage img(dialog->GroupBox4->Widget()->size(), QImage::Format_RGB32);
    dialog->GroupBox4->Widget()->render(&img);
    const TLabel* label = dialog->Label2;   // a blank between "Макс." and the middle words
    const int blank = label->Left() + QFontMetrics(label->Label()->font()).horizontalAdvance(QStringLiteral("Макс.      "));
    for (int y = label->Top(); y < label->Top() + label->Height(); ++y) EXPECT_EQ(img.pixel(blank, y), img.pixel(4, y));
}

TEST_F(SettingsDialog, TabVisitsTheGroupsInOrderAndExitBeforeApply)
{
    std::vector<QWidget*> order;
    QWidget* first = dialog->BtnSetColorFon->Widget();
    QWidget* w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus) order.push_back(w);
        w = w->nextInFocusChain();
    } while (w != first && order.size() < 40);
    std::vector<QWidget*> expected{dialog->BtnSetColorFon->Widget(), dialog->BtnSetColortext->Widget(),
                                   dialog->BtnSetFont->Widget(), dialog->Memo1->Widget(),
                                   dialog->Edit1->Widget(), dialog->CheckBox1->Widget(),
                                   dialog->TrackBar1->Widget(), dialog->BtnCancel->Widget(),
                                   dialog->BtnAdd->Widget()};
    ASSERT_GE(order.size(), expected.size());
    order.resize(expected.size());
    EXPECT_EQ(order, expected);
}

// ---------------------------------------------------------------------------------------------
// Showing and applying
// ---------------------------------------------------------------------------------------------
TEST_F(SettingsDialog, ShowFillsTheControlsFromTheTicker)
{
    Scroller()->SetSteps(700);
    Scroller()->SetColor(clTeal);
    Scroller()->Font()->SetColor(clFuchsia);
    Scroller()->Font()->SetStyle(fsItalic);
    ticker->SetFormStyle(TFormStyle::fsStayOnTop);
    ShowDialog();
    EXPECT_TRUE(dialog->Widget()->isVisible());
    EXPECT_EQ(dialog->TrackBar1->Position(), 700);
    EXPECT_TRUE(dialog->CheckBox1->Checked());
    // The designed line is longer than the memo is wide: it shows on two lines.
    EXPECT_EQ(dialog->Memo1->Lines()->Count(), 2);
    EXPECT_EQ(MemoJoined(), Scroller()->Lines()->Get(0));
    EXPECT_EQ(dialog->Label1->Font()->Name(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(dialog->Label1->Font()->Style(), fsItalic);
    EXPECT_EQ(dialog->Label1->Font()->Color(), clFuchsia);
    EXPECT_EQ(dialog->FontDialog1->Font()->Height(), -19);
    EXPECT_EQ(dialog->Label1->Color(), clTeal);
    EXPECT_EQ(dialog->Panel3->Color(), clTeal);
    EXPECT_EQ(dialog->Panel4->Color(), clFuchsia);
}

TEST_F(SettingsDialog, ShowingTakesTheKeyboardOnTheFirstControl)
{
    ShowDialog();
    EXPECT_TRUE(dialog->Widget()->isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), dialog->BtnSetColorFon->Widget());
    dialog->Memo1->SetFocus();
    dialog->BtnCancel->Click();
    ShowDialog();
    // The window's own focus (the offscreen platform activates a window only at its first show).
    EXPECT_EQ(dialog->Widget()->focusWidget(), dialog->BtnSetColorFon->Widget());
}

TEST_F(SettingsDialog, StepsBelowTheRangeShowAtTheFastEndAndApplyAsFifty)
{
    Scroller()->SetSteps(10);
    ShowDialog();
    EXPECT_EQ(dialog->TrackBar1->Position(), 50);
    dialog->BtnAdd->Click();
    EXPECT_EQ(Scroller()->Steps(), 50);
    EXPECT_TRUE(Scroller()->Scroll());
    EXPECT_TRUE(dialog->Widget()->isVisible());   // the dialog stays open
}

TEST_F(SettingsDialog, TextWrappedOverThreeLinesIsAppliedAsTheOneLineTyped)
{
    ShowDialog();
    dialog->Memo1->Lines()->Clear();
    const QStringList words = QStringLiteral(
        "Бегущая строка показывает новости дня и напоминает о встречах, которые нельзя пропустить сегодня вечером "
        "и завтра утром до обеда")
                                  .split(QLatin1Char(' '));
    QString typed;
    for (const QString& w : words) {
        Type((typed.isEmpty() ? QString() : QStringLiteral(" ")) + w);
        typed += (typed.isEmpty() ? QString() : QStringLiteral(" ")) + w;
        if (dialog->Memo1->Lines()->Count() == 3) break;
    }
    ASSERT_EQ(dialog->Memo1->Lines()->Count(), 3) << typed.toStdString();
    EXPECT_EQ(MemoPlain(), typed);   // one paragraph: only word wrap broke it
    dialog->BtnAdd->Click();
    ASSERT_EQ(Scroller()->Lines()->Count(), 1);
    EXPECT_EQ(Scroller()->Lines()->Get(0), typed);
}

TEST_F(SettingsDialog, EmptyMemoGivesTheTickerExactlyOneEmptyLine)
{
    ShowDialog();
    dialog->Memo1->Lines()->Clear();
    dialog->BtnAdd->Click();
    ASSERT_EQ(Scroller()->Lines()->Count(), 1);
    EXPECT_EQ(Scroller()->Lines()->Get(0), QString());
}

TEST_F(SettingsDialog, MemoTakesAtMost255CharactersAndEnterInsertsNothing)
{
    ShowDialog();
    dialog->Memo1->Lines()->Clear();
    PressKey(Qt::Key_Return);
    EXPECT_EQ(MemoPlain(), QString());
    Type(QString(300, QLatin1Char('x')));
    EXPECT_EQ(MemoPlain().size(), 255);
    dialog->BtnAdd->Click();
    EXPECT_EQ(Scroller()->Lines()->Get(0), QString(255, QLatin1Char('x')));
}

TEST_F(SettingsDialog, HardLineBreaksAreDroppedOnApply)
{
    ShowDialog();   // the memo holds the ticker's line followed by a line break
    const QString line = Scroller()->Lines()->Get(0);
    // The caret starts where reading starts; typing after the break is asked for.
    EXPECT_EQ(dialog->Memo1->SelStart(), 0);
    dialog->Memo1->SetSelStart(dialog->Memo1->TextLength());
    Type(QStringLiteral("дальше"));
    dialog->BtnAdd->Click();
    EXPECT_EQ(Scroller()->Lines()->Get(0), line + QStringLiteral("дальше"));
}

TEST_F(SettingsDialog, ApplyPutsTheChoicesIntoTheRunningTicker)
{
    ShowDialog();
    dialog->CheckBox1->SetChecked(true);
    dialog->TrackBar1->SetPosition(1000);
    dialog->Label1->Font()->SetName(QStringLiteral("Arial"));
    dialog->Label1->Font()->SetHeight(-30);
    dialog->Panel3->SetColor(clGreen);
    dialog->Panel4->SetColor(clWhite);
    dialog->BtnAdd->Click();
    EXPECT_EQ(ticker->FormStyle(), TFormStyle::fsStayOnTop);
    EXPECT_EQ(Scroller()->Steps(), 1000);
    EXPECT_EQ(Scroller()->Font()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(Scroller()->Color(), clGreen);
    EXPECT_EQ(Scroller()->Font()->Color(), clWhite);
    EXPECT_EQ(ticker->Height(), 40);   // the placement rule ran with the new font
    EXPECT_EQ(ticker->Left(), 2);
    EXPECT_TRUE(Scroller()->Scroll());

    dialog->CheckBox1->SetChecked(false);
    dialog->BtnAdd->Click();
    EXPECT_EQ(ticker->FormStyle(), TFormStyle::fsNormal);
}

TEST_F(SettingsDialog, ColourDialogRemembersItsLastChoiceNotTheSwatches)
{
    ShowDialog();
    std::vector<QColor> openedWith;
    QColor choose = Qt::red;
    bool confirm = true;
    DialogExecuteHook() = [&](QDialog* d) {
        auto* cd = qobject_cast<QColorDialog*>(d);
        EXPECT_NE(cd, nullptr);
        if (!cd) return false;
        openedWith.push_back(cd->currentColor());
        cd->setCurrentColor(choose);
        return confirm;
    };
    dialog->BtnSetColorFonClick(nullptr);
    EXPECT_EQ(dialog->Panel3->Color(), clRed);
    EXPECT_EQ(dialog->Label1->Color(), clRed);

    choose = QColor(0, 0, 255);
    dialog->BtnSetColortextClick(nullptr);
    EXPECT_EQ(dialog->Panel4->Color(), clBlue);
    EXPECT_EQ(dialog->Label1->Font()->Color(), clBlue);

    confirm = false;   // cancelled: nothing changes
    choose = Qt::green;
    dialog->BtnSetColorFonClick(nullptr);
    EXPECT_EQ(dialog->Panel3->Color(), clRed);

    ASSERT_EQ(openedWith.size(), 3u);
    EXPECT_EQ(openedWith[0], QColor(Qt::black));   // the first time
    EXPECT_EQ(openedWith[1], QColor(Qt::red));     // then the colour last chosen
    EXPECT_EQ(openedWith[2], QColor(0, 0, 255));
}

// Qt's own dialogs in the program's language, when the system has Qt's Russian translation.
TEST_F(SettingsDialog, ColourAndFontDialogsSpeakRussian)
{
    const QString qm = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm");
    if (!QFile::exists(qm)) GTEST_SKIP() << "Qt's Russian translation is not installed (" << qm.toStdString() << ", Debian package qt6-translations-l10n)";
    ShowDialog();
    QStringList seen;
    DialogExecuteHook() = [&](QDialog* d) {
        seen << d->windowTitle() << d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
        return false;
    };
    dialog->BtnSetColorFonClick(nullptr);
    dialog->BtnSetFontClick(nullptr);
    EXPECT_EQ(seen, QStringList({QStringLiteral("Выбор цвета"), QStringLiteral("Отмена"), QStringLiteral("Выбор шрифта"), QStringLiteral("Отмена")}));
}

// A user who only changes the size keeps the face name, though the dialog lists the face it is
// drawn with; the dialog offers no effects the program would drop.
TEST_F(SettingsDialog, SizeOnlyChangeInTheFontDialogKeepsTheFaceName)
{
    ShowDialog();
    ASSERT_EQ(Scroller()->Font()->Name(), QStringLiteral("Times New Roman"));
    DialogExecuteHook() = [](QDialog* d) {
        for (QCheckBox* box : d->findChildren<QCheckBox*>()) EXPECT_FALSE(box->isVisibleTo(d)) << box->text().toStdString();
        auto* fd = static_cast<QFontDialog*>(d);
        QFont f = fd->currentFont();
        f.setPointSize(20);
        fd->setCurrentFont(f);
        return true;
    };
    dialog->BtnSetFontClick(nullptr);
    EXPECT_EQ(dialog->Label1->Font()->Name(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(dialog->Label1->Font()->Size(), 20);
    EXPECT_EQ(dialog->Label1->Font()->Style(), Scroller()->Font()->Style());   // opened on the face's own style
    dialog->BtnAdd->Click();
    EXPECT_EQ(Scroller()->Font()->Name(), QStringLiteral("Times New Roman"));
}

TEST_F(SettingsDialog, CancelledFontDialogStillTakesTheTextColourFromItsSwatch)
{
    ShowDialog();
    dialog->Panel4->SetColor(clOlive);
    dialog->Label1->Font()->SetColor(clPurple);
    const QString face = dialog->Label1->Font()->Name();
    DialogExecuteHook() = [](QDialog* d) {
        static_cast<QFontDialog*>(d)->setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 20));
        return false;
    };
    dialog->BtnSetFontClick(nullptr);
    EXPECT_EQ(dialog->Label1->Font()->Color(), clOlive);
    EXPECT_EQ(dialog->Label1->Font()->Name(), face);
}

TEST_F(SettingsDialog, BoldFaceFromTheFontDialogReachesTheTickerWithoutEffects)
{
    ShowDialog();
    const QString tickerFamily = Scroller()->Font()->ToQFont().family();
    QFont opened;
    DialogExecuteHook() = [&](QDialog* d) {
        auto* fd = static_cast<QFontDialog*>(d);
        opened = fd->currentFont();
        QFont f(QStringLiteral("DejaVu Sans"), 15, QFont::Bold);
        f.setStyleName(QStringLiteral("Bold"));   // the face as the dialog's list names it
        f.setUnderline(true);
        f.setStrikeOut(true);
        fd->setCurrentFont(f);
        return true;
    };
    dialog->BtnSetFontClick(nullptr);
    EXPECT_EQ(opened.family(), tickerFamily);   // opened with the ticker's font
    const TFont* chosen = dialog->Label1->Font();
    EXPECT_EQ(chosen->Name(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(chosen->Size(), 15);
    EXPECT_EQ(chosen->Height(), -20);   // points at 96 pixels per inch
    EXPECT_EQ(chosen->Style(), fsBold);  // no underline or strike-out from the dialog
    EXPECT_EQ(chosen->Color(), dialog->Panel4->Color());

    dialog->BtnAdd->Click();
    EXPECT_EQ(Scroller()->Font()->Name(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(Scroller()->Font()->Style(), fsBold);
    EXPECT_EQ(Scroller()->Font()->Height(), -20);
    EXPECT_EQ(ticker->Height(), 30);
}

TEST_F(SettingsDialog, ShowingAgainAfterUnappliedEditsShowsTheTickersState)
{
    ShowDialog();
    const QString line = Scroller()->Lines()->Get(0);
    dialog->TrackBar1->SetPosition(2000);
    dialog->CheckBox1->SetChecked(true);
    dialog->Memo1->Lines()->Clear();
    dialog->Memo1->Lines()->Add(QStringLiteral("не применено"));
    dialog->Panel3->SetColor(clRed);
    dialog->Label1->Font()->SetHeight(-40);

    // "Параметры" while the dialog is open only brings it forward: the edits stay.
    ShowDialog();
    EXPECT_EQ(dialog->TrackBar1->Position(), 2000);
    EXPECT_EQ(MemoJoined(), QStringLiteral("не применено"));

    dialog->BtnCancel->Click();   // "Выход" only hides
    QApplication::processEvents();
    EXPECT_FALSE(dialog->Widget()->isVisible());
    EXPECT_EQ(Scroller()->Lines()->Get(0), line);
    EXPECT_TRUE(Scroller()->Scroll());

    ShowDialog();
    EXPECT_EQ(dialog->TrackBar1->Position(), 300);
    EXPECT_FALSE(dialog->CheckBox1->Checked());
    EXPECT_EQ(MemoJoined(), line);
    EXPECT_EQ(dialog->Panel3->Color(), clNavy);
    EXPECT_EQ(dialog->Label1->Font()->Height(), -19);
}

TEST_F(SettingsDialog, HoveringTheLinkChangesOnlyThePointerAndAClickOpensTheMakersPage)
{
    std::vector<QString> opened;
    const TShellOpener previous = SetShellOpener([&](const QString& url) {
        opened.push_back(url);
        return SHELL_OPEN_OK;
    });
    ShowDialog();
    TLkWebLabel* link = dialog->LkWebLabel1;
    TPlatformHooks::PaintCycle(*link);
    const QImage away = link->Surface().copy();
    const QPointF inside(5, 5);
    QMouseEvent move(QEvent::MouseMove, inside, link->Widget()->mapToGlobal(inside), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(link->Widget(), &move);
    ASSERT_TRUE(link->Hovered());
    TPlatformHooks::PaintCycle(*link);
    EXPECT_EQ(link->Surface(), away);
    EXPECT_EQ(link->Widget()->cursor().hotSpot(), QPoint(10, 5));

    QMouseEvent press(QEvent::MouseButtonPress, inside, link->Widget()->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(link->Widget(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, link->Widget()->mapToGlobal(inside), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(link->Widget(), &release);
    EXPECT_EQ(opened, std::vector<QString>{TFconfig::MakerURL});
    SetShellOpener(previous);
}

// Where the window system keeps no window above others (a native Wayland client), the box
// says why it cannot be ticked instead of offering what does nothing.
TEST_F(SettingsDialog, StayOnTopBoxSaysWhyWhereTheWindowSystemIgnoresIt)
{
    const auto previous = std::exchange(TFconfig::CanStayOnTop, [] { return false; });
    TFconfig refusing(nullptr);
    TFconfig::CanStayOnTop = previous;
    EXPECT_TRUE(!refusing.CheckBox1->Enabled() && refusing.CheckBox1->Widget()->toolTip().contains(QStringLiteral("поверх")));
    EXPECT_TRUE(dialog->CheckBox1->Enabled() && dialog->CheckBox1->Widget()->toolTip().isEmpty());
}

}  // namespace
