// Table engine against raw SQLite on a table of 1,000,000 animals.
//
// Every engine benchmark has a twin "Raw_" benchmark that does the same work with a prepared
// statement on its own sqlite3 connection to the same file, reading the same columns. The
// ratio of the two is the engine's overhead.
//
// The table is built once and kept in $LAPIRO_BENCH_DIR (default /tmp/lapiro-bench/engine)
// so later runs start at once; a file with the wrong layout or row count is rebuilt. The
// file is built under a temporary name and renamed into place when complete, so a run that
// is killed half-way leaves nothing that a later run would trust.
//
// Run: engine_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include "engine/cursor.h"
#include "engine/engine.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lapiro::engine;

namespace {

constexpr qint64 kRows = 1'000'000;
constexpr int kLayoutVersion = 3;       // PRAGMA user_version of a complete bench file
constexpr int kStepsPerPosition = 5000;  // steps before a stepping benchmark goes back to the middle

// ---------------------------------------------------------------- raw SQLite helpers

void check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
    throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
}

sqlite3_stmt* prepare(sqlite3* db, const QString& sql) {
  sqlite3_stmt* st = nullptr;
  const QByteArray utf8 = sql.toUtf8();
  check(sqlite3_prepare_v3(db, utf8.constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr), db,
        utf8.constData());
  return st;
}

void exec(sqlite3* db, const char* sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); }

void bindText(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_text(st, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

std::string textAt(sqlite3_stmt* st, int col) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
  return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(st, col))) : std::string();
}

// Owns a prepared statement of the raw connection.
struct RawStmt {
  sqlite3_stmt* st = nullptr;
  RawStmt() = default;
  RawStmt(sqlite3* db, const QString& sql) : st(prepare(db, sql)) {}
  ~RawStmt() { sqlite3_finalize(st); }
  RawStmt(const RawStmt&) = delete;
  RawStmt& operator=(const RawStmt&) = delete;
  operator sqlite3_stmt*() const { return st; }
};

// One record as the raw twin keeps it: every column read out of SQLite, as the engine does.
struct RawRow {
  qint64 rowid = 0;
  qint64 nummer = 0;
  std::string tatoRechts, tatoLinks, geburtstag;
  qint64 mutter = 0, vater = 0, status = 0;
  std::string geschlecht, rasse, farbe, name;
  double gewicht = 0;
  qint64 preis = 0, verkauft = 0;
};

// Reads a row of a statement whose columns are "rowid" followed by kFieldNames.
void readRow(sqlite3_stmt* st, RawRow& r) {
  r.rowid = sqlite3_column_int64(st, 0);
  r.nummer = sqlite3_column_int64(st, 1);
  r.tatoRechts = textAt(st, 2);
  r.tatoLinks = textAt(st, 3);
  r.geburtstag = textAt(st, 4);
  r.mutter = sqlite3_column_int64(st, 5);
  r.vater = sqlite3_column_int64(st, 6);
  r.status = sqlite3_column_int64(st, 7);
  r.geschlecht = textAt(st, 8);
  r.rasse = textAt(st, 9);
  r.farbe = textAt(st, 10);
  r.name = textAt(st, 11);
  r.gewicht = sqlite3_column_double(st, 12);
  r.preis = sqlite3_column_int64(st, 13);
  r.verkauft = sqlite3_column_int64(st, 14);
}

