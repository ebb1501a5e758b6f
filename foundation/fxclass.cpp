// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fxclass.h"

#include "foundation/fxtimer.h"
#include "platform/application.h"
#include "platform/extctrls_timer.h"
#include "platform/instancelock.h"
#include "platform/safecall.h"
#include "platform/scoped.h"
#include "platform/threads.h"

#include <algorithm>

TFxApplication* FxApplication = nullptr;

namespace {

// The pool's identifier slots: 1 = taken. Slot k lives at index k - 1.
uint8_t g_timerSlots[TFxApplication::TimerSlots] = {};

const QString kNotEnoughTimers = QStringLiteral("Not enough timers available");

// How long finalisation waits for timer threads that are still finishing a tick. A worker
// reads nothing that finalisation frees (its timer's shared state, the library's worker list
// and the platform's thread bookkeeping all outlive it), so one that is still inside a long
// handler afterwards does no harm.
constexpr int kThreadDrainMs = 5000;

// A pool's base of 0 would divide by zero; entries then count in single milliseconds.
uint16_t Base(const TFxTimerPool* pool)
{
    return std::max<uint16_t>(1, pool->MinInterval());
}

} // namespace

// =============================================================================================
// TFxTimerItem
// =============================================================================================
TFxTimerItem::TFxTimerItem(TFxTimerPool* AOwner, TList* AList, uint16_t AIdent)
{
    if (!AOwner || !AList)
        throw EInvalidOperation(ClassName() + QStringLiteral(": Invalid Owner or List"));
    m_owner = AOwner;
    m_list = AList;
    m_ident = AIdent;
    m_step = m_interval / Base(AOwner);
}

TFxTimerItem::~TFxTimerItem()
{
    m_enabled = false;
    OnTimer = nullptr;
    m_list->erase(std::remove(m_list->begin(), m_list->end(), this), m_list->end());
}

void TFxTimerItem::SetCallCount(int32_t value)
{
    if (value == m_callCount) return;
    m_callCount = std::max(value, int32_t(-1));
    if (m_callCount == 0) SetEnabled(false);
}

void TFxTimerItem::SetEnabled(bool value)
{
    if (value == m_enabled) return;
    if (value && m_callCount == 0) return;
    m_enabled = value;
    m_counter = 0;
}

void TFxTimerItem::SetInterval(uint16_t value)
{
    if (value == m_interval) return;
    const uint16_t base = Base(m_owner);
    if (value % base != 0) return;
    if (value == 0) value = base;
    m_step = value / base;
    m_interval = value;
    m_counter = 0;
}

void TFxTimerItem::Timer()
{
    if (!m_enabled) return;
    if (m_counter == INT32_MAX) m_counter = 0;
    else ++m_counter;
    if (m_counter == m_callCount) m_enabled = false;
    if (OnTimer) {
        TNotifyEvent handler = OnTimer; // the handler may remove this entry
        handler(m_owner);
    } else if (m_owner->OnTimer) {
        TFxTimerPoolEvent handler = m_owner->OnTimer;
        handler(m_owner, m_ident, m_counter);
    }
}

// =============================================================================================
// TFxTimerPool
// =============================================================================================
TFxTimerPool::TFxTimerPool(TComponent* AOwner) : TFxCustomComponent(AOwner) {}

TFxTimerPool::TFxTimerPool(TComponent* AOwner, TFxTimerInterval AInterval) : TFxTimerPool(AOwner)
{
    if (AInterval != 0) m_minInterval = AInterval;
}

TFxTimerPool::~TFxTimerPool()
{
    *m_alive = false;
    Destroying();
    ClearTimers();
    DeallocateHWnd(m_window);
    m_window = 0;
}

int TFxTimerPool::AddTimer(uint16_t AIdent, uint16_t AInterval, TNotifyEvent ATimerEvent)
{
    if (!m_list.empty() && IndexOf(AIdent) >= 0)
        throw Exception(QStringLiteral("Timer identifier %1 is already in use").arg(AIdent));
    if (m_minInterval == 0 || AInterval % m_minInterval != 0 || AInterval < m_minInterval)
        throw Exception(QStringLiteral("Interval not compatible with MinInterval property!"));
    auto* item = new TFxTimerItem(this, &m_list, AIdent);
    m_list.push_back(item);
    const int index = int(m_list.size()) - 1;
    item->SetInterval(AInterval);
    item->OnTimer = std::move(ATimerEvent);
    UpdateMainTimer(true);
    return index;
}

int TFxTimerPool::AddTimerExt(uint16_t AIdent, uint16_t AInterval, int32_t ACallCount, bool AEnabled,
                              TNotifyEvent ATimerEvent)
{
    const int index = AddTimer(AIdent, AInterval, std::move(ATimerEvent));
    if (index >= 0) {
        TFxTimerItem* item = m_list[size_t(index)];
        item->SetCallCount(ACallCount);
        item->SetEnabled(AEnabled);
    }
    return index;
}

