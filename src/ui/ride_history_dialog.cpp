#include "ui/ride_history_dialog.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <set>

#include "controls/object_names.h"
#include "ui/dialog_font.h"

namespace vel {
namespace {

constexpr char kAll[] = "전체";
constexpr char kUnreadable[] = "라이딩 기록을 읽지 못했습니다.";

template <typename W>
W* Named(W* widget, int id) {
  widget->setObjectName(ControlObjectName(id));
  return widget;
}

std::filesystem::path AskFolder(QWidget* parent) {
  const QString folder =
      QFileDialog::getExistingDirectory(parent, QStringLiteral("내보낼 폴더"), QString());
  return folder.isEmpty() ? std::filesystem::path() : std::filesystem::path(folder.toStdString());
}

bool AskYesNo(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VEL"), QString::fromStdString(text),
                  QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("예"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("아니오"), QMessageBox::NoRole);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace

CRideHistoryDlg::CRideHistoryDlg(std::filesystem::path storeFile, MessageBox& messages,
                                 Asking asking, QWidget* parent)
    : QDialog(parent),
      history_(std::move(storeFile)),
      messages_(messages),
      asking_(std::move(asking)) {
  if (!asking_.folder) asking_.folder = [this] { return AskFolder(this); };
  if (!asking_.question)
    asking_.question = [this](const std::string& text) { return AskYesNo(this, text); };
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("라이딩 기록"));
  setModal(false);
  setFont(DialogFont());

  filter_ = Named(new QComboBox(this), kMemberFilterId);
  filter_->setMinimumContentsLength(12);
  auto* filterLine = new QHBoxLayout;
  filterLine->addWidget(new QLabel(QStringLiteral("멤버 :"), this));
  filterLine->addWidget(filter_);
  filterLine->addStretch(1);

  rides_ = Named(new QTableWidget(0, RideHistory::kColumns, this), kRidesId);
  rides_->setSelectionBehavior(QAbstractItemView::SelectRows);
  rides_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  rides_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rides_->verticalHeader()->hide();
  rides_->horizontalHeader()->setHighlightSections(false);
  rides_->horizontalHeader()->setStretchLastSection(true);
  QStringList headers;
  for (const char* title : RideHistory::kColumnTitles) headers << QString::fromUtf8(title);
  rides_->setHorizontalHeaderLabels(headers);

  auto* summaryBox = new QGroupBox(QStringLiteral("요약"), this);
  summary_ = Named(new QWidget(summaryBox), kSummaryId);
  summaryGrid_ = new QGridLayout(summary_);
  summaryGrid_->setContentsMargins(0, 0, 0, 0);
  auto* summaryLayout = new QVBoxLayout(summaryBox);
  summaryLayout->addWidget(summary_);
  summaryLayout->addStretch(1);

  graph_ = Named(new CRideGraph(this), kGraphId);
  exportFit_ = Named(new QPushButton(QStringLiteral("FIT로 내보내기"), this), kExportFitId);
  exportCsv_ = Named(new QPushButton(QStringLiteral("CSV로 내보내기"), this), kExportCsvId);
  delete_ = Named(new QPushButton(QStringLiteral("삭제"), this), kDeleteId);
  for (QPushButton* button : {exportFit_, exportCsv_, delete_}) button->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(exportFit_);
  buttons->addWidget(exportCsv_);
  buttons->addWidget(delete_);

  auto* below = new QHBoxLayout;
  below->addWidget(summaryBox);
  below->addWidget(graph_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filterLine);
  layout->addWidget(rides_, 1);
  layout->addLayout(below, 1);
  layout->addLayout(buttons);
  resize(980, 640);

  connect(filter_, &QComboBox::currentIndexChanged, this, [this] {
    const QVariant member = filter_->currentData();
    history_.Filter(member.isValid() ? std::optional<std::uint64_t>(member.toULongLong())
                                     : std::nullopt);
    history_.Refresh();
    ShowRides();
  });
  connect(rides_, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelected(); });
  connect(exportFit_, &QPushButton::clicked, this, [this] { Export(RideFileFormat::kFit); });
  connect(exportCsv_, &QPushButton::clicked, this, [this] { Export(RideFileFormat::kCsv); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteSelected(); });
  ShowSelected();
}

void CRideHistoryDlg::showEvent(QShowEvent* event) {
  Refresh();
  QDialog::showEvent(event);
}

void CRideHistoryDlg::Refresh() {
  if (!history_.Refresh()) messages_.Show(kUnreadable);
  const QVariant chosen = filter_->currentData();
  {
    const QSignalBlocker quiet(filter_);
    filter_->clear();
    filter_->addItem(QString::fromUtf8(kAll));
    for (const auto& [id, name] : history_.Members()) {
      filter_->addItem(QString::fromStdString(name), QVariant::fromValue<qulonglong>(id));
    }
    const int again = chosen.isValid() ? filter_->findData(chosen) : 0;
    filter_->setCurrentIndex(again < 0 ? 0 : again);
  }
  if (filter_->currentIndex() == 0) history_.Filter(std::nullopt);
  history_.Refresh();
  ShowRides();
}

void CRideHistoryDlg::ShowRides() {
  const std::vector<std::int64_t> kept = SelectedIds();
  const QSignalBlocker quiet(rides_);
  rides_->clearSelection();
  rides_->setRowCount(static_cast<int>(history_.Rides().size()));
  for (int row = 0; row < rides_->rowCount(); ++row) {
    const RideListing& ride = history_.Rides()[static_cast<std::size_t>(row)];
    const auto texts = RideHistory::RowTexts(ride);
    for (int column = 0; column < RideHistory::kColumns; ++column) {
      auto* item =
          new QTableWidgetItem(QString::fromStdString(texts[static_cast<std::size_t>(column)]));
      item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(ride.id));
      item->setTextAlignment(column <= 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                         : Qt::AlignRight | Qt::AlignVCenter);
      rides_->setItem(row, column, item);
    }
    if (std::find(kept.begin(), kept.end(), ride.id) != kept.end()) rides_->selectRow(row);
  }
  rides_->resizeColumnsToContents();
  ShowSelected();
}

