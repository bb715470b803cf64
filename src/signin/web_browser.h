#pragma once

#include <QWebEngineView>

#include "app/browser.h"

namespace vel {

// The sign-in's embedded browser: a Qt WebEngine view that the login
// window fills and the sign-in polls.
class WebBrowser : public QWebEngineView, public Browser {
 public:
  explicit WebBrowser(QWidget* parent = nullptr);

  void Navigate(const std::string& address) override;
  bool Busy() const override { return loading_; }
  std::string CurrentAddress() const override;

 private:
  bool loading_ = false;
};

// Qt WebEngine's needs before the application object exists. Its sandbox
// cannot start for root (containers, build machines), so only there it is
// switched off; every other user keeps it.
void PrepareWebEngine();

}  // namespace vel
