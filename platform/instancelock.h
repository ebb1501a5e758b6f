// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library, shared with the layers above: not installed, so no program of its
// own comes to depend on it.
// The lock that tells whether another instance of a program runs for the same user: the
// stand-in for a named mutex. An flock on a file named after the program in capitals; the
// kernel drops it when the process ends, even by a crash.
//
// The file lies in the user's runtime folder ($XDG_RUNTIME_DIR) when that is the user's own,
// with mode 0700, and writable. Without such a folder it lies in a folder of the user's own
// under the temporary folder ("<PROGRAM>-<uid>", mode 0700), never
// directly in a folder that every user may write to: there another user's file would answer
// for this user, or a planted link would point the lock elsewhere. A folder or file that is
// not the user's own, or a link, is refused: the lock is then not held and AlreadyRunning is
// false (the program cannot tell, and runs). GUI thread.
#pragma once

#include <QString>

class TInstanceLock {
public:
    // Named after this program's executable (FXAPPLICATION when it has no name).
    TInstanceLock();
    explicit TInstanceLock(const QString& Name);
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // Another process holds the lock.
    bool AlreadyRunning() const { return m_alreadyRunning; }
    // This object holds it.
    bool Held() const { return m_fd >= 0; }
    // The lock file.
    const QString& Path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_alreadyRunning = false;
};
