// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The widgets in a program that made only its QApplication, built against an installed copy:
// each one in a layout, by what a Qt program can see of it (pixels, signals, properties, size
// hints, what assistive tools read); then the Designer plugin, loaded as Designer loads it,
// creating every widget; then a form made in Designer, loaded at run time.
//
//   check-widgets <Designer plugin> <.ui file>      prints each fault, exits 1 on any
#include "widgets/bevel.h"
#include "widgets/caption3d.h"
#include "widgets/hyperlinklabel.h"
#include "widgets/scrolltext.h"

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiTools/QUiLoader>

#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPluginLoader>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>

namespace {

int faults = 0;

void Check(bool ok, const QString& what)
{
    if (ok) return;
    ++faults;
    std::printf("FAULT: %s\n", qPrintable(what));
}

// Waits (events running) until done() holds, for at most ten seconds.
bool WaitFor(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

int PixelsOf(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// Whether an accessible object under iface (itself included) is named name.
bool AccessibleNamed(QAccessibleInterface* iface, const QString& name)
{
    if (!iface) return false;
    if (iface->text(QAccessible::Name) == name) return true;
    for (int i = 0; i < iface->childCount(); ++i)
        if (AccessibleNamed(iface->child(i), name)) return true;
    return false;
}

struct WidgetCase {
    const char* name;
    std::function<QWidget*()> make;
    QPalette::ColorRole ink;   // the colour role its drawing takes
    const char* property;      // one property to set, with the value and what it does
    QVariant value;
    const char* accessibleName;
};

void CheckWidget(const WidgetCase& c)
{
    const QString n = QLatin1String(c.name);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("above")));
    QWidget* w = c.make();
    layout->addWidget(w);
    window.resize(360, 160);
    window.show();
    Check(WaitFor([&] { return w->isVisible() && w->width() > 0; }), n + ": shown in a layout");
    Check(w->sizeHint().isValid() && w->height() >= w->minimumSizeHint().height(), n + ": size hints the layout keeps");

    // The palette reaches the control: pure red in the colour role it draws with.
    const QRgb red = qRgb(255, 0, 0);
    Check(PixelsOf(w->grab().toImage(), red) == 0, n + ": red before any red is set");
    QPalette p = w->palette();
    p.setColor(c.ink, QColor(red));
    w->setPalette(p);
    Check(WaitFor([&] { return PixelsOf(w->grab().toImage(), red) > 0; }), n + ": draws in its palette's colour");

    // A property set once notifies once; the same value again does not notify.
    const QMetaObject* meta = w->metaObject();
    const QMetaProperty prop = meta->property(meta->indexOfProperty(c.property));
    Check(prop.isValid() && prop.hasNotifySignal() && prop.isDesignable(), n + ": property " + c.property);
    QSignalSpy notified(w, prop.notifySignal());
    Check(prop.write(w, c.value) && prop.read(w) == c.value, n + ": property " + c.property + " keeps what is set");
    prop.write(w, c.value);
    Check(notified.count() == 1, n + QStringLiteral(": notified %1 times for one change").arg(notified.count()));

    // A bigger font makes a text widget's size hint bigger.
    if (QByteArray(c.name) != "Bevel") {
        const QSize before = w->sizeHint();
        QFont f = w->font();
        f.setPixelSize(40);
        w->setFont(f);
        Check(w->sizeHint().height() > before.height(), n + ": font() reaches the control");
    }
    Check(AccessibleNamed(QAccessible::queryAccessibleInterface(w), QLatin1String(c.accessibleName)),
          n + ": assistive tools read \"" + c.accessibleName + "\"");
}

void CheckScrolling(tirlink::ScrollText::TimerKind kind)
{
    // Inside a scroll area on a tab, with each kind of timer: it runs, every frame is
    // signalled, the pixels move.
    const QString n = QStringLiteral("ScrollText (timer %1): ").arg(int(kind));
    QTabWidget tabs;
    auto* area = new QScrollArea;
    auto* text = new tirlink::ScrollText;
    text->setText(QStringLiteral("News <b>of the day</b>"));
    text->setInterval(20);
    text->setSteps(50);
    text->setTimerKind(kind);
    area->setWidget(text);
    area->setWidgetResizable(true);
    tabs.addTab(area, QStringLiteral("news"));
    tabs.resize(300, 100);
    int started = 0, stopped = 0, frames = 0;
    QObject::connect(text, &tirlink::ScrollText::started, [&] { ++started; });
    QObject::connect(text, &tirlink::ScrollText::stopped, [&] { ++stopped; });
    QObject::connect(text, &tirlink::ScrollText::scrolled, [&] { ++frames; });
    tabs.show();
    Check(WaitFor([&] { return text->isVisible(); }), n + "shown in a scroll area on a tab");
    text->start();
    Check(started == 1 && text->isRunning(), n + "start() emits started()");
    const QImage first = text->grab().toImage();
    Check(WaitFor([&] { return frames >= 10; }), n + "scrolled() for each frame");
    Check(text->grab().toImage() != first, n + "the text moved");
    text->setDirection(tirlink::ScrollText::LeftToRight);
    Check(text->isRunning() && started == 2 && stopped == 1, n + "a new direction runs on");
    // A style sheet's colours reach the control through the palette.
    text->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0); background-color: rgb(0, 0, 255)"));
    Check(WaitFor([&] {
              const QImage shown = text->grab().toImage();
              return PixelsOf(shown, qRgb(0, 0, 255)) > 0 && PixelsOf(shown, qRgb(255, 0, 0)) > 0;
          }),
          n + "in a style sheet's colours");
    text->stop();
    Check(!text->isRunning() && stopped == 2, n + "stop() emits stopped()");
    const int at = frames;
    QApplication::processEvents();
    Check(frames == at, n + "no frame once stopped");
}

