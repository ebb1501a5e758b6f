// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library, shared with the layers above: not installed, so no program of its
// own comes to depend on it.
// The one funnel for exceptions at the edge between Qt and our code: every entry from Qt
// (events, timers, posted messages, menu commands) runs through SafeCall, so that no
// exception crosses Qt.
#pragma once

class TObject;

// Hands the exception being handled to the application object's handler
// (TApplication::HandleException); does nothing without an application object. Call it only
// inside a catch block.
void HandleCurrentException(TObject* Sender);

// Runs fn and hands any exception it throws to HandleCurrentException(Sender).
template <class Fn>
void SafeCall(TObject* Sender, Fn&& fn)
{
    try {
        fn();
    } catch (...) {
        HandleCurrentException(Sender);
    }
}
