// What the benchmarks over the demo stock share: where the stock lies and how a benchmark
// makes its own copy of it once (the original is never written).
#pragma once

#include "engine/cursor.h"

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>

#include <optional>

namespace lapiro::bench {

inline QString envOr(const char* name, const QString& fallback) {
  return qEnvironmentVariableIsEmpty(name) ? fallback : qEnvironmentVariable(name);
}

// The data directory of the 100,000-animal demo stock: $LAPIRO_BENCH_HOME/daten, by default
// /tmp/lapiro-big/daten.
inline QString bigStockData() { return envOr("LAPIRO_BENCH_HOME", QStringLiteral("/tmp/lapiro-big")) + QStringLiteral("/daten"); }

// Copies every file of `from` into `to` (made when missing), replacing files of the same name.
// False when `from` does not exist or a copy fails.
inline bool copyDataFiles(const QString& from, const QString& to) {
  if (!QDir(from).exists()) return false;
  QDir().mkpath(to);
  for (const QString& f : QDir(from).entryList(QDir::Files)) {
    QFile::remove(to + u'/' + f);
    if (!QFile::copy(from + u'/' + f, to + u'/' + f)) return false;
  }
  return true;
}

// A copy that a benchmark has finished preparing carries a marker file ".prepared" with
// whatever the benchmark needs to find again (e.g. the number of an animal it added).
inline std::optional<QByteArray> preparedMark(const QString& to) {
  QFile marker(to + QStringLiteral("/.prepared"));
  if (!marker.open(QIODevice::ReadOnly)) return std::nullopt;
  return marker.readAll();
}
inline bool markPrepared(const QString& to, const QByteArray& content = {}) {
  QFile marker(to + QStringLiteral("/.prepared"));
  return marker.open(QIODevice::WriteOnly) && marker.write(content) == content.size();
}

// Appends an animal "BENCH <links>" through `hasen` (a cursor on Hasen); parents and birthday
// only when given. Returns its Nummer.
inline qint64 addBenchAnimal(engine::Cursor& hasen, const QString& links, const QString& sex, qint64 father = 0,
                             qint64 mother = 0, const QDate& born = {}) {
  hasen.append();
  hasen.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("BENCH"));
  hasen.field(QStringLiteral("TatoLinks")).setString(links);
  hasen.field(QStringLiteral("Geschlecht")).setString(sex);
  if (father) hasen.field(QStringLiteral("Vater")).setInteger(father);
  if (mother) hasen.field(QStringLiteral("Mutter")).setInteger(mother);
  if (born.isValid()) hasen.field(QStringLiteral("Geburtstag")).setDate(born);
  hasen.post();
  return hasen.field(QStringLiteral("Nummer")).asInteger();
}

}  // namespace lapiro::bench
