// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Index
//   1. TControlWidget: the Qt widget behind our own controls and forms
//   2. TControl
//   3. TGraphicControl: surface, paint cycle, flushing drawn areas to the screen
//   4. The mouse position
// TWinControl, the control with children, is in wincontrol.cpp.
#include "platform/controls.h"

#include "platform/accessible.h"
#include "platform/directcopy.h"
#include "platform/menus.h"
#include "platform/safecall.h"
#include "platform/pixelrows.h"
#include "platform/scoped.h"
#include "platform/windowsystem.h"

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>


namespace {

// The last pointer position a mouse event reported, in screen coordinates.
TPoint g_lastCursorPos;
bool g_haveCursorPos = false;
// Paint cycles under way anywhere: Qt refuses a repaint from inside one.
int g_paintDepth = 0;
// Drawing batches under way, and the controls with drawing they hold back.
int g_batchDepth = 0;
std::vector<TGraphicControl*> g_batched;

// The surface's device pixels that a repaint of area (the widget's coordinates; offset is its
// place in its window) puts on screen, in the surface's coordinates: at a whole scale the area's
// own; at a fractional one, as paintEvent draws them, those under the area and one more on each
// side, within the painter's clip, which is the area scaled with each edge rounded to the nearest
// device pixel (as QRectF::toRect rounds, and DeviceRectRounded).
QRect RepaintedPixels(const QImage& surface, const QRect& area, QPoint offset)
{
    const qreal k = surface.devicePixelRatio();
    if (IsWholeScale(k)) return DeviceRectRounded(surface, area) & surface.rect();
    const QRect clip = DeviceRectRounded(surface, area.translated(offset));
    const QPoint corner = DeviceCornerRounded(QPointF(offset) * k);
    return WithFractionalScaleMargin(DeviceRectCovering(surface, area)) & clip.translated(-corner) & surface.rect();
}

// The direct copy may be taken (directcopy.h); TIRLINK_NO_DIRECT_COPY switches it off, as
// QT_NO_FAST_SCROLL does Qt's accelerated scrolling.
bool g_directCopy = qEnvironmentVariable("TIRLINK_NO_DIRECT_COPY", QStringLiteral("0")) == QLatin1String("0");

// Whether a visible widget among parent's children, other than below, stands over r (parent's
// coordinates) above below: stacked after it, or a native window in any order.
bool CoveredWithin(const QWidget* parent, const QWidget* below, const QRect& r)
{
    bool above = below == nullptr;
    for (const QObject* o : parent->children()) {
        if (o == below) {
            above = true;
            continue;
        }
        const auto* sibling = qobject_cast<const QWidget*>(o);
        if (!sibling || sibling->isWindow() || sibling->isHidden() || !sibling->geometry().intersects(r)) continue;
        if (above || sibling->internalWinId()) return true;
    }
    return false;
}

// Why a direct copy of area (w's coordinates) into store would show something else than Qt's
// repaint of area; nullptr where it shows the same. Every reason is here, checked before
// anything is drawn (the list is in directcopy.h).
const char* DirectCopyRefusal(const QWidget* w, const QRect& area, QBackingStore* store, const QImage& surface)
{
    if (!g_directCopy) return "switched off";
    const QWidget* top = w->window();
    const QWindow* native = top->windowHandle();
    if (!store || !native || !native->isExposed()) return "not on screen";
    if (native->surfaceType() != QSurface::RasterSurface || native->format().hasAlpha()) return "not an opaque raster window";
    const auto* image = dynamic_cast<const QImage*>(store->paintDevice());
    if (!image || (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32_Premultiplied) ||
        surface.format() != QImage::Format_RGB32 || image->devicePixelRatio() != surface.devicePixelRatio())
        return "a backing store of another format";
    if (!w->updatesEnabled() || !w->isVisible()) return "hidden";
    // What the copy may write: the area and the device pixels its edges cut.
    QRect r = WithFractionalScaleMargin(area) & w->rect();
    if (CoveredWithin(w, nullptr, r)) return "a child over it";
    for (const QWidget* x = w;; x = x->parentWidget()) {
        if (!x->mask().isEmpty()) return "a mask";
        if (x->graphicsEffect()) return "a graphics effect";
        if (x == top) return nullptr;
        if (x->internalWinId()) return "a native window between it and its window";
        const QWidget* parent = x->parentWidget();
        r.translate(x->pos());
        if (!parent->rect().contains(r)) return "cut off by a parent";
        if (CoveredWithin(parent, x, r)) return "a sibling over it";
    }
}

TShiftState ShiftFromQt(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    TShiftState s = 0;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    if (mods & Qt::ShiftModifier) s |= ssShift;
    if (mods & Qt::ControlModifier) s |= ssCtrl;
    if (mods & Qt::AltModifier) s |= ssAlt;
    return s;
}

bool ButtonFromQt(Qt::MouseButton b, TMouseButton& out)
{
    switch (b) {
    case Qt::LeftButton: out = TMouseButton::mbLeft; return true;
    case Qt::RightButton: out = TMouseButton::mbRight; return true;
    case Qt::MiddleButton: out = TMouseButton::mbMiddle; return true;
    default: return false;
    }
}

}  // namespace

