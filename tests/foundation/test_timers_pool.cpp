// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The library application object, its timer pool and TFxTimer. Base ticks of a pool are
// driven directly (HandleTimers, or a WM_TIMER sent to its window) where the firing pattern
// matters; real time is used only for eventual outcomes.
#include "tick_testing.h"
#include "foundation/fxclass.h"
#include "foundation/hooks.h"
#include "platform/application.h"
#include "platform/extctrls_timer.h"
#include "platform/instancelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using testwait::ExceptionTrap;
using testwait::Pump;
using testwait::Until;

namespace {

template <class E, class Fn>
QString MessageOf(Fn&& fn)
{
    try {
        fn();
    } catch (const E& e) {
        return e.Message();
    }
    return QStringLiteral("<nothing raised>");
}

uint16_t EntryInterval(const TFxTimer& t)
{
    TFxTimerItem* item = FxApplication->GetTimer(t.PoolIdent());
    return item ? item->Interval() : 0;
}

} // namespace

TEST(FxApplication, ExistsAfterInitialisationWithItsDefaults)
{
    ASSERT_NE(FxApplication, nullptr);
    TFxApplication* first = FxApplication;
    FxInitialize();
    EXPECT_EQ(FxApplication, first) << "a second initialisation creates nothing";
    EXPECT_EQ(FxApplication->Options(), TFxApplicationOptions(aoMouseCtrlActive | aoLogAlwaysClear | aoLogHeader | aoLogNr));
    EXPECT_FALSE(FxApplication->Options() & aoAutoRealizePalette);
    ASSERT_NE(FxApplication->TimerPool(), nullptr);
    EXPECT_EQ(FxApplication->TimerPool()->MinInterval(), 50);
    EXPECT_EQ(FxApplication->GetTimerIdent(), 1) << "no slot is taken between tests";
}

TEST(FxApplication, TheInstanceLockTellsWhetherAnotherInstanceRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    auto first = std::make_unique<TFxApplication>(nullptr);
    auto second = std::make_unique<TFxApplication>(nullptr);
    EXPECT_FALSE(first->AlreadyRunning());
    EXPECT_TRUE(second->AlreadyRunning());
    EXPECT_TRUE(first->MutexName().startsWith(dir.path()));
    // Named after the program in capitals (this suite is also built as test_concurrency).
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper();
    EXPECT_TRUE(program.startsWith(QStringLiteral("TEST_")));
    EXPECT_TRUE(first->MutexName().endsWith(QLatin1Char('/') + program + QStringLiteral(".lock"))) << first->MutexName().toStdString();
    first.reset(); // the first instance ends: its lock goes with it
    TFxApplication third(nullptr);
    EXPECT_FALSE(third.AlreadyRunning());
    second.reset();

    // Without a runtime folder the lock lies in a private folder of this user, and a link
    // planted where the file goes is not followed.
    qunsetenv("XDG_RUNTIME_DIR");
    const QString name = QStringLiteral("TIRLINK-LOCK-TEST-%1").arg(QCoreApplication::applicationPid());
    const QString folder = QDir(QDir::tempPath()).filePath(name + QStringLiteral("-%1").arg(::getuid()));
    {
        TInstanceLock lock(name);
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(QFileInfo(lock.Path()).absolutePath(), folder);
        const QFileInfo info(folder);
        EXPECT_EQ(info.ownerId(), ::getuid());
        EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), 0);
        EXPECT_TRUE(TInstanceLock(name).AlreadyRunning());
        // A runtime folder that every user may write to, or that is not the user's own ("/",
        // which root may write to), could hold another user's lock: the private folder is used.
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 01777), 0);
        for (const QString& runtime : {dir.path(), QStringLiteral("/")}) {
            qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
            EXPECT_TRUE(TInstanceLock(name).AlreadyRunning()) << runtime.toStdString();
        }
        qunsetenv("XDG_RUNTIME_DIR");
    }
    const QString target = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::remove(QDir(folder).filePath(name + QStringLiteral(".lock"))));
    ASSERT_TRUE(QFile::link(target, QDir(folder).filePath(name + QStringLiteral(".lock"))));
    EXPECT_FALSE(TInstanceLock(name).Held());
    EXPECT_FALSE(QFileInfo::exists(target));
    QDir(folder).removeRecursively();
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(TimerPool, FiringPatternOfStepsOneTwoThreeOverSixBaseTicks)
{
    TFxTimerPool pool(nullptr, 50);
    std::string fired;
    int tick = 0;
    auto entry = [&](char name) { return [&, name](TObject* s) { EXPECT_EQ(s, &pool); fired += name; }; };
    EXPECT_EQ(pool.AddTimer(1, 50, entry('a')), 0);
    EXPECT_EQ(pool.AddTimer(2, 100, entry('b')), 1);
    EXPECT_EQ(pool.AddTimer(3, 150, entry('c')), 2);
    EXPECT_EQ(pool.GetTimer(2)->Step(), 2);
    EXPECT_TRUE(pool.Active());
    EXPECT_EQ(pool.PassCounter(), 1);
    for (tick = 1; tick <= 6; ++tick) {
        fired += std::to_string(tick);
        pool.HandleTimers();
    }
    EXPECT_EQ(fired, "1a2ab3ac4ab5a6abc");
    EXPECT_EQ(pool.GetTimer(1)->Counter(), 6);
    EXPECT_EQ(pool.GetTimer(3)->Counter(), 2);

    // A new entry restarts the shared timer: pass counter 1 again, phases shift.
    pool.AddTimer(4, 100, entry('d'));
    EXPECT_EQ(pool.PassCounter(), 1);
    fired.clear();
    pool.HandleTimers();
    pool.HandleTimers();
    EXPECT_EQ(fired, "aabd");
}

