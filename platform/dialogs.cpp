// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/dialogs.h"
#include "platform/hooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QPointer>
#include <algorithm>
#include <QMessageBox>
#include <cmath>

std::function<bool(QDialog*)>& DialogExecuteHook()
{
    static std::function<bool(QDialog*)> hook;
    return hook;
}

bool TCommonDialog::Run(QDialog& dialog)
{
    if (const auto& hook = DialogExecuteHook()) return hook(&dialog);
    // The window the dialog was called from takes the keyboard back when it closes: without a
    // window manager nobody else gives it back, and typing would go nowhere.
    const QPointer<QWidget> caller = QApplication::activeWindow();
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (caller && caller->isVisible()) caller->activateWindow();
    return confirmed;
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

namespace {

// Qt's own font dialog always offers strike-out and underline (its only check boxes, in a group
// box of their own). The framework's dialog has no effects, and a tick that changes nothing
// would only mislead: the choices are taken out of the dialog.
void HideEffects(QFontDialog& dialog)
{
    int effectsHeight = 0;
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        box->hide();
        if (auto* group = qobject_cast<QGroupBox*>(box->parentWidget()); group && !group->isHidden()) {
            effectsHeight = std::max(effectsHeight, group->sizeHint().height());
            group->hide();
        }
    }
    // The sample shared its row with the effects, which gave the row its height.
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        if (!group->isHidden()) group->setMinimumHeight(std::max(group->minimumHeight(), effectsHeight));
}

}  // namespace

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), m_font(new TFont) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute()
{
    // The dialog lists the faces installed, so it opens on the face that Font's name is drawn
    // with here ("Times New Roman" is drawn with Liberation Serif), and on that face's style by
    // the name its list gives it: Qt would look for a translated name ("Жирный") there, miss
    // it and open on the first style of the list.
    QFont opening = m_font->ToQFont();
    const QFontInfo drawn(opening);
    const QString drawnWith = drawn.family();
    opening.setFamily(drawnWith);
    opening.setStyleName(drawn.styleName());
    QFontDialog dialog(opening);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    HideEffects(dialog);
    if (!Run(dialog)) return false;
    const QFont chosen = dialog.currentFont();

    // Build the result apart and assign it once, so Font reports one change.
    TFont result;
    result.Assign(m_font.get());
    // The face the name already stood for keeps the name: a user who only changed the size
    // keeps "Times New Roman" in the font (and in the settings file), not the face drawn for it.
    if (chosen.family() != drawnWith) result.SetName(chosen.family());
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