void CheckSeeThrough()
{
    // What the parent paints shows through a see-through ticker, and not through a plain one.
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette p = parent.palette();
    p.setColor(QPalette::Window, QColor(0, 255, 0));
    parent.setPalette(p);
    auto* layout = new QVBoxLayout(&parent);
    auto* text = new tirlink::ScrollText;
    text->setBackground(Qt::white);
    layout->addWidget(text);
    parent.show();
    WaitFor([&] { return text->isVisible(); });
    text->start();
    const QRgb green = qRgb(0, 255, 0);
    Check(PixelsOf(text->grab().toImage(), green) == 0, "ScrollText: opaque on its background");
    text->setSeeThrough(true);
    Check(text->isRunning() && WaitFor([&] { return PixelsOf(text->grab().toImage(), green) > 0; }),
          "ScrollText: see-through shows its parent");
}

void CheckClick()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* link = new tirlink::HyperLinkLabel;
    link->setUrl(QUrl(QStringLiteral("https://example.org/")));
    layout->addWidget(link);
    window.show();
    WaitFor([&] { return link->isVisible(); });
    int clicks = 0;
    QUrl activated;
    QObject::connect(link, &tirlink::HyperLinkLabel::clicked, [&] { ++clicks; });
    QObject::connect(link, &tirlink::HyperLinkLabel::linkActivated, [&](const QUrl& u) { activated = u; });
    const QPoint centre = link->rect().center();
    QWidget* target = link->childAt(centre);
    Check(target != nullptr, "HyperLinkLabel: its control is under the pointer");
    if (!target) return;
    const QPoint at = target->mapFrom(link, centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
    Check(clicks == 1 && activated == link->url(), "HyperLinkLabel: a click emits clicked() and linkActivated(url)");
}

