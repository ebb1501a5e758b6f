// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "platform/accessible.h"

#include "platform/controls.h"

#include <QAccessibleWidget>

#include <utility>

namespace {

// The accessible face of a control's widget. Everything the control decides (role, name,
// description, text, actions) is asked of the control each time, so nothing here goes stale;
// a widget whose control is gone answers as a plain widget.
class TControlAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TControlAccessible(QWidget* w) : QAccessibleWidget(w) {}

    TControl* Control() const { return TControl::FromWidget(widget()); }

    QAccessible::Role role() const override
    {
        const TControl* c = Control();
        return c ? c->AccessibleRole() : QAccessibleWidget::role();
    }

    QString text(QAccessible::Text t) const override
    {
        // A name or description given to the widget itself wins, as for any Qt widget.
        const TControl* c = Control();
        switch (t) {
        case QAccessible::Name:
            if (!widget()->accessibleName().isEmpty() || !c) return QAccessibleWidget::text(t);
            return c->AccessibleName();
        case QAccessible::Description:
            if (!widget()->accessibleDescription().isEmpty() || !c) return QAccessibleWidget::text(t);
            return c->AccessibleDescription();
        case QAccessible::Value:
            return c ? c->AccessibleValue() : QString();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface) {
            const TControl* c = Control();
            return c && c->HasAccessibleText() ? static_cast<QAccessibleTextInterface*>(this) : nullptr;
        }
        return QAccessibleWidget::interface_cast(t);
    }

    // Actions: the control's own; "show menu" where the menu key or Shift+F10 would open one
    // (a reader's user has no right button to click); then what Qt offers for any widget.
    QStringList actionNames() const override
    {
        TControl* c = Control();
        QStringList names = c ? c->AccessibleActions() : QStringList();
        if (c && c->ControlWithMenu()) names << QAccessibleActionInterface::showMenuAction();
        for (const QString& n : QAccessibleWidget::actionNames())
            if (!names.contains(n)) names << n;
        return names;
    }
    void doAction(const QString& name) override
    {
        TControl* c = Control();
        if (c && c->AccessibleActions().contains(name) && c->Enabled()) {
            c->DoAccessibleAction(name);
            return;
        }
        if (c && name == QAccessibleActionInterface::showMenuAction() && c->ControlWithMenu()) {
            // From the event loop: the tool that asked gets its answer before the menu takes the
            // keyboard.
            QMetaObject::invokeMethod(widget(), [w = QPointer<QWidget>(widget())] {
                if (TControl* control = w ? TControl::FromWidget(w) : nullptr) control->PopupFromKeyboard();
            }, Qt::QueuedConnection);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

    // Text: the whole text the control shows, read only; there is no caret and no selection.
    QString FullText() const
    {
        const TControl* c = Control();
        return c ? c->AccessibleText() : QString();
    }
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = FullText();
        startOffset = qBound(0, startOffset, int(all.size()));
        endOffset = endOffset < 0 ? int(all.size()) : qBound(startOffset, endOffset, int(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(FullText().size()); }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    // The text moves; its characters have no fixed place, so each one is said to cover the
    // control.
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        Q_UNUSED(offset);
        return QString();
    }
};

TAccessibleEventSink& EventSink()
{
    static TAccessibleEventSink sink;
    return sink;
}

QAccessibleInterface* ControlAccessibleFactory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType() || !TControl::FromWidget(object)) return nullptr;
    return new TControlAccessible(static_cast<QWidget*>(object));
}

}  // namespace

TAccessibleEventSink SetAccessibleEventSink(TAccessibleEventSink Sink)
{
    return std::exchange(EventSink(), std::move(Sink));
}

void InstallControlAccessibility()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(ControlAccessibleFactory);
}

// ---------------------------------------------------------------------------------------------
// TControl's side
// ---------------------------------------------------------------------------------------------
QAccessible::Role TControl::AccessibleRole() const
{
    if (m_widget && m_widget->isWindow()) return QAccessible::Window;
    return QAccessible::Graphic;
}

void TControl::AccessibleNameChanged()
{
    if (m_accessibleChangePending || !m_widget) return;
    m_accessibleChangePending = true;
    // Told from the event loop, so that a change made in several steps (a list cleared, then
    // filled) is told once, as it stands at the end.
    QMetaObject::invokeMethod(
        m_widget,
        [this] {
            m_accessibleChangePending = false;
            const QString name = AccessibleName();
            // Nothing told yet: a reader knows no name to compare with, so even an empty one is news.
            if (m_accessibleNameTold && name == *m_accessibleNameTold) return;
            m_accessibleNameTold = name;
            if (!m_widget) return;
            QAccessibleEvent nameEvent(m_widget.data(), QAccessible::NameChanged);
            if (EventSink()) EventSink()(&nameEvent);
            else QAccessible::updateAccessibility(&nameEvent);
        },
        Qt::QueuedConnection);
}
