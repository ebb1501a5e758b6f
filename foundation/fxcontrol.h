// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxControl: the root of the library's windowless controls. It adds to the framework's
// graphic control an update lock, a bounds-change notification, mouse enter / exit events, the
// theme flag, and the default answers of the background-provider interface through which a
// see-through control asks its parent for the picture behind it.
//
// Everything here runs on the GUI thread.
#pragma once

#include "foundation/fxcustomcomponent.h"
#include "platform/controls.h"

// Control messages of the library (sent through Perform, handled by message number).
constexpr uint32_t CM_FXTRANSPARENTCHANGED = 0xB0CD;   // the transparent mode changed
constexpr uint32_t CM_FXBEVELCHANGED = 0xB0D1;         // the bevel was replaced through SetBevel
constexpr uint32_t CM_FXTHEMECHANGED = 0xB0D6;         // the desktop theme changed

// What changed in SetBounds: a one-byte set.
enum TFxBoundsChangeState : uint8_t { bcSize = 1, bcPos = 2 };
using TFxBoundsChangeStates = uint8_t;
using TFxOnBoundsChangeEvent = std::function<void(TObject* Sender, TFxBoundsChangeStates State)>;

// A palette handle (always 0 here: every image has 24 bits per pixel).
using HPALETTE = intptr_t;

// Themed drawing. No class of this library draws differently under a theme, so the answers
// only matter to a descendant that says it supports themes.
class IFxThemes {
public:
    virtual bool UseXP() const = 0;
    virtual void DoThemeChanged() = 0;

protected:
    ~IFxThemes() = default;
};

// A provider of the picture behind see-through controls: a parent control, or (for a form)
// the first non-control component of the form that implements it.
class IFxBackground {
public:
    // The provider's background picture, or nullptr.
    virtual TBitmap* BackBitmap() = 0;
    // Whether a background picture is available to this control.
    virtual bool BackBitmapCheck() = 0;
    // Copies the background at Src (in this control's coordinates) into Dest of Canvas.
    virtual bool BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, uint32_t Flags) = 0;
    virtual bool isTransparentSet() const = 0;
    // Maps a point of this control into the provider's background picture.
    virtual TPoint BackMapPoint(const TPoint& P) = 0;
    virtual HPALETTE BackBitmapPalette() = 0;
    // Told by the parent that the picture behind the control changed.
    virtual void BackUpdate() = 0;
    virtual TControl* BackControl(int Index) = 0;
    virtual int BackControlCount() = 0;

protected:
    ~IFxBackground() = default;
};

// Whether the desktop's visual themes are in use for the library's drawing. This platform has
// no themed drawing of its own, so the answer is always false.
bool FxThemesInUse();

class TFxControl : public TGraphicControl, public IFxThemes, public IFxBackground {
public:
    // CtlXP false, no update lock.
    explicit TFxControl(TComponent* AOwner);
    ~TFxControl() override;
    QString ClassName() const override { return QStringLiteral("TFxControl"); }

    const TFxAboutVar& About() const { return m_about; }
    void SetAbout(const TFxAboutVar& v) { m_about = v; }

    // Update lock: brackets nest by counting. The closing EndUpdate(true) calls
    // GetChange(nullptr) once; EndUpdate(false) calls nothing.
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate(bool Repaint);
    bool IsUpdating() const { return m_updateCount > 0; }

    // Sets the bounds, then calls BoundsChange with bcPos and / or bcSize when the position
    // and / or size changed (not while loading).
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    bool CtlXP() const { return m_ctlXP; }
    // Stores the flag; a change calls DoThemeChanged.
    void SetCtlXP(bool v);
    bool UseXP() const override;
    // Repaints when the control supports themes.
    void DoThemeChanged() override;
    virtual bool ControlSupportsXP() const { return false; }

    // Calls OnBoundsChange (Sender = this control).
    virtual void BoundsChange(TFxBoundsChangeStates State);
    // Call OnMouseEnter / OnMouseExit when the control is enabled.
    virtual void MouseEnter();
    virtual void MouseExit();
    // A change of content or of an owned object: nothing while updates are locked or while
    // the component is loading, reading or being destroyed; otherwise a repaint request.
    virtual void GetChange(TObject* Sender);
    // Whether the control has no content to show (true here).
    virtual bool GetEmpty() const { return true; }

    // The background provider's defaults.
    TBitmap* BackBitmap() override;
    bool BackBitmapCheck() override;
    bool BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, uint32_t Flags) override;
    bool isTransparentSet() const override { return false; }
    TPoint BackMapPoint(const TPoint& P) override;
    HPALETTE BackBitmapPalette() override { return 0; }
    void BackUpdate() override {}
    TControl* BackControl(int Index) override { return nullptr; }
    int BackControlCount() override { return 0; }

    // The design-time outline: a black dashed rectangle around the whole control.
    void DrawDashedFrame();
    // Fills the client rectangle with Color.
    void FillControl();

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TFxOnBoundsChangeEvent OnBoundsChange;

protected:
    // The background provider for this control: for a form parent, the form's first owned
    // component that is not a control and implements the interface; otherwise the parent when
    // it implements it; nullptr without one.
    IFxBackground* BackgroundProvider() const;
    bool ParentIsForm() const;

private:
    TFxAboutVar m_about;
    int32_t m_updateCount = 0;
    bool m_ctlXP = false;
};
