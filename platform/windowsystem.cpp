// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/windowsystem.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QDialog>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

bool XDisplayReachable(std::string* Why)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    // A real connection, handshake and authorisation included: exactly what Qt's xcb platform
    // will need a moment later. xcb_connect has no time limit, and a hung server or a stale
    // forwarded display accepts the connection and then says nothing, so it runs on a thread
    // of its own: past the deadline that thread is left behind, blocked, and closes its
    // connection itself should the server ever answer.
    struct Probe {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
        bool ok = false;
    };
    auto probe = std::make_shared<Probe>();
    std::thread([probe, name = std::string(display)] {
        xcb_connection_t* c = xcb_connect(name.c_str(), nullptr);
        const bool ok = c && xcb_connection_has_error(c) == 0;
        if (c) xcb_disconnect(c);
        std::lock_guard<std::mutex> lock(probe->mutex);
        probe->ok = ok;
        probe->done = true;
        probe->cv.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(probe->mutex);
    if (!probe->cv.wait_for(lock, std::chrono::seconds(2), [&] { return probe->done; })) {
        if (Why) *Why = "the display " + std::string(display) + " did not answer within 2 s";
        return false;
    }
    return probe->ok;
}

namespace {

// Whether a Wayland compositor may be there: WAYLAND_DISPLAY names one, or the socket that Qt
// connects to without it, wayland-0 in the runtime folder, exists.
bool WaylandDisplayOffered()
{
    const char* named = std::getenv("WAYLAND_DISPLAY");
    if (named && *named) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime && ::access((std::string(runtime) + "/wayland-0").c_str(), F_OK) == 0;
}

}  // namespace

TPlatformArguments::TPlatformArguments(int argc, char** argv)
{
    static char platformOption[] = "-platform";
    static char xcb[] = "xcb";
    bool chosen = false;
    for (int i = 0; i < argc; ++i) {
        m_argv.push_back(argv[i]);
        // Qt takes its options with one dash or two.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) chosen = true;
    }
    const char* env = std::getenv("QT_QPA_PLATFORM");
    if (env && *env) chosen = true;
    if (!chosen) {
        std::string why;
        if (XDisplayReachable(&why)) {
            m_argv.push_back(platformOption);
            m_argv.push_back(xcb);
            m_choseX11 = true;
        } else {
            // Only a display that never answered leaves a reason: Qt's own connection to it
            // would wait for ever, so it is not offered one.
            if (!why.empty()) {
                ::unsetenv("DISPLAY");
                why = " (" + why + ")";
            }
            if (!WaylandDisplayOffered()) {
                // Qt would abort on finding nothing to connect to: say so plainly instead.
                m_noDisplay = true;
                std::fprintf(stderr,
                             "tirlink: there is no display to show the ticker on: DISPLAY names no X display "
                             "that answers%s and WAYLAND_DISPLAY no Wayland compositor.\n",
                             why.c_str());
                m_argc = int(m_argv.size());
                m_argv.push_back(nullptr);
                return;
            }
            std::fprintf(stderr,
                         "tirlink: no X display is reachable%s, so the ticker runs as a native client of "
                         "the compositor, which then decides where the window stands, whether it stays "
                         "on top and whether dragging moves it.\n",
                         why.c_str());
        }
    }
    m_argc = int(m_argv.size());
    m_argv.push_back(nullptr);
}

void SetWindowOwner(QWidget* window, QWidget* owner)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window) return;
    xcb_connection_t* c = x11->connection();
    // Qt writes this property itself only for its dialog window types, and only when it maps
    // one: set it directly, so that it holds for a window that is already on screen too.
    // The native windows as they are now: Qt may replace a window's native window when its
    // flags change, which the widget's own cached id does not follow.
    window->winId();
    const xcb_window_t w = xcb_window_t(window->windowHandle()->winId());
    if (owner) {
        owner->winId();
        const xcb_window_t o = xcb_window_t(owner->windowHandle()->winId());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &o);
    } else {
        xcb_delete_property(c, w, XCB_ATOM_WM_TRANSIENT_FOR);
    }
    xcb_flush(c);
}

namespace {

class TDialogOwnerFilter : public QObject {
public:
    explicit TDialogOwnerFilter(std::function<QWidget*()> ownerOf) : QObject(qApp), m_ownerOf(std::move(ownerOf)) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        // Qt sends the show event before it maps the window, so the window system learns the
        // owner at the first show.
        if (e->type() != QEvent::Show) return false;
        auto* dialog = qobject_cast<QDialog*>(o);
        if (!dialog || !dialog->isWindow() || dialog->parentWidget()) return false;
        QWidget* owner = m_ownerOf();
        if (!owner || owner == dialog || !owner->isVisible()) return false;
        dialog->winId();
        owner->winId();
        if (dialog->windowHandle() && dialog->windowHandle()->transientParent() != owner->windowHandle())
            dialog->windowHandle()->setTransientParent(owner->windowHandle());
        return false;
    }

private:
    std::function<QWidget*()> m_ownerOf;
};

}  // namespace

