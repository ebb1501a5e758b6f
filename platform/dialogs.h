// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The common colour and font dialogs of the framework, over Qt's dialogs.
//
// Execute() runs the dialog modally and answers whether the user confirmed it; only then do
// Color or Font take the choice. Tests replace the modal run (DialogExecuteHook, in the
// internal platform/hooks.h).
#pragma once

#include "platform/graphics.h"

#include <functional>

class QDialog;

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    QString ClassName() const override { return QStringLiteral("TCommonDialog"); }
    virtual bool Execute() = 0;

protected:
    // Runs dialog modally (or through the tests' hook); true when confirmed.
    static bool Run(QDialog& dialog);
};

// Opens with Color (black at first) and keeps the confirmed choice in Color, so the next run
// opens with the colour last chosen.
class TColorDialog : public TCommonDialog {
public:
    explicit TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
    QString ClassName() const override { return QStringLiteral("TColorDialog"); }
    TColor Color() const { return m_color; }
    void SetColor(TColor v) { m_color = v; }
    bool Execute() override;

private:
    TColor m_color = clBlack;
};

// Opens with Font and, when confirmed, takes the chosen face, size and bold / italic style
// into Font. There is no choice of effects: the dialog shows no underline or strike-out, and
// underline, strike-out and colour are never taken from it (the font keeps its colour,
// character set and pitch; underline and strike-out come back off). A face the user leaves as
// it was keeps Font's name, even where the name is drawn with another face (a Windows name
// such as "Times New Roman"); a face the user picks is taken by its own name. MinFontSize and
// MaxFontSize of 0 set no limits; sizes are points at 96 pixels per inch.
class TFontDialog : public TCommonDialog {
public:
    explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;
    QString ClassName() const override { return QStringLiteral("TFontDialog"); }
    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* f) { m_font->Assign(f); }
    int MinFontSize() const { return m_minFontSize; }
    void SetMinFontSize(int v) { m_minFontSize = v; }
    int MaxFontSize() const { return m_maxFontSize; }
    void SetMaxFontSize(int v) { m_maxFontSize = v; }
    bool Execute() override;

private:
    std::unique_ptr<TFont> m_font;
    int m_minFontSize = 0;
    int m_maxFontSize = 0;
};

// A modal message box with an error icon and an OK button; returns when it is closed.
void ShowErrorBox(const QString& caption, const QString& text);
