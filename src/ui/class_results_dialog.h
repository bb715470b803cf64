#pragma once

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <filesystem>

#include "app/class_results.h"

namespace vel {

// "클래스 결과": the class summary as a picture, which is also kept as a
// PNG (class-YYYYMMDD-hhmm.png) beside the rides.
class CClassResultsDlg : public QDialog {
 public:
  static constexpr int kResourceId = 142;
  static constexpr int kPictureId = 1441;
  static constexpr QSize kPictureSize{1600, 900};

  explicit CClassResultsDlg(QWidget* parent = nullptr);

  // Draws the results, shows them and saves them into `folder`; the
  // picture, and the file (empty when it could not be saved).
  QImage ShowResults(const ClassResults& results, const std::filesystem::path& folder,
                     std::int64_t endedUtcMs, std::filesystem::path* saved = nullptr);

 private:
  QLabel* picture_;
};

}  // namespace vel
