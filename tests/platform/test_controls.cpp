// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Controls and forms as a caller sees them: what a windowless control draws reaches its
// surface and the screen, the parent shows through a control that is not opaque, mouse events
// arrive in the framework's order, aligned children follow their parent, forms keep their
// place, and exceptions from handlers reach the application's handler.
#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/hooks.h"
#include "platform/menus.h"
#include "platform/pixelrows.h"
#include "scale_testing.h"

#include <QApplication>
#include <QBackingStore>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

class ProbeControl : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    int paints = 0;
    std::vector<uint32_t> messages;
    TColor fill = clRed;
    void WndProc(TMessage& m) override
    {
        messages.push_back(m.Msg);
        TGraphicControl::WndProc(m);
    }

protected:
    void Paint() override
    {
        ++paints;
        Canvas()->Brush()->SetColor(fill);
        Canvas()->FillRect(TRect(2, 2, Width() - 2, Height() - 2));
    }
};

QRgb SurfacePixel(const TGraphicControl& c, int x, int y)
{
    return c.Surface().pixel(x, y) & 0xFFFFFF;
}

struct FormFixture : ::testing::Test {
    std::unique_ptr<TForm> form{new TForm(nullptr)};
    void SetUp() override
    {
        form->SetBorderStyle(TFormBorderStyle::bsNone);
        form->SetBounds(10, 20, 200, 100);
        form->SetColor(clBlue);
    }
};

TEST_F(FormFixture, DrawingOutsideAPaintCycleLandsOnTheSurfaceAtOnce)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(5, 5, 40, 30);
    c->Canvas()->Brush()->SetColor(clLime);
    c->Canvas()->FillRect(TRect(0, 0, 10, 10));
    EXPECT_EQ(SurfacePixel(*c, 0, 0), 0x00FF00u);
    EXPECT_EQ(SurfacePixel(*c, 9, 9), 0x00FF00u);
    EXPECT_NE(SurfacePixel(*c, 10, 10), 0x00FF00u);
    EXPECT_EQ(c->paints, 0);  // a direct drawing is no paint cycle
}

TEST_F(FormFixture, PaintCycleOfATransparentControlStartsFromTheParentsPainting)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(5, 5, 40, 30);
    c->SetControlStyle(c->ControlStyle() & ~csOpaque);
    TPlatformHooks::PaintCycle(*c);
    EXPECT_EQ(c->paints, 1);
    EXPECT_EQ(SurfacePixel(*c, 0, 0), 0x0000FFu);    // the form's blue around the frame
    EXPECT_EQ(SurfacePixel(*c, 20, 15), 0xFF0000u);  // the control's own red
}

TEST_F(FormFixture, OpaqueControlIsNotPaintedOverByItsParent)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(5, 5, 40, 30);
    c->SetControlStyle(c->ControlStyle() | csOpaque);
    c->Canvas()->Brush()->SetColor(clYellow);
    c->Canvas()->FillRect(TRect(0, 0, 40, 30));
    TPlatformHooks::PaintCycle(*c);
    EXPECT_EQ(SurfacePixel(*c, 0, 0), 0xFFFF00u);
}

TEST_F(FormFixture, ShownControlPaintsInTheRealPaintCycleAndFlushesWithoutPaintingAgain)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(0, 0, 50, 20);
    form->Show();
    QApplication::processEvents();
    c->Widget()->repaint();
    const int afterCycle = c->paints;
    EXPECT_GE(afterCycle, 1);
    // Drawing outside the cycle puts the area on screen without calling Paint again.
    c->Canvas()->Brush()->SetColor(clWhite);
    c->Canvas()->FillRect(TRect(0, 0, 50, 20));
    QApplication::processEvents();
    EXPECT_EQ(c->paints, afterCycle);
    EXPECT_EQ(SurfacePixel(*c, 25, 10), 0xFFFFFFu);
    // A paint the window system asks for runs the cycle again.
    c->Widget()->repaint();
    EXPECT_EQ(c->paints, afterCycle + 1);
    EXPECT_EQ(SurfacePixel(*c, 25, 10), 0xFF0000u);
    // A new colour repaints the control, as in the framework.
    c->SetColor(clGreen);
    for (int i = 0; i < 100 && c->paints == afterCycle + 1; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GT(c->paints, afterCycle + 1);
    form->Hide();
}

