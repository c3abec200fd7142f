#include "shell/ui/program_icon.h"

#include <QFileInfo>
#include <QImageReader>

namespace lapiro::shell::ui {

QIcon programIcon(const QString& dir) {
  QIcon icon;
  for (const int size : kProgramIconSizes) {
    const QString file = dir + QStringLiteral("/lapiro-manager-%1.png").arg(size);
    if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
  }
  const QString svg = dir + QStringLiteral("/lapiro-manager.svg");
  if (QImageReader::supportedImageFormats().contains("svg") && QFileInfo::exists(svg)) icon.addFile(svg);
  return icon;
}

}  // namespace lapiro::shell::ui
