#include "controls/graph.h"

#include <gtest/gtest.h>

#include "controls/pixels.h"

namespace vel {
namespace {

using test::CountOf;
using test::Grab;

constexpr std::uint32_t kRed = 0x0000FF;  // as the core names it
constexpr QRgb kRedPixel = 0xFF0000;

// A graph with a 200 x 100 plot, one red series of `samples` copies of
// `value`.
QImage Draw(int samples, int value) {
  CGraph graph;
  graph.resize(280, 140);
  const int series = graph.AddSeries(kRed);
  for (int i = 0; i < samples; ++i) graph.PushSample(series, value);
  return Grab(graph);
}

TEST(GraphTest, AnEmptySeriesDrawsOnlyTheGrid) {
  const QImage image = Draw(0, 0);
  EXPECT_EQ(CountOf(image, image.rect(), kRedPixel), 0);
  EXPECT_EQ(test::Row(image, 99).substr(0, 200), std::string(200, 'G')) << "bottom grid line";
  EXPECT_EQ(test::Column(image, 20).substr(0, 100), std::string(100, 'G'));
}

TEST(GraphTest, ALastZeroRunsAlongTheBottomWithoutLabel) {
  const QImage image = Draw(30, 0);
  EXPECT_EQ(test::Row(image, 99).substr(1, 28), std::string(28, 'R'));
  EXPECT_EQ(test::Row(image, 100).substr(1, 28), std::string(28, 'R'));
  EXPECT_EQ(CountOf(image, QRect(0, 0, 280, 99), kRedPixel), 0);
  EXPECT_EQ(CountOf(image, QRect(32, 0, 248, 140), kRedPixel), 0) << "no label";
}

TEST(GraphTest, NineThousandNineHundredNinetyNineDrawsAtThePlotTopWithItsLabel) {
  const QImage image = Draw(30, 9999);
  EXPECT_EQ(test::Row(image, 0).substr(1, 29), std::string(29, 'R'));
  EXPECT_EQ(CountOf(image, QRect(2, 1, 27, 97), kRedPixel), 0);
  const int label = CountOf(image, QRect(30, 0, 250, 40), kRedPixel);
  EXPECT_GT(label, 100) << "the digits at the top, right of the line's end";
  EXPECT_EQ(CountOf(image, QRect(30, 40, 250, 100), kRedPixel), 0);
}

TEST(GraphTest, ARemovedSeriesLeavesItsIndexToTheNext) {
  CGraph graph;
  EXPECT_EQ(graph.AddSeries(kRed), 0);
  EXPECT_EQ(graph.AddSeries(0x00FF00), 1);
  graph.RemoveSeries(0);
  graph.PushSample(0, 10);  // ignored: the slot is empty
  EXPECT_EQ(graph.AddSeries(0xFF0000), 0);
  EXPECT_EQ(graph.AddSeries(0xFF0000), 2);
}

}  // namespace
}  // namespace vel