bool DirectCopyEnabled()
{
    return g_directCopy;
}

void SetDirectCopyEnabled(bool enabled)
{
    g_directCopy = enabled;
}

// ---------------------------------------------------------------------------------------------
// 1. TControlWidget
// ---------------------------------------------------------------------------------------------
class TControlWidget : public QWidget {
public:
    explicit TControlWidget(TControl* control, bool topLevel = false)
        : QWidget(nullptr, topLevel ? Qt::Window : Qt::Widget), m_control(control), m_window(topLevel)
    {
        setMouseTracking(true);
        setContextMenuPolicy(Qt::PreventContextMenu);
        if (!topLevel) setAttribute(Qt::WA_OpaquePaintEvent, true);
        InstallControlAccessibility();
    }
    void Detach() { m_control = nullptr; }
    TControl* Control() const { return m_control; }
    // Set while the platform itself asks for a paint event to put a drawn surface on screen.
    bool m_flushing = false;

    // Puts the surface's pixels for the logical rectangle area straight into the window's
    // backing store and flushes them at once, as a repaint of area would (directcopy.h).
    // Returns false, having changed nothing, where only a real repaint is right.
    bool Present(const QImage& surface, const QRect& area)
    {
        QWidget* top = window();
        QBackingStore* store = top->backingStore();
        const qreal k = surface.devicePixelRatio();
        if (DirectCopyRefusal(this, area, store, surface)) return false;
        Q_ASSERT(store && top->windowHandle() && surface.format() == QImage::Format_RGB32);
        const QPoint offset = mapTo(top, QPoint(0, 0));
        const QRegion region(area.translated(offset));
        store->beginPaint(region);
        auto* image = static_cast<QImage*>(store->paintDevice());
        // The surface's pixels go to the store one for one, from where paintEvent puts them.
        const QPoint corner = DeviceCornerRounded(QPointF(offset) * k);
        const QRect from = RepaintedPixels(surface, area, offset) & image->rect().translated(-corner);
        // What the refusals proved: a plain 32-bit store at the surface's scale, and rows that lie
        // inside both images.
        Q_ASSERT(image && image->depth() == 32 && image->devicePixelRatio() == k);
        Q_ASSERT(from.isEmpty() || (surface.rect().contains(from) && image->rect().contains(from.translated(corner))));
        const size_t bytes = size_t(from.width()) * 4;
        for (int y = from.top(); y <= from.bottom(); ++y)
            std::memcpy(image->scanLine(corner.y() + y) + 4 * (corner.x() + from.left()),
                        surface.constScanLine(y) + 4 * from.left(), bytes);
        store->endPaint();
        // At a fractional scale the pixels written may reach past what the window system's
        // flush of area covers: all of them are flushed.
        const QRect written = from.translated(corner);
        store->flush(region | LogicalRectCovering(*image, written), top->windowHandle());
        return true;
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        auto* gc = dynamic_cast<TGraphicControl*>(m_control);
        if (!gc) {
            QWidget::paintEvent(e);
            return;
        }
        if (!m_flushing) {
            TScopedValue<int> depth(g_paintDepth, g_paintDepth + 1);
            SafeCall(gc, [&] { gc->PaintCycle(); });
        }
        QPainter p(this);
        const QImage& surface = gc->m_surface;
        const qreal k = surface.devicePixelRatio();
        if (IsWholeScale(k)) {
            // Logical pixels fall on whole blocks of device pixels: the rectangle's own pixels.
            p.drawImage(QRectF(e->rect()), surface, QRectF(DeviceRectRounded(surface, e->rect())));
            return;
        }
        // At a fractional scale a logical rectangle's edges fall inside device pixels, and Qt
        // and the canvas may round them apart: the painter is put on the window's device
        // pixels, and the surface's pixels go there one for one, all those under the rectangle
        // and a pixel more on each side (the painter's clip holds what this event may change).
        // The surface starts on the window's device pixel where Qt's clip for the widget starts
        // (DeviceCornerRounded), so that the surface, its logical size rounded up, covers every
        // device pixel a repaint of the widget may change. (Started on the pixel that a
        // fractional corner falls in, a surface fell one short of the clip's far edge, which
        // kept whatever stood there before.)
        const QTransform toDevice = p.deviceTransform();
        const QPoint corner = DeviceCornerRounded(toDevice.map(QPointF(0, 0)));
        p.setWorldTransform(QTransform::fromTranslate(corner.x(), corner.y()) * toDevice.inverted());
        const QRect r = e->rect();
        const QRect pixels = WithFractionalScaleMargin(DeviceRectCovering(surface, r)) & surface.rect();
        p.drawImage(QRectF(pixels), surface, QRectF(pixels));
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const TDrawingBatch batch;
        TMouseButton b;
        if (!m_control || !ButtonFromQt(e->button(), b)) return;
        const QPoint g = e->globalPosition().toPoint();
        m_control->DispatchMouseDown(b, ShiftFromQt(e->buttons(), e->modifiers()), int(e->position().x()),
                                     int(e->position().y()), TPoint(g.x(), g.y()));
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        const TDrawingBatch batch;
        TMouseButton b;
        if (!m_control || !ButtonFromQt(e->button(), b)) return;
        const QPoint g = e->globalPosition().toPoint();
        m_control->DispatchDblClick(b, ShiftFromQt(e->buttons(), e->modifiers()) | ssDouble,
                                    int(e->position().x()), int(e->position().y()), TPoint(g.x(), g.y()));
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        const TDrawingBatch batch;
        if (!m_control) return;
        const QPoint g = e->globalPosition().toPoint();
        m_control->DispatchMouseMove(ShiftFromQt(e->buttons(), e->modifiers()), int(e->position().x()),
                                     int(e->position().y()), TPoint(g.x(), g.y()));
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const TDrawingBatch batch;
        TMouseButton b;
        if (!m_control || !ButtonFromQt(e->button(), b)) return;
        const QPoint g = e->globalPosition().toPoint();
        m_control->DispatchMouseUp(b, ShiftFromQt(e->buttons(), e->modifiers()), int(e->position().x()),
                                   int(e->position().y()), TPoint(g.x(), g.y()));
    }
    void enterEvent(QEnterEvent*) override
    {
        const TDrawingBatch batch;
        if (m_control) m_control->DispatchEnter();
    }
    void leaveEvent(QEvent*) override
    {
        const TDrawingBatch batch;
        if (m_control) m_control->DispatchLeave();
    }
    void resizeEvent(QResizeEvent* e) override
    {
        if (!m_control) return;
        if (isWindow()) {
            // The window system may size a top-level window itself.
            if (e->size().width() != m_control->m_width || e->size().height() != m_control->m_height) {
                m_control->m_width = e->size().width();
                m_control->m_height = e->size().height();
            }
        }
        SafeCall(m_control, [&] { m_control->Resized(); });
    }
    void moveEvent(QMoveEvent*) override
    {
        // A window manager moves windows too (the user's Alt+drag, its placement, its
        // screen-edge rules): a window's Left and Top follow where it really stands. A hidden
        // window is not moved by anyone but us, and Qt reports stale positions for it while its
        // native window is being replaced.
        if (m_window && m_control && isVisible()) {
            const QPoint p = pos();
            m_control->m_left = p.x();
            m_control->m_top = p.y();
            SafeCall(m_control, [&] { m_control->WindowMoved(); });
        }
    }
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::WinIdChange && m_window && m_control)
            SafeCall(m_control, [&] { m_control->WindowReplaced(); });
        return QWidget::event(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        QWidget::focusInEvent(e);
        if (!m_window && m_control) SafeCall(m_control, [&] { m_control->FocusChanged(); });
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QWidget::focusOutEvent(e);
        if (!m_window && m_control) SafeCall(m_control, [&] { m_control->FocusChanged(); });
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        // A windowless control that holds the focus: Return or Space runs what a click would.
        const bool activate = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space;
        if (!m_window && m_control && activate && !(e->modifiers() & ~Qt::KeypadModifier) && m_control->Enabled()) {
            const QStringList actions = m_control->AccessibleActions();
            if (!actions.isEmpty()) {
                SafeCall(m_control, [&] { m_control->DoAccessibleAction(actions.first()); });
                return;
            }
        }
        const bool menuKey = e->key() == Qt::Key_Menu ||
                             (e->key() == Qt::Key_F10 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier);
        // A menu already open takes the key itself; this only opens one.
        if (m_window && m_control && menuKey && !QApplication::activePopupWidget()) {
            SafeCall(m_control, [&] { m_control->PopupFromKeyboard(); });
            return;
        }
        QWidget::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override
    {
        // A window closes only as its control decides (a form's OnClose).
        if (!m_window || !m_control) return;
        e->ignore();
        SafeCall(m_control, [&] { m_control->WindowCloseRequested(); });
    }
    void showEvent(QShowEvent*) override
    {
        if (m_window && m_control) SafeCall(m_control, [&] { m_control->WindowShown(); });
    }
    void hideEvent(QHideEvent*) override
    {
        if (m_window && m_control) SafeCall(m_control, [&] { m_control->WindowHidden(); });
    }

private:
    TControl* m_control;
    const bool m_window;   // made as a top-level window (a form's)
};

