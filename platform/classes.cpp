// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/classes.h"

#include <algorithm>

Exception::Exception(const QString& message) : m_message(message), m_utf8(message.toStdString()) {}

// ---------------------------------------------------------------------------------------------
// TPersistent
// ---------------------------------------------------------------------------------------------
void TPersistent::Assign(const TPersistent* Source)
{
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const
{
    const QString sourceName = Source ? Source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, ClassName()));
}

// ---------------------------------------------------------------------------------------------
// TComponent
// ---------------------------------------------------------------------------------------------
TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Tell everyone who asked about us, then forget the requests we made.
    while (!m_freeNotifies.empty()) {
        TComponent* other = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        auto& theirs = other->m_freeNotifies;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (m_owner) m_owner->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const QString& name) const
{
    for (TComponent* c : m_components)
        if (c->m_name.compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

void TComponent::SetLoading()
{
    m_state |= csLoading | csReading;
}

void TComponent::Loaded()
{
    m_state &= ~(csLoading | csReading);
}

void TComponent::SetDesigning(bool value, bool includeOwned)
{
    if (value) m_state |= csDesigning;
    else m_state &= ~csDesigning;
    if (includeOwned)
        for (TComponent* c : m_components) c->SetDesigning(value, true);
}

void TComponent::Destroying()
{
    m_state |= csDestroying;
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this) return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent) == m_freeNotifies.end())
        m_freeNotifies.push_back(AComponent);
    auto& theirs = AComponent->m_freeNotifies;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (!AComponent) return;
    m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent), m_freeNotifies.end());
    auto& theirs = AComponent->m_freeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::DestroyComponents()
{
    // Each destructor removes itself from our list; freeing one may free others with it, so
    // the list is read afresh every time.
    while (!m_components.empty()) {
        TComponent* c = m_components.back();
        c->Destroying();
        delete c;
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent) {
        m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent), m_freeNotifies.end());
    }
    for (TComponent* c : std::vector<TComponent*>(m_components)) c->Notification(AComponent, Operation);
}

void TComponent::InsertComponent(TComponent* c)
{
    m_components.push_back(c);
    c->m_owner = this;
}

void TComponent::RemoveComponent(TComponent* c)
{
    m_components.erase(std::remove(m_components.begin(), m_components.end(), c), m_components.end());
    c->m_owner = nullptr;
    // The owner hears about the removal of each of its components.
    if (!IsDestroying()) Notification(c, TOperation::opRemove);
}

// ---------------------------------------------------------------------------------------------
// TLayoutLoader
// ---------------------------------------------------------------------------------------------
TLayoutLoader::TLayoutLoader(TComponent* root) : m_root(root)
{
    m_root->SetLoading();
}

TLayoutLoader::~TLayoutLoader()
{
    if (!m_finished) Finish();
}

void TLayoutLoader::Finish()
{
    if (m_finished) return;
    m_finished = true;
    for (TComponent* c : m_created) c->Loaded();
    m_root->Loaded();
}

// ---------------------------------------------------------------------------------------------
// TStrings
// ---------------------------------------------------------------------------------------------
QString TStrings::Text() const
{
    QString out;
    for (int i = 0; i < Count(); ++i) {
        out += Get(i);
        out += QStringLiteral("\r\n");
    }
    return out;
}

void TStrings::SetText(const QString& text)
{
    BeginUpdate();
    Clear();
    int start = 0;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            Add(text.mid(start, i - start));
            if (ch == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
            start = i + 1;
        }
    }
    if (start < n) Add(text.mid(start));
    EndUpdate();
}

int TStrings::IndexOf(const QString& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (Get(i).compare(s, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TStrings::Assign(const TPersistent* Source)
{
    if (auto src = dynamic_cast<const TStrings*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        Clear();
        for (int i = 0; i < src->Count(); ++i) Add(src->Get(i));
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::BeginUpdate()
{
    if (m_updateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (m_updateCount == 0) return;
    if (--m_updateCount == 0) SetUpdateState(false);
}

// ---------------------------------------------------------------------------------------------
// TStringList
// ---------------------------------------------------------------------------------------------
static void CheckIndex(int index, int count)
{
    if (index < 0 || index >= count)
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TStringList::Get(int index) const
{
    CheckIndex(index, Count());
    return m_items.at(index);
}

void TStringList::Put(int index, const QString& s)
{
    CheckIndex(index, Count());
    Changing();
    m_items[index] = s;
    Changed();
}

int TStringList::Add(const QString& s)
{
    Insert(Count(), s);
    return Count() - 1;
}

void TStringList::Insert(int index, const QString& s)
{
    if (index < 0 || index > Count()) CheckIndex(index, Count());
    Changing();
    m_items.insert(index, s);
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index, Count());
    Changing();
    m_items.removeAt(index);
    Changed();
}

void TStringList::Clear()
{
    if (m_items.isEmpty()) return;
    Changing();
    m_items.clear();
    Changed();
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating) {
        if (OnChanging) OnChanging(this);
    } else {
        if (OnChange) OnChange(this);
    }
}

void TStringList::Changing()
{
    if (!IsUpdating() && OnChanging) OnChanging(this);
}

void TStringList::Changed()
{
    if (!IsUpdating() && OnChange) OnChange(this);
}
