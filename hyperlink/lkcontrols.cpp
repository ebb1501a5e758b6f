// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "hyperlink/lkcontrols.h"

#include "platform/pixelrows.h"

// ---------------------------------------------------------------------------------------------
// The hand pointer
// ---------------------------------------------------------------------------------------------
namespace {

// 'X' black, 'o' white, anything else (and everything past a row's end) see-through.
const char* const kHandPointer[32] = {
    "", "", "", "", "",
    "         XXX",
    "        XoooX",
    "        XoooX",
    "        XoooX",
    "        XoooX",
    "        XoooXXXX",
    "        XoooXooXXXX",
    "        XoooXooXooXXXX",
    "        XoooXooXooXooX",
    "        XoooXooXooXooX",
    "        XoooXooXooXooX",
    "   XXX  XoooXooXooXooX",
    "  XoooX XoooXooXooXooX",
    "  XoooX XooooooooooooX",
    "   XoooooooooooooooooX",
    "    XooooooooooooooooX",
    "     XoooooooooooooooX",
    "      XooooooooooooooX",
    "       XoooooooooooooX",
    "        XooooooooooooX",
    "         XooooooooooX",
    "         XooooooooooX",
    "         XXXXXXXXXXXX",
    "", "", "", "",
};
constexpr int kHotX = 10, kHotY = 5;

}  // namespace

QCursor LkHandPointCursor()
{
    return MonochromeCursor(kHandPointer, 32, 32, kHotX, kHotY);
}

void LkInitialize()
{
    InstallCursor(crLkHandPoint, LkHandPointCursor());
}

// ---------------------------------------------------------------------------------------------
// TLkGraphicControl
// ---------------------------------------------------------------------------------------------
TLkGraphicControl::TLkGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner) {}

bool TLkGraphicControl::Designing() const
{
    return IsDesigning();
}

bool TLkGraphicControl::Loading() const
{
    return IsLoading() || (Owner() && Owner()->IsLoading());
}

void TLkGraphicControl::UpdateControlCanvas()
{
    if (Loading()) return;
    if (m_updateCount != 0) return;
    Repaint();
}

void TLkGraphicControl::UpdateControlBounds()
{
    const TAlign a = Align();
    const bool alignable = a == TAlign::alNone || a == TAlign::alTop || a == TAlign::alBottom ||
                           a == TAlign::alLeft || a == TAlign::alRight;
    if (m_autoSize && alignable) AdjustControlSize();
    else UpdateControlCanvas();
}

void TLkGraphicControl::AdjustControlSize()
{
    if (Loading()) return;
    const TRect before = BoundsRect();
    SetBounds(Left(), Top(), Width(), Height());
    if (BoundsRect() == before) UpdateControlCanvas();
}

void TLkGraphicControl::BeginUpdate()
{
    ++m_updateCount;
}

void TLkGraphicControl::EndUpdate()
{
    if (m_updateCount > 0) --m_updateCount;
    UpdateControlCanvas();
}

void TLkGraphicControl::WndProc(TMessage& Message)
{
    // The framework's own handling first (it also runs the font and text hooks), then ours.
    TGraphicControl::WndProc(Message);
    if (Message.Msg == CM_MOUSEENTER) MouseEnter();
    else if (Message.Msg == CM_MOUSELEAVE) MouseLeave();
}

void TLkGraphicControl::MouseEnter()
{
    if (OnMouseEnter) OnMouseEnter(this);
}

void TLkGraphicControl::MouseLeave()
{
    if (OnMouseLeave) OnMouseLeave(this);
}

void TLkGraphicControl::FontChanged()
{
    if (OnFontChanged) OnFontChanged(this);
}

void TLkGraphicControl::TextChanged()
{
    if (OnTextChanged) OnTextChanged(this);
}

void TLkGraphicControl::ClearClientCanvas()
{
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Brush()->SetStyle(TBrushStyle::bsSolid);
    Canvas()->FillRect(ClientRect());
}

void TLkGraphicControl::ShowDesignFrame()
{
    if (!Designing()) return;
    Canvas()->Pen()->SetStyle(TPenStyle::psDot);
    Canvas()->Pen()->SetColor(clBlack);
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Rectangle(ClientRect());
}

// ---------------------------------------------------------------------------------------------
// TLkGraphicImageControl
// ---------------------------------------------------------------------------------------------
TLkGraphicImageControl::TLkGraphicImageControl(TComponent* AOwner)
    : TLkGraphicControl(AOwner), m_background(new TBitmap), m_image(new TBitmap)
{
}

TLkGraphicImageControl::~TLkGraphicImageControl()
{
    Destroying();
}

void TLkGraphicImageControl::SetTransparent(bool value)
{
    if (m_transparent == value) return;
    m_transparent = value;
    if (value) SetControlStyle(ControlStyle() & ~csOpaque);
    else SetControlStyle(ControlStyle() | csOpaque);
    if (Designing()) Invalidate();
    else UpdateControlCanvas();
}

void TLkGraphicImageControl::UpdateControlCanvas()
{
    // A repaint the control asks for itself reuses the background it captured last time.
    if (!Designing() && m_transparent && !m_background->Empty()) {
        m_capture = false;
        SetControlStyle(ControlStyle() | csOpaque);
    }
    TLkGraphicControl::UpdateControlCanvas();
}

// The off-screen images hold the device pixels of the control's surface, so that on a scaled
// screen the text drawn into them is as fine as the text of the controls beside it.
void TLkGraphicImageControl::SizeToSurface(TBitmap* image) const
{
    const qreal ratio = DevicePixelRatio();
    image->SetDevicePixelRatio(ratio);
    const QSize size = DeviceSizeCovering(Width(), Height(), ratio);
    if (image->Width() != size.width() || image->Height() != size.height()) image->SetSize(size.width(), size.height());
}

void TLkGraphicImageControl::SizeImage()
{
    SizeToSurface(m_image.get());
}

TCanvas* TLkGraphicImageControl::GetBitmapCanvas()
{
    SizeImage();
    return m_image->Canvas();
}

void TLkGraphicImageControl::ClearBitmapCanvas()
{
    TCanvas* c = GetBitmapCanvas();
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    if (m_transparent) {
        if (m_capture) CopyParentImage();
        CopyOverlayImage();
    } else {
        c->Brush()->SetColor(Color());
        c->FillRect(TRect(0, 0, m_image->Width(), m_image->Height()));
    }
}

void TLkGraphicImageControl::CopyParentImage()
{
    SizeToSurface(m_background.get());
    // During a paint the control's canvas shows what the parent has just painted under it.
    const TRect r = ClientRect();
    m_background->Canvas()->CopyRect(r, Canvas(), r);
}

void TLkGraphicImageControl::CopyOverlayImage()
{
    TCanvas* c = GetBitmapCanvas();
    const TRect r(0, 0, m_image->Width(), m_image->Height());
    c->CopyRect(r, m_background->Canvas(), r);
}

void TLkGraphicImageControl::Paint()
{
    SizeImage();
    Canvas()->Lock();
    m_image->Canvas()->Lock();
    const TRect r(0, 0, Width(), Height());
    Canvas()->CopyRect(r, m_image->Canvas(), r);
    m_image->Canvas()->Unlock();
    Canvas()->Unlock();
    if (m_transparent) {
        m_capture = true;
        SetControlStyle(ControlStyle() & ~csOpaque);
    }
}
