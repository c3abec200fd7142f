#include "support/stock_fixture.h"

#include "support/table_rows.h"

#include "engine/cursor.h"
#include "store/catalogue.h"

namespace lapiro::test {

StockDirectory::StockDirectory(std::initializer_list<int> messageNumbers) {
  engine.setAlias(QStringLiteral("Hase"), dir.path());
  for (const store::CatalogueTable& t : store::catalogue())
    if (t.origin == store::CatalogueTable::Origin::Installer) engine.createTable(t.fileName, store::currentLayout(t));
  for (int n : messageNumbers)
    add(QStringLiteral("Sprmel.db"), {{QStringLiteral("Nummer"), n}, {QStringLiteral("Meldung"), message(n)}});
  add(QStringLiteral("eigen.DB"), {{QStringLiteral("Name"), QStringLiteral("Sommer")},
                                   {QStringLiteral("Vorname"), QStringLiteral("Jörg")},
                                   {QStringLiteral("Strasse"), QStringLiteral("Lindenweg 3")},
                                   {QStringLiteral("Plz"), QStringLiteral("34117")},
                                   {QStringLiteral("Ort"), QStringLiteral("Kassel")}});
  messages = std::make_unique<store::MessageCatalogue>(engine);
  messages->open();
  store::setMessageCatalogue(messages.get());
}

StockDirectory::~StockDirectory() { store::setMessageCatalogue(nullptr); }

QString StockDirectory::message(int n) { return QStringLiteral("Meldung %1").arg(n); }

qint64 StockDirectory::add(const QString& table, const QVariantMap& values) { return addRow(engine, table, values); }

qint64 StockDirectory::animal(const QString& rechts, const QString& links, const QVariantMap& more) {
  QVariantMap v = more;
  v.insert(QStringLiteral("TatoRechts"), rechts);
  v.insert(QStringLiteral("TatoLinks"), links);
  if (!v.contains(QStringLiteral("Geschlecht"))) v.insert(QStringLiteral("Geschlecht"), QStringLiteral("2"));
  return add(QStringLiteral("Hasen.db"), v);
}

QVariant StockDirectory::stored(const QString& table, qint64 key, const QString& field) {
  return storedValue(engine, table, key, field);
}

qint64 StockDirectory::rowCount(const QString& table) { return countRows(engine, table); }

}  // namespace lapiro::test
