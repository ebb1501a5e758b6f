// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Settings objects of the link-label library: a persistent object with an update bracket and
// one change event, and the text outline (colour, visibility, width) it is the base of.
#pragma once

#include "platform/classes.h"

// A settings object that reports changes through OnChange (Sender = the object). Changes made
// inside a BeginUpdate / EndUpdate bracket are not reported; each EndUpdate reports once.
class TLkPersistent : public TPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TLkPersistent"); }

    // Raises OnChange when no bracket is open.
    void Changed();
    void BeginUpdate();
    // Closes a bracket (an unbalanced call leaves the count at 0), then Changed.
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    TNotifyEvent OnChange;

private:
    int32_t m_updateCount = 0;
};

// How text is outlined: the colour of the outline, whether it is drawn, and its width in
// pixels. Each setter reports a change only when the value differs.
class TLkTextOutline : public TLkPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TLkTextOutline"); }

    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    bool Visible() const { return m_visible; }
    void SetVisible(bool v);
    int32_t Width() const { return m_width; }
    void SetWidth(int32_t v);

    // From another outline: all three values inside one bracket, so exactly one OnChange
    // (none while an outer bracket is open). Anything else: the framework's assignment error.
    void Assign(const TPersistent* Source) override;

private:
    TColor m_color = clNavy;
    bool m_visible = true;
    int32_t m_width = 1;
};
