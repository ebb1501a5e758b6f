// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// A long run of the ticker: 300,000 ticks of its scrolling control (about 80 minutes of real
// scrolling at 16 ms a tick), driven through the control's tick handler without waiting for real
// time, with the text, font and colours changed every 10,000 ticks as a user would through the
// settings dialog. The process must not grow: in the plain build the highest resident memory of
// the last round of looks stays within 1 MB of the highest of the first round after a warm-up
// (single samples swing by a few hundred KiB as the allocator reuses its blocks); with
// AddressSanitizer, LeakSanitizer must find nothing unreachable once the window is gone.
#include "app/settingsfile.h"
#include "app/tirlink.h"
#include "scrolltext/fxscrolltext.h"
#include "scrolltext/hooks.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TIRLINK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIRLINK_ASAN 1
#endif
#endif
#ifdef TIRLINK_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace {

constexpr int kTicks = 300000;
constexpr int kChangeEvery = 10000;
// Every variant of font, size and colours is met once before memory is measured, so that what
// the font machinery caches for good is in place by then. A round is one change to each look.
constexpr int kVariants = 6;
constexpr int kChanges = kTicks / kChangeEvery;
// The strip of a 1920-pixel screen, as the placement rule makes it there.
constexpr int kStripWidth = 1916;

long ResidentBytes()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    const int n = std::fscanf(f, "%ld %ld", &pages, &resident);
    std::fclose(f);
    return n == 2 ? resident * ::sysconf(_SC_PAGESIZE) : -1;
}

struct TVariant {
    const char* Face;
    int Size;
    TColor Fore;
    TColor Back;
    TFontStyles Style;
};
const TVariant kLooks[kVariants] = {
    {"DejaVu Sans", 14, clYellow, clNavy, 0},        {"Liberation Serif", 20, clWhite, clMaroon, fsBold},
    {"DejaVu Serif", 9, clLime, clBlack, fsItalic},  {"Liberation Mono", 16, clAqua, clPurple, 0},
    {"Times New Roman", 11, clBlack, clSilver, 0},   {"Liberation Sans", 24, clRed, clWhite, fsBold | fsItalic},
};

// What the user would do in the settings dialog: a new text, another face, size, style and
// colours, then "Применить" (which re-places the window and restarts the scrolling).
void ChangeLook(TFtirlink* w, int change)
{
    const TVariant& v = kLooks[change % kVariants];
    TFxScrollText* st = w->FxScrollText1;
    st->SetScroll(false);
    st->Lines()->Clear();
    // A text of its own each time (the number), with <b> markup half of the time.
    st->Lines()->Add(QStringLiteral("Выпуск %1: %2курс рубля, погода, новости дня%3 — ")
                         .arg(change)
                         .arg(change % 2 ? QStringLiteral("<b>") : QString())
                         .arg(change % 2 ? QStringLiteral("</b>") : QString())
                         .repeated(1 + change % 3));
    TFont* font = st->Font();
    font->SetName(QLatin1String(v.Face));
    font->SetSize(v.Size);
    font->SetStyle(v.Style);
    font->SetColor(v.Fore);
    st->SetColor(v.Back);
    w->ApplyPlacement();
    w->SetBounds(2, w->Top(), kStripWidth, w->Height());
    st->SetScroll(true);
}

TEST(LongRun, ThreeHundredThousandTicksWithChangesEveryTenThousandDoNotGrowTheProcess)
{
    QTemporaryDir dir;
    auto w = std::make_unique<TFtirlink>(nullptr);
    w->SettingsPath = dir.filePath(QStringLiteral("tirlink.cfg"));
    w->ExitProgram = [](int) { ADD_FAILURE() << "the program was ended"; };
    w->AfterConstruction();
    w->SetBounds(2, w->Top(), kStripWidth, w->Height());
    TFxScrollText* st = w->FxScrollText1;
    ASSERT_TRUE(st->Scroll());
    // The ticks come from this loop alone.
    st->EnableTimer(false);

    // Resident memory at the end of each look's 10,000 ticks.
    std::vector<long> samples;
    int passes = 0;
    for (int tick = 0; tick < kTicks; ++tick) {
        if (tick % kChangeEvery == 0) {
            ChangeLook(w.get(), tick / kChangeEvery);
            st->EnableTimer(false);
            ASSERT_TRUE(st->Scroll()) << tick;
        }
        const int before = TScrollTextHooks::StepCounter(*st);
        st->GetTimer(st);
        if (before > 0 && TScrollTextHooks::StepCounter(*st) == 0) ++passes;
        // The message loop's other work (repaint requests, deferred deletions) gets its turn as
        // it would between real ticks.
        if (tick % 1000 == 999) QCoreApplication::processEvents();
        if (tick % kChangeEvery == kChangeEvery - 1) samples.push_back(ResidentBytes());
    }
    ASSERT_EQ(int(samples.size()), kChanges);

    // The ticks really scrolled: a pass is Steps + 1 ticks, and each change starts one anew.
    EXPECT_GE(passes, (kTicks / kChangeEvery) * (kChangeEvery / (st->Steps() + 1)));
    EXPECT_EQ(st->Width(), kStripWidth);
    // The last look is on the control: its background fills the top row (the text stands in
    // the middle of the strip, |font height| + 10 pixels high).
    const TVariant& last = kLooks[(kTicks / kChangeEvery - 1) % kVariants];
    int background = 0;
    for (int x = 0; x < kStripWidth; ++x) background += st->Canvas()->Pixel(x, 0) == last.Back;
    EXPECT_GT(background, kStripWidth * 9 / 10);

#ifdef TIRLINK_ASAN
    // Resident memory means nothing under AddressSanitizer (freed blocks wait in quarantine);
    // what counts is that nothing became unreachable.
    w.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "LeakSanitizer found leaks after the long run";
#else
    ASSERT_GT(*std::min_element(samples.begin(), samples.end()), 0);
    // The first round is the warm-up; the second is the baseline.
    const long firstRound = *std::max_element(samples.begin() + kVariants, samples.begin() + 2 * kVariants);
    const long lastRound = *std::max_element(samples.end() - kVariants, samples.end());
    std::printf("resident memory, highest of a round of looks: %ld KiB after the warm-up, %ld KiB at the end\n",
                firstRound / 1024, lastRound / 1024);
    EXPECT_LT(lastRound - firstRound, 1000000L) << "resident memory grew from " << firstRound << " to " << lastRound
                                                << " bytes over "
                                                << kTicks - 2 * kVariants * kChangeEvery << " ticks";
#endif
}

}  // namespace
