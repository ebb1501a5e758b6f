// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "app/tirlink.h"

#include "app/config.h"
#include "foundation/fxbevel.h"
#include "platform/dialogs.h"
#include "scrolltext/fxscrolltext.h"

#include <QIcon>
#include <QPixmap>
#include <cstdlib>

TFtirlink* Ftirlink = nullptr;

namespace {
const char* const DesignedLine = "Для вызова меню нажмите правую кнопку мыши на панели Тирлинка.";
}

TFtirlink::TFtirlink(TComponent* AOwner) : TForm(AOwner)
{
    // The designed layout: properties set while loading, then Loaded in creation order.
    TLayoutLoader layout(this);
    SetName(QStringLiteral("Ftirlink"));
    SetBounds(51, 606, 911, 33);
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetCaption(QStringLiteral("Ftirlink"));
    // The caption stays the designed one; assistive tools are told the program's title.
    Widget()->setAccessibleName(QStringLiteral("Тирлинк"));
    SetColor(clBtnFace);
    SetFormStyle(TFormStyle::fsNormal);
    SetIcon(QIcon(ReadPng(QStringLiteral(":/tirlink.png"))));

    ImageList1 = layout.Track(new TImageList(this));
    ImageList1->SetName(QStringLiteral("ImageList1"));
    ImageList1->Add(ReadPngIcon(QStringLiteral(":/menu_settings.png")));
    ImageList1->Add(ReadPngIcon(QStringLiteral(":/menu_exit.png")));

    PopupMenu1 = layout.Track(new TPopupMenu(this));
    PopupMenu1->SetName(QStringLiteral("PopupMenu1"));
    PopupMenu1->SetImages(ImageList1);
    N1 = layout.Track(new TMenuItem(this));
    N1->SetName(QStringLiteral("N1"));
    N1->SetCaption(QStringLiteral("Параметры"));
    N1->SetImageIndex(0);
    N1->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
    N2 = layout.Track(new TMenuItem(this));
    N2->SetName(QStringLiteral("N2"));
    N2->SetCaption(QStringLiteral("Выход"));
    N2->SetImageIndex(1);
    N2->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    PopupMenu1->Add(N1);
    PopupMenu1->Add(N2);

    FxScrollText1 = layout.Track(new TFxScrollText(this));
    FxScrollText1->SetName(QStringLiteral("FxScrollText1"));
    FxScrollText1->SetParent(this);
    FxScrollText1->SetBounds(0, 0, 911, 33);
    FxScrollText1->SetAlign(TAlign::alClient);
    FxScrollText1->SetDirection(TFxScrollDirection::sdRightToLeft);
    FxScrollText1->SetScrollMode(TFxScrollMode::smTicker);
    FxScrollText1->SetSteps(300);
    FxScrollText1->SetInterval(1);
    // Text for people to read: it moves the same distance on every refresh of the display.
    FxScrollText1->SetFollowDisplay(true);
    FxScrollText1->Lines()->Clear();
    FxScrollText1->Lines()->Add(QString::fromUtf8(DesignedLine));
    FxScrollText1->SetColor(clNavy);
    FxScrollText1->SetParentColor(false);
    FxScrollText1->Font()->SetName(QStringLiteral("Times New Roman"));
    FxScrollText1->Font()->SetHeight(-19);
    FxScrollText1->Font()->SetColor(clYellow);
    FxScrollText1->Font()->SetStyle(0);
    FxScrollText1->Font()->SetCharset(DEFAULT_CHARSET);
    FxScrollText1->Bevel()->SetMode(TFxBevelMode::bmCustom);
    FxScrollText1->SetPopupMenu(PopupMenu1);
    FxScrollText1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        start_move(s, b, sh, x, y);
    };
    FxScrollText1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { move_mouse(s, sh, x, y); };

    OnCreate = [this](TObject* s) { StartScroll(s); };
    layout.Finish();

    ExitProgram = [](int code) {
        // The settings are on disk (or the user was told they are not): end now, as the
        // program always did, without running the rest of the message loop.
        std::exit(code);
    };
    ReportSaveError = ShowSaveError;
}

TFtirlink::~TFtirlink()
{
    Destroying();
    if (Ftirlink == this) Ftirlink = nullptr;
}

void TFtirlink::StartScroll(TObject*)
{
    ReadSettings();
    ApplyPlacement();
    const int top = StartupTop(BoundsRect(), Screen->MonitorRects());
    if (top != Top()) {
        SetTop(top);
        ApplyPlacement();  // the width of the monitor it now stands on
    }
    FxScrollText1->SetScroll(true);
}

