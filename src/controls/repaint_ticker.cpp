#include "controls/repaint_ticker.h"

#include <QCoreApplication>
#include <cstdlib>

#include "common/verify.h"

namespace vel {

RepaintTicker& RepaintTicker::Of(int periodMs) {
  QCoreApplication* application = QCoreApplication::instance();
  // Drawn controls exist only under an application object.
  VEL_VERIFY_OR_DEBUG_ASSERT(application != nullptr) { std::abort(); }
  const QString name = QStringLiteral("vel-repaint-ticker-%1").arg(periodMs);
  if (auto* ticker = application->findChild<RepaintTicker*>(name, Qt::FindDirectChildrenOnly)) {
    return *ticker;
  }
  auto* ticker = new RepaintTicker(periodMs);
  ticker->setObjectName(name);
  ticker->setParent(application);
  return *ticker;
}

RepaintTicker::RepaintTicker(int periodMs) { timer_.setInterval(periodMs); }

void RepaintTicker::Join(QObject* control, std::function<void()> tick) {
  connect(&timer_, &QTimer::timeout, control, std::move(tick));
  connect(control, &QObject::destroyed, this, &RepaintTicker::Leave);
  if (members_++ == 0) timer_.start();
}

void RepaintTicker::Leave() {
  if (--members_ == 0) timer_.stop();
}

}  // namespace vel
