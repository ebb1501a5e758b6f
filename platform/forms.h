// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Forms (top-level windows) and the screen object: the application's side of the controls.
//
// Index
//   1. TCustomForm / TForm: top-level windows
//   2. TScreen, grabbing the screen's pixels, creating forms
#pragma once

#include "platform/application.h"
#include "platform/controls.h"

#include <QPointer>
#include <QRect>
#include <vector>

class QTimer;

// ---------------------------------------------------------------------------------------------
// 1. Forms
// ---------------------------------------------------------------------------------------------
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

// A top-level window. Left/Top are the window's position on the screen, Width/Height its
// client size (the frame the window system adds is not counted). Changing FormStyle keeps
// the position, and the native window: a stay-on-top switch never takes the focus away from
// another window. Closing a form hides it; closing the main form ends the message loop.
class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    QString ClassName() const override { return QStringLiteral("TCustomForm"); }

    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TFormStyle FormStyle() const { return m_formStyle; }
    void SetFormStyle(TFormStyle v);
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition v) { m_position = v; }
    void SetIcon(const QIcon& icon);

    // A form that becomes visible is activated, with the keyboard focus on the first control
    // of its tab order.
    void SetVisible(bool v) override;
    void Close();
    // Raises the window above its siblings and gives it focus.
    void BringToFront();
    // The geometry of the monitor that holds the window (screen coordinates).
    TRect MonitorRect() const;
    // Left and Top := where the window system says the visible window stands now. A move asked
    // for (by SetBounds or the window manager) is counted once the window system reports it;
    // this happens by itself after every move, and may be called to be sure at a given moment.
    // Where the window system cannot tell (native Wayland), the position the window was shown
    // at stays, since the program's own moves are not carried out there.
    void FollowWindowPosition() override;

    // Called by the application after the constructor (the layout is loaded): fires OnCreate.
    virtual void AfterConstruction();

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;

    // Entry from the widget: the window system asks to close the window.
    bool CloseQuery();
    void DispatchShowEvent();
    void DispatchHideEvent();
    void WindowCloseRequested() override { CloseQuery(); }
    void WindowShown() override { DispatchShowEvent(); }
    void WindowHidden() override { DispatchHideEvent(); }
    void WindowMoved() override;
    void WindowReplaced() override { RestackOwnedForms(); }
    // A form without a frame the user could size by, or with a fixed one, keeps the size the
    // program gives it: the window system is told that it can be neither larger nor smaller,
    // which a tiling compositor (sway) takes as a window to float rather than to tile.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    // Keeps the other forms on screen above the main form while it stays on top (see
    // UpdateWindowOwner).
    void RestackOwnedForms();

protected:
    void ApplyWindowFlags();
    void Resized() override;

private:
    // Centres the window on the primary screen, its frame included where the window system
    // has told how large the frame is.
    void CentreOnScreen();
    // Queues FollowWindowPosition for the next turn of the event loop, once.
    void FollowPositionSoon();
    // Whether the window system is told the window's size is fixed (see SetBounds).
    bool FixedSize() const;
    // Once the window system has had a moment to carry out or refuse what was asked, a window
    // that stands elsewhere than Qt knows, or is larger (sway refuses moves and a floating
    // window under 50 pixels high in silence), is given that place and size in Qt too: Qt
    // would place menus and tool tips where the window was asked to go, and leave the rows it
    // does not know showing what they last showed.
    void CheckQtWindowRecord();
    void ScheduleQtWindowRecordCheck();
    // While the application's main form stays on top, every other form is kept above it (a
    // program's own dialogs never hide behind its own stay-on-top window); otherwise forms
    // stack freely.
    void UpdateWindowOwner();
    TFormBorderStyle m_borderStyle = TFormBorderStyle::bsSizeable;
    TFormStyle m_formStyle = TFormStyle::fsNormal;
    TPosition m_position = TPosition::poDesigned;
    bool m_positioned = false;
    // Centred before the window manager framed the window: centred again, frame included, once
    // the frame is known.
    bool m_centreFrame = false;
    // A follow-up of the window's position is queued.
    bool m_followPosition = false;
    int m_followRetries = 0;
    TPoint m_shownAt;
    QPointer<QTimer> m_recordCheck;
    // The last correction: Qt's record then, and the reported geometry it was made; not
    // repeated when Qt cannot take the reported one exactly (a scale that rounds it).
    QRect m_recordWas, m_recordSetTo;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
    QString ClassName() const override { return QStringLiteral("TForm"); }
};

// ---------------------------------------------------------------------------------------------
// 2. The screen
// ---------------------------------------------------------------------------------------------
class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    QString ClassName() const override { return QStringLiteral("TScreen"); }
    int Width() const;
    int Height() const;
    // Where each monitor stands on the desktop, in screen coordinates; the primary one first.
    std::vector<TRect> MonitorRects() const;
    int PixelsPerInch() const { return 96; }
    // The cursor table: the framework's numbers map to Qt's shapes; programs install their
    // own cursors under positive numbers.
    QCursor Cursors(TCursor index) const;
    void SetCursors(TCursor index, const QCursor& cursor);
    bool HasCursor(TCursor index) const;
};

extern TScreen* Screen;

// The desktop's pixels in r (screen coordinates) as the window system shows them, 24 bits per
// pixel; a null image where the window system offers no pixels. Note that inside one of this
// program's own windows this is the last frame put on screen, not what lies under a control:
// for that, a control renders its parent (TGraphicControl::RenderParentBackground).
QImage GrabScreenRect(const TRect& r);

// Creates a form the way the application object does: constructs it with the application as
// owner, stores it in ref, registers it (the first one is the main form), then fires OnCreate.
template <class T>
T* CreateForm(T*& ref)
{
    ref = new T(Application);
    Application->RegisterForm(ref);
    ref->AfterConstruction();
    return ref;
}