std::vector<std::int64_t> CRideHistoryDlg::SelectedIds() const {
  std::set<int> rows;
  for (const QModelIndex& index : rides_->selectionModel()->selectedRows())
    rows.insert(index.row());
  std::vector<std::int64_t> ids;
  for (const int row : rows) {
    if (const QTableWidgetItem* item = rides_->item(row, 0)) {
      ids.push_back(item->data(Qt::UserRole).toLongLong());
    }
  }
  return ids;
}

void CRideHistoryDlg::ShowSelected() {
  while (QLayoutItem* item = summaryGrid_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  const std::vector<std::int64_t> ids = SelectedIds();
  for (QPushButton* button : {exportFit_, exportCsv_, delete_}) button->setEnabled(!ids.empty());
  const auto selected = ids.size() == 1 ? history_.Load(ids.front()) : std::nullopt;
  if (!selected) {
    graph_->Clear();
    const char* hint = history_.Rides().empty() ? "아직 기록이 없습니다."
                       : ids.empty()            ? "기록을 고르세요."
                                                : "기록 하나를 고르면 요약을 봅니다.";
    Add(new QLabel(QString::fromUtf8(hint), summary_), 0, 0);
    return;
  }
  int row = 0;
  for (const auto& [label, value] : RideHistory::SummaryLines(selected->summary)) {
    Add(new QLabel(QString::fromStdString(label + " :"), summary_), row, 0);
    auto* shown = new QLabel(QString::fromStdString(value), summary_);
    shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Add(shown, row++, 1);
  }
  graph_->SetRide(selected->stored.ride);
}

void CRideHistoryDlg::Add(QLabel* label, int row, int column) {
  summaryGrid_->addWidget(label, row, column);
  // Made after the window was shown: a label shows only when told.
  label->show();
}

void CRideHistoryDlg::Export(RideFileFormat format) {
  const std::vector<std::int64_t> ids = SelectedIds();
  if (ids.empty()) return;
  const std::filesystem::path folder = asking_.folder();
  if (folder.empty()) return;  // the user changed their mind
  messages_.Show(RideHistory::ExportMessage(history_.Export(ids, format, folder), folder));
}

void CRideHistoryDlg::DeleteSelected() {
  const std::vector<std::int64_t> ids = SelectedIds();
  if (ids.empty() || !asking_.question(RideHistory::DeleteQuestion(ids.size()))) return;
  if (!history_.Delete(ids)) messages_.Show(kUnreadable);
  Refresh();
}

}  // namespace vel
