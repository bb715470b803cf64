#pragma once

#include <QDialog>
#include <QLabel>

namespace vel {

// The link line of the about box: the home page's address, underlined,
// blue until it has been clicked and reddish after, with the hand cursor;
// a click opens it in the desktop's browser.
class AboutLink : public QLabel {
 public:
  explicit AboutLink(const QString& address, QWidget* parent = nullptr);
  bool Visited() const { return visited_; }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Colour(std::uint32_t windowsColour);
  bool visited_ = false;
};

// "정보": the program's icon, name and version, a line about it, OK and the
// link to its home page.
class CAboutDlg : public QDialog {
 public:
  static constexpr int kResourceId = 100;
  static constexpr int kLinkId = 1028;
  static constexpr char kHomePage[] = "https://vel-studio.example.org";

  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace vel
