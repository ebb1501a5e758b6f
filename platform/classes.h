// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The object model of the component framework: TObject with its class name, TPersistent with
// Assign, TComponent with owner, owned components, component states and free notification,
// the framework's exception classes, and the string list with an on-change event.
#pragma once

#include "platform/types.h"

#include <QStringList>
#include <exception>
#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Exceptions. Every failure that crosses a layer is one of these, carrying its message.
// ---------------------------------------------------------------------------------------------
class Exception : public std::exception {
public:
    explicit Exception(const QString& message);
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

class EConvertError : public Exception { public: using Exception::Exception; };
class EOutOfResources : public Exception { public: using Exception::Exception; };
class EInvalidOperation : public Exception { public: using Exception::Exception; };
class EComponentError : public Exception { public: using Exception::Exception; };
class EThread : public Exception { public: using Exception::Exception; };

// ---------------------------------------------------------------------------------------------
// TObject, TPersistent
// ---------------------------------------------------------------------------------------------
class TObject {
public:
    virtual ~TObject() = default;
    // The class name as the framework reports it ("TFxScrollText"); each class overrides it.
    virtual QString ClassName() const { return QStringLiteral("TObject"); }
};

class TPersistent : public TObject {
public:
    QString ClassName() const override { return QStringLiteral("TPersistent"); }
    // Copies Source into this object. The base asks Source to assign itself (AssignTo); when
    // neither side knows the other, EConvertError "Cannot assign a X to a Y".
    virtual void Assign(const TPersistent* Source);

protected:
    virtual void AssignTo(TPersistent* Dest) const;
    [[noreturn]] void AssignError(const TPersistent* Source) const;
};

// ---------------------------------------------------------------------------------------------
// TComponent
// ---------------------------------------------------------------------------------------------
enum TComponentStateFlag : uint16_t {
    csLoading = 1 << 0,
    csReading = 1 << 1,
    csWriting = 1 << 2,
    csDestroying = 1 << 3,
    csDesigning = 1 << 4,
    csAncestor = 1 << 5,
    csUpdating = 1 << 6,
    csFreeNotification = 1 << 7,
};
using TComponentState = uint16_t;

enum class TOperation { opInsert, opRemove };

// A component belongs to its owner, which frees it (owned components are freed in reverse
// order of creation). Components that asked for free notification of each other are told,
// through Notification(opRemove), when the other one goes.
//
// Destruction: a descendant whose teardown needs to know that destruction has begun calls
// Destroying() at the start of its own destructor (the framework's BeforeDestruction).
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    QString ClassName() const override { return QStringLiteral("TComponent"); }

    TComponent* Owner() const { return m_owner; }
    const QString& Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }
    int ComponentCount() const { return int(m_components.size()); }
    TComponent* Components(int index) const { return m_components.at(size_t(index)); }
    // The owned component of that name, or nullptr.
    TComponent* FindComponent(const QString& name) const;

    TComponentState ComponentState() const { return m_state; }
    bool IsLoading() const { return (m_state & csLoading) != 0; }
    bool IsDesigning() const { return (m_state & csDesigning) != 0; }
    bool IsDestroying() const { return (m_state & csDestroying) != 0; }

    // Loading from a designed layout: properties set between SetLoading() and Loaded() are
    // only stored; Loaded() clears the loading and reading states and does the deferred work.
    void SetLoading();
    virtual void Loaded();
    void SetDesigning(bool value, bool includeOwned = true);
    // Marks the component as being destroyed (idempotent).
    void Destroying();

    // Asks to be told (Notification with opRemove) when AComponent is freed; the request is
    // mutual, as in the framework.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Frees every owned component, last created first.
    void DestroyComponents();

    // Tag-like slot for the designed layouts and tests.
    intptr_t Tag = 0;

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

private:
    TComponent* m_owner = nullptr;
    QString m_name;
    std::vector<TComponent*> m_components;
    std::vector<TComponent*> m_freeNotifies;
    TComponentState m_state = 0;
};

// Builds a designed layout: every component created inside Build is put into the loading
// state along with the root, and after Build each one, in creation order, gets Loaded().
// Components are registered with Track() as the layout code creates them.
class TLayoutLoader {
public:
    explicit TLayoutLoader(TComponent* root);
    ~TLayoutLoader();
    template <class T> T* Track(T* c) { c->SetLoading(); m_created.push_back(c); return c; }
    // Calls Loaded on the root's components in creation order, then on the root.
    void Finish();

private:
    TComponent* m_root;
    std::vector<TComponent*> m_created;
    bool m_finished = false;
};

// ---------------------------------------------------------------------------------------------
// String lists
// ---------------------------------------------------------------------------------------------
class TStrings : public TPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TStrings"); }
    virtual int Count() const = 0;
    virtual QString Get(int index) const = 0;
    virtual void Put(int index, const QString& s) = 0;
    virtual int Add(const QString& s) = 0;
    virtual void Insert(int index, const QString& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    QString operator[](int index) const { return Get(index); }
    // The lines joined, each followed by a line break ("\r\n" as the framework writes it).
    QString Text() const;
    // Splits at "\r\n", "\n" or "\r"; a final line break adds no empty line.
    void SetText(const QString& text);
    int IndexOf(const QString& s) const;
    void Assign(const TPersistent* Source) override;
    // Nested brackets: inside, no change event fires; the end of the outermost bracket fires
    // the on-change event once (as the framework does, whether or not anything changed).
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return m_updateCount > 0; }

protected:
    virtual void SetUpdateState(bool updating) {}

private:
    int m_updateCount = 0;
};

class TStringList : public TStrings {
public:
    QString ClassName() const override { return QStringLiteral("TStringList"); }
    int Count() const override { return int(m_items.size()); }
    QString Get(int index) const override;
    void Put(int index, const QString& s) override;
    int Add(const QString& s) override;
    void Insert(int index, const QString& s) override;
    void Delete(int index) override;
    void Clear() override;
    const QStringList& Items() const { return m_items; }

    // Fired after every change (outside an update bracket), Sender = the list.
    TNotifyEvent OnChange;
    // Fired before every change (outside an update bracket).
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    void Changing();
    void Changed();

private:
    QStringList m_items;
};
