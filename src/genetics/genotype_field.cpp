#include "genetics/genotype_field.h"

#include "genetics/genotype.h"
#include "genetics/phenotype.h"

namespace lapiro::genetics {

std::optional<QString> normalisedGenotypeText(const QString& text, QString* error) {
  const std::optional<Genotype> g = tryParseGenotype(text, error);
  if (!g) return std::nullopt;
  return formatGenotype(*g);
}

QString genotypeHint(const QString& genotype, const QString& colourName, const QString& colourPattern) {
  QString error;
  const std::optional<Genotype> own = tryParseGenotype(genotype, &error);
  if (!own) return QStringLiteral("Genotyp nicht lesbar: ") + error;
  // A colour pattern that cannot be read is left out: the colour list's own check names it.
  const std::optional<Genotype> colour = tryParseGenotype(colourPattern);
  const bool colourSays = colour && !colour->empty();
  if (own->empty()) {
    if (!colourSays) return {};
    return QStringLiteral("Farbe „%1“: mindestens %2").arg(colourName, formatGenotype(*colour));
  }
  QString hint = QStringLiteral("Genotyp ergibt: ") + standardPhenotypeTable().name(*own).name;
  if (!colourSays) return hint;
  int locus = -1;
  if (mergeGenotypes(*own, *colour, &locus))
    return hint + QStringLiteral(" – passt zur Farbe „%1“").arg(colourName);
  return hint + QStringLiteral(" – Widerspruch zur Farbe „%1“ (verlangt %2)")
                    .arg(colourName, formatPair(locus, colour->loci[static_cast<size_t>(locus)]));
}

}  // namespace lapiro::genetics
