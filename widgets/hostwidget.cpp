// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
#include "widgets/hostwidget.h"

#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/application.h"
#include "platform/controls.h"
#include "platform/cursors.h"

#include <QCoreApplication>
#include <QPainter>
#include <QResizeEvent>
#include <QStyleOption>

#include <algorithm>
#include <vector>

namespace {

// What the widgets brought up themselves, and so take down again; and the widgets alive.
struct Framework {
    bool ownsApplication = false;
    bool ownsLibrary = false;
    bool armed = false;
    std::vector<tirlink::HostWidget*> live;
};

Framework& State()
{
    static Framework state;
    return state;
}

// The host's own widget, under the control. It is seen only when the control renders what
// lies under it (a see-through control, a text without a background): it paints what the
// widget's parents paint there, from the window down, so that the control shows the Qt
// program's own background rather than the library's form colour.
class THostSurface : public QWidget {
public:
    explicit THostSurface(QWidget* outer) : QWidget(outer) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        std::vector<QWidget*> chain;
        for (QWidget* w = parentWidget(); w; w = w->isWindow() ? nullptr : w->parentWidget()) chain.push_back(w);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            QWidget* w = *it;
            w->render(&p, QPoint(0, 0), QRegion(QRect(mapTo(w, QPoint(0, 0)), size())), QWidget::DrawWindowBackground);
        }
    }
};

// The control's parent: a windowed control whose widget fills the Qt widget.
class TWidgetHost final : public TWinControl {
public:
    explicit TWidgetHost(QWidget* outer) : TWinControl(nullptr, new THostSurface(outer)) { Widget()->show(); }
    QString ClassName() const override { return QStringLiteral("TWidgetHost"); }
};

}  // namespace

namespace tirlink {

struct HostWidget::Private {
    std::unique_ptr<TWidgetHost> host;
    TControl* control = nullptr;
};

void HostWidget::useFramework()
{
    Framework& f = State();
    if (!Application) {
        Application = new TApplication(nullptr);
        f.ownsApplication = true;
    }
    if (!FxApplication) {
        FxInitialize();
        f.ownsLibrary = true;
    }
    if (!HasInstalledCursor(crLkHandPoint)) LkInitialize();
    // Qt runs its post routines first thing when the QApplication is destroyed, while all of
    // it still works.
    if (!f.armed && (f.ownsApplication || f.ownsLibrary)) {
        qAddPostRoutine(&HostWidget::endFramework);
        f.armed = true;
    }
}

void HostWidget::endFramework()
{
    Framework& f = State();
    f.armed = false;
    // Widgets the program leaves to the end stop ticking before the timers go.
    for (HostWidget* w : std::vector<HostWidget*>(f.live)) w->frameworkEnding();
    if (f.ownsLibrary) FxFinalize();
    if (f.ownsApplication) delete Application;   // which clears Application
    f.ownsLibrary = f.ownsApplication = false;
}

HostWidget::HostWidget(QWidget* parent) : QWidget(parent), d(new Private)
{
    useFramework();
    State().live.push_back(this);
    d->host = std::make_unique<TWidgetHost>(this);
    d->host->SetBounds(0, 0, width(), height());
}

HostWidget::~HostWidget()
{
    auto& live = State().live;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    d->host.reset();   // with the control
}

TWinControl* HostWidget::host() const
{
    return d->host.get();
}

void HostWidget::setControl(TControl* control)
{
    d->control = control;
    control->SetParent(d->host.get());
    control->SetAlign(TAlign::alClient);
    d->host->AlignControls();
    control->SetEnabled(isEnabled());
    applyLook();
}

void HostWidget::resizeEvent(QResizeEvent* event)
{
    d->host->SetBounds(0, 0, event->size().width(), event->size().height());
}

void HostWidget::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (d->control) d->control->SetEnabled(isEnabled());
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        if (d->control) applyLook();
        break;
    default: break;
    }
    QWidget::changeEvent(event);
}

void HostWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &p, this);
}

}  // namespace tirlink
