// The colour genetics of the stock in the data directory: reads every animal's parents,
// recorded genotype (Hasen.Genotyp) and colour with its minimum genotype (Farbe.Genotyp), and
// works out carriers and contradictions over the whole stock on demand (genetics/carriers.h).
//
// A genotype text that cannot be read does not stop the work: the animal counts as unknown
// there and the text is listed in `unreadable` with its German message.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "engine/engine.h"
#include "genetics/carriers.h"

namespace lapiro::genetics {

struct StockGenetics {
  std::vector<StockAnimal> animals;   // every row of Hasen, ordered by Nummer
  std::vector<QString> tattoos;       // "TatoRechts  TatoLinks" per animal
  std::vector<QString> colourNames;   // the animal's colour name per animal ("" when none)
  QHash<qint64, std::int32_t> index;  // Nummer -> index
  StockInference inference;
  QStringList unreadable;  // "<tattoo>: <message>" / "Farbe <name>: <message>"

  // The index of the animal with this Nummer, -1 when there is none.
  std::int32_t indexOf(qint64 nummer) const { return index.value(nummer, -1); }
  // The carrier notes of one animal as texts ("trägt c (sicher)").
  QStringList carrierTexts(std::int32_t animal) const;
  // A German sentence for one contradiction, naming the animals by tattoo and the locus.
  QString describe(const Contradiction& c) const;
};

// Reads Hasen and Farbe of `engine` and runs the inference. A table without the field
// Genotyp (not yet upgraded) counts as one without genotypes. Throws engine::EngineError when
// a table cannot be opened or read.
StockGenetics readStockGenetics(engine::Engine& engine);

// The minimum genotype of each colour of Farbe (Nummer -> genotype), with unreadable
// patterns left out and listed in `unreadable`.
QHash<qint64, Genotype> colourGenotypes(engine::Engine& engine, QStringList* unreadable = nullptr);

}  // namespace lapiro::genetics
