// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The widgets in Qt Designer's widget box, in the group "Tirlink": one entry per widget, all
// from one table, each creating its widget with the defaults a program gets from its
// constructor.
#include "widgets/bevel.h"
#include "widgets/caption3d.h"
#include "widgets/hyperlinklabel.h"
#include "widgets/scrolltext.h"

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <QIcon>

namespace {

struct WidgetEntry {
    const char* className;   // with its namespace, as forms and uic name it
    const char* objectName;  // the first one on a form; Designer numbers the others
    const char* header;
    const char* toolTip;
    int width, height;
    QWidget* (*create)(QWidget* parent);
};

template <class W> QWidget* Create(QWidget* parent) { return new W(parent); }

const WidgetEntry Entries[] = {
    {"tirlink::ScrollText", "scrollText", "widgets/scrolltext.h", "A line of text scrolling across", 320, 28,
     &Create<tirlink::ScrollText>},
    {"tirlink::Caption3D", "caption3D", "widgets/caption3d.h", "A caption in relief", 160, 40, &Create<tirlink::Caption3D>},
    {"tirlink::Bevel", "bevel", "widgets/bevel.h", "A bevelled frame", 120, 80, &Create<tirlink::Bevel>},
    {"tirlink::HyperLinkLabel", "hyperLinkLabel", "widgets/hyperlinklabel.h", "A caption that looks like a link", 160, 24,
     &Create<tirlink::HyperLinkLabel>},
    {"tirlink::WebLabel", "webLabel", "widgets/hyperlinklabel.h", "A link that opens its address when clicked", 160, 24,
     &Create<tirlink::WebLabel>},
};

class TirlinkWidget : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    TirlinkWidget(const WidgetEntry& entry, QObject* parent) : QObject(parent), m_entry(entry) {}

    QString name() const override { return QLatin1String(m_entry.className); }
    QString group() const override { return QStringLiteral("Tirlink"); }
    QIcon icon() const override { return {}; }
    QString toolTip() const override { return QLatin1String(m_entry.toolTip); }
    QString whatsThis() const override { return toolTip(); }
    bool isContainer() const override { return false; }
    QString includeFile() const override { return QLatin1String(m_entry.header); }
    QWidget* createWidget(QWidget* parent) override { return m_entry.create(parent); }
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface*) override { m_initialized = true; }
    QString domXml() const override
    {
        return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\">"
                              "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>%3</width><height>%4</height></rect>"
                              "</property></widget></ui>")
            .arg(QLatin1String(m_entry.className), QLatin1String(m_entry.objectName))
            .arg(m_entry.width)
            .arg(m_entry.height);
    }

private:
    const WidgetEntry& m_entry;
    bool m_initialized = false;
};

class TirlinkWidgets : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)
public:
    explicit TirlinkWidgets(QObject* parent = nullptr) : QObject(parent)
    {
        for (const WidgetEntry& entry : Entries) m_widgets.append(new TirlinkWidget(entry, this));
    }
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return m_widgets; }

private:
    QList<QDesignerCustomWidgetInterface*> m_widgets;
};

}  // namespace

#include "plugin.moc"
