// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The hyperlink label: a windowless caption with an enter look (under the pointer) and a leave
// look, and the web label that opens its address when clicked with the left button.
#pragma once

#include <memory>

#include "hyperlink/lkclasses.h"
#include "hyperlink/lkcontrols.h"

// ---------------------------------------------------------------------------------------------
// TLkHyperLink
// ---------------------------------------------------------------------------------------------
// Hover state: set by the mouse-enter notification, cleared by the mouse-leave notification
// (each repaints and then raises OnMouseEnter / OnMouseLeave). The look is chosen when
// painting: FontEnter on ColorEnter while hovered and enabled, FontLeave on ColorLeave
// otherwise (a disabled label always shows the leave look).
//
// The caption starts at the top of the label (no vertical centring), breaks at words when
// WordWrap is on, expands tabs, is clipped to the label, and treats "&" as the prefix
// character ("&x" underlines x, "&&" draws "&"). A visible TextOutline of width w draws the
// caption 4 w^2 times in the outline colour, moved diagonally by (+-i, +-j) for i, j in 1..w,
// inside the client rectangle shrunk by w on every side, then once in the text colour.
//
// The control is opaque and does not take double clicks (the second press of a double click
// is a plain press). Its own Font and Color are not used for painting.
class TLkHyperLink : public TLkGraphicImageControl {
public:
    explicit TLkHyperLink(TComponent* AOwner);
    ~TLkHyperLink() override;
    QString ClassName() const override { return QStringLiteral("TLkHyperLink"); }

    // Defaults: "Arial", 12 points, bold and underlined; clLime under the pointer, clGreen
    // otherwise. Setting a font copies it and always repaints.
    TFont* FontEnter() const { return m_fontEnter.get(); }
    void SetFontEnter(const TFont* v);
    TFont* FontLeave() const { return m_fontLeave.get(); }
    void SetFontLeave(const TFont* v);
    // Defaults clBlue and clBlack. Setting the current value does nothing.
    TColor ColorEnter() const { return m_colorEnter; }
    void SetColorEnter(TColor v);
    TColor ColorLeave() const { return m_colorLeave; }
    void SetColorLeave(TColor v);
    // Default: clNavy, visible, width 1. Setting copies the given outline.
    TLkTextOutline* TextOutline() const { return m_textOutline.get(); }
    void SetTextOutline(const TLkTextOutline* v);
    // Default taCenter.
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v);
    // Default true.
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool v);

    // True from a mouse-enter notification to the next mouse-leave notification.
    bool Hovered() const { return m_hover; }

    // Widths above this are drawn as this (the outline loop has 8-bit counters).
    static constexpr int MaxOutlineWidth = 255;

    // Assistive tools read the caption as it is drawn: "&&" as "&", a lone "&" left out.
    QAccessible::Role AccessibleRole() const override { return QAccessible::StaticText; }
    QString AccessibleName() const override;

    void Loaded() override;
    void WndProc(TMessage& Message) override;

protected:
    // With the keyboard focus (a web label takes it), the focus mark is drawn around the label.
    void Paint() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusChanged() override { UpdateControlCanvas(); }

private:
    void InternalFontChanged(TObject* Sender);
    void TextOutlineChanged(TObject* Sender);

    std::unique_ptr<TFont> m_fontEnter;
    std::unique_ptr<TFont> m_fontLeave;
    TColor m_colorEnter = clBlue;
    TColor m_colorLeave = clBlack;
    std::unique_ptr<TLkTextOutline> m_textOutline;
    TAlignment m_alignment = TAlignment::taCenter;
    bool m_hover = false;
    bool m_wordWrap = true;
};

// ---------------------------------------------------------------------------------------------
// TLkWebLabel
// ---------------------------------------------------------------------------------------------
// A hyperlink label that shows the library's hand pointer (cursor 99) and, when the left button
// is released while the pointer is over it, asks the shell to open URL (ShellExecuteOpen).
// The keyboard reaches it too, as a link on a web page: Tab stops at it, and Return or Space
// opens it as a click does.
// A shell answer of 32 or less raises OnError once, and so does an opener that was started but
// then fails (a moment after the click: the GUI thread does not wait for it; not once the
// label is gone). The label's OnMouseUp is never raised; OnClick is raised before the address
// is opened.
class TLkWebLabel : public TLkHyperLink {
public:
    explicit TLkWebLabel(TComponent* AOwner);
    ~TLkWebLabel() override;
    QString ClassName() const override { return QStringLiteral("TLkWebLabel"); }

    // The address opened by default.
    static const QString DefaultURL;

    const QString& URL() const { return m_url; }
    void SetURL(const QString& v) { m_url = v; }

    TNotifyEvent OnError;

    // Raises OnError when it is assigned.
    void ReportError();

    // Assistive tools see a link named by its caption, with its address as description, and
    // a press action that does what a click does: OnClick, then the address is opened.
    QAccessible::Role AccessibleRole() const override { return QAccessible::Link; }
    QString AccessibleDescription() const override { return m_url; }
    QString AccessibleValue() const override { return m_url; }
    QStringList AccessibleActions() const override;
    void DoAccessibleAction(const QString& name) override;

protected:
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Asks the shell to open URL; a failure, now or reported later by the opener, raises
    // OnError.
    void OpenURL();

private:
    QString m_url;
    // Cleared when the label goes, so that an opener's late failure finds it gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
