// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Index
//   1. Shared helpers and the standard-control base
//   2. TPanel
//   3. TGroupBox, TLabel, TBitBtn
//   4. TEdit, TCheckBox, TTrackBar, TImage
//   5. Tab order
// TMemo and its line list are in stdctrls_memo.cpp.
#include "platform/stdctrls.h"

#include "platform/graphics.h"
#include "platform/safecall.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <algorithm>

// ---------------------------------------------------------------------------------------------
// 1. Shared helpers
// ---------------------------------------------------------------------------------------------
void SetWidgetTextColor(QWidget* widget, TColor color)
{
    if (!widget) return;
    QPalette pal = widget->palette();
    const QColor c = ToQColor(color);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        pal.setColor(QPalette::Active, role, c);
        pal.setColor(QPalette::Inactive, role, c);
    }
    widget->setPalette(pal);
}

TStdWinControl::TStdWinControl(TComponent* AOwner, QWidget* widget) : TWinControl(AOwner, widget)
{
    // The font reaches the widget on every change; the first one is given here, since taking
    // an equal parent font later is no change.
    widget->setFont(Font()->ToQFont());
    SetWidgetTextColor(widget, Font()->Color());
}

void TStdWinControl::FontChanged()
{
    SetWidgetTextColor(Widget(), Font()->Color());
    if (Widget()) Widget()->update();
}

// ---------------------------------------------------------------------------------------------
// 2. TPanel
// ---------------------------------------------------------------------------------------------
namespace {

class TPanelWidget : public QFrame {
public:
    explicit TPanelWidget(TPanel* panel) : m_panel(panel) { setFrameShape(QFrame::NoFrame); }
    void Detach() { m_panel = nullptr; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_panel) return;
        QPainter p(this);
        m_panel->PaintPanel(p);
    }

private:
    TPanel* m_panel;
};

// One bevel ring of the classic look: the top and left edges in one colour, the bottom and
// right edges (with the top-right and bottom-left corners) in the other; r shrinks by width.
void Frame3D(QPainter& p, TRect& r, const QColor& topLeft, const QColor& bottomRight, int width)
{
    for (int i = 0; i < width && !r.IsEmpty(); ++i) {
        const int right = r.Right - 1, bottom = r.Bottom - 1;
        p.fillRect(QRect(r.Left, r.Top, r.Width() - 1, 1), topLeft);     // top, without top-right
        p.fillRect(QRect(r.Left, r.Top, 1, r.Height() - 1), topLeft);    // left, without bottom-left
        p.fillRect(QRect(right, r.Top, 1, r.Height()), bottomRight);     // right
        p.fillRect(QRect(r.Left, bottom, r.Width(), 1), bottomRight);    // bottom
        r.Inflate(-1, -1);
    }
}

void PaintBevel(QPainter& p, TRect& r, TBevelCut cut, int width)
{
    const QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBtnShadow);
    switch (cut) {
    case TBevelCut::bvRaised: Frame3D(p, r, light, dark, width); break;
    case TBevelCut::bvLowered: Frame3D(p, r, dark, light, width); break;
    case TBevelCut::bvSpace: r.Inflate(-width, -width); break;
    case TBevelCut::bvNone: break;
    }
}

}  // namespace

TPanel::TPanel(TComponent* AOwner) : TStdWinControl(AOwner, new TPanelWidget(this))
{
    ApplyWidgetPalette();
}

void TPanel::SetBevelOuter(TBevelCut v)
{
    if (m_bevelOuter == v) return;
    m_bevelOuter = v;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut v)
{
    if (m_bevelInner == v) return;
    m_bevelInner = v;
    Invalidate();
}

void TPanel::SetBevelWidth(int v)
{
    v = std::max(1, v);
    if (m_bevelWidth == v) return;
    m_bevelWidth = v;
    Invalidate();
}

