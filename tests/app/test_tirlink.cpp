// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The ticker window as its user meets it: start-up with and without a settings file, the
// placement rule, vertical dragging, the menu, and "Выход" writing the file.
#include "app/settingsfile.h"
#include "app/tirlink.h"
#include "scrolltext/fxscrolltext.h"
#include "scale_testing.h"
#include "ticker_fixture.h"
#include "scrolltext/fxtextutils.h"
#include "scrolltext/hooks.h"

#include <QDir>
#include <QFile>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString DesignedLine = QStringLiteral("Для вызова меню нажмите правую кнопку мыши на панели Тирлинка.");

int ScreenWidth()
{
    return QGuiApplication::primaryScreen()->geometry().width();
}

class TickerWindow : public TickerFixture {
protected:
    void WriteFile(const QByteArray& bytes)
    {
        QFile f(Cfg());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(TickerWindow, WithoutSettingsFileShowsTheDesignedTickerPlacedAcrossTheScreen)
{
    auto w = Start();
    EXPECT_EQ(w->Left(), 2);
    EXPECT_EQ(w->Top(), 606);
    EXPECT_EQ(w->Width(), ScreenWidth() - 4);
    EXPECT_EQ(w->Height(), 29);
    EXPECT_EQ(w->FormStyle(), TFormStyle::fsNormal);
    EXPECT_EQ(w->BorderStyle(), TFormBorderStyle::bsNone);
    TFxScrollText* st = w->FxScrollText1;
    EXPECT_EQ(st->Width(), w->Width());
    EXPECT_EQ(st->Height(), 29);
    EXPECT_EQ(st->Color(), clNavy);
    EXPECT_EQ(st->Font()->Color(), clYellow);
    EXPECT_EQ(st->Font()->Name(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(st->Font()->Height(), -19);
    EXPECT_EQ(st->Steps(), 300);
    ASSERT_EQ(st->Lines()->Count(), 1);
    EXPECT_EQ(st->Lines()->Get(0), DesignedLine);
    EXPECT_TRUE(st->Scroll());
}

// Maximal runs of inked columns, runs closer than gap columns merged: the words of a line.
static std::vector<std::pair<int, int>> InkRuns(const std::vector<bool>& ink, int gap)
{
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < int(ink.size()); ++x) {
        if (!ink[size_t(x)]) continue;
        if (!runs.empty() && x - runs.back().second < gap) runs.back().second = x + 1;
        else runs.push_back({x, x + 1});
    }
    return runs;
}

// On a screen scaled by 2 (a 4K screen at 200 %) the strip keeps its logical geometry while its
// frames hold the screen's device pixels: the text is drawn at that resolution rather than as
// 1x pixels doubled, and its words stand where scale 1 puts them, doubled.
TEST_F(TickerWindow, AtScreenScaleTwoFramesAreDrawnAtTheScreensOwnResolution)
{
    if (RerunAtScale("2")) return;
    auto w = Start();
    TFxScrollText* st = w->FxScrollText1;
    EXPECT_EQ(w->Width(), ScreenWidth() - 4);
    EXPECT_EQ(w->Height(), 29);
    ASSERT_EQ(st->DevicePixelRatio(), 2);
    st->Stop();
    st->Paint();   // takes the inner size
    st->ExecuteEnh(st->Steps() / 2);
    const int iw = TScrollTextHooks::InnerWidth(*st), ih = TScrollTextHooks::InnerHeight(*st), b = (st->Width() - iw) / 2;
    const QRgb navy = qRgb(0, 0, 128);

    // The same frame at scale 1.
    TBitmap ref(iw, ih);
    ref.Canvas()->Brush()->SetColor(clNavy);
    ref.Canvas()->FillRect(TRect(0, 0, iw, ih));
    ref.Canvas()->SetFont(st->Font());
    const TPoint p = TScrollTextHooks::Origin(*st);
    TRect r(p.X, p.Y, p.X + st->TextWidth(), p.Y + st->LineHeight());
    FxDrawTextExt(ref.Canvas(), st->GetAsTickerText(), st->Font3D(), r, DT_SINGLELINE | DT_NOPREFIX,
                  DrawTextStyles(TFxDrawTextStyle::dtEnabled));
    std::vector<bool> ink1(size_t(iw), false), ink2(size_t(2 * iw), false);
    for (int y = 0; y < ih; ++y)
        for (int x = 0; x < iw; ++x)
            if ((ref.Image().pixel(x, y) | 0xFF000000u) != navy) ink1[size_t(x)] = true;

    // At scale 2 the surface holds 2 x 2 device pixels per logical pixel.
    const QImage& s = st->Surface();
    ASSERT_EQ(s.width(), 2 * st->Width());
    int uneven = 0;
    for (int y = 2 * b; y < 2 * (b + ih); y += 2)
        for (int x = 0; x < 2 * iw; x += 2) {
            const int sx = 2 * b + x;
            const QRgb c = s.pixel(sx, y);
            if ((c | 0xFF000000u) != navy) ink2[size_t(x)] = true;
            if ((s.pixel(sx + 1, y) | 0xFF000000u) != navy) ink2[size_t(x + 1)] = true;
            uneven += s.pixel(sx + 1, y) != c || s.pixel(sx, y + 1) != c || s.pixel(sx + 1, y + 1) != c;
            if ((s.pixel(sx, y + 1) | 0xFF000000u) != navy) ink2[size_t(x)] = true;
            if ((s.pixel(sx + 1, y + 1) | 0xFF000000u) != navy) ink2[size_t(x + 1)] = true;
        }
    EXPECT_GT(uneven, 200);

    const auto words1 = InkRuns(ink1, 4), words2 = InkRuns(ink2, 8);
    ASSERT_GT(words1.size(), 3u);
    ASSERT_EQ(words2.size(), words1.size());
    for (size_t i = 0; i < words1.size(); ++i) {
        EXPECT_NEAR(words2[i].first, 2 * words1[i].first, 3) << "word " << i;
        EXPECT_NEAR(words2[i].second, 2 * words1[i].second, 3) << "word " << i;
    }
}

TEST_F(TickerWindow, SettingsFileIsAppliedAndTheLeftEdgeIsAlwaysTwo)
{
    TSettingsRecord r;
    r.Left = 500;
    r.Top = 123;
    r.Style = 2;
    r.TextColor = clRed;
    r.BackColor = clGreen;
    r.Steps = 777;
    r.FontSize = 20;
    r.Text = QStringLiteral("Бегущая строка");
    r.FontName = QStringLiteral("Arial");
    r.Charset = RUSSIAN_CHARSET;
    WriteFile(FormatSettingsRecord(r));
    auto w = Start();
    EXPECT_EQ(w->Left(), 2);
    EXPECT_EQ(w->Top(), 123);
    EXPECT_EQ(w->FormStyle(), TFormStyle::fsStayOnTop);
    TFxScrollText* st = w->FxScrollText1;
    EXPECT_EQ(st->Font()->Color(), clRed);
    EXPECT_EQ(st->Color(), clGreen);
    EXPECT_EQ(st->Steps(), 777);
    EXPECT_EQ(st->Font()->Size(), 20);
    EXPECT_EQ(st->Font()->Height(), -27);
    EXPECT_EQ(w->Height(), 37);
    EXPECT_EQ(st->Font()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(st->Font()->Charset(), RUSSIAN_CHARSET);
    ASSERT_EQ(st->Lines()->Count(), 1);
    EXPECT_EQ(st->Lines()->Get(0), QStringLiteral("Бегущая строка"));
    EXPECT_TRUE(st->Scroll());
}

TEST_F(TickerWindow, OnlyStyleDigitOneGivesANormalWindow)
{
    for (char digit : {'0', '1', '2', '9'}) {
        QByteArray rec = FormatSettingsRecord(TSettingsRecord());
        rec[8] = digit;
        WriteFile(rec);
        auto w = Start();
        EXPECT_EQ(w->FormStyle(), digit == '1' ? TFormStyle::fsNormal : TFormStyle::fsStayOnTop) << digit;
    }
}

TEST_F(TickerWindow, TruncatedFileKeepsTheDesignedValuesOfWhatWasNotRead)
{
    WriteFile(QByteArray("00100050"));  // left and top only
    auto w = Start();
    EXPECT_EQ(w->Top(), 50);
    EXPECT_EQ(w->FormStyle(), TFormStyle::fsNormal);
    EXPECT_EQ(w->Height(), 29);
    EXPECT_EQ(w->FxScrollText1->Color(), clNavy);
    EXPECT_EQ(w->FxScrollText1->Font()->Color(), clYellow);
    EXPECT_EQ(w->FxScrollText1->Lines()->Get(0), DesignedLine);
    EXPECT_TRUE(w->FxScrollText1->Scroll());
}

TEST_F(TickerWindow, EmptyFileGivesTheDesignedTickerNotAnInvisibleStrip)
{
    WriteFile(QByteArray());
    auto w = Start();
    EXPECT_EQ(w->Height(), 29);
    EXPECT_EQ(w->Top(), 606);
    EXPECT_EQ(w->FxScrollText1->Color(), clNavy);
    EXPECT_EQ(w->FxScrollText1->Font()->Color(), clYellow);
}

TEST_F(TickerWindow, PlacementRuleTakesTheAbsoluteFontHeight)
{
    auto w = Start();
    for (int h : {-19, 19}) {
        w->FxScrollText1->Font()->SetHeight(h);
        w->SetBounds(700, w->Top(), 100, 5);
        w->ApplyPlacement();
        EXPECT_EQ(w->Height(), 29) << h;
        EXPECT_EQ(w->Left(), 2);
        EXPECT_EQ(w->Width(), ScreenWidth() - 4);
    }
}

TEST_F(TickerWindow, LeftDragMovesTheWindowVerticallyByThePointersTravelWithoutBounds)
{
    auto w = Start();
    TFxScrollText* st = w->FxScrollText1;
    w->SetTop(300);
    const int x = 400;
    st->DispatchMouseDown(TMouseButton::mbLeft, ssLeft, x, 10, TPoint(x + 2, 310));
    EXPECT_EQ(w->PressPoint(), TPoint(x, 10));
    st->DispatchMouseMove(ssLeft, x + 50, 10 - 40, TPoint(x + 52, 270));
    EXPECT_EQ(w->Top(), 260);
    EXPECT_EQ(w->Left(), 2);  // never sideways
    st->DispatchMouseMove(ssLeft, x, 10 - 700, TPoint(x + 2, -390));
    EXPECT_EQ(w->Top(), -400);  // dragged above the screen's top
    st->DispatchMouseMove(ssLeft, x, 10 + 100, TPoint(x + 2, 410));
    EXPECT_EQ(w->Top(), 400);
    st->DispatchMouseUp(TMouseButton::mbLeft, 0, x, 110, TPoint(x + 2, 410));
    // Without the left button moves do nothing.
    st->DispatchMouseMove(0, x, 200, TPoint(x + 2, 700));
    EXPECT_EQ(w->Top(), 400);
}

// Two monitors side by side, the right one taller, and two stacked: a Top saved on the taller
// one, or a strip dragged wholly off, is brought back onto the monitor that holds x = 2.
struct StartupTopCase {
    int top;
    std::vector<TRect> monitors;
    int expected;
};

class StartupTopTable : public ::testing::TestWithParam<StartupTopCase> {};

TEST_P(StartupTopTable, OnlyAStripWhollyOffEveryMonitorIsMovedToTheNearerEdge)
{
    const StartupTopCase& c = GetParam();
    EXPECT_EQ(StartupTop(Bounds(2, c.top, 1916, 29), c.monitors), c.expected) << c.top;
}

const std::vector<TRect> SideBySide = {TRect(0, 0, 1920, 1080), TRect(1920, 0, 3840, 1200)};
const std::vector<TRect> Stacked = {TRect(0, 0, 1920, 1080), TRect(0, 1080, 1920, 2280)};

INSTANTIATE_TEST_SUITE_P(Monitors, StartupTopTable,
                         ::testing::Values(StartupTopCase{1100, SideBySide, 1080 - 29},  // below
                                           StartupTopCase{-29, SideBySide, 0},  // above
                                           StartupTopCase{-28, SideBySide, -28},  // one row shows
                                           StartupTopCase{1079, SideBySide, 1079},
                                           StartupTopCase{3000, Stacked, 2280 - 29},
                                           StartupTopCase{1070, Stacked, 1070}));

TEST_F(TickerWindow, AStripSavedBelowEveryMonitorStartsOnTheScreen)
{
    TSettingsRecord r;
    r.Top = 3000;
    WriteFile(FormatSettingsRecord(r));
    auto w = Start();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w->Top(), screen.y() + screen.height() - 29);
    EXPECT_EQ(w->Width(), screen.width() - 4);
}

TEST_F(TickerWindow, RightPressRecordsThePressPointToo)
{
    auto w = Start();
    TFxScrollText* st = w->FxScrollText1;
    st->DispatchMouseDown(TMouseButton::mbRight, ssRight, 33, 7, TPoint(35, 613));
    EXPECT_EQ(w->PressPoint(), TPoint(33, 7));
    st->DispatchMouseUp(TMouseButton::mbRight, 0, 33, 7, TPoint(35, 613));
    st->DispatchMouseDown(TMouseButton::mbLeft, ssLeft, 50, 3, TPoint(52, 609));
    EXPECT_EQ(w->PressPoint(), TPoint(50, 3));
    st->DispatchMouseUp(TMouseButton::mbLeft, 0, 50, 3, TPoint(52, 609));
}

TEST_F(TickerWindow, MenuHoldsSettingsAndExitWithTheirIcons)
{
    auto w = Start();
    TPopupMenu* menu = w->FxScrollText1->PopupMenu();
    ASSERT_EQ(menu, w->PopupMenu1);
    ASSERT_EQ(menu->Count(), 2);
    EXPECT_EQ(menu->Items(0)->Caption(), QStringLiteral("Параметры"));
    EXPECT_EQ(menu->Items(1)->Caption(), QStringLiteral("Выход"));
    ASSERT_NE(menu->Images(), nullptr);
    for (int i = 0; i < 2; ++i) {
        const QPixmap icon = menu->Images()->Image(menu->Items(i)->ImageIndex());
        ASSERT_FALSE(icon.isNull()) << i;
        EXPECT_EQ(icon.size(), QSize(16, 16));
        EXPECT_TRUE(icon.hasAlphaChannel());
        // A screen scaled by two gets the picture drawn for it, not the small one enlarged.
        const QPixmap fine = menu->Images()->Icon(menu->Items(i)->ImageIndex()).pixmap(QSize(16, 16), 2.0);
        EXPECT_EQ(fine.size(), QSize(32, 32));
        EXPECT_NE(fine.toImage(), icon.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).toImage());
    }
}

TEST_F(TickerWindow, ExitWritesTheFileThatTheNextStartReadsBack)
{
    {
        auto w = Start();
        w->SetTop(-5);
        w->SetFormStyle(TFormStyle::fsStayOnTop);
        w->FxScrollText1->SetColor(clMaroon);
        w->FxScrollText1->Font()->SetColor(clAqua);
        w->FxScrollText1->SetSteps(1234);
        w->FxScrollText1->Font()->SetSize(9);
        w->FxScrollText1->Font()->SetName(QStringLiteral("DejaVu Sans"));
        w->FxScrollText1->Lines()->Clear();
        w->FxScrollText1->Lines()->Add(QStringLiteral("Новости дня"));
        w->N2->Click();
        ASSERT_EQ(exitCodes, std::vector<int>{0});
        EXPECT_TRUE(saveErrors.empty());
    }
    QFile f(Cfg());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), SettingsRecordSize);
    EXPECT_EQ(bytes.left(8), QByteArray("0002-005"));
    auto w = Start();
    EXPECT_EQ(w->Top(), -5);
    EXPECT_EQ(w->FormStyle(), TFormStyle::fsStayOnTop);
    EXPECT_EQ(w->FxScrollText1->Color(), clMaroon);
    EXPECT_EQ(w->FxScrollText1->Font()->Color(), clAqua);
    EXPECT_EQ(w->FxScrollText1->Steps(), 1234);
    EXPECT_EQ(w->FxScrollText1->Font()->Size(), 9);
    EXPECT_EQ(w->FxScrollText1->Font()->Name(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(w->FxScrollText1->Lines()->Get(0), QStringLiteral("Новости дня"));
}

TEST_F(TickerWindow, FailedSaveKeepsThePreviousFileTellsTheUserAndExitsNonZero)
{
    const QByteArray previous = FormatSettingsRecord(TSettingsRecord());
    WriteFile(previous);
    auto w = Start();
    w->FxScrollText1->SetSteps(999);
    SetSettingsFileFault(sfsWrite, ENOSPC);
    w->N2->Click();
    SetSettingsFileFault(sfsNone, 0);
    EXPECT_EQ(exitCodes, std::vector<int>{1});
    ASSERT_EQ(saveErrors.size(), 1u);
    EXPECT_TRUE(saveErrors[0].contains(QStringLiteral("tirlink.cfg")));
    QFile f(Cfg());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), previous);
}

}  // namespace
