// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxGraphicControl: a library control with a bevel, whose changes repaint the control.
#pragma once

#include "foundation/fxbasegraphiccontrol.h"
#include "foundation/fxbevel.h"

#include <memory>

class TFxGraphicControl : public TFxBaseGraphicControl {
public:
    // Creates the bevel (its defaults) and binds its OnChange to GetChange.
    explicit TFxGraphicControl(TComponent* AOwner);
    // Unbinds and frees the bevel.
    ~TFxGraphicControl() override;
    QString ClassName() const override { return QStringLiteral("TFxGraphicControl"); }

    TFxBevel* Bevel() const { return m_bevel.get(); }
    // Copies Value into Bevel, then sends CM_FXBEVELCHANGED.
    void SetBevel(const TFxBevel* Value);
    // The bevel's border width on each side, and twice that.
    int BevelExt() const { return m_bevel->Extent(); }
    int DblBevelExt() const { return 2 * BevelExt(); }
    // The rectangle inside the bevel for the client rectangle.
    TRect BeveledRect() const { return m_bevel->ClientRect(ClientRect()); }

protected:
    // Nothing while loading; the design-time outline for an empty control without a bevel;
    // otherwise the bevel.
    void Paint() override;

private:
    std::unique_ptr<TFxBevel> m_bevel;
};