void CheckPlugin(const QString& file, const QString& form)
{
    QPluginLoader loader(file);
    auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
    Check(collection != nullptr, "the Designer plugin loads: " + loader.errorString());
    if (!collection) return;
    QStringList names;
    QWidget parent;
    for (QDesignerCustomWidgetInterface* i : collection->customWidgets()) {
        names << i->name();
        QWidget* w = i->createWidget(&parent);
        Check(w && QLatin1String(w->metaObject()->className()) == i->name() && i->group() == QLatin1String("Tirlink") &&
                  i->domXml().contains(i->name()),
              "the plugin creates " + i->name());
    }
    Check(names == QStringList({QStringLiteral("tirlink::ScrollText"), QStringLiteral("tirlink::Caption3D"),
                                QStringLiteral("tirlink::Bevel"), QStringLiteral("tirlink::HyperLinkLabel"),
                                QStringLiteral("tirlink::WebLabel")}),
          "the plugin offers: " + names.join(QLatin1Char(' ')));

    QUiLoader ui;
    ui.clearPluginPaths();
    ui.addPluginPath(QFileInfo(file).absolutePath());
    QFile f(form);
    f.open(QIODevice::ReadOnly);
    std::unique_ptr<QWidget> panel(ui.load(&f));
    Check(panel != nullptr, "the form loads: " + ui.errorString());
    if (!panel) return;
    // The loader's widgets come from the plugin's own copy of the library: read them through
    // Qt's properties.
    QWidget* news = panel->findChild<QWidget*>(QStringLiteral("news"));
    QWidget* title = panel->findChild<QWidget*>(QStringLiteral("title"));
    QWidget* more = panel->findChild<QWidget*>(QStringLiteral("more"));
    Check(news && news->property("running").toBool() && news->property("text").toString() == "First line\nSecond line" &&
              news->property("mode").toInt() == tirlink::ScrollText::Marquee,
          "the form's ticker is as designed");
    Check(title && title->property("textStyle").toInt() == int(tirlink::Caption3D::Sunken), "the form's caption is as designed");
    Check(more && more->property("url").toUrl() == QUrl(QStringLiteral("https://www.example.org/news")),
          "the form's link is as designed");
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::printf("usage: check-widgets <Designer plugin> <.ui file>\n");
        return 2;
    }
    const WidgetCase cases[] = {
        {"ScrollText", [] { return new tirlink::ScrollText; }, QPalette::Window, "steps", 120, "ScrollText"},
        {"Caption3D", [] { return new tirlink::Caption3D(QStringLiteral("Title")); }, QPalette::WindowText, "textStyle",
         QVariant::fromValue(tirlink::Caption3D::Shadow), "Title"},
        {"Bevel", [] { return new tirlink::Bevel; }, QPalette::Light, "edgeWidth", 3, ""},
        {"HyperLinkLabel", [] { return new tirlink::HyperLinkLabel; }, QPalette::Link, "url",
         QUrl(QStringLiteral("https://example.org/")), "HyperLinkLabel"},
        {"WebLabel", [] { return new tirlink::WebLabel; }, QPalette::Link, "text", QStringLiteral("Go there"), "Go there"},
    };
    for (const WidgetCase& c : cases) CheckWidget(c);
    for (auto kind : {tirlink::ScrollText::WindowTimer, tirlink::ScrollText::PooledTimer,
                      tirlink::ScrollText::HighResolution, tirlink::ScrollText::Thread})
        CheckScrolling(kind);
    CheckSeeThrough();
    CheckClick();
    CheckPlugin(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    // Left to the end on purpose: a ticker still running on a thread of its own when the
    // QApplication goes, which must stop before the library's timers go, without a hang.
    static tirlink::ScrollText* leftRunning = new tirlink::ScrollText;
    int frames = 0;
    QObject::connect(leftRunning, &tirlink::ScrollText::scrolled, [&] { ++frames; });
    leftRunning->setTimerKind(tirlink::ScrollText::Thread);
    leftRunning->setInterval(5);
    leftRunning->show();
    leftRunning->start();
    Check(WaitFor([&] { return frames >= 5; }), "ScrollText: runs on a thread to the end");
    std::printf("%s\n", faults ? "widgets: FAILED" : "widgets: all checked");
    return faults ? 1 : 0;
}
