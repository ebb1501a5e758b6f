#include "platform/forms.h"

#include "platform/application.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

TScreen* Screen = nullptr;

// ---------------------------------------------------------------------------------------------
// 1. Forms
// ---------------------------------------------------------------------------------------------
TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner, NewWindowWidget(this))
{
    m_visible = false;
    m_widget->setAttribute(Qt::WA_QuitOnClose, false);
    ApplyWindowFlags();
    ApplyWidgetPalette();
}

TCustomForm::~TCustomForm()
{
    Destroying();
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
    const bool wasVisible = m_widget->isVisible();
    m_widget->setWindowFlags(f);
    if (m_borderStyle == TFormBorderStyle::bsSingle || m_borderStyle == TFormBorderStyle::bsDialog)
        m_widget->setFixedSize(std::max(1, m_width), std::max(1, m_height));
    else {
        m_widget->setMinimumSize(0, 0);
        m_widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    // Changing the flags hides the window and may forget where it stood.
    UpdateWidgetGeometry();
    if (wasVisible) m_widget->show();
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
            QScreen* s = QGuiApplication::primaryScreen();
            if (s) {
                const QRect g = s->geometry();
                SetBounds(g.x() + (g.width() - m_width) / 2, g.y() + (g.height() - m_height) / 2, m_width, m_height);
            }
        }
    }
    if (m_borderStyle == TFormBorderStyle::bsSingle || m_borderStyle == TFormBorderStyle::bsDialog) {
        if (m_widget) m_widget->setFixedSize(std::max(1, m_width), std::max(1, m_height));
    }
    if (v == m_visible && m_widget && m_widget->isVisible() == v) return;
    const bool showing = v && !m_visible;
    m_visible = v;
    // OnShow runs as the form becomes visible, before the window appears, and only then: a
    // window the window system shows again (after minimising) is not shown anew.
    if (showing && OnShow) OnShow(this);
    if (m_widget) {
        if (v) {
            UpdateWidgetGeometry();
            m_widget->show();
        } else {
            m_widget->hide();
        }
    }
    Perform(CM_VISIBLECHANGED, v ? 1 : 0);
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
