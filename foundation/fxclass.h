// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The library's application object FxApplication with its options and the application-wide
// timer pool, and TFxTimer, the small timer object of the library controls.
//
// Threads: everything here lives on the GUI thread. Window timers deliver their ticks through
// the GUI thread's event loop; handlers run there. Once a TFxTimer is disabled or destroyed,
// or a pool entry is switched off or removed, its handler is not called again. A handler may
// free its own pool; the tick then ends without touching the pool again.
#pragma once

#include "foundation/fxcustomcomponent.h"
#include "foundation/fxtypes.h"
#include "platform/messages.h"

#include <functional>
#include <memory>
#include <vector>

class TInstanceLock;
class TTimer;
class TFxTimerPool;

// ---------------------------------------------------------------------------------------------
// Application options: a set of flags.
// ---------------------------------------------------------------------------------------------
enum TFxApplicationOption : uint8_t {
    aoAutoRealizePalette = 1 << 0,
    aoMouseCtrlActive = 1 << 1,
    aoLogAlwaysClear = 1 << 2,
    aoLogException = 1 << 3,
    aoLogHeader = 1 << 4,
    aoLogNr = 1 << 5,
    aoLogTime = 1 << 6,
    aoLogDate = 1 << 7,
};
using TFxApplicationOptions = uint8_t;

// The pool's own tick event, for entries that have no handler of their own.
using TFxTimerPoolEvent = std::function<void(TObject* Sender, uint16_t Ident, int32_t Counter)>;

// ---------------------------------------------------------------------------------------------
// TFxTimerItem: one entry of a pool. It fires every Interval / MinInterval base ticks while
// Enabled; a call count other than -1 switches it off after that many firings.
// ---------------------------------------------------------------------------------------------
class TFxTimerItem : public TObject {
public:
    using TList = std::vector<TFxTimerItem*>;

    // Raises EInvalidOperation "<class name>: Invalid Owner or List" without pool or list.
    // The entry does not add itself to the list.
    TFxTimerItem(TFxTimerPool* AOwner, TList* AList, uint16_t AIdent);
    // Switches off, drops the handler and leaves the list.
    ~TFxTimerItem() override;
    QString ClassName() const override { return QStringLiteral("TFxTimerItem"); }

    int32_t CallCount() const { return m_callCount; }
    void SetCallCount(int32_t value);
    int32_t Counter() const { return m_counter; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    uint16_t Ident() const { return m_ident; }
    uint16_t Interval() const { return m_interval; }
    // Values that are not a multiple of the pool's MinInterval are ignored.
    void SetInterval(uint16_t value);
    int32_t Step() const { return m_step; }

    // One firing: counts, switches off at the call count, calls the handler (Sender = the
    // pool) or, without one, the pool's OnTimer.
    void Timer();

    TNotifyEvent OnTimer;

private:
    int32_t m_callCount = -1;
    int32_t m_counter = 0;
    bool m_enabled = true;
    uint16_t m_ident = 0;
    uint16_t m_interval = 1000;
    int32_t m_step = 1;
    TList* m_list = nullptr;
    TFxTimerPool* m_owner = nullptr;
};

// ---------------------------------------------------------------------------------------------
// TFxTimerPool: many entries on one shared window timer of period MinInterval.
// ---------------------------------------------------------------------------------------------
class TFxTimerPool : public TFxCustomComponent {
public:
    explicit TFxTimerPool(TComponent* AOwner);
    TFxTimerPool(TComponent* AOwner, TFxTimerInterval AInterval);
    ~TFxTimerPool() override;
    QString ClassName() const override { return QStringLiteral("TFxTimerPool"); }

    // Adds an entry; the interval must be a whole multiple of MinInterval and at least
    // MinInterval ("Interval not compatible with MinInterval property!"), the identifier new
    // to the pool. Restarts the shared timer (pass counter 1). Returns the entry's index.
    int AddTimer(uint16_t AIdent, uint16_t AInterval, TNotifyEvent ATimerEvent);
    int AddTimerExt(uint16_t AIdent, uint16_t AInterval, int32_t ACallCount, bool AEnabled, TNotifyEvent ATimerEvent);
    void RemoveTimer(uint16_t AIdent);
    // Stops the shared timer and frees every entry, last first.
    void ClearTimers();
    TFxTimerItem* GetTimer(uint16_t AIdent) const;
    int IndexOf(uint16_t AIdent) const;
    int GetActiveTimers() const;
    int GetCount() const { return int(m_list.size()); }
    bool HasTimerProc() const { return bool(OnTimer); }

    TFxTimerInterval MinInterval() const { return m_minInterval; }
    // Takes effect only while the pool is loaded or designed; 0 is ignored.
    void SetInterval(TFxTimerInterval value);

