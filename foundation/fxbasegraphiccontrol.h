// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxBaseGraphicControl: a library control that is either see-through (the parent paints
// first, and changes ask for a repaint) or opaque (changes repaint the control at once).
#pragma once

#include "foundation/fxbasecontrol.h"

class TFxBaseGraphicControl : public TFxBaseControl {
public:
    // 30 x 30 pixels, see-through (the framework's opaque style off, replicatable on).
    explicit TFxBaseGraphicControl(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TFxBaseGraphicControl"); }

    // Opaque mode without telling anyone: nothing is sent and nothing repainted.
    void DisableTransMode();
    // Switches the mode; a new value sends CM_FXTRANSPARENTCHANGED, which repaints a visible
    // control through InvalidateControl.
    void SetTransparent(bool Value);
    bool isTransparentSet() const override { return m_transparent; }

    // The repaint entry: nothing while updates are locked; a repaint request when see-through;
    // an immediate Paint on the control's canvas when opaque.
    void InvalidateControl();
    // Change notifications of owned objects end here: InvalidateControl.
    void GetChange(TObject* Sender) override;
    // True when see-through and the parent provides the picture behind the control.
    bool CheckOptimized() override;

    void WndProc(TMessage& Message) override;

protected:
    // The design-time outline in design mode; nothing otherwise.
    void Paint() override;

    bool m_transparent = true;
    // Not used here: descendants guard their Paint against re-entry with it.
    bool m_painting = false;
};
