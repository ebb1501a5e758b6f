// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "app/config.h"

#include "app/tirlink.h"
#include "hyperlink/lkhyperctrls.h"
#include "scrolltext/fxscrolltext.h"

#include <QPixmap>

TFconfig* Fconfig = nullptr;

const QString TFconfig::MakerURL = QStringLiteral("http://www.example.org/tirlink/");
const QString TFconfig::MakerCaption = QStringLiteral("Ладья-Софт, 2004, example.org");

// The pictures live in the program's resources, which a static library must register itself.
static void InitConfigResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

void LoadGlyph(TBitBtn* button, const char* name)
{
    const QString base = QStringLiteral(":/config/") + QLatin1String(name);
    button->SetGlyph(ReadPngIcon(base + QStringLiteral(".png"), base + QStringLiteral("_disabled.png")));
}

void DesignFont(TFont* f, const char* name, int height, TFontStyles style = 0)
{
    f->SetName(QLatin1String(name));
    f->SetHeight(height);
    f->SetStyle(style);
}

}  // namespace

QString ColourInWords(TColor c)
{
    static const struct {
        TColor Color;
        const char* Name;
    } named[] = {{clBlack, "чёрный"},    {clMaroon, "тёмно-красный"}, {clGreen, "зелёный"},       {clOlive, "оливковый"},
                 {clNavy, "тёмно-синий"}, {clPurple, "пурпурный"},     {clTeal, "сине-зелёный"},   {clGray, "серый"},
                 {clSilver, "серебристый"}, {clRed, "красный"},        {clLime, "ярко-зелёный"},   {clYellow, "жёлтый"},
                 {clBlue, "синий"},       {clFuchsia, "фуксия"},       {clAqua, "голубой"},        {clWhite, "белый"}};
    const TColor rgb = ColorToRGB(c) & 0x00FFFFFF;
    const QString hex = QStringLiteral("#%1%2%3")
                            .arg(rgb & 0xFF, 2, 16, QLatin1Char('0'))
                            .arg((rgb >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                            .arg((rgb >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                            .toUpper();
    for (const auto& n : named)
        if (n.Color == rgb) return QString::fromUtf8(n.Name) + QStringLiteral(" (") + hex + QLatin1Char(')');
    return hex;
}

QString FontInWords(const TFont* f)
{
    QString s = f->Name() + QStringLiteral(", %1 пт").arg(f->Size());
    if (f->Style() & fsBold) s += QStringLiteral(", жирный");
    if (f->Style() & fsItalic) s += QStringLiteral(", курсив");
    return s;
}

TFconfig::TFconfig(TComponent* AOwner) : TForm(AOwner)
{
    InitConfigResources();
    TLayoutLoader layout(this);
    SetName(QStringLiteral("Fconfig"));
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBounds(324, 288, 443, 307);
    SetCaption(QStringLiteral("Параметры"));
    SetColor(clBtnFace);
    DesignFont(Font(), "MS Sans Serif", -11);
    SetPosition(TPosition::poScreenCenter);
    OnShow = [this](TObject* s) { set_param(s); };

    // Each control: created, named, placed on its parent, then its designed properties.
    auto place = [&](auto* c, const char* name, TWinControl* parent, int l, int t, int w, int h) {
        layout.Track(c);
        c->SetName(QLatin1String(name));
        c->SetParent(parent);
        c->SetBounds(l, t, w, h);
        return c;
    };

    // The upper area.
    Panel1 = place(new TPanel(this), "Panel1", this, 0, 0, 441, 257);
    Panel1->SetTabOrder(0);

    GroupBox1 = place(new TGroupBox(this), "GroupBox1", Panel1, 8, 8, 153, 89);
    GroupBox1->SetCaption(QStringLiteral(" Цвет "));
    GroupBox1->SetTabOrder(0);
    BtnSetColorFon = place(new TBitBtn(this), "BtnSetColorFon", GroupBox1, 8, 16, 75, 25);
    BtnSetColorFon->SetCaption(QStringLiteral("Фон"));
    LoadGlyph(BtnSetColorFon, "brush");
    BtnSetColorFon->SetTabOrder(0);
    BtnSetColorFon->OnClick = [this](TObject* s) { BtnSetColorFonClick(s); };
    BtnSetColortext = place(new TBitBtn(this), "BtnSetColortext", GroupBox1, 8, 48, 75, 25);
    BtnSetColortext->SetCaption(QStringLiteral("Текст"));
    LoadGlyph(BtnSetColortext, "brush");
    BtnSetColortext->SetTabOrder(1);
    BtnSetColortext->OnClick = [this](TObject* s) { BtnSetColortextClick(s); };
    Panel3 = place(new TPanel(this), "Panel3", GroupBox1, 88, 16, 57, 25);
    Panel3->SetBevelInner(TBevelCut::bvLowered);
    Panel3->SetTabOrder(2);
    Panel4 = place(new TPanel(this), "Panel4", GroupBox1, 88, 48, 57, 25);
    Panel4->SetBevelInner(TBevelCut::bvLowered);
    Panel4->SetTabOrder(3);

    GroupBox2 = place(new TGroupBox(this), "GroupBox2", Panel1, 8, 104, 153, 145);
    GroupBox2->SetCaption(QStringLiteral(" Шрифт "));
    GroupBox2->SetTabOrder(1);
    BtnSetFont = place(new TBitBtn(this), "BtnSetFont", GroupBox2, 8, 24, 137, 25);
    BtnSetFont->SetCaption(QStringLiteral("Выбрать шрифт"));
    LoadGlyph(BtnSetFont, "font");
    BtnSetFont->SetTabOrder(0);
    BtnSetFont->OnClick = [this](TObject* s) { BtnSetFontClick(s); };
    Label1 = place(new TLabel(this), "Label1", GroupBox2, 8, 56, 137, 81);
    Label1->SetAlignment(TAlignment::taCenter);
    Label1->SetLayout(TTextLayout::tlCenter);
    Label1->SetAutoSize(false);
    Label1->SetTransparent(false);
    Label1->SetColor(clWhite);
    DesignFont(Label1->Font(), "MS Sans Serif", -11);
    Label1->SetCaption(QStringLiteral("АаБбВвГгДд"));

    GroupBox3 = place(new TGroupBox(this), "GroupBox3", Panel1, 168, 104, 265, 145);
    GroupBox3->SetCaption(QStringLiteral(" Текст "));
    GroupBox3->SetTabOrder(2);
    Memo1 = place(new TMemo(this), "Memo1", GroupBox3, 8, 16, 249, 121);
    Memo1->SetMaxLength(255);
    Memo1->SetWantReturns(false);
    Memo1->SetWordWrap(true);
    Memo1->SetTabOrder(0);
    Edit1 = place(new TEdit(this), "Edit1", GroupBox3, 0, 128, 265, 21);
    Edit1->SetVisible(false);
    Edit1->SetTabOrder(1);

    GroupBox4 = place(new TGroupBox(this), "GroupBox4", Panel1, 168, 8, 265, 89);
    GroupBox4->SetCaption(QStringLiteral(" Главное "));
    GroupBox4->SetTabOrder(3);
    CheckBox1 = place(new TCheckBox(this), "CheckBox1", GroupBox4, 8, 20, 145, 17);
    CheckBox1->SetCaption(QStringLiteral("Поверх всех окон"));
    CheckBox1->SetTabOrder(0);
    Label2 = place(new TLabel(this), "Label2", GroupBox4, 6, 44, 251, 13);
    Label2->SetAutoSize(false);
    Label2->SetCaption(QStringLiteral("Макс.") + QString(15, QLatin1Char(' ')) + QStringLiteral("Скорость прокрутки") +
                       QString(16, QLatin1Char(' ')) + QStringLiteral("Мин."));
    TrackBar1 = place(new TTrackBar(this), "TrackBar1", GroupBox4, 2, 58, 260, 29);
    TrackBar1->SetMax(2050);
    TrackBar1->SetMin(50);
    TrackBar1->SetFrequency(50);
    TrackBar1->SetPosition(50);
    TrackBar1->SetThumbLength(15);
    TrackBar1->SetTickMarks(TTickMark::tmBottomRight);
    TrackBar1->SetTickStyle(TTickStyle::tsAuto);
    TrackBar1->SetTabOrder(1);

    // The lower area.
    Panel2 = place(new TPanel(this), "Panel2", this, 0, 264, 441, 41);
    Panel2->SetTabOrder(1);
    BtnAdd = place(new TBitBtn(this), "BtnAdd", Panel2, 6, 8, 105, 25);
    BtnAdd->SetCaption(QStringLiteral("Применить"));
    LoadGlyph(BtnAdd, "monitor");
    BtnAdd->SetTabOrder(1);
    BtnAdd->OnClick = [this](TObject* s) { BtnAddClick(s); };
    Panel5 = place(new TPanel(this), "Panel5", Panel2, 115, 3, 210, 35);
    Panel5->SetBevelOuter(TBevelCut::bvLowered);
    Panel5->SetColor(clSilver);
    Panel5->SetTabOrder(2);
    Image1 = place(new TImage(this), "Image1", Panel5, 1, 1, 34, 33);
    Image1->LoadPictureWhenShown(QStringLiteral(":/config/logo.jpg"));
    Label3 = place(new TLabel(this), "Label3", Panel5, 37, 1, 118, 16);
    DesignFont(Label3->Font(), "MS Sans Serif", -13, fsBold);
    Label3->SetCaption(QStringLiteral("Тирлинка"));
    Label4 = place(new TLabel(this), "Label4", Panel5, 160, 3, 45, 13);
    Label4->SetCaption(QStringLiteral("v 1.0 free"));
    LkWebLabel1 = place(new TLkWebLabel(this), "LkWebLabel1", Panel5, 39, 17, 170, 15);
    LkWebLabel1->SetCursor(crLkHandPoint);
    {
        TFont link;
        DesignFont(&link, "Arial", -11, fsUnderline);
        link.SetColor(clNavy);
        LkWebLabel1->SetFontEnter(&link);
        LkWebLabel1->SetFontLeave(&link);
    }
    LkWebLabel1->SetColorEnter(clSilver);
    LkWebLabel1->SetColorLeave(clSilver);
    LkWebLabel1->TextOutline()->SetVisible(false);
    LkWebLabel1->SetAlignment(TAlignment::taLeftJustify);
    LkWebLabel1->SetCaption(MakerCaption);
    LkWebLabel1->SetURL(MakerURL);
    BtnCancel = place(new TBitBtn(this), "BtnCancel", Panel2, 328, 8, 105, 25);
    BtnCancel->SetCaption(QStringLiteral("Выход"));
    LoadGlyph(BtnCancel, "cross");
    BtnCancel->SetTabOrder(0);
    BtnCancel->OnClick = [this](TObject* s) { BtnCancelClick(s); };

    // The common dialogs.
    Color1 = layout.Track(new TColorDialog(this));
    Color1->SetName(QStringLiteral("Color1"));
    FontDialog1 = layout.Track(new TFontDialog(this));
    FontDialog1->SetName(QStringLiteral("FontDialog1"));
    DesignFont(FontDialog1->Font(), "MS Sans Serif", -11);
    FontDialog1->Font()->SetCharset(RUSSIAN_CHARSET);
    FontDialog1->SetMinFontSize(0);
    FontDialog1->SetMaxFontSize(0);

    layout.Finish();
    ChainTabOrder(this);

    // Assistive tools name a control by its caption. Those without one are named as the
    // dialog labels them on screen: the memo by its group, the track bar by the words over
    // it, the swatches by their buttons' purpose.
    for (TGroupBox* box : {GroupBox1, GroupBox2, GroupBox3, GroupBox4})
        box->Widget()->setAccessibleName(box->Caption().trimmed());
    Memo1->Widget()->setAccessibleName(GroupBox3->Caption().trimmed());
    TrackBar1->Widget()->setAccessibleName(QStringLiteral("Скорость прокрутки"));
    // The value counts steps, so a higher one is slower: the words over the bar say which way.
    TrackBar1->Widget()->setAccessibleDescription(QStringLiteral("влево быстрее (Макс.), вправо медленнее (Мин.)"));
    Panel3->Widget()->setAccessibleName(QStringLiteral("Цвет фона"));
    Panel4->Widget()->setAccessibleName(QStringLiteral("Цвет текста"));
    Image1->Widget()->setAccessibleName(QStringLiteral("Логотип"));

    // Where the window system keeps no window above others (a native Wayland client), the box
    // says so instead of offering what cannot work.
    if (!CanStayOnTop()) {
        CheckBox1->SetEnabled(false);
        CheckBox1->SetHint(QStringLiteral("Оконная система не даёт окну Тирлинка стоять поверх всех окон."));
        CheckBox1->SetShowHint(true);
    }
}

void TFconfig::DescribeSamples()
{
    // What the swatches and the preview show, for those who cannot see them; the buttons beside
    // them, which Tab reaches, say it too.
    const auto describe = [](TControl* shows, TBitBtn* button, const QString& words) {
        shows->Widget()->setAccessibleDescription(words);
        button->Widget()->setAccessibleDescription(words);
    };
    describe(Panel3, BtnSetColorFon, ColourInWords(Panel3->Color()));
    describe(Panel4, BtnSetColortext, ColourInWords(Panel4->Color()));
    describe(Label1, BtnSetFont, FontInWords(Label1->Font()));
}

TFconfig::~TFconfig()
{
    Destroying();
    if (Fconfig == this) Fconfig = nullptr;
}

void TFconfig::set_param(TObject*)
{
    TFxScrollText* ticker = Ftirlink->FxScrollText1;
    TrackBar1->SetPosition(ticker->Steps());
    CheckBox1->SetChecked(Ftirlink->FormStyle() == TFormStyle::fsStayOnTop);
    Memo1->Lines()->Clear();
    Memo1->Lines()->Add(ticker->Lines()->Count() > 0 ? ticker->Lines()->Get(0) : QString());
    Label1->Font()->Assign(ticker->Font());
    FontDialog1->Font()->Assign(ticker->Font());
    Label1->SetColor(ticker->Color());
    Panel3->SetColor(ticker->Color());
    Panel4->SetColor(ticker->Font()->Color());
    // The caret at the start of the text, where reading it begins (not after the line break
    // that filling the memo leaves at its end).
    Memo1->SetSelStart(0);
    DescribeSamples();
}

void TFconfig::BtnSetColorFonClick(TObject*)
{
    if (!Color1->Execute()) return;
    Panel3->SetColor(Color1->Color());
    Label1->SetColor(Panel3->Color());
    DescribeSamples();
}

void TFconfig::BtnSetColortextClick(TObject*)
{
    if (!Color1->Execute()) return;
    Panel4->SetColor(Color1->Color());
    Label1->Font()->SetColor(Panel4->Color());
    DescribeSamples();
}

void TFconfig::BtnSetFontClick(TObject*)
{
    if (FontDialog1->Execute()) Label1->Font()->Assign(FontDialog1->Font());
    // The text colour belongs to its swatch, whatever the font dialog did.
    Label1->Font()->SetColor(Panel4->Color());
    DescribeSamples();
}

void TFconfig::BtnAddClick(TObject*)
{
    TFxScrollText* ticker = Ftirlink->FxScrollText1;
    Ftirlink->SetFormStyle(CheckBox1->Checked() ? TFormStyle::fsStayOnTop : TFormStyle::fsNormal);
    ticker->SetSteps(TrackBar1->Position());
    ticker->Lines()->Clear();
    // The memo's lines as it shows them, joined without separators: what word wrap broke
    // comes back whole, and a hard line break is dropped.
    Edit1->SetText(QString());
    TStrings* lines = Memo1->Lines();
    for (int i = 0; i < lines->Count(); ++i) Edit1->SetText(Edit1->Text() + lines->Get(i));
    ticker->Lines()->Add(Edit1->Text());
    ticker->Font()->Assign(Label1->Font());
    ticker->SetColor(Panel3->Color());
    ticker->Font()->SetColor(Panel4->Color());
    Ftirlink->ApplyPlacement();
    ticker->SetScroll(true);
}

void TFconfig::BtnCancelClick(TObject*)
{
    Hide();
}
