// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "hyperlink/lkhyperctrls.h"

#include "platform/shell.h"

#include <algorithm>

namespace {

void SetDefaultLinkFont(TFont& f, TColor color)
{
    f.SetName(QStringLiteral("Arial"));
    f.SetSize(12);
    f.SetColor(color);
    f.SetStyle(fsBold | fsUnderline);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TLkHyperLink
// ---------------------------------------------------------------------------------------------
TLkHyperLink::TLkHyperLink(TComponent* AOwner) : TLkGraphicImageControl(AOwner)
{
    SetControlStyle((ControlStyle() | csOpaque) & ~csDoubleClicks);
    SetBounds(0, 0, 135, 25);
    m_fontEnter.reset(new TFont);
    SetDefaultLinkFont(*m_fontEnter, clLime);
    m_fontEnter->OnChange = [this](TObject* s) { InternalFontChanged(s); };
    m_fontLeave.reset(new TFont);
    SetDefaultLinkFont(*m_fontLeave, clGreen);
    m_fontLeave->OnChange = [this](TObject* s) { InternalFontChanged(s); };
    m_textOutline.reset(new TLkTextOutline);
    m_textOutline->OnChange = [this](TObject* s) { TextOutlineChanged(s); };
    SetTransparent(false);
}

TLkHyperLink::~TLkHyperLink()
{
    Destroying();
    m_fontEnter->OnChange = nullptr;
    m_fontLeave->OnChange = nullptr;
    m_textOutline->OnChange = nullptr;
}

void TLkHyperLink::SetFontEnter(const TFont* v)
{
    m_fontEnter->Assign(v);
    UpdateControlCanvas();
}

void TLkHyperLink::SetFontLeave(const TFont* v)
{
    m_fontLeave->Assign(v);
    UpdateControlCanvas();
}

void TLkHyperLink::SetColorEnter(TColor v)
{
    if (m_colorEnter == v) return;
    m_colorEnter = v;
    UpdateControlCanvas();
}

void TLkHyperLink::SetColorLeave(TColor v)
{
    if (m_colorLeave == v) return;
    m_colorLeave = v;
    UpdateControlCanvas();
}

void TLkHyperLink::SetTextOutline(const TLkTextOutline* v)
{
    m_textOutline->Assign(v);
}

void TLkHyperLink::SetAlignment(TAlignment v)
{
    if (m_alignment == v) return;
    m_alignment = v;
    UpdateControlCanvas();
}

void TLkHyperLink::SetWordWrap(bool v)
{
    if (m_wordWrap == v) return;
    m_wordWrap = v;
    UpdateControlCanvas();
}

void TLkHyperLink::InternalFontChanged(TObject*)
{
    UpdateControlCanvas();
}

void TLkHyperLink::TextOutlineChanged(TObject*)
{
    UpdateControlCanvas();
}

void TLkHyperLink::Loaded()
{
    TLkGraphicImageControl::Loaded();
}

void TLkHyperLink::WndProc(TMessage& Message)
{
    TLkGraphicImageControl::WndProc(Message);
    if (Message.Msg != CM_TEXTCHANGED) return;
    UpdateControlCanvas();
    AccessibleNameChanged();
}

QString TLkHyperLink::AccessibleName() const
{
    QString name;
    const QString& caption = Caption();
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && ++i == caption.size()) break;
        name += caption[i];
    }
    return name;
}

void TLkHyperLink::MouseEnter()
{
    m_hover = true;
    UpdateControlCanvas();
    TLkGraphicImageControl::MouseEnter();
}

void TLkHyperLink::MouseLeave()
{
    m_hover = false;
    UpdateControlCanvas();
    TLkGraphicImageControl::MouseLeave();
}

void TLkHyperLink::Paint()
{
    if (Transparent()) ClearBitmapCanvas();
    TCanvas* c = GetBitmapCanvas();

    const bool enterLook = m_hover && Enabled();
    c->SetFont(enterLook ? m_fontEnter.get() : m_fontLeave.get());
    c->Brush()->SetColor(enterLook ? m_colorEnter : m_colorLeave);
    const TRect client = ClientRect();
    if (!Transparent()) c->FillRect(client);
    c->Brush()->SetStyle(Transparent() ? TBrushStyle::bsClear : TBrushStyle::bsSolid);

    const int w = m_textOutline->Visible() ? std::clamp(int(m_textOutline->Width()), 0, MaxOutlineWidth) : 0;
    TRect r = client;
    r.Inflate(-w, -w);

    uint32_t flags = DT_EXPANDTABS;
    switch (m_alignment) {
    case TAlignment::taLeftJustify: flags |= DT_LEFT; break;
    case TAlignment::taRightJustify: flags |= DT_RIGHT; break;
    case TAlignment::taCenter: flags |= DT_CENTER; break;
    }
    if (m_wordWrap) flags |= DT_WORDBREAK;

    const QString& text = Caption();
    if (w > 0) {
        // The outline: copies moved along the diagonals and into the quadrants between them.
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        const TColor textColor = c->Font()->Color();
        c->Font()->SetColor(m_textOutline->Color());
        for (int i = 1; i <= w; ++i) {
            for (int j = 1; j <= w; ++j) {
                for (const TPoint d : {TPoint(i, j), TPoint(i, -j), TPoint(-i, j), TPoint(-i, -j)}) {
                    TRect moved = r;
                    moved.Offset(d.X, d.Y);
                    c->DrawTextEx(text, moved, flags);
                }
            }
        }
        c->Font()->SetColor(textColor);
    }
    TRect box = r;
    c->DrawTextEx(text, box, flags);
    if (KeyboardFocused()) c->DrawFocusRect(client);

    TLkGraphicImageControl::Paint();
}

// ---------------------------------------------------------------------------------------------
// TLkWebLabel
// ---------------------------------------------------------------------------------------------
const QString TLkWebLabel::DefaultURL = QStringLiteral("http://www.example.org/");

TLkWebLabel::TLkWebLabel(TComponent* AOwner) : TLkHyperLink(AOwner), m_url(DefaultURL)
{
    SetCursor(crLkHandPoint);
    SetKeyboardFocusable(true);
}

TLkWebLabel::~TLkWebLabel()
{
    *m_alive = false;
}

void TLkWebLabel::ReportError()
{
    if (OnError) OnError(this);
}

void TLkWebLabel::MouseUp(TMouseButton Button, TShiftState, int, int)
{
    if (Button != TMouseButton::mbLeft || !Hovered()) return;
    OpenURL();
}

QStringList TLkWebLabel::AccessibleActions() const
{
    return {QAccessibleActionInterface::pressAction()};
}

void TLkWebLabel::DoAccessibleAction(const QString& name)
{
    if (name != QAccessibleActionInterface::pressAction()) return;
    const std::weak_ptr<bool> alive = m_alive;
    Click();
    if (!alive.expired()) OpenURL();
}

void TLkWebLabel::OpenURL()
{
    UpdateControlCanvas();
    const std::weak_ptr<bool> alive = m_alive;
    const auto lateFailure = [this, alive] {
        const std::shared_ptr<bool> still = alive.lock();
        if (still && *still) ReportError();
    };
    if (ShellExecuteOpen(m_url, lateFailure) <= 32) ReportError();
}