// The layout of the animal table used here: the fields the benchmarks order and filter by,
// plus the usual payload of an animal record.
TableDef hasenLayout() {
  TableDef def;
  def.fields = {
      {QStringLiteral("Nummer"), FieldType::AutoInc, 0, false},
      {QStringLiteral("TatoRechts"), FieldType::Alpha, 8, false},
      {QStringLiteral("TatoLinks"), FieldType::Alpha, 10, false},
      {QStringLiteral("Geburtstag"), FieldType::Date, 0, false},
      {QStringLiteral("Mutter"), FieldType::Long, 0, false},
      {QStringLiteral("Vater"), FieldType::Long, 0, false},
      {QStringLiteral("Status"), FieldType::Short, 0, false},
      {QStringLiteral("Geschlecht"), FieldType::Alpha, 1, false},
      {QStringLiteral("Rasse"), FieldType::Alpha, 30, false},
      {QStringLiteral("Farbe"), FieldType::Alpha, 20, false},
      {QStringLiteral("Name"), FieldType::Alpha, 20, false},
      {QStringLiteral("Gewicht"), FieldType::Number, 0, false},
      {QStringLiteral("Preis"), FieldType::Money, 0, false},
      {QStringLiteral("Verkauft"), FieldType::Logical, 0, false},
  };
  def.indexes.push_back(IndexDef::primaryKey(QStringLiteral("Nummer")));
  def.indexes.push_back(IndexDef::fromList(QStringLiteral("Tato"), QStringLiteral("TatoRechts;TatoLinks;Geburtstag")));
  return def;
}

QString rawSelectList() {
  QStringList cols{QStringLiteral("rowid")};
  for (const FieldDef& f : hasenLayout().fields) cols << u'"' + f.name + u'"';
  return cols.join(QStringLiteral(", "));
}

const QString kTatoOrder = QStringLiteral("TatoRechts, TatoLinks, Geburtstag, rowid");
const QString kTatoOrderDesc = QStringLiteral("TatoRechts DESC, TatoLinks DESC, Geburtstag DESC, rowid DESC");

// Deterministic generator, so every build of the file holds the same records.
struct Lcg {
  std::uint64_t s;
  explicit Lcg(std::uint64_t seed) : s(seed) {}
  std::uint32_t next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(s >> 33);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
};

// True when `path` is a complete bench file of the current layout.
bool usableFile(const QString& path) {
  if (!QFileInfo::exists(path)) return false;
  sqlite3* db = nullptr;
  bool ok = false;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT (SELECT user_version FROM pragma_user_version), "
                           "(SELECT count(*) FROM sqlite_master WHERE name = 'ix_Tato'), "
                           "(SELECT max(rowid) FROM \"Hasen\")",
                           -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      ok = sqlite3_column_int(st, 0) == kLayoutVersion && sqlite3_column_int(st, 1) == 1 &&
           sqlite3_column_int64(st, 2) == kRows;
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return ok;
}

