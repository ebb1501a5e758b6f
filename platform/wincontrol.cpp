// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
// TWinControl, declared in controls.h: a control with a widget of its own that holds child
// controls, frees them with itself, lays out their Align and keeps their tab order.
#include "platform/controls.h"

#include <QWidget>
#include <algorithm>
#include <vector>

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::TWinControl(TComponent* AOwner, QWidget* widget) : TControl(AOwner, widget) {}

TWinControl::~TWinControl()
{
    Destroying();
    // Child controls go with their parent, as in the framework.
    while (!m_controls.empty()) {
        TControl* c = m_controls.back();
        c->Destroying();
        delete c;
    }
}

void TWinControl::InsertControl(TControl* c)
{
    if (std::find(m_controls.begin(), m_controls.end(), c) == m_controls.end()) m_controls.push_back(c);
}

void TWinControl::RemoveControl(TControl* c)
{
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), c), m_controls.end());
    if (c->m_parent == this) c->m_parent = nullptr;
}

void TWinControl::Resized()
{
    AlignControls();
}

void TWinControl::AlignControls()
{
    TRect area = ClientRect();
    auto place = [&](TAlign which) {
        for (TControl* c : m_controls) {
            if (c->Align() != which || !c->Visible()) continue;
            switch (which) {
            case TAlign::alTop:
                c->SetBounds(area.Left, area.Top, area.Width(), c->Height());
                area.Top += c->Height();
                break;
            case TAlign::alBottom:
                c->SetBounds(area.Left, area.Bottom - c->Height(), area.Width(), c->Height());
                area.Bottom -= c->Height();
                break;
            case TAlign::alLeft:
                c->SetBounds(area.Left, area.Top, c->Width(), area.Height());
                area.Left += c->Width();
                break;
            case TAlign::alRight:
                c->SetBounds(area.Right - c->Width(), area.Top, c->Width(), area.Height());
                area.Right -= c->Width();
                break;
            case TAlign::alClient:
                c->SetBounds(area.Left, area.Top, area.Width(), area.Height());
                break;
            default: break;
            }
        }
    };
    place(TAlign::alTop);
    place(TAlign::alBottom);
    place(TAlign::alLeft);
    place(TAlign::alRight);
    place(TAlign::alClient);
}

void TWinControl::SetTabOrder(int v)
{
    m_tabOrder = v;
    m_tabStop = true;
    // Qt's focus chain follows the order in which siblings are chained: rebuild it among our
    // parent's windowed children sorted by tab order.
    TWinControl* parent = Parent();
    if (!parent) return;
    std::vector<TWinControl*> sibs;
    for (TControl* c : parent->m_controls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->m_tabOrder >= 0 && w->Widget()) sibs.push_back(w);
    std::stable_sort(sibs.begin(), sibs.end(), [](TWinControl* a, TWinControl* b) { return a->m_tabOrder < b->m_tabOrder; });
    for (size_t i = 1; i < sibs.size(); ++i) QWidget::setTabOrder(sibs[i - 1]->Widget(), sibs[i]->Widget());
}

void TWinControl::SetFocus()
{
    if (Widget()) Widget()->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const
{
    return Widget() && Widget()->hasFocus();
}
