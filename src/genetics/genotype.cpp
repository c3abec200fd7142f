#include "genetics/genotype.h"

#include <QRegularExpression>
#include <bit>

namespace lapiro::genetics {

namespace {

std::uint32_t pairBit(int i, int j) {
  return 1u << pairIndex(i, j);
}

std::uint8_t slotMask(const Allele& a, int n) {
  if (a.known()) return static_cast<std::uint8_t>(1u << a.index);
  std::uint8_t m = 0;
  for (int i = a.bound; i < n; ++i) m = static_cast<std::uint8_t>(m | (1u << i));
  return m;
}

std::uint32_t pairSet(const AllelePair& p, int n) {
  const std::uint8_t a = slotMask(p.first, n), b = slotMask(p.second, n);
  std::uint32_t set = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if ((a >> i & 1u) && (b >> j & 1u)) set |= pairBit(i, j);
  return set;
}

int findSymbol(const QString& symbol, int* locus) {
  for (int l = 0; l < kLocusCount; ++l) {
    const qsizetype i = loci()[static_cast<size_t>(l)].alleles.indexOf(symbol);
    if (i >= 0) {
      *locus = l;
      return static_cast<int>(i);
    }
  }
  return -1;
}

int findLocus(const QString& name) {
  for (int l = 0; l < kLocusCount; ++l)
    if (loci()[static_cast<size_t>(l)].name.compare(name, Qt::CaseInsensitive) == 0) return l;
  return -1;
}

}  // namespace

int pairIndex(int i, int j) {
  if (i > j) std::swap(i, j);
  // Row i of the upper triangle starts after the rows 0..i-1 of lengths 5, 4, ...
  return i * kMaxAlleles - i * (i - 1) / 2 + (j - i);
}

PairSet pairSetOf(const AllelePair& p, int n) {
  // Cached per allele count and slot codes (known index, or 5 + bound).
  static const auto table = [] {
    std::array<std::array<PairSet, 100>, kMaxAlleles + 1> t{};
    for (int count = 1; count <= kMaxAlleles; ++count)
      for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b) {
          const auto slot = [](int code) { return code < 5 ? Allele::of(code) : Allele::unknown(code - 5); };
          t[static_cast<size_t>(count)][static_cast<size_t>(a * 10 + b)] =
              static_cast<PairSet>(pairSet({slot(a), slot(b)}, count));
        }
    return t;
  }();
  const auto code = [](const Allele& a) { return a.known() ? a.index : 5 + a.bound; };
  return table[static_cast<size_t>(n)][static_cast<size_t>(code(p.first) * 10 + code(p.second))];
}

PairSet pairsFrom(std::uint8_t sire, std::uint8_t dam) {
  static const auto table = [] {
    std::array<std::array<PairSet, 32>, 32> t{};
    for (int a = 0; a < 32; ++a)
      for (int b = 0; b < 32; ++b)
        for (int i = 0; i < kMaxAlleles; ++i)
          if (a >> i & 1)
            for (int j = 0; j < kMaxAlleles; ++j)
              if (b >> j & 1)
                t[static_cast<size_t>(a)][static_cast<size_t>(b)] = static_cast<PairSet>(
                    t[static_cast<size_t>(a)][static_cast<size_t>(b)] | (1u << pairIndex(i, j)));
    return t;
  }();
  return table[sire & 31u][dam & 31u];
}

PairSet pairsWithAny(std::uint8_t alleles) {
  return pairsFrom(alleles, 0x1f);
}

std::uint8_t allelesIn(PairSet s) {
  std::uint8_t m = 0;
  for (int i = 0; i < kMaxAlleles; ++i)
    for (int j = i; j < kMaxAlleles; ++j)
      if (s >> pairIndex(i, j) & 1u) m = static_cast<std::uint8_t>(m | (1u << i) | (1u << j));
  return m;
}

std::optional<AllelePair> pairFor(PairSet want, int n) {
  if (want == 0) return std::nullopt;
  std::optional<AllelePair> best;
  int bestSize = 1 << 30;
  for (int a = 0; a < 2 * n; ++a)
    for (int b = a; b < 2 * n; ++b) {
      const auto slot = [n](int code) { return code < n ? Allele::of(code) : Allele::unknown(code - n); };
      const AllelePair p = AllelePair::make(slot(a), slot(b));
      const PairSet s = pairSetOf(p, n);
      if ((s & want) != want) continue;
      const int size = std::popcount(static_cast<unsigned>(s));
      if (size < bestSize) {
        bestSize = size;
        best = p;
      }
    }
  return best;
}

