#include "ui/class_results_dialog.h"

#include <QBuffer>
#include <QByteArray>
#include <QVBoxLayout>

#include "common/atomic_file.h"
#include "common/queues.h"
#include "controls/class_results_picture.h"
#include "controls/object_names.h"
#include "ui/dialog_font.h"

namespace vel {

CClassResultsDlg::CClassResultsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("클래스 결과"));
  setModal(false);
  setFont(DialogFont());
  picture_ = new QLabel(this);
  picture_->setObjectName(ControlObjectName(kPictureId));
  picture_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picture_);
}

QImage CClassResultsDlg::ShowResults(const ClassResults& results,
                                     const std::filesystem::path& folder, std::int64_t endedUtcMs,
                                     std::filesystem::path* saved) {
  const QImage image = DrawClassResults(results, kPictureSize);
  picture_->setPixmap(QPixmap::fromImage(image.scaledToWidth(1000, Qt::SmoothTransformation)));
  const std::filesystem::path file = folder / ClassResultsFileName(endedUtcMs);
  QByteArray png;
  QBuffer buffer(&png);
  std::string error = "the picture could not be made";
  const bool drawn = buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG");
  if (drawn && WriteFileAtomically(file,
                                   {reinterpret_cast<const std::uint8_t*>(png.constData()),
                                    static_cast<std::size_t>(png.size())},
                                   0644, &error)) {
    PushLog("Class results saved: " + file.string());
    if (saved) *saved = file;
  } else {
    PushLog("Class results could not be saved as " + file.string() + ": " + error);
    if (saved) saved->clear();
  }
  show();
  raise();
  return image;
}

}  // namespace vel
