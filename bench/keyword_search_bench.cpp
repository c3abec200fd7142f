// The keyword search over a large stock: building the index from scratch, and searches with
// everything indexed (a tattoo, the tattoo prefix every animal has, a place, a name prefix, two words, a single letter).
// The data directory is LAPIRO_KEYWORD_DATA (default /tmp/keyword-big/daten); the index file is
// written there. The counters report the index's share of the data directory's size.
#include "engine/engine.h"
#include "store/keyword_index.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

namespace engine = lapiro::engine;
using lapiro::store::KeywordIndex;

QString dataDir() {
  const QByteArray env = qgetenv("LAPIRO_KEYWORD_DATA");
  return env.isEmpty() ? QStringLiteral("/tmp/keyword-big/daten") : QString::fromLocal8Bit(env);
}

struct Stock {
  engine::Engine engine;
  std::unique_ptr<KeywordIndex> index;
  Stock() {
    engine.setAlias(QStringLiteral("Hase"), dataDir());
    index = std::make_unique<KeywordIndex>(engine, false);
  }
};

Stock& stock() {
  static Stock s;
  return s;
}

qint64 directorySize(const QString& dir, const QString& except) {
  qint64 sum = 0;
  for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::Files))
    if (fi.fileName() != except) sum += fi.size();
  return sum;
}

void BM_KeywordIndexBuild(benchmark::State& state) {
  for (auto _ : state) stock().index->rebuild();
  const QString name = QString::fromUtf16(KeywordIndex::kFileName);
  const double indexBytes = double(QFileInfo(stock().index->path()).size());
  const double dataBytes = double(directorySize(dataDir(), name));
  state.counters["index_MB"] = indexBytes / 1048576.0;
  state.counters["data_MB"] = dataBytes / 1048576.0;
  state.counters["share_pct"] = 100.0 * indexBytes / dataBytes;
}
BENCHMARK(BM_KeywordIndexBuild)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_KeywordSearch(benchmark::State& state) {
  static const QStringList queries{QStringLiteral("4.13.1995"), QStringLiteral("H 512"), QStringLiteral("Würzburg"), QStringLiteral("albr"),
                                   QStringLiteral("Landes schau"), QStringLiteral("a"), QStringLiteral("strasse")};
  const QString query = queries[static_cast<int>(state.range(0))];
  stock().index->ensureCurrent();
  size_t hits = 0;
  for (auto _ : state) hits = stock().index->search(query).size();
  state.SetLabel(query.toStdString());
  state.counters["hits"] = double(hits);
}
BENCHMARK(BM_KeywordSearch)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
