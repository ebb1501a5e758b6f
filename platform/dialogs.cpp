#include "platform/dialogs.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <cmath>

std::function<bool(QDialog*)> TCommonDialog::ExecuteHook;

bool TCommonDialog::Run(QDialog& dialog)
{
    if (ExecuteHook) return ExecuteHook(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

bool TColorDialog::Execute()
{
    const TColor rgb = ColorToRGB(m_color);
    QColorDialog dialog(QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (!Run(dialog)) return false;
    const QColor c = dialog.currentColor();
    m_color = RGB(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
    return true;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), m_font(new TFont) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute()
{
    QFontDialog dialog(m_font->ToQFont());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (!Run(dialog)) return false;
    const QFont chosen = dialog.currentFont();

    // Build the result apart and assign it once, so Font reports one change.
    TFont result;
    result.Assign(m_font.get());
    result.SetName(chosen.family());
    if (chosen.pixelSize() > 0) {
        result.SetHeight(-chosen.pixelSize());
    } else {
        // The dialog speaks in points; the framework's points are at 96 pixels per inch.
        int points = int(std::lround(chosen.pointSizeF()));
        if (m_minFontSize > 0) points = std::max(points, m_minFontSize);
        if (m_maxFontSize > 0) points = std::min(points, m_maxFontSize);
        result.SetSize(points);
    }
    TFontStyles style = 0;
    if (chosen.weight() >= QFont::Bold) style |= fsBold;
    if (chosen.italic()) style |= fsItalic;
    result.SetStyle(style);
    m_font->Assign(&result);
    return true;
}

void ShowErrorBox(const QString& caption, const QString& text)
{
    QMessageBox::critical(nullptr, caption, text);
}
