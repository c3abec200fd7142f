#include "genetics/phenotype.h"

#include <QRegularExpression>
#include <algorithm>

namespace lapiro::genetics {

namespace {

enum class Truth { No, Maybe, Sure };

Truth evaluate(const PhenotypeRule& rule, const ShownMasks& shown) {
  Truth t = Truth::Sure;
  for (const auto& [locus, allowed] : rule.conditions) {
    const std::uint8_t s = shown[static_cast<size_t>(locus)];
    if ((s & allowed) == 0) return Truth::No;
    if ((s & allowed) != s) t = Truth::Maybe;
  }
  return t;
}

bool mentions(const PhenotypeRule& rule, int locus) {
  return std::any_of(rule.conditions.begin(), rule.conditions.end(),
                     [&](const auto& c) { return c.first == locus; });
}

}  // namespace

std::uint8_t shownMaskAt(int locus, const AllelePair& p) {
  // A further factor (K to V) of which nothing at all is known counts as not shown: breeders
  // write only the factors an animal has, and a black animal is not named "evtl. Rex".
  static constexpr std::array<int, kLocusCount> wildType{-1, -1, -1, -1, -1, 1, 0, 0, 1, 0, 0};
  const int wild = wildType[static_cast<size_t>(locus)];
  if (wild >= 0 && p.fullyUnknown() && p.first.bound == 0 && p.second.bound == 0)
    return static_cast<std::uint8_t>(1u << wild);
  return p.shownMask(alleleCount(locus));
}

ShownMasks shownMasks(const Genotype& g) {
  ShownMasks m{};
  for (int l = 0; l < kLocusCount; ++l)
    m[static_cast<size_t>(l)] = shownMaskAt(l, g.loci[static_cast<size_t>(l)]);
  return m;
}

PhenotypeTable PhenotypeTable::parse(const QString& text) {
  PhenotypeTable table;
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  int lineNumber = 0;
  for (QString line : text.split(u'\n')) {
    ++lineNumber;
    if (const qsizetype hash = line.indexOf(u'#'); hash >= 0) line.truncate(hash);
    line = line.trimmed();
    if (line.isEmpty()) continue;
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0) throw GenotypeError(QStringLiteral("Zeile %1: „:“ fehlt.").arg(lineNumber));
    PhenotypeRule rule;
    QString name = line.left(colon).trimmed();
    if (name.startsWith(u'+')) {
      rule.addition = true;
      name = name.mid(1).trimmed();
    }
    if (name.isEmpty()) throw GenotypeError(QStringLiteral("Zeile %1: der Name fehlt.").arg(lineNumber));
    rule.name = name;
    for (const QString& cond : line.mid(colon + 1).split(blanks, Qt::SkipEmptyParts)) {
      const qsizetype eq = cond.indexOf(u'=');
      const QString locusName = eq < 0 ? cond : cond.left(eq);
      int locus = -1;
      for (int l = 0; l < kLocusCount; ++l)
        if (loci()[static_cast<size_t>(l)].name == locusName) locus = l;
      if (eq < 0 || locus < 0)
        throw GenotypeError(
            QStringLiteral("Zeile %1: unbekannter Locus „%2“.").arg(lineNumber).arg(locusName));
      std::uint8_t allowed = 0;
      for (const QString& sym : cond.mid(eq + 1).split(u',', Qt::SkipEmptyParts)) {
        const qsizetype i = loci()[static_cast<size_t>(locus)].alleles.indexOf(sym);
        if (i < 0)
          throw GenotypeError(QStringLiteral("Zeile %1: unbekanntes Allel „%2“ am Locus %3.")
                                  .arg(lineNumber)
                                  .arg(sym, locusName));
        allowed = static_cast<std::uint8_t>(allowed | (1u << i));
      }
      rule.conditions.emplace_back(locus, allowed);
    }
    if (table.rules_.size() == kMaxRules)
      throw GenotypeError(QStringLiteral("Zeile %1: mehr als %2 Regeln.").arg(lineNumber).arg(kMaxRules));
    table.rules_.push_back(std::move(rule));
  }
  return table;
}

namespace {

bool bit(const PhenotypeKey::Bits& b, size_t i) {
  return b[i / 64] >> (i % 64) & 1u;
}
void set(PhenotypeKey::Bits& b, size_t i) {
  b[i / 64] |= std::uint64_t{1} << (i % 64);
}

}  // namespace

size_t PhenotypeKeyHash::operator()(const PhenotypeKey& k) const {
  size_t h = 0;
  for (const auto* bits : {&k.candidates, &k.additions, &k.maybe})
    for (const std::uint64_t w : *bits) h = h * 1000003u ^ std::hash<std::uint64_t>()(w);
  return h;
}

