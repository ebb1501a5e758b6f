// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "foundation/fximagelist.h"

#include <algorithm>

TFxChangeLink::~TFxChangeLink()
{
    if (m_sender) m_sender->UnRegisterChanges(this);
}

void TFxChangeLink::Change()
{
    if (OnChange) OnChange(m_sender);
}

TFxCustomImageList::TFxCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TFxCustomImageList::~TFxCustomImageList()
{
    for (TFxChangeLink* link : m_links) link->m_sender = nullptr;
    m_links.clear();
}

void TFxCustomImageList::RegisterChanges(TFxChangeLink* Link)
{
    if (!Link || Link->m_sender == this) return;
    if (Link->m_sender) Link->m_sender->UnRegisterChanges(Link);
    m_links.push_back(Link);
    Link->m_sender = this;
}

void TFxCustomImageList::UnRegisterChanges(TFxChangeLink* Link)
{
    auto it = std::find(m_links.begin(), m_links.end(), Link);
    if (it == m_links.end()) return;
    m_links.erase(it);
    Link->m_sender = nullptr;
}

int TFxCustomImageList::Add(const TBitmap* Image, int ListIndex)
{
    if (ListIndex < 0) ListIndex = 0;
    if (ListIndex >= int(m_lists.size())) m_lists.resize(size_t(ListIndex) + 1);
    auto copy = std::make_unique<TBitmap>();
    if (Image) copy->Assign(Image);
    auto& list = m_lists[size_t(ListIndex)];
    list.push_back(std::move(copy));
    Change();
    return int(list.size()) - 1;
}

bool TFxCustomImageList::Replace(int ListIndex, int ImageIndex, const TBitmap* Image)
{
    if (!IsValid(ListIndex, ImageIndex)) return false;
    TBitmap& item = *m_lists[size_t(ListIndex)][size_t(ImageIndex)];
    if (Image)
        item.Assign(Image);
    else
        item.SetSize(0, 0);
    Change();
    return true;
}

void TFxCustomImageList::Clear()
{
    m_lists.clear();
    Change();
}

int TFxCustomImageList::Count(int ListIndex) const
{
    if (ListIndex < 0 || ListIndex >= int(m_lists.size())) return 0;
    return int(m_lists[size_t(ListIndex)].size());
}

bool TFxCustomImageList::IsValid(int ListIndex, int ImageIndex) const
{
    return ImageIndex >= 0 && ImageIndex < Count(ListIndex);
}

bool TFxCustomImageList::GetBitmap(int ListIndex, int ImageIndex, TBitmap* Target) const
{
    if (!Target || !IsValid(ListIndex, ImageIndex)) return false;
    Target->Assign(m_lists[size_t(ListIndex)][size_t(ImageIndex)].get());
    return true;
}

void TFxCustomImageList::Change()
{
    // A link's handler may unregister links; walk a copy.
    const std::vector<TFxChangeLink*> links = m_links;
    for (TFxChangeLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end()) link->Change();
}
