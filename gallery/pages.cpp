// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The gallery's pages. Sections:
//   1. Page scaffolding: samples, cycle buttons, sliders
//   2. Scroll text: four directions, style, Steps, Interval and the four timer kinds
//   3. Marquee: several lines, alignment, <b> markup
//   3a. Following the display: the same ticker with frames per refresh and per tick
//   4. 3D text: every style with its depths, colours and orientations
//   5. Bevels: every mode and style
//   6. Fills and gradients
//   7. Bitmap effects on a picture
//   8. Transparency over a patterned parent, and the hyperlink labels
#include "gallery/gallery.h"

#include "foundation/fxbevel.h"
#include "foundation/fxbitmapeffectobject.h"
#include "foundation/fxfillobject.h"
#include "foundation/fxgradient.h"
#include "hyperlink/lkhyperctrls.h"
#include "platform/extctrls_timer.h"
#include "scrolltext/fx3dcaption.h"
#include "scrolltext/fxscrolltext.h"
#include "scrolltext/fxtextutils.h"

#include <QElapsedTimer>
#include <QPainter>

#include <array>
#include <memory>

// =============================================================================================
// 1. Page scaffolding
// =============================================================================================
TGallerySample::TGallerySample(TWinControl* AParent, const TRect& Bounds, TPaintFn PaintFn)
    : TGraphicControl(AParent), m_paint(std::move(PaintFn))
{
    SetParent(AParent);
    SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
}

void TGallerySample::Paint()
{
    m_paint(Canvas(), TRect(0, 0, Width(), Height()));
}

TGalleryPage::TGalleryPage(TWinControl* AParent, const TRect& Bounds) : m_panel(new TPanel(AParent))
{
    m_panel->SetParent(AParent);
    m_panel->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    m_panel->SetBevelOuter(TBevelCut::bvLowered);
}

TBitBtn* TGalleryPage::AddCycle(int X, int Y, int W, const QString& Label, const QStringList& Values,
                                std::function<void(int)> Apply, int Start)
{
    auto* button = new TBitBtn(m_panel);
    button->SetParent(m_panel);
    button->SetBounds(X, Y, W, 28);
    auto index = std::make_shared<int>(Start);
    button->SetCaption(Label + QStringLiteral(": ") + Values.value(Start));
    button->OnClick = [=](TObject*) {
        *index = (*index + 1) % int(Values.size());
        button->SetCaption(Label + QStringLiteral(": ") + Values.value(*index));
        Apply(*index);
    };
    return button;
}

TTrackBar* TGalleryPage::AddSlider(int X, int Y, const QString& Label, int Min, int Max, int Position,
                                   std::function<void(int)> Apply)
{
    TLabel* label = AddLabel(X, Y + 6, 150, QStringLiteral("%1: %2").arg(Label).arg(Position));
    auto* bar = new TTrackBar(m_panel);
    bar->SetParent(m_panel);
    bar->SetBounds(X + 150, Y, 200, 30);
    bar->SetMin(Min);
    bar->SetMax(Max);
    bar->SetFrequency(std::max(1, (Max - Min) / 10));
    bar->SetPosition(Position);
    bar->OnChange = [=](TObject*) {
        label->SetCaption(QStringLiteral("%1: %2").arg(Label).arg(bar->Position()));
        Apply(bar->Position());
    };
    return bar;
}

TLabel* TGalleryPage::AddLabel(int X, int Y, int W, const QString& Caption)
{
    auto* label = new TLabel(m_panel);
    label->SetParent(m_panel);
    label->SetAutoSize(false);   // the page's columns give each label its width
    label->SetBounds(X, Y, W, 18);
    label->SetCaption(Caption);
    return label;
}

TGallerySample* TGalleryPage::AddSample(const TRect& Bounds, TGallerySample::TPaintFn PaintFn)
{
    m_samples.push_back(new TGallerySample(m_panel, Bounds, std::move(PaintFn)));
    return m_samples.back();
}

void TGalleryPage::RepaintSamples()
{
    for (TGallerySample* s : m_samples) s->Invalidate();
}

