// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// Seeded random differential runs: random step sequences are run on a fast path and its plain
// twin for TIRLINK_DIFFERENTIAL_SECONDS (at least a given number) from TIRLINK_DIFFERENTIAL_SEED
// (else a random seed); a sequence after which the twins differ is cut to the shortest one that
// still fails, and the seed and those steps are printed.
#pragma once

#include <QElapsedTimer>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// A step of a kind and three numbers, said as "Name(a, b, c)", names indexed by kind.
template <class Step>
std::string StepName(const char* const* names, const Step& s)
{
    return std::string(names[s.kind]) + "(" + std::to_string(s.a) + ", " + std::to_string(s.b) + ", " +
           std::to_string(s.c) + ")";
}

// make(rng) gives one random sequence; first(steps) runs it on fresh twins and returns the index
// of the first step after which they differ, or -1; name(step) says a step in a line. Fails the
// running test with the shortest failing sequence found; prints the seeds tried otherwise.
template <class Step>
void RunDifferential(const char* what, int minSeconds, const std::function<std::vector<Step>(std::mt19937&)>& make,
                     const std::function<int(const std::vector<Step>&)>& first,
                     const std::function<std::string(const Step&)>& name)
{
    const double seconds = std::max(minSeconds, qEnvironmentVariableIntValue("TIRLINK_DIFFERENTIAL_SECONDS"));
    const uint32_t start = qEnvironmentVariableIsSet("TIRLINK_DIFFERENTIAL_SEED")
                               ? qEnvironmentVariable("TIRLINK_DIFFERENTIAL_SEED").toUInt() : std::random_device{}();
    QElapsedTimer t;
    t.start();
    uint32_t seed = start;
    for (; t.elapsed() < seconds * 1000; ++seed) {
        std::mt19937 rng(seed);
        std::vector<Step> steps = make(rng);
        int d = first(steps);
        if (d < 0) continue;
        // The shortest failing sequence found by dropping steps, halves first, while it still fails.
        steps.resize(size_t(d) + 1);
        for (size_t chunk = steps.size() / 2; chunk >= 1 && t.elapsed() < (seconds + 20) * 1000; chunk /= 2)
            for (size_t at = 0; at + chunk <= steps.size();) {
                std::vector<Step> fewer(steps);
                fewer.erase(fewer.begin() + long(at), fewer.begin() + long(at + chunk));
                if ((d = first(fewer)) >= 0) steps.assign(fewer.begin(), fewer.begin() + d + 1);
                else at += chunk;
            }
        std::ostringstream s;
        for (const Step& step : steps) s << "  " << name(step) << "\n";
        FAIL() << what << ", TIRLINK_DIFFERENTIAL_SEED=" << seed << ": the twins differ after the last of these steps:\n"
               << s.str();
    }
    std::cout << "[ " << what << " ] seeds " << start << " to " << seed << "\n";
}