TEST(TimerPool, CallCountsAndSwitchingEntries)
{
    TFxTimerPool pool(nullptr, 50);
    int calls = 0;
    pool.AddTimerExt(7, 50, 3, true, [&](TObject*) { ++calls; });
    TFxTimerItem* item = pool.GetTimer(7);
    for (int i = 0; i < 5; ++i) pool.HandleTimers();
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(item->Enabled()) << "the entry switched itself off at its call count";
    EXPECT_EQ(pool.GetActiveTimers(), 0);

    item->SetEnabled(true); // call count 3, not 0: accepted, counter starts afresh
    EXPECT_TRUE(item->Enabled());
    EXPECT_EQ(item->Counter(), 0);
    for (int i = 0; i < 5; ++i) pool.HandleTimers();
    EXPECT_EQ(calls, 6);

    item->SetCallCount(0);
    EXPECT_FALSE(item->Enabled());
    item->SetEnabled(true);
    EXPECT_FALSE(item->Enabled()) << "a call count of 0 refuses switching on";
    item->SetCallCount(-5);
    EXPECT_EQ(item->CallCount(), -1);

    // Intervals that are not multiples of the base are ignored; 0 cannot be reached that way
    // either since 0 is a multiple: it becomes the base.
    item->SetInterval(120);
    EXPECT_EQ(item->Interval(), 50);
    item->SetInterval(200);
    EXPECT_EQ(item->Interval(), 200);
    EXPECT_EQ(item->Step(), 4);
    item->SetInterval(0);
    EXPECT_EQ(item->Interval(), 50);
    EXPECT_EQ(item->Step(), 1);

    // Created disabled, an entry does not fire; the pool's own event serves entries without a
    // handler, with the identifier and the counter.
    std::vector<std::pair<uint16_t, int32_t>> poolEvents;
    pool.OnTimer = [&](TObject* s, uint16_t ident, int32_t counter) {
        EXPECT_EQ(s, &pool);
        poolEvents.emplace_back(ident, counter);
    };
    EXPECT_TRUE(pool.HasTimerProc());
    pool.AddTimerExt(8, 50, -1, false, nullptr);
    pool.HandleTimers();
    EXPECT_TRUE(poolEvents.empty());
    pool.GetTimer(8)->SetEnabled(true);
    pool.HandleTimers();
    pool.HandleTimers();
    EXPECT_EQ(poolEvents, (std::vector<std::pair<uint16_t, int32_t>>{{8, 1}, {8, 2}}));
}