namespace {

// A cell of a grid of samples with a caption strip beneath.
TRect Cell(int Index, int Columns, int W, int H, int Top = 8)
{
    const int x = 8 + (Index % Columns) * (W + 8), y = Top + (Index / Columns) * (H + 8);
    return TRect(x, y, x + W, y + H);
}

void Caption(TCanvas* Canvas, const TRect& R, const QString& Text, TColor Color = clBlack)
{
    Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas->Font()->SetName(QStringLiteral("DejaVu Sans"));
    Canvas->Font()->SetColor(Color);
    // A long caption takes a smaller size rather than being cut at the cell's edges.
    for (int height = -11; height <= -8; ++height) {
        Canvas->Font()->SetHeight(height);
        if (Canvas->TextWidth(Text) <= R.Width() - 2) break;
    }
    TRect r = R;
    Canvas->DrawTextEx(Text, r, DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}

TFxScrollText* NewScrollText(TWinControl* Parent, const TRect& R, TFxScrollMode Mode, TFxScrollDirection Direction,
                             const QStringList& Lines)
{
    auto* text = new TFxScrollText(Parent);
    text->SetParent(Parent);
    text->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    text->SetScrollMode(Mode);
    text->SetDirection(Direction);
    text->SetColor(clNavy);
    text->SetParentColor(false);
    text->Font()->SetName(QStringLiteral("Liberation Serif"));
    text->Font()->SetHeight(-20);
    text->Font()->SetColor(clYellow);
    text->Lines()->Clear();
    for (const QString& line : Lines) text->Lines()->Add(line);
    return text;
}

const QStringList TimerNames = {QStringLiteral("window timer"), QStringLiteral("pooled timer"),
                                QStringLiteral("high-resolution"), QStringLiteral("thread")};

// =============================================================================================
// 2. Scroll text
// =============================================================================================
class TScrollPage : public TGalleryPage {
public:
    TScrollPage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds)
    {
        struct Spec { TRect r; TFxScrollMode mode; TFxScrollDirection dir; QString text; };
        const Spec specs[4] = {
            {{8, 8, 390, 48}, TFxScrollMode::smTicker, TFxScrollDirection::sdRightToLeft, QStringLiteral("Right to left <b>ticker</b>")},
            {{400, 8, 782, 48}, TFxScrollMode::smTicker, TFxScrollDirection::sdLeftToRight, QStringLiteral("Left to right <b>ticker</b>")},
            {{8, 90, 390, 290}, TFxScrollMode::smMarquee, TFxScrollDirection::sdBottomToTop, QStringLiteral("Bottom to <b>top</b>")},
            {{400, 90, 782, 290}, TFxScrollMode::smMarquee, TFxScrollDirection::sdTopToBottom, QStringLiteral("Top to <b>bottom</b>")},
        };
        for (int i = 0; i < 4; ++i) {
            const Spec& s = specs[i];
            m_texts[i] = NewScrollText(m_panel, s.r, s.mode, s.dir, {s.text});
            m_texts[i]->SetSteps(m_steps);
            m_texts[i]->SetInterval(m_interval);
            m_texts[i]->SetTimerMode(TFxTimerMode(i));
            m_texts[i]->OnScroll = [this, i](TObject*) { ++m_ticks[i]; };
            const int y = s.r.Bottom + 6;
            m_rates[i] = AddLabel(s.r.Left, y + 6, 200, QString());
            AddCycle(s.r.Left + 200, y, 182, QStringLiteral("Timer"), TimerNames, [this, i](int v) {
                m_texts[i]->SetTimerMode(TFxTimerMode(v));
                Restart(i);
            }, i);
        }
        AddCycle(8, 340, 250, QStringLiteral("Style"), {QStringLiteral("loop"), QStringLiteral("loop, reverse"), QStringLiteral("once")},
                 [this](int v) {
                     for (int i = 0; i < 4; ++i) m_texts[i]->SetScrollStyle(TFxScrollStyle(v));
                     RestartAll();
                 });
        AddCycle(270, 340, 250, QStringLiteral("3D style"), {QStringLiteral("none"), QStringLiteral("raised shadow"), QStringLiteral("outline")},
                 [this](int v) {
                     const TFxThreeDStyle styles[] = {TFxThreeDStyle::tdNone, TFxThreeDStyle::tdRaisedShadow, TFxThreeDStyle::tdOutline};
                     for (TFxScrollText* t : m_texts) {
                         t->Font3D()->SetShadowColor(clBlack);
                         t->Font3D()->SetStyle(styles[v]);
                     }
                 });
        AddSlider(8, 380, QStringLiteral("Steps"), 20, 600, m_steps, [this](int v) {
            m_steps = v;
            for (TFxScrollText* t : m_texts) t->SetSteps(v);
            RestartAll();
        });
        AddSlider(8, 420, QStringLiteral("Interval (ms)"), 1, 200, m_interval, [this](int v) {
            m_interval = v;
            for (TFxScrollText* t : m_texts) t->SetInterval(TFxTimerInterval(v));
            RestartAll();
        });
        AddLabel(8, 460, 770, QStringLiteral("Ticks per second are measured over the last second. The window timer ticks at most every "
                                             "16 ms, a pooled timer every multiple of 50 ms."));
        m_meter = new TTimer(m_panel);
        m_meter->SetInterval(1000);
        m_meter->SetOnTimer([this](TObject*) { ShowRates(); });
    }

    void Shown() override
    {
        RestartAll();
        m_meter->SetEnabled(true);
    }
    void Hidden() override
    {
        m_meter->SetEnabled(false);
        for (TFxScrollText* t : m_texts) t->Stop();
    }

private:
    void Restart(int i)
    {
        m_texts[i]->SetScroll(false);
        m_texts[i]->SetScroll(true);
        m_ticks[i] = 0;
        m_clock.start();
    }
    void RestartAll()
    {
        for (int i = 0; i < 4; ++i) Restart(i);
    }
    void ShowRates()
    {
        const double seconds = std::max<qint64>(1, m_clock.restart()) / 1000.0;
        for (int i = 0; i < 4; ++i) {
            m_rates[i]->SetCaption(QStringLiteral("%1: %2 ticks/s")
                                       .arg(TimerNames[int(m_texts[i]->TimerMode())])
                                       .arg(m_ticks[i] / seconds, 0, 'f', 1));
            m_ticks[i] = 0;
        }
    }

    std::array<TFxScrollText*, 4> m_texts{};
    std::array<TLabel*, 4> m_rates{};
    std::array<long, 4> m_ticks{};
    QElapsedTimer m_clock;
    TTimer* m_meter;
    int m_steps = 150;
    int m_interval = 16;
};

// =============================================================================================
// 3. Marquee
// =============================================================================================
class TMarqueePage : public TGalleryPage {
public:
    TMarqueePage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds)
    {
        m_text = NewScrollText(m_panel, {8, 8, 782, 340}, TFxScrollMode::smMarquee, TFxScrollDirection::sdBottomToTop,
                               {QStringLiteral("<b>Marquee mode</b>"), QStringLiteral("every line on a row of its own,"),
                                QStringLiteral("aligned left, centred or right;"), QStringLiteral("<b>bold markup runs on"),
                                QStringLiteral("across lines</b> until it is closed."), QString(),
                                QStringLiteral("The block of lines enters from one side"), QStringLiteral("and leaves on the other.")});
        m_text->SetSteps(300);
        m_text->SetInterval(20);
        AddCycle(8, 360, 240, QStringLiteral("Alignment"), {QStringLiteral("centre"), QStringLiteral("left"), QStringLiteral("right")},
                 [this](int v) {
                     const TAlignment a[] = {TAlignment::taCenter, TAlignment::taLeftJustify, TAlignment::taRightJustify};
                     m_text->SetAlignment(a[v]);
                 });
        AddCycle(256, 360, 260, QStringLiteral("Direction"),
                 {QStringLiteral("bottom to top"), QStringLiteral("left to right"), QStringLiteral("right to left"), QStringLiteral("top to bottom")},
                 [this](int v) {
                     m_text->SetDirection(TFxScrollDirection(v));
                     Shown();
                 });
        AddCycle(524, 360, 258, QStringLiteral("Style"), {QStringLiteral("loop"), QStringLiteral("loop, reverse"), QStringLiteral("once")},
                 [this](int v) {
                     m_text->SetScrollStyle(TFxScrollStyle(v));
                     Shown();
                 });
        AddSlider(8, 400, QStringLiteral("Steps"), 50, 800, 300, [this](int v) {
            m_text->SetSteps(v);
            Shown();
        });
    }
    void Shown() override
    {
        m_text->SetScroll(false);
        m_text->SetScroll(true);
    }
    void Hidden() override { m_text->Stop(); }

private:
    TFxScrollText* m_text;
};

