// The pixel routines on a 1920 x 1080 24-bit image, each timed against one memcpy of the same
// image in the same run. After the usual benchmark output a table gives every routine's time
// as a multiple of the memcpy (the goal: each within 4x).
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

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::unique_ptr<TBitmap> TestImage()
{
    auto b = std::make_unique<TBitmap>(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = b->ScanLine(y);
        for (int i = 0; i < kWidth * 3; ++i) row[i] = uint8_t(i * 31 + y * 7);
    }
    return b;
}

const TRect kAll(0, 0, kWidth, kHeight);
const TPoint kOrigin(0, 0);

void BM_Memcpy(benchmark::State& state)
{
    auto src = TestImage();
    auto dst = TestImage();
    const size_t bytes = size_t(src->BytesPerLine()) * kHeight;
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
    auto img = TestImage();
    for (auto _ : state) {
        fn(img.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(img->BytesPerLine()) * kHeight);
}

void BM_GrayScale(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPGrayScale(b, kAll, b, kOrigin); });
}

void BM_FlipHorizonzal(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPFlipHorizonzal(b, kAll, b, kOrigin); });
}

void BM_FlipVertical(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPFlipVertical(b, kAll, b, kOrigin); });
}

void BM_Invert(benchmark::State& state)
{
    RunInPlace(state, [](TBitmap* b) { FxBMPInvert(b, kAll, b, kOrigin); });
}

void BM_Brightness(benchmark::State& state)
{
    // Alternately up and down, so the picture does not end all white.
    bool up = true;
    RunInPlace(state, [&up](TBitmap* b) {
        FxBMPBrightness(b, kAll, b, up ? 40 : -40, kOrigin);
        up = !up;
    });
}

void BM_AlphaBlend(benchmark::State& state)
{
    auto fill = TestImage();
    FxBMPInvert(fill.get(), kAll, fill.get(), kOrigin);
    RunInPlace(state, [&fill](TBitmap* b) { FxBMPAlphaBlend(b, fill.get(), kAll, kOrigin, 0.6f, b, kOrigin); });
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayScale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipHorizonzal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipVertical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Invert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Brightness)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlphaBlend)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);   // the images live in Qt
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter(TimesReporter::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto base = reporter.times.find("BM_Memcpy");
    if (base == reporter.times.end() || base->second <= 0) return 0;
    std::printf("\n%-20s %10s %14s\n", "routine", "cpu ms", "x memcpy (<=4)");
    for (const auto& [name, t] : reporter.times) {
        if (name == "BM_Memcpy") continue;
        const double ratio = t / base->second;
        std::printf("%-20s %10.3f %14.2f%s\n", name.c_str(), t * 1e3, ratio, ratio > 4.0 ? "  over" : "");
    }
    std::printf("%-20s %10.3f\n", "memcpy", base->second * 1e3);
    return 0;
}
