#include "lineage/stock_analysis_report.h"

#include "shell/number_format.h"

#include <algorithm>

namespace lapiro::lineage {

using reports::Band;
using reports::Element;
using reports::ReportDataSource;
using shell::formatFixed;

namespace {

QString undefined() { return QString::fromUtf16(kUndefiniert); }

QString fixedOr(const std::optional<double>& v, int decimals) { return v ? formatFixed(*v, decimals) : undefined(); }

// A coefficient with four decimals and in percent: "0,0625 (6,25 %)".
QString coefficient(const std::optional<double>& v) {
  if (!v) return undefined();
  return formatFixed(*v, 4) + QStringLiteral(" (") + formatFixed(*v * 100.0, 2) + QStringLiteral(" %)");
}

bool isKind(const ReportDataSource& d, int row, const char16_t* kind) {
  return d.value(row, QStringLiteral("Art")).toString() == QString::fromUtf16(kind);
}

const double kListWidths[] = {0.07, 0.17, 0.17, 0.11, 0.10, 0.10, 0.09, 0.09, 0.10};
constexpr int kListColumns = 9;

QStringList listTitles() {
  return {QStringLiteral("Rang"), QStringLiteral("Tier"),     QStringLiteral("Name"),
          QStringLiteral("Geb."), QStringLiteral("F"),        QStringLiteral("MK"),
          QStringLiteral("Vollst."), QStringLiteral("Gen."), QStringLiteral("Nachk.")};
}

QStringList listCells(const AnalyseTier& t) {
  return {t.rang > 0 ? QString::number(t.rang) : undefined(),
          t.text(),
          t.name,
          t.geburtstag.isValid() ? t.geburtstag.toString(QStringLiteral("dd.MM.yyyy")) : QString(),
          formatFixed(t.f, 4),
          formatFixed(t.mk, 4),
          formatFixed(t.vollstaendigkeit, 3),
          formatFixed(t.generationen, 2),
          QString::number(t.nachkommen)};
}

}  // namespace

std::vector<std::pair<QString, QString>> zusammenfassung(const Bestandsanalyse& a) {
  const PopulationFigures& w = a.werte;
  const ContributionResult& c = a.beitraege;
  std::vector<std::pair<QString, QString>> out;
  auto add = [&](const char16_t* label, const QString& value) { out.emplace_back(QString::fromUtf16(label), value); };
  add(u"Referenzpopulation", a.referenzText);
  add(u"Stichtag", a.stichtag.toString(QStringLiteral("dd.MM.yyyy")));
  add(u"Tiere in der Referenzpopulation", QString::number(w.size));
  add(u"Gründertiere (beide Eltern unbekannt)", QString::number(c.founders));
  add(u"Phantom-Eltern (ein Elternteil unbekannt)", QString::number(c.phantomParents));
  add(u"Mittlerer Inzuchtkoeffizient F", coefficient(w.meanF));
  add(u"Mittlere Verwandtschaft MK", coefficient(w.meanMK));
  add(u"Effektive Gründerzahl fe", c.fe > 0 ? formatFixed(c.fe, 2) : undefined());
  add(u"Effektive Ahnenzahl fa", c.fa > 0 ? formatFixed(c.fa, 2) : undefined());
  add(u"Ahnen, die die Hälfte der Gene erklären", c.ancestorsForHalf > 0 ? QString::number(c.ancestorsForHalf) : undefined());
  add(u"Gründergenom-Äquivalente fg", fixedOr(w.fg, 2));
  add(u"Mittlere äquivalente vollständige Generationen", fixedOr(w.meanGenerations, 2));
  add(u"Mittlere Vollständigkeit (5 Generationen)", fixedOr(w.meanCompleteness, 3));
  add(u"Generationsintervall (Jahre)",
      w.generationInterval ? formatFixed(*w.generationInterval, 2) + QStringLiteral(" (") +
                                 QString::number(w.intervalPairs) + QStringLiteral(" Eltern-Nachkommen-Paare)")
                           : undefined());
  add(u"Inzuchtzunahme je Generation ΔF",
      w.deltaF ? coefficient(w.deltaF) + QStringLiteral(", aus ") + QString::number(w.neAnimals) + QStringLiteral(" Tieren")
               : undefined());
  add(u"Effektive Populationsgröße Ne", fixedOr(w.ne, 1));
  add(u"Zuchtfähige Tiere in der Rangfolge", QString::number(a.zuchtfaehige));
  return out;
}

std::vector<std::pair<QString, QString>> hauptahnenZeilen(const Bestandsanalyse& a) {
  std::vector<std::pair<QString, QString>> out;
  for (const Bestandsanalyse::Ahn& ahn : a.hauptahnen)
    out.emplace_back(ahn.text, formatFixed(ahn.grenzbeitrag * 100.0, 2) + QStringLiteral(" % (Beitrag ") +
                                   formatFixed(ahn.beitrag * 100.0, 2) + QStringLiteral(" %)"));
  return out;
}

QStringList analyseSpalten() {
  return {QStringLiteral("Täto re"),       QStringLiteral("Täto li"),     QStringLiteral("Name"),
          QStringLiteral("Geschl."),       QStringLiteral("Geb."),        QStringLiteral("Referenz"),
          QStringLiteral("F"),             QStringLiteral("MK"),          QStringLiteral("Vollständigkeit"),
          QStringLiteral("Äquiv. Gen."),   QStringLiteral("Nachkommen"),  QStringLiteral("Für die Vielfalt behalten")};
}

QString analyseZelle(const AnalyseTier& t, int column) {
  switch (column) {
    case 0: return t.tatoRechts;
    case 1: return t.tatoLinks;
    case 2: return t.name;
    case 3: return t.rammler ? QStringLiteral("1.0") : QStringLiteral("0.1");
    case 4: return t.geburtstag.isValid() ? t.geburtstag.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    case 5: return t.referenz ? QStringLiteral("ja") : QString();
    case 6: return formatFixed(t.f, 4);
    case 7: return formatFixed(t.mk, 4);
    case 8: return formatFixed(t.vollstaendigkeit, 3);
    case 9: return formatFixed(t.generationen, 2);
    case 10: return QString::number(t.nachkommen);
    case 11: return t.rang > 0 ? QString::number(t.rang) : undefined();
    default: return {};
  }
}

QStringList analyseZeile(const AnalyseTier& t) {
  QStringList cells;
  for (int c = 0; c < kAnalyseSpalten; ++c) cells << analyseZelle(t, c);
  return cells;
}

QStringList analyseHinweise() {
  return {
      QStringLiteral("Referenzpopulation: die Tiere, an denen die Vielfalt gemessen wird – der lebende Bestand "
                     "(gewählte Status, ohne Schlacht- oder Todesdatum), die in gewählten Jahren geborenen Tiere oder "
                     "eine Liste von Tieren."),
      QStringLiteral("Abstammung: ein unbekannter Elternteil zählt als unbekannt. Eine Elternnummer ohne eigenen Datensatz "
                     "ist ein Gründertier. Ist nur ein Elternteil bekannt, zählt der unbekannte für die Gründer- und "
                     "Ahnenanteile als eigenes Gründertier (Phantom-Elternteil, nach Boichard u. a. 1997). Schleifen in "
                     "der Abstammung werden gemeldet und an der schließenden Verbindung unterbrochen."),
      QStringLiteral("F: Inzuchtkoeffizient nach Wright über alle bekannten Generationen (Meuwissen & Luo 1992)."),
      QStringLiteral("MK: mittlere Verwandtschaft eines Tieres mit der Referenzpopulation, der Mittelwert seiner Zeile der "
                     "Verwandtschaftsmatrix geteilt durch 2, das Tier selbst eingeschlossen; für alle Tiere auf einmal "
                     "als ein Produkt mit der Verwandtschaftsmatrix nach Colleau (2002) berechnet. Der Mittelwert über "
                     "die Referenzpopulation ist die Koanzestrie, der sich das F der nächsten Generation nähert."),
      QStringLiteral("Vollständigkeit: Index nach MacCluer u. a. (1983) über 5 Generationen, je Seite der mittlere Anteil "
                     "bekannter Ahnen je Generation, beide Seiten durch ihr harmonisches Mittel verbunden (0 bis 1)."),
      QStringLiteral("Äquivalente vollständige Generationen: Summe von (1/2)^n über alle bekannten Ahnen, n Generationen "
                     "zurück."),
      QStringLiteral("fe: effektive Gründerzahl 1 / Σ p², p der Genanteil jedes Gründers an der Referenzpopulation "
                     "(Lacy 1989)."),
      QStringLiteral("fa: effektive Ahnenzahl nach Boichard u. a. (1997) aus den Grenzbeiträgen der Ahnen, bis zum Ende "
                     "berechnet: die Beiträge ergeben zusammen 1. Auch Tiere der Referenzpopulation zählen als Ahnen."),
      QStringLiteral("fg: Gründergenom-Äquivalente 1 / (2 · mittlere MK) (Lacy 1995)."),
      QStringLiteral("Generationsintervall: mittleres Alter der bekannten Eltern bei der Geburt der Tiere der "
                     "Referenzpopulation."),
      QStringLiteral("ΔF und Ne: individuelle Inzuchtzunahme ΔF = 1 − (1 − F)^(1/(t − 1)) mit t äquivalenten Generationen, "
                     "gemittelt über die Tiere der Referenzpopulation mit t > 1; Ne = 1 / (2 · ΔF) (Gutiérrez u. a. 2008)."),
      QStringLiteral("Für die Vielfalt behalten: Rangfolge der zuchtfähigen Tiere der Referenzpopulation (5 Monate bis "
                     "6 Jahre alt am Stichtag) nach steigender MK; Rang 1 trägt am wenigsten zur Verwandtschaft bei."),
      QStringLiteral("„—“: der Wert ist nicht bestimmt (z. B. keine Inzuchtzunahme, keine Geburtsdaten)."),
  };
}

std::pair<std::vector<const AnalyseTier*>, std::vector<const AnalyseTier*>> mkListen(const Bestandsanalyse& a, int count) {
  std::vector<const AnalyseTier*> pool;
  for (const AnalyseTier& t : a.tiere)
    if (t.rang > 0) pool.push_back(&t);
  if (pool.empty())
    for (const AnalyseTier& t : a.tiere)
      if (t.referenz) pool.push_back(&t);
  std::stable_sort(pool.begin(), pool.end(), [](const AnalyseTier* x, const AnalyseTier* y) { return x->mk < y->mk; });
  const size_t n = std::min(pool.size(), static_cast<size_t>(std::max(0, count)));
  std::vector<const AnalyseTier*> low(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(n));
  std::vector<const AnalyseTier*> high(pool.rbegin(), pool.rbegin() + static_cast<std::ptrdiff_t>(n));
  return {low, high};
}

reports::Report analyseReport(const reports::ReportFont& font) {
  reports::Report r;
  r.title = QStringLiteral("Bestandsanalyse");
  r.defaultFont = font;
  const double w = r.page.bodyWidth();

  r.titleBand = Band(10.0);
  r.titleBand.add(Element::label(QRectF(0, 0, w * 0.7, 7.0), QStringLiteral("Bestandsanalyse")).bold().size(14));
  r.titleBand.add(Element::printDate(QRectF(w * 0.7, 0, w * 0.3, 7.0)).align(Qt::AlignRight | Qt::AlignTop));

  Band kopf(9.0);
  kopf.add(Element::dataField(QRectF(0, 3.0, w, 6.0), QStringLiteral("Text")).bold().size(11));
  kopf.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"kopf"); };
  r.children.push_back(kopf);

  r.detail = Band(5.0);
  r.detail.add(Element::dataField(QRectF(0, 0, w * 0.45, 5.0), QStringLiteral("Label")));
  r.detail.add(Element::dataField(QRectF(w * 0.45, 0, w * 0.55, 5.0), QStringLiteral("Wert")).grow());
  r.detail.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"wert"); };

  Band thead(7.0);
  Band tier(4.6);
  double x = 0;
  const QStringList titles = listTitles();
  for (int c = 0; c < kListColumns; ++c) {
    const double cw = w * kListWidths[c];
    Element head = Element::label(QRectF(x, 1.0, cw - 1.5, 5.0), titles[c]).bold().singleLine();
    Element e = Element::dataField(QRectF(x, 0, cw - 1.5, 4.6), QStringLiteral("C%1").arg(c));
    e.singleLine();
    if (c == 0 || c >= 4) {
      head.align(Qt::AlignRight | Qt::AlignTop);
      e.align(Qt::AlignRight | Qt::AlignTop);
    }
    thead.add(head);
    tier.add(e);
    x += cw;
  }
  thead.add(Element::hLine(0, w, 6.6, 0.3));
  thead.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"thead"); };
  tier.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"tier"); };
  r.children.push_back(thead);
  r.children.push_back(tier);

  Band zeile(4.6);
  zeile.add(Element::dataField(QRectF(0, 0.5, w, 4.0), QStringLiteral("Text")).grow().size(8));
  zeile.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"zeile"); };
  r.children.push_back(zeile);

  r.pageFooter = reports::standardPageFooter(w, true);
  return r;
}

