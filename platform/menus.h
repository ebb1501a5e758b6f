// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Popup menus with image-list icons, and the framework's image list.
#pragma once

#include "platform/classes.h"

#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <vector>

class QMenu;

// A list of equally sized images with transparency (the icons of menus and buttons).
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TImageList"); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetSize(int w, int h) { m_width = w; m_height = h; }
    // Adds an image, scaled to the list's size when it differs; returns its index.
    int Add(const QPixmap& image);
    // Adds an image drawn in more than one size (see ReadPngIcon); returns its index.
    int Add(const QIcon& image);
    int Count() const { return int(m_images.size()); }
    QPixmap Image(int index) const;   // at the list's size; a null pixmap for an index out of range
    QIcon Icon(int index) const;      // every size the image was drawn in

private:
    int m_width = 16;
    int m_height = 16;
    std::vector<QIcon> m_images;
};

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    QString ClassName() const override { return QStringLiteral("TMenuItem"); }
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int v) { m_imageIndex = v; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool v) { m_enabled = v; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool v) { m_visible = v; }
    // Runs OnClick (through the application's exception handler when called by the menu).
    void Click();
    TNotifyEvent OnClick;

private:
    QString m_caption;
    int m_imageIndex = -1;
    bool m_enabled = true;
    bool m_visible = true;
};

// A popup menu: its items, in order, shown at a point of the screen. The menu is built anew
// at every Popup from the items' current captions, icons and states. Choosing an item runs
// its OnClick after the menu has closed, unless the item or the popup menu is freed first.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    QString ClassName() const override { return QStringLiteral("TPopupMenu"); }
    // Adds an item; an item freed later leaves the menu by itself.
    void Add(TMenuItem* item);
    int Count() const { return int(m_items.size()); }
    TMenuItem* Items(int i) const { return m_items.at(size_t(i)); }
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* v);
    void Popup(int X, int Y);
    // The Qt menu of the last Popup while it is open (tests and accessibility).
    QMenu* Menu() const;
    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::vector<TMenuItem*> m_items;
    TImageList* m_images = nullptr;
    QPointer<QMenu> m_menu;
};
