// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The framework's standard controls as thin classes over Qt widgets: panel, group box, label,
// button with a glyph, memo, edit box, check box, track bar and a picture control.
//
// Each class owns its Qt widget (made in the constructor) and keeps the framework's property
// names. Positions are in the parent's client coordinates, as for every TControl. The
// control's Font reaches the widget (face, size, style and colour); Color paints the
// background where the framework paints it. Events run through the application's exception
// handler and always on the GUI thread.
#pragma once

#include "platform/controls.h"

#include <QIcon>
#include <QPixmap>

class QGroupBox;
class QLabel;
class QPushButton;
class QPlainTextEdit;
class QLineEdit;
class QCheckBox;
class QSlider;
class TMemoWidget;

// The base of the standard controls: the font's colour reaches the widget's text.
class TStdWinControl : public TWinControl {
public:
    QString ClassName() const override { return QStringLiteral("TStdWinControl"); }

protected:
    TStdWinControl(TComponent* AOwner, QWidget* widget);
    void FontChanged() override;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TTextLayout { tlTop, tlCenter, tlBottom };

// ---------------------------------------------------------------------------------------------
// TPanel: a rectangle in its Color with an outer and an inner 3D bevel and a centred caption.
// Windowless children on a panel see its colour and bevels as their parent background.
// Defaults: BevelOuter bvRaised, BevelInner bvNone, BevelWidth 1, Color clBtnFace, no caption.
// ---------------------------------------------------------------------------------------------
class TPanel : public TStdWinControl {
public:
    explicit TPanel(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TPanel"); }

    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut v);
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int v);

    // Paints the panel (background, bevels, caption) into painter, whose origin is the
    // panel's top-left corner; its widget paints itself with it.
    void PaintPanel(class QPainter& painter) const;

protected:
    void ColorChanged() override;
    void TextChanged() override;

private:
    TBevelCut m_bevelOuter = TBevelCut::bvRaised;
    TBevelCut m_bevelInner = TBevelCut::bvNone;
    int m_bevelWidth = 1;
};

// ---------------------------------------------------------------------------------------------
// TGroupBox: a frame in the style's look with its caption (as given, blanks included) on the
// top edge, at 8 pixels from the left: the top line runs through the middle of the caption's
// height and is left out behind it, as in the classic look, so that the children (placed in
// the box's own coordinates) lie inside the frame from there down.
// ---------------------------------------------------------------------------------------------
class TGroupBox : public TStdWinControl {
public:
    explicit TGroupBox(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TGroupBox"); }
    QGroupBox* GroupBox() const;

protected:
    void TextChanged() override;
};

// ---------------------------------------------------------------------------------------------
// TLabel: one caption in the label's rectangle. Defaults: Alignment taLeftJustify, Layout
// tlTop, AutoSize true (the label takes the size of its caption in its font, after loading
// and at every change of caption or font; a layout's size is only a start, since the faces
// drawn here are not the ones a layout was measured with), Transparent false (the
// background is painted in Color; in its parent's colour (ParentColor) the parent's own
// painting shows, so a label on a group box looks like part of it), ParentColor true,
// WordWrap false.
// ---------------------------------------------------------------------------------------------
class TLabel : public TStdWinControl {
public:
    explicit TLabel(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TLabel"); }
    QLabel* Label() const;

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout v);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v);

    void Loaded() override;

protected:
    void TextChanged() override;
    void ColorChanged() override;
    void FontChanged() override;

private:
    void ApplyAlignment();
    void ApplyAutoSize();
    TAlignment m_alignment = TAlignment::taLeftJustify;
    TTextLayout m_layout = TTextLayout::tlTop;
    bool m_autoSize = true;
    bool m_transparent = false;
    bool m_wordWrap = false;
};

// ---------------------------------------------------------------------------------------------
// TBitBtn: a push button with a caption and a 16 x 16 glyph left of it, in a normal and a
// disabled picture. OnClick fires when the user clicks it (or presses Space while focused).
// ---------------------------------------------------------------------------------------------
class TBitBtn : public TStdWinControl {
public:
    explicit TBitBtn(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TBitBtn"); }
    QPushButton* Button() const;

    // The two pictures of the glyph; a null disabled picture lets the style grey the normal one.
    void SetGlyph(const QPixmap& normal, const QPixmap& disabled = QPixmap());
    // A glyph drawn in more than one size (see ReadPngIcon), its Normal and Disabled pictures
    // taken from the icon's modes; the screen shows the size its scale asks for.
    void SetGlyph(const QIcon& glyph);
    const QPixmap& Glyph() const { return m_glyph; }
    const QPixmap& DisabledGlyph() const { return m_disabledGlyph; }
    // Presses the button as a user does (fires OnClick).
    void Click() override;

protected:
    void TextChanged() override;

private:
    QPixmap m_glyph;
    QPixmap m_disabledGlyph;
};

// ---------------------------------------------------------------------------------------------
// TMemo: multi-line text box. Lines are the lines as the box shows them: a line that word wrap
// breaks counts as several, each keeping the blanks at its end, and a final empty line after
// the last line break is not counted (an empty box has no lines). Lines.Add(S) appends S as a
// line of its own, followed by a line break.
//
// MaxLength limits what the user types or pastes (0: no limit); a line break counts as two
// characters, as in the framework's memo. Text set through Lines is not limited.
// WantReturns false: Enter inserts nothing (Ctrl+Enter still breaks the line). Tab moves the
// focus. Defaults: WordWrap true, WantReturns true, MaxLength 0, Color clWindow.
// ---------------------------------------------------------------------------------------------
class TMemo : public TStdWinControl {
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    QString ClassName() const override { return QStringLiteral("TMemo"); }
    QPlainTextEdit* Editor() const;

