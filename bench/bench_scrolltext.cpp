// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The ticker's own frame against the least a frame can cost.
//
// BM_TickerFrame: one tick of the ticker's scroll text as the program configures it (1916 x 29,
// right to left, ticker mode, yellow "Times New Roman" -19 on navy, the designed text): the
// step advances and the frame is composed in a fresh 24-bit image and copied onto the control.
// The same at 3836 x 60, a 3840-wide screen with a font 50 pixels high (the window is the
// font's height + 10).
// BM_FillAndCopy: one fill of a 24-bit strip of that size plus one copy of it onto a surface
// like the control's, in two shades by turns so that every pixel of the surface changes. The
// ratio of the two is printed per size; the goal is 2 or less.
#include "foundation/fxclass.h"
#include "platform/application.h"
#include "scrolltext/fxscrolltext.h"
#include "scrolltext/hooks.h"
#include "times_reporter.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

void BM_TickerFrame(benchmark::State& state)
{
    const int kWidth = int(state.range(0));
    const int kHeight = int(state.range(1));
    TFxScrollText st(nullptr);
    st.SetDirection(TFxScrollDirection::sdRightToLeft);
    st.SetScrollMode(TFxScrollMode::smTicker);
    st.SetInterval(1);
    st.SetSteps(300);
    st.SetColor(clNavy);
    st.Font()->SetName(QStringLiteral("Times New Roman"));
    st.Font()->SetHeight(-(kHeight - 10));
    st.Font()->SetColor(clYellow);
    st.Lines()->Clear();
    st.Lines()->Add(QStringLiteral("Для вызова меню нажмите правую кнопку мыши на панели Тирлинка."));
    st.SetBounds(0, 0, kWidth, kHeight);
    st.Paint();
    st.Execute();
    st.EnableTimer(false);   // ticks come from the loop below only
    for (auto _ : state) {
        st.GetTimer(nullptr);
        benchmark::DoNotOptimize(TScrollTextHooks::Origin(st));
    }
}

void BM_FillAndCopy(benchmark::State& state)
{
    const int kWidth = int(state.range(0));
    const int kHeight = int(state.range(1));
    TBitmap strip(kWidth, kHeight);
    QImage surface(kWidth, kHeight, QImage::Format_RGB32);
    TCanvas screen;
    screen.SetTarget(&surface);
    const TRect all(0, 0, kWidth, kHeight);
    bool phase = false;
    for (auto _ : state) {
        // Two shades in turn, so that every copy really changes every pixel of the surface.
        phase = !phase;
        strip.Canvas()->Brush()->SetColor(phase ? clNavy : TColor(RGB(0, 0, 127)));
        strip.Canvas()->FillRect(all);
        screen.CopyRect(all, strip.Canvas(), all);
        benchmark::DoNotOptimize(surface.constBits());
    }
    screen.SetTarget(nullptr);
}

BENCHMARK(BM_FillAndCopy)->Args({1916, 29})->Args({3836, 60})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickerFrame)->Args({1916, 29})->Args({3836, 60})->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    TApplication application;
    Application = &application;
    FxInitialize();
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter(TimesReporter::Clock::Wall);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    FxFinalize();
    Application = nullptr;

    for (const char* size : {"1916/29", "3836/60"}) {
        const auto base = reporter.times.find(std::string("BM_FillAndCopy/") + size);
        const auto frame = reporter.times.find(std::string("BM_TickerFrame/") + size);
        if (base == reporter.times.end() || frame == reporter.times.end() || base->second <= 0) continue;
        const double ratio = frame->second / base->second;
        std::printf("\n%s: ticker frame %.1f us, fill + copy %.1f us: %.2f x (goal <= 2)%s", size,
                    frame->second * 1e6, base->second * 1e6, ratio, ratio > 2.0 ? "  over" : "");
    }
    std::printf("\n");
    return 0;
}
