// The program's icon for its windows.
#pragma once

#include <QIcon>
#include <QString>

namespace lapiro::shell::ui {

// The pixel sizes the icon is drawn in, as lapiro-manager-<size>.png.
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon made of the PNG sizes in `dir` (the program's resources ":/icons" by default), so
// that it shows without an SVG image plugin; the scalable lapiro-manager.svg is added only
// where Qt can read SVG. Sizes missing from `dir` are left out.
QIcon programIcon(const QString& dir = QStringLiteral(":/icons"));

}  // namespace lapiro::shell::ui
