// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/forms.h"

#include "platform/application.h"
#include "platform/pixelrows.h"
#include "platform/windowsystem.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <vector>

TScreen* Screen = nullptr;

namespace {

// The forms that exist, for keeping them above a main form that stays on top.
std::vector<TCustomForm*> g_forms;

// A window that appears takes the keyboard, on the first control of its tab order that can
// take it: a form the user calls up is there to be used, under a window manager too (which
// is only asked to activate it) as without one.
void ActivateOnFirstControl(QWidget* window)
{
    window->activateWindow();
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() == window && w->isVisibleTo(window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// 1. Forms
// ---------------------------------------------------------------------------------------------
TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner, NewWindowWidget(this))
{
    m_visible = false;
    m_widget->setAttribute(Qt::WA_QuitOnClose, false);
    ApplyWindowFlags();
    ApplyWidgetPalette();
    g_forms.push_back(this);
    WatchWindowConfigure([] {
        for (TCustomForm* f : g_forms) f->FollowWindowPosition();
    });
    // Qt's own dialogs (colour, font, message boxes) stay above the window they were opened
    // from, or above the main form, while the main form stays on top.
    SetDialogOwnerRule([]() -> QWidget* {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (!main || main->FormStyle() != TFormStyle::fsStayOnTop) return nullptr;
        QWidget* active = QApplication::activeWindow();
        for (TCustomForm* f : g_forms)
            if (active && f->Widget() == active) return active;
        return main->Widget();
    });
}

TCustomForm::~TCustomForm()
{
    Destroying();
    g_forms.erase(std::remove(g_forms.begin(), g_forms.end(), this), g_forms.end());
}

void TCustomForm::UpdateWindowOwner()
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!m_widget || !main || main == this) return;
    const bool above = main->FormStyle() == TFormStyle::fsStayOnTop && main->Widget();
    SetWindowOwner(m_widget, above ? main->Widget() : nullptr);
}

