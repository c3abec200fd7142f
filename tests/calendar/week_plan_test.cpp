// The printed week plan: the open tasks of seven days, one line each, overdue ones included,
// done and later ones left out; laid out on A4 and written as a PDF.
#include "breeding/week_plan_report.h"

#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "support/temp_dir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace lapiro;
using namespace lapiro::breeding;

TEST(WeekPlan, OneLinePerOpenTaskOfTheWeekOnAnA4Page) {
  const QDate today(2025, 6, 11);
  auto task = [](const QDate& day, const char16_t* title, const char16_t* animal, bool done = false) {
    CalendarTask t;
    t.day = t.plannedDay = day;
    t.title = QString::fromUtf16(title);
    t.animalText = QString::fromUtf16(animal);
    t.done = done;
    return t;
  };
  const std::vector<CalendarTask> tasks{task(today.addDays(-2), u"Wurf überfällig", u"H1 1.1.1 Berta"),
                                        task(today, u"Absetzen", u"H2 2.2.2", true),
                                        task(today.addDays(6), u"Nestkiste einstellen", u"H3 3.3.3 (Stall 4)"),
                                        task(today.addDays(7), u"Tätowieren", u"H4 4.4.4")};
  const reports::MemoryDataSource rows = TReportWochenplan::rows(tasks, today);
  ASSERT_EQ(rows.rowCount(), 2);
  EXPECT_EQ(rows.value(0, QStringLiteral("Aufgabe")).toString(), QStringLiteral("Wurf überfällig"));
  EXPECT_EQ(rows.value(0, QStringLiteral("Datum")).toString(), QStringLiteral("Mo. 09.06."));
  EXPECT_EQ(rows.value(1, QStringLiteral("Tier")).toString(), QStringLiteral("H3 3.3.3 (Stall 4)"));

  const TReportWochenplan report(today);
  const reports::PageModel model = reports::layoutReport(report, rows, today);
  ASSERT_EQ(model.pages.size(), 1u);
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Wochenplan vom 11.06.2025 bis 17.06.2025")));
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Nestkiste einstellen")));
  EXPECT_FALSE(model.pages[0].containsText(QStringLiteral("Tätowieren")));

  test::TempDir dir;
  const QString pdf = qEnvironmentVariableIsEmpty("LAPIRO_REPORT_PDF_DIR")
                          ? dir.file(QStringLiteral("wochenplan.pdf"))
                          : qEnvironmentVariable("LAPIRO_REPORT_PDF_DIR") + QStringLiteral("/wochenplan.pdf");
  ASSERT_TRUE(reports::renderToPdf(model, pdf));
  EXPECT_GT(QFileInfo(pdf).size(), 1000);
}