TEST(TimerPool, RefusalsAndTheirMessages)
{
    TFxTimerPool pool(nullptr, 50);
    EXPECT_EQ(MessageOf<Exception>([&] { pool.AddTimer(1, 0, nullptr); }),
              QStringLiteral("Interval not compatible with MinInterval property!"));
    EXPECT_EQ(MessageOf<Exception>([&] { pool.AddTimer(1, 75, nullptr); }),
              QStringLiteral("Interval not compatible with MinInterval property!"));
    EXPECT_EQ(pool.GetCount(), 0);
    pool.AddTimer(1, 50, nullptr);
    const QString duplicate = MessageOf<Exception>([&] { pool.AddTimer(1, 100, nullptr); });
    EXPECT_TRUE(duplicate.contains(QStringLiteral("already in use"))) << duplicate.toStdString();
    EXPECT_EQ(pool.GetCount(), 1);

    TFxTimerItem::TList list;
    EXPECT_EQ(MessageOf<EInvalidOperation>([&] { TFxTimerItem(nullptr, &list, 1); }),
              QStringLiteral("TFxTimerItem: Invalid Owner or List"));
    EXPECT_EQ(MessageOf<EInvalidOperation>([&] { TFxTimerItem(&pool, nullptr, 1); }),
              QStringLiteral("TFxTimerItem: Invalid Owner or List"));

    // MinInterval changes only while loading or designing.
    pool.SetInterval(100);
    EXPECT_EQ(pool.MinInterval(), 50);
    TFxTimerPool loading(nullptr);
    EXPECT_EQ(loading.MinInterval(), 1000);
    loading.SetLoading();
    loading.SetInterval(100);
    loading.SetInterval(0);   // a base of 0 would divide by zero in every entry
    loading.Loaded();
    EXPECT_EQ(loading.MinInterval(), 100);
    TFxTimerPool zero(nullptr, 0);
    EXPECT_GT(zero.MinInterval(), 0);
    TFxTimerItem direct(&zero, &list, 7);
    direct.SetInterval(3);
    EXPECT_GT(direct.Step(), 0);
}

TEST(TimerPool, TheSharedTimerStopsWithTheLastEntryOnly)
{
    TFxTimerPool pool(nullptr, 50);
    int ticks = 0;
    pool.AddTimer(1, 50, [&](TObject*) { ++ticks; });
    pool.AddTimer(2, 50, nullptr);
    ASSERT_TRUE(pool.Active());
    ASSERT_TRUE(Until([&] { return ticks >= 2; })) << "the shared window timer delivers base ticks";

    pool.GetTimer(1)->SetEnabled(false);
    pool.GetTimer(2)->SetEnabled(false);
    EXPECT_TRUE(pool.Active()) << "switching entries off does not stop the shared timer";
    const int off = ticks;
    SendMessage(TFoundationHooks::Handle(pool), WM_TIMER, 1, 0);
    EXPECT_EQ(ticks, off);

    pool.RemoveTimer(1);
    EXPECT_TRUE(pool.Active());
    pool.RemoveTimer(99); // unknown: nothing
    EXPECT_EQ(pool.GetCount(), 1);
    pool.RemoveTimer(2);
    EXPECT_FALSE(pool.Active());
    EXPECT_EQ(pool.GetTimer(2), nullptr);

    // A restart finds no enabled entry: the shared timer stays stopped.
    pool.AddTimerExt(3, 50, -1, false, nullptr);
    pool.UpdateMainTimer(true);
    EXPECT_FALSE(pool.Active());
    pool.ClearTimers();
    EXPECT_EQ(pool.GetCount(), 0);
}

TEST(TimerPool, DesignedPoolsStartNothing)
{
    TFxTimerPool pool(nullptr, 50);
    pool.SetDesigning(true);
    pool.AddTimer(1, 50, nullptr);
    EXPECT_FALSE(pool.Active());
    EXPECT_EQ(TFoundationHooks::Handle(pool), 0u);
}

TEST(TimerPool, AFailingHandlerIsReportedAndThePoolKeepsTicking)
{
    ExceptionTrap trap;
    TFxTimerPool pool(nullptr, 50);
    int good = 0;
    pool.AddTimer(1, 50, [](TObject*) { throw EInvalidOperation(QStringLiteral("entry failed")); });
    pool.AddTimer(2, 50, [&](TObject*) { ++good; });
    pool.GetTimer(2)->SetEnabled(true);
    SendMessage(TFoundationHooks::Handle(pool), WM_TIMER, 1, 0);
    ASSERT_EQ(trap.messages.size(), 1u);
    EXPECT_EQ(trap.messages[0], QStringLiteral("entry failed"));
    EXPECT_EQ(trap.senders[0], &pool);
    pool.GetTimer(1)->SetEnabled(false);
    SendMessage(TFoundationHooks::Handle(pool), WM_TIMER, 1, 0);
    SendMessage(TFoundationHooks::Handle(pool), WM_TIMER, 1, 0);
    EXPECT_EQ(good, 2) << "later base ticks still fire the other entries";
}