    // (Re)starts the shared timer when Activate and an entry is enabled; stops it otherwise.
    void UpdateMainTimer(bool Activate);
    // One base tick: fires the due entries, then advances the pass counter.
    void HandleTimers();

    bool Active() const { return m_active; }
    int32_t PassCounter() const { return m_passCounter; }

    TFxTimerPoolEvent OnTimer;

private:
    friend struct TFoundationHooks;
    void WndProc(TMessage& Message);

    bool m_active = false;
    bool m_inTick = false;
    HWND m_window = 0;
    int32_t m_passCounter = 0;
    TFxTimerItem::TList m_list;
    bool m_updating = false;
    TFxTimerInterval m_minInterval = 1000;
    // Cleared when the pool is freed, so that a tick whose handler freed it stops at once.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// ---------------------------------------------------------------------------------------------
// TFxApplication: the library's application object.
// ---------------------------------------------------------------------------------------------
class TFxApplication : public TComponent {
public:
    // Identifier slots of the pool: slot k (1..250) is identifier 0xFD00 + k.
    static constexpr uint16_t TimerIdentBase = 0xFD00;
    static constexpr int TimerSlots = 250;
    static constexpr TFxTimerInterval PoolInterval = 50;

    explicit TFxApplication(TComponent* AOwner);
    ~TFxApplication() override;
    QString ClassName() const override { return QStringLiteral("TFxApplication"); }

    TFxApplicationOptions Options() const { return m_options; }
    void SetOptions(TFxApplicationOptions value) { m_options = value; }

    // A pool entry through a free identifier slot; 0 when every slot is taken or the pool
    // refused the entry. The pool's own exceptions pass through.
    uint16_t AddTimer(uint16_t AInterval, TNotifyEvent ATimerEvent);
    uint16_t AddTimerExt(uint16_t AInterval, int32_t ACallCount, bool AEnabled, TNotifyEvent ATimerEvent);
    // Identifiers not above 0xFD00 are ignored.
    void RemoveTimer(uint16_t AIdent);
    TFxTimerItem* GetTimer(uint16_t AIdent) const;
    // The lowest free slot 1..250, or 0.
    int GetTimerIdent() const;

    TFxTimerPool* TimerPool() const { return m_timerPool.get(); }
    // Whether another instance of this program held the instance lock at start-up.
    bool AlreadyRunning() const;
    // The lock file standing for the program's named mutex (empty when no trusted folder
    // could hold it).
    const QString& MutexName() const;

private:
    template <class Add> uint16_t AddThroughSlot(Add add);

    TFxApplicationOptions m_options = aoMouseCtrlActive | aoLogAlwaysClear | aoLogHeader | aoLogNr;
    std::unique_ptr<TFxTimerPool> m_timerPool;
    std::unique_ptr<TInstanceLock> m_instanceLock;
};

// The library's single application object, between FxInitialize and FxFinalize.
extern TFxApplication* FxApplication;

// Library initialisation: creates FxApplication. Call once the QApplication exists and before
// the first form; calling it again does nothing.
void FxInitialize();
// Library finalisation: frees FxApplication and waits (briefly) for timer threads that are
// still finishing. Call before the QApplication goes.
void FxFinalize();

// ---------------------------------------------------------------------------------------------
// TFxTimer: ticks through an own window timer (Global false) or a pool entry (Global true).
// ---------------------------------------------------------------------------------------------
class TFxTimer : public TObject {
public:
    // Builds the tick source at once. A pooled timer's interval is taken up to a multiple of
    // 50 ms; EOutOfResources "Not enough timers available" when no pool slot is free.
    TFxTimer(uint16_t AInterval, TNotifyEvent ATimerEvent, bool AEnabled, bool AGlobal);
    ~TFxTimer() override;
    QString ClassName() const override { return QStringLiteral("TFxTimer"); }

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    uint16_t Interval() const { return m_interval; }
    void SetInterval(uint16_t value);
    bool Global() const { return m_global; }
    void SetGlobal(bool value);

    // The pool identifier (0 in own-timer mode) and the own window timer (none when pooled).
    uint16_t PoolIdent() const { return m_poolIdent; }
    TTimer* WindowTimer() const { return m_timer.get(); }

    TNotifyEvent OnTimer;

protected:
    // The tick: calls OnTimer with this object as Sender.
    virtual void Timer(TObject* Sender);

private:
    void UpdateTimer();
    void RemoveTimer();

    std::unique_ptr<TTimer> m_timer;
    uint16_t m_poolIdent = 0;
    bool m_global = false;
    bool m_enabled = false;
    uint16_t m_interval = 0;
};