void TFxTimerPool::RemoveTimer(uint16_t AIdent)
{
    // A base tick that comes while the list changes must not walk it.
    TScopedValue<bool> updating(m_updating, true);
    TFxTimerItem* item = GetTimer(AIdent);
    if (!item) return;
    item->SetEnabled(false);
    item->OnTimer = nullptr;
    delete item;
    if (m_list.empty()) UpdateMainTimer(false);
}

void TFxTimerPool::ClearTimers()
{
    UpdateMainTimer(false);
    while (!m_list.empty()) delete m_list.back();
}

TFxTimerItem* TFxTimerPool::GetTimer(uint16_t AIdent) const
{
    const int index = IndexOf(AIdent);
    return index < 0 ? nullptr : m_list[size_t(index)];
}

int TFxTimerPool::IndexOf(uint16_t AIdent) const
{
    for (size_t i = 0; i < m_list.size(); ++i)
        if (m_list[i]->Ident() == AIdent) return int(i);
    return -1;
}

int TFxTimerPool::GetActiveTimers() const
{
    return int(std::count_if(m_list.begin(), m_list.end(), [](const TFxTimerItem* t) { return t->Enabled(); }));
}

void TFxTimerPool::SetInterval(TFxTimerInterval value)
{
    if (value == m_minInterval || value == 0) return;
    if (!(IsLoading() || IsDesigning())) return;
    m_minInterval = value;
}

void TFxTimerPool::UpdateMainTimer(bool Activate)
{
    if (IsDesigning()) return;
    if (Activate && m_window == 0) m_window = AllocateHWnd([this](TMessage& m) { WndProc(m); });
    m_active = false;
    if (m_window != 0) KillTimer(m_window, 1);
    if (Activate && GetActiveTimers() > 0) {
        if (SetTimer(m_window, 1, m_minInterval) == 0) throw EOutOfResources(kNotEnoughTimers);
        m_passCounter = 1;
        m_active = true;
    }
}

void TFxTimerPool::HandleTimers()
{
    if (m_updating) return;
    // A handler may free the pool: nothing of it is touched after that.
    const std::shared_ptr<bool> alive = m_alive;
    // The count is read again at each step: a handler may add or remove entries.
    for (size_t i = 0; i < m_list.size(); ++i) {
        TFxTimerItem* item = m_list[i];
        if (item->Enabled() && m_passCounter % item->Step() == 0) {
            item->Timer();
            if (!*alive) return;
        }
    }
    if (m_passCounter == INT32_MAX) m_passCounter = 0;
    else ++m_passCounter;
}

