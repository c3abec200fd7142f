// Reports fed from real table cursors.
#include "engine/cursor.h"
#include "reports/address_reports.h"
#include "reports/dataset_source.h"
#include "reports/report_layout.h"
#include "store/catalogue.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace lapiro;

TEST(DataSetSource, AddressListPrintsTheCursorsRecordsInOrder) {
  test::TempDir dir;
  engine::Engine engine;
  engine.setAlias(QStringLiteral("Hase"), dir.path());
  const auto* table = store::findTable(QStringLiteral("Adresse"));
  ASSERT_NE(table, nullptr);
  engine.createTable(table->fileName, store::currentLayout(*table));
  engine::Cursor c(engine);
  c.setTableName(table->fileName);
  c.setIndexName(QStringLiteral("AdrName"));
  c.open();
  for (const char* name : {"Zander", "Müller", "Albers"}) {
    c.append();
    c.field(QStringLiteral("Name")).setString(QString::fromUtf8(name));
    c.field(QStringLiteral("Ort")).setString(QStringLiteral("Köln"));
    c.post();
  }
  c.setFilter(QStringLiteral("Name <> 'Zander'"));
  c.setFiltered(true);
  c.last();
  reports::DataSetSource source(c);
  ASSERT_EQ(source.rowCount(), 2);
  EXPECT_EQ(source.value(0, QStringLiteral("name")).toString(), QStringLiteral("Albers"));
  EXPECT_FALSE(source.value(0, QStringLiteral("GibtEsNicht")).isValid());
  // Reading the rows left the cursor where it was.
  EXPECT_EQ(c.field(QStringLiteral("Name")).asString(), QStringLiteral("Müller"));

  const auto model = reports::layoutReport(reports::TReportAdressliste(), source, QDate(2026, 12, 9));
  ASSERT_GE(model.pageCount(), 1);
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Albers")));
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Müller")));
  EXPECT_FALSE(model.pages[0].containsText(QStringLiteral("Zander")));
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Anzahl Adressen: 2")));
}
