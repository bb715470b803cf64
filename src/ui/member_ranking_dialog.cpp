#include "ui/member_ranking_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>

#include "common/room.h"
#include "controls/object_names.h"
#include "ui/dialog_font.h"

namespace vel {
namespace {

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(Qt::AlignCenter);
  return item;
}

// A report list with grid lines and whole rows selected.
QTableWidget* MakeTable(RankingType type, QWidget* parent) {
  auto* table = new QTableWidget(0, RankingTables::kColumns, parent);
  table->setShowGrid(true);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  table->horizontalHeader()->setHighlightSections(false);
  QStringList headers;
  for (const char* header : RankingTables::Headers(type)) headers << QString::fromUtf8(header);
  table->setHorizontalHeaderLabels(headers);
  return table;
}

void Fill(QTableWidget* table, const std::vector<TeamRoster::RankingRow>& rows) {
  table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < table->rowCount(); ++r) {
    const TeamRoster::RankingRow& row = rows[static_cast<std::size_t>(r)];
    table->setItem(r, 0, Cell(QString::number(row.rank)));
    table->setItem(r, 1, Cell(QString::fromStdString(row.teamName)));
    table->setItem(r, 2, Cell(QString::fromStdString(row.memberName)));
    table->setItem(r, 3, Cell(QString::fromStdString(row.score)));
  }
}

// Columns as wide as their header or their widest cell; the table as wide
// as its columns with room for a scroll bar, and tall enough for a room's
// riders.
void FitColumns(QTableWidget* table) {
  table->resizeColumnsToContents();
  const int frames = 2 * table->frameWidth();
  table->setMinimumWidth(table->horizontalHeader()->length() + frames +
                         table->verticalScrollBar()->sizeHint().width());
  table->setMinimumHeight(table->horizontalHeader()->sizeHint().height() + frames +
                          kRiderPanels * table->verticalHeader()->defaultSectionSize());
}

}  // namespace

CMemberRankingDlg::CMemberRankingDlg(TeamRoster& roster, QWidget* parent) : QDialog(parent) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("멤버랭킹"));
  setModal(false);
  setFont(DialogFont());
  auto* layout = new QHBoxLayout(this);
  for (int number = 0; number < kRankingTypes; ++number) {
    const TableIds& ids = kTables[static_cast<std::size_t>(number)];
    auto* group = new QGroupBox(QString::fromUtf8(ids.caption), this);
    QTableWidget* table = MakeTable(*ToRankingType(number), group);
    table->setObjectName(ControlObjectName(ids.table));
    auto* refresh = new QPushButton(QStringLiteral("최신화"), group);
    refresh->setObjectName(ControlObjectName(ids.refresh));
    refresh->setEnabled(false);
    refresh->setAutoDefault(false);
    auto* column = new QVBoxLayout(group);
    column->addWidget(table, 1);
    column->addWidget(refresh, 0, Qt::AlignRight);
    layout->addWidget(group);
    tables_[static_cast<std::size_t>(number)] = table;
  }
  const RankingTables loaded = RankingTables::Load(roster);
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    Fill(tables_[i], loaded.rows[i]);
    FitColumns(tables_[i]);
  }
}

}  // namespace vel