void TPanel::PaintPanel(QPainter& p) const
{
    TRect r(0, 0, Width(), Height());
    p.fillRect(ToQRect(r), ToQColor(Color()));
    PaintBevel(p, r, m_bevelOuter, m_bevelWidth);
    PaintBevel(p, r, m_bevelInner, m_bevelWidth);
    if (!Caption().isEmpty() && !r.IsEmpty()) {
        p.setFont(Font()->ToQFont());
        p.setPen(ToQColor(Font()->Color()));
        p.drawText(ToQRect(r), Qt::AlignCenter | Qt::TextSingleLine, Caption());
    }
}

void TPanel::ColorChanged()
{
    Invalidate();
}

void TPanel::TextChanged()
{
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// 3. TGroupBox, TLabel, TBitBtn
// ---------------------------------------------------------------------------------------------
namespace {

// A group box drawn the classic way: the caption stands on the frame's top edge, and the top
// line runs through the middle of the caption's height, so a control placed just under the
// caption's middle already lies inside the frame. The frame is the style's own; only where its
// top line stands changes, and the line is left out behind the caption.
class TGroupBoxWidget : public QGroupBox {
public:
    int TopLine() const { return QFontMetrics(font()).height() / 2; }
    QRect CaptionRect() const
    {
        if (title().isEmpty()) return QRect();
        const QFontMetrics fm(font());
        return QRect(8, 0, fm.horizontalAdvance(title()), fm.height());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QStyleOptionGroupBox opt;
        initStyleOption(&opt);
        opt.rect = rect();
        const StyleFrame frame = ProbeFrame(opt);
        // Move the style's frame up (its rectangle grows by as much) until its top line lies
        // on TopLine; the other three sides stay where the style puts them.
        const int shift = frame.top < 0 ? 0 : TopLine() - frame.top;
        opt.rect = QRect(0, shift, width(), height() - shift);
        const QRect caption = CaptionRect();
        if (!caption.isEmpty()) {
            QRegion clip(rect());
            clip -= QRect(caption.left(), 0, caption.width(), TopLine() + frame.lineRows);
            p.setClipRegion(clip);
        }
        style()->drawPrimitive(QStyle::PE_FrameGroupBox, &opt, &p, this);
        p.setClipping(false);
        if (!caption.isEmpty())
            style()->drawItemText(&p, caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic,
                                  palette(), isEnabled(), title(), QPalette::WindowText);
    }

private:
    struct StyleFrame {
        int top = -1;       // row of the frame's top line in the box (-1: the style draws none)
        int lineRows = 1;   // rows of the top edge before the frame's inside begins
    };

    // Styles put their frame's top line where their own caption would need it, and keep that
    // rule to themselves: draw the frame once aside and look where it lands.
    StyleFrame ProbeFrame(const QStyleOptionGroupBox& opt) const
    {
        StyleFrame f;
        if (width() < 3 || height() < 3) return f;
        QImage probe(size(), QImage::Format_ARGB32_Premultiplied);
        probe.fill(Qt::transparent);
        {
            QPainter p(&probe);
            style()->drawPrimitive(QStyle::PE_FrameGroupBox, &opt, &p, this);
        }
        const int x = width() / 2;
        for (int y = 0; y < height(); ++y)
            if (qAlpha(probe.pixel(x, y)) != 0) {
                f.top = y;
                break;
            }
        if (f.top < 0) return f;
        const QRgb inside = probe.pixel(x, (f.top + height()) / 2);
        while (f.lineRows < 4 && f.top + f.lineRows < height() && probe.pixel(x, f.top + f.lineRows) != inside)
            ++f.lineRows;
        return f;
    }
};

}  // namespace

TGroupBox::TGroupBox(TComponent* AOwner) : TStdWinControl(AOwner, new TGroupBoxWidget) {}

QGroupBox* TGroupBox::GroupBox() const
{
    return static_cast<QGroupBox*>(Widget());
}

void TGroupBox::TextChanged()
{
    if (GroupBox()) GroupBox()->setTitle(Caption());
}

TLabel::TLabel(TComponent* AOwner) : TStdWinControl(AOwner, new QLabel)
{
    Label()->setTextFormat(Qt::PlainText);
    Label()->setMargin(0);
    Label()->setIndent(0);
    SetParentColor(true);
    ApplyAlignment();
    ColorChanged();
}

QLabel* TLabel::Label() const
{
    return static_cast<QLabel*>(Widget());
}

void TLabel::SetAlignment(TAlignment v)
{
    if (m_alignment == v) return;
    m_alignment = v;
    ApplyAlignment();
}

void TLabel::SetLayout(TTextLayout v)
{
    if (m_layout == v) return;
    m_layout = v;
    ApplyAlignment();
}

void TLabel::SetAutoSize(bool v)
{
    if (m_autoSize == v) return;
    m_autoSize = v;
    ApplyAutoSize();
}

void TLabel::SetTransparent(bool v)
{
    if (m_transparent == v) return;
    m_transparent = v;
    ColorChanged();
}

void TLabel::SetWordWrap(bool v)
{
    if (m_wordWrap == v) return;
    m_wordWrap = v;
    if (Label()) Label()->setWordWrap(v);
    ApplyAutoSize();
}

void TLabel::ApplyAlignment()
{
    if (!Label()) return;
    Qt::Alignment a;
    switch (m_alignment) {
    case TAlignment::taLeftJustify: a = Qt::AlignLeft; break;
    case TAlignment::taRightJustify: a = Qt::AlignRight; break;
    case TAlignment::taCenter: a = Qt::AlignHCenter; break;
    }
    switch (m_layout) {
    case TTextLayout::tlTop: a |= Qt::AlignTop; break;
    case TTextLayout::tlCenter: a |= Qt::AlignVCenter; break;
    case TTextLayout::tlBottom: a |= Qt::AlignBottom; break;
    }
    Label()->setAlignment(a);
}

void TLabel::ApplyAutoSize()
{
    if (!m_autoSize || !Label() || IsLoading()) return;
    // A wrapped caption keeps the label's width and takes the height of its lines at that width;
    // a right-justified label grows and shrinks to the left, keeping its right edge.
    const QSize hint = Label()->sizeHint();
    const int width = m_wordWrap ? Width() : hint.width();
    const int wrapped = m_wordWrap ? Label()->heightForWidth(width) : -1;
    const int height = wrapped > 0 ? wrapped : hint.height();
    const int left = m_alignment == TAlignment::taRightJustify ? Left() + Width() - width : Left();
    SetBounds(left, Top(), width, height);
}

void TLabel::Loaded()
{
    TStdWinControl::Loaded();
    ApplyAutoSize();
}

void TLabel::FontChanged()
{
    TStdWinControl::FontChanged();
    ApplyAutoSize();
}

void TLabel::TextChanged()
{
    if (!Label()) return;
    Label()->setText(Caption());
    ApplyAutoSize();
}

void TLabel::ColorChanged()
{
    if (!Label()) return;
    ApplyWidgetPalette();
    // A label in its parent's colour leaves the background to the parent's own painting, which
    // may be more than a flat colour (a group box's style fills its inside): the label then
    // looks like part of its parent instead of a band across it.
    Label()->setAutoFillBackground(!m_transparent && !ParentColor());
}

TBitBtn::TBitBtn(TComponent* AOwner) : TStdWinControl(AOwner, new QPushButton)
{
    Button()->setIconSize(QSize(16, 16));
    Button()->setAutoDefault(false);
    SetTabStop(true);
    QObject::connect(Button(), &QPushButton::clicked, Button(), [this] { SafeCall(this, [this] { TControl::Click(); }); });
}

QPushButton* TBitBtn::Button() const
{
    return static_cast<QPushButton*>(Widget());
}

void TBitBtn::SetGlyph(const QPixmap& normal, const QPixmap& disabled)
{
    m_glyph = normal;
    m_disabledGlyph = disabled;
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    if (!disabled.isNull()) icon.addPixmap(disabled, QIcon::Disabled);
    if (Button()) Button()->setIcon(icon);
}

void TBitBtn::SetGlyph(const QIcon& glyph)
{
    const QSize size = Button() ? Button()->iconSize() : QSize(16, 16);
    m_glyph = glyph.pixmap(size, 1.0, QIcon::Normal);
    m_disabledGlyph = glyph.pixmap(size, 1.0, QIcon::Disabled);
    if (Button()) Button()->setIcon(glyph);
}

void TBitBtn::Click()
{
    if (Button() && Enabled()) Button()->click();
}

void TBitBtn::TextChanged()
{
    if (Button()) Button()->setText(Caption());
}

// ---------------------------------------------------------------------------------------------
// 4. TEdit, TCheckBox, TTrackBar, TImage
// ---------------------------------------------------------------------------------------------
TEdit::TEdit(TComponent* AOwner) : TStdWinControl(AOwner, new QLineEdit)
{
    SetTabStop(true);
    SetColor(clWindow);
    QObject::connect(LineEdit(), &QLineEdit::textChanged, LineEdit(), [this](const QString& t) {
        SafeCall(this, [&] {
            SetText(t);
            if (OnChange) OnChange(this);
        });
    });
}

QLineEdit* TEdit::LineEdit() const
{
    return static_cast<QLineEdit*>(Widget());
}

void TEdit::SetMaxLength(int v)
{
    m_maxLength = std::max(0, v);
    if (LineEdit()) LineEdit()->setMaxLength(m_maxLength == 0 ? 32767 : m_maxLength);
}

void TEdit::TextChanged()
{
    if (LineEdit() && LineEdit()->text() != Text()) LineEdit()->setText(Text());
}

void TEdit::ColorChanged()
{
    if (!LineEdit()) return;
    QPalette pal = LineEdit()->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    LineEdit()->setPalette(pal);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TStdWinControl(AOwner, new QCheckBox)
{
    SetTabStop(true);
    QObject::connect(CheckBox(), &QCheckBox::toggled, CheckBox(), [this] { SafeCall(this, [this] { Click(); }); });
}

QCheckBox* TCheckBox::CheckBox() const
{
    return static_cast<QCheckBox*>(Widget());
}

bool TCheckBox::Checked() const
{
    return CheckBox() && CheckBox()->isChecked();
}

void TCheckBox::SetChecked(bool v)
{
    if (CheckBox()) CheckBox()->setChecked(v);
}

void TCheckBox::TextChanged()
{
    if (CheckBox()) CheckBox()->setText(Caption());
}

TTrackBar::TTrackBar(TComponent* AOwner) : TStdWinControl(AOwner, new QSlider(Qt::Horizontal))
{
    Slider()->setRange(0, 10);
    SetTabStop(true);
    ApplyTicks();
    QObject::connect(Slider(), &QSlider::valueChanged, Slider(), [this] {
        if (OnChange) SafeCall(this, [this] { OnChange(this); });
    });
}

QSlider* TTrackBar::Slider() const
{
    return static_cast<QSlider*>(Widget());
}

int TTrackBar::Min() const { return Slider()->minimum(); }
int TTrackBar::Max() const { return Slider()->maximum(); }
int TTrackBar::Position() const { return Slider()->value(); }

void TTrackBar::SetMin(int v)
{
    Slider()->setMinimum(v);
}

void TTrackBar::SetMax(int v)
{
    Slider()->setMaximum(v);
}

void TTrackBar::SetPosition(int v)
{
    Slider()->setValue(v);
}

void TTrackBar::SetFrequency(int v)
{
    if (m_frequency == v) return;
    m_frequency = v;
    ApplyTicks();
}

void TTrackBar::SetTickMarks(TTickMark v)
{
    if (m_tickMarks == v) return;
    m_tickMarks = v;
    ApplyTicks();
}

void TTrackBar::SetTickStyle(TTickStyle v)
{
    if (m_tickStyle == v) return;
    m_tickStyle = v;
    ApplyTicks();
}

void TTrackBar::ApplyTicks()
{
    if (m_tickStyle == TTickStyle::tsNone) {
        Slider()->setTickPosition(QSlider::NoTicks);
        return;
    }
    switch (m_tickMarks) {
    case TTickMark::tmBottomRight: Slider()->setTickPosition(QSlider::TicksBelow); break;
    case TTickMark::tmTopLeft: Slider()->setTickPosition(QSlider::TicksAbove); break;
    case TTickMark::tmBoth: Slider()->setTickPosition(QSlider::TicksBothSides); break;
    }
    Slider()->setTickInterval(std::max(1, m_frequency));
}

namespace {
// The picture control's label; it runs a deferred load when it is first shown.
class TPictureLabel : public QLabel {
public:
    std::function<void()> OnFirstShow;

protected:
    void showEvent(QShowEvent* e) override
    {
        QLabel::showEvent(e);
        if (!OnFirstShow) return;
        const std::function<void()> load = std::move(OnFirstShow);
        OnFirstShow = nullptr;
        load();
    }
};
} // namespace

TImage::TImage(TComponent* AOwner) : TStdWinControl(AOwner, new TPictureLabel)
{
    Label()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label()->setMargin(0);
}

QLabel* TImage::Label() const
{
    return static_cast<QLabel*>(Widget());
}

bool TImage::LoadPicture(const QString& path)
{
    QPixmap p;
    // On a scaled screen a picture drawn twice as fine, where there is one, shows at the
    // same size as the plain one.
    const qreal scale = qApp ? qApp->devicePixelRatio() : 1.0;
    if (scale > 1.0 && QFile::exists(FinePictureName(path)) && p.load(FinePictureName(path))) p.setDevicePixelRatio(2);
    else if (!p.load(path)) return false;
    SetPicture(p);
    return true;
}

void TImage::LoadPictureWhenShown(const QString& path)
{
    auto* label = static_cast<TPictureLabel*>(Widget());
    if (!label || label->isVisible()) {
        LoadPicture(path);
        return;
    }
    label->OnFirstShow = [this, path] { LoadPicture(path); };
}

void TImage::SetPicture(const QPixmap& picture)
{
    m_picture = picture;
    if (Label()) Label()->setPixmap(picture);
}

// ---------------------------------------------------------------------------------------------
// 5. Tab order
// ---------------------------------------------------------------------------------------------
namespace {

void CollectTabChain(TWinControl* parent, std::vector<QWidget*>& out)
{
    std::vector<TControl*> children;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (TControl* c = parent->Controls(i); dynamic_cast<TWinControl*>(c) || c->KeyboardFocusable()) children.push_back(c);
    // Controls without a tab order (windowless ones have none) keep their creation order, after
    // the ordered ones.
    const auto order = [](TControl* c) {
        auto* w = dynamic_cast<TWinControl*>(c);
        return unsigned(w ? w->TabOrder() : -1);
    };
    std::stable_sort(children.begin(), children.end(), [&](TControl* a, TControl* b) { return order(a) < order(b); });
    for (TControl* c : children) {
        auto* wc = dynamic_cast<TWinControl*>(c);
        if (QWidget* w = c->Widget(); w && (wc ? wc->TabStop() : true) && (w->focusPolicy() & Qt::TabFocus)) out.push_back(w);
        if (wc) CollectTabChain(wc, out);
    }
}

}  // namespace

void ChainTabOrder(TWinControl* root)
{
    std::vector<QWidget*> chain;
    CollectTabChain(root, chain);
    for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}
