// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// A console reporter that also keeps the time per iteration of every run, for the comparisons
// a benchmark program prints at its end.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

class TimesReporter : public benchmark::ConsoleReporter {
public:
    // Cpu: the CPU time per iteration (on a shared machine the wall-clock time also counts the
    // time other processes held the core); Wall: the wall-clock time.
    enum class Clock { Cpu, Wall };
    explicit TimesReporter(Clock clock) : m_clock(clock) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                times[r.benchmark_name()] =
                    (m_clock == Clock::Cpu ? r.cpu_accumulated_time : r.real_accumulated_time) / double(r.iterations);
    }
    std::map<std::string, double> times;

private:
    Clock m_clock;
};
