#include "controls/graph.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

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

// A picture moved left and drawn only where new must equal one drawn
// whole from the same samples, step after step.
TEST(GraphTest, AMovedPictureEqualsOneDrawnWhole) {
  constexpr std::uint32_t kColours[] = {kRed, 0x00FF00, 0xFFFF00};
  std::vector<std::vector<int>> samples(std::size(kColours));
  const auto value = [](std::size_t s, std::size_t i) {
    return 5 + static_cast<int>((i * 7 * (s + 1)) % 190);  // ramps within the plot
  };
  CGraph graph;
  graph.resize(280, 140);
  for (std::uint32_t colour : kColours) graph.AddSeries(colour);
  const auto push = [&](std::size_t s, int count) {
    for (int n = 0; n < count; ++n) {
      samples[s].push_back(value(s, samples[s].size()));
      graph.PushSample(static_cast<int>(s), samples[s].back());
    }
  };
  for (std::size_t s = 0; s < samples.size(); ++s) push(s, 150);
  Grab(graph);
  // The lines grow in place until the plot (200) is full; then alike steps
  // move the picture and uneven ones draw it whole.
  const std::vector<std::vector<int>> steps = {{1, 0, 2}, {3, 3, 3}, {50, 50, 50}, {1, 1, 1},
                                               {2, 2, 2}, {1, 2, 1}, {3, 3, 3}};
  for (const std::vector<int>& step : steps) {
    for (std::size_t s = 0; s < step.size(); ++s) push(s, step[s]);
    const QImage moved = Grab(graph);
    CGraph whole;
    whole.resize(graph.size());
    for (std::size_t s = 0; s < samples.size(); ++s) {
      const int series = whole.AddSeries(kColours[s]);
      for (int v : samples[s]) whole.PushSample(series, v);
    }
    ASSERT_EQ(moved, Grab(whole)) << "after a step of " << step[0];
  }
}

}  // namespace
}  // namespace vel
