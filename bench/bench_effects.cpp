// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The pixel routines on 24-bit images, each timed against one memcpy of an image of the same
// size in the same run: a whole 1920 x 1080 screen, and a ticker-sized frame of 1916 x 29 (the
// size a control with a background effect works on at every tick). After the usual benchmark
// output a table gives every routine's time as a multiple of the memcpy of its size, beside
// the goal (each within 4x).
#include "foundation/fxbmp.h"
#include "times_reporter.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr double kGoal = 4.0;

std::unique_ptr<TBitmap> TestImage(const benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    auto b = std::make_unique<TBitmap>(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b->ScanLine(y);
        for (int i = 0; i < w * 3; ++i) row[i] = uint8_t(i * 31 + y * 7);
    }
    return b;
}

TRect All(const TBitmap* b)
{
    return TRect(0, 0, b->Width(), b->Height());
}

const TPoint kOrigin(0, 0);

void BM_Memcpy(benchmark::State& state)
{
    auto src = TestImage(state);
    auto dst = TestImage(state);
    const size_t bytes = size_t(src->BytesPerLine()) * size_t(src->Height());
    const uint8_t* s = src->ScanLine(0);
    uint8_t* d = dst->ScanLine(0);
    for (auto _ : state) {
        std::memcpy(d, s, bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

template <class Fn> void RunInPlace(benchmark::State& state, Fn fn)
{
    auto img = TestImage(state);
    for (auto _ : state) {
        fn(img.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(img->BytesPerLine()) * img->Height());
}

void BM_GrayScale(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPGrayScale(b, All(b), b, kOrigin); });
}

void BM_FlipHorizonzal(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPFlipHorizonzal(b, All(b), b, kOrigin); });
}

void BM_FlipVertical(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPFlipVertical(b, All(b), b, kOrigin); });
}

void BM_Invert(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPInvert(b, All(b), b, kOrigin); });
}

void BM_Brightness(benchmark::State& state)
{
    // Alternately up and down, so the picture does not end all white.
    bool up = true;
    RunInPlace(state, [&up](TBitmap* b) {
        FxBMPBrightness(b, All(b), b, up ? 40 : -40, kOrigin);
        up = !up;
    });
}

void BM_AlphaBlend(benchmark::State& state)
{
    auto fill = TestImage(state);
    FxBMPInvert(fill.get(), All(fill.get()), fill.get(), kOrigin);
    RunInPlace(state, [&fill](TBitmap* b) { FxBMPAlphaBlend(b, fill.get(), All(b), kOrigin, 0.6f, b, kOrigin); });
}

// The screen, and the ticker's frame for the routines a control applies at every tick.
#define SCREEN Args({1920, 1080})->Unit(benchmark::kMillisecond)
#define FRAME Args({1916, 29})->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_Memcpy)->SCREEN;
BENCHMARK(BM_Memcpy)->FRAME;
BENCHMARK(BM_GrayScale)->SCREEN;
BENCHMARK(BM_GrayScale)->FRAME;
BENCHMARK(BM_FlipHorizonzal)->SCREEN;
BENCHMARK(BM_FlipVertical)->SCREEN;
BENCHMARK(BM_Invert)->SCREEN;
BENCHMARK(BM_Invert)->FRAME;
BENCHMARK(BM_Brightness)->SCREEN;
BENCHMARK(BM_AlphaBlend)->SCREEN;
BENCHMARK(BM_AlphaBlend)->FRAME;

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);   // the images live in Qt
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter(TimesReporter::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // Each routine against the memcpy of its own size ("BM_Name/width/height").
    auto sizeOf = [](const std::string& name) { return name.substr(name.find('/')); };
    std::printf("\n%-28s %10s %10s %6s\n", "routine", "cpu us", "x memcpy", "goal");
    for (const auto& [name, t] : reporter.times) {
        if (name.rfind("BM_Memcpy", 0) == 0) continue;
        const auto base = reporter.times.find("BM_Memcpy" + sizeOf(name));
        if (base == reporter.times.end() || base->second <= 0) continue;
        const double ratio = t / base->second;
        std::printf("%-28s %10.1f %10.2f %6.1f%s\n", name.c_str(), t * 1e6, ratio, kGoal, ratio > kGoal ? "  over" : "");
    }
    for (const auto& [name, t] : reporter.times)
        if (name.rfind("BM_Memcpy", 0) == 0) std::printf("%-28s %10.1f\n", name.c_str(), t * 1e6);
    return 0;
}