// ---------------------------------------------------------------------------------------------
// 2. TControl
// ---------------------------------------------------------------------------------------------
QWidget* TControl::NewWindowWidget(TControl* control)
{
    return new TControlWidget(control, true);
}

TControl::TControl(TComponent* AOwner, QWidget* widget) : TComponent(AOwner), m_widget(widget), m_font(new TFont)
{
    m_font->OnChange = [this](TObject* s) { FontChangedEvent(s); };
    if (m_widget && !m_widget->isWindow()) m_widget->hide();
}

TControl::TControl(TComponent* AOwner) : TControl(AOwner, new TControlWidget(this)) {}

TControl::~TControl()
{
    Destroying();
    if (auto* w = dynamic_cast<TControlWidget*>(m_widget.data())) w->Detach();
    if (m_parent) m_parent->RemoveControl(this);
    m_font->OnChange = nullptr;
    delete m_widget.data();
}

void TControl::SetParent(TWinControl* AParent)
{
    if (m_parent == AParent) return;
    if (m_parent) m_parent->RemoveControl(this);
    m_parent = AParent;
    if (m_parent) {
        m_parent->InsertControl(this);
        if (m_widget) {
            m_widget->setParent(m_parent->Widget());
            UpdateWidgetGeometry();
            m_widget->setVisible(m_visible);
        }
        if (m_parentFont) SetParentFont(true);
        if (m_parentColor) SetParentColor(true);
        if (m_align != TAlign::alNone) m_parent->AlignControls();
    } else if (m_widget && !m_widget->isWindow()) {
        m_widget->hide();
        m_widget->setParent(nullptr);
    }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (ALeft == m_left && ATop == m_top && AWidth == m_width && AHeight == m_height) return;
    const bool sized = AWidth != m_width || AHeight != m_height;
    m_left = ALeft;
    m_top = ATop;
    m_width = AWidth;
    m_height = AHeight;
    UpdateWidgetGeometry();
    if (sized) Resized();
}