// Creates the table through the engine and fills it through the table's own connection.
void buildFile(const QString& dir) {
  const QString tmpDir = dir + QStringLiteral(".build-%1").arg(::getpid());
  QDir(tmpDir).removeRecursively();
  QDir().mkpath(tmpDir);
  std::fprintf(stderr, "engine_bench: building %lld animals in %s ...\n", static_cast<long long>(kRows),
               qPrintable(dir));
  {
    Engine engine;
    engine.setAlias(QString::fromUtf16(Engine::kDefaultAlias), tmpDir);
    engine.createTable(QStringLiteral("Hasen.db"), hasenLayout());
    Cursor cursor(engine);
    cursor.setTableName(QStringLiteral("Hasen.db"));
    cursor.open();
    sqlite3* db = cursor.table()->db();
    exec(db, "PRAGMA cache_size=-262144");  // the index is filled in random order
    exec(db, "BEGIN");
    RawStmt ins(db, QStringLiteral("INSERT INTO \"Hasen\" (TatoRechts, TatoLinks, Geburtstag, Mutter, Vater, Status, "
                                   "Geschlecht, Rasse, Farbe, Name, Gewicht, Preis, Verkauft) "
                                   "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    static const char* const rassen[] = {"Deutsche Riesen", "Weiße Wiener", "Kleinsilber", "Holländer",
                                         "Rexkaninchen", "Zwergwidder", "Blaue Wiener", "Thüringer",
                                         "Deutsche Widder", "Hermelin", "Satin", "Lohkaninchen"};
    static const char* const farben[] = {"weiß", "schwarz", "blau", "havanna", "grau", "gelb", "rot", "wildfarben"};
    Lcg rng(20240601);
    char buf[64];
    for (qint64 i = 0; i < kRows; ++i) {
      // About 4,000 breeders with ~250 animals each; the left tattoo "month.year.number"
      // repeats now and then within a breeder, so all three index fields matter.
      const int breeder = rng.below(4000);
      const int year = 2015 + rng.below(10);
      const int month = 1 + rng.below(12);
      const int number = 1 + rng.below(60);
      const int day = 1 + rng.below(28);
      std::snprintf(buf, sizeof buf, "%c %d", 'A' + breeder % 26, 1 + breeder / 26);
      bindText(ins, 1, buf);
      std::snprintf(buf, sizeof buf, "%d.%d.%d", month, year % 100, number);
      bindText(ins, 2, buf);
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
      bindText(ins, 3, buf);
      sqlite3_bind_int64(ins, 4, 1 + rng.below(static_cast<int>(kRows)));
      sqlite3_bind_int64(ins, 5, 1 + rng.below(static_cast<int>(kRows)));
      sqlite3_bind_int64(ins, 6, rng.below(5));
      bindText(ins, 7, rng.below(2) ? "1" : "0");
      bindText(ins, 8, rassen[rng.below(12)]);
      bindText(ins, 9, farben[rng.below(8)]);
      std::snprintf(buf, sizeof buf, "Hase %lld", static_cast<long long>(i + 1));
      bindText(ins, 10, buf);
      sqlite3_bind_double(ins, 11, 1.5 + rng.below(5000) / 1000.0);
      sqlite3_bind_int64(ins, 12, static_cast<sqlite3_int64>(rng.below(20000)) * 100);
      sqlite3_bind_int64(ins, 13, rng.below(2));
      check(sqlite3_step(ins), db, "insert");
      sqlite3_reset(ins);
    }
    exec(db, "COMMIT");
    exec(db, ("PRAGMA user_version=" + std::to_string(kLayoutVersion)).c_str());
    exec(db, "PRAGMA cache_size=-2000");
    cursor.close();
  }
  QDir().mkpath(dir);
  QFile::remove(dir + QStringLiteral("/Hasen.db"));
  if (::rename(QFile::encodeName(tmpDir + QStringLiteral("/Hasen.db")).constData(),
               QFile::encodeName(dir + QStringLiteral("/Hasen.db")).constData()) != 0)
    throw std::runtime_error("cannot move the bench table into place");
  QDir(tmpDir).removeRecursively();
  std::fprintf(stderr, "engine_bench: done\n");
}

// A key of the "Tato" order in storage form.
struct TatoKey {
  std::string rechts, links, geburtstag;
  qint64 rowid = 0;
  QVariantList typed() const {
    return {QString::fromStdString(rechts), QString::fromStdString(links),
            QDate::fromString(QString::fromStdString(geburtstag), Qt::ISODate)};
  }
};

// ---------------------------------------------------------------- the shared fixture

struct Fixture {
  QString dir;
  Engine engine;
  std::unique_ptr<Cursor> tato;  // the table in "Tato" order; keeps the table open
  sqlite3* raw = nullptr;        // the raw twin's own connection
  TatoKey middle;                // the record at position kRows / 2 in "Tato" order
  std::vector<TatoKey> samples;  // keys spread over the whole table

  Fixture() {
    const QByteArray env = qgetenv("LAPIRO_BENCH_DIR");
    dir = env.isEmpty() ? QStringLiteral("/tmp/lapiro-bench/engine") : QString::fromLocal8Bit(env);
    const QString file = dir + QStringLiteral("/Hasen.db");
    if (!usableFile(file)) buildFile(dir);
    engine.setAlias(QString::fromUtf16(Engine::kDefaultAlias), dir);
    tato = std::make_unique<Cursor>(engine);
    tato->setTableName(QStringLiteral("Hasen.db"));
    tato->setIndexName(QStringLiteral("Tato"));
    tato->open();

    check(sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                          nullptr),
          raw, "open raw");
    sqlite3_busy_timeout(raw, 3000);

    {
      RawStmt st(raw, QStringLiteral("SELECT TatoRechts, TatoLinks, Geburtstag, rowid FROM \"Hasen\" ORDER BY %1 "
                                     "LIMIT 1 OFFSET %2")
                          .arg(kTatoOrder)
                          .arg(kRows / 2));
      check(sqlite3_step(st), raw, "middle");
      middle = {textAt(st, 0), textAt(st, 1), textAt(st, 2), sqlite3_column_int64(st, 3)};
    }
    {
      // Every 977th key of the order: 1,024 keys from the whole table.
      RawStmt st(raw, QStringLiteral("SELECT TatoRechts, TatoLinks, Geburtstag, rowid FROM \"Hasen\" ORDER BY %1")
                          .arg(kTatoOrder));
      for (qint64 i = 0; sqlite3_step(st) == SQLITE_ROW && samples.size() < 1024; ++i)
        if (i % 977 == 0) samples.push_back({textAt(st, 0), textAt(st, 1), textAt(st, 2), sqlite3_column_int64(st, 3)});
    }
    explain(QStringLiteral("SELECT %1 FROM \"Hasen\" WHERE (TatoRechts, TatoLinks, Geburtstag, rowid) > (?,?,?,?) "
                           "ORDER BY %2 LIMIT 1")
                .arg(rawSelectList(), kTatoOrder));
  }

  ~Fixture() {
    tato.reset();
    sqlite3_close_v2(raw);
  }

  // Puts the query plan of a raw statement on stderr, so a plan without the index shows.
  void explain(const QString& sql) const {
    RawStmt st(raw, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    while (sqlite3_step(st) == SQLITE_ROW) std::fprintf(stderr, "plan: %s\n", textAt(st, 3).c_str());
  }

  void toMiddle(Cursor& c) const {
    if (!c.gotoBookmark(QVariant(middle.rowid))) throw std::runtime_error("middle record missing");
  }
};

Fixture& fx() {
  static Fixture f;
  return f;
}

// Counts the statements the engine runs on the table's connection while `work` runs.
template <typename Work>
double statementsPer(Cursor& c, int times, Work work) {
  static int counted = 0;
  counted = 0;
  sqlite3* db = c.table()->db();
  sqlite3_trace_v2(
      db, SQLITE_TRACE_STMT,
      [](unsigned, void*, void*, void*) {
        ++counted;
        return 0;
      },
      nullptr);
  for (int i = 0; i < times; ++i) work();
  sqlite3_trace_v2(db, 0, nullptr, nullptr);
  return static_cast<double>(counted) / times;
}

// ---------------------------------------------------------------- one step

void BM_Engine_Next(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  f.toMiddle(c);
  for (int i = 0; i < 100; ++i) c.next();  // statements prepared, pages cached
  f.toMiddle(c);
  int n = 0;
  for (auto _ : state) {
    c.next();
    if (++n == kStepsPerPosition) {
      state.PauseTiming();
      f.toMiddle(c);
      n = 0;
      state.ResumeTiming();
    }
  }
  f.toMiddle(c);
  state.counters["stmts"] = statementsPer(c, 1000, [&] { c.next(); });
}
BENCHMARK(BM_Engine_Next)->Unit(benchmark::kMicrosecond);

// The engine's step with the table's connection inside one read transaction: the statements
// of a step then share one file lock instead of taking it each.
void BM_Engine_NextInReadTransaction(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  f.toMiddle(c);
  sqlite3* db = c.table()->db();
  exec(db, "BEGIN");
  RawStmt hold(db, QStringLiteral("SELECT 1 FROM \"Hasen\" LIMIT 1"));
  sqlite3_step(hold);
  for (int i = 0; i < 100; ++i) c.next();
  f.toMiddle(c);
  int n = 0;
  for (auto _ : state) {
    c.next();
    if (++n == kStepsPerPosition) {
      state.PauseTiming();
      f.toMiddle(c);
      n = 0;
      state.ResumeTiming();
    }
  }
  sqlite3_reset(hold);
  exec(db, "COMMIT");
}
BENCHMARK(BM_Engine_NextInReadTransaction)->Unit(benchmark::kMicrosecond);

void BM_Raw_Next(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT %1 FROM \"Hasen\" WHERE (TatoRechts, TatoLinks, Geburtstag, rowid) > "
                                   "(?,?,?,?) ORDER BY %2 LIMIT 1")
                        .arg(rawSelectList(), kTatoOrder));
  RawRow row;
  TatoKey key = f.middle;
  int n = 0;
  for (auto _ : state) {
    bindText(st, 1, key.rechts);
    bindText(st, 2, key.links);
    bindText(st, 3, key.geburtstag);
    sqlite3_bind_int64(st, 4, key.rowid);
    if (sqlite3_step(st) == SQLITE_ROW) {
      readRow(st, row);
      key = {row.tatoRechts, row.tatoLinks, row.geburtstag, row.rowid};
    }
    sqlite3_reset(st);
    if (++n == kStepsPerPosition) {
      key = f.middle;
      n = 0;
    }
  }
  benchmark::DoNotOptimize(row);
}
BENCHMARK(BM_Raw_Next)->Unit(benchmark::kMicrosecond);