reports::MemoryDataSource analyseRows(const Bestandsanalyse& a) {
  reports::MemoryDataSource rows;
  auto kopf = [&](const QString& text) { rows.append({{QStringLiteral("Art"), QStringLiteral("kopf")}, {QStringLiteral("Text"), text}}); };
  kopf(QStringLiteral("Zusammenfassung"));
  for (const auto& [label, value] : zusammenfassung(a))
    rows.append({{QStringLiteral("Art"), QStringLiteral("wert")}, {QStringLiteral("Label"), label + u':'}, {QStringLiteral("Wert"), value}});
  if (!a.hauptahnen.empty()) {
    kopf(QStringLiteral("Die wichtigsten Ahnen (Grenzbeitrag zu den Genen der Referenzpopulation)"));
    for (const auto& [name, value] : hauptahnenZeilen(a))
      rows.append({{QStringLiteral("Art"), QStringLiteral("wert")}, {QStringLiteral("Label"), name}, {QStringLiteral("Wert"), value}});
  }
  const auto [low, high] = mkListen(a, 20);
  auto list = [&](const QString& title, const std::vector<const AnalyseTier*>& animals) {
    kopf(title);
    rows.append({{QStringLiteral("Art"), QStringLiteral("thead")}});
    for (const AnalyseTier* t : animals) {
      QVariantMap m{{QStringLiteral("Art"), QStringLiteral("tier")}};
      const QStringList cells = listCells(*t);
      for (int c = 0; c < cells.size(); ++c) m.insert(QStringLiteral("C%1").arg(c), cells[c]);
      rows.append(m);
    }
  };
  list(QStringLiteral("Die %1 Tiere mit der niedrigsten MK (für die Vielfalt behalten)").arg(low.size()), low);
  list(QStringLiteral("Die %1 Tiere mit der höchsten MK").arg(high.size()), high);
  kopf(QStringLiteral("Hinweise zur Berechnung"));
  for (const QString& line : analyseHinweise())
    rows.append({{QStringLiteral("Art"), QStringLiteral("zeile")}, {QStringLiteral("Text"), line}});
  return rows;
}

}  // namespace lapiro::lineage
