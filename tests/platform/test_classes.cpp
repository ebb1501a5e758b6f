// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Value types, rounding helpers, string lists and the component object model.
#include "platform/classes.h"

#include <gtest/gtest.h>

// ---------------------------------------------------------------------------------------------
// Rounding
// ---------------------------------------------------------------------------------------------
TEST(Arithmetic, RoundSendsTiesToTheEvenNeighbour)
{
    const std::pair<double, int> cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},   {3.5, 4},  {-0.5, 0},
                                            {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}};
    for (const auto& [v, expected] : cases) EXPECT_EQ(Round(v), expected) << v;
    EXPECT_EQ(Round64(4294967296.5L), 4294967296LL);
    EXPECT_EQ(Trunc(-2.9), -2);
}

TEST(Arithmetic, MulDivRoundsHalvesAwayFromZeroWithoutOverflow)
{
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(1, -1, 2), -1);
    EXPECT_EQ(MulDiv(1, 1, -2), -1);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(5, 1, 4), 1);
    EXPECT_EQ(MulDiv(7, 1, 4), 2);
    EXPECT_EQ(MulDiv(19, 72, 96), 14);
    EXPECT_EQ(MulDiv(14, 96, 72), 19);
    EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);   // the product exceeds 32 bits
    EXPECT_EQ(MulDiv(5, 3, 0), -1);
}

// ---------------------------------------------------------------------------------------------
// Rectangles
// ---------------------------------------------------------------------------------------------
TEST(Rectangles, NormaliseIntersectUnionAndConvert)
{
    EXPECT_EQ(TRect(5, 6, 1, 2).Normalized(), TRect(1, 2, 5, 6));
    TRect r;
    EXPECT_TRUE(IntersectRect(r, TRect(0, 0, 10, 10), TRect(5, 5, 20, 20)));
    EXPECT_EQ(r, TRect(5, 5, 10, 10));
    EXPECT_FALSE(IntersectRect(r, TRect(0, 0, 5, 5), TRect(5, 0, 10, 5)));   // touching edges
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(UnionRect(TRect(0, 0, 2, 2), TRect(5, 5, 6, 7)), TRect(0, 0, 6, 7));
    EXPECT_EQ(UnionRect(TRect(), TRect(5, 5, 6, 7)), TRect(5, 5, 6, 7));
    const QRect q = ToQRect(TRect(2, 3, 12, 8));
    EXPECT_EQ(q.x(), 2);
    EXPECT_EQ(q.width(), 10);
    EXPECT_EQ(q.height(), 5);
    EXPECT_EQ(FromQRect(q), TRect(2, 3, 12, 8));
    EXPECT_TRUE(TRect(0, 0, 3, 3).Contains(Point(2, 2)));
    EXPECT_FALSE(TRect(0, 0, 3, 3).Contains(Point(3, 2)));
    TRect m(0, 0, 4, 4);
    EXPECT_EQ(m.Inflate(-1, -1), TRect(1, 1, 3, 3));
    EXPECT_EQ(m.Offset(2, 1), TRect(3, 2, 5, 4));
}

TEST(Colours, SystemColoursResolveAndPlainOnesAreMasked)
{
    EXPECT_EQ(ColorToRGB(0x12345678), 0x00345678);
    EXPECT_TRUE(IsSystemColor(clBtnFace));
    EXPECT_FALSE(IsSystemColor(clRed));
    EXPECT_FALSE(IsSystemColor(ColorToRGB(clBtnFace)));
    EXPECT_EQ(RGB(1, 2, 3), 0x00030201);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

// ---------------------------------------------------------------------------------------------
// String lists
// ---------------------------------------------------------------------------------------------
TEST(StringList, TextSplitsAtAnyLineBreakAndJoinsWithCrLf)
{
    TStringList l;
    l.SetText(QStringLiteral("a\r\nb\nc\rd\r\n"));
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l[2], QStringLiteral("c"));
    EXPECT_EQ(l.Text(), QStringLiteral("a\r\nb\r\nc\r\nd\r\n"));
    l.SetText(QStringLiteral("x\n\ny"));
    EXPECT_EQ(l.Count(), 3);   // an empty line in the middle stays
    EXPECT_EQ(l.IndexOf(QStringLiteral("Y")), 2);
    EXPECT_EQ(l.IndexOf(QStringLiteral("z")), -1);
    EXPECT_THROW(l.Get(3), Exception);
    EXPECT_THROW(l.Delete(-1), Exception);
}

TEST(StringList, ChangeEventsFireOncePerChangeAndOnceForAnUpdateBracket)
{
    TStringList l;
    std::vector<std::string> events;
    l.OnChanging = [&](TObject* s) { EXPECT_EQ(s, &l); events.push_back("changing"); };
    l.OnChange = [&](TObject* s) { EXPECT_EQ(s, &l); events.push_back("change"); };
    l.Add(QStringLiteral("a"));
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
    events.clear();
    l.BeginUpdate();
    l.BeginUpdate();
    l.Add(QStringLiteral("b"));
    l.Put(0, QStringLiteral("c"));
    l.EndUpdate();
    EXPECT_EQ(events, std::vector<std::string>{"changing"});
    l.EndUpdate();
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
    events.clear();
    l.SetText(QStringLiteral("1\n2\n3"));   // one bracket around the whole replacement
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
    EXPECT_EQ(l.Count(), 3);
    events.clear();
    TStringList copy;
    copy.Assign(&l);
    EXPECT_EQ(copy.Items(), l.Items());
    l.Clear();
    l.Clear();   // already empty: nothing happens
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
}

