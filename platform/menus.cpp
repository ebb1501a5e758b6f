// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/menus.h"

#include "platform/safecall.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <algorithm>

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

int TImageList::Add(const QPixmap& image)
{
    QPixmap p = image;
    if (!p.isNull() && (p.width() != m_width || p.height() != m_height))
        p = p.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_images.push_back(p.isNull() ? QIcon() : QIcon(p));
    return int(m_images.size()) - 1;
}

int TImageList::Add(const QIcon& image)
{
    m_images.push_back(image);
    return int(m_images.size()) - 1;
}

QPixmap TImageList::Image(int index) const
{
    if (index < 0 || index >= Count()) return QPixmap();
    return m_images[size_t(index)].pixmap(QSize(m_width, m_height), 1.0);
}

QIcon TImageList::Icon(int index) const
{
    if (index < 0 || index >= Count()) return QIcon();
    return m_images[size_t(index)];
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

void TMenuItem::Click()
{
    if (m_enabled && OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {}

void TPopupMenu::Add(TMenuItem* item)
{
    m_items.push_back(item);
    FreeNotification(item);
}

TPopupMenu::~TPopupMenu()
{
    Destroying();
    delete m_menu.data();
}

QMenu* TPopupMenu::Menu() const
{
    return m_menu.data();
}

void TPopupMenu::SetImages(TImageList* v)
{
    if (m_images == v) return;
    if (m_images) RemoveFreeNotification(m_images);
    m_images = v;
    if (v) FreeNotification(v);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) return;
    if (AComponent == m_images) m_images = nullptr;
    m_items.erase(std::remove(m_items.begin(), m_items.end(), AComponent), m_items.end());
}

void TPopupMenu::Popup(int X, int Y)
{
    if (OnPopup) OnPopup(this);
    delete m_menu.data();
    auto* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose, false);
    m_menu = menu;
    for (TMenuItem* item : m_items) {
        if (!item->Visible()) continue;
        if (item->Caption() == QLatin1String("-")) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(item->Caption());
        a->setEnabled(item->Enabled());
        if (m_images) {
            const QIcon icon = m_images->Icon(item->ImageIndex());
            if (!icon.isNull()) a->setIcon(icon);
        }
        // The command runs once the menu is gone, from the event loop, as a menu command does.
        // The Qt menu is the deferred call's context, so freeing this popup menu (which frees
        // the Qt menu) drops the call; an item freed meanwhile has left m_items (this menu asks
        // to be told when an item is freed) and is not clicked.
        QObject::connect(a, &QAction::triggered, menu, [this, item, menu] {
            QTimer::singleShot(0, menu, [this, item] {
                if (std::find(m_items.begin(), m_items.end(), item) == m_items.end()) return;
                SafeCall(item, [item] { item->Click(); });
            });
        });
    }
    menu->popup(QPoint(X, Y));
}
