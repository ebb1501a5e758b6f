// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The settings dialog: background and text colours, font, text, stay-on-top and scroll speed of
// the running ticker, with a small about panel (logo, title, version and a link to the maker's
// page). Shown modelessly; every show fills the controls from the ticker; "Применить" puts
// them into effect at once and leaves the dialog open; "Выход" only hides it.
#pragma once

#include "platform/forms.h"
#include "platform/dialogs.h"
#include "platform/stdctrls.h"
#include "platform/windowsystem.h"

#include <functional>

class TLkWebLabel;

class TFconfig : public TForm {
public:
    explicit TFconfig(TComponent* AOwner);
    ~TFconfig() override;
    QString ClassName() const override { return QStringLiteral("TFconfig"); }

    // Components of the designed layout.
    TPanel* Panel1 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TBitBtn* BtnSetColorFon = nullptr;
    TBitBtn* BtnSetColortext = nullptr;
    TPanel* Panel3 = nullptr;
    TPanel* Panel4 = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TBitBtn* BtnSetFont = nullptr;
    TLabel* Label1 = nullptr;
    TGroupBox* GroupBox3 = nullptr;
    TMemo* Memo1 = nullptr;
    TEdit* Edit1 = nullptr;
    TGroupBox* GroupBox4 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TLabel* Label2 = nullptr;
    TTrackBar* TrackBar1 = nullptr;
    TPanel* Panel2 = nullptr;
    TBitBtn* BtnAdd = nullptr;
    TPanel* Panel5 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TLkWebLabel* LkWebLabel1 = nullptr;
    TBitBtn* BtnCancel = nullptr;
    TColorDialog* Color1 = nullptr;
    TFontDialog* FontDialog1 = nullptr;

    // The show handler: fills every control from the ticker.
    void set_param(TObject* Sender);
    // Pick the background or the text colour into its swatch and the preview.
    void BtnSetColorFonClick(TObject* Sender);
    void BtnSetColortextClick(TObject* Sender);
    // Pick a font into the preview; its colour always comes from the text-colour swatch.
    void BtnSetFontClick(TObject* Sender);
    // "Применить": writes the controls back to the ticker, re-places it and restarts the scroll.
    void BtnAddClick(TObject* Sender);
    // "Выход": hides the dialog; nothing is undone.
    void BtnCancelClick(TObject* Sender);

    // The maker's page the about panel's link opens, and the link's caption.
    static const QString MakerURL;
    static const QString MakerCaption;

    // Whether the window system keeps a window above others; asked once, when the dialog is
    // made. Tests replace it before that.
    static inline std::function<bool()> CanStayOnTop = WindowSystemKeepsOnTop;

private:
    // Tells assistive tools what the colour swatches and the font preview show.
    void DescribeSamples();
};

// A colour in words: the name of one of the sixteen basic colours with its value, else the
// value alone (#RRGGBB).
QString ColourInWords(TColor c);
// A font in words: face, size in points, and bold or italic where it is.
QString FontInWords(const TFont* f);

extern TFconfig* Fconfig;
