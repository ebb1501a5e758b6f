// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The control base of the link-label library: windowless controls with a repaint request
// that waits while the form loads or an update bracket is open, hooks for mouse enter and
// leave, font and text changes, and a double-buffered variant that composes every paint in an
// off-screen image and can show its parent's background through, reusing a captured copy of
// that background when it repaints itself. Also the library's hand pointer.
//
// Everything here runs on the GUI thread.
#pragma once

#include "platform/controls.h"

#include <QCursor>

// The screen cursor number under which LkInitialize installs the hand pointer.
constexpr TCursor crLkHandPoint = 99;

// The library's initialisation: installs the hand pointer as screen cursor 99. Call once,
// after the application object exists and before the first form is created.
void LkInitialize();

// The hand pointer: a 32 x 32 monochrome hand with the index finger pointing up, its hot spot
// at (10, 5) on the fingertip. The picture is part of the library (drawn from a pixel map).
QCursor LkHandPointCursor();

// ---------------------------------------------------------------------------------------------
// TLkGraphicControl
// ---------------------------------------------------------------------------------------------
class TLkGraphicControl : public TGraphicControl {
public:
    explicit TLkGraphicControl(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TLkGraphicControl"); }

    // The library's version, "1.3".
    const QString& Version() const { return m_version; }

    // True in the form designer.
    bool Designing() const;
    // True while the control or its owner form is being loaded from its layout.
    bool Loading() const;

    // Repaints the control now, unless it is loading or an update bracket is open.
    virtual void UpdateControlCanvas();
    // Re-applies the bounds when AutoSize is on and the alignment allows it, else repaints.
    virtual void UpdateControlBounds();
    // Re-applies the current bounds (not while loading); repaints when they stay the same.
    virtual void AdjustControlSize();

    // Nested brackets; closing one repaints (UpdateControlCanvas). Calls must be balanced.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v) { m_autoSize = v; }

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnFontChanged;
    TNotifyEvent OnTextChanged;

protected:
    // Hooks; the base versions raise the matching events.
    virtual void MouseEnter();
    virtual void MouseLeave();
    void FontChanged() override;
    void TextChanged() override;

    // Fills the client area with Color.
    void ClearClientCanvas();
    // A dotted frame round the control, in the form designer only.
    void ShowDesignFrame();

private:
    QString m_version = QStringLiteral("1.3");
    int32_t m_updateCount = 0;
    bool m_autoSize = false;
};

// ---------------------------------------------------------------------------------------------
// TLkGraphicImageControl
// ---------------------------------------------------------------------------------------------
// Descendants draw by overriding Paint: they compose into GetBitmapCanvas() (the off-screen
// image, sized to the control) and finish by calling this class's Paint, which copies the
// image onto the control in one copy. They ask for repaints only through UpdateControlCanvas.
//
// Transparency: a transparent control lets its parent paint under it and captures that
// background into a cache (ClearBitmapCanvas). When the control repaints itself
// (UpdateControlCanvas) while the cache holds a background, it becomes opaque for that one
// paint and reuses the cache, so the parent does not paint again; after the paint it is
// capturing again. A control that is not transparent is opaque throughout and never touches
// the cache.
class TLkGraphicImageControl : public TLkGraphicControl {
public:
    explicit TLkGraphicImageControl(TComponent* AOwner);
    ~TLkGraphicImageControl() override;
    QString ClassName() const override { return QStringLiteral("TLkGraphicImageControl"); }

    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);

    void UpdateControlCanvas() override;

    // The off-screen image's canvas; the image follows the control's size at every paint, in
    // the device pixels of its surface (its canvas draws in logical ones).
    TCanvas* GetBitmapCanvas();

protected:
    // Prepares the off-screen image's background: the parent's background (captured now or
    // reused from the cache) when transparent, otherwise the control's Color.
    virtual void ClearBitmapCanvas();
    // Copies the finished off-screen image onto the control.
    void Paint() override;

    // What the control's canvas shows under the control goes into the background cache.
    void CopyParentImage();
    // The background cache goes onto the off-screen image.
    void CopyOverlayImage();

private:
    friend struct THyperlinkHooks;
    void SizeImage();
    void SizeToSurface(TBitmap* image) const;
    std::unique_ptr<TBitmap> m_background;
    std::unique_ptr<TBitmap> m_image;
    bool m_capture = true;
    bool m_transparent = false;
};