// What a control draws outside a paint cycle reaches the window pixel for pixel, at whole and
// fractional screen scales alike, and never over a sibling that stands above it.
TEST_F(FormFixture, DrawingReachesTheWindowPixelForPixelAtEveryScale)
{
    for (const char* scale : {"1", "1.25", "1.5", "2"}) {
        SCOPED_TRACE(scale);
        if (RerunAtScale(scale)) continue;
        auto* c = new TGraphicControl(form.get());
        c->SetParent(form.get());
        c->SetBounds(4, 8, 150, 20);
        c->SetControlStyle(c->ControlStyle() | csOpaque);
        auto* over = new ProbeControl(form.get());
        over->SetParent(form.get());
        over->SetBounds(64, 8, 32, 20);
        over->fill = clLime;
        form->Show();
        QApplication::processEvents();
        std::mt19937 random(25);
        for (int i = 0, x, y; i < 200; ++i) {
            x = int(random() % 150), y = int(random() % 20);
            c->Canvas()->Brush()->SetColor(TColor(random() & 0xFFFFFF));
            c->Canvas()->FillRect(TRect(x, y, x + 1 + int(random() % 3), y + 1 + int(random() % 3)));
        }
        QApplication::processEvents();
        // What the window system has of the window: its backing store, in device pixels.
        const auto& shown = dynamic_cast<QImage&>(*form->Widget()->backingStore()->paintDevice());
        const QRect at(DeviceRectRounded(shown, QRect(4, 8, 150, 20)).topLeft(), c->Surface().size());
        QImage expected = c->Surface();
        const QPoint above = DeviceRectRounded(shown, QRect(60, 0, 1, 1)).topLeft();
        for (int y = 0; y < over->Surface().height(); ++y)
            for (int x = 0; x < over->Surface().width(); ++x) expected.setPixel(above + QPoint(x, y), over->Surface().pixel(x, y));
        EXPECT_EQ(shown.copy(at).convertToFormat(QImage::Format_RGB32), expected);
    }
}

TEST_F(FormFixture, ClientAlignedChildFollowsItsParentsSize)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetAlign(TAlign::alClient);
    EXPECT_EQ(c->BoundsRect(), TRect(0, 0, 200, 100));
    form->SetBounds(2, 20, 640, 29);
    EXPECT_EQ(c->BoundsRect(), TRect(0, 0, 640, 29));
    EXPECT_EQ(c->Surface().size(), QSize(640, 29));
}

TEST_F(FormFixture, ClientToScreenAddsTheParentsPositions)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(7, 9, 20, 20);
    EXPECT_EQ(c->ClientToScreen(TPoint(1, 2)), TPoint(10 + 7 + 1, 20 + 9 + 2));
    EXPECT_EQ(c->ScreenToClient(TPoint(18, 31)), TPoint(1, 2));
}

TEST_F(FormFixture, MouseEventsArriveInTheFrameworksOrder)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(0, 0, 50, 20);
    std::vector<std::string> log;
    c->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        log.push_back("down" + std::to_string(int(b)) + "@" + std::to_string(x) + "," + std::to_string(y));
    };
    c->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    c->OnClick = [&](TObject*) { log.push_back("click"); };
    c->OnMouseMove = [&](TObject*, TShiftState s, int, int) { log.push_back(s & ssLeft ? "drag" : "move"); };
    c->DispatchMouseDown(TMouseButton::mbLeft, ssLeft, 3, 4, TPoint(3, 4));
    c->DispatchMouseMove(ssLeft, 5, 4, TPoint(5, 4));
    c->DispatchMouseUp(TMouseButton::mbLeft, 0, 5, 4, TPoint(5, 4));
    EXPECT_EQ(log, (std::vector<std::string>{"down0@3,4", "drag", "click", "up"}));
    log.clear();
    // Released outside: no click.
    c->DispatchMouseDown(TMouseButton::mbLeft, ssLeft, 3, 4, TPoint(3, 4));
    c->DispatchMouseUp(TMouseButton::mbLeft, 0, 60, 4, TPoint(60, 4));
    EXPECT_EQ(log, (std::vector<std::string>{"down0@3,4", "up"}));
}

