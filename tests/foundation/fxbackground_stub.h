// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// A background picture provider for tests: a bitmap with the provider's plain answers, to be
// mixed into a form component or a container control.
#pragma once

#include "foundation/fxcontrol.h"

struct TBackPicture : IFxBackground {
    TBitmap bmp{400, 200};
    bool available = true;
    TBitmap* BackBitmap() override { return &bmp; }
    bool BackBitmapCheck() override { return available; }
    bool BackDrawArea(TCanvas*, const TRect&, const TPoint&, uint32_t) override { return true; }
    bool isTransparentSet() const override { return false; }
    TPoint BackMapPoint(const TPoint& P) override { return P; }
    HPALETTE BackBitmapPalette() override { return 0; }
    void BackUpdate() override {}
    TControl* BackControl(int) override { return nullptr; }
    int BackControlCount() override { return 0; }
};

// A provider that is not a control, as a form's component.
class TBackSource : public TComponent, public TBackPicture {
public:
    explicit TBackSource(TComponent* owner) : TComponent(owner) {}
};