void TControl::UpdateWidgetGeometry()
{
    if (!m_widget) return;
    if (m_widget->isWindow()) {
        m_widget->move(m_left, m_top);
        m_widget->resize(std::max(1, m_width), std::max(1, m_height));
    } else {
        m_widget->setGeometry(m_left, m_top, m_width, m_height);
    }
}

TPoint TControl::ClientToScreen(const TPoint& p) const
{
    if (!m_widget) return p;
    if (m_widget->isWindow()) return TPoint(p.X + m_left, p.Y + m_top);
    if (m_parent) {
        const TPoint pp = m_parent->ClientToScreen(TPoint(m_left + p.X, m_top + p.Y));
        return pp;
    }
    const QPoint g = m_widget->mapToGlobal(QPoint(p.X, p.Y));
    return TPoint(g.x(), g.y());
}

TPoint TControl::ScreenToClient(const TPoint& p) const
{
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    return TPoint(p.X - origin.X, p.Y - origin.Y);
}

void TControl::SetAlign(TAlign v)
{
    if (m_align == v) return;
    m_align = v;
    if (m_parent) m_parent->AlignControls();
}

void TControl::SetVisible(bool v)
{
    if (m_visible == v) return;
    m_visible = v;
    if (m_widget && (m_parent || m_widget->isWindow())) m_widget->setVisible(v);
    Perform(CM_VISIBLECHANGED, v ? 1 : 0);
    if (m_parent && m_align != TAlign::alNone) m_parent->AlignControls();
}

