// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// Qt fixes the screen's scale when the application starts: a test for another scale runs again
// in a process of its own, started with that scale.
#pragma once

#include <QGuiApplication>
#include <QProcess>
#include <gtest/gtest.h>

// False in a process of the given scale, where the caller goes on with the test; otherwise
// true once the running test has run at that scale (a process started for another scale
// leaves it to its parent).
inline bool RerunAtScale(const char* scale)
{
    if (qApp->devicePixelRatio() == QByteArray(scale).toDouble()) return false;
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return true;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name())});
    EXPECT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
    return true;
}