TEST(TimerPool, ABaseTickDuringATickIsIgnored)
{
    TFxTimerPool pool(nullptr, 50);
    int outer = 0;
    pool.AddTimer(1, 50, [&](TObject*) {
        ++outer;
        SendMessage(TFoundationHooks::Handle(pool), WM_TIMER, 1, 0); // as a nested event loop would deliver it
    });
    SendMessage(TFoundationHooks::Handle(pool), WM_TIMER, 1, 0);
    EXPECT_EQ(outer, 1);
}

TEST(TimerPool, APoolFreedInsideItsOwnTickIsNotTouchedAgain)
{
    auto* pool = new TFxTimerPool(nullptr, 50);
    int fired = 0;
    pool->AddTimer(1, 50, [&](TObject*) { ++fired; delete pool; });
    pool->AddTimer(2, 50, [&](TObject*) { ++fired; });
    SendMessage(TFoundationHooks::Handle(*pool), WM_TIMER, 1, 0);
    EXPECT_EQ(fired, 1);
}

TEST(TimerPool, EntriesMayRemoveThemselvesDuringABaseTick)
{
    TFxTimerPool pool(nullptr, 50);
    std::string fired;
    pool.AddTimer(1, 50, [&](TObject*) { fired += 'a'; pool.RemoveTimer(1); });
    pool.AddTimer(2, 50, [&](TObject*) { fired += 'b'; });
    pool.HandleTimers();
    pool.HandleTimers();
    EXPECT_EQ(fired.front(), 'a');
    EXPECT_EQ(fired.back(), 'b');
    EXPECT_EQ(std::count(fired.begin(), fired.end(), 'a'), 1);
    EXPECT_EQ(pool.GetCount(), 1);
}

TEST(FxTimer, PooledIntervalsAreRoundedUpToTheBaseTick)
{
    struct Case { uint16_t asked, got; };
    for (Case c : {Case{1, 50}, Case{50, 50}, Case{51, 100}, Case{149, 150}, Case{1000, 1000}, Case{65535, 65500}}) {
        TFxTimer t(c.asked, nullptr, true, true);
        EXPECT_NE(t.PoolIdent(), 0);
        EXPECT_EQ(EntryInterval(t), c.got) << "asked " << c.asked;
        EXPECT_EQ(t.Interval(), c.asked);
    }
    const int freeSlot = FxApplication->GetTimerIdent();
    EXPECT_EQ(MessageOf<Exception>([] { TFxTimer t(0, nullptr, true, true); }),
              QStringLiteral("Interval not compatible with MinInterval property!"));
    EXPECT_EQ(FxApplication->GetTimerIdent(), freeSlot) << "a refused entry takes no slot";

    // A new interval of a pooled timer is rounded the same way.
    TFxTimer t(100, nullptr, true, true);
    t.SetInterval(120);
    EXPECT_EQ(EntryInterval(t), 150);
    EXPECT_EQ(t.Interval(), 120);
    t.SetEnabled(false);
    EXPECT_FALSE(FxApplication->GetTimer(t.PoolIdent())->Enabled());
}

TEST(FxTimer, TheTwoHundredAndFiftyFirstPooledTimerFailsAndFreedSlotsAreReused)
{
    std::vector<std::unique_ptr<TFxTimer>> timers;
    for (int i = 1; i <= TFxApplication::TimerSlots; ++i) {
        timers.push_back(std::make_unique<TFxTimer>(50, nullptr, false, true));
        EXPECT_EQ(timers.back()->PoolIdent(), 0xFD00 + i);
    }
    EXPECT_EQ(timers.back()->PoolIdent(), 0xFDFA);
    EXPECT_EQ(FxApplication->GetTimerIdent(), 0);
    EXPECT_EQ(FxApplication->AddTimer(50, nullptr), 0);
    EXPECT_EQ(MessageOf<EOutOfResources>([] { TFxTimer extra(50, nullptr, true, true); }),
              QStringLiteral("Not enough timers available"));

    timers[99].reset();
    timers[9].reset();
    EXPECT_EQ(FxApplication->GetTimerIdent(), 10) << "the lowest free slot";
    TFxTimer again(50, nullptr, true, true);
    EXPECT_EQ(again.PoolIdent(), 0xFD0A);
    TFxTimer andAgain(50, nullptr, true, true);
    EXPECT_EQ(andAgain.PoolIdent(), 0xFD64);

    FxApplication->RemoveTimer(0xFD00); // identifiers not above 0xFD00 are not the pool's
    FxApplication->RemoveTimer(5);
    EXPECT_EQ(FxApplication->TimerPool()->GetCount(), TFxApplication::TimerSlots);
}