// =============================================================================================
// 3a. Following the display
// =============================================================================================
// The same ticker twice, one above the other: above, frames follow the display's refreshes;
// below, one frame per tick of the timer, as without FollowDisplay.
class TDisplayPage : public TGalleryPage {
public:
    TDisplayPage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds)
    {
        const QString line = QStringLiteral("The same <b>ticker</b>, at the same pace: watch how evenly each one moves.");
        const QString captions[2] = {
            QStringLiteral("FollowDisplay on: a frame on every refresh of the display, the same distance each time"),
            QStringLiteral("FollowDisplay off: a frame on every tick of the timer, whenever the display shows it")};
        for (int i = 0; i < 2; ++i) {
            AddLabel(8, 8 + 70 * i, 774, captions[i]);
            m_texts[i] = NewScrollText(m_panel, {8, 30 + 70 * i, 782, 62 + 70 * i}, TFxScrollMode::smTicker,
                                       TFxScrollDirection::sdRightToLeft, {line});
            m_texts[i]->SetSteps(300);
            m_texts[i]->SetInterval(1);
            m_texts[i]->SetFollowDisplay(i == 0);
        }
        AddSlider(8, 160, QStringLiteral("Steps"), 50, 800, 300, [this](int v) {
            for (TFxScrollText* t : m_texts) t->SetSteps(v);
            Shown();
        });
        AddLabel(8, 200, 774, QStringLiteral("Both step once per tick of a 16 ms timer. On a display that refreshes 60 times "
                                             "a second the lower one now and then"));
        AddLabel(8, 220, 774, QStringLiteral("moves twice as far; at 144 it stands still on more than half of the refreshes."));
    }
    void Shown() override
    {
        // Started together, so that the two stand side by side.
        for (TFxScrollText* t : m_texts) t->SetScroll(false);
        for (TFxScrollText* t : m_texts) t->SetScroll(true);
    }
    void Hidden() override
    {
        for (TFxScrollText* t : m_texts) t->Stop();
    }

