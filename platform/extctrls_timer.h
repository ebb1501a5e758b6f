// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TTimer: the framework's window-timer component, ticking on its own hidden window.
#pragma once

#include "platform/classes.h"
#include "platform/messages.h"

// Ticks on the thread that created it, through its event loop, every Interval milliseconds
// (no faster than the platform's window-timer minimum) while Enabled, Interval is not 0 and
// OnTimer is assigned. Each change of Enabled, Interval or OnTimer restarts the period. An
// exception that leaves OnTimer goes to Application->HandleException with the timer as
// Sender; ticking goes on. Once disabled or destroyed, no further tick arrives.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    QString ClassName() const override { return QStringLiteral("TTimer"); }

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return m_interval; }
    void SetInterval(uint32_t value);
    const TNotifyEvent& OnTimer() const { return m_onTimer; }
    void SetOnTimer(TNotifyEvent value);

protected:
    // The tick; calls OnTimer.
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& Message);

    bool m_enabled = true;
    uint32_t m_interval = 1000;
    TNotifyEvent m_onTimer;
    HWND m_window = 0;
};
