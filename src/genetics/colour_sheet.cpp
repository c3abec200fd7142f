#include "genetics/colour_sheet.h"

namespace lapiro::genetics {

using reports::Band;
using reports::Element;
using reports::ReportDataSource;

PairSide stockSide(const StockGenetics& stock, std::int32_t index) {
  PairSide s;
  if (index < 0 || static_cast<size_t>(index) >= stock.animals.size()) return s;
  s.animal = index;
  s.label = stock.tattoos[static_cast<size_t>(index)].trimmed();
  s.colour = stock.colourNames[static_cast<size_t>(index)];
  s.genotype = stock.inference.genotypes[static_cast<size_t>(index)];
  s.carriers = stock.carrierTexts(index);
  return s;
}

PairSide typedSide(const QString& genotypeText) {
  PairSide s;
  s.label = QStringLiteral("eingegeben");
  s.genotype = parseGenotype(genotypeText);
  for (const CarriedAllele& c : carriersFromParents(s.genotype, nullptr, nullptr)) s.carriers << c.text();
  return s;
}

PairAnalysis analysePair(const PairSide& buck, const PairSide& doe, const StockGenetics* stock) {
  PairAnalysis a;
  a.buck = buck;
  a.doe = doe;
  a.result = cross(buck.genotype, doe.genotype);
  if (!stock) return a;
  for (const Contradiction& c : stock->inference.contradictions) {
    const StockAnimal& young = stock->animals[static_cast<size_t>(c.animal)];
    const bool aboutParent =
        (buck.animal >= 0 && c.animal == buck.animal) || (doe.animal >= 0 && c.animal == doe.animal);
    const bool ofThePair =
        buck.animal >= 0 && doe.animal >= 0 && young.sire == buck.animal && young.dam == doe.animal;
    if (aboutParent || ofThePair) a.contradictions << stock->describe(c);
  }
  return a;
}

QString lociText(const QList<int>& list) {
  QStringList names;
  for (const int l : list) names << loci()[static_cast<size_t>(l)].name;
  return names.join(QStringLiteral(", "));
}

namespace {

bool isKind(const ReportDataSource& d, int row, const char16_t* kind) {
  return d.value(row, QStringLiteral("Art")).toString() == QString::fromUtf16(kind);
}

QString sideText(const PairSide& s) {
  QString t = s.label;
  if (!s.colour.isEmpty()) t += QStringLiteral(", ") + s.colour;
  const QString g = formatGenotype(s.genotype);
  t += QStringLiteral(" – Genotyp: ") + (g.isEmpty() ? QStringLiteral("unbekannt") : g);
  if (!s.carriers.isEmpty()) t += QStringLiteral(" – ") + s.carriers.join(QStringLiteral(", "));
  return t;
}

}  // namespace

reports::Report colourSheetReport(const reports::ReportFont& font) {
  reports::Report r;
  r.title = QStringLiteral("Farbvererbung");
  r.defaultFont = font;
  const double w = r.page.bodyWidth();
  // Columns of the colour table.
  const double cFarbe = 0, wFarbe = 52, cAnteil = 52, wAnteil = 18, cBruch = 70, wBruch = 18, cTraegt = 90,
               wTraegt = 60, cLoci = 152, wLoci = w - 152;

  r.columnHeader = Band(14.0);
  r.columnHeader.add(
      Element::label(QRectF(0, 0, w * 0.7, 7.0), QStringLiteral("Farbvererbung")).bold().size(14));
  r.columnHeader.add(
      Element::printDate(QRectF(w * 0.7, 0, w * 0.3, 6.0)).align(Qt::AlignRight | Qt::AlignTop));
  r.columnHeader.add(Element::hLine(0, w, 11.0, 0.3));

  Band elt(6.0);
  elt.add(Element::dataField(QRectF(0, 0.5, 20, 5.0), QStringLiteral("Label")).bold());
  elt.add(Element::dataField(QRectF(20, 0.5, w - 20, 5.0), QStringLiteral("Text")).grow());
  elt.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"elt"); };
  r.detail = elt;

  Band kopf(10.0);
  kopf.add(Element::dataField(QRectF(0, 3.0, w, 6.0), QStringLiteral("Text")).bold().size(11));
  kopf.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"kopf"); };
  r.children.push_back(kopf);

  Band tkopf(7.0);
  const auto head = [&](double x, double width, const char16_t* text) {
    tkopf.add(Element::label(QRectF(x, 0.5, width, 5.0), QString::fromUtf16(text)).bold());
  };
  head(cFarbe, wFarbe, u"Farbe");
  head(cAnteil, wAnteil, u"Anteil");
  head(cBruch, wBruch, u"Bruch");
  head(cTraegt, wTraegt, u"Die Jungtiere dieser Farbe");
  head(cLoci, wLoci, u"entscheidend");
  tkopf.add(Element::hLine(0, w, 6.5, 0.2));
  tkopf.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"tkopf"); };
  r.children.push_back(tkopf);

  Band farbe(5.5);
  farbe.add(Element::dataField(QRectF(cFarbe, 0.5, wFarbe - 1, 5.0), QStringLiteral("Farbe")).grow());
  farbe.add(Element::dataField(QRectF(cAnteil, 0.5, wAnteil - 2, 5.0), QStringLiteral("Anteil"))
                .align(Qt::AlignRight | Qt::AlignTop));
  farbe.add(Element::dataField(QRectF(cBruch, 0.5, wBruch - 2, 5.0), QStringLiteral("Bruch"))
                .align(Qt::AlignRight | Qt::AlignTop));
  farbe.add(Element::dataField(QRectF(cTraegt, 0.5, wTraegt, 5.0), QStringLiteral("Traegt")).grow());
  farbe.add(Element::dataField(QRectF(cLoci, 0.5, wLoci, 5.0), QStringLiteral("Loci")).grow());
  farbe.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"farbe"); };
  r.children.push_back(farbe);

  Band zeile(5.5);
  zeile.add(Element::dataField(QRectF(0, 0.5, w, 5.0), QStringLiteral("Text")).grow());
  zeile.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"zeile"); };
  r.children.push_back(zeile);

  Band warnung(5.5);
  warnung.add(
      Element::dataField(QRectF(0, 0.5, w, 5.0), QStringLiteral("Text")).grow().colour(QColor(170, 0, 0)));
  warnung.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"warnung"); };
  r.children.push_back(warnung);

  r.pageFooter = reports::standardPageFooter(w, true);
  return r;
}

