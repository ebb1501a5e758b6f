// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "platform/windowsystem.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// The X display probe before the application object: a display that accepts the connection and
// never answers (a hung server, a stale forwarded display) counts as unreachable after a bounded
// wait. It is the test's own, in the abstract socket namespace where libxcb looks first.
TEST(WindowSystem, ADisplayThatAcceptsAndNeverAnswersCountsAsUnreachable)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::string display, why;
    for (int n = 7000 + ::getpid() % 500; display.empty() && n < 7600; ++n) {
        sockaddr_un address{AF_UNIX, {}};
        const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "/tmp/.X11-unix/X%d", n);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), socklen_t(sizeof(sa_family_t) + 1 + length)) == 0) display = ":" + std::to_string(n);
    }
    ASSERT_EQ(::listen(fd, 8), 0);
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", display.c_str());
    EXPECT_FALSE(XDisplayReachable(&why));
    EXPECT_NE(why.find("did not answer within 2 s"), std::string::npos) << why;
    // Started on that display, the program does not hand it to Qt, whose connection has no limit.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    qunsetenv("QT_QPA_PLATFORM");
    char name[] = "tirlink";
    char* argv[] = {name, nullptr};
    EXPECT_FALSE(TPlatformArguments(1, argv).ChoseX11());
    EXPECT_TRUE(qgetenv("DISPLAY").isNull());
    qputenv("QT_QPA_PLATFORM", platform);
    saved.isNull() ? void(qunsetenv("DISPLAY")) : void(qputenv("DISPLAY", saved));
    ::close(fd);
}