PhenotypeKey PhenotypeTable::classify(const ShownMasks& shown) const {
  PhenotypeKey key;
  std::array<const PhenotypeRule*, kMaxRules> chosen{};
  size_t chosenCount = 0;
  for (size_t i = 0; i < rules_.size(); ++i) {
    const PhenotypeRule& r = rules_[i];
    if (r.addition) continue;
    const Truth t = evaluate(r, shown);
    if (t == Truth::No) continue;
    set(key.candidates, i);
    chosen[chosenCount++] = &r;
    if (t == Truth::Sure) break;
  }
  for (size_t i = 0; i < rules_.size(); ++i) {
    const PhenotypeRule& r = rules_[i];
    if (!r.addition || r.conditions.empty()) continue;
    // An addition the chosen colours speak of themselves ("Castor-Rex") is not added again.
    const int own = r.conditions.front().first;
    if (chosenCount > 0 &&
        std::all_of(chosen.begin(), chosen.begin() + static_cast<std::ptrdiff_t>(chosenCount),
                    [&](const PhenotypeRule* c) { return mentions(*c, own); }))
      continue;
    const Truth t = evaluate(r, shown);
    if (t == Truth::Sure) set(key.additions, i);
    if (t == Truth::Maybe) set(key.maybe, i);
  }
  return key;
}

Phenotype PhenotypeTable::phenotype(const PhenotypeKey& key) const {
  Phenotype p;
  std::array<bool, kLocusCount> deciding{};
  for (size_t i = 0; i < rules_.size(); ++i) {
    const PhenotypeRule& r = rules_[i];
    const bool candidate = bit(key.candidates, i), sure = bit(key.additions, i), maybe = bit(key.maybe, i);
    if (candidate) {
      p.candidates << r.name;
      for (const auto& c : r.conditions) deciding[static_cast<size_t>(c.first)] = true;
    }
    if (sure) p.additions << r.name;
    if (maybe) p.maybe << r.name;
    if (sure || maybe) deciding[static_cast<size_t>(r.conditions.front().first)] = true;
  }
  // The standard table names every combination; a breeder's table may leave gaps.
  if (p.candidates.isEmpty()) p.candidates << QStringLiteral("unbenannte Farbe");
  p.name = p.candidates.join(QStringLiteral(" oder "));
  for (const QString& a : p.additions) p.name += QStringLiteral(", ") + a;
  for (const QString& a : p.maybe) p.name += QStringLiteral(", evtl. ") + a;
  for (int l = 0; l < kLocusCount; ++l)
    if (deciding[static_cast<size_t>(l)]) p.decidingLoci << l;
  return p;
}

const QString& standardPhenotypeText() {
  static const QString text = QStringLiteral(
      "# Farbe : Bedingungen. Eine Bedingung Locus=Allel[,Allel] gilt, wenn das Tier am Locus\n"
      "# eines dieser Allele zeigt. Die erste Farbe, deren Bedingungen alle gelten, ist es.\n"
      "# Zeilen mit \"+\" sind Zusätze, die an die Farbe angehängt werden.\n"
      "Weiß Rotauge        : A=a\n"
      "Weiß Blauauge       : X=x\n"
      "Russe               : A=an\n"
      "Marder              : A=am\n"
      "Chinchilla          : A=achi\n"
      "Eisengrau           : B=Be\n"
      "Japaner             : B=bj\n"
      "Gelb                : B=b G=G,go\n"
      "Thüringer           : B=b G=g\n"
      "Castor-Rex          : G=G C=C D=D R=r\n"
      "Wildfarben          : G=G C=C D=D\n"
      "Perlfeh             : G=G C=C D=d\n"
      "Havanna-Wildfarben  : G=G C=c D=D\n"
      "Luchs               : G=G C=c D=d\n"
      "Schwarzloh          : G=go C=C D=D\n"
      "Blauloh             : G=go C=C D=d\n"
      "Havannaloh          : G=go C=c D=D\n"
      "Fehloh              : G=go C=c D=d\n"
      "Schwarz             : G=g C=C D=D\n"
      "Blau                : G=g C=C D=d\n"
      "Havanna             : G=g C=c D=D\n"
      "Feh                 : G=g C=c D=d\n"
      "# Zusätze; auf Weiß sind Scheckung, Holländer-Zeichnung und Silberung nicht zu sehen.\n"
      "+ Scheckung         : K=K A=A,achi,am,an X=X\n"
      "+ Holländer         : H=h A=A,achi,am,an X=X\n"
      "+ Silberung         : Si=Si A=A,achi,am,an X=X\n"
      "+ Rex               : R=r\n"
      "+ Langhaar          : V=v\n");
  return text;
}

const PhenotypeTable& standardPhenotypeTable() {
  static const PhenotypeTable table = PhenotypeTable::parse(standardPhenotypeText());
  return table;
}

}  // namespace lapiro::genetics
