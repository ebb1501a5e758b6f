// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Hidden message-only windows, posted messages and window timers.
//
// A window is a number (HWND) in a process-wide registry guarded by a mutex, bound to a window
// procedure. The window lives on the thread that allocated it: its procedure runs only there,
// through that thread's event loop, and only that thread may set timers on it or release it.
// PostMessage may be called from any thread; for a handle that is gone (or was never given
// out) it does nothing and returns false. Handles are never reused.
#pragma once

#include "platform/message.h"

#include <cstdint>
#include <functional>

using HWND = uintptr_t;
using TWndMethod = std::function<void(TMessage& Message)>;

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_USER = 0x0400;

// The platform window timer never runs faster than this period; shorter requests get it.
constexpr uint32_t USER_TIMER_MINIMUM = 16;
constexpr uint32_t USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// Creates a hidden window on the calling thread whose window procedure is Method. Never 0.
HWND AllocateHWnd(TWndMethod Method);
// As AllocateHWnd, but the window belongs to the application's GUI thread whichever thread
// asks; for services that any thread may use to reach the GUI thread. 0 without an application.
HWND AllocateGuiThreadHWnd(TWndMethod Method);
// Releases the window: its procedure is not called again, its timers stop and messages posted
// to it are dropped. Safe to call from inside the window's own procedure. 0 or an unknown
// handle is ignored.
void DeallocateHWnd(HWND Wnd);
// Whether the handle names a window that exists.
bool IsWindow(HWND Wnd);

// Queues the message for the window's procedure on the window's thread, behind the messages
// already queued for it. Any thread. False when the window does not exist (any more).
bool PostMessage(HWND Wnd, uint32_t Msg, uintptr_t WParam, intptr_t LParam);
// Calls the window's procedure at once; the caller must be on the window's thread. Returns the
// message result, 0 for a window that does not exist.
intptr_t SendMessage(HWND Wnd, uint32_t Msg, uintptr_t WParam, intptr_t LParam);
// The default handling of a message nobody processed: no effect, result 0.
intptr_t DefWindowProc(HWND Wnd, uint32_t Msg, uintptr_t WParam, intptr_t LParam);

// Starts (or restarts with the new period) window timer IDEvent of the window: every Elapse
// milliseconds, but never more often than USER_TIMER_MINIMUM allows, the window's procedure
// gets WM_TIMER with WParam = IDEvent and LParam = 0. Timer messages are not queued up: a
// timer that comes due while its previous message waits is merged with it. Call on the
// window's thread. Returns IDEvent (1 when IDEvent is 0), or 0 when the timer could not be
// started (unknown window, wrong thread).
uintptr_t SetTimer(HWND Wnd, uintptr_t IDEvent, uint32_t Elapse);
// Stops the window timer; false when there was none.
bool KillTimer(HWND Wnd, uintptr_t IDEvent);