private:
    std::array<TFxScrollText*, 2> m_texts{};
};

// =============================================================================================
// 4. 3D text
// =============================================================================================
class TTextPage : public TGalleryPage {
public:
    TTextPage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds)
    {
        const QStringList names = {QStringLiteral("none"), QStringLiteral("sunken"), QStringLiteral("raised"),
                                   QStringLiteral("sunken shadow"), QStringLiteral("raised shadow"), QStringLiteral("colour sunken"),
                                   QStringLiteral("colour raised"), QStringLiteral("shadow"), QStringLiteral("outline"),
                                   QStringLiteral("extrude"), QStringLiteral("extrude, shaded")};
        for (int i = 0; i < names.size(); ++i) {
            auto caption = std::make_shared<TFx3DCaption>();
            caption->SetStyle(TFxThreeDStyle(i));
            m_captions.push_back(caption);
            AddSample(Cell(i, 4, 187, 80), [this, caption, name = names[i]](TCanvas* c, const TRect& r) {
                c->Brush()->SetColor(clSilver);
                c->FillRect(r);
                c->Font()->SetName(QStringLiteral("Liberation Sans"));
                c->Font()->SetHeight(-30);
                c->Font()->SetStyle(fsBold);
                c->Font()->SetColor(m_face);
                FxDrawTextExt(c, QStringLiteral("Tirlink"), caption.get(), TRect(r.Left, r.Top, r.Right, r.Bottom - 14),
                              DT_CENTER | DT_VCENTER | DT_SINGLELINE, DrawTextStyles(TFxDrawTextStyle::dtEnabled));
                c->Font()->SetStyle(0);
                Caption(c, r, name);
            });
        }
        AddCycle(8, 280, 260, QStringLiteral("Orientation"),
                 {QStringLiteral("top left"), QStringLiteral("top right"), QStringLiteral("bottom left"), QStringLiteral("bottom right")},
                 [this](int v) {
                     const TFxThreeDOrientation o[] = {TFxThreeDOrientation::toTopLeft, TFxThreeDOrientation::toTopRight,
                                                       TFxThreeDOrientation::toBottomLeft, TFxThreeDOrientation::toBottomRight};
                     for (auto& c : m_captions) c->SetOrientation(o[v]);
                     RepaintSamples();
                 });
        AddCycle(276, 280, 300, QStringLiteral("Colours"),
                 {QStringLiteral("white and grey"), QStringLiteral("yellow and navy"), QStringLiteral("aqua and maroon")},
                 [this](int v) {
                     const TColor light[] = {clWhite, clYellow, clAqua}, shadow[] = {clGray, clNavy, clMaroon};
                     for (auto& c : m_captions) {
                         c->SetLightColor(light[v]);
                         c->SetShadowColor(shadow[v]);
                     }
                     m_face = v == 0 ? clBlack : v == 1 ? clRed : clBlue;
                     RepaintSamples();
                 });
        AddSlider(8, 320, QStringLiteral("Light depth"), 1, 8, 1, [this](int v) {
            for (auto& c : m_captions) c->SetLightDepth(uint8_t(v));
            RepaintSamples();
        });
        AddSlider(8, 360, QStringLiteral("Shadow depth"), 1, 8, 2, [this](int v) {
            for (auto& c : m_captions) c->SetShadowDepth(uint8_t(v));
            RepaintSamples();
        });
        for (auto& c : m_captions) {
            c->SetLightColor(clWhite);
            c->SetShadowColor(clGray);
            c->SetShadowDepth(2);
        }
    }

