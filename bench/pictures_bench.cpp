// Pictures, the matings overview and the young-animal list:
//   - the thumbnail of a 6000 x 4000 JPEG (scaled while decoded),
//   - the 20 thumbnails of a gallery, cold (new cache) and warm (cached),
//   - the matings tree of the buck with the most litters of the demo stock, and of a buck given
//     300 litters in a copy of it,
//   - the page model of the "Jungtierliste" of the breeding year with the most young.
//
// Uses the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
// The picture files are generated into a temporary folder.
#include "breeding/matings.h"
#include "breeding/weight_reports.h"
#include "card/pictures.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "installer/installer.h"
#include "reports/dataset_source.h"
#include "reports/report_layout.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <tuple>

namespace {

// A photo-like picture: gradients and shapes, so that the JPEG is of realistic size.
QImage photo(int w, int h, int seed) {
  QImage image(w, h, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient g(0, 0, w, h);
  g.setColorAt(0, QColor::fromHsv((seed * 40) % 360, 120, 220));
  g.setColorAt(1, QColor::fromHsv((seed * 40 + 120) % 360, 160, 90));
  p.fillRect(image.rect(), g);
  for (int i = 0; i < 200; ++i) {
    p.setBrush(QColor::fromHsv((i * 37 + seed) % 360, 150, 60 + i % 180));
    p.drawEllipse(QRect((i * 7919) % w, (i * 104729) % h, 40 + i % 400, 30 + i % 300));
  }
  p.end();
  return image;
}

struct Files {
  QTemporaryDir dir;
  QString big;
  QStringList gallery;
  Files() {
    big = dir.filePath(QStringLiteral("gross.jpg"));
    QFile f(big);
    f.open(QIODevice::WriteOnly);
    f.write(lapiro::card::encodeJpeg(photo(6000, 4000, 1), 1, 90));
    f.close();
    for (int i = 0; i < 20; ++i) {
      const QString path = dir.filePath(QStringLiteral("bild%1.jpg").arg(i));
      QFile g(path);
      g.open(QIODevice::WriteOnly);
      g.write(lapiro::card::encodeJpeg(photo(4000, 3000, i), i % 3 == 0 ? 6 : 1, 88));  // phone size
      gallery << path;
    }
  }
};

Files& files() {
  static Files f;
  return f;
}

void BM_Thumbnail_6000x4000(benchmark::State& state) {
  const QString path = files().big;
  for (auto _ : state) benchmark::DoNotOptimize(lapiro::card::decodePicture(path, QSize(67, 67)));
}
BENCHMARK(BM_Thumbnail_6000x4000)->Unit(benchmark::kMillisecond);

void BM_Thumbnail_6000x4000_FullDecodeThenScale(benchmark::State& state) {
  const QString path = files().big;
  for (auto _ : state)
    benchmark::DoNotOptimize(QImage(path).scaled(67, 67, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
BENCHMARK(BM_Thumbnail_6000x4000_FullDecodeThenScale)->Unit(benchmark::kMillisecond);

void BM_Gallery20_Cold(benchmark::State& state) {
  const QStringList paths = files().gallery;
  for (auto _ : state) {
    lapiro::card::TBildCache cache;
    for (const QString& p : paths) benchmark::DoNotOptimize(cache.picture(p, QSize(67, 67)));
  }
}
BENCHMARK(BM_Gallery20_Cold)->Unit(benchmark::kMillisecond);

void BM_Gallery20_Warm(benchmark::State& state) {
  const QStringList paths = files().gallery;
  lapiro::card::TBildCache cache;
  for (const QString& p : paths) cache.picture(p, QSize(67, 67));
  for (auto _ : state)
    for (const QString& p : paths) benchmark::DoNotOptimize(cache.picture(p, QSize(67, 67)));
}
BENCHMARK(BM_Gallery20_Warm)->Unit(benchmark::kMillisecond);

struct Stock {
  lapiro::engine::Engine engine;
  qint64 buck = 0;
  int buckLitters = 0;
  int year = 0;
  bool ok = false;
  Stock() {
    QString home = qEnvironmentVariable("LAPIRO_BENCH_HOME");
    if (home.isEmpty()) home = QStringLiteral("/tmp/lapiro-big");
    const QString data = home + QStringLiteral("/daten");
    if (!QDir(data).exists()) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    lapiro::engine::Query q(engine);
    q.setSql(QStringLiteral("SELECT Kater, COUNT(*) AS n FROM \"Wurfbuch.DB\" WHERE Kater > 0 GROUP BY Kater ORDER BY n DESC"));
    q.open();
    q.first();
    buck = q.field(0).asInteger();
    buckLitters = static_cast<int>(q.field(1).asInteger());
    lapiro::engine::Query y(engine);
    y.setSql(QStringLiteral("SELECT substr(Geburtstag,1,4) AS j, COUNT(*) AS n FROM \"Hasen.db\" GROUP BY j ORDER BY n DESC"));
    y.open();
    y.first();
    year = y.field(0).asString().toInt();
    ok = buck > 0;
  }
};

Stock* stock(benchmark::State& state) {
  static Stock s;
  if (!s.ok) state.SkipWithError("no demo stock in $LAPIRO_BENCH_HOME");
  return s.ok ? &s : nullptr;
}

void BM_MatingsTree_BuckWithMostLitters(benchmark::State& state) {
  Stock* s = stock(state);
  if (!s) return;
  int young = 0, litters = 0;
  for (auto _ : state) {
    const lapiro::breeding::Verpaarungen v = lapiro::breeding::ladeVerpaarungen(s->engine, s->buck);
    young = v.statistik.junge;
    litters = v.statistik.wuerfe;
  }
  state.counters["litterBookRows"] = s->buckLitters;
  state.counters["litters"] = litters;
  state.counters["young"] = young;
}
BENCHMARK(BM_MatingsTree_BuckWithMostLitters)->Unit(benchmark::kMillisecond);

// A copy of the demo stock in which one buck gets 300 litters of 6 young with 60 does, with
// a litter-book row for each litter: the size the overview must handle quickly.
struct BigBuck {
  QTemporaryDir dir;
  lapiro::engine::Engine engine;
  qint64 buck = 0;
  bool ok = false;
  BigBuck() {
    QString home = qEnvironmentVariable("LAPIRO_BENCH_HOME");
    if (home.isEmpty()) home = QStringLiteral("/tmp/lapiro-big");
    const QDir source(home + QStringLiteral("/daten"));
    if (!source.exists() || !dir.isValid()) return;
    for (const QString& f : source.entryList(QDir::Files))
      if (!QFile::copy(source.filePath(f), dir.filePath(f))) return;
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    lapiro::installer::TableLoader hasen(engine, QStringLiteral("Hasen.db"));
    auto animal = [&](const QString& rechts, const QString& links, const QString& sex, qint64 vater, qint64 mutter,
                      const QDate& born) {
      QVariantMap m{{QStringLiteral("TatoRechts"), rechts}, {QStringLiteral("TatoLinks"), links},
                    {QStringLiteral("Geschlecht"), sex}, {QStringLiteral("Rasse"), 1}, {QStringLiteral("Status"), 1}};
      if (vater) m.insert(QStringLiteral("Vater"), vater);
      if (mutter) m.insert(QStringLiteral("Mutter"), mutter);
      if (born.isValid()) m.insert(QStringLiteral("Geburtstag"), born);
      return hasen.insert(m);
    };
    buck = animal(QStringLiteral("ZZ 1"), QStringLiteral("1.15.1"), QStringLiteral("1"), 0, 0, QDate(2015, 1, 1));
    std::vector<qint64> does;
    for (int d = 0; d < 60; ++d)
      does.push_back(animal(QStringLiteral("ZZ %1").arg(d + 2), QStringLiteral("2.15.%1").arg(d + 2), QStringLiteral("2"), 0, 0,
                            QDate(2015, 2, 1)));
    std::vector<std::tuple<qint64, QDate>> litters;
    for (int l = 0; l < 300; ++l) {
      const qint64 doe = does[l % 60];
      const QDate day = QDate(2016, 1, 1).addDays(l * 7);
      for (int y = 0; y < 6; ++y)
        animal(QStringLiteral("ZJ %1").arg(l), QStringLiteral("%1.%2.%3").arg(day.month()).arg(day.year() % 100).arg(l * 6 + y),
               y % 2 ? QStringLiteral("1") : QStringLiteral("2"), buck, doe, day);
      litters.emplace_back(doe, day);
    }
    hasen.commit();
    lapiro::installer::TableLoader wurfbuch(engine, QStringLiteral("Wurfbuch.DB"));
    for (const auto& [doe, day] : litters)
      wurfbuch.insert(QVariantMap{{QStringLiteral("Katze"), doe}, {QStringLiteral("Kater"), buck},
                                  {QStringLiteral("Wurftag"), day}, {QStringLiteral("WurfStTot"), 1}});
    wurfbuch.commit();
    ok = true;
  }
};

void BM_MatingsTree_BuckWith300Litters(benchmark::State& state) {
  static BigBuck s;
  if (!s.ok) {
    state.SkipWithError("no demo stock in $LAPIRO_BENCH_HOME");
    return;
  }
  int young = 0, litters = 0;
  for (auto _ : state) {
    const lapiro::breeding::Verpaarungen v = lapiro::breeding::ladeVerpaarungen(s.engine, s.buck);
    young = v.statistik.junge;
    litters = v.statistik.wuerfe;
  }
  state.counters["litters"] = litters;
  state.counters["young"] = young;
}
BENCHMARK(BM_MatingsTree_BuckWith300Litters)->Unit(benchmark::kMillisecond);

void BM_Jungtierliste_PageModel(benchmark::State& state) {
  Stock* s = stock(state);
  if (!s) return;
  QString error;
  const auto jahr = lapiro::breeding::zuchtjahr(QString::number(s->year), &error);
  int rows = 0, pages = 0;
  for (auto _ : state) {
    auto q = lapiro::breeding::openJungtierQuery(s->engine, *jahr);
    const lapiro::reports::DataSetSource data(*q);
    const auto model = lapiro::reports::layoutReport(
        lapiro::breeding::TReportJungtierliste(*jahr, QStringLiteral("Jörg Sommer")), data);
    rows = data.rowCount();
    pages = model.pageCount();
  }
  state.counters["young"] = rows;
  state.counters["pages"] = pages;
}
BENCHMARK(BM_Jungtierliste_PageModel)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
