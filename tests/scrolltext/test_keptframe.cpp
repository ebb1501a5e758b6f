// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// Kept frames against whole ones: twin controls, one composing every frame whole, driven by the
// same seeded random steps and compared in pixels and segments after each, at each screen scale,
// for TIRLINK_DIFFERENTIAL_SECONDS (at least 6).
#include "differential_testing.h"
#include "platform/forms.h"
#include "scale_testing.h"
#include "scrolltext/fxscrolltext.h"
#include "scrolltext/hooks.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

const char* const kLines[] = {"a <b>b</b> c", "Wäg <b>Ärger</b> gj", "<b>Полужирный", "x", "fj|Qy <b>W</b>", ""};
const TColor kColors[] = {clNavy, clYellow, clWhite, clBlack, 0x00336699};
enum Kind { Tick, Lines, Face, Look, Motion, Layout, Jump, Others, Handler, Frame, Kinds };
const char* const kNames[] = {"Tick", "Lines", "Face", "Look", "Motion", "Layout", "Jump", "Others", "Handler", "Frame"};
struct Op { int kind, a, b, c; };

struct Twin {
    std::unique_ptr<TForm> form{new TForm(nullptr)};
    TFxScrollText* st = new TFxScrollText(form.get());
    std::vector<QString> told;
    int handler = 0, arg = 0;   // what OnScroll does: 1 draws, 2 replaces the line, 3 recolours
    explicit Twin(bool keep)
    {
        st->SetParent(form.get());
        TScrollTextHooks::SetKeepFrames(*st, keep);
        st->OnDrawSegment = [this](const QString& s, const TRect& r, TFontStyles f) {
            told.push_back(QStringLiteral("%1@%2,%3,%4,%5/%6").arg(s).arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom).arg(f));
        };
        st->OnScroll = [this](TObject*) {
            if (handler == 1) Fill(arg % 50, arg % 7, 9, 5, arg);
            if (handler == 2 && st->Lines()->Count() > 0) st->Lines()->Put(0, QString::fromUtf8(kLines[arg % 6]));
            if (handler == 3) st->SetColor(kColors[arg % 5]);
            if (handler > 1) handler = 0;
        };
    }
    void Fill(int x, int y, int w, int h, int colour)
    {
        st->Canvas()->Brush()->SetColor(kColors[colour % 5]);
        st->Canvas()->FillRect(Bounds(x, y, w, h));
    }
    void Apply(const Op& o)
    {
        TFx3DCaption* f3 = st->Font3D();
        TFont* f = st->Font();
        switch (o.kind) {
        case Tick:   // restarts where a change stopped the scrolling
            if (!st->Scroll()) st->ExecuteEnh(o.b % 40);
            for (int i = 0; i <= o.a % 4; ++i) st->GetTimer(nullptr);
            break;
        case Lines:
            st->Lines()->Clear();
            for (int i = 0; i <= o.b % 3; ++i) st->Lines()->Add(QString::fromUtf8(kLines[(o.a + i) % 6]));
            break;
        case Face:   // small, italic, bold, underlined and struck-out faces
            f->SetName(o.a % 2 ? QStringLiteral("Liberation Serif") : QStringLiteral("DejaVu Sans"));
            f->SetHeight(o.b % 5 == 0 ? 8 + o.b % 9 : -(6 + o.b % 11)); f->SetStyle(TFontStyles(o.c % 16)); f->SetColor(kColors[o.a % 5]);
            break;
        case Look:   // every 3D style, depth and orientation, tracing, disabled looks
            f3->SetStyle(TFxThreeDStyle(o.a % 11)); f3->SetOrientation(TFxThreeDOrientation(o.a / 11 % 4));
            f3->SetDepth(0, uint8_t(o.b % 4)); f3->SetDepth(1, uint8_t(o.b / 4 % 6)); f3->SetTracing(o.c % 4 == 3 ? 2 : 0);
            f3->SetDisabledStyle(TFxDisabledStyle(o.c / 4 % 4)); st->SetEnabled(o.c % 5 != 0);
            break;
        case Motion:
            st->SetDirection(TFxScrollDirection(o.a % 4)); st->SetScrollMode(TFxScrollMode(o.b % 2));
            st->SetScrollStyle(TFxScrollStyle(o.c % 3)); st->SetSteps(3 + o.a / 4 % 30);
            break;
        case Layout: st->SetAlignment(TAlignment(o.c % 3)); st->SetBounds(0, 0, 30 + o.a % 200, 8 + o.b % 50); st->Paint(); break;
        case Jump: if (o.a % 2) st->Reverse(); else st->ExecuteEnh(o.b % 40); break;
        case Others: Fill(o.a % 150, o.b % 40, 1 + o.c % 40, 1 + o.c % 9, o.c); break;
        case Handler: handler = o.a % 4; arg = o.b; break;
        case Frame:   // bevels and borders of odd widths, whose inner edge falls inside a device pixel
            st->Bevel()->SetWidthOuter(o.a % 4); st->Bevel()->SetWidthInner(o.b % 3);
            st->Bevel()->SetBorderWidth(o.c % 3); st->Bevel()->SetStyleOuter(TFxBevelStyle(o.a / 4 % 7));
            break;
        }
    }
};

// Runs the steps on fresh twins: the index of the first step after which they differ, or -1.
int FirstDifference(const std::vector<Op>& ops)
{
    Twin kept(true), whole(false);
    for (size_t i = 0; i < ops.size(); ++i) {
        kept.Apply(ops[i]);
        whole.Apply(ops[i]);
        if (kept.st->Surface() != whole.st->Surface() || kept.told != whole.told) return int(i);
        kept.told.clear(), whole.told.clear();
    }
    return -1;
}

class KeptFrames : public ::testing::TestWithParam<const char*> {};

TEST_P(KeptFrames, EqualFramesComposedWholeInEveryPixelAndSegment)
{
    if (RerunAtScale(GetParam())) return;
    const std::string what = "kept frames at scale " + std::to_string(qApp->devicePixelRatio());
    RunDifferential<Op>(
        what.c_str(), 6,
        [](std::mt19937& rng) {
            // A random set-up, then mostly ticks, so that kept frames follow each other.
            std::vector<Op> ops;
            for (int i = 0; i < 55; ++i) {
                const int setUp[] = {Lines, Face, Motion, Look, Frame, Jump};
                const int kind = i < 6 ? setUp[i] : rng() % 3 ? int(Tick) : int(rng() % Kinds);
                ops.push_back({kind, int(rng() % 997), int(rng() % 997), int(rng() % 997)});
            }
            return ops;
        },
        FirstDifference,
        [](const Op& o) { return StepName(kNames, o); });
}

INSTANTIATE_TEST_SUITE_P(Scales, KeptFrames, ::testing::Values("1", "1.25", "1.5", "2"));

}  // namespace