private:
    std::vector<std::shared_ptr<TFx3DCaption>> m_captions;
    TColor m_face = clBlack;
};

// =============================================================================================
// 5. Bevels
// =============================================================================================
class TBevelPage : public TGalleryPage {
public:
    TBevelPage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds)
    {
        int n = 0;
        auto add = [&](const QString& name, std::function<void(TFxBevel*)> set) {
            auto bevel = std::make_shared<TFxBevel>();
            set(bevel.get());
            m_bevels.push_back(bevel);
            AddSample(Cell(n++, 6, 122, 56), [bevel, name](TCanvas* c, const TRect& r) {
                c->Brush()->SetColor(clBtnFace);
                c->FillRect(r);
                const TRect inner = bevel->PaintBevel(c, TRect(r.Left + 4, r.Top + 2, r.Right - 4, r.Bottom - 16), false);
                c->Brush()->SetColor(clWhite);
                c->FillRect(inner);
                Caption(c, r, name);
            });
        };
        const QStringList custom = {QStringLiteral("lowered"), QStringLiteral("raised"), QStringLiteral("frame lowered"),
                                    QStringLiteral("frame raised"), QStringLiteral("normal"), QStringLiteral("shadow")};
        for (int i = 0; i < custom.size(); ++i)
            add(QStringLiteral("custom ") + custom[i], [i](TFxBevel* b) {
                b->SetMode(TFxBevelMode::bmCustom);
                b->SetStyleOuter(TFxBevelStyle(i + 1));
                b->SetStyleInner(i == 5 ? TFxBevelStyle::bvShadow : TFxBevelStyle::bvLowered);
                b->SetBorderWidth(2);
                b->SetBorderColor(clTeal);
            });
        const QStringList standard = {QStringLiteral("single"), QStringLiteral("lowered"), QStringLiteral("raised"),
                                      QStringLiteral("raised spb"), QStringLiteral("lowered spb"), QStringLiteral("raised ext"),
                                      QStringLiteral("lowered ext"), QStringLiteral("frame inset"), QStringLiteral("frame offset"),
                                      QStringLiteral("window border"), QStringLiteral("single raised"), QStringLiteral("single lowered"),
                                      QStringLiteral("double raised"), QStringLiteral("double lowered")};
        for (int i = 0; i < standard.size(); ++i)
            add(QStringLiteral("std ") + standard[i], [i](TFxBevel* b) {
                b->SetMode(TFxBevelMode::bmStandard);
                b->SetStandardStyle(TFxBorderStyle(i + 1));
            });
        const QStringList edges = {QStringLiteral("raised inner"), QStringLiteral("raised outer"), QStringLiteral("sunken inner"),
                                   QStringLiteral("sunken outer"), QStringLiteral("bump"), QStringLiteral("etched"),
                                   QStringLiteral("raised"), QStringLiteral("sunken")};
        for (int i = 0; i < edges.size(); ++i)
            add(QStringLiteral("edge ") + edges[i], [i](TFxBevel* b) {
                b->SetMode(TFxBevelMode::bmEdge);
                b->SetEdgeStyle(TFxEdgeStyle(i));
            });
        add(QStringLiteral("windows"), [](TFxBevel* b) { b->SetMode(TFxBevelMode::bmWindows); });

        AddSlider(8, 400, QStringLiteral("Bevel widths"), 1, 8, 1, [this](int v) {
            for (auto& b : m_bevels) {
                b->SetWidthOuter(v);
                b->SetWidthInner(v);
            }
            RepaintSamples();
        });
        AddSlider(8, 440, QStringLiteral("Border bands"), 0, 8, 2, [this](int v) {
            for (auto& b : m_bevels) b->SetBorderWidth(v);
            RepaintSamples();
        });
        AddCycle(400, 400, 300, QStringLiteral("Colours"), {QStringLiteral("system"), QStringLiteral("yellow and maroon")},
                 [this](int v) {
                     for (auto& b : m_bevels) {
                         b->SetLightColor(v ? clYellow : clBtnHighlight);
                         b->SetShadowColor(v ? clMaroon : clBtnShadow);
                     }
                     RepaintSamples();
                 });
    }