// ---------------------------------------------------------------------------------------------
// Object model
// ---------------------------------------------------------------------------------------------
namespace {

// A component that records its destruction, its notifications and its Loaded call.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::vector<std::string>* log, std::string name)
        : TComponent(owner), m_log(log), m_tag(std::move(name)) {}
    ~Probe() override { m_log->push_back("free " + m_tag); }
    QString ClassName() const override { return QStringLiteral("TProbe"); }
    void Loaded() override
    {
        m_log->push_back("loaded " + m_tag + (IsLoading() ? " (loading)" : ""));
        TComponent::Loaded();
    }
    std::vector<TComponent*> removed;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        if (op == TOperation::opRemove) removed.push_back(c);
        TComponent::Notification(c, op);
    }

private:
    std::vector<std::string>* m_log;
    std::string m_tag;
};

} // namespace

TEST(Component, OwnerFreesOwnedComponentsLastCreatedFirst)
{
    std::vector<std::string> log;
    auto* root = new Probe(nullptr, &log, "root");
    new Probe(root, &log, "a");
    auto* b = new Probe(root, &log, "b");
    new Probe(b, &log, "b1");
    new Probe(root, &log, "c");
    b->SetName(QStringLiteral("Btn"));
    EXPECT_EQ(root->ComponentCount(), 3);
    EXPECT_EQ(root->FindComponent(QStringLiteral("btn")), b);
    EXPECT_EQ(b->Owner(), root);
    delete root;
    EXPECT_EQ(log, (std::vector<std::string>{"free root", "free c", "free b", "free b1", "free a"}));
}

TEST(Component, FreeNotificationTellsTheOtherSideAndCanBeWithdrawn)
{
    std::vector<std::string> log;
    auto* a = new Probe(nullptr, &log, "a");
    auto* b = new Probe(nullptr, &log, "b");
    auto* c = new Probe(nullptr, &log, "c");
    a->FreeNotification(b);
    a->FreeNotification(c);
    a->RemoveFreeNotification(c);
    delete b;
    ASSERT_EQ(a->removed.size(), 1u);
    EXPECT_EQ(a->removed[0], b);
    delete c;
    EXPECT_EQ(a->removed.size(), 1u);
    // Mutual: a freed first tells the other side too, and no dangling entry remains.
    auto* d = new Probe(nullptr, &log, "d");
    d->FreeNotification(a);
    delete a;
    ASSERT_EQ(d->removed.size(), 1u);
    delete d;
}

TEST(Component, OwnerHearsAboutAComponentFreedOnItsOwn)
{
    std::vector<std::string> log;
    Probe root(nullptr, &log, "root");
    auto* child = new Probe(&root, &log, "child");
    delete child;
    EXPECT_EQ(root.ComponentCount(), 0);
    ASSERT_EQ(root.removed.size(), 1u);
    EXPECT_EQ(root.removed[0], child);
}

TEST(Component, LayoutLoaderLoadsInCreationOrderAfterTheBuild)
{
    std::vector<std::string> log;
    Probe root(nullptr, &log, "root");
    {
        TLayoutLoader loader(&root);
        auto* x = loader.Track(new Probe(&root, &log, "x"));
        auto* y = loader.Track(new Probe(&root, &log, "y"));
        EXPECT_TRUE(root.IsLoading());
        EXPECT_TRUE(x->IsLoading());
        EXPECT_TRUE(y->ComponentState() & csReading);
        EXPECT_TRUE(log.empty());
        loader.Finish();
        EXPECT_FALSE(x->IsLoading());
    }
    EXPECT_EQ(log, (std::vector<std::string>{"loaded x (loading)", "loaded y (loading)", "loaded root (loading)"}));
    EXPECT_FALSE(root.IsLoading());
}

TEST(Component, DesigningSpreadsToOwnedComponents)
{
    std::vector<std::string> log;
    Probe root(nullptr, &log, "root");
    auto* child = new Probe(&root, &log, "child");
    root.SetDesigning(true);
    EXPECT_TRUE(child->IsDesigning());
    root.SetDesigning(false, false);
    EXPECT_FALSE(root.IsDesigning());
    EXPECT_TRUE(child->IsDesigning());
}

TEST(Persistent, AssignFromAnUnrelatedClassNamesBothClasses)
{
    std::vector<std::string> log;
    Probe probe(nullptr, &log, "p");
    TStringList list;
    try {
        list.Assign(&probe);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a TProbe to a TStringList"));
        EXPECT_STREQ(e.what(), "Cannot assign a TProbe to a TStringList");
    }
    try {
        list.Assign(nullptr);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a nil to a TStringList"));
    }
}