reports::MemoryDataSource colourSheetRows(const PairAnalysis& a) {
  reports::MemoryDataSource rows;
  const auto line = [&](const char16_t* kind, const QString& text) {
    rows.append({{QStringLiteral("Art"), QString::fromUtf16(kind)}, {QStringLiteral("Text"), text}});
  };
  rows.append({{QStringLiteral("Art"), QStringLiteral("elt")},
               {QStringLiteral("Label"), QStringLiteral("Rammler:")},
               {QStringLiteral("Text"), sideText(a.buck)}});
  rows.append({{QStringLiteral("Art"), QStringLiteral("elt")},
               {QStringLiteral("Label"), QStringLiteral("Häsin:")},
               {QStringLiteral("Text"), sideText(a.doe)}});
  line(u"kopf", QStringLiteral("Zu erwartende Farben der Jungtiere"));
  rows.append({{QStringLiteral("Art"), QStringLiteral("tkopf")}});
  for (const CrossOutcome& o : a.result.outcomes) {
    QStringList carried;
    for (const CarriedAllele& c : o.carried) carried << c.text();
    if (!o.unknownLoci.isEmpty()) carried << QStringLiteral("unbekannt an ") + lociText(o.unknownLoci);
    rows.append({{QStringLiteral("Art"), QStringLiteral("farbe")},
                 {QStringLiteral("Farbe"), o.phenotype.name},
                 {QStringLiteral("Anteil"), o.share.percentText()},
                 {QStringLiteral("Bruch"), o.share.text()},
                 {QStringLiteral("Traegt"), carried.join(QStringLiteral(", "))},
                 {QStringLiteral("Loci"), lociText(o.phenotype.decidingLoci)}});
  }
  if (!a.result.segregating.isEmpty())
    line(u"zeile", QStringLiteral("Die Jungtiere unterscheiden sich an: ") + lociText(a.result.segregating));
  if (!a.contradictions.isEmpty()) {
    line(u"kopf", QStringLiteral("Widersprüche in den Aufzeichnungen"));
    for (const QString& c : a.contradictions) line(u"warnung", c);
  }
  return rows;
}

}  // namespace lapiro::genetics