private:
    std::vector<std::shared_ptr<TFxBevel>> m_bevels;
};

// A small picture drawn in code, for the fills and the effects.
std::shared_ptr<TBitmap> MakePicture(int W, int H)
{
    auto bmp = std::make_shared<TBitmap>(W, H);
    bmp->SetPixelFormat(TPixelFormat::pf24bit);
    TCanvas* c = bmp->Canvas();
    TFxGradient sky;
    sky.SetColor(clNavy);
    sky.SetEndColor(clAqua);
    sky.Paint(c, TRect(0, 0, W, H), 0);
    c->Brush()->SetColor(clYellow);
    c->Pen()->SetColor(clMaroon);
    c->Ellipse(W / 8, H / 8, W / 2, H * 5 / 8);
    c->Brush()->SetColor(clGreen);
    c->FillRect(TRect(0, H * 3 / 4, W, H));
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(W * 5 / 8, H / 2, W * 7 / 8, H * 3 / 4));
    return bmp;
}

// =============================================================================================
// 6. Fills and gradients
// =============================================================================================
class TFillPage : public TGalleryPage {
public:
    TFillPage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds)
    {
        m_gradient.SetColor(clBlue);
        m_gradient.SetEndColor(clYellow);
        auto picture = MakePicture(40, 28);
        int n = 0;
        auto add = [&](const QString& name, std::function<void(TFxFillObject*)> set, bool gradient) {
            auto fill = std::make_shared<TFxFillObject>();
            set(fill.get());
            m_fills.push_back({fill, gradient});
            AddSample(Cell(n++, 5, 148, 82), [fill, name](TCanvas* c, const TRect& r) {
                c->Brush()->SetColor(clBtnFace);
                c->FillRect(r);
                // Tiles and pictures are not clipped by the fill: it fills an image of exactly
                // the sample's size, as a control's background image is.
                TBitmap area(r.Width() - 4, r.Height() - 18);
                area.SetPixelFormat(TPixelFormat::pf24bit);
                fill->FillCanvas(area.Canvas(), TRect(0, 0, area.Width(), area.Height()), clWhite);
                c->Draw(r.Left + 2, r.Top + 2, &area);
                Caption(c, r, name);
            });
        };
        add(QStringLiteral("brush"), [](TFxFillObject* f) {
            f->Brush()->SetColor(clTeal);
            f->SetFillStyle(TFxFillStyle::sfBrush);
        }, false);
        add(QStringLiteral("hatched brush"), [](TFxFillObject* f) {
            f->Brush()->SetColor(clPurple);
            f->Brush()->SetStyle(TBrushStyle::bsDiagCross);
            f->SetFillStyle(TFxFillStyle::sfBrush);
        }, false);
        add(QStringLiteral("pattern bitmap"), [&](TFxFillObject* f) {
            f->SetBitmap(picture.get());
            f->SetFillStyle(TFxFillStyle::sfBrushBitmap);
        }, false);
        const QStringList tiles = {QStringLiteral("bitmap placed"), QStringLiteral("bitmap centred"), QStringLiteral("bitmap stretched"),
                                   QStringLiteral("bitmap tiled")};
        for (int i = 0; i < tiles.size(); ++i)
            add(tiles[i], [&, i](TFxFillObject* f) {
                f->SetBitmap(picture.get());
                f->SetTileMode(TFxTileMode(i));
                f->SetFillStyle(TFxFillStyle::sfBitmap);
            }, false);
        const QStringList styles = {QStringLiteral("horizontal"), QStringLiteral("vertical"), QStringLiteral("square"),
                                    QStringLiteral("elliptic"), QStringLiteral("top left"), QStringLiteral("top right"),
                                    QStringLiteral("bottom left"), QStringLiteral("bottom right"), QStringLiteral("diagonal top left"),
                                    QStringLiteral("diagonal top right")};
        for (int i = 0; i < styles.size(); ++i)
            add(QStringLiteral("gradient ") + styles[i], [&, i](TFxFillObject* f) {
                f->SetGradient(&m_gradient);
                f->Gradient()->SetStyle(TFxGradientStyle(i));
                f->SetFillStyle(TFxFillStyle::sfGradient);
            }, true);
        AddCycle(8, 460, 300, QStringLiteral("Gradient"),
                 {QStringLiteral("blue to yellow"), QStringLiteral("black to white"), QStringLiteral("red, green, blue")}, [this](int v) {
                     const TColor from[] = {clBlue, clBlack, clRed}, to[] = {clYellow, clWhite, clBlue};
                     m_gradient.SetColor(from[v]);
                     m_gradient.SetEndColor(to[v]);
                     m_gradient.SetKeyColors({clRed, clLime, clBlue});
                     m_gradient.SetTwoColors(v != 2);
                     Apply();
                 });
        AddSlider(8, 500, QStringLiteral("Colours"), 2, 64, 16, [this](int v) {
            m_gradient.SetColorCount(v);
            Apply();
        });
    }

