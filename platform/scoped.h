// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Internal to the library, shared with the layers above: not installed, so no program of its
// own comes to depend on it.
// Small scope guards for state that must be put back however a scope is left, also when a
// call inside it throws.
//
//   TScopedValue<bool> busy(m_painting, true);   // m_painting is true here, its old value after
//   TScopeExit done([&] { list.Unlock(); });      // runs once when the scope ends
#pragma once

#include <utility>

// Sets a variable for the lifetime of the guard and restores the value it had before.
template <typename T>
class TScopedValue {
public:
    TScopedValue(T& var, T value) : m_var(var), m_old(std::move(var)) { m_var = std::move(value); }
    ~TScopedValue() { m_var = std::move(m_old); }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& m_var;
    T m_old;
};

// Calls a function when the scope ends (normally or by an exception). The function must not
// throw.
template <typename F>
class TScopeExit {
public:
    explicit TScopeExit(F f) : m_f(std::move(f)) {}
    ~TScopeExit() { m_f(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F m_f;
};
template <typename F>
TScopeExit(F) -> TScopeExit<F>;
