#include "platform/StatusBar.h"

#include <gtest/gtest.h>
#include <QLabel>

namespace {

class StatusBarTest : public ::testing::Test
{
protected:
    TStatusBar bar;

    StatusBarTest()
    {
        bar.resize(800, 22);
        bar.Panels.Add(100).SetText("first");
        bar.Panels.Add(200).SetText("second \xE4");
        bar.Panels.Add(50).SetText("last");
        bar.show();
    }

    // The widget that shows panel i's text.
    QLabel *LabelOf(int i)
    {
        for (QLabel *label : bar.findChildren<QLabel *>())
            if (label->text() == ToQ(bar.Panels[i].Text()))
                return label;
        return nullptr;
    }

    std::pair<int, int> Span(int i) const
    {
        const QRect r = bar.PanelRect(i);
        return {r.x(), r.width()};
    }
};

using Spans = std::vector<std::pair<int, int>>;

TEST_F(StatusBarTest, PanelsLieSideBySideAndTheLastTakesTheRest)
{
    struct Case { int firstWidth; Spans spans; };
    const Case cases[] = {
        {100, {{0, 100}, {100, 200}, {300, 500}}},
        {150, {{0, 150}, {150, 200}, {350, 450}}},     // a long operation narrows panel 0
        {2000, {{0, 800}, {800, 0}, {800, 0}}},        // as wide as the screen: the rest is hidden
        {0, {{0, 0}, {0, 200}, {200, 600}}},
    };
    for (const Case &c : cases) {
        bar.Panels[0].SetWidth(c.firstWidth);
        EXPECT_EQ(bar.Panels[0].Width(), c.firstWidth);
        EXPECT_EQ((Spans{Span(0), Span(1), Span(2)}), c.spans) << c.firstWidth;
        // At once, without going through the event loop.
        for (int i = 0; i < 3; ++i)
            ASSERT_NE(LabelOf(i), nullptr);
        EXPECT_EQ(LabelOf(1)->geometry(), bar.PanelRect(1)) << c.firstWidth;
        EXPECT_EQ(LabelOf(2)->geometry(), bar.PanelRect(2)) << c.firstWidth;
    }
}

TEST_F(StatusBarTest, TextsArePerPanelAndKeptAsBytes)
{
    bar.Panels[1].SetText("<b>Opening \xE9t\xE9.kas</b>");
    EXPECT_EQ(bar.Panels[1].Text(), "<b>Opening \xE9t\xE9.kas</b>");
    EXPECT_EQ(bar.Panels[0].Text(), "first");
    ASSERT_NE(LabelOf(1), nullptr);
    EXPECT_EQ(LabelOf(1)->text(), QString::fromLatin1("<b>Opening \xE9t\xE9.kas</b>"));
}

TEST_F(StatusBarTest, ResizingTheBarMovesTheLastPanelsEdge)
{
    bar.resize(500, 22);
    EXPECT_EQ(Span(2), std::make_pair(300, 200));
    EXPECT_EQ(LabelOf(2)->geometry().width(), 200);
}

TEST_F(StatusBarTest, ProgressBarLiesOverPanelZeroAndFollowsIt)
{
    bar.Panels[0].SetWidth(150);
    TProgressBar *progress = bar.CreateProgressBar();
    EXPECT_TRUE(bar.PanelRect(0).contains(progress->geometry()));
    EXPECT_GT(progress->width(), 140);
    EXPECT_EQ(bar.childAt(75, 11), progress) << "the bar must lie above the panel";
    bar.Panels[0].SetWidth(60);
    EXPECT_TRUE(bar.PanelRect(0).contains(progress->geometry()));
    EXPECT_LE(progress->width(), 60);
    delete progress;
    EXPECT_TRUE(bar.findChildren<TProgressBar *>().isEmpty());
    bar.Panels[0].SetWidth(2000);   // widened again, with the bar gone
    EXPECT_EQ(Span(0), std::make_pair(0, 800));
}

TEST_F(StatusBarTest, WidgetsPlacedOnTheBarStayAbovePanelsAddedLater)
{
    QWidget marker(&bar);
    marker.setGeometry(310, 3, 16, 16);
    marker.show();
    bar.Panels.Add(100);
    EXPECT_EQ(bar.childAt(315, 8), &marker);
}

TEST(ProgressBar, PositionStaysWithinTheRange)
{
    TProgressBar p;
    EXPECT_EQ(p.Min(), 0);
    EXPECT_EQ(p.Max(), 100);
    EXPECT_EQ(p.Position(), 0);
    p.SetMax(10);
    struct Case { int set; int expected; };
    for (const Case c : {Case{5, 5}, Case{20, 10}, Case{-3, 0}, Case{10, 10}}) {
        p.SetPosition(c.set);
        EXPECT_EQ(p.Position(), c.expected) << c.set;
    }
    p.SetPosition(8);
    p.SetMax(3);
    EXPECT_EQ(p.Position(), 3);
    p.SetMin(5);
    EXPECT_EQ(p.Position(), 5);
    EXPECT_EQ(p.Max(), 5);
}

} // namespace
