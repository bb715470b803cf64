#include "app/graph_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vel {
namespace {

// A graph whose plot is `plotWidth` x 100 pixels.
GraphPicture LayOut(const SlotTable<GraphHistory>& series, int plotWidth) {
  return LayOutGraph(series, plotWidth + graph_layout::kRightMargin,
                     100 + graph_layout::kBottomMargin);
}

TEST(GraphGeometryTest, LinesStartAtTheBottomLeftAndLabelOnlyValuesAboveZero) {
  SlotTable<GraphHistory> series;
  series.Add(GraphHistory(0x0000FF));  // empty
  const int zero = series.Add(GraphHistory(0x00FF00));
  const int high = series.Add(GraphHistory(0xFF0000));
  for (int i = 0; i < 30; ++i) {
    series.Find(zero)->Push(i < 29 ? 100 : 0);
    series.Find(high)->Push(9999);
  }
  const GraphPicture picture = LayOut(series, 200);
  ASSERT_EQ(picture.lines.size(), 3u);
  EXPECT_TRUE(picture.lines[0].points.empty());
  EXPECT_FALSE(picture.lines[0].label);

  const GraphLine& zeroLine = picture.lines[1];
  ASSERT_EQ(zeroLine.points.size(), 31u);
  EXPECT_EQ(zeroLine.points.front(), (GraphPoint{0, 100}));
  EXPECT_EQ(zeroLine.points[1], (GraphPoint{0, 50})) << "two sample units a pixel";
  EXPECT_EQ(zeroLine.points.back(), (GraphPoint{29, 100})) << "a last 0 lies on the bottom";
  EXPECT_FALSE(zeroLine.label);

  const GraphLine& highLine = picture.lines[2];
  EXPECT_EQ(highLine.points.back(), (GraphPoint{29, 0})) << "clamped to the plot top";
  ASSERT_TRUE(highLine.label);
  EXPECT_EQ(highLine.label->text, "9999");
  EXPECT_EQ(highLine.label->at, (GraphPoint{30, 0}));
}

TEST(GraphGeometryTest, AWidePlotDrawsTheWholeRingOldestFirst) {
  SlotTable<GraphHistory> series;
  GraphHistory& history = *series.Find(series.Add(GraphHistory(0x0000FF)));
  for (int i = 0; i < 5000; ++i) history.Push(i % 200);
  const GraphPicture picture = LayOut(series, 4500);
  const std::vector<GraphPoint>& points = picture.lines[0].points;
  ASSERT_EQ(points.size(), 1u + 4096);
  EXPECT_EQ(points[1].y, 100 - (5000 - 4096) % 200 / 2) << "the oldest sample still held";
  EXPECT_EQ(points.back(), (GraphPoint{4095, 100 - 4999 % 200 / 2}));
  EXPECT_EQ(picture.lines[0].label->at.x, 4096);
}

TEST(GraphGeometryTest, VerticalGridLinesMoveLeftAsTheHistoryScrolls) {
  SlotTable<GraphHistory> series;
  GraphHistory& history = *series.Find(series.Add(GraphHistory(0x0000FF)));
  for (int i = 0; i < 150; ++i) history.Push(10);
  std::vector<int> before = LayOut(series, 100).gridColumns;
  EXPECT_EQ(LayOut(series, 100).gridRows.front(), 99);
  EXPECT_EQ(LayOut(series, 100).gridRows.back(), 19);
  for (int step = 0; step < 40; ++step) {
    history.Push(10);
    const std::vector<int> after = LayOut(series, 100).gridColumns;
    for (int x : before) {
      if (x - 1 <= 0) continue;  // scrolled out at the left
      EXPECT_NE(std::find(after.begin(), after.end(), x - 1), after.end()) << "step " << step;
    }
    for (std::size_t i = 1; i < after.size(); ++i) EXPECT_EQ(after[i] - after[i - 1], 20);
    before = after;
  }
}

TEST(GraphGeometryTest, APictureIsMovedOnlyWhenEverySeriesWasFullAndMovedAlike) {
  constexpr int kPlot = 200;
  constexpr int kWidth = kPlot + graph_layout::kRightMargin;
  SlotTable<GraphHistory> series;
  series.Add(GraphHistory(0x0000FF));
  series.Add(GraphHistory(0x00FF00));
  for (int i = 0; i < kPlot + 1; ++i) {
    series.Find(0)->Push(i);
    series.Find(1)->Push(2 * i);
  }
  const GraphUpdate moved = PlanGraphUpdate(series, {1, 1}, kWidth);
  EXPECT_EQ(moved.shift, 1);
  EXPECT_EQ(moved.redrawFrom, kPlot - 2) << "the new column and the one its line reaches into";
  EXPECT_EQ(PlanGraphUpdate(series, {1, 0}, kWidth).shift, 0) << "one series stood still";
  EXPECT_EQ(PlanGraphUpdate(series, {2, 2}, kWidth).shift, 0) << "not full before the two";
  EXPECT_EQ(PlanGraphUpdate(series, {1}, kWidth).shift, 0) << "a series without a count";
  EXPECT_FALSE(PlanGraphUpdate(SlotTable<GraphHistory>{}, {}, kWidth).Partial());

  series.Find(1)->Push(0);  // filled only now: everything moved
  series.Add(GraphHistory(0xFF0000));
  series.Find(2)->Push(5);
  EXPECT_FALSE(PlanGraphUpdate(series, {1, 1, 1}, kWidth).Partial()) << "full beside growing";
}

TEST(GraphGeometryTest, LinesThatGrowAreDrawnFromTheFirstNewPoint) {
  SlotTable<GraphHistory> series;
  series.Add(GraphHistory(0x0000FF));
  series.Add(GraphHistory(0x00FF00));
  for (int i = 0; i < 50; ++i) series.Find(0)->Push(i);
  for (int i = 0; i < 80; ++i) series.Find(1)->Push(i);
  const GraphUpdate grown = PlanGraphUpdate(series, {2, 0}, 200 + graph_layout::kRightMargin);
  EXPECT_TRUE(grown.grown);
  EXPECT_EQ(grown.shift, 0);
  EXPECT_EQ(grown.redrawFrom, 47) << "the first new column is 48; its line starts at 47";
  EXPECT_FALSE(PlanGraphUpdate(series, {50, 0}, 280).Partial()) << "from the corner: whole";
}

}  // namespace
}  // namespace vel
