#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <array>

#include "app/ranking_tables.h"
#include "team/team_roster.h"

namespace vel {

// "멤버랭킹": the best speeds, cadences and heart rates the server keeps,
// each table with rank, team, member and score. The main window makes it
// once, hidden; the tables are asked for then and never again, so the
// "최신화" buttons stay disabled.
class CMemberRankingDlg : public QDialog {
 public:
  static constexpr int kResourceId = 134;
  // The table and the refresh button of each ranking type, in type order.
  struct TableIds {
    const char* caption;
    int table;
    int refresh;
  };
  static constexpr std::array<TableIds, kRankingTypes> kTables = {{
      {"최대 속도", 1031, 1051},
      {"최대 케이던스", 1029, 1052},
      {"최대 심박", 1030, 1053},
  }};

  explicit CMemberRankingDlg(TeamRoster& roster, QWidget* parent = nullptr);

 private:
  std::array<QTableWidget*, kRankingTypes> tables_{};
};

}  // namespace vel
