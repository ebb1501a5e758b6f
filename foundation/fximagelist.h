// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The image list that the library's controls and the alpha blend take pictures from, and the
// change link through which it tells its users that its content changed.
//
// A list holds sub-lists of pictures: an item is addressed by (ListIndex, ImageIndex). Users
// register a TFxChangeLink and ask for free notification of the list (it is a component), so
// they learn both of new content and of the list going away.
#pragma once

#include "platform/graphics.h"

#include <memory>
#include <vector>

class TFxCustomImageList;

// Registered with one image list at a time; OnChange (Sender = the list) fires whenever the
// list's content changes. A link unregisters itself when destroyed, and a list that is freed
// drops its links (their Sender becomes nullptr).
class TFxChangeLink : public TObject {
public:
    TFxChangeLink() = default;
    ~TFxChangeLink() override;
    TFxChangeLink(const TFxChangeLink&) = delete;
    TFxChangeLink& operator=(const TFxChangeLink&) = delete;
    QString ClassName() const override { return QStringLiteral("TFxChangeLink"); }

    // The list this link is registered with, or nullptr.
    TFxCustomImageList* Sender() const { return m_sender; }
    // Calls OnChange with the list as Sender.
    virtual void Change();

    TNotifyEvent OnChange;

private:
    friend class TFxCustomImageList;
    TFxCustomImageList* m_sender = nullptr;
};

class TFxCustomImageList : public TComponent {
public:
    explicit TFxCustomImageList(TComponent* AOwner);
    ~TFxCustomImageList() override;
    QString ClassName() const override { return QStringLiteral("TFxCustomImageList"); }

    // A link is registered with at most one list: registering moves it here. Unregistering a
    // link that is not registered here does nothing.
    void RegisterChanges(TFxChangeLink* Link);
    void UnRegisterChanges(TFxChangeLink* Link);

    // Content. Every change notifies the registered links once.
    // Appends a copy of Image to sub-list ListIndex (created as needed); returns its index.
    int Add(const TBitmap* Image, int ListIndex = 0);
    // Replaces an existing item with a copy of Image; false for an invalid item.
    bool Replace(int ListIndex, int ImageIndex, const TBitmap* Image);
    void Clear();
    int ListCount() const { return int(m_lists.size()); }
    // Pictures in sub-list ListIndex (0 for a sub-list that does not exist).
    int Count(int ListIndex) const;

    // Whether (ListIndex, ImageIndex) names a picture.
    virtual bool IsValid(int ListIndex, int ImageIndex) const;
    // Copies the item into Target (size and pixels); false, Target untouched, for an invalid
    // item.
    virtual bool GetBitmap(int ListIndex, int ImageIndex, TBitmap* Target) const;
    // A collection image list keeps its pictures as a streamed collection, whose items exist
    // only once loading has finished: its users fetch their picture again in Loaded. This
    // plain list holds its pictures from the start and answers false.
    virtual bool IsCollection() const { return false; }

    // Tells every registered link that the content changed.
    void Change();

private:
    std::vector<std::vector<std::unique_ptr<TBitmap>>> m_lists;
    std::vector<TFxChangeLink*> m_links;
};
