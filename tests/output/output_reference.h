// Reference files of page models for the printout tests: tests/output/reference/<name>.txt.
// Run with LAPIRO_UPDATE_REFERENCES=1 to rewrite them after a deliberate layout change, and
// with LAPIRO_REPORT_PDF_DIR=<dir> to write the printouts as PDF for looking at them.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "reports/page_model.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"

namespace lapiro::test {

inline void writePdfForInspection(const reports::PageModel& model, const QString& name) {
  const QString dir = qEnvironmentVariable("LAPIRO_REPORT_PDF_DIR");
  if (!dir.isEmpty()) reports::renderToPdf(model, QDir(dir).filePath(name + QStringLiteral(".pdf")));
}

inline void expectMatchesReference(const reports::PageModel& model, const QString& name) {
  const QString path = QString::fromUtf8(LAPIRO_TESTS_SOURCE_DIR) + QStringLiteral("/output/reference/") +
                       name + QStringLiteral(".txt");
  const QString actual = model.dump();
  if (qEnvironmentVariableIsSet("LAPIRO_UPDATE_REFERENCES")) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(actual.toUtf8());
    return;
  }
  QFile in(path);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << "missing reference " << path.toStdString();
  EXPECT_EQ(actual.toStdString(), QString::fromUtf8(in.readAll()).toStdString());
}

}  // namespace lapiro::test