// The raw step inside one open read transaction: what a step costs without taking and
// dropping the file lock (and re-checking the file) around every statement.
void BM_Raw_NextInReadTransaction(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT %1 FROM \"Hasen\" WHERE (TatoRechts, TatoLinks, Geburtstag, rowid) > "
                                   "(?,?,?,?) ORDER BY %2 LIMIT 1")
                        .arg(rawSelectList(), kTatoOrder));
  exec(f.raw, "BEGIN");
  RawStmt hold(f.raw, QStringLiteral("SELECT 1 FROM \"Hasen\" LIMIT 1"));
  sqlite3_step(hold);  // the read lock is taken here and kept until COMMIT
  RawRow row;
  TatoKey key = f.middle;
  int n = 0;
  for (auto _ : state) {
    bindText(st, 1, key.rechts);
    bindText(st, 2, key.links);
    bindText(st, 3, key.geburtstag);
    sqlite3_bind_int64(st, 4, key.rowid);
    if (sqlite3_step(st) == SQLITE_ROW) {
      readRow(st, row);
      key = {row.tatoRechts, row.tatoLinks, row.geburtstag, row.rowid};
    }
    sqlite3_reset(st);
    if (++n == kStepsPerPosition) {
      key = f.middle;
      n = 0;
    }
  }
  sqlite3_reset(hold);
  exec(f.raw, "COMMIT");
  benchmark::DoNotOptimize(row);
}
BENCHMARK(BM_Raw_NextInReadTransaction)->Unit(benchmark::kMicrosecond);

