// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Controls and forms of the framework on Qt widgets.
//
// Index
//   1. Control messages and style flags
//   2. TControl: bounds, visibility, colour, font, mouse events, Perform/WndProc
//   3. TGraphicControl: a windowless control with a retained surface and a Canvas
//   4. TWinControl: a control that holds other controls
//   5. The mouse position
// Forms, the screen object and creating forms are in forms.h.
//
// Every control owns a Qt widget. A TGraphicControl's widget is a plain child QWidget that
// shows the control's retained *surface*: its Canvas draws on the surface at any time, as a
// Windows canvas draws on the parent's device context at any time, and the platform puts what
// was drawn on screen:
//   - in a paint cycle (the platform asks the control to paint: Paint(), then the surface is
//     copied to the screen); before Paint of a control without csOpaque the parent's own
//     painting under the control is first rendered into the surface;
//   - right away after drawing done outside a paint cycle: the touched rectangle's pixels are
//     copied straight into the window's backing store and flushed, or, where a sibling covers
//     part of it or the store is not a plain opaque image, through QWidget::repaint of the
//     rectangle. Such a platform-caused paint event only copies the surface; it never calls
//     Paint again. Asked for while a paint cycle is under way, it only marks the rectangle,
//     which reaches the screen when that cycle ends; inside a TDrawingBatch the touched
//     rectangles are united and reach the screen once, when the batch ends.
// On a scaled screen the surface holds device pixels (QImage::setDevicePixelRatio) while the
// geometry and the Canvas's coordinates stay logical, so drawing is rasterised at the
// screen's own resolution.
// Qt tells a control that the pointer left only after a held button is released; the platform
// sends CM_MOUSELEAVE / CM_MOUSEENTER itself when a held pointer crosses the control's edge.
// All of this runs on the GUI thread; every entry from Qt goes through SafeCall.
#pragma once

#include "platform/cursors.h"
#include "platform/graphics.h"
#include "platform/message.h"

#include <QAccessible>
#include <QCursor>
#include <QPointer>
#include <QWidget>
#include <map>
#include <optional>

class QWidget;
class TWinControl;
class TPopupMenu;
class TControlWidget;

// ---------------------------------------------------------------------------------------------
// 1. Control messages and style flags
// ---------------------------------------------------------------------------------------------
constexpr uint32_t CM_BASE = 0xB000;
constexpr uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr uint32_t CM_COLORCHANGED = CM_BASE + 13;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 14;
constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 15;
constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;  // 0xB013
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;  // 0xB014

enum TControlStyleFlag : uint32_t {
    csAcceptsControls = 1 << 0,
    csCaptureMouse = 1 << 1,
    csDesignInteractive = 1 << 2,
    csClickEvents = 1 << 3,
    csFramed = 1 << 4,
    csSetCaption = 1 << 5,
    csOpaque = 1 << 6,
    csDoubleClicks = 1 << 7,
    csFixedWidth = 1 << 8,
    csFixedHeight = 1 << 9,
    csNoDesignVisible = 1 << 10,
    csReplicatable = 1 << 11,
    csNoStdEvents = 1 << 12,
    csDisplayDragImage = 1 << 13,
    csReflector = 1 << 14,
    csActionClient = 1 << 15,
    csMenuEvents = 1 << 16,
};
using TControlStyle = uint32_t;

// ---------------------------------------------------------------------------------------------
// 2. TControl
// ---------------------------------------------------------------------------------------------
class TControl : public TComponent {
public:
    ~TControl() override;
    QString ClassName() const override { return QStringLiteral("TControl"); }

    QWidget* Widget() const { return m_widget; }

