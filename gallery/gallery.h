// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The gallery: one window with a page for each part of the Tirlink library, every page live
// and changeable. It is built like any program outside the library: it includes only the
// installed headers ("platform/...", "foundation/...", "scrolltext/...", "hyperlink/...").
#pragma once

#include "platform/controls.h"
#include "platform/stdctrls.h"

#include <QStringList>

#include <functional>
#include <vector>

// A windowless control that paints whatever its owner page draws: the pages use it to show
// the library's painting routines (3D text, bevels, fills, effects) on their own.
class TGallerySample : public TGraphicControl {
public:
    using TPaintFn = std::function<void(TCanvas* Canvas, const TRect& R)>;
    TGallerySample(TWinControl* AParent, const TRect& Bounds, TPaintFn PaintFn);
    QString ClassName() const override { return QStringLiteral("TGallerySample"); }

protected:
    void Paint() override;

private:
    TPaintFn m_paint;
};

// What every page builds on: its panel and a row of controls beneath the samples.
class TGalleryPage {
public:
    TGalleryPage(TWinControl* AParent, const TRect& Bounds);
    virtual ~TGalleryPage() = default;
    TPanel* Panel() const { return m_panel; }
    // Called when the page is shown and hidden (the scroll texts run only while shown).
    virtual void Shown() {}
    virtual void Hidden() {}

protected:
    // A button that steps through Values on each click, showing "Label: value" and calling
    // Apply with the new index.
    TBitBtn* AddCycle(int X, int Y, int W, const QString& Label, const QStringList& Values,
                      std::function<void(int)> Apply, int Start = 0);
    // A labelled track bar from Min to Max; Apply gets each new position.
    TTrackBar* AddSlider(int X, int Y, const QString& Label, int Min, int Max, int Position,
                         std::function<void(int)> Apply);
    TLabel* AddLabel(int X, int Y, int W, const QString& Caption);
    TGallerySample* AddSample(const TRect& Bounds, TGallerySample::TPaintFn PaintFn);
    // Repaints every sample of the page.
    void RepaintSamples();

    TPanel* m_panel;
    std::vector<TGallerySample*> m_samples;
};

// The pages, in the order of the gallery's buttons.
std::vector<std::pair<QString, std::function<TGalleryPage*(TWinControl*, const TRect&)>>> GalleryPages();
