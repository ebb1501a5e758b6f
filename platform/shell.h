// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The shell's "open" request: hands an address or a file to the user's preferred application.
#pragma once

#include <QString>
#include <functional>

// Asks the desktop to open url (a web address opens in the user's browser). Returns a value
// above 32 once the desktop's opener has been started, and 32 or less when it could not be, as
// the Windows shell's execute call does. The opener (xdg-open) runs on without blocking the
// caller: it may take a while, or run as long as the browser it starts. When it ends with a
// failure (xdg-open exits non-zero when nothing can open the address), OnLateFailure, when
// given, is called once on the GUI thread, a moment after this call returned. The opener is
// not stopped when this program ends. GUI thread.
int ShellExecuteOpen(const QString& url, std::function<void()> OnLateFailure = {});

// Values ShellExecuteOpen answers with.
constexpr int SHELL_OPEN_OK = 42;
constexpr int SHELL_OPEN_FAILED = 2;   // "file not found", the shell's answer for what it cannot open