void TCustomForm::ApplyWindowFlags()
{
    if (!m_widget) return;
    Qt::WindowFlags f = Qt::Window;
    switch (m_borderStyle) {
    case TFormBorderStyle::bsNone: f |= Qt::FramelessWindowHint; break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsDialog:
        f |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
        break;
    case TFormBorderStyle::bsToolWindow: f |= Qt::Tool; break;
    default:
        f |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
        break;
    }
    if (m_formStyle == TFormStyle::fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
    const bool onTop = f & Qt::WindowStaysOnTopHint;
    if (m_widget->windowHandle() && (f ^ m_widget->windowFlags()) == Qt::WindowStaysOnTopHint) {
        // Only stay-on-top changes: the native window stays, so what holds it (the keyboard
        // focus, the window manager's stacking, another form's owner link) holds it still.
        // Qt's setWindowFlags would make a new one, which the window manager then activates.
        m_widget->overrideWindowFlags(f);
        m_widget->windowHandle()->setFlags(f);
        SetStayOnTopInPlace(m_widget, onTop);
        RestackOwnedForms();
        return;
    }
    const bool wasVisible = m_widget->isVisible();
    m_widget->setWindowFlags(f);
    if (FixedSize())
        m_widget->setFixedSize(std::max(1, m_width), std::max(1, m_height));
    else {
        m_widget->setMinimumSize(0, 0);
        m_widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    // Changing the flags hides the window and may forget where it stood.
    UpdateWidgetGeometry();
    if (wasVisible) m_widget->show();
    RestackOwnedForms();
}

void TCustomForm::RestackOwnedForms()
{
    // The main form may stay on top now, or its native window was replaced: the other forms on
    // screen follow it, and are raised for the case that no window manager stacks them.
    if (!Application || Application->MainForm() != this) return;
    for (TCustomForm* f : g_forms) {
        if (f == this || !f->m_widget || !f->m_widget->isVisible()) continue;
        f->UpdateWindowOwner();
        f->m_widget->raise();
    }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v)
{
    if (m_borderStyle == v) return;
    m_borderStyle = v;
    ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle v)
{
    if (m_formStyle == v) return;
    m_formStyle = v;
    ApplyWindowFlags();
}

void TCustomForm::SetIcon(const QIcon& icon)
{
    if (m_widget) m_widget->setWindowIcon(icon);
}

void TCustomForm::SetVisible(bool v)
{
    if (v && !m_positioned) {
        m_positioned = true;
        if (m_position == TPosition::poScreenCenter || m_position == TPosition::poDesktopCenter) {
            CentreOnScreen();
            m_centreFrame = m_borderStyle != TFormBorderStyle::bsNone;
        }
    }
    if (FixedSize() && m_widget) m_widget->setFixedSize(std::max(1, m_width), std::max(1, m_height));
    if (v == m_visible && m_widget && m_widget->isVisible() == v) return;
    const bool showing = v && !m_visible;
    m_visible = v;
    // OnShow runs as the form becomes visible, before the window appears, and only then: a
    // window the window system shows again (after minimising) is not shown anew.
    if (showing && OnShow) OnShow(this);
    if (m_widget) {
        if (v) {
            m_shownAt = TPoint(m_left, m_top);
            UpdateWidgetGeometry();
            m_widget->show();
            // After the show: Qt clears the owner of a plain window as it maps it.
            UpdateWindowOwner();
            if (showing) ActivateOnFirstControl(m_widget);
        } else {
            m_widget->hide();
            m_centreFrame = false;
        }
    }
    Perform(CM_VISIBLECHANGED, v ? 1 : 0);
}

bool TCustomForm::FixedSize() const
{
    return m_borderStyle == TFormBorderStyle::bsNone || m_borderStyle == TFormBorderStyle::bsSingle ||
           m_borderStyle == TFormBorderStyle::bsDialog;
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const bool fixed = FixedSize() && m_widget;
    // The window system is told, in this order, that the size is free, which size is asked
    // for, and that it is fixed there: a window manager refuses a size outside the limits it
    // knows when the request reaches it, and Qt keeps a window's size within its own. A move
    // alone keeps the limits: a window manager shown a free size for a moment decorates the
    // window as a resizable one for that moment (openbox adds its resize handle).
    const bool resizing = fixed && m_widget->size() != QSize(std::max(1, AWidth), std::max(1, AHeight));
    if (resizing) {
        m_widget->setMinimumSize(0, 0);
        m_widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (fixed) m_widget->setFixedSize(std::max(1, m_width), std::max(1, m_height));
    // A move refused without a word (sway) is never reported, and Qt tells no move for it:
    // Left and Top are asked of the window system once the request has gone its way.
    FollowPositionSoon();
}

void TCustomForm::Resized()
{
    TWinControl::Resized();
    ScheduleQtWindowRecordCheck();
}

void TCustomForm::ScheduleQtWindowRecordCheck()
{
    if (!m_widget || !m_widget->isVisible() || !WindowSystemTellsPositions()) return;
    if (!m_recordCheck) {
        m_recordCheck = new QTimer(m_widget);
        m_recordCheck->setSingleShot(true);
        // Window managers answer within a few milliseconds; a drag asks again and again, and
        // its end is the moment that counts. A window manager slower than this to carry out a
        // shrinking would see the old size asked for again.
        m_recordCheck->setInterval(300);
        QObject::connect(m_recordCheck, &QTimer::timeout, m_widget, [this] { CheckQtWindowRecord(); });
    }
    m_recordCheck->start();
}

void TCustomForm::CheckQtWindowRecord()
{
    if (!m_widget || !m_widget->isVisible()) return;
    const std::optional<QRect> reported = WindowClientGeometry(m_widget);
    if (!reported) return;
    const QRect qt = m_widget->geometry();
    // A window kept smaller than asked only has Qt paint more than shows. At a fractional
    // scale logical pixels round: a pixel apart is the same place and size.
    const qreal k = m_widget->devicePixelRatioF();
    const int slack = IsWholeScale(k) ? 0 : FractionalScaleMargin;
    if (std::abs(reported->x() - qt.x()) <= slack && std::abs(reported->y() - qt.y()) <= slack &&
        reported->width() <= qt.width() + slack && reported->height() <= qt.height() + slack)
        return;
    if (*reported == m_recordSetTo && qt == m_recordWas) return;
    m_recordWas = qt;
    m_recordSetTo = *reported;
    // Qt takes a report that differs from what it asked for only when the window system sends
    // one, and one that refuses in silence sends none: so Qt is asked for the place and size
    // the window has, which it then records, and which the window system grants at once, as
    // nothing changes. A window kept larger takes that size, as the user's resizing would.
    if (FixedSize()) m_widget->setFixedSize(reported->size());
    m_widget->setGeometry(*reported);
}

void TCustomForm::CentreOnScreen()
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect g = s->geometry();
    const QMargins frame = m_widget && m_widget->windowHandle() ? m_widget->windowHandle()->frameMargins() : QMargins();
    const int w = m_width + frame.left() + frame.right();
    const int h = m_height + frame.top() + frame.bottom();
    SetBounds(g.x() + (g.width() - w) / 2, g.y() + (g.height() - h) / 2, m_width, m_height);
}

void TCustomForm::FollowPositionSoon()
{
    if (m_followPosition || !m_widget || !m_widget->isVisible()) return;
    // Asked after the move has gone its way through the event loop: the window system answers
    // for moves it carried out, not for ones it refused or has not reached yet.
    m_followPosition = true;
    QMetaObject::invokeMethod(m_widget, [this] {
        m_followPosition = false;
        FollowWindowPosition();
    }, Qt::QueuedConnection);
}

void TCustomForm::WindowMoved()
{
    FollowPositionSoon();
    // A window manager frames a window only after it is shown, so the first centring could only
    // count the client area. Centre again as soon as the frame is known.
    if (!m_centreFrame || !m_widget || !m_widget->windowHandle()) return;
    if (m_widget->windowHandle()->frameMargins().isNull()) return;
    m_centreFrame = false;
    CentreOnScreen();
}

void TCustomForm::FollowWindowPosition()
{
    if (!m_widget || !m_widget->isVisible()) return;
    TPoint at = m_shownAt;
    if (WindowSystemTellsPositions()) {
        const std::optional<QPoint> client = WindowClientPosition(m_widget);
        if (!client) {
            // Not settled yet: ask again a little later, for a while.
            if (m_followRetries++ < 50) QTimer::singleShot(40, m_widget, [this] { FollowWindowPosition(); });
            return;
        }
        m_followRetries = 0;
        ScheduleQtWindowRecordCheck();
        // Left and Top count the frame, as Qt's pos() does.
        const QPoint frame = m_widget->geometry().topLeft() - m_widget->pos();
        at = TPoint(client->x() - frame.x(), client->y() - frame.y());
    }
    m_left = at.X;
    m_top = at.Y;
}

void TCustomForm::Close()
{
    CloseQuery();
}

bool TCustomForm::CloseQuery()
{
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return false;
    SetVisible(false);
    if (Application && Application->MainForm() == this) Application->Terminate();
    return true;
}

void TCustomForm::BringToFront()
{
    if (!m_widget) return;
    m_widget->raise();
    m_widget->activateWindow();
}

TRect TCustomForm::MonitorRect() const
{
    QScreen* s = QGuiApplication::screenAt(QPoint(m_left + m_width / 2, m_top + std::max(0, m_height / 2)));
    if (!s) s = QGuiApplication::screenAt(QPoint(m_left, m_top));
    if (!s && m_widget) s = m_widget->screen();
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? FromQRect(s->geometry()) : TRect(0, 0, 1024, 768);
}

void TCustomForm::AfterConstruction()
{
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DispatchShowEvent()
{
    // Shown by someone other than SetVisible (the window system): the form is visible now.
    if (m_visible) return;
    m_visible = true;
    if (OnShow) OnShow(this);
}

void TCustomForm::DispatchHideEvent()
{
    if (m_widget && m_widget->isVisible()) return;
    m_visible = false;
    if (OnHide) OnHide(this);
}

// ---------------------------------------------------------------------------------------------
// 2. The screen
// ---------------------------------------------------------------------------------------------
int TScreen::Width() const
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
}

int TScreen::Height() const
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0;
}

std::vector<TRect> TScreen::MonitorRects() const
{
    std::vector<TRect> rects;
    for (QScreen* s : QGuiApplication::screens()) rects.push_back(FromQRect(s->geometry()));
    return rects;
}

QCursor TScreen::Cursors(TCursor index) const
{
    return CursorOf(index);
}

void TScreen::SetCursors(TCursor index, const QCursor& cursor)
{
    InstallCursor(index, cursor);
}

bool TScreen::HasCursor(TCursor index) const
{
    return HasInstalledCursor(index);
}

QImage GrabScreenRect(const TRect& r)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || r.IsEmpty()) return QImage();
    const QImage grabbed = screen->grabWindow(0, r.Left, r.Top, r.Width(), r.Height()).toImage();
    return grabbed.isNull() ? QImage() : grabbed.convertToFormat(QImage::Format_BGR888);
}
