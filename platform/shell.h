// The shell's "open" request: hands an address or a file to the user's preferred application.
#pragma once

#include <QString>
#include <functional>

// Asks the desktop to open url (a web address opens in the user's browser). Returns a value
// above 32 on success and 32 or less on failure, as the Windows shell's execute call does.
// Runs synchronously on the calling (GUI) thread.
int ShellExecuteOpen(const QString& url);

// Replaces the desktop opener (tests install one that records the request and answers with
// the value given); an empty function restores the desktop's. Returns the previous opener.
using TShellOpener = std::function<int(const QString& url)>;
TShellOpener SetShellOpener(TShellOpener opener);

// Values ShellExecuteOpen answers with.
constexpr int SHELL_OPEN_OK = 42;
constexpr int SHELL_OPEN_FAILED = 2;   // "file not found", the shell's answer for what it cannot open