void BM_Engine_Prior(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  f.toMiddle(c);
  for (int i = 0; i < 100; ++i) c.prior();
  f.toMiddle(c);
  int n = 0;
  for (auto _ : state) {
    c.prior();
    if (++n == kStepsPerPosition) {
      state.PauseTiming();
      f.toMiddle(c);
      n = 0;
      state.ResumeTiming();
    }
  }
  f.toMiddle(c);
  state.counters["stmts"] = statementsPer(c, 1000, [&] { c.prior(); });
}
BENCHMARK(BM_Engine_Prior)->Unit(benchmark::kMicrosecond);

void BM_Raw_Prior(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT %1 FROM \"Hasen\" WHERE (TatoRechts, TatoLinks, Geburtstag, rowid) < "
                                   "(?,?,?,?) ORDER BY %2 LIMIT 1")
                        .arg(rawSelectList(), kTatoOrderDesc));
  RawRow row;
  TatoKey key = f.middle;
  int n = 0;
  for (auto _ : state) {
    bindText(st, 1, key.rechts);
    bindText(st, 2, key.links);
    bindText(st, 3, key.geburtstag);
    sqlite3_bind_int64(st, 4, key.rowid);
    if (sqlite3_step(st) == SQLITE_ROW) {
      readRow(st, row);
      key = {row.tatoRechts, row.tatoLinks, row.geburtstag, row.rowid};
    }
    sqlite3_reset(st);
    if (++n == kStepsPerPosition) {
      key = f.middle;
      n = 0;
    }
  }
  benchmark::DoNotOptimize(row);
}
BENCHMARK(BM_Raw_Prior)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------- find

