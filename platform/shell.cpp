// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/shell.h"
#include "platform/hooks.h"

#include "platform/application.h"
#include "platform/safecall.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

TShellOpener& Opener()
{
    static TShellOpener opener;
    return opener;
}

QString& Launcher()
{
    static QString launcher = QStringLiteral("xdg-open");
    return launcher;
}

// Waits for a started opener without blocking: the kernel reports its end through a process
// file descriptor (or, on kernels without one, the opener is looked at every so often), and
// only then is its exit status collected. Lives as a child of the application object, so the
// watch ends with the program, while the opener runs on.
class OpenerWatch : public QObject {
public:
    OpenerWatch(pid_t pid, std::function<void()> onFailure)
        : QObject(QCoreApplication::instance()), m_pid(pid), m_onFailure(std::move(onFailure))
    {
#ifdef SYS_pidfd_open
        m_fd = int(::syscall(SYS_pidfd_open, pid, 0));
#endif
        if (m_fd >= 0) {
            m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, [this] { Look(); });
        } else {
            m_poll = new QTimer(this);
            connect(m_poll, &QTimer::timeout, this, [this] {
                Look();
                // A long-running opener (it may be the browser itself) is looked at less often.
                if (m_poll) m_poll->setInterval(std::min(2000, m_poll->interval() * 2));
            });
            m_poll->start(50);
        }
    }
    ~OpenerWatch() override
    {
        if (m_fd >= 0) ::close(m_fd);
    }

private:
    void Look()
    {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == 0) return;   // still running
        // An opener that was collected elsewhere (done == -1) is not taken for a failure.
        const bool failed = done == m_pid && !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        if (m_notifier) m_notifier->setEnabled(false);
        if (m_poll) m_poll->stop();
        m_poll = nullptr;
        deleteLater();
        if (failed && m_onFailure) SafeCall(nullptr, m_onFailure);
    }

    pid_t m_pid;
    std::function<void()> m_onFailure;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_poll = nullptr;
};

// Starts program with the one argument; its standard input is /dev/null. -1 when it cannot be
// started.
pid_t Spawn(const QString& program, const QString& argument)
{
    const QByteArray exe = QFile::encodeName(program);
    const QByteArray arg = argument.toUtf8();
    char* argv[] = {const_cast<char*>(exe.constData()), const_cast<char*>(arg.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, exe.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

}  // namespace

int ShellExecuteOpen(const QString& url, std::function<void()> OnLateFailure)
{
    if (Opener()) return Opener()(url);
    const QUrl target = QUrl::fromUserInput(url);
    if (!target.isValid() || url.trimmed().isEmpty()) return SHELL_OPEN_FAILED;
    const QString launcher = QStandardPaths::findExecutable(Launcher());
    if (launcher.isEmpty() || !QCoreApplication::instance())
        return QDesktopServices::openUrl(target) ? SHELL_OPEN_OK : SHELL_OPEN_FAILED;
    // A full address never starts with "-", so the opener cannot take it for an option.
    const QString argument = target.isLocalFile() ? target.toLocalFile() : target.toString(QUrl::FullyEncoded);
    if (argument.startsWith(QLatin1Char('-'))) return SHELL_OPEN_FAILED;
    const pid_t pid = Spawn(launcher, argument);
    if (pid < 0) return SHELL_OPEN_FAILED;
    new OpenerWatch(pid, std::move(OnLateFailure));
    return SHELL_OPEN_OK;
}

TShellOpener SetShellOpener(TShellOpener opener)
{
    return std::exchange(Opener(), std::move(opener));
}

QString SetShellLauncher(const QString& program)
{
    return std::exchange(Launcher(), program);
}