    TWinControl* Parent() const { return m_parent; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetLeft(int v) { SetBounds(v, m_top, m_width, m_height); }
    void SetTop(int v) { SetBounds(m_left, v, m_width, m_height); }
    void SetWidth(int v) { SetBounds(m_left, m_top, v, m_height); }
    void SetHeight(int v) { SetBounds(m_left, m_top, m_width, v); }
    // Position in the parent's client coordinates (screen coordinates for a form).
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(m_left, m_top, m_width, m_height); }
    virtual TRect ClientRect() const { return TRect(0, 0, m_width, m_height); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int v) { SetWidth(v); }
    void SetClientHeight(int v) { SetHeight(v); }
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    TAlign Align() const { return m_align; }
    void SetAlign(TAlign v);

    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent visible too.
    bool Showing() const;
    bool Enabled() const { return m_enabled; }
    virtual void SetEnabled(bool v);

    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool v);
    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* f) { m_font->Assign(f); }
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool v);

    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& v);
    const QString& Text() const { return m_caption; }
    void SetText(const QString& v) { SetCaption(v); }

    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor v);
    TPopupMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(TPopupMenu* v);
    const QString& Hint() const { return m_hint; }
    void SetHint(const QString& v);
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool v);

    TControlStyle ControlStyle() const { return m_controlStyle; }
    void SetControlStyle(TControlStyle v) { m_controlStyle = v; }

    // Sends a message to the control synchronously, through its window procedure.
    intptr_t Perform(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0);
    virtual void WndProc(TMessage& Message);

    // Asks for a repaint in the platform's paint cycle.
    virtual void Invalidate();
    // Paints now what is pending.
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Entry points of the platform's event delivery (public so the widget can reach them).
    void DispatchMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y, const TPoint& screen);
    void DispatchMouseMove(TShiftState Shift, int X, int Y, const TPoint& screen);
    void DispatchMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y, const TPoint& screen);
    void DispatchDblClick(TMouseButton Button, TShiftState Shift, int X, int Y, const TPoint& screen);
    void DispatchEnter();
    void DispatchLeave();
    bool MouseInside() const { return m_mouseInside; }

    // What assistive tools (screen readers) are told of the control (platform/accessible.h).
    // By default a window is a window named by its caption, and a windowless control a picture
    // named by its caption; a control that shows text, links or values says more.
    virtual QAccessible::Role AccessibleRole() const;
    virtual QString AccessibleName() const { return Caption(); }
    virtual QString AccessibleDescription() const { return {}; }
    virtual QString AccessibleValue() const { return {}; }
    // Controls that show text give it whole, for a reader to read out.
    virtual bool HasAccessibleText() const { return false; }
    virtual QString AccessibleText() const { return {}; }
    // The actions a tool may run, by Qt's names (QAccessibleActionInterface::pressAction()...),
    // run only while the control is enabled.
    virtual QStringList AccessibleActions() const { return {}; }
    virtual void DoAccessibleAction(const QString& /*name*/) {}
    // Tells assistive tools that the name changed. Asked several times before the event loop
    // runs again, it tells them once, and not at all when the name is the one last told.
    void AccessibleNameChanged();
    // The control that owns widget w, or none.
    static TControl* FromWidget(const QObject* w);

    // A window's Left and Top := where the window system says it stands now (a form does so;
    // other controls have nothing to do).
    virtual void FollowWindowPosition() {}
    // The context-menu key or Shift+F10 on a window: opens the menu that a right click would,
    // that of the control under the pointer or, with the pointer elsewhere, of the first showing
    // control that has one, at the pointer or at the control's top left corner.
    void PopupFromKeyboard();
    // The control whose menu PopupFromKeyboard opens with the pointer elsewhere: this one, or
    // the first showing control under it that has a menu; none when there is no menu to open.
    // Assistive tools are offered a "show menu" action wherever there is one.
    TControl* ControlWithMenu();

    // A windowless control that offers something to do can take the keyboard focus too, as a
    // link on a web page does: Tab stops at it in its parent's order (ChainTabOrder), Return or
    // Space runs its first accessible action, and FocusChanged tells it to show or drop its
    // focus mark. Off by default; for the platform's own windowless controls only (a
    // standard control takes the focus as its widget does).
    bool KeyboardFocusable() const;
    void SetKeyboardFocusable(bool v);
    bool KeyboardFocused() const;

protected:
    // The widget is made by the descendant (a plain TControlWidget by default) and owned by the
    // control; it is parented to the parent control's widget.
    TControl(TComponent* AOwner, QWidget* widget);
    explicit TControl(TComponent* AOwner);

    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();
    // Called when the widget's geometry was changed from outside (window manager, layout).
    virtual void Resized() {}
    // Entries from the window system for a top-level window (a form overrides them): it asks
    // to close the window; the window was shown or hidden by someone other than SetVisible.
    virtual void WindowCloseRequested() {}
    virtual void WindowShown() {}
    virtual void WindowHidden() {}
    // The window moved on the screen, whoever moved it (Left and Top follow already); its
    // native window was replaced (Qt does so a while after some flags change).
    virtual void WindowMoved() {}
    virtual void WindowReplaced() {}
    // The control took or lost the keyboard focus.
    virtual void FocusChanged() {}
    // The Qt widget of a top-level window for control (forms construct with it).
    static QWidget* NewWindowWidget(TControl* control);
    // Hook for changes of Color / Font / Caption / Enabled / Visible, through the messages.
    // A new colour repaints the control, as in the framework.
    virtual void ColorChanged() { Invalidate(); }
    virtual void FontChanged() {}
    virtual void TextChanged() {}
    void UpdateWidgetGeometry();
    void ApplyWidgetPalette();

    QPointer<QWidget> m_widget;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = true;