void BM_Engine_FindKey(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  std::vector<QVariantList> keys;
  for (const TatoKey& k : f.samples) keys.push_back(k.typed());
  size_t i = 0;
  for (auto _ : state) {
    if (!c.findKey(keys[i])) state.SkipWithError("key not found");
    if (++i == keys.size()) i = 0;
  }
  state.counters["stmts"] = statementsPer(c, 1000, [&] { c.findKey(keys[i++ % keys.size()]); });
}
BENCHMARK(BM_Engine_FindKey)->Unit(benchmark::kMicrosecond);

void BM_Raw_FindKey(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT %1 FROM \"Hasen\" WHERE TatoRechts = ? AND TatoLinks = ? AND "
                                   "Geburtstag = ? ORDER BY %2 LIMIT 1")
                        .arg(rawSelectList(), kTatoOrder));
  RawRow row;
  size_t i = 0;
  for (auto _ : state) {
    const TatoKey& k = f.samples[i];
    bindText(st, 1, k.rechts);
    bindText(st, 2, k.links);
    bindText(st, 3, k.geburtstag);
    if (sqlite3_step(st) != SQLITE_ROW) state.SkipWithError("key not found");
    readRow(st, row);
    sqlite3_reset(st);
    if (++i == f.samples.size()) i = 0;
  }
  benchmark::DoNotOptimize(row);
}
BENCHMARK(BM_Raw_FindKey)->Unit(benchmark::kMicrosecond);

// The partial key: the right tattoo and the left one without its last character.
std::pair<QString, QString> partialKey(const TatoKey& k) {
  const QString links = QString::fromStdString(k.links);
  return {QString::fromStdString(k.rechts), links.left(links.size() - 1)};
}

void BM_Engine_FindNearest(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  std::vector<QVariantList> keys;
  for (const TatoKey& k : f.samples) {
    const auto [r, l] = partialKey(k);
    keys.push_back({r, l});
  }
  size_t i = 0;
  for (auto _ : state) {
    c.findNearest(keys[i]);
    if (++i == keys.size()) i = 0;
  }
  state.counters["stmts"] = statementsPer(c, 1000, [&] { c.findNearest(keys[i++ % keys.size()]); });
}
BENCHMARK(BM_Engine_FindNearest)->Unit(benchmark::kMicrosecond);

void BM_Raw_FindNearest(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT %1 FROM \"Hasen\" WHERE (TatoRechts, TatoLinks) >= (?,?) "
                                   "ORDER BY %2 LIMIT 1")
                        .arg(rawSelectList(), kTatoOrder));
  std::vector<std::pair<std::string, std::string>> keys;
  for (const TatoKey& k : f.samples) {
    const auto [r, l] = partialKey(k);
    keys.emplace_back(r.toStdString(), l.toStdString());
  }
  RawRow row;
  size_t i = 0;
  for (auto _ : state) {
    bindText(st, 1, keys[i].first);
    bindText(st, 2, keys[i].second);
    if (sqlite3_step(st) == SQLITE_ROW) readRow(st, row);
    sqlite3_reset(st);
    if (++i == keys.size()) i = 0;
  }
  benchmark::DoNotOptimize(row);
}
BENCHMARK(BM_Raw_FindNearest)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------- counting

