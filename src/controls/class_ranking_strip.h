#pragma once

#include <QWidget>
#include <vector>

#include "app/class_ranking.h"

namespace vel {

// The class's ranking across the top of the class screen: a cell a rider,
// place and name above the value ranked by, best first.
class CClassRankingStrip : public QWidget {
 public:
  explicit CClassRankingStrip(QWidget* parent = nullptr);
  void Show(std::vector<RankedRider> ranked, RankBy by);
  const std::vector<RankedRider>& Shown() const { return ranked_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<RankedRider> ranked_;
  RankBy by_ = RankBy::kDistance;
};

}  // namespace vel