void TFtirlink::ReadSettings()
{
    const TSettingsRead read = ReadSettingsFile(SettingsPath);
    if (!read.Opened) return;  // no file: the designed values stay
    ApplySettings(PlanSettingsApply(read));
}

void TFtirlink::ApplySettings(const TSettingsApply& a)
{
    if (a.Left || a.Top) SetBounds(a.Left.value_or(Left()), a.Top.value_or(Top()), Width(), Height());
    if (a.StayOnTop) SetFormStyle(*a.StayOnTop ? TFormStyle::fsStayOnTop : TFormStyle::fsNormal);
    TFont* font = FxScrollText1->Font();
    if (a.TextColor) font->SetColor(*a.TextColor);
    if (a.BackColor) FxScrollText1->SetColor(*a.BackColor);
    if (a.Steps) FxScrollText1->SetSteps(*a.Steps);
    if (a.FontSize) font->SetSize(*a.FontSize);
    if (a.FontName) font->SetName(*a.FontName);
    if (a.Charset) font->SetCharset(*a.Charset);
    if (a.Line) {
        TStrings* lines = FxScrollText1->Lines();
        lines->Clear();
        lines->Add(*a.Line);
    }
}

TSettingsRecord TFtirlink::CollectSettings() const
{
    TSettingsRecord r;
    r.Left = Left();
    r.Top = Top();
    r.Style = FormStyle() == TFormStyle::fsNormal ? 1 : 2;
    const TFont* font = FxScrollText1->Font();
    r.TextColor = font->Color();
    r.BackColor = FxScrollText1->Color();
    r.Steps = FxScrollText1->Steps();
    r.FontSize = font->Size();
    r.Text = FxScrollText1->Lines()->Count() > 0 ? FxScrollText1->Lines()->Get(0) : QString();
    r.FontName = font->Name();
    r.Charset = font->Charset();
    return r;
}

void TFtirlink::ApplyPlacement()
{
    const int fontHeight = FxScrollText1->Font()->Height();
    const int height = (fontHeight < 0 ? -fontHeight : fontHeight) + 10;
    SetBounds(2, Top(), Width(), height);
    const TRect monitor = MonitorRect();
    SetBounds(2, Top(), monitor.Width() - 4, height);
}

int StartupTop(const TRect& strip, const std::vector<TRect>& monitors)
{
    const int top = strip.Top, height = strip.Height();
    const TRect* home = nullptr;
    int homeDistance = 0;
    for (const TRect& m : monitors) {
        if (strip.Left < m.Right && strip.Right > m.Left && top < m.Bottom && strip.Bottom > m.Top) return top;
        if (m.Left > 2 || m.Right <= 2) continue;
        const int distance = top >= m.Bottom ? top - m.Bottom : m.Top - (top + height);
        if (!home || distance < homeDistance) {
            home = &m;
            homeDistance = distance;
        }
    }
    if (!home) return top;
    return top >= home->Bottom ? home->Bottom - height : home->Top;
}

void TFtirlink::start_move(TObject*, TMouseButton, TShiftState, int X, int Y)
{
    m_press = TPoint(X, Y);
    m_pressScreenY = MouseCursorPos().Y;
    m_topAtPress = Top();
}

void TFtirlink::move_mouse(TObject*, TShiftState Shift, int, int)
{
    if (!(Shift & ssLeft)) return;
    // The window system applies a move a little later than asked, so positions inside the
    // window lag behind it; the pointer's travel on the screen since the press is exact.
    const int d = MouseCursorPos().Y - m_pressScreenY;
    const int top = m_topAtPress + d;
    if (top != Top()) SetTop(top);
}

void TFtirlink::SpeedButton2Click(TObject*)
{
    if (!Fconfig) return;
    if (Fconfig->Visible()) Fconfig->BringToFront();
    else Fconfig->Show();
}

void TFtirlink::SpeedButton1Click(TObject*)
{
    // The Top saved is where the window stands, not where it was last asked to go.
    FollowWindowPosition();
    QString error;
    if (!WriteSettingsFile(SettingsPath, CollectSettings(), &error)) {
        if (ReportSaveError) ReportSaveError(error);
        if (ExitProgram) ExitProgram(1);
        return;
    }
    if (ExitProgram) ExitProgram(0);
}

void ShowSaveError(const QString& reason)
{
    // Also on the error stream, for whoever started the program from a terminal or a script.
    fprintf(stderr, "%s\n", reason.toUtf8().constData());
    ShowErrorBox(QStringLiteral("Тирлинк"), reason);
}
