// The window icon: made of the PNG sizes, so that it shows where Qt has no SVG image plugin.
#include "shell/ui/program_icon.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

using lapiro::shell::ui::kProgramIconSizes;
using lapiro::shell::ui::programIcon;

namespace {

QString dataDir() { return QDir::cleanPath(QString::fromUtf8(LAPIRO_TESTS_SOURCE_DIR) + QStringLiteral("/../data")); }

}  // namespace

TEST(ProgramIcon, EverySizeIsAPngOfThatSizeAndInTheResources) {
  QFile qrc(dataDir() + QStringLiteral("/lapiro.qrc"));
  ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
  const QString resources = QString::fromUtf8(qrc.readAll());
  for (const int size : kProgramIconSizes) {
    const QString name = QStringLiteral("lapiro-manager-%1.png").arg(size);
    const QImage image(dataDir() + QStringLiteral("/icons/") + name);
    ASSERT_FALSE(image.isNull()) << name.toStdString();
    EXPECT_EQ(image.size(), QSize(size, size)) << name.toStdString();
    EXPECT_TRUE(resources.contains(QStringLiteral("<file alias=\"%1\">icons/%1</file>").arg(name))) << name.toStdString();
  }
}

TEST(ProgramIcon, HasAPictureInEverySizeWithoutTheSvg) {
  const QIcon icon = programIcon(dataDir() + QStringLiteral("/icons"));
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  for (const int size : kProgramIconSizes) {
    EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_EQ(icon.pixmap(QSize(size, size)).size(), QSize(size, size)) << size;
  }
  // A folder without the files gives an empty icon, which the main window replaces.
  EXPECT_TRUE(programIcon(QStringLiteral("/nonexistent")).isNull());
}
