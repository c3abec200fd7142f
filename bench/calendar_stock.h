// The stock the breeding calendar's benchmarks share: a copy of the 100,000-animal demo stock
// ($LAPIRO_BENCH_HOME/daten, see bench_stock.h) in $LAPIRO_BENCH_HOME/calendar-bench, topped up
// once to 2,000 open matings and 5,000 litters of the last year.
#pragma once

#include "bench_stock.h"

#include "engine/engine.h"
#include "engine/query.h"
#include "installer/installer.h"

#include <QDate>
#include <QDir>

#include <algorithm>

namespace lapiro::bench {

inline constexpr int kOpenMatings = 2000;
inline constexpr int kLittersOfTheYear = 5000;

struct CalendarStock {
  engine::Engine engine;
  QDate today = QDate::currentDate();
  bool ok = false;
  qint64 matings = 0, litters = 0;

  CalendarStock() {
    const QString copy = envOr("LAPIRO_BENCH_HOME", QStringLiteral("/tmp/lapiro-big")) + QStringLiteral("/calendar-bench");
    if (!QDir(copy).exists() && !copyDataFiles(bigStockData(), copy)) return;
    engine.setAlias(QStringLiteral("Hase"), copy);
    // A stock made by an older installer lacks the vaccines' repeat interval.
    if (!engine.tableDef(QStringLiteral("APOTHEKE")).field(QStringLiteral("WiederholungMonate")))
      engine.execute(QStringLiteral("ALTER TABLE \"APOTHEKE.db\" ADD WiederholungMonate SMALLINT"));
    matings = countOf(QStringLiteral("SELECT count(*) AS n FROM \"Wurfbuch.DB\" WHERE Wurftag IS NULL AND "
                                     "Decktermin >= date(:heute, '-40 days')"));
    litters = countOf(QStringLiteral("SELECT count(*) AS n FROM \"Wurfbuch.DB\" WHERE Wurftag >= date(:heute, '-365 days')"));
    // Does of the stock, picked evenly.
    engine::Query does(engine, QStringLiteral("Haesinnen"));
    does.setSql(QStringLiteral("SELECT Nummer FROM \"Hasen.db\" WHERE Geschlecht = '2'"));
    does.open();
    const auto rows = does.readRows(0, static_cast<int>(does.recordCount()));
    if (rows.empty()) return;
    installer::TableLoader loader(engine, QStringLiteral("Wurfbuch.DB"));
    for (qint64 i = matings; i < kOpenMatings; ++i)
      loader.insert(QVariantMap{{QStringLiteral("Katze"), rows[static_cast<size_t>(i * 7919) % rows.size()][0]},
                                {QStringLiteral("Decktermin"), today.addDays(-(i % 40))}});
    for (qint64 i = litters; i < kLittersOfTheYear; ++i) {
      const QDate born = today.addDays(-(i % 365));
      loader.insert(QVariantMap{{QStringLiteral("Katze"), rows[static_cast<size_t>(i * 104729) % rows.size()][0]},
                                {QStringLiteral("Decktermin"), born.addDays(-31)},
                                {QStringLiteral("Wurftag"), born}});
    }
    loader.commit();
    matings = std::max<qint64>(matings, kOpenMatings);
    litters = std::max<qint64>(litters, kLittersOfTheYear);
    ok = true;
  }

 private:
  qint64 countOf(const QString& sql) {
    engine::Query q(engine, QStringLiteral("Zaehlen"));
    q.setSql(sql);
    q.setParam(QStringLiteral("heute"), today);
    q.open();
    return q.field(QStringLiteral("n")).asInteger();
  }
};

}  // namespace lapiro::bench
