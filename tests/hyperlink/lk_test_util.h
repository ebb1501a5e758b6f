// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Helpers of the link-label tests: a shown form to put controls on, real Qt mouse events sent
// to a control's widget, and pixels of what a control shows.
#pragma once

#include "platform/application.h"
#include "platform/forms.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace lktest {

// Sends a Qt mouse event of the given type to the control's widget at (x, y) in its client
// coordinates, as the window system would deliver it.
inline void SendMouse(TControl* c, QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons held = Qt::NoButton)
{
    const QPointF local(x, y);
    const QPointF global = c->Widget()->mapToGlobal(local);
    QMouseEvent ev(type, local, global, button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(c->Widget(), &ev);
}

inline void Move(TControl* c, int x, int y, Qt::MouseButtons held = Qt::NoButton)
{
    SendMouse(c, QEvent::MouseMove, x, y, Qt::NoButton, held);
}

inline void Press(TControl* c, int x, int y, Qt::MouseButton b = Qt::LeftButton)
{
    SendMouse(c, QEvent::MouseButtonPress, x, y, b, b);
}

inline void Release(TControl* c, int x, int y, Qt::MouseButton b = Qt::LeftButton)
{
    SendMouse(c, QEvent::MouseButtonRelease, x, y, b, Qt::NoButton);
}

// The colour a control shows at (x, y), as a framework colour (0x00BBGGRR).
inline TColor ShownAt(const TGraphicControl* c, int x, int y)
{
    const QRgb p = c->Surface().pixel(x, y);
    return RGB(uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p)));
}

// A top-level form, shown (on the offscreen platform), with exceptions from event handlers
// reported as test failures instead of message boxes.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application->OnException = [](TObject*, const Exception& E) { ADD_FAILURE() << E.what(); };
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 300, 200);
        form->SetColor(clBtnFace);
    }
    void TearDown() override
    {
        delete form;
        Application->OnException = nullptr;
    }
    void ShowForm()
    {
        form->Show();
        QApplication::processEvents();
    }
    TForm* form = nullptr;
};

}  // namespace lktest
