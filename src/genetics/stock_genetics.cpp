#include "genetics/stock_genetics.h"

#include <sqlite3.h>

#include "engine/sqlite_util.h"

namespace lapiro::genetics {

namespace {

using engine::Statement;

QString textColumn(sqlite3_stmt* h, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(h, column));
  return text ? QString::fromUtf8(text, sqlite3_column_bytes(h, column)) : QString();
}

bool hasGenotypeField(engine::Engine& engine, const QString& table) {
  return engine.tableDef(table).field(QStringLiteral("Genotyp")) != nullptr;
}

}  // namespace

QHash<qint64, Genotype> colourGenotypes(engine::Engine& engine, QStringList* unreadable) {
  QHash<qint64, Genotype> out;
  const QString table = QStringLiteral("Farbe");
  if (!hasGenotypeField(engine, table)) return out;
  const auto t = engine.acquire(table, engine::OpenMode::Shared);
  Statement rows(t->db(), QStringLiteral("SELECT Nummer, Name, Genotyp FROM ") + t->sqlName() +
                              QStringLiteral(" WHERE Genotyp IS NOT NULL AND Genotyp <> ''"));
  while (rows.step()) {
    sqlite3_stmt* h = rows.handle();
    QString error;
    if (auto g = tryParseGenotype(textColumn(h, 2), &error))
      out.insert(sqlite3_column_int64(h, 0), *g);
    else if (unreadable)
      *unreadable << QStringLiteral("Farbe %1: %2").arg(textColumn(h, 1), error);
  }
  return out;
}

StockGenetics readStockGenetics(engine::Engine& engine) {
  StockGenetics s;
  const QHash<qint64, Genotype> colours = colourGenotypes(engine, &s.unreadable);
  QHash<qint64, QString> colourNames;
  {
    const auto t = engine.acquire(QStringLiteral("Farbe"), engine::OpenMode::Shared);
    Statement rows(t->db(), QStringLiteral("SELECT Nummer, Name FROM ") + t->sqlName());
    while (rows.step())
      colourNames.insert(sqlite3_column_int64(rows.handle(), 0), textColumn(rows.handle(), 1));
  }

  const QString table = QStringLiteral("Hasen");
  const bool withGenotype = hasGenotypeField(engine, table);
  const auto t = engine.acquire(table, engine::OpenMode::Shared);
  struct Row {
    qint64 sire, dam;
  };
  std::vector<Row> parents;
  {
    Statement count(t->db(), QStringLiteral("SELECT count(*) FROM ") + t->sqlName());
    if (count.step()) {
      const auto n = static_cast<size_t>(sqlite3_column_int64(count.handle(), 0));
      s.animals.reserve(n);
      s.tattoos.reserve(n);
      parents.reserve(n);
    }
  }
  Statement rows(t->db(), QStringLiteral("SELECT Nummer, Vater, Mutter, Farbe, TatoRechts, TatoLinks, ") +
                              (withGenotype ? QStringLiteral("Genotyp") : QStringLiteral("NULL")) +
                              QStringLiteral(" FROM ") + t->sqlName() + QStringLiteral(" ORDER BY Nummer"));
  while (rows.step()) {
    sqlite3_stmt* h = rows.handle();
    StockAnimal a;
    a.nummer = sqlite3_column_int64(h, 0);
    const qint64 colour = sqlite3_column_int64(h, 3);
    if (const auto it = colours.constFind(colour); it != colours.constEnd()) a.colour = *it;
    QString tattoo = textColumn(h, 4) + QStringLiteral("  ") + textColumn(h, 5);
    if (sqlite3_column_type(h, 6) != SQLITE_NULL) {
      const QString text = textColumn(h, 6);
      if (!text.trimmed().isEmpty()) {
        QString error;
        if (auto g = tryParseGenotype(text, &error))
          a.recorded = *g;
        else
          s.unreadable << tattoo.trimmed() + QStringLiteral(": ") + error;
      }
    }
    s.index.insert(a.nummer, static_cast<std::int32_t>(s.animals.size()));
    parents.push_back({sqlite3_column_int64(h, 1), sqlite3_column_int64(h, 2)});
    s.animals.push_back(a);
    s.tattoos.push_back(std::move(tattoo));
    s.colourNames.push_back(colourNames.value(colour));
  }
  rows.reset();
  for (size_t i = 0; i < s.animals.size(); ++i) {
    // A parent number without a record is an animal of which nothing is known: no evidence.
    s.animals[i].sire = parents[i].sire ? s.index.value(parents[i].sire, -1) : -1;
    s.animals[i].dam = parents[i].dam ? s.index.value(parents[i].dam, -1) : -1;
  }
  s.inference = inferStock(s.animals);
  return s;
}

QStringList StockGenetics::carrierTexts(std::int32_t animal) const {
  QStringList out;
  if (animal < 0 || static_cast<size_t>(animal) >= animals.size()) return out;
  const auto& notes = inference.carriers;
  for (std::int32_t k = inference.firstNote[static_cast<size_t>(animal)];
       k < inference.firstNote[static_cast<size_t>(animal) + 1]; ++k)
    out << notes[static_cast<size_t>(k)].carried.text();
  return out;
}

QString StockGenetics::describe(const Contradiction& c) const {
  const size_t i = static_cast<size_t>(c.animal);
  const QString locus = loci()[static_cast<size_t>(c.locus)].name;
  const QString tattoo = tattoos[i].trimmed();
  if (c.kind == Contradiction::Kind::GenotypeVsColour)
    return QStringLiteral("%1: der Genotyp „%2“ passt am Locus %3 nicht zur Farbe „%4“.")
        .arg(tattoo, formatPair(c.locus, animals[i].recorded.loci[static_cast<size_t>(c.locus)]), locus,
             colourNames[i]);
  const auto pairOf = [&](std::int32_t a) {
    return formatPair(c.locus,
                      inference.genotypes[static_cast<size_t>(a)].loci[static_cast<size_t>(c.locus)]);
  };
  const auto parentText = [&](std::int32_t p) {
    return p < 0 ? QStringLiteral("unbekannt")
                 : tattoos[static_cast<size_t>(p)].trimmed() + QStringLiteral(" (") + pairOf(p) + u')';
  };
  return QStringLiteral("%1 (%2): Vater %3 und Mutter %4 können am Locus %5 nicht „%6“ geben.")
      .arg(tattoo, colourNames[i], parentText(animals[i].sire), parentText(animals[i].dam), locus,
           pairOf(c.animal));
}

}  // namespace lapiro::genetics
