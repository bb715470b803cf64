#pragma once

#include <QFont>

namespace vel {

// The font of the team windows' labels, edits, buttons and lists: the
// program's Korean font at the size of an ordinary dialog's text.
QFont DialogFont();

}  // namespace vel
