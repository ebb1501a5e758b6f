#include "platform/windowsystem.h"

#include <QGuiApplication>
#include <QDialog>
#include <QPointer>
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
            if (!why.empty()) why = " (" + why + ")";
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
