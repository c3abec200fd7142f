#include "lineage/descendants_report.h"

namespace lapiro::lineage {

using reports::Element;

reports::MemoryDataSource offspringReportData(const std::vector<OffspringRow>& rows, bool parentIsBuck) {
  reports::MemoryDataSource data;
  for (const OffspringRow& r : rows) {
    QVariantMap m;
    m[QStringLiteral("TatoRechts")] = r.tatoRechts;
    m[QStringLiteral("TatoLinks")] = r.tatoLinks;
    m[QStringLiteral("Geburtstag")] = r.geburtstag.isValid() ? QVariant(r.geburtstag) : QVariant();
    // "Geschl." shows the short form "1.0" / "0.1".
    m[QStringLiteral("Geschlecht")] = r.geschlecht.right(3);
    m[QStringLiteral("Farbe")] = r.farbe;
    m[QStringLiteral("Rasse")] = r.rasse;
    m[QStringLiteral("Elternteil")] = parentIsBuck ? r.mutter : r.vater;
    m[QStringLiteral("Zuechter")] = r.zuechter;
    m[QStringLiteral("Besitzer")] = r.besitzer;
    data.append(m);
  }
  return data;
}

reports::Report TReportNachkommenliste(const OffspringParent& parent, const reports::ReportFont& font) {
  reports::Report r;
  r.title = QStringLiteral("Nachkommenliste");
  r.page.format = reports::PageFormat::A4;
  r.page.orientation = reports::Orientation::Landscape;
  r.page.margins = QMarginsF(12.0, 12.0, 12.0, 10.0);
  r.defaultFont = font;
  r.defaultFont.pointSize = 8.5;
  const double width = r.page.bodyWidth();

  r.titleBand = reports::Band(20.0);
  r.titleBand.add(Element::label(QRectF(0, 0, width * 0.75, 8.0),
                                 QStringLiteral("Nachkommen von : ") + parent.tatoRechts + QStringLiteral("  ") +
                                     parent.tatoLinks)
                      .size(14)
                      .bold()
                      .singleLine());
  r.titleBand.add(Element::printDate(QRectF(width * 0.75, 1.5, width * 0.25, 6.0))
                      .size(9)
                      .align(Qt::AlignRight | Qt::AlignTop)
                      .singleLine());
  QStringList facts;
  if (!parent.rasse.isEmpty()) facts << QStringLiteral("Rasse: ") + parent.rasse;
  if (!parent.farbe.isEmpty()) facts << QStringLiteral("Farbe: ") + parent.farbe;
  if (parent.geburtstag.isValid()) facts << QStringLiteral("Geb.: ") + parent.geburtstag.toString(QStringLiteral("dd.MM.yyyy"));
  r.titleBand.add(Element::label(QRectF(0, 9.5, width, 6.0), facts.join(QStringLiteral("    "))).size(10).singleLine());

  struct Column {
    QString title, field;
    double width;
    reports::ValueFormat format;
  };
  const std::vector<Column> columns = {
      {QStringLiteral("Täto rechts"), QStringLiteral("TatoRechts"), 22, {}},
      {QStringLiteral("Täto links"), QStringLiteral("TatoLinks"), 24, {}},
      {QStringLiteral("Geb."), QStringLiteral("Geburtstag"), 21, reports::ValueFormat::date()},
      {QStringLiteral("Geschl."), QStringLiteral("Geschlecht"), 14, {}},
      {QStringLiteral("Farbe"), QStringLiteral("Farbe"), 32, {}},
      {QStringLiteral("Rasse"), QStringLiteral("Rasse"), 38, {}},
      {parent.buck ? QStringLiteral("Mutter") : QStringLiteral("Vater"), QStringLiteral("Elternteil"), 34, {}},
      {QStringLiteral("Züchter"), QStringLiteral("Zuechter"), 44, {}},
      {QStringLiteral("Besitzer"), QStringLiteral("Besitzer"), 0, {}},
  };
  r.columnHeader = reports::Band(6.0);
  r.columnHeader.add(Element::box(QRectF(0, 0, width, 6.0), QColor(0xE4, 0xE8, 0xEE), 0.0).stretch());
  r.detail = reports::Band(5.0);
  double x = 0.0;
  for (const Column& c : columns) {
    const double w = c.width > 0 ? c.width : width - x;
    r.columnHeader.add(Element::label(QRectF(x, 0, w, 6.0), c.title).bold().pad(0.7).grow());
    r.detail.add(Element::dataField(QRectF(x, 0, w, 5.0), c.field, c.format).pad(0.7).grow());
    x += w;
  }
  r.columnHeader.add(Element::hLine(0, width, 6.0, 0.3).stretch());
  r.detail.add(Element::hLine(0, width, 5.0, 0.1).colour(QColor(0xB0, 0xB0, 0xB0)).stretch());
  r.summary = reports::Band(8.0);
  r.summary.add(Element::count(QRectF(0, 2.0, width, 5.0), QStringLiteral("Anzahl Nachkommen: ")).bold().singleLine());
  r.pageFooter = reports::standardPageFooter(width, false);
  return r;
}

}  // namespace lapiro::lineage
