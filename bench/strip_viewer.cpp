// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// An outside viewer of the ticker: what a person looking at the screen would see, measured from
// another X client. It grabs one rectangle of the root window at a fixed pace (every 2 ms by
// default, through the MIT-SHM extension when the server has it), tells distinct frames apart by
// a hash of their pixels, and after the given time prints
//   grabs            how many grabs were made
//   frames           how many of them showed a picture different from the one before
//   fps              frames per second of the measured time
//   gap_median_ms, gap_p99_ms, gap_max_ms   the gaps between successive new frames
// as "key value" lines. A frame that lies on the screen for less than one grab period can be
// missed; at 2 ms against a 16 ms tick that leaves the counts exact.
//
// Usage: strip_viewer X Y WIDTH HEIGHT SECONDS [PERIOD_MS]
// The rectangle is in the screen's device pixels (what xwininfo reports).
#include "monotonic.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

// FNV-1a over the image's rows (the padding at the end of a row is left out).
uint64_t Hash(const XImage* img)
{
    uint64_t h = 1469598103934665603ull;
    const int rowBytes = img->width * (img->bits_per_pixel / 8);
    for (int y = 0; y < img->height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(img->data) + size_t(y) * img->bytes_per_line;
        for (int i = 0; i < rowBytes; ++i) {
            h ^= row[i];
            h *= 1099511628211ull;
        }
    }
    return h;
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

// Grabs the rectangle either through a shared-memory image (no copy through the socket) or,
// where the server does not offer MIT-SHM, with plain XGetImage.
class Grabber {
public:
    Grabber(Display* dpy, int x, int y, int w, int h) : m_dpy(dpy), m_x(x), m_y(y), m_w(w), m_h(h)
    {
        const int screen = DefaultScreen(dpy);
        m_root = RootWindow(dpy, screen);
        if (!XShmQueryExtension(dpy)) return;
        m_img = XShmCreateImage(dpy, DefaultVisual(dpy, screen), unsigned(DefaultDepth(dpy, screen)), ZPixmap,
                                nullptr, &m_shm, unsigned(w), unsigned(h));
        if (!m_img) return;
        m_shm.shmid = shmget(IPC_PRIVATE, size_t(m_img->bytes_per_line) * size_t(h), IPC_CREAT | 0600);
        if (m_shm.shmid < 0) {
            XDestroyImage(m_img);
            m_img = nullptr;
            return;
        }
        m_shm.shmaddr = m_img->data = static_cast<char*>(shmat(m_shm.shmid, nullptr, 0));
        m_shm.readOnly = False;
        XShmAttach(dpy, &m_shm);
        XSync(dpy, False);
        // Marked for removal at once: the segment goes away with the last detach, even if
        // this program is killed.
        shmctl(m_shm.shmid, IPC_RMID, nullptr);
    }

    ~Grabber()
    {
        if (m_img) {
            XShmDetach(m_dpy, &m_shm);
            XDestroyImage(m_img);
            shmdt(m_shm.shmaddr);
        }
        if (m_plain) XDestroyImage(m_plain);
    }

    // The hash of what the rectangle shows now.
    uint64_t Grab()
    {
        if (m_img) {
            XShmGetImage(m_dpy, m_root, m_img, m_x, m_y, AllPlanes);
            return Hash(m_img);
        }
        if (m_plain) XDestroyImage(m_plain);
        m_plain = XGetImage(m_dpy, m_root, m_x, m_y, unsigned(m_w), unsigned(m_h), AllPlanes, ZPixmap);
        return m_plain ? Hash(m_plain) : 0;
    }

private:
    Display* m_dpy;
    Window m_root = 0;
    int m_x, m_y, m_w, m_h;
    XShmSegmentInfo m_shm{};
    XImage* m_img = nullptr;
    XImage* m_plain = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: strip_viewer X Y WIDTH HEIGHT SECONDS [PERIOD_MS]\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const int w = std::atoi(argv[3]), h = std::atoi(argv[4]);
    const double seconds = std::atof(argv[5]);
    const double periodMs = argc > 6 ? std::atof(argv[6]) : 2.0;
    if (w <= 0 || h <= 0 || seconds <= 0 || periodMs <= 0) {
        std::fprintf(stderr, "strip_viewer: the rectangle, the time and the period must be positive\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "strip_viewer: cannot open the display\n");
        return 1;
    }
    // Only what lies on the screen can be seen: the rectangle is cut to the root window.
    Window root = 0;
    int rx = 0, ry = 0;
    unsigned rw = 0, rh = 0, border = 0, depth = 0;
    XGetGeometry(dpy, DefaultRootWindow(dpy), &root, &rx, &ry, &rw, &rh, &border, &depth);
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + w, int(rw)), bottom = std::min(y + h, int(rh));
    if (right <= left || bottom <= top) {
        std::fprintf(stderr, "strip_viewer: the rectangle %dx%d%+d%+d lies outside the screen (%ux%u)\n", w, h, x, y,
                     rw, rh);
        XCloseDisplay(dpy);
        return 1;
    }
    long grabs = 0;
    std::vector<int64_t> changes;
    {
        Grabber grabber(dpy, left, top, right - left, bottom - top);
        const int64_t period = int64_t(periodMs * 1e6);
        const int64_t start = NowNs();
        const int64_t end = start + int64_t(seconds * 1e9);
        uint64_t last = grabber.Grab();
        for (int64_t next = start + period; next < end; next += period) {
            SleepUntil(next);
            const uint64_t h = grabber.Grab();
            ++grabs;
            if (h != last) changes.push_back(NowNs());
            last = h;
        }
    }
    XCloseDisplay(dpy);

    std::vector<double> gaps;
    for (size_t i = 1; i < changes.size(); ++i) gaps.push_back(double(changes[i] - changes[i - 1]) / 1e6);
    const double span = changes.size() > 1 ? double(changes.back() - changes.front()) / 1e9 : 0;
    std::printf("grabs %ld\n", grabs);
    std::printf("frames %zu\n", changes.size());
    std::printf("fps %.2f\n", span > 0 ? double(changes.size() - 1) / span : 0.0);
    std::printf("gap_median_ms %.2f\n", Percentile(gaps, 0.5));
    std::printf("gap_p99_ms %.2f\n", Percentile(gaps, 0.99));
    std::printf("gap_max_ms %.2f\n", gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end()));
    return 0;
}