int alleleCount(int locus) {
  return static_cast<int>(loci()[static_cast<size_t>(locus)].alleles.size());
}

const std::array<Locus, kLocusCount>& loci() {
  static const std::array<Locus, kLocusCount> list{{
      {QStringLiteral("A"),
       QStringLiteral("Albinoreihe (Vollfarbe, Chinchilla, Marder, Russe, Albino)"),
       {QStringLiteral("A"), QStringLiteral("achi"), QStringLiteral("am"), QStringLiteral("an"),
        QStringLiteral("a")}},
      {QStringLiteral("B"),
       QStringLiteral("Eisengrau, Vollfarbe, Japaner, Gelb"),
       {QStringLiteral("Be"), QStringLiteral("B"), QStringLiteral("bj"), QStringLiteral("b")}},
      {QStringLiteral("C"),
       QStringLiteral("Schwarz, Braun (Havanna)"),
       {QStringLiteral("C"), QStringLiteral("c")}},
      {QStringLiteral("D"),
       QStringLiteral("Volle Farbe, Verdünnung (Blau, Feh)"),
       {QStringLiteral("D"), QStringLiteral("d")}},
      {QStringLiteral("G"),
       QStringLiteral("Wildfarbe, Loh/Otter, Einfarbig"),
       {QStringLiteral("G"), QStringLiteral("go"), QStringLiteral("g")}},
      {QStringLiteral("K"), QStringLiteral("Scheckung"), {QStringLiteral("K"), QStringLiteral("k")}},
      {QStringLiteral("H"),
       QStringLiteral("Holländer-Zeichnung"),
       {QStringLiteral("H"), QStringLiteral("h")}},
      {QStringLiteral("X"),
       QStringLiteral("Weißfaktor (Weiß Blauauge)"),
       {QStringLiteral("X"), QStringLiteral("x")}},
      {QStringLiteral("Si"), QStringLiteral("Silberung"), {QStringLiteral("Si"), QStringLiteral("si")}},
      {QStringLiteral("R"), QStringLiteral("Rex"), {QStringLiteral("R"), QStringLiteral("r")}},
      {QStringLiteral("V"), QStringLiteral("Langhaar"), {QStringLiteral("V"), QStringLiteral("v")}},
  }};
  return list;
}

AllelePair AllelePair::make(Allele a, Allele b) {
  // Known before unknown; among known the more dominant first; among unknown the wider first.
  const auto key = [](const Allele& x) { return x.known() ? x.index : 100 + x.bound; };
  if (key(b) < key(a)) std::swap(a, b);
  return {a, b};
}

std::uint8_t AllelePair::shownMask(int n) const {
  // The shown allele is the more dominant one; an unknown slot ranges over its bound onwards.
  std::uint8_t m = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const bool fi = (slotMask(first, n) >> i) & 1u;
      const bool sj = (slotMask(second, n) >> j) & 1u;
      if (fi && sj) m = static_cast<std::uint8_t>(m | (1u << std::min(i, j)));
    }
  return m;
}

std::uint8_t AllelePair::possibleMask(int n) const {
  return static_cast<std::uint8_t>(slotMask(first, n) | slotMask(second, n));
}

bool Genotype::empty() const {
  for (const AllelePair& p : loci)
    if (!p.fullyUnknown()) return false;
  return true;
}

GenotypeError::GenotypeError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