TEST_F(FormFixture, HeldPointerCrossingTheEdgeSendsLeaveAndEnter)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(0, 0, 50, 20);
    auto count = [&](uint32_t msg) { return std::count(c->messages.begin(), c->messages.end(), msg); };
    c->DispatchEnter();
    c->DispatchMouseDown(TMouseButton::mbLeft, ssLeft, 3, 4, TPoint(3, 4));
    c->DispatchMouseMove(ssLeft, 70, 4, TPoint(70, 4));
    EXPECT_EQ(count(CM_MOUSELEAVE), 1);
    EXPECT_FALSE(c->MouseInside());
    c->DispatchMouseMove(ssLeft, 10, 4, TPoint(10, 4));
    EXPECT_EQ(count(CM_MOUSEENTER), 2);
    c->DispatchMouseMove(ssLeft, 80, 4, TPoint(80, 4));
    c->DispatchMouseUp(TMouseButton::mbLeft, 0, 80, 4, TPoint(80, 4));
    // Qt's own late leave after the release is not a second one.
    c->DispatchLeave();
    EXPECT_EQ(count(CM_MOUSELEAVE), 2);
}

TEST_F(FormFixture, MouseCursorPosFollowsTheLastEvent)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(0, 0, 50, 20);
    c->DispatchMouseMove(0, 1, 1, TPoint(321, -45));
    EXPECT_EQ(MouseCursorPos(), TPoint(321, -45));
}

TEST_F(FormFixture, RightReleaseOpensThePopupMenuWithItsItems)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(0, 0, 50, 20);
    auto* menu = new TPopupMenu(form.get());
    auto* images = new TImageList(form.get());
    QPixmap px(16, 16);
    px.fill(Qt::red);
    images->Add(px);
    menu->SetImages(images);
    auto* a = new TMenuItem(form.get());
    a->SetCaption(QStringLiteral("Параметры"));
    a->SetImageIndex(0);
    auto* b = new TMenuItem(form.get());
    b->SetCaption(QStringLiteral("Выход"));
    int clicked = 0;
    b->OnClick = [&](TObject*) { ++clicked; };
    menu->Add(a);
    menu->Add(b);
    c->SetPopupMenu(menu);
    c->DispatchMouseDown(TMouseButton::mbRight, ssRight, 3, 4, TPoint(3, 4));
    EXPECT_EQ(menu->Menu(), nullptr);
    c->DispatchMouseUp(TMouseButton::mbRight, 0, 3, 4, TPoint(3, 4));
    ASSERT_NE(menu->Menu(), nullptr);
    const auto actions = menu->Menu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Параметры"));
    EXPECT_FALSE(actions[0]->icon().isNull());
    EXPECT_TRUE(actions[1]->icon().isNull());
    actions[1]->trigger();
    EXPECT_EQ(clicked, 0);  // runs after the menu has closed, from the event loop
    QApplication::processEvents();
    EXPECT_EQ(clicked, 1);
    menu->Menu()->close();

    // An item freed between the choice and the deferred command is not clicked.
    c->DispatchMouseUp(TMouseButton::mbRight, 0, 3, 4, TPoint(3, 4));
    menu->Menu()->actions()[1]->trigger();
    delete b;
    QApplication::processEvents();
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(menu->Count(), 1);
}

TEST_F(FormFixture, ExceptionFromAHandlerReachesTheApplicationsHandler)
{
    auto* c = new ProbeControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(0, 0, 50, 20);
    c->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { throw EInvalidOperation("boom"); };
    std::vector<QString> seen;
    TObject* sender = nullptr;
    Application->OnException = [&](TObject* s, const Exception& e) {
        sender = s;
        seen.push_back(e.Message());
    };
    c->DispatchMouseDown(TMouseButton::mbLeft, ssLeft, 1, 1, TPoint(1, 1));
    Application->OnException = nullptr;
    EXPECT_EQ(seen, std::vector<QString>{QStringLiteral("boom")});
    EXPECT_EQ(sender, c);
}