void SetDialogOwnerRule(std::function<QWidget*()> ownerOf)
{
    static QPointer<TDialogOwnerFilter> filter;
    if (filter || !qApp) return;
    filter = new TDialogOwnerFilter(std::move(ownerOf));
    qApp->installEventFilter(filter);
}

namespace {

xcb_connection_t* X11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

xcb_window_t RootOf(xcb_connection_t* c, xcb_window_t w)
{
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    const xcb_window_t root = g ? g->root : xcb_window_t(XCB_WINDOW_NONE);
    std::free(g);
    return root;
}

// A window manager that follows the desktop conventions names its check window on the root.
bool WindowManagerRuns(xcb_connection_t* c, xcb_window_t root)
{
    const xcb_atom_t check = Atom(c, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE) return false;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool runs = r && xcb_get_property_value_length(r) >= 4;
    std::free(r);
    return runs;
}

// The native window a widget's window handle has now (Qt may have replaced the one the widget
// first had), or none when it has no native window.
xcb_window_t NativeWindow(QWidget* window)
{
    if (!window || !window->windowHandle() || !window->windowHandle()->handle()) return XCB_WINDOW_NONE;
    return xcb_window_t(window->windowHandle()->winId());
}

}  // namespace

bool SetStayOnTopInPlace(QWidget* window, bool on)
{
    xcb_connection_t* c = X11Connection();
    const xcb_window_t w = NativeWindow(window);
    if (!c || w == XCB_WINDOW_NONE) return false;
    const xcb_window_t root = RootOf(c, w);
    if (root == XCB_WINDOW_NONE) return false;
    if (window->isVisible() && WindowManagerRuns(c, root)) {
        // The window manager owns the state of a mapped window: ask it (add 1, remove 0), naming
        // the older KDE atom beside the standard one, as Qt does for windows it maps.
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = Atom(c, "_NET_WM_STATE");
        e.data.data32[0] = on ? 1 : 0;
        e.data.data32[1] = Atom(c, "_NET_WM_STATE_ABOVE");
        e.data.data32[2] = Atom(c, "_NET_WM_STATE_STAYS_ON_TOP");
        e.data.data32[3] = 1;  // asked by an application
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&e));
    } else {
        // Nobody manages the window: the state is written where a window manager that starts
        // later reads it, and the window is raised, since nothing else will stack it.
        const xcb_atom_t state = Atom(c, "_NET_WM_STATE"), aboveAtom = Atom(c, "_NET_WM_STATE_ABOVE");
        std::vector<xcb_atom_t> atoms;
        if (xcb_get_property_reply_t* r =
                xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 64), nullptr)) {
            const auto* v = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
            for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i)
                if (v[i] != aboveAtom) atoms.push_back(v[i]);
            std::free(r);
        }
        if (on) atoms.push_back(aboveAtom);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()), atoms.data());
        if (on && window->isVisible()) {
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        }
    }
    xcb_flush(c);
    return true;
}

bool WindowSystemTellsPositions()
{
    return !(qGuiApp && qGuiApp->platformName().startsWith(QLatin1String("wayland")));
}

std::optional<QPoint> WindowClientPosition(QWidget* window)
{
    if (!window || !WindowSystemTellsPositions()) return std::nullopt;
    xcb_connection_t* c = X11Connection();
    const xcb_window_t w = c ? NativeWindow(window) : xcb_window_t(XCB_WINDOW_NONE);
    if (w == XCB_WINDOW_NONE) return window->geometry().topLeft();
    // A window manager takes a window over in steps (a frame, the window moved into it, the
    // frame placed and shown): until the window can be seen, where it stands is not settled.
    xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    if (!viewable) return std::nullopt;
    const xcb_window_t root = RootOf(c, w);
    xcb_translate_coordinates_reply_t* r =
        root == XCB_WINDOW_NONE ? nullptr : xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
    if (!r) return std::nullopt;
    const QPoint native(r->dst_x, r->dst_y);
    std::free(r);
    // The X server counts the screen's device pixels, Qt and the forms logical ones: on a
    // scaled screen Qt maps between the two about the screen's top left corner, which both
    // share, rounding to the nearest logical pixel.
    const QScreen* screen = window->screen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    return origin + (native - origin) / window->devicePixelRatioF();
}

namespace {

class TConfigureWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    explicit TConfigureWatcher(std::function<void()> onConfigured) : QObject(qApp), m_onConfigured(std::move(onConfigured)) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t kind = e->response_type & 0x7f;
        if (kind != XCB_CONFIGURE_NOTIFY && kind != XCB_REPARENT_NOTIFY) return false;
        // After Qt has handled the report, and once for a burst of them (a drag sends many).
        if (!m_pending) {
            m_pending = true;
            QMetaObject::invokeMethod(this, [this] {
                m_pending = false;
                m_onConfigured();
            }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> m_onConfigured;
    bool m_pending = false;
};

}  // namespace

void WatchWindowConfigure(std::function<void()> onConfigured)
{
    static QPointer<TConfigureWatcher> watcher;
    if (watcher || !qApp || !X11Connection()) return;
    watcher = new TConfigureWatcher(std::move(onConfigured));
    qApp->installNativeEventFilter(watcher);
}
