// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Helpers of the timer tests: waiting for real-time outcomes by running the GUI thread's event
// loop until a condition holds or a generous deadline passes, and catching what reaches the
// application's exception handler.
#pragma once

#include "platform/application.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <vector>

namespace testwait {

// Runs the event loop until pred() is true; false when timeoutMs passed first.
inline bool Until(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
    return true;
}

// Runs the event loop for ms milliseconds.
inline void Pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
}

// Collects what reaches Application->HandleException while it exists.
struct ExceptionTrap {
    std::vector<QString> messages;
    std::vector<TObject*> senders;
    TExceptionEvent saved;
    ExceptionTrap()
    {
        saved = Application->OnException;
        Application->OnException = [this](TObject* s, const Exception& e) {
            senders.push_back(s);
            messages.push_back(e.Message());
        };
    }
    ~ExceptionTrap() { Application->OnException = saved; }
};

} // namespace testwait
