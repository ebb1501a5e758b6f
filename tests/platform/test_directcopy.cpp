// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// The direct copy into the backing store against Qt's repaint: twin windows, one drawing
// straight into its backing store where it may and one forced onto the repaint, built and
// changed by the same seeded random steps (siblings opaque and see-through, masks, graphics
// effects, native children, nested offsets, moves, hiding, showing and restacking) and compared
// in what reached the window after each, at each screen scale. Offscreen that is the backing
// store; under an X server (the end-to-end suite runs this test there too) it is what the
// server shows, where a copy flushed to the wrong native window stays stale.
#include "differential_testing.h"
#include "platform/directcopy.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "scale_testing.h"

#include <QApplication>
#include <QBackingStore>
#include <QGraphicsOpacityEffect>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

class Drawing : public TGraphicControl {
public:
    explicit Drawing(TComponent* owner) : TGraphicControl(owner) { SetControlStyle(ControlStyle() | csOpaque); }
};

enum Kind { Draw, Sibling, Mask, Effect, Native, Move, Visibility, Restack, Kinds };
const char* const kNames[] = {"Draw", "Sibling", "Mask", "Effect", "Native", "Move", "Visibility", "Restack"};
struct Step { int kind, a, b, c; };
const TColor kColors[] = {clRed, clLime, clNavy, clYellow, clWhite, clBlack, 0x00336699};

bool OnX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// One window: a form, a panel on it, a panel on that and the drawing control on the inner one,
// each at an offset of its own; siblings come on any of the three levels, stacked above what
// was there.
struct Twin {
    std::unique_ptr<TForm> form{new TForm(nullptr)};
    TPanel* outer = new TPanel(form.get());
    TPanel* inner = new TPanel(form.get());
    Drawing* drawing = new Drawing(form.get());
    std::vector<TControl*> others;
    bool direct;

    Twin(int left, bool direct) : direct(direct)
    {
        form->SetBorderStyle(TFormBorderStyle::bsNone);
        form->SetBounds(left, 30, 230, 130);
        form->SetColor(clBlue);
        outer->SetParent(form.get());
        outer->SetBounds(5, 7, 210, 110);
        inner->SetParent(outer);
        inner->SetBounds(3, 4, 190, 90);
        inner->SetColor(clAqua);
        drawing->SetParent(inner);
        drawing->SetBounds(6, 5, 160, 60);
        Guarded([this] { form->Show(); });
    }
    // Everything a twin forced onto the repaint does is done with the direct copy off.
    template <class F> void Guarded(F f)
    {
        const bool was = DirectCopyEnabled();
        SetDirectCopyEnabled(direct && was);
        f();
        QApplication::processEvents();
        // What Qt has yet to repaint (its updates wait for a frame timer) is painted now, by a
        // repaint of a pixel of the form's own that nothing covers.
        form->Widget()->repaint(QRect(form->Width() - 1, form->Height() - 1, 1, 1));
        SetDirectCopyEnabled(was);
    }
    TWinControl* Level(int n) { return n % 3 == 0 ? static_cast<TWinControl*>(form.get()) : n % 3 == 1 ? outer : inner; }
    QWidget* Any(int n)
    {
        if (!others.empty() && n % 2) return others[size_t(n / 2) % others.size()]->Widget();
        const QWidget* all[] = {drawing->Widget(), inner->Widget(), outer->Widget()};
        return const_cast<QWidget*>(all[n / 2 % 3]);
    }
    void Apply(const Step& s)
    {
        Guarded([&] {
            switch (s.kind) {
            case Draw:
                for (int i = 0; i < 1 + s.c % 4; ++i) {
                    drawing->Canvas()->Brush()->SetColor(kColors[(s.c + i) % 7]);
                    drawing->Canvas()->FillRect(Bounds((s.a + 37 * i) % 160, (s.b + 11 * i) % 60, 1 + s.c % 50, 1 + s.b % 20));
                }
                break;
            case Sibling: {   // a see-through label, an opaque drawing or a panel
                TControl* c = s.c % 3 == 0 ? static_cast<TControl*>(new TLabel(form.get()))
                              : s.c % 3 == 1 ? static_cast<TControl*>(new Drawing(form.get())) : new TPanel(form.get());
                c->SetParent(Level(s.a));
                c->SetBounds(s.a % 170, s.b % 70, 8 + s.c % 60, 5 + s.b % 25);
                if (auto* l = dynamic_cast<TLabel*>(c)) l->SetCaption(QStringLiteral("label %1").arg(s.b));
                if (auto* d = dynamic_cast<Drawing*>(c)) {
                    d->Canvas()->Brush()->SetColor(kColors[s.b % 7]);
                    d->Canvas()->FillRect(Bounds(0, 0, 200, 100));
                }
                others.push_back(c);
                break;
            }
            case Mask:
                if (s.c % 3 == 0) Any(s.a)->clearMask();
                else Any(s.a)->setMask(QRegion(s.b % 40, s.c % 30, 20 + s.b % 120, 10 + s.c % 50,
                                               s.c % 2 ? QRegion::Ellipse : QRegion::Rectangle));
                break;
            case Effect:
                if (s.c % 3 == 0) {
                    Any(s.a)->setGraphicsEffect(nullptr);
                } else {
                    auto* e = new QGraphicsOpacityEffect;
                    e->setOpacity(0.3 + s.b % 5 * 0.1);
                    Any(s.a)->setGraphicsEffect(e);
                }
                break;
            case Native: Any(s.a)->winId(); break;
            case Move:
                if (s.c % 2) inner->SetBounds(s.a % 15, s.b % 15, 150 + s.c % 45, 70 + s.a % 25);
                else drawing->SetBounds(s.a % 30, s.b % 30, 160, 60);
                break;
            case Visibility: Any(s.a)->setVisible(!Any(s.a)->isVisible() || s.b % 4 == 0); break;
            case Restack: if (s.b % 2) Any(s.a)->raise(); else Any(s.a)->lower(); break;
            }
        });
    }
    // What reached the window: what the X server shows of it, or offscreen its backing store.
    QImage Shown() const
    {
        QWidget* w = form->Widget();
        if (OnX11()) return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return dynamic_cast<QImage&>(*w->backingStore()->paintDevice()).convertToFormat(QImage::Format_RGB32);
    }
};

