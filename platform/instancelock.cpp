// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/instancelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder in which no one but this user can place or replace a file: a real folder (not a
// link), the user's own, mode 0700, which the user may write to. The last holds for root in
// any folder, so root's folder must be its own and private too.
bool IsPrivateFolder(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 07777) == 0700 && ::access(path.constData(), W_OK | X_OK) == 0;
}

// The folder of the lock files: the runtime folder when it is private to the user, or else
// the user's own folder under the temporary one, made private when it is new. Empty when
// neither can be trusted.
QString LockFolder(const QString& name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(QFile::encodeName(runtime))) return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(name + QLatin1Char('-') + QString::number(::getuid()));
    const QByteArray path = QFile::encodeName(own);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return QString();
    // Someone else may have made it first: only a real folder of ours will do.
    return IsPrivateFolder(path) ? own : QString();
}

}  // namespace

TInstanceLock::TInstanceLock()
    : TInstanceLock(QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper())
{
}

TInstanceLock::TInstanceLock(const QString& Name)
{
    const QString name = Name.isEmpty() ? QStringLiteral("FXAPPLICATION") : Name;
    const QString folder = LockFolder(name);
    if (folder.isEmpty()) return;
    m_path = QDir(folder).filePath(name + QStringLiteral(".lock"));
    // No link is followed, and a file that is not the user's own is not used.
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) return;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_alreadyRunning = (errno == EWOULDBLOCK);
        ::close(m_fd);
        m_fd = -1;
    }
}

TInstanceLock::~TInstanceLock()
{
    if (m_fd >= 0) ::close(m_fd);
}
