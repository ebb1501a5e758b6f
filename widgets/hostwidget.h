// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// tirlink::HostWidget: the base of the library's Qt widgets. Each one shows one control of the
// library filling the widget, and follows Qt's conventions on top of it: its font() and
// palette() reach the control whenever either changes, it takes its size from the layout, and
// it disables with its parents.
//
// No set-up is needed beyond the QApplication: the first widget made brings up what the
// library's controls rely on (the framework's application object, the timer pool, the hand
// pointer) unless the program did so itself, and it goes when the QApplication is destroyed,
// after every widget has stopped ticking. A program may use these widgets and the
// framework-style classes side by side.
//
// GUI thread only.
#pragma once

#include <QWidget>

#include <memory>

class TControl;
class TWinControl;

namespace tirlink {

class HostWidget : public QWidget {
    Q_OBJECT
public:
    ~HostWidget() override;

protected:
    explicit HostWidget(QWidget* parent);

    // The control's parent in the library's terms (it owns the control and frees it with this
    // widget).
    TWinControl* host() const;
    // Puts the control in the widget, filling it, and hands it the widget's look.
    void setControl(TControl* control);
    // Hands the widget's font, palette and enabled state to the control: called by setControl
    // and at every change of any of them.
    virtual void applyLook() = 0;
    // Everything that ticks stops: the QApplication is going while this widget still lives.
    virtual void frameworkEnding() {}

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Draws a style sheet's background, as Qt's own widgets do.
    void paintEvent(QPaintEvent* event) override;

private:
    static void useFramework();
    static void endFramework();

    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace tirlink
