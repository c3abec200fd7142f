#include "support/page_reference.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/safe_write.h"
#include "reports/page_model.h"
#include "reports/report_renderer.h"

namespace lapiro::test {

namespace {

bool writeText(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QString error;
  return core::writeFileSafely(path, text.toUtf8(), &error);
}

}  // namespace

void expectMatchesReference(const reports::PageModel& model, const QString& reference) {
  const QString base = QString::fromUtf8(LAPIRO_TESTS_SOURCE_DIR) + u'/' + reference;
  const QString path = base + QStringLiteral(".txt");
  const QString actualPath = base + QStringLiteral(".actual.txt");
  const QString actual = model.dump();
  if (qEnvironmentVariableIsSet("LAPIRO_UPDATE_REFERENCES")) {
    ASSERT_TRUE(writeText(path, actual)) << "cannot write " << path.toStdString();
    QFile::remove(actualPath);
    return;
  }
  QFile in(path);
  const bool found = in.open(QIODevice::ReadOnly);
  const QString expected = found ? QString::fromUtf8(in.readAll()) : QString();
  if (found && expected == actual) {
    QFile::remove(actualPath);  // a leftover of an earlier failure
    return;
  }
  const bool kept = writeText(actualPath, actual);
  const std::string hint = kept ? "the actual page model is in " + actualPath.toStdString() +
                                      "; if the change is deliberate, copy it over the reference"
                                : "the actual page model could not be written to " + actualPath.toStdString();
  ASSERT_TRUE(found) << "missing reference " << path.toStdString() << "; " << hint;
  EXPECT_EQ(actual.toStdString(), expected.toStdString()) << hint;
}

void writePdfForInspection(const reports::PageModel& model, const QString& name) {
  const QString dir = qEnvironmentVariable("LAPIRO_REPORT_PDF_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  reports::renderToPdf(model, QDir(dir).filePath(name + QStringLiteral(".pdf")));
}

}  // namespace lapiro::test