void BM_Engine_RecordCountFiltered(benchmark::State& state) {
  Fixture& f = fx();
  Cursor c(f.engine);
  c.setTableName(QStringLiteral("Hasen.db"));
  c.setIndexName(QStringLiteral("Tato"));
  c.open();
  c.setFilter(QStringLiteral("Status=1 OR Status=3"));
  c.setFiltered(true);
  qint64 n = 0;
  for (auto _ : state) n = c.recordCount();
  state.counters["records"] = static_cast<double>(n);
}
BENCHMARK(BM_Engine_RecordCountFiltered)->Unit(benchmark::kMillisecond);

void BM_Raw_RecordCountFiltered(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT count(*) FROM \"Hasen\" WHERE Status = ? OR Status = ?"));
  qint64 n = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(st, 1, 1);
    sqlite3_bind_int64(st, 2, 3);
    sqlite3_step(st);
    n = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
  }
  state.counters["records"] = static_cast<double>(n);
}
BENCHMARK(BM_Raw_RecordCountFiltered)->Unit(benchmark::kMillisecond);

void BM_Engine_RecordNumber(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  f.toMiddle(c);
  qint64 n = 0;
  for (auto _ : state) n = c.recordNumber();
  if (n != kRows / 2) state.SkipWithError("wrong record number");
  state.counters["stmts"] = statementsPer(c, 3, [&] { c.recordNumber(); });
}
BENCHMARK(BM_Engine_RecordNumber)->Unit(benchmark::kMillisecond);

void BM_Raw_RecordNumber(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT count(*) FROM \"Hasen\" WHERE (TatoRechts, TatoLinks, Geburtstag, rowid) "
                                   "< (?,?,?,?)"));
  qint64 n = 0;
  for (auto _ : state) {
    bindText(st, 1, f.middle.rechts);
    bindText(st, 2, f.middle.links);
    bindText(st, 3, f.middle.geburtstag);
    sqlite3_bind_int64(st, 4, f.middle.rowid);
    sqlite3_step(st);
    n = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
  }
  if (n != kRows / 2) state.SkipWithError("wrong record number");
}
BENCHMARK(BM_Raw_RecordNumber)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- scanning

void BM_Engine_FullScan(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  qint64 rows = 0;
  for (auto _ : state) {
    c.first();
    rows = c.eof() ? 0 : 1;
    for (;;) {
      c.next();
      if (c.eof()) break;
      ++rows;
    }
  }
  if (rows != kRows) state.SkipWithError("scan missed records");
  state.counters["sec_per_row"] = benchmark::Counter(static_cast<double>(rows) * state.iterations(),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                    benchmark::Counter::kIs1000);
}
BENCHMARK(BM_Engine_FullScan)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_Raw_FullScan(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT %1 FROM \"Hasen\" ORDER BY %2").arg(rawSelectList(), kTatoOrder));
  RawRow row;
  qint64 rows = 0;
  for (auto _ : state) {
    rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      readRow(st, row);
      ++rows;
    }
    sqlite3_reset(st);
  }
  benchmark::DoNotOptimize(row);
  if (rows != kRows) state.SkipWithError("scan missed records");
  state.counters["sec_per_row"] = benchmark::Counter(static_cast<double>(rows) * state.iterations(),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                    benchmark::Counter::kIs1000);
}
BENCHMARK(BM_Raw_FullScan)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// What a grid asks for when scrolled to the middle of the table.
void BM_Engine_ReadRows(benchmark::State& state) {
  Fixture& f = fx();
  Cursor& c = *f.tato;
  size_t n = 0;
  for (auto _ : state) n = c.readRows(kRows / 2, 200).size();
  if (n != 200) state.SkipWithError("short read");
}
BENCHMARK(BM_Engine_ReadRows)->Unit(benchmark::kMillisecond);

