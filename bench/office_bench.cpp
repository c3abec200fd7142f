// The office subsystems: the income and expense statement over 12 months of 50,000 bookings,
// and backup and restore of the demo stock's data directory.
//
// Backup and restore use the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big),
// created with   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
// They work on copies below /tmp/office-bench; the demo stock itself is only read.
#include "bookkeeping/statements.h"
#include "engine/engine.h"
#include "engine/sqlite_util.h"
#include "safety/data_safety.h"
#include "store/catalogue.h"
#include "store/dialog_service.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

namespace {

using namespace lapiro;

QString benchHome() {
  return qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big")
                                                          : qEnvironmentVariable("LAPIRO_BENCH_HOME");
}

// A ledger of two accounts, ten categories and 50,000 bookings over 2025.
struct Ledger {
  QTemporaryDir dir;
  engine::Engine engine;
  Ledger() {
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    for (const char16_t* name : {u"KONTEN.DB", u"BUCHUNG"}) {
      const auto* t = store::findTable(QString::fromUtf16(name));
      engine.createTable(t->fileName, store::currentLayout(*t));
    }
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(engine.resolve(QStringLiteral("KONTEN.DB"))).constData(), &db);
    engine::execSql(db, QStringLiteral("BEGIN"));
    engine::execSql(db, QStringLiteral("INSERT INTO KONTEN (Kontoart, Name, Eroeffnungssaldo) VALUES (1, 'Girokonto', 0), (2, 'Kasse', 0)"));
    for (int c = 0; c < 10; ++c)
      engine::execSql(db, QStringLiteral("INSERT INTO KONTEN (Kontoart, Name, Eroeffnungssaldo, EinAus) VALUES (0, 'Kategorie %1', 0, '%2')")
                              .arg(c)
                              .arg(c % 3 == 0 ? QStringLiteral("Einnahme") : QStringLiteral("Ausgabe")));
    engine::execSql(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
    sqlite3_open(QFile::encodeName(engine.resolve(QStringLiteral("BUCHUNG"))).constData(), &db);
    engine::execSql(db, QStringLiteral("BEGIN"));
    engine::Statement st(db, QStringLiteral("INSERT INTO BUCHUNG (Kontoname, Buchungsdatum, Kategorie, Betrag, Gegenbuchung) VALUES (?, ?, ?, ?, 0)"));
    for (int i = 0; i < 50000; ++i) {
      st.bind(1, qlonglong(1 + i % 2));
      st.bind(2, QDate(2025, 1, 1).addDays(i % 365).toString(Qt::ISODate));
      st.bind(3, QStringLiteral("Kategorie %1").arg(i % 10));
      st.bind(4, qlonglong((i % 7 + 1) * 12345));
      st.step();
      st.reset();
    }
    engine::execSql(db, QStringLiteral("COMMIT"));
    sqlite3_close(db);
  }
};

void BM_IncomeExpense_12Months_50000Bookings(benchmark::State& state) {
  static Ledger ledger;
  const auto period = *bookkeeping::periodOf(1, 12, 2025);
  for (auto _ : state) {
    const auto f = bookkeeping::incomeExpense(ledger.engine, period);
    benchmark::DoNotOptimize(f.incomeTotal);
  }
}
BENCHMARK(BM_IncomeExpense_12Months_50000Bookings)->Unit(benchmark::kMillisecond);

void BM_CategoryStatement_12Months_50000Bookings(benchmark::State& state) {
  static Ledger ledger;
  const auto period = *bookkeeping::periodOf(1, 12, 2025);
  for (auto _ : state) {
    const auto s = bookkeeping::categoryStatement(ledger.engine, QStringLiteral("Kategorie 3"), period);
    benchmark::DoNotOptimize(s.total);
  }
}
BENCHMARK(BM_CategoryStatement_12Months_50000Bookings)->Unit(benchmark::kMillisecond);

void BM_Backup_DemoStock(benchmark::State& state) {
  const QString data = benchHome() + QStringLiteral("/daten");
  if (!QFileInfo(data).isDir()) {
    state.SkipWithError("no demo stock");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    QDir(QStringLiteral("/tmp/office-bench/ziel")).removeRecursively();
    QDir().mkpath(QStringLiteral("/tmp/office-bench/ziel"));
    state.ResumeTiming();
    const auto r = safety::backup(data, QStringLiteral("/tmp/office-bench/ziel"));
    if (!r.failed.isEmpty() || !r.refusal.isEmpty()) state.SkipWithError(r.summary().toUtf8().constData());
  }
}
BENCHMARK(BM_Backup_DemoStock)->Unit(benchmark::kMillisecond)->Iterations(3);

class YesDialogs : public store::DialogService {
 public:
  store::DialogAnswer show(store::DialogKind, const QString&, store::DialogButtons, const QString&) override {
    return store::DialogAnswer::Yes;
  }
};

void BM_Restore_DemoStock(benchmark::State& state) {
  const QString data = benchHome() + QStringLiteral("/daten");
  if (!QFileInfo(data).isDir()) {
    state.SkipWithError("no demo stock");
    return;
  }
  // A program directory with a copy of the stock, and a backup of it to restore.
  const QString prog = QStringLiteral("/tmp/office-bench/prog"), source = QStringLiteral("/tmp/office-bench/sicherung");
  QDir(prog).removeRecursively();
  QDir(source).removeRecursively();
  QDir().mkpath(prog + QStringLiteral("/daten"));
  QDir().mkpath(source);
  safety::backup(data, prog + QStringLiteral("/daten"));
  safety::backup(data, source);
  YesDialogs yes;
  store::setDialogService(&yes);
  for (auto _ : state) {
    const auto r = safety::restore(safety::SafetyPaths(prog), source, {}, {}, {});
    if (r.status != safety::RestoreStatus::Restored) state.SkipWithError(r.message.toUtf8().constData());
  }
  store::setDialogService(nullptr);
}
BENCHMARK(BM_Restore_DemoStock)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