// Whether the twins show the same, once the window system has had time to show both (a
// stale picture stays stale however long it is given).
bool ShowTheSame(const Twin& a, const Twin& b)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        if (a.Shown() == b.Shown()) return true;
        if (t.elapsed() > (OnX11() ? 3000 : 200)) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

int FirstDifference(const std::vector<Step>& steps)
{
    Twin direct(0, true), repainted(250, false);
    if (!ShowTheSame(direct, repainted)) return 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        direct.Apply(steps[i]);
        repainted.Apply(steps[i]);
        if (!ShowTheSame(direct, repainted)) return int(i);
    }
    return -1;
}

// Drawing on an unobstructed control goes straight to the window, without a paint event; with
// the switch users are told of, TIRLINK_NO_DIRECT_COPY (the suite runs once more with it set),
// every drawing goes through Qt's paint event.
TEST(DirectCopySwitch, DecidesWhetherDrawingGoesThroughAPaintEvent)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    Twin twin(0, true);
    twin.drawing->Widget()->installEventFilter(&counter);
    twin.Apply({Draw, 10, 10, 10});
    EXPECT_EQ(counter.paints > 0, qEnvironmentVariable("TIRLINK_NO_DIRECT_COPY", QStringLiteral("0")) != QLatin1String("0"));
}

class DirectCopy : public ::testing::TestWithParam<const char*> {};

TEST_P(DirectCopy, ShowsWhatARepaintShowsInEveryWidgetTree)
{
    if (RerunAtScale(GetParam())) return;
    if (!DirectCopyEnabled()) GTEST_SKIP() << "TIRLINK_NO_DIRECT_COPY leaves nothing to compare";
    const std::string what = "direct copy at scale " + std::to_string(qApp->devicePixelRatio()) + " on " +
                             QGuiApplication::platformName().toStdString();
    RunDifferential<Step>(
        what.c_str(), 2,
        [](std::mt19937& rng) {
            // A few changes of the tree among many drawings, so that each tree is drawn on.
            std::vector<Step> steps;
            for (int i = 0; i < 24; ++i)
                steps.push_back({rng() % 2 ? int(Draw) : int(rng() % Kinds), int(rng() % 997), int(rng() % 997), int(rng() % 997)});
            return steps;
        },
        FirstDifference,
        [](const Step& s) { return StepName(kNames, s); });
}

INSTANTIATE_TEST_SUITE_P(Scales, DirectCopy, ::testing::Values("1", "1.25", "1.5", "2"));

}  // namespace