bool TControl::Showing() const
{
    if (!m_visible) return false;
    if (m_widget && m_widget->isWindow()) return m_widget->isVisible();
    return m_parent && m_parent->Showing();
}

void TControl::SetEnabled(bool v)
{
    if (m_enabled == v) return;
    m_enabled = v;
    if (m_widget) m_widget->setEnabled(v);
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor v)
{
    if (m_color == v) return;
    m_color = v;
    m_parentColor = false;
    ApplyWidgetPalette();
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v)
{
    m_parentColor = v;
    if (v && m_parent && m_color != m_parent->Color()) {
        m_color = m_parent->Color();
        ApplyWidgetPalette();
        Perform(CM_COLORCHANGED);
    }
}

void TControl::ApplyWidgetPalette()
{
    if (!m_widget || dynamic_cast<TGraphicControl*>(this)) return;
    QPalette pal = m_widget->palette();
    pal.setColor(QPalette::Window, ToQColor(m_color));
    m_widget->setPalette(pal);
    m_widget->setAutoFillBackground(true);
}

void TControl::SetParentFont(bool v)
{
    m_parentFont = v;
    if (v && m_parent) {
        TScopedValue<bool> fromParent(m_settingParentFont, true);
        m_font->Assign(m_parent->Font());
    }
}

void TControl::FontChangedEvent(TObject*)
{
    if (!m_settingParentFont) m_parentFont = false;
    if (m_widget && !dynamic_cast<TGraphicControl*>(this)) m_widget->setFont(m_font->ToQFont());
    Perform(CM_FONTCHANGED);
    if (auto* wc = dynamic_cast<TWinControl*>(this)) {
        for (int i = 0; i < wc->ControlCount(); ++i) {
            TControl* c = wc->Controls(i);
            if (c->m_parentFont) c->SetParentFont(true);
        }
    }
}