void TFxTimerPool::WndProc(TMessage& Message)
{
    if (Message.Msg != WM_TIMER) {
        Message.Result = DefWindowProc(m_window, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    if (m_inTick) return;
    m_inTick = true;
    // The flag is cleared also when a handler raises, so that one failing handler does not
    // silence the whole pool for good; not when a handler has freed the pool.
    const std::shared_ptr<bool> alive = m_alive;
    TScopeExit clear([this, &alive] {
        if (*alive) m_inTick = false;
    });
    SafeCall(this, [this] { HandleTimers(); });
}

// =============================================================================================
// TFxApplication
// =============================================================================================
TFxApplication::TFxApplication(TComponent* AOwner)
    : TComponent(AOwner), m_timerPool(std::make_unique<TFxTimerPool>(nullptr, PoolInterval)),
      m_instanceLock(std::make_unique<TInstanceLock>())
{
}

TFxApplication::~TFxApplication()
{
    Destroying();
    m_timerPool.reset();
}

bool TFxApplication::AlreadyRunning() const
{
    return m_instanceLock->AlreadyRunning();
}

const QString& TFxApplication::MutexName() const
{
    return m_instanceLock->Path();
}

int TFxApplication::GetTimerIdent() const
{
    for (int slot = 1; slot <= TimerSlots; ++slot)
        if (g_timerSlots[slot - 1] == 0) return slot;
    return 0;
}

template <class Add>
uint16_t TFxApplication::AddThroughSlot(Add add)
{
    const int slot = GetTimerIdent();
    if (slot == 0) return 0;
    const uint16_t ident = uint16_t(TimerIdentBase + slot);
    if (add(ident) == -1) return 0;
    g_timerSlots[slot - 1] = 1;
    return ident;
}

uint16_t TFxApplication::AddTimer(uint16_t AInterval, TNotifyEvent ATimerEvent)
{
    return AddThroughSlot([&](uint16_t ident) { return m_timerPool->AddTimer(ident, AInterval, std::move(ATimerEvent)); });
}

uint16_t TFxApplication::AddTimerExt(uint16_t AInterval, int32_t ACallCount, bool AEnabled, TNotifyEvent ATimerEvent)
{
    return AddThroughSlot([&](uint16_t ident) {
        return m_timerPool->AddTimerExt(ident, AInterval, ACallCount, AEnabled, std::move(ATimerEvent));
    });
}

void TFxApplication::RemoveTimer(uint16_t AIdent)
{
    if (AIdent <= TimerIdentBase) return;
    m_timerPool->RemoveTimer(AIdent);
    const int slot = AIdent - TimerIdentBase;
    if (slot <= TimerSlots) g_timerSlots[slot - 1] = 0;
}

TFxTimerItem* TFxApplication::GetTimer(uint16_t AIdent) const
{
    return m_timerPool->GetTimer(AIdent);
}

void FxInitialize()
{
    if (FxApplication) return;
    FxThreadedTimersStop(false);
    FxApplication = new TFxApplication(nullptr);
}

void FxFinalize()
{
    // Workers of timers that outlive the library stop ticking, and those still finishing a
    // tick are waited for, so that none runs on while the process tears down.
    FxThreadedTimersStop(true);
    delete FxApplication;
    FxApplication = nullptr;
    TThread::WaitForAll(kThreadDrainMs);
}

// =============================================================================================
// TFxTimer
// =============================================================================================
namespace {
// Pooled intervals are whole multiples of the pool's 50 ms base tick, rounded up (and kept
// within the 16-bit range).
uint16_t PooledInterval(uint16_t value)
{
    constexpr uint32_t base = TFxApplication::PoolInterval;
    uint32_t v = value % base == 0 ? value : (value / base + 1) * base;
    if (v > 0xFFFF) v = 0xFFFF / base * base;
    return uint16_t(v);
}
} // namespace

TFxTimer::TFxTimer(uint16_t AInterval, TNotifyEvent ATimerEvent, bool AEnabled, bool AGlobal)
    : OnTimer(std::move(ATimerEvent)), m_global(AGlobal), m_enabled(AEnabled), m_interval(AInterval)
{
    UpdateTimer();
}

TFxTimer::~TFxTimer()
{
    RemoveTimer();
}

void TFxTimer::SetEnabled(bool value)
{
    if (value == m_enabled) return;
    m_enabled = value;
    if (m_timer) m_timer->SetEnabled(value);
    else if (m_poolIdent != 0 && FxApplication)
        if (TFxTimerItem* item = FxApplication->GetTimer(m_poolIdent)) item->SetEnabled(value);
}

void TFxTimer::SetInterval(uint16_t value)
{
    if (value == m_interval) return;
    m_interval = value;
    if (m_timer) m_timer->SetInterval(value);
    else if (m_poolIdent != 0 && FxApplication)
        if (TFxTimerItem* item = FxApplication->GetTimer(m_poolIdent)) item->SetInterval(PooledInterval(value));
}

void TFxTimer::SetGlobal(bool value)
{
    if (value == m_global) return;
    m_global = value;
    UpdateTimer();
}

void TFxTimer::UpdateTimer()
{
    RemoveTimer();
    if (m_global) {
        if (!FxApplication) throw EOutOfResources(kNotEnoughTimers);
        m_poolIdent = FxApplication->AddTimer(PooledInterval(m_interval), [this](TObject* Sender) { Timer(Sender); });
        if (m_poolIdent == 0) throw EOutOfResources(kNotEnoughTimers);
        if (TFxTimerItem* item = FxApplication->GetTimer(m_poolIdent)) item->SetEnabled(m_enabled);
    } else {
        m_timer = std::make_unique<TTimer>(nullptr);
        m_timer->SetEnabled(m_enabled);
        m_timer->SetInterval(m_interval);
        m_timer->SetOnTimer([this](TObject* Sender) { Timer(Sender); });
    }
}

void TFxTimer::RemoveTimer()
{
    // Both sources are checked whatever Global says now: SetGlobal has already changed it
    // when it rebuilds, and the entry of the previous mode must not keep firing.
    if (m_poolIdent != 0) {
        if (FxApplication) {
            if (TFxTimerItem* item = FxApplication->GetTimer(m_poolIdent)) {
                item->SetEnabled(false);
                item->OnTimer = nullptr;
            }
            FxApplication->RemoveTimer(m_poolIdent);
        }
        m_poolIdent = 0;
    }
    if (m_timer) {
        m_timer->SetEnabled(false);
        m_timer.reset();
    }
}

void TFxTimer::Timer(TObject*)
{
    if (OnTimer) {
        TNotifyEvent handler = OnTimer; // the handler may free this timer
        handler(this);
    }
}
