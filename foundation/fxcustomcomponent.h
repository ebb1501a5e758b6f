// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The library's base for non-visual components: a framework component with a design-time
// About text, a change event and a counted update lock.
#pragma once

#include "platform/classes.h"

// A design-time description; it has no run-time behaviour.
using TFxAboutVar = QString;

class TFxCustomComponent : public TComponent {
public:
    explicit TFxCustomComponent(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TFxCustomComponent"); }

    const TFxAboutVar& About() const { return m_about; }
    void SetAbout(const TFxAboutVar& value) { m_about = value; }

    // Brackets nest by counting; the closing EndUpdate calls Change when Notify is true.
    void BeginUpdate();
    void EndUpdate(bool Notify = true);
    bool IsUpdating() const { return m_updateCount > 0; }

    // Calls OnChange (Sender = this component) unless an update bracket is open.
    virtual void Change();

    TNotifyEvent OnChange;

private:
    TFxAboutVar m_about;
    int m_updateCount = 0;
};
