#include "signin/web_browser.h"

#include <unistd.h>

#include <QCoreApplication>

namespace vel {

WebBrowser::WebBrowser(QWidget* parent) : QWebEngineView(parent) {
  connect(this, &QWebEngineView::loadStarted, this, [this] { loading_ = true; });
  connect(this, &QWebEngineView::loadFinished, this, [this] { loading_ = false; });
}

void WebBrowser::Navigate(const std::string& address) {
  // Busy at once: the load itself starts a little later, and the sign-in
  // polls as soon as it has asked.
  loading_ = true;
  load(QUrl(QString::fromStdString(address)));
}

std::string WebBrowser::CurrentAddress() const { return url().toString().toStdString(); }

void PrepareWebEngine() {
  if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace vel