TEST(FxTimer, AnOwnTimerTicksOnlyWhenEnabled)
{
    int ticks = 0;
    TObject* sender = nullptr;
    TFxTimer t(1, [&](TObject* s) { ++ticks; sender = s; }, false, false);
    ASSERT_NE(t.WindowTimer(), nullptr);
    EXPECT_EQ(t.PoolIdent(), 0);
    Pump(60);
    EXPECT_EQ(ticks, 0);
    t.SetEnabled(true);
    ASSERT_TRUE(Until([&] { return ticks >= 3; }));
    EXPECT_EQ(sender, &t);
    t.SetInterval(40);
    EXPECT_EQ(t.WindowTimer()->Interval(), 40u) << "the window timer takes a new interval at once";
    t.SetEnabled(false);
    const int off = ticks;
    Pump(60);
    EXPECT_EQ(ticks, off);
}

TEST(FxTimer, APooledTimerTicksThroughTheSharedTimer)
{
    int ticks = 0;
    TObject* sender = nullptr;
    TFxTimer t(50, [&](TObject* s) { ++ticks; sender = s; }, true, true);
    EXPECT_EQ(t.WindowTimer(), nullptr);
    ASSERT_TRUE(Until([&] { return ticks >= 2; }));
    EXPECT_EQ(sender, &t);
}

TEST(FxTimer, SwitchingGlobalRebuildsTheSourceAndLeavesNoEntryBehind)
{
    const int entries = FxApplication->TimerPool()->GetCount();
    int ticks = 0;
    TFxTimer t(1, [&](TObject*) { ++ticks; }, true, true);
    EXPECT_EQ(EntryInterval(t), 50);
    t.SetGlobal(false);
    EXPECT_EQ(t.PoolIdent(), 0);
    EXPECT_EQ(FxApplication->TimerPool()->GetCount(), entries);
    ASSERT_NE(t.WindowTimer(), nullptr);
    EXPECT_EQ(t.WindowTimer()->Interval(), 1u);
    t.SetGlobal(true);
    EXPECT_EQ(t.WindowTimer(), nullptr);
    EXPECT_EQ(FxApplication->TimerPool()->GetCount(), entries + 1);
    ASSERT_TRUE(Until([&] { return ticks >= 1; }));
}

TEST(FxTimer, TimersFreedAndRebuiltFromInsideTheirTicks)
{
    // Own and pooled timers freed, re-timed and rebuilt from their own ticks and from outside,
    // many times; a tick never reaches a freed timer.
    std::vector<TFxTimer*> live;
    int ticks = 0, strayTicks = 0;
    auto isLive = [&](TObject* s) { return std::find(live.begin(), live.end(), s) != live.end(); };
    std::function<void(TObject*)> onTick = [&](TObject* s) {
        if (!isLive(s)) { ++strayTicks; return; }
        ++ticks;
        auto* t = static_cast<TFxTimer*>(s);
        switch (ticks % 4) {
        case 0:
            live.erase(std::find(live.begin(), live.end(), t));
            delete t;
            live.push_back(new TFxTimer(1, onTick, true, ticks % 8 == 0));
            break;
        case 1: t->SetGlobal(!t->Global()); break;
        case 2: t->SetInterval(uint16_t(1 + ticks % 60)); break;
        default: t->SetEnabled(false); t->SetEnabled(true); break;
        }
    };
    for (int i = 0; i < 8; ++i) live.push_back(new TFxTimer(1, onTick, true, i % 2 == 0));
    for (int round = 0; round < 300; ++round) {
        QCoreApplication::processEvents();
        // From outside: free one and make a new one.
        TFxTimer* victim = live[size_t(round) % live.size()];
        live.erase(std::find(live.begin(), live.end(), victim));
        delete victim;
        live.push_back(new TFxTimer(uint16_t(1 + round % 100), onTick, true, round % 3 == 0));
    }
    ASSERT_TRUE(Until([&] { return ticks >= 40; }));
    for (TFxTimer* t : live) delete t;
    live.clear();
    Pump(60);
    EXPECT_EQ(strayTicks, 0);
    EXPECT_EQ(FxApplication->GetTimerIdent(), 1) << "every slot was given back";
}