void BM_Raw_ReadRows(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw,
             QStringLiteral("SELECT %1 FROM \"Hasen\" ORDER BY %2 LIMIT ? OFFSET ?").arg(rawSelectList(), kTatoOrder));
  std::vector<RawRow> rows(200);
  size_t n = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(st, 1, 200);
    sqlite3_bind_int64(st, 2, kRows / 2);
    n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) readRow(st, rows[n++]);
    sqlite3_reset(st);
  }
  if (n != 200) state.SkipWithError("short read");
}
BENCHMARK(BM_Raw_ReadRows)->Unit(benchmark::kMillisecond);

// For comparison: the same 200 rows read after a known key instead of by position.
void BM_Raw_ReadRowsAfterKey(benchmark::State& state) {
  Fixture& f = fx();
  RawStmt st(f.raw, QStringLiteral("SELECT %1 FROM \"Hasen\" WHERE (TatoRechts, TatoLinks, Geburtstag, rowid) >= "
                                   "(?,?,?,?) ORDER BY %2 LIMIT 200")
                        .arg(rawSelectList(), kTatoOrder));
  std::vector<RawRow> rows(200);
  size_t n = 0;
  for (auto _ : state) {
    bindText(st, 1, f.middle.rechts);
    bindText(st, 2, f.middle.links);
    bindText(st, 3, f.middle.geburtstag);
    sqlite3_bind_int64(st, 4, f.middle.rowid);
    n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) readRow(st, rows[n++]);
    sqlite3_reset(st);
  }
  if (n != 200) state.SkipWithError("short read");
}
BENCHMARK(BM_Raw_ReadRowsAfterKey)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------- opening

// The first cursor on the table in this process: file, connection, layout, first record.
void BM_Engine_OpenCursor(benchmark::State& state) {
  Fixture& f = fx();
  Engine engine;  // an engine of its own, so the fixture's open table is not shared
  engine.setAlias(QString::fromUtf16(Engine::kDefaultAlias), f.dir);
  for (auto _ : state) {
    Cursor c(engine);
    c.setTableName(QStringLiteral("Hasen.db"));
    c.setIndexName(QStringLiteral("Tato"));
    c.open();
    benchmark::DoNotOptimize(c.field(1).value());
    c.close();
  }
}
BENCHMARK(BM_Engine_OpenCursor)->Unit(benchmark::kMicrosecond);

// A further cursor on a table that another cursor of the process holds open.
void BM_Engine_OpenCursorShared(benchmark::State& state) {
  Fixture& f = fx();
  for (auto _ : state) {
    Cursor c(f.engine);
    c.setTableName(QStringLiteral("Hasen.db"));
    c.setIndexName(QStringLiteral("Tato"));
    c.open();
    benchmark::DoNotOptimize(c.field(1).value());
    c.close();
  }
}
BENCHMARK(BM_Engine_OpenCursorShared)->Unit(benchmark::kMicrosecond);

void BM_Raw_OpenCursor(benchmark::State& state) {
  Fixture& f = fx();
  const QByteArray path = QFile::encodeName(f.dir + QStringLiteral("/Hasen.db"));
  const QByteArray sql =
      QStringLiteral("SELECT %1 FROM \"Hasen\" ORDER BY %2 LIMIT 1").arg(rawSelectList(), kTatoOrder).toUtf8();
  RawRow row;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr), db, "open");
    sqlite3_busy_timeout(db, 3000);
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA foreign_keys=OFF;");
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), db, "prepare");
    if (sqlite3_step(st) == SQLITE_ROW) readRow(st, row);
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
  benchmark::DoNotOptimize(row);
}
BENCHMARK(BM_Raw_OpenCursor)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
