#pragma once

#include <QString>

namespace vel {

// Dialogs and controls keep their resource ids as object names, so that
// tests and accessibility tools find them: control 1000 is "ctl1000",
// dialog 133 "dlg133".
inline QString ControlObjectName(int id) { return QStringLiteral("ctl%1").arg(id); }
inline QString DialogObjectName(int id) { return QStringLiteral("dlg%1").arg(id); }

}  // namespace vel