private:
    void Apply()
    {
        for (auto& [fill, gradient] : m_fills) {
            if (!gradient) continue;
            const TFxGradientStyle style = fill->Gradient()->Style();
            fill->SetGradient(&m_gradient);
            fill->Gradient()->SetStyle(style);
        }
        RepaintSamples();
    }

    TFxGradient m_gradient;
    std::vector<std::pair<std::shared_ptr<TFxFillObject>, bool>> m_fills;
};

// =============================================================================================
// 7. Bitmap effects
// =============================================================================================
class TEffectPage : public TGalleryPage {
public:
    TEffectPage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds), m_picture(MakePicture(176, 120))
    {
        const QStringList names = {QStringLiteral("picture"), QStringLiteral("mirrored left to right"),
                                   QStringLiteral("mirrored top to bottom"), QStringLiteral("grey scale"), QStringLiteral("inverted"),
                                   QStringLiteral("brightness"), QStringLiteral("alpha blend with a gradient"),
                                   QStringLiteral("grey, mirrored, brighter")};
        for (int i = 0; i < names.size(); ++i) {
            auto effect = std::make_shared<TFxBitmapEffectObject>();
            switch (i) {
            case 1: effect->SetFlipVertical(true); break;
            case 2: effect->SetFlipHorizontal(true); break;
            case 3: effect->SetGrayScale(true); break;
            case 4: effect->SetInvert(true); break;
            case 5: effect->SetBrightness(80); m_brightness.push_back(effect); break;
            case 6: {
                TFxFillObject fill;
                fill.Gradient()->SetColor(clRed);
                fill.Gradient()->SetEndColor(clWhite);
                fill.Gradient()->SetStyle(TFxGradientStyle::gstElliptic);
                fill.SetFillStyle(TFxFillStyle::sfGradient);
                effect->AlphaBlend()->SetFillObject(&fill);
                m_alpha = effect;
                break;
            }
            case 7:
                effect->SetGrayScale(true);
                effect->SetFlipVertical(true);
                effect->SetBrightness(80);
                m_brightness.push_back(effect);
                break;
            default: break;
            }
            AddSample(Cell(i, 4, 184, 140), [this, effect, name = names[i]](TCanvas* c, const TRect& r) {
                TBitmap work;
                work.Assign(m_picture.get());
                effect->Draw(&work);
                c->Brush()->SetColor(clBtnFace);
                c->FillRect(r);
                c->Draw(r.Left + (r.Width() - work.Width()) / 2, r.Top, &work);
                Caption(c, r, name);
            });
        }
        AddSlider(8, 320, QStringLiteral("Brightness"), -255, 255, 80, [this](int v) {
            for (auto& e : m_brightness) e->SetBrightness(v);
            RepaintSamples();
        });
        AddSlider(8, 360, QStringLiteral("Blend strength %"), 0, 100, 60, [this](int v) {
            m_alpha->AlphaBlend()->SetStrength(v / 100.0f);
            RepaintSamples();
        });
    }

private:
    std::shared_ptr<TBitmap> m_picture;
    std::vector<std::shared_ptr<TFxBitmapEffectObject>> m_brightness;
    std::shared_ptr<TFxBitmapEffectObject> m_alpha;
};

