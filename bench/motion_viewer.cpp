// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// An outside viewer of moving text, as a display shows it: another X client that follows the
// display's own clock (the Present extension's MSC notifications on the root window) and grabs
// a rectangle of the screen half a refresh after each refresh, when that refresh's picture
// stands. In each grab it finds the text's ink (pixels of the given colour, within a tolerance)
// and follows an edge of it that lies inside the rectangle; the edge's displacement from one
// refresh to the next is what a person sees the text move. After the given time it prints, as
// "key value" lines:
//   rate_hz          refreshes per second, from the clock's own times
//   refreshes        refreshes seen; late  those whose grab began more than a quarter of a
//                    refresh after its time or did not finish before the next refresh, and
//                    those the viewer missed: the viewer was held back, so the machine is
//                    busy, and what is seen then says little of the program
//   pairs            pairs of successive refreshes with the same edge inside in both
//   text_px          the text's width, the widest ink seen while it stood wholly inside
//   pace_px_s        the pace: the edge's mean speed over the pairs, pixels per second
//   designed_px_s    (text_px + WIDTH) / STEPS * 62.5: the pace the model's steps give
//   step_px          designed_px_s / 62.5: the text's move per tick
//   hitches          pairs whose displacement is more than half a step off designed_px_s / rate
//   hitches_per_s    hitches per second of the pairs' time
//   moves            the displacements seen, "pixels:count" each, for a person to read
//
// Usage: motion_viewer X Y WIDTH HEIGHT SECONDS STEPS [RRGGBB]
// The rectangle is in the screen's device pixels; the colour is the text's (yellow unless given).
#include "monotonic.h"

#include <xcb/present.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Sample {
    uint64_t msc = 0;
    bool late = false;
    int64_t ust = 0;             // the refresh's time, as the clock gave it
    int left = -1, right = -1;   // the ink's first and last column, -1 without ink
};