private:
    void FontChangedEvent(TObject*);
    friend class TWinControl;
    friend class TControlWidget;

    TWinControl* m_parent = nullptr;
    TAlign m_align = TAlign::alNone;
    bool m_enabled = true;
    TColor m_color = clBtnFace;
    bool m_parentColor = false;
    std::unique_ptr<TFont> m_font;
    bool m_parentFont = true;
    bool m_settingParentFont = false;
    QString m_caption;
    TCursor m_cursor = crDefault;
    TPopupMenu* m_popupMenu = nullptr;
    QString m_hint;
    bool m_showHint = false;
    TControlStyle m_controlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    bool m_mouseInside = false;
    bool m_pressed = false;
    TMouseButton m_pressedButton = TMouseButton::mbLeft;
    bool m_accessibleChangePending = false;
    std::optional<QString> m_accessibleNameTold;   // none until a change is first told
};

// ---------------------------------------------------------------------------------------------
// 3. TGraphicControl
// ---------------------------------------------------------------------------------------------
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    QString ClassName() const override { return QStringLiteral("TGraphicControl"); }

    // Draws on the control's retained surface; what it touches reaches the screen (see the
    // header comment).
    TCanvas* Canvas() const { return m_canvas.get(); }
    const QImage& Surface() const { return m_surface; }
    // Device pixels per logical pixel of the surface: the scale of the screen it is shown on.
    qreal DevicePixelRatio() const { return m_surface.devicePixelRatio(); }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    // Counts what changed the surface: every drawing call on its canvas, a new surface, the
    // parent's background rendered into it. A control that keeps its own copy of what it last
    // put there compares the count to know whether anything else drew on the surface since.
    uint64_t SurfaceGeneration() const { return m_surfaceGeneration; }

    // Renders what the parent paints under this control (its own painting, no other
    // controls) into image, which must be Width x Height.
    void RenderParentBackground(QImage& image) const;

protected:
    virtual void Paint() {}

private:
    // The platform's paint cycle: renders the parent under a control without csOpaque, then
    // calls Paint. The control's widget runs it when Qt paints it.
    void PaintCycle();
    void SurfaceTouched(const TRect& r);
    void FlushPending();
    void Flush(const TRect& r);
    // The widget's area that Qt repaints and flushes for a touched rectangle. At a fractional
    // scale the device pixels the canvas draws for a logical rectangle may reach past those Qt
    // repaints for it: a logical pixel more on each side covers them.
    QRect ScreenArea(const TRect& r) const;
    friend class TControlWidget;
    friend class TDrawingBatch;
    friend struct TPlatformHooks;

    QImage m_surface;
    std::unique_ptr<TCanvas> m_canvas;
    bool m_inPaintCycle = false;
    uint64_t m_surfaceGeneration = 0;
    uint64_t m_screenFlushes = 0;
    TRect m_pendingFlush;
};

// While one of these lives, what graphic controls' canvases draw outside a paint cycle is
// collected per control, and reaches the screen once, when the outermost batch ends, instead of
// once per canvas call. Direct painting (InvalidateControl calling Paint) and the platform's
// mouse handlers run inside one; what is on screen afterwards is the same.
class TDrawingBatch {
public:
    TDrawingBatch();
    ~TDrawingBatch();
    TDrawingBatch(const TDrawingBatch&) = delete;
    TDrawingBatch& operator=(const TDrawingBatch&) = delete;
};

// ---------------------------------------------------------------------------------------------
// 4. TWinControl
// ---------------------------------------------------------------------------------------------
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    QString ClassName() const override { return QStringLiteral("TWinControl"); }

    int ControlCount() const { return int(m_controls.size()); }
    TControl* Controls(int i) const { return m_controls.at(size_t(i)); }
    // Lays out the aligned children in the client area.
    void AlignControls();
    int TabOrder() const { return m_tabOrder; }
    void SetTabOrder(int v);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool v) { m_tabStop = v; }
    void SetFocus();
    bool Focused() const;

protected:
    TWinControl(TComponent* AOwner, QWidget* widget);
    void Resized() override;

private:
    friend class TControl;
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    std::vector<TControl*> m_controls;
    int m_tabOrder = -1;
    bool m_tabStop = false;
};

// The pointer's position on the screen, as the last mouse event reported it (or as the window
// system reports it now when there has been none).
TPoint MouseCursorPos();
