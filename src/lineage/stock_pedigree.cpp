#include "lineage/stock_pedigree.h"

#include "engine/sqlite_util.h"

#include <QFile>

#include <sys/stat.h>

#include <sqlite3.h>

namespace lapiro::lineage {

using engine::OpenMode;
using engine::Statement;

namespace {

qint64 dataVersionOf(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  qint64 v = -1;
  if (sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
    v = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  return v;
}

}  // namespace

StockPedigree::StockPedigree(engine::Engine& engine) : engine_(engine) {}
StockPedigree::~StockPedigree() = default;

bool StockPedigree::refresh() {
  // The table is held only during the call, so that nothing here keeps Hasen from being
  // opened exclusively (index rebuild, restore). A change is recognised by the table object
  // and its version while some cursor keeps it open, by SQLite's data_version for other
  // connections, and by the file's time and size for everything else.
  table_ = engine_.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  struct Release {
    std::shared_ptr<engine::Table>& t;
    ~Release() { t.reset(); }
  } release{table_};
  Stamp stamp{table_.get(), table_->version(), dataVersionOf(table_->db()), 0, 0};
  struct stat st {};
  if (::stat(QFile::encodeName(table_->path()).constData(), &st) == 0) {
    stamp.modified = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.size = static_cast<qint64>(st.st_size);
  }
  if (read_ && stamp.modified == stamp_.modified && stamp.size == stamp_.size &&
      (stamp.table != stamp_.table || (stamp.version == stamp_.version && stamp.dataVersion == stamp_.dataVersion)))
    return false;

  std::vector<PedigreeRecord> records;
  {
    Statement count(table_->db(), QStringLiteral("SELECT count(*) FROM ") + table_->sqlName());
    if (count.step()) records.reserve(static_cast<size_t>(sqlite3_column_int64(count.handle(), 0)));
  }
  Statement rows(table_->db(), QStringLiteral("SELECT Nummer, Vater, Mutter FROM ") + table_->sqlName());
  while (rows.step()) {
    sqlite3_stmt* h = rows.handle();
    records.push_back({sqlite3_column_int64(h, 0), sqlite3_column_int64(h, 1), sqlite3_column_int64(h, 2)});
  }
  rows.reset();
  ped_ = buildPedigree(records);
  f_ = inbreeding(ped_);
  d_ = mendelianVariances(ped_, f_);
  ecg_ = equivalentGenerations(ped_);
  stamp_ = stamp;
  read_ = true;
  for (const BrokenLink& link : ped_.brokenLinks) {
    const QString key = QString::number(link.child) + u'/' + QString::number(link.parent);
    if (reported_.contains(key)) continue;
    reported_.insert(key);
    pendingLoops_.push_back(link);
  }
  return true;
}

double StockPedigree::inbreedingOf(qint64 nummer) const {
  const std::int32_t i = ped_.indexOf(nummer);
  return i ? f_[i] : 0.0;
}

double StockPedigree::generationsOf(qint64 nummer) const {
  const std::int32_t i = ped_.indexOf(nummer);
  return i ? ecg_[i] : 0.0;
}

double StockPedigree::matingInbreeding(qint64 sire, qint64 dam) const {
  return offspringInbreeding(ped_, f_, d_, ped_.indexOf(sire), ped_.indexOf(dam));
}

QString StockPedigree::takeLoopReport() {
  if (pendingLoops_.empty()) return {};
  QStringList lines;
  lines << QStringLiteral("Die Abstammung enthält eine Schleife (ein Tier ist als sein eigener Vorfahr eingetragen):");
  for (const BrokenLink& link : pendingLoops_) {
    lines << QStringLiteral("%1 ist als Elternteil von %2 eingetragen, stammt aber selbst von %2 ab.")
                 .arg(animalText(engine_, link.parent), animalText(engine_, link.child));
  }
  lines << QStringLiteral("Diese Verbindung wird bei der Berechnung übergangen.");
  pendingLoops_.clear();
  return lines.join(u'\n');
}

QString animalText(engine::Engine& engine, qint64 nummer) {
  auto table = engine.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  Statement st(table->db(), QStringLiteral("SELECT TatoRechts, TatoLinks FROM ") + table->sqlName() +
                                QStringLiteral(" WHERE Nummer = ?"));
  st.bind(1, nummer);
  QString text;
  if (st.step()) text = st.column(0).toString() + QStringLiteral("  ") + st.column(1).toString();
  st.reset();
  return text;
}

}  // namespace lapiro::lineage
