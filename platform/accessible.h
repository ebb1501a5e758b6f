// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// Controls as assistive tools (screen readers) see them.
//
// Qt describes its own widgets to assistive tools already. A control of this framework that
// draws itself (a windowless control, or a form) is a plain widget to Qt, which would show it
// as an empty, nameless filler. The platform therefore gives every such widget an accessible
// interface that asks the control itself: its role, name, description, the text it shows and
// the actions it offers (TControl's Accessible* members); state and screen rectangle come from
// the widget, which always stands where the control does. The interface is reached from its
// window's like any other widget's, so a reader walks from the window down to each control.
// Runs on the GUI thread only.
#pragma once

#include <QString>

#include <functional>

class QAccessibleEvent;

// Makes the platform's controls known to Qt's accessibility. Idempotent; every control's
// widget calls it when it is made, so a program need not.
void InstallControlAccessibility();


// Where the controls' accessibility events go: to Qt (QAccessible::updateAccessibility, which
// passes them on while an assistive tool listens) unless replaced. Tests replace it to see the
// events where the platform has no accessibility bridge. Returns the one it replaces.
using TAccessibleEventSink = std::function<void(QAccessibleEvent* Event)>;
TAccessibleEventSink SetAccessibleEventSink(TAccessibleEventSink Sink);