void TControl::SetCaption(const QString& v)
{
    if (m_caption == v) return;
    m_caption = v;
    if (m_widget && m_widget->isWindow()) m_widget->setWindowTitle(v);
    Perform(CM_TEXTCHANGED);
}

void TControl::SetCursor(TCursor v)
{
    if (m_cursor == v) return;
    m_cursor = v;
    if (m_widget) {
        if (v == crDefault) m_widget->unsetCursor();
        else m_widget->setCursor(CursorOf(v));
    }
    Perform(CM_CURSORCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* v)
{
    if (m_popupMenu == v) return;
    if (m_popupMenu) RemoveFreeNotification(m_popupMenu);
    m_popupMenu = v;
    if (v) FreeNotification(v);
}

void TControl::SetHint(const QString& v)
{
    m_hint = v;
    if (m_widget) m_widget->setToolTip(m_showHint ? v : QString());
}

void TControl::SetShowHint(bool v)
{
    m_showHint = v;
    SetHint(m_hint);
}

intptr_t TControl::Perform(uint32_t Msg, uintptr_t WParam, intptr_t LParam)
{
    TMessage m;
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_COLORCHANGED: ColorChanged(); break;
    case CM_FONTCHANGED: FontChanged(); break;
    case CM_TEXTCHANGED: TextChanged(); break;
    default: break;
    }
}

void TControl::Invalidate()
{
    if (m_widget) m_widget->update();
}

void TControl::Update()
{
    if (m_widget && g_paintDepth == 0) m_widget->repaint();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (m_widget) m_widget->raise();
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TControl::DispatchMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y, const TPoint& screen)
{
    g_lastCursorPos = screen;
    g_haveCursorPos = true;
    if (!m_enabled) return;
    m_pressed = true;
    m_pressedButton = Button;
    SafeCall(this, [&] { MouseDown(Button, Shift, X, Y); });
}

void TControl::DispatchDblClick(TMouseButton Button, TShiftState Shift, int X, int Y, const TPoint& screen)
{
    g_lastCursorPos = screen;
    g_haveCursorPos = true;
    if (!m_enabled) return;
    m_pressed = true;
    m_pressedButton = Button;
    SafeCall(this, [&] {
        if (Button == TMouseButton::mbLeft && (m_controlStyle & csDoubleClicks)) DblClick();
        MouseDown(Button, Shift, X, Y);
    });
}

void TControl::DispatchMouseMove(TShiftState Shift, int X, int Y, const TPoint& screen)
{
    g_lastCursorPos = screen;
    g_haveCursorPos = true;
    // A held pointer that crosses the edge: Qt tells nothing until the release.
    if (m_pressed) {
        const bool inside = X >= 0 && Y >= 0 && X < m_width && Y < m_height;
        if (inside != m_mouseInside) {
            if (inside) DispatchEnter();
            else DispatchLeave();
        }
    } else if (!m_mouseInside) {
        DispatchEnter();
    }
    if (!m_enabled) return;
    SafeCall(this, [&] { MouseMove(Shift, X, Y); });
}

void TControl::DispatchMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y, const TPoint& screen)
{
    g_lastCursorPos = screen;
    g_haveCursorPos = true;
    const bool wasPressed = m_pressed && m_pressedButton == Button;
    m_pressed = false;
    if (!m_enabled) return;
    QPointer<QWidget> alive(m_widget);
    SafeCall(this, [&] {
        const bool inside = X >= 0 && Y >= 0 && X < m_width && Y < m_height;
        // As in the framework, a click is reported before the release hook runs.
        if (wasPressed && inside && Button == TMouseButton::mbLeft && (m_controlStyle & csClickEvents)) Click();
        if (!alive) return;
        MouseUp(Button, Shift, X, Y);
        if (!alive) return;
        if (Button == TMouseButton::mbRight && m_popupMenu) m_popupMenu->Popup(screen.X, screen.Y);
    });
    if (alive && !m_pressed) {
        const bool inside = X >= 0 && Y >= 0 && X < m_width && Y < m_height;
        if (!inside && m_mouseInside) DispatchLeave();
    }
}

