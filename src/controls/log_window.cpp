#include "controls/log_window.h"

#include <QStringList>
#include <QVBoxLayout>
#include <string>

#include "controls/object_names.h"

namespace vel {

CLogDlg::CLogDlg(QWidget* parent)
    : QDialog(parent), binding_(QueueBinding::Role::kLog, queue_), list_(new QListWidget(this)) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("로그"));
  setModal(false);
  list_->setObjectName(ControlObjectName(kListId));
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Lines are never removed; equal heights keep a long log quick.
  list_->setUniformItemSizes(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  resize(640, 360);
  connect(&drainTimer_, &QTimer::timeout, this, &CLogDlg::DrainLog);
  drainTimer_.start(kDrainMs);
}

void CLogDlg::DrainLog() {
  // Only what is queued now: lines pushed meanwhile wait for the next tick,
  // so a flood of them cannot hold the window.
  QStringList lines;
  std::string line;
  for (std::size_t queued = queue_.Size(); queued > 0 && queue_.TryPop(line); --queued) {
    lines.append(QString::fromStdString(line));
  }
  if (lines.isEmpty()) return;
  list_->addItems(lines);
  list_->scrollToItem(list_->item(list_->count() - 1), QAbstractItemView::PositionAtTop);
}

}  // namespace vel
