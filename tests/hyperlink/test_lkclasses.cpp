// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The link-label library's settings objects: change notification and its brackets.
#include "hyperlink/lkclasses.h"
#include "platform/graphics.h"

#include <gtest/gtest.h>

namespace {

struct Counted {
    TLkTextOutline outline;
    int changes = 0;
    TObject* lastSender = nullptr;
    Counted()
    {
        outline.OnChange = [this](TObject* s) {
            ++changes;
            lastSender = s;
        };
    }
};

TEST(LkTextOutline, StartsNavyVisibleOnePixelWide)
{
    TLkTextOutline o;
    EXPECT_EQ(o.Color(), clNavy);
    EXPECT_TRUE(o.Visible());
    EXPECT_EQ(o.Width(), 1);
}

TEST(LkTextOutline, EachSetterReportsOnlyARealChange)
{
    Counted c;
    c.outline.SetColor(clNavy);
    c.outline.SetVisible(true);
    c.outline.SetWidth(1);
    EXPECT_EQ(c.changes, 0);

    c.outline.SetColor(clRed);
    c.outline.SetVisible(false);
    c.outline.SetWidth(3);
    EXPECT_EQ(c.changes, 3);
    EXPECT_EQ(c.lastSender, &c.outline);
    EXPECT_EQ(c.outline.Color(), clRed);
    EXPECT_FALSE(c.outline.Visible());
    EXPECT_EQ(c.outline.Width(), 3);
}

TEST(LkTextOutline, AssignReportsExactlyOnceEvenWhenNothingDiffers)
{
    Counted c;
    TLkTextOutline same;
    c.outline.Assign(&same);
    EXPECT_EQ(c.changes, 1);

    TLkTextOutline other;
    other.SetColor(clLime);
    other.SetVisible(false);
    other.SetWidth(4);
    c.outline.Assign(&other);
    EXPECT_EQ(c.changes, 2);
    EXPECT_EQ(c.outline.Color(), clLime);
    EXPECT_FALSE(c.outline.Visible());
    EXPECT_EQ(c.outline.Width(), 4);
    EXPECT_EQ(c.outline.UpdateCount(), 0);
}

TEST(LkTextOutline, AssignInsideAnOuterBracketWaitsForItsEnd)
{
    Counted c;
    TLkTextOutline other;
    other.SetWidth(2);
    c.outline.BeginUpdate();
    c.outline.Assign(&other);
    c.outline.SetColor(clRed);
    EXPECT_EQ(c.changes, 0);
    c.outline.EndUpdate();
    EXPECT_EQ(c.changes, 1);
    EXPECT_EQ(c.outline.Width(), 2);
}

TEST(LkTextOutline, AssignFromAnotherClassIsTheFrameworksError)
{
    Counted c;
    TFont font;
    try {
        c.outline.Assign(&font);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a TFont to a TLkTextOutline"));
    }
    EXPECT_EQ(c.changes, 0);
    EXPECT_EQ(c.outline.UpdateCount(), 0);
}

TEST(LkPersistent, BracketsNestAndAnUnbalancedEndStillReports)
{
    TLkPersistent p;
    int changes = 0;
    p.OnChange = [&](TObject*) { ++changes; };

    p.EndUpdate();   // no bracket open
    EXPECT_EQ(p.UpdateCount(), 0);
    EXPECT_EQ(changes, 1);

    p.BeginUpdate();
    p.BeginUpdate();
    p.Changed();
    p.EndUpdate();   // inner end: still inside the outer bracket
    EXPECT_EQ(changes, 1);
    p.EndUpdate();
    EXPECT_EQ(changes, 2);

    p.OnChange = nullptr;
    p.Changed();   // without a handler nothing happens
    EXPECT_EQ(changes, 2);
}

}  // namespace
