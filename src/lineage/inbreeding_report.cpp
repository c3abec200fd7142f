#include "lineage/inbreeding_report.h"

namespace lapiro::lineage {

using reports::Band;
using reports::Element;
using reports::ReportDataSource;

namespace {

bool isKind(const ReportDataSource& d, int row, const char16_t* kind) {
  return d.value(row, QStringLiteral("Art")).toString() == QString::fromUtf16(kind);
}

}  // namespace

reports::Report inbreedingReport(const InzuchtEingabe& ein, const reports::ReportFont& font) {
  reports::Report r;
  r.title = QStringLiteral("Druck Inzucht");
  r.defaultFont = font;
  const double w = r.page.bodyWidth();

  r.columnHeader = Band(17.0);
  r.columnHeader.add(Element::label(QRectF(0, 0, w * 0.75, 6.0),
                                    QStringLiteral("Inzucht von : ") + ein.kaninchen.text +
                                        QStringLiteral("  Erbformel: ") + ein.kaninchen.erbformel)
                         .bold()
                         .size(12));
  r.columnHeader.add(Element::printDate(QRectF(w * 0.75, 0, w * 0.25, 6.0)).align(Qt::AlignRight | Qt::AlignTop));
  r.columnHeader.add(Element::label(QRectF(0, 7.0, w, 5.0), QStringLiteral("Berechnung über ") +
                                                               QString::number(ein.generation) +
                                                               QStringLiteral(" Generationen")));
  r.columnHeader.add(Element::hLine(0, w, 14.0, 0.3));

  // Father and mother open the first page below the page header: rows of their own kind
  // (a title band would print above the page header).
  Band elt(6.0);
  elt.add(Element::dataField(QRectF(0, 1.0, 22, 5.0), QStringLiteral("Label")).bold());
  elt.add(Element::dataField(QRectF(22, 1.0, w - 22, 5.0), QStringLiteral("Text")));
  elt.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"elt"); };
  r.children.push_back(elt);

  // One detail band per kind of row.
  r.detail = Band(5.0);
  r.detail.add(Element::dataField(QRectF(0, 0, w, 5.0), QStringLiteral("Text")).grow());
  r.detail.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"zeile"); };

  Band kopf(9.0);
  kopf.add(Element::dataField(QRectF(0, 3.0, w, 6.0), QStringLiteral("Text")).bold().size(11));
  kopf.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"kopf"); };
  r.children.push_back(kopf);

  Band vkopf(10.0);
  vkopf.add(Element::label(QRectF(0, 3.0, w * 0.45, 6.0), QStringLiteral("Name des Vorfahren")).bold());
  vkopf.add(Element::label(QRectF(w * 0.45, 3.0, w * 0.55, 6.0), QStringLiteral("Anzahl des Vorkommens im Stammbaum")).bold());
  vkopf.add(Element::hLine(0, w, 9.5, 0.2));
  vkopf.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"vkopf"); };
  r.children.push_back(vkopf);

  Band vorf(5.0);
  vorf.add(Element::dataField(QRectF(0, 0, w * 0.45, 5.0), QStringLiteral("Text")).singleLine());
  vorf.add(Element::dataField(QRectF(w * 0.45, 0, 20, 5.0), QStringLiteral("Anzahl")).align(Qt::AlignRight | Qt::AlignTop));
  vorf.printWhen = [](const ReportDataSource& d, int row) { return isKind(d, row, u"vorf"); };
  r.children.push_back(vorf);

  r.pageFooter = reports::standardPageFooter(w, false);
  return r;
}

reports::MemoryDataSource inbreedingReportRows(const InzuchtEingabe& ein, const InzuchtAusgabe& aus,
                                               const std::vector<Vorfahr>& vorfahren, const DruckOptionen& optionen) {
  reports::MemoryDataSource rows;
  auto add = [&](const char16_t* art, const QString& text, const QVariant& anzahl = {}) {
    QVariantMap m{{QStringLiteral("Art"), QString::fromUtf16(art)}, {QStringLiteral("Text"), text}};
    if (anzahl.isValid()) m.insert(QStringLiteral("Anzahl"), anzahl);
    rows.append(m);
  };
  rows.append({{QStringLiteral("Art"), QStringLiteral("elt")}, {QStringLiteral("Label"), QStringLiteral("Vater :")},
               {QStringLiteral("Text"), ein.vater.text + QStringLiteral("  Erbformel: ") + ein.vater.erbformel}});
  rows.append({{QStringLiteral("Art"), QStringLiteral("elt")}, {QStringLiteral("Label"), QStringLiteral("Mutter :")},
               {QStringLiteral("Text"), ein.mutter.text + QStringLiteral("  Erbformel: ") + ein.mutter.erbformel}});
  // A blank text line keeps its height: the layout prints an empty field as nothing.
  auto line = [&](const QString& text) { add(u"zeile", text.isEmpty() ? QStringLiteral(" ") : text); };
  if (optionen.inzuchtliste) {
    add(u"kopf", QStringLiteral("Auflistung aller Kaninchen mit Inzucht"));
    for (const QString& l : aus.inzucht) line(l);
  }
  add(u"kopf", QStringLiteral("Der Inzuchtkoeffizient beträgt") + aus.prozent);
  for (const QString& l : aus.alleGenerationen) line(l);
  add(u"kopf", QStringLiteral("Ahnenverlust des Tieres"));
  for (const QString& l : aus.ahnenverlust) line(l);
  if (optionen.erbformel) {
    add(u"kopf", QStringLiteral("Erbformel"));
    for (const QString& l : aus.erbformel) line(l);
  }
  if (optionen.vorfahrenliste) {
    add(u"vkopf", QString());
    for (const Vorfahr& v : vorfahren) add(u"vorf", v.name, v.anzahl);
  }
  return rows;
}

}  // namespace lapiro::lineage
