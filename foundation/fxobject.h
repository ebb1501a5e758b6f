// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TFxObject: the component library's change-notifying persistent object. Bevels, fills,
// gradients, effect objects and 3D text styles derive from it; their owning control points
// OnChange at its own GetChange and clears it before freeing the object.
#pragma once

#include "platform/classes.h"

class TFxObject : public TPersistent {
public:
    // Construction never notifies.
    TFxObject() = default;
    ~TFxObject() override = default;
    TFxObject(const TFxObject&) = delete;
    TFxObject& operator=(const TFxObject&) = delete;

    QString ClassName() const override { return QStringLiteral("TFxObject"); }

    // Raises OnChange (Sender = this object) unless an update is in progress. Descendants
    // that keep derived state (a bevel's extent, a gradient's colour list) refresh it here
    // before calling the inherited Change.
    virtual void Change();
    // Forwards another object's change as this object's own: calls Change.
    virtual void GetChange(TObject* Sender);

    // The update flag: while it is set, Change does not notify. It is a flag, not a count:
    // one EndUpdate ends any number of BeginUpdate calls. EndUpdate(true) runs Change once.
    void BeginUpdate() { m_updating = true; }
    void EndUpdate(bool Notify);
    bool IsUpdating() const { return m_updating; }

    // A short display text for design tools; empty unless a descendant says more.
    virtual QString GetSetStr() const { return QString(); }

    // Fired by Change; Sender = this object.
    TNotifyEvent OnChange;

protected:
    // The setter shape of the descendants: a different value is stored and Change runs.
    template <class T> void StoreAndChange(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        Change();
    }
    // Runs fn inside an update bracket that ends with one Change, or without one when fn
    // throws (the exception passes on).
    template <class Fn> void ChangeOnce(Fn fn)
    {
        BeginUpdate();
        try {
            fn();
        } catch (...) {
            EndUpdate(false);
            throw;
        }
        EndUpdate(true);
    }

private:
    bool m_updating = false;
};
