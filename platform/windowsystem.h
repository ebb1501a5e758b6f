// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library, shared with the layers above: not installed, so no program of its
// own comes to depend on it.
// Which window system the program talks to.
//
// The ticker places its own window, keeps it above others and moves it when dragged. X11 allows
// all three; a native Wayland client may do none of them (the compositor places it, ignores
// stay-on-top and moves nothing when the program moves its window). So in a Wayland session the
// program goes through XWayland whenever it can, however it was started.
#pragma once

#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The command line to hand to QApplication, which must not exist yet. When the user chose no Qt
// platform (QT_QPA_PLATFORM unset or empty, no -platform argument) and an X display answers,
// it is the given one with "-platform xcb" added (an argument, not the environment, so that
// programs started from the ticker, such as a web browser, choose for themselves). When no X
// display answers, or the user chose Qt's Wayland platform, it is the given one unchanged, and a
// line on standard error says that the compositor then decides placement, stacking and moves. A display that accepted the probe and
// never answered is also taken out of the environment (DISPLAY unset), so that Qt, which would
// wait for it without a time limit, goes on as it does without an X display.
// The vector's storage must outlive the QApplication; argc refers to its size less the final
// null pointer.
class TPlatformArguments {
public:
    TPlatformArguments(int argc, char** argv);
    int& Argc() { return m_argc; }
    char** Argv() { return m_argv.data(); }
    // True when "-platform xcb" was added.
    bool ChoseX11() const { return m_choseX11; }
    // True when no platform was chosen and there is neither an X display that answers nor a
    // Wayland compositor to show windows on: a line on standard error has said so, and the
    // program should end (with status 1) before it makes its QApplication.
    bool NoDisplay() const { return m_noDisplay; }

private:
    std::vector<char*> m_argv;
    int m_argc = 0;
    bool m_choseX11 = false;
    bool m_noDisplay = false;
};

// True when an X server accepts a connection on $DISPLAY (authorisation included) within about
// 2 s. A display that has not answered by then counts as unreachable, and Why (when given)
// says so.
bool XDisplayReachable(std::string* Why = nullptr);

class QWidget;

// Keeps the top-level window above owner (WM_TRANSIENT_FOR on X11: window managers stack a
// window above the one it is transient for, in that window's layer, so also above a window
// that stays on top), or frees it from its owner when owner is null. Takes effect at once for
// a window on screen. Does nothing where the platform is not X11.
void SetWindowOwner(QWidget* window, QWidget* owner);

// Installs, once, a rule for Qt's own dialogs that have no parent (colour and font dialogs,
// message boxes): as each is shown, it is made transient for the window ownerOf() names then,
// so that it stacks above that window; ownerOf() answering null leaves Qt's default.
void SetDialogOwnerRule(std::function<QWidget*()> ownerOf);

// Switches a top-level window's stay-on-top state on the native window it has now, without
// replacing it: with a window manager, by asking it through the _NET_WM_STATE client message
// (anything that holds the window, its focus or its stacking keeps it); with none, by raising
// the window, as nobody else stacks it. False where the platform is not X11 or the window has
// no native window yet: the caller then lets Qt apply the flag.
bool SetStayOnTopInPlace(QWidget* window, bool on);

// False where the window system never tells a program where its windows stand (a native
// Wayland client).
bool WindowSystemTellsPositions();
// False where the window system keeps no window above others at a program's request (a native
// Wayland client: the compositor decides the stacking).
bool WindowSystemKeepsOnTop();
// Where the window system says a top-level window's client area stands and how large it is, in
// logical pixels; null as for WindowClientPosition.
std::optional<QRect> WindowClientGeometry(QWidget* window);
// Where the window system says a top-level window's client area stands, in screen coordinates
// (logical pixels, as Qt's geometry counts them, also on a scaled screen).
// On X11 the X server is asked (a round trip), so a move that a window manager refused or has
// not carried out yet is not counted; elsewhere Qt's own record. Null where the window system
// cannot tell, or cannot tell yet (an X window that is not viewable: a window manager is still
// taking it over, or has hidden it).
std::optional<QPoint> WindowClientPosition(QWidget* window);

// Calls onConfigured, once per turn of the event loop, after the X server reported that one of
// the program's windows was moved, resized or reparented. Qt passes on only the reports that
// differ from what it asked for, so a refused move would otherwise go unnoticed. Installed once;
// does nothing where the platform is not X11.
void WatchWindowConfigure(std::function<void()> onConfigured);
