// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/extctrls_timer.h"

#include "platform/safecall.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
    m_window = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

TTimer::~TTimer()
{
    Destroying();
    m_enabled = false;
    UpdateTimer();
    DeallocateHWnd(m_window);
}

void TTimer::SetEnabled(bool value)
{
    if (value == m_enabled) return;
    m_enabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t value)
{
    if (value == m_interval) return;
    m_interval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value)
{
    m_onTimer = std::move(value);
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    KillTimer(m_window, 1);
    if (m_interval != 0 && m_enabled && m_onTimer) {
        if (SetTimer(m_window, 1, m_interval) == 0)
            throw EOutOfResources(QStringLiteral("Not enough timers available"));
    }
}

void TTimer::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_TIMER) {
        SafeCall(this, [this] { Timer(); });
        Message.Result = 0;
    } else {
        Message.Result = DefWindowProc(m_window, Message.Msg, Message.WParam, Message.LParam);
    }
}

void TTimer::Timer()
{
    // The handler may free the timer; call a copy.
    if (TNotifyEvent handler = m_onTimer) handler(this);
}
