// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Pacing probe for the ticker: starts the same forms as the program does (so it reads
// tirlink.cfg of the current directory, or shows the designed ticker without one), timestamps
// every frame the scrolling control composes, and after the given time prints
//   first_frame_ms   from the process's start to the first frame composed while the window is
//                    on the screen, flushed by the event loop
//   ticks, median_ms, p99_ms, max_ms   the intervals between successive frames once the
//                    ticker is running (the first second is left out)
// as "key value" lines, then ends.
//
// Usage: ticker_probe [seconds] [launch time in CLOCK_MONOTONIC nanoseconds]
// The launch time lets a caller measure from the moment it started the process; without it
// the kernel's record of the process's start time is used (10 ms resolution).
#include "app/config.h"
#include "app/tirlink.h"
#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "scrolltext/fxscrolltext.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int64_t NowNs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// The process's start on the monotonic clock, from /proc/self/stat (field 22, in clock ticks
// since boot, which CLOCK_BOOTTIME also counts from).
int64_t ProcessStartMonotonicNs()
{
    std::ifstream in("/proc/self/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t paren = all.rfind(')');
    if (paren == std::string::npos) return NowNs(CLOCK_MONOTONIC);
    std::istringstream rest(all.substr(paren + 2));
    std::string field;
    // After the command name come the state (field 3) ... start time (field 22).
    for (int i = 3; i <= 22 && rest >> field; ++i) {
    }
    const int64_t startNs = int64_t(std::stoll(field)) * (1000000000 / sysconf(_SC_CLK_TCK));
    const int64_t sinceStart = NowNs(CLOCK_BOOTTIME) - startNs;
    return NowNs(CLOCK_MONOTONIC) - sinceStart;
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

}  // namespace

int main(int argc, char** argv)
{
    const int64_t launched = argc > 2 ? std::atoll(argv[2]) : ProcessStartMonotonicNs();
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    QApplication qtApp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TApplication application;
    Application = &application;
    FxInitialize();
    LkInitialize();

    std::vector<int64_t> frames;
    frames.reserve(size_t(seconds) * 80 + 16);
    int64_t firstOnScreen = 0;
    bool firstSeen = false;

    Application->Initialize();
    CreateForm(Ftirlink);
    CreateForm(Fconfig);

    Ftirlink->FxScrollText1->OnScroll = [&](TObject*) {
        const int64_t now = NowNs(CLOCK_MONOTONIC);
        frames.push_back(now);
        if (firstSeen) return;
        QWindow* window = Ftirlink->Widget()->windowHandle();
        if (!window || !window->isExposed()) return;
        firstSeen = true;
        // The frame goes to the window system when the event loop next runs; stamp it then.
        QTimer::singleShot(0, [&] { firstOnScreen = NowNs(CLOCK_MONOTONIC); });
    };

    QTimer::singleShot(seconds * 1000, [&] {
        const int64_t settleUntil = frames.empty() ? 0 : frames.front() + 1000000000;
        std::vector<double> intervals;
        for (size_t i = 1; i < frames.size(); ++i)
            if (frames[i - 1] >= settleUntil) intervals.push_back(double(frames[i] - frames[i - 1]) / 1e6);
        std::printf("first_frame_ms %.1f\n", firstOnScreen ? double(firstOnScreen - launched) / 1e6 : -1.0);
        std::printf("ticks %zu\n", intervals.size());
        std::printf("median_ms %.3f\n", Percentile(intervals, 0.5));
        std::printf("p99_ms %.3f\n", Percentile(intervals, 0.99));
        std::printf("max_ms %.3f\n", Percentile(intervals, 1.0));
        std::fflush(stdout);
        Application->Terminate();
    });

    Application->Run();
    std::fflush(stdout);
    // Leave without tearing the forms down: the measurement is printed, and the program
    // itself never ends through its destructors either.
    std::_Exit(0);
}
