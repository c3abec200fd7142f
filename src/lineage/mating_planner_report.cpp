#include "lineage/mating_planner_report.h"

#include "lineage/stock_analysis.h"
#include "shell/number_format.h"
#include "shows/show_score.h"

namespace lapiro::lineage {

using reports::Band;
using reports::Element;

namespace {
// "F alle Gen." is wide enough for "0,00 – Abstammung unbekannt".
const double kWidths[] = {0.10, 0.10, 0.18, 0.07, 0.08, 0.14, 0.10, 0.10, 0.13};
constexpr int kSpalten = 9;
bool numeric(int column) { return column == 2 || column == 3 || column >= 6; }
QString schau(const std::optional<double>& v) { return v ? shows::formatPoints(*v) : QString(); }
}  // namespace

QStringList planSpalten() {
  return {QStringLiteral("Rammler"),       QStringLiteral("Häsin"),      QStringLiteral("F alle Gen. %"),
          QStringLiteral("F 4 Gen. %"),    QStringLiteral("Erbformeln"), QStringLiteral("Erbformel Nachzucht"),
          QStringLiteral("Schau Rammler"), QStringLiteral("Schau Häsin"), QStringLiteral("MK der Nachkommen")};
}

QStringList planZeile(const PlanPaar& p, const std::vector<PlanTier>& rammler, const std::vector<PlanTier>& haesinnen,
                      bool abstammungUnbekannt) {
  const QString fAlle = shell::formatFixed(p.fAlle * 100.0, 2);
  return {rammler[p.rammler].text(),
          haesinnen[p.haesin].text(),
          abstammungUnbekannt ? fAlle + QStringLiteral(" – ") + QString::fromUtf16(kAbstammungUnbekannt) : fAlle,
          shell::formatFixed(p.f4 * 100.0, 2),
          p.formelnOk ? QStringLiteral("passen")
          : rammler[p.rammler].erbformel.isEmpty() || haesinnen[p.haesin].erbformel.isEmpty()
              ? QStringLiteral("fehlen")
              : QStringLiteral("passen nicht"),
          p.formel,
          schau(p.schauRammler),
          schau(p.schauHaesin),
          p.mkNachkommen ? shell::formatFixed(*p.mkNachkommen, 4) : QString::fromUtf16(kUndefiniert)};
}

std::vector<char> unbekannteAbstammung(const std::vector<PlanPaar>& pairs, const std::vector<PlanTier>& rammler,
                                       const std::vector<PlanTier>& haesinnen, const Pedigree& ped) {
  auto ohneAhnen = [&ped](qint64 nummer) {
    const std::int32_t i = ped.indexOf(nummer);
    return i == 0 || (ped.sire[static_cast<size_t>(i)] == 0 && ped.dam[static_cast<size_t>(i)] == 0);
  };
  std::vector<char> out(pairs.size(), 0);
  // A pair related through the partner without ancestors (a son with his mother) has a
  // coefficient that tells something; only a 0 is doubtful.
  for (size_t k = 0; k < pairs.size(); ++k)
    out[k] = pairs[k].fAlle == 0.0 &&
                     (ohneAhnen(rammler[pairs[k].rammler].nummer) || ohneAhnen(haesinnen[pairs[k].haesin].nummer))
                 ? 1
                 : 0;
  return out;
}

reports::Report planReport(double schwelle, const reports::ReportFont& font) {
  reports::Report r;
  r.title = QStringLiteral("Anpaarungsplanung");
  r.page.orientation = reports::Orientation::Landscape;
  r.defaultFont = font;
  const double w = r.page.bodyWidth();
  r.titleBand = Band(14.0);
  r.titleBand.add(Element::label(QRectF(0, 0, w * 0.7, 7.0), QStringLiteral("Anpaarungsplanung")).bold().size(14));
  r.titleBand.add(Element::printDate(QRectF(w * 0.7, 0, w * 0.3, 7.0)).align(Qt::AlignRight | Qt::AlignTop));
  r.titleBand.add(Element::label(QRectF(0, 8.0, w, 5.0), QStringLiteral("Markiert (!): Inzuchtkoeffizient über ") +
                                                            shell::formatFixed(schwelle, 2) + QStringLiteral(" %")));
  r.columnHeader = Band(6.0);
  r.detail = Band(5.0);
  double x = 0;
  const QStringList titles = planSpalten();
  for (int c = 0; c < kSpalten; ++c) {
    const double cw = w * kWidths[c];
    Element head = Element::label(QRectF(x, 0, cw - 2.0, 5.5), titles[c]).bold().singleLine();
    Element e = Element::dataField(QRectF(x, 0, cw - 2.0, 5.0), QStringLiteral("C%1").arg(c));
    e.singleLine();
    if (numeric(c)) {
      head.align(Qt::AlignRight | Qt::AlignTop);
      e.align(Qt::AlignRight | Qt::AlignTop);
    }
    r.columnHeader.add(head);
    r.detail.add(e);
    x += cw;
  }
  r.columnHeader.add(Element::hLine(0, w, 5.8, 0.3));
  r.pageFooter = reports::standardPageFooter(w, true);
  return r;
}

reports::MemoryDataSource planRows(const std::vector<PlanPaar>& pairs, const std::vector<int>& order,
                                   const std::vector<PlanTier>& rammler, const std::vector<PlanTier>& haesinnen,
                                   double schwelle, const std::vector<char>& unbekannt) {
  reports::MemoryDataSource rows;
  for (int i : order) {
    const PlanPaar& p = pairs[i];
    const bool ohne = static_cast<size_t>(i) < unbekannt.size() && unbekannt[static_cast<size_t>(i)];
    const QStringList cells = planZeile(p, rammler, haesinnen, ohne);
    QVariantMap m;
    const bool marked = p.fAlle * 100.0 > schwelle;
    for (int c = 0; c < cells.size(); ++c) m.insert(QStringLiteral("C%1").arg(c), cells[c]);
    if (marked) m.insert(QStringLiteral("C0"), QStringLiteral("! ") + cells[0]);
    rows.append(m);
  }
  return rows;
}

}  // namespace lapiro::lineage