    TStrings* Lines() const { return m_lines.get(); }
    void SetLines(const TStrings* v) { m_lines->Assign(v); }
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int v) { m_maxLength = v < 0 ? 0 : v; }
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool v);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v);
    // The whole text, line breaks as "\r\n".
    QString MemoText() const;
    // Length as the framework counts it (a line break is two characters).
    int TextLength() const;
    // Where the caret stands, counted the same way; setting it clears the selection.
    int SelStart() const;
    void SetSelStart(int v);

    TNotifyEvent OnChange;

protected:
    void ColorChanged() override;

private:
    friend class TMemoStrings;
    friend class TMemoWidget;
    void ContentsChanged(int position, int removed, int added);
    TMemoWidget* m_editor;
    std::unique_ptr<TStrings> m_lines;
    int m_maxLength = 0;
    bool m_wantReturns = true;
    bool m_wordWrap = true;
    int m_programmatic = 0;
};

// ---------------------------------------------------------------------------------------------
// TEdit: single-line edit box; Text is the control's Text. OnChange fires on every change.
// ---------------------------------------------------------------------------------------------
class TEdit : public TStdWinControl {
public:
    explicit TEdit(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TEdit"); }
    QLineEdit* LineEdit() const;
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int v);
    TNotifyEvent OnChange;

protected:
    void TextChanged() override;
    void ColorChanged() override;

private:
    int m_maxLength = 0;
};

// ---------------------------------------------------------------------------------------------
// TCheckBox: a box with a caption. OnClick fires whenever Checked changes, by the user or by
// the program, as in the framework.
// ---------------------------------------------------------------------------------------------
class TCheckBox : public TStdWinControl {
public:
    explicit TCheckBox(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TCheckBox"); }
    QCheckBox* CheckBox() const;
    bool Checked() const;
    void SetChecked(bool v);

protected:
    void TextChanged() override;
};

// ---------------------------------------------------------------------------------------------
// TTrackBar: a horizontal slider. Position always lies within Min..Max (a value outside is
// shown at the nearer end). Defaults: Min 0, Max 10, Frequency 1, Position 0, ThumbLength 20,
// ticks below (tmBottomRight) spaced by Frequency (tsAuto). OnChange fires when Position
// changes.
// ---------------------------------------------------------------------------------------------
enum class TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum class TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TStdWinControl {
public:
    explicit TTrackBar(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TTrackBar"); }
    QSlider* Slider() const;

    int Min() const;
    void SetMin(int v);
    int Max() const;
    void SetMax(int v);
    int Frequency() const { return m_frequency; }
    void SetFrequency(int v);
    int Position() const;
    void SetPosition(int v);
    // Kept for the layout; the platform's slider draws its own handle.
    int ThumbLength() const { return m_thumbLength; }
    void SetThumbLength(int v) { m_thumbLength = v; }
    TTickMark TickMarks() const { return m_tickMarks; }
    void SetTickMarks(TTickMark v);
    TTickStyle TickStyle() const { return m_tickStyle; }
    void SetTickStyle(TTickStyle v);

    TNotifyEvent OnChange;

private:
    void ApplyTicks();
    int m_frequency = 1;
    int m_thumbLength = 20;
    TTickMark m_tickMarks = TTickMark::tmBottomRight;
    TTickStyle m_tickStyle = TTickStyle::tsAuto;
};

// ---------------------------------------------------------------------------------------------
// TImage: shows a picture at its top-left corner, unscaled (JPEG pictures decode through
// Qt's JPEG plugin, libjpeg).
// ---------------------------------------------------------------------------------------------
class TImage : public TStdWinControl {
public:
    explicit TImage(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TImage"); }
    QLabel* Label() const;
    // Loads a picture file or resource (":/..."); false when it cannot be decoded.
    bool LoadPicture(const QString& path);
    // Loads the picture when the control is first shown (at once if it shows already), so that
    // a picture in a dialog that may never open costs no decoder: a JPEG decoder stays in
    // memory for the life of the program once loaded. Picture() is empty until then, and stays
    // empty if the picture cannot be decoded.
    void LoadPictureWhenShown(const QString& path);
    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return m_picture; }

private:
    QPixmap m_picture;
};

// Sets the text colour roles of a standard control's widget from a framework colour.
void SetWidgetTextColor(QWidget* widget, TColor color);

// Chains the keyboard focus through the windowed controls under root, depth first, siblings
// in TabOrder: Tab then visits them in the order the layout gave.
void ChainTabOrder(TWinControl* root);