// The first and last column holding a pixel of the ink's colour.
void FindInk(const uint8_t* data, int w, int h, int stride, uint32_t ink, Sample& s)
{
    const int r = int(ink >> 16 & 0xFF), g = int(ink >> 8 & 0xFF), b = int(ink & 0xFF);
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* p = data + size_t(y) * size_t(stride) + size_t(x) * 4;   // B, G, R, X
            if (std::abs(p[2] - r) + std::abs(p[1] - g) + std::abs(p[0] - b) <= 96) {
                if (s.left < 0) s.left = x;
                s.right = x;
                break;
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 7) {
        std::fprintf(stderr, "usage: motion_viewer X Y WIDTH HEIGHT SECONDS STEPS [RRGGBB]\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const int w = std::atoi(argv[3]), h = std::atoi(argv[4]);
    const double seconds = std::atof(argv[5]);
    const int steps = std::atoi(argv[6]);
    const uint32_t ink = argc > 7 ? uint32_t(std::strtoul(argv[7], nullptr, 16)) : 0xFFFF00u;
    if (w <= 2 || h <= 0 || seconds <= 0 || steps <= 0) {
        std::fprintf(stderr, "motion_viewer: the rectangle, the time and the steps must be positive\n");
        return 2;
    }
    int screenNo = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNo);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "motion_viewer: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNo; ++i) xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(c, &xcb_present_id);
    if (!present || !present->present) {
        std::fprintf(stderr, "motion_viewer: the server has no Present extension\n");
        return 1;
    }
    const uint32_t eid = xcb_generate_id(c);
    xcb_present_select_input(c, eid, root, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    uint32_t serial = 1;
    xcb_present_notify_msc(c, root, serial, 0, 0, 0);
    xcb_flush(c);

    std::vector<Sample> samples;
    int64_t firstUst = 0;
    uint64_t firstMsc = 0, lastMsc = 0;
    double period = 0;   // ns, from the clock's own times
    const int64_t end = NowNs() + int64_t(seconds * 1e9);
    while (NowNs() < end) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> ev(xcb_wait_for_event(c), &std::free);
        if (!ev) break;
        if ((ev->response_type & 0x7f) != XCB_GE_GENERIC) continue;
        auto* e = reinterpret_cast<xcb_present_complete_notify_event_t*>(ev.get());
        if (e->extension != present->major_opcode || e->event_type != XCB_PRESENT_COMPLETE_NOTIFY ||
            e->serial != serial)
            continue;
        const uint64_t msc = e->msc;
        const int64_t ust = int64_t(e->ust) * 1000;
        xcb_present_notify_msc(c, root, ++serial, msc + 1, 0, 0);
        xcb_flush(c);
        if (!firstUst) {
            firstUst = ust;
            firstMsc = msc;
        } else if (msc > lastMsc) {
            period = double(ust - firstUst) / double(msc - firstMsc);
        }
        // Refreshes the viewer did not hear of count as late ones.
        for (uint64_t m = lastMsc + 1; lastMsc && m < msc; ++m) samples.push_back({m, true});
        lastMsc = msc;
        if (period <= 0) continue;
        const int64_t target = ust + int64_t(period / 2);
        SleepUntil(target);
        const bool held = NowNs() > target + int64_t(period / 4);
        Sample s{msc, false, ust};
        xcb_get_image_cookie_t ck = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(x), int16_t(y),
                                                  uint16_t(w), uint16_t(h), ~0u);
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> img(xcb_get_image_reply(c, ck, nullptr),
                                                                         &std::free);
        s.late = held || !img || NowNs() > ust + int64_t(period * 0.95);
        if (img && img->depth >= 24 && xcb_get_image_data_length(img.get()) >= w * h * 4)
            FindInk(xcb_get_image_data(img.get()), w, h, xcb_get_image_data_length(img.get()) / h, ink, s);
        samples.push_back(s);
    }
    xcb_present_select_input(c, eid, root, 0);
    xcb_disconnect(c);
    if (period <= 0 || samples.size() < 3) {
        std::fprintf(stderr, "motion_viewer: the display's clock gave too few refreshes\n");
        return 1;
    }

    // Every refresh seen, for a person who wants to know what a figure came from.
    if (std::getenv("MOTION_VIEWER_SAMPLES"))
        for (const Sample& s : samples)
            std::fprintf(stderr, "msc %llu ust %lld late %d left %d right %d\n", (unsigned long long)s.msc,
                         (long long)s.ust, int(s.late), s.left, s.right);
    // An edge is the text's own only some way inside the rectangle: at its sides the text is
    // cut (by the rectangle, or by a frame around the strip), and where a ticker line's next
    // copy comes in, its first letters show and hide the gaps between them, so that the
    // outermost ink there jumps by a few pixels against the motion. A word's gap and a letter
    // inside, the edge is the text's own.
    constexpr int kMargin = 16;
    const auto leftIn = [](const Sample& s) { return s.left >= kMargin; };
    const auto rightIn = [w](const Sample& s) { return s.right >= 0 && s.right < w - kMargin; };
    // The text's width: the widest ink while it stood wholly inside.
    int textPx = 0;
    for (const Sample& s : samples)
        if (!s.late && leftIn(s) && rightIn(s)) textPx = std::max(textPx, s.right - s.left + 1);
    const double rate = 1e9 / period;
    const double designed = double(textPx + w) / steps * 62.5;
    const double step = designed / 62.5;
    const double expected = designed / rate;   // pixels per refresh
    long late = 0, pairs = 0, hitches = 0;
    double moved = 0, span = 0;
    std::map<int, long> moves;
    for (size_t i = 0; i < samples.size(); ++i) {
        const Sample& b = samples[i];
        late += b.late;
        if (i == 0) continue;
        const Sample& a = samples[i - 1];
        if (a.late || b.late || a.left < 0 || b.left < 0) continue;
        // The right edge where it is inside in both, else the left one.
        int d = 0;
        if (rightIn(a) && rightIn(b)) d = a.right - b.right;
        else if (leftIn(a) && leftIn(b)) d = a.left - b.left;
        else continue;
        // Leftwards or rightwards alike: the pace is a speed.
        d = std::abs(d);
        // A wrap or a new pass (the text jumps by more than it can move) is no refresh's move.
        if (d > 4 * step + 2 * expected) continue;
        ++pairs;
        moved += d;
        span += double(b.ust - a.ust) / 1e9;
        ++moves[d];
        if (std::abs(d - expected) > step / 2) ++hitches;
    }
    std::printf("rate_hz %.3f\n", rate);
    std::printf("refreshes %zu\n", samples.size());
    std::printf("late %ld\n", late);
    std::printf("pairs %ld\n", pairs);
    std::printf("text_px %d\n", textPx);
    std::printf("pace_px_s %.3f\n", span > 0 ? moved / span : 0.0);
    std::printf("designed_px_s %.3f\n", designed);
    std::printf("step_px %.3f\n", step);
    std::printf("hitches %ld\n", hitches);
    std::printf("hitches_per_s %.3f\n", span > 0 ? double(hitches) / span : 0.0);
    std::printf("moves%s", moves.empty() ? " none" : "");
    for (const auto& [px, n] : moves) std::printf(" %d:%ld", px, n);
    std::printf("\n");
    return 0;
}
