// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library: not installed, so no program of its own comes to depend on it.
// The hooks through which the tests watch and steer the platform: leak counters, the paint
// cycle and its flushes, and the stand-ins for the desktop's opener and the modal dialogs.
#pragma once

#include "platform/controls.h"

#include <functional>

class QDialog;

// Number of hidden windows, multimedia timer events and running threads that exist.
int HiddenWindowCount();
int TimerEventCount();
int RunningThreadCount();

// Replaces the desktop opener with one that answers at once (tests install one that records
// the request and answers with the value given); an empty function restores the desktop's.
// Returns the previous opener. OnLateFailure is not called for such an opener.
using TShellOpener = std::function<int(const QString& url)>;
TShellOpener SetShellOpener(TShellOpener opener);
// The program the desktop's opener runs with the address as its one argument: "xdg-open" by
// default, looked up in PATH (without it, Qt's own opener answers at once). Returns the
// previous one.
QString SetShellLauncher(const QString& program);

// When set, called instead of a common dialog's modal run, with the prepared Qt dialog (in
// which it may choose a value): true means the user confirmed.
std::function<bool(QDialog*)>& DialogExecuteHook();

struct TPlatformHooks {
    // Runs the control's paint cycle, as showing it does: renders the parent under a control
    // without csOpaque, then calls Paint.
    static void PaintCycle(TGraphicControl& Control) { Control.PaintCycle(); }
    // The times drawing outside a paint cycle was put on screen, each time at once and whole:
    // a batch of canvas calls, or a ticker's frame, is one.
    static uint64_t ScreenFlushes(const TGraphicControl& Control) { return Control.m_screenFlushes; }
};