TControl* TControl::FromWidget(const QObject* w)
{
    const auto* cw = dynamic_cast<const TControlWidget*>(w);
    return cw ? cw->Control() : nullptr;
}

namespace {

TControl* FirstWithMenu(TControl* c)
{
    if (!c->Showing()) return nullptr;
    if (auto* wc = dynamic_cast<TWinControl*>(c))
        for (int i = 0; i < wc->ControlCount(); ++i)
            if (TControl* found = FirstWithMenu(wc->Controls(i))) return found;
    return c->PopupMenu() ? c : nullptr;
}

}  // namespace

TControl* TControl::ControlWithMenu()
{
    return FirstWithMenu(this);
}

bool TControl::KeyboardFocusable() const
{
    return m_widget && (m_widget->focusPolicy() & Qt::TabFocus);
}

void TControl::SetKeyboardFocusable(bool v)
{
    if (m_widget) m_widget->setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus);
}

bool TControl::KeyboardFocused() const
{
    return m_widget && m_widget->hasFocus();
}

void TControl::PopupFromKeyboard()
{
    if (!m_widget) return;
    // The control that a right click at the pointer would reach, else the first with a menu.
    // Places on the screen are the controls' own (ClientToScreen), which follow where the
    // window system says the window stands, not Qt's, which keeps a move that was refused in
    // silence; where the window system tells no places (native Wayland), Qt's.
    const QPoint pointer = QCursor::pos();
    const bool ownPlaces = WindowSystemTellsPositions();
    if (TControl* window = FromWidget(m_widget->window())) window->FollowWindowPosition();
    const auto toClient = [&](const TControl* c) {
        const TPoint p = c->ScreenToClient(TPoint(pointer.x(), pointer.y()));
        return ownPlaces ? QPoint(p.X, p.Y) : c->Widget()->mapFromGlobal(pointer);
    };
    const QPoint local = toClient(this);
    TControl* target = nullptr;
    if (m_widget->rect().contains(local)) {
        QWidget* w = m_widget->childAt(local);
        for (w = w ? w : m_widget.data(); w && !target; w = w == m_widget ? nullptr : w->parentWidget())
            if (TControl* c = FromWidget(w); c && c->PopupMenu()) target = c;
    }
    if (!target) target = FirstWithMenu(this);
    if (!target || !target->Widget()) return;
    const TPoint corner = target->ClientToScreen(TPoint(0, 0));
    const QPoint at = target->Widget()->rect().contains(toClient(target)) ? pointer
                      : ownPlaces                                         ? QPoint(corner.X, corner.Y)
                                                                          : target->Widget()->mapToGlobal(QPoint(0, 0));
    target->PopupMenu()->Popup(at.x(), at.y());
}

void TControl::DispatchEnter()
{
    if (m_mouseInside) return;
    m_mouseInside = true;
    SafeCall(this, [&] { Perform(CM_MOUSEENTER); });
}

void TControl::DispatchLeave()
{
    if (!m_mouseInside) return;
    m_mouseInside = false;
    SafeCall(this, [&] { Perform(CM_MOUSELEAVE); });
}

// ---------------------------------------------------------------------------------------------
// 3. TGraphicControl
// ---------------------------------------------------------------------------------------------
TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), m_canvas(new TCanvas)
{
    m_canvas->SetTarget(&m_surface);
    m_canvas->OnChange = [this](const TRect& r) {
        ++m_surfaceGeneration;
        SurfaceTouched(r);
    };
}

TGraphicControl::~TGraphicControl()
{
    Destroying();
    g_batched.erase(std::remove(g_batched.begin(), g_batched.end(), this), g_batched.end());
    m_canvas->OnChange = nullptr;
    m_canvas->SetTarget(nullptr);
}

void TGraphicControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    // On a scaled screen the surface holds the screen's device pixels for its logical size.
    const qreal ratio = m_widget ? m_widget->devicePixelRatioF() : qApp->devicePixelRatio();
    const QSize pixels = DeviceSizeCovering(AWidth, AHeight, ratio);
    if (pixels != m_surface.size() || ratio != m_surface.devicePixelRatio()) {
        m_canvas->ReleaseHandle();
        QImage next(pixels, QImage::Format_RGB32);
        next.setDevicePixelRatio(ratio);
        if (!next.isNull()) {
            next.fill(Qt::white);
            if (!m_surface.isNull()) {
                QPainter p(&next);
                p.drawImage(0, 0, m_surface);
            }
        }
        m_surface = next;
        ++m_surfaceGeneration;
        m_canvas->SetTarget(&m_surface);
    }
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TGraphicControl::RenderParentBackground(QImage& image) const
{
    TWinControl* parent = Parent();
    if (!parent || !parent->Widget() || image.isNull()) return;
    QPainter p(&image);
    parent->Widget()->render(&p, QPoint(0, 0), QRegion(m_left, m_top, m_width, m_height),
                             QWidget::DrawWindowBackground);
}

void TGraphicControl::PaintCycle()
{
    if (m_surface.isNull()) return;
    if (!(ControlStyle() & csOpaque)) {
        m_canvas->ReleaseHandle();
        RenderParentBackground(m_surface);
        ++m_surfaceGeneration;
    }
    TScopedValue<bool> painting(m_inPaintCycle, true);
    Paint();
}

void TGraphicControl::SurfaceTouched(const TRect& r)
{
    if (!m_widget || m_inPaintCycle) return;
    if (!m_widget->isVisible()) return;
    if (g_paintDepth > 0) {
        // Qt refuses a repaint inside a paint cycle: show it when the cycle is over.
        m_widget->update(ScreenArea(r));
        return;
    }
    if (g_batchDepth > 0) {
        if (m_pendingFlush.IsEmpty()) g_batched.push_back(this);
        m_pendingFlush = UnionRect(m_pendingFlush, r);
        return;
    }
    Flush(r);
}

void TGraphicControl::FlushPending()
{
    const TRect r = m_pendingFlush;
    m_pendingFlush = TRect();
    if (r.IsEmpty() || !m_widget || !m_widget->isVisible()) return;
    if (g_paintDepth > 0) m_widget->update(ScreenArea(r));
    else Flush(r);
}

void TGraphicControl::Flush(const TRect& r)
{
    // The surface holds the drawing already: put exactly that part on screen now.
    auto* w = static_cast<TControlWidget*>(m_widget.data());
    m_canvas->ReleaseHandle();
    const QRect area = ScreenArea(r);
    ++m_screenFlushes;
    if (w->Present(m_surface, area)) return;
    TScopedValue<bool> flushing(w->m_flushing, true);
    w->repaint(area);
}

QRect TGraphicControl::ScreenArea(const TRect& r) const
{
    const qreal k = m_surface.devicePixelRatio();
    if (IsWholeScale(k)) return ToQRect(r);
    return WithFractionalScaleMargin(ToQRect(r)) & m_widget->rect();
}

TDrawingBatch::TDrawingBatch()
{
    ++g_batchDepth;
}

TDrawingBatch::~TDrawingBatch()
{
    if (--g_batchDepth > 0) return;
    std::vector<TGraphicControl*> pending;
    pending.swap(g_batched);
    for (TGraphicControl* c : pending) SafeCall(c, [c] { c->FlushPending(); });
}

// ---------------------------------------------------------------------------------------------
// 4. The mouse position
// ---------------------------------------------------------------------------------------------
TPoint MouseCursorPos()
{
    if (g_haveCursorPos) return g_lastCursorPos;
    const QPoint p = QCursor::pos();
    return TPoint(p.x(), p.y());
}