TEST(Forms, ChangingTheFormStyleKeepsThePositionAndAsksToStayOnTop)
{
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(2, 333, 300, 29);
    form.Show();
    form.SetFormStyle(TFormStyle::fsStayOnTop);
    EXPECT_TRUE(form.Widget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form.Widget()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.Widget()->isVisible());
    EXPECT_EQ(form.Widget()->pos(), QPoint(2, 333));
    EXPECT_EQ(form.BoundsRect(), Bounds(2, 333, 300, 29));
    form.SetFormStyle(TFormStyle::fsNormal);
    EXPECT_FALSE(form.Widget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.Widget()->pos(), QPoint(2, 333));
}

TEST(Forms, OnShowFiresWhenTheFormBecomesVisibleOnly)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 100, 50);
    int shows = 0;
    form.OnShow = [&](TObject*) { ++shows; };
    form.Show();
    form.Show();
    EXPECT_EQ(shows, 1);
    form.Hide();
    EXPECT_FALSE(form.Visible());
    form.Show();
    EXPECT_EQ(shows, 2);
}

TEST(Forms, CloseHidesAndOnCloseMayRefuse)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 100, 50);
    form.Show();
    TCloseAction answer = TCloseAction::caNone;
    form.OnClose = [&](TObject*, TCloseAction& a) { a = answer; };
    form.Close();
    EXPECT_TRUE(form.Visible());
    answer = TCloseAction::caHide;
    form.Close();
    EXPECT_FALSE(form.Visible());
}

TEST(Forms, ScreenCentredFormIsPlacedInTheMiddleWhenFirstShown)
{
    TForm form(nullptr);
    form.SetBounds(324, 288, 443, 307);
    form.SetPosition(TPosition::poScreenCenter);
    form.Show();
    const TRect m = form.MonitorRect();
    EXPECT_EQ(form.Left(), m.Left + (m.Width() - 443) / 2);
    EXPECT_EQ(form.Top(), m.Top + (m.Height() - 307) / 2);
    form.Hide();
}

TEST(Forms, ParentFontReachesChildrenUntilTheyChooseTheirOwn)
{
    TForm form(nullptr);
    form.Font()->SetName(QStringLiteral("Arial"));
    auto* c = new ProbeControl(&form);
    c->SetParent(&form);
    EXPECT_EQ(c->Font()->Name(), QStringLiteral("Arial"));
    form.Font()->SetHeight(-20);
    EXPECT_EQ(c->Font()->Height(), -20);
    c->Font()->SetHeight(-9);
    EXPECT_FALSE(c->ParentFont());
    form.Font()->SetHeight(-30);
    EXPECT_EQ(c->Font()->Height(), -9);
}

TEST(Forms, OwnerFreesChildControlsOnceWhateverTheOrder)
{
    auto* form = new TForm(nullptr);
    auto* panelLike = new TGraphicControl(form);
    panelLike->SetParent(form);
    auto* other = new ProbeControl(form);
    other->SetParent(form);
    delete other;  // a control freed on its own leaves its parent and owner
    EXPECT_EQ(form->ControlCount(), 1);
    EXPECT_EQ(form->ComponentCount(), 1);
    delete form;  // frees the rest without freeing anything twice
}

TEST(ApplicationHandler, AMessageBoxIsNotStackedOnAnOpenOne)
{
    // While the application shows an exception, a timer that ticks on under the box and fails
    // again is not shown a second time.
    TApplication app;
    int boxes = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits("QMessageBox")) {
                ++boxes;
                app.ShowException(Exception(QStringLiteral("second")));  // must return at once
                w->close();
            }
    });
    app.ShowException(Exception(QStringLiteral("first")));
    EXPECT_EQ(boxes, 1);
}

}  // namespace