// =============================================================================================
// 8. Transparency and the hyperlink labels
// =============================================================================================
class TLinkPage : public TGalleryPage {
public:
    TLinkPage(TWinControl* AParent, const TRect& Bounds) : TGalleryPage(AParent, Bounds)
    {
        // The patterned parent: a picture control with a checkerboard, the scroll texts on it.
        QPixmap pattern(774, 220);
        pattern.fill(Qt::white);
        {
            QPainter p(&pattern);
            for (int y = 0; y < 220; y += 20)
                for (int x = (y / 20 % 2) * 20; x < 774; x += 40) p.fillRect(x, y, 20, 20, QColor(0, 128, 0));
        }
        m_image = new TImage(m_panel);
        m_image->SetParent(m_panel);
        m_image->SetBounds(8, 8, 774, 220);
        m_image->SetPicture(pattern);
        m_see = NewScrollText(m_image, {20, 30, 754, 90}, TFxScrollMode::smTicker, TFxScrollDirection::sdRightToLeft,
                              {QStringLiteral("<b>See-through</b>: the pattern shows between the letters")});
        m_see->Font()->SetHeight(-36);
        m_see->Font()->SetColor(clRed);
        m_see->SetTransparent(true);
        m_see->SetSteps(300);
        m_see->SetInterval(16);
        m_solid = NewScrollText(m_image, {20, 130, 754, 190}, TFxScrollMode::smTicker, TFxScrollDirection::sdLeftToRight,
                                {QStringLiteral("Opaque: the control paints its own background")});
        m_solid->Font()->SetHeight(-36);
        m_solid->SetSteps(300);
        m_solid->SetInterval(16);
        AddCycle(8, 236, 300, QStringLiteral("Upper text"), {QStringLiteral("see-through"), QStringLiteral("opaque")}, [this](int v) {
            m_see->SetTransparent(v == 0);
            Shown();
        });

        AddLabel(8, 290, 770, QStringLiteral("Hyperlink labels: the pointer over them turns into a hand and the text changes its look."));
        // A link label draws with its own two fonts, one under the pointer and one away from it.
        TFont look;
        look.SetName(QStringLiteral("Liberation Sans"));
        look.SetHeight(-18);
        look.SetStyle(fsBold);
        auto* link = new TLkHyperLink(m_panel);
        link->SetParent(m_panel);
        link->SetBounds(8, 320, 380, 30);
        link->SetCaption(QStringLiteral("A hyperlink label (changes on hover)"));
        // Away from the pointer: white letters outlined in navy on the page's grey; under it:
        // yellow on navy, where the navy outline merges with the background.
        look.SetColor(clWhite);
        link->SetFontLeave(&look);
        look.SetColor(clYellow);
        link->SetFontEnter(&look);
        link->SetColorLeave(clBtnFace);
        link->SetColorEnter(clNavy);
        link->TextOutline()->SetColor(clNavy);
        link->TextOutline()->SetWidth(1);
        auto* web = new TLkWebLabel(m_panel);
        web->SetParent(m_panel);
        web->SetBounds(8, 360, 380, 30);
        web->SetCaption(QStringLiteral("https://www.debian.org/"));
        web->SetURL(QStringLiteral("https://www.debian.org/"));
        web->TextOutline()->SetVisible(false);
        look.SetStyle(fsUnderline);
        look.SetColor(clBlue);
        web->SetFontLeave(&look);
        look.SetColor(clRed);
        web->SetFontEnter(&look);
        web->SetColorLeave(clBtnFace);
        web->SetColorEnter(clAqua);
    }
    void Shown() override
    {
        for (TFxScrollText* t : {m_see, m_solid}) {
            t->SetScroll(false);
            t->SetScroll(true);
        }
    }
    void Hidden() override
    {
        m_see->Stop();
        m_solid->Stop();
    }

private:
    TImage* m_image;
    TFxScrollText* m_see;
    TFxScrollText* m_solid;
};

template <class Page>
std::function<TGalleryPage*(TWinControl*, const TRect&)> Make()
{
    return [](TWinControl* parent, const TRect& bounds) -> TGalleryPage* { return new Page(parent, bounds); };
}

}  // namespace

std::vector<std::pair<QString, std::function<TGalleryPage*(TWinControl*, const TRect&)>>> GalleryPages()
{
    return {{QStringLiteral("Scroll text"), Make<TScrollPage>()}, {QStringLiteral("Marquee"), Make<TMarqueePage>()},
            {QStringLiteral("3D text"), Make<TTextPage>()},       {QStringLiteral("Bevels"), Make<TBevelPage>()},
            {QStringLiteral("Fills"), Make<TFillPage>()},         {QStringLiteral("Effects"), Make<TEffectPage>()},
            {QStringLiteral("Transparency, links"), Make<TLinkPage>()}, {QStringLiteral("Following the display"), Make<TDisplayPage>()}};
}
