// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The ticker window: a borderless strip as wide as its monitor with one scrolling text control,
// its right-click menu, vertical dragging, and the settings file read at start-up and written
// at "Выход".
#pragma once

#include "app/settingsfile.h"
#include "platform/forms.h"
#include "platform/menus.h"

#include <functional>
#include <vector>

class TFxScrollText;

class TFtirlink : public TForm {
public:
    explicit TFtirlink(TComponent* AOwner);
    ~TFtirlink() override;
    QString ClassName() const override { return QStringLiteral("TFtirlink"); }

    // Components of the designed layout.
    TFxScrollText* FxScrollText1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* N2 = nullptr;
    TImageList* ImageList1 = nullptr;

    // The creation handler: reads the settings file, applies it, places the window and starts
    // the scrolling.
    void StartScroll(TObject* Sender);
    // Mouse press on the control: remembers the press point (and, for dragging, where the
    // pointer and the window stood on the screen).
    void start_move(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // Mouse move with the left button held: moves the window vertically by the pointer's travel
    // since the press. Never sideways, and without bounds.
    void move_mouse(TObject* Sender, TShiftState Shift, int X, int Y);
    // "Параметры": shows the settings dialog, or only brings it forward when it is visible.
    void SpeedButton2Click(TObject* Sender);
    // "Выход": writes the settings file and ends the program (exit code 0, or non-zero with a
    // message when the settings could not be saved).
    void SpeedButton1Click(TObject* Sender);

    // The placement rule: height |font height| + 10, Left 2, width of the monitor less 4.
    // The top is left alone.
    void ApplyPlacement();

    // Reads the settings file and applies what it holds (the designed values stay for a
    // missing, unreadable or partly damaged file).
    void ReadSettings();
    // The record that "Выход" writes, collected from the window and its control.
    TSettingsRecord CollectSettings() const;
    void ApplySettings(const TSettingsApply& apply);

    // Where the settings file is read and written (the current directory's tirlink.cfg).
    QString SettingsPath = QString::fromLatin1(SettingsFileName);

    // How "Выход" ends the program, and how it tells the user that saving failed; tests
    // replace them to see the exit code and the message.
    std::function<void(int exitCode)> ExitProgram;
    std::function<void(const QString& reason)> ReportSaveError;

    // The press point of the last mouse press on the control, in its client coordinates.
    TPoint PressPoint() const { return m_press; }

private:
    TPoint m_press;
    int m_pressScreenY = 0;
    int m_topAtPress = 0;
};

extern TFtirlink* Ftirlink;

// The Top at which the strip (screen coordinates) starts: its own when any part of it lies on one
// of the monitors (a strip partly off the screen stays where the user left it); otherwise that
// of the strip lying wholly on the monitor that holds x = 2, the nearest such, at its nearer edge, so that a Top
// saved on a monitor that is gone, or a strip dragged wholly off, cannot start invisible and
// out of reach of its menu. Dragging itself stays unbounded.
int StartupTop(const TRect& strip, const std::vector<TRect>& monitors);

// Shows a message box saying that the settings could not be saved and why.
void ShowSaveError(const QString& reason);