Genotype parseGenotype(const QString& text) {
  Genotype g;
  std::array<bool, kLocusCount> seen{};
  static const QRegularExpression separators(QStringLiteral("[/;]"));
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  // A lone "-" is how a breeder writes that nothing is known.
  if (text.trimmed() == u"-") return g;
  for (QString segment : text.split(separators)) {
    segment = segment.trimmed();
    if (segment.isEmpty()) continue;
    int locus = -1;
    if (const qsizetype colon = segment.indexOf(u':'); colon >= 0) {
      const QString name = segment.left(colon).trimmed();
      locus = findLocus(name);
      if (locus < 0)
        throw GenotypeError(QStringLiteral("Unbekannter Locus „%1“ in „%2“.").arg(name, segment));
      segment = segment.mid(colon + 1).trimmed();
    }
    const QStringList symbols = segment.split(blanks, Qt::SkipEmptyParts);
    std::array<Allele, 2> pair{};
    int count = 0;
    for (const QString& s : symbols) {
      if (count == 2) {
        const QString where = locus >= 0 ? loci()[static_cast<size_t>(locus)].name : segment;
        throw GenotypeError(
            QStringLiteral("Der Locus %1 hat mehr als zwei Allele („%2“).").arg(where, segment));
      }
      if (s == u"-") {
        pair[static_cast<size_t>(count++)] = Allele::unknown();
        continue;
      }
      int symbolLocus = -1;
      const int index = findSymbol(s, &symbolLocus);
      if (index < 0) throw GenotypeError(QStringLiteral("Unbekanntes Allel „%1“ in „%2“.").arg(s, segment));
      if (locus >= 0 && symbolLocus != locus)
        throw GenotypeError(QStringLiteral("Das Allel „%1“ gehört nicht zum Locus %2.")
                                .arg(s, loci()[static_cast<size_t>(locus)].name));
      locus = symbolLocus;
      pair[static_cast<size_t>(count++)] = Allele::of(index);
    }
    if (locus < 0)
      throw GenotypeError(
          QStringLiteral("„%1“ nennt keinen Locus; schreiben Sie z. B. „A: - -“.").arg(segment));
    const Locus& l = loci()[static_cast<size_t>(locus)];
    if (count < 2)
      throw GenotypeError(
          QStringLiteral("Der Locus %1 hat nur ein Allel („%2“); es braucht zwei, „-“ für ein unbekanntes.")
              .arg(l.name, segment));
    if (seen[static_cast<size_t>(locus)])
      throw GenotypeError(QStringLiteral("Der Locus %1 ist zweimal angegeben.").arg(l.name));
    seen[static_cast<size_t>(locus)] = true;
    // An unknown allele beside a known one is not shown, so it is at most as dominant.
    // The most recessive allele hides nothing, so beside it "-" is that allele.
    const int last = static_cast<int>(l.alleles.size()) - 1;
    for (size_t i = 0; i < 2; ++i)
      if (!pair[i].known() && pair[1 - i].known())
        pair[i] = pair[1 - i].index == last ? Allele::of(last) : Allele::unknown(pair[1 - i].index);
    g.loci[static_cast<size_t>(locus)] = AllelePair::make(pair[0], pair[1]);
  }
  return g;
}

std::optional<Genotype> tryParseGenotype(const QString& text, QString* error) {
  try {
    return parseGenotype(text);
  } catch (const GenotypeError& e) {
    if (error) *error = e.message();
    return std::nullopt;
  }
}

QString formatPair(int locus, const AllelePair& pair) {
  const Locus& l = loci()[static_cast<size_t>(locus)];
  const auto sym = [&](const Allele& a) { return a.known() ? l.alleles[a.index] : QStringLiteral("-"); };
  QString s = sym(pair.first) + u' ' + sym(pair.second);
  if (pair.fullyUnknown()) s = l.name + QStringLiteral(": ") + s;
  return s;
}

QString formatGenotype(const Genotype& g) {
  QStringList parts;
  for (int l = 0; l < kLocusCount; ++l) {
    const AllelePair& p = g.loci[static_cast<size_t>(l)];
    if (!p.fullyUnknown()) parts << formatPair(l, p);
  }
  return parts.join(u'/');
}

std::optional<AllelePair> mergePairs(const AllelePair& a, const AllelePair& b, int n) {
  return pairFor(pairSetOf(a, n) & pairSetOf(b, n), n);
}

std::optional<Genotype> mergeGenotypes(const Genotype& a, const Genotype& b, int* conflictLocus) {
  Genotype out;
  for (int l = 0; l < kLocusCount; ++l) {
    const size_t i = static_cast<size_t>(l);
    const int n = alleleCount(l);
    // Restrict the unknown slots to this locus's alleles before comparing.
    const PairSet sa = pairSetOf(a.loci[i], n), sb = pairSetOf(b.loci[i], n);
    if ((sa & sb) == 0) {
      if (conflictLocus) *conflictLocus = l;
      return std::nullopt;
    }
    if ((sa & sb) == sa) {
      out.loci[i] = a.loci[i];
    } else if ((sa & sb) == sb) {
      out.loci[i] = b.loci[i];
    } else {
      out.loci[i] = *mergePairs(a.loci[i], b.loci[i], n);
    }
  }
  return out;
}

}  // namespace lapiro::genetics
