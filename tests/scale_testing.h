// SPDX-License-Identifier: MIT
// Running a test at another screen scale. Qt fixes the scale when the application starts, so
// the test runs again in a process of its own, started with that scale.
#pragma once

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <gtest/gtest.h>

// False when this process has the given scale: the caller goes on with the test itself.
// Otherwise true, once the running test has passed at that scale in a process of its own (a
// process started for another scale leaves this one to its parent).
inline bool RerunAtScale(const char* scale)
{
    if (qApp->devicePixelRatio() == QByteArray(scale).toDouble()) return false;
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return true;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(QLatin1String(info->test_suite_name()),
                                                            QLatin1String(info->name()))});
    EXPECT_TRUE(child.waitForFinished(120000));
    const QByteArray out = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
    return true;
}
