#include "reports/address_reports.h"

#include <QStringList>

#include "reports/data_source.h"

namespace lapiro::reports {

namespace {

QString textOf(const ReportDataSource& data, int row, const QString& field) {
  return data.value(row, field).toString().trimmed();
}

// "Name, Vorname", or only the name when there is no first name.
QVariant nameDisplay(const ReportDataSource& data, int row) {
  const QString name = textOf(data, row, QStringLiteral("Name"));
  const QString first = textOf(data, row, QStringLiteral("Vorname"));
  if (first.isEmpty()) return name;
  if (name.isEmpty()) return first;
  return name + QStringLiteral(", ") + first;
}

// Postcode and place joined by one blank.
QVariant placeDisplay(const ReportDataSource& data, int row) {
  QStringList parts{textOf(data, row, QStringLiteral("PLZ")), textOf(data, row, QStringLiteral("Ort"))};
  parts.removeAll(QString());
  return parts.join(u' ');
}

QVariant breedDisplay(const ReportDataSource& data, int row) {
  const QString name = textOf(data, row, QStringLiteral("RasseAnzeige"));
  if (!name.isEmpty()) return name;
  const QVariant number = data.value(row, QStringLiteral("Rasse"));
  return number.toLongLong() > 0 ? number : QVariant();
}

const QColor kHeaderFill(0xE4, 0xE8, 0xEE);
const QColor kRuleColour(0xB0, 0xB0, 0xB0);

}  // namespace

TReportAdressliste::TReportAdressliste(const ReportFont& font) {
  title = QStringLiteral("Adressenliste");
  page.format = PageFormat::A4;
  page.orientation = Orientation::Landscape;
  page.margins = QMarginsF(12.0, 12.0, 12.0, 10.0);
  defaultFont = font;
  defaultFont.pointSize = font.pointSize > 0.0 ? std::min(font.pointSize, 7.5) : 7.5;
  const double width = page.bodyWidth();

  titleBand = Band(13.0);
  titleBand.add(Element::printDate(QRectF(0, 0, width * 0.7, 8.0), QStringLiteral("Adressenliste vom "))
                    .size(14)
                    .bold()
                    .singleLine());

  struct Column {
    QString title;
    double width;
    Element::Calculation calc;
    QString field;
    ValueFormat format;
  };
  const std::vector<Column> columns = {
      {QStringLiteral("Name"), 34, nameDisplay, {}, {}},
      {QStringLiteral("Straße"), 29, {}, QStringLiteral("Straße"), {}},
      {QStringLiteral("Ort"), 30, placeDisplay, {}, {}},
      {QStringLiteral("Telefon"), 20, {}, QStringLiteral("Telefon"), {}},
      {QStringLiteral("Fax"), 20, {}, QStringLiteral("Telefax"), {}},
      {QStringLiteral("E-Mail"), 34, {}, QStringLiteral("EMail"), {}},
      {QStringLiteral("Homepage"), 24, {}, QStringLiteral("Homepage"), {}},
      // Soft hyphens let the long heading break at a syllable ("Vereinskenn-/zeichen").
      {QStringLiteral("Vereins\u00ADkenn\u00ADzeichen"), 21, {}, QStringLiteral("Vereinskennzeichen"), {}},
      {QStringLiteral("Geburtstag"), 19, {}, QStringLiteral("Geburtstag"), ValueFormat::date()},
      {QStringLiteral("Land"), 19, {}, QStringLiteral("Land"), {}},
      // The rest of the width (23 mm): room for category names such as "Futterhändler"
      // or "Vereinsmitglied" in one piece.
      {QStringLiteral("Status"), 0, {}, QStringLiteral("Status"), {}},
  };

  constexpr double kPad = 0.7;
  columnHeader = Band(6.0);
  columnHeader.add(Element::box(QRectF(0, 0, width, 6.0), kHeaderFill, 0.0).stretch());
  detail = Band(5.0);
  double x = 0.0;
  for (const Column& column : columns) {
    // The last column takes what is left, so the rows end exactly at the right margin.
    const double w = &column == &columns.back() ? width - x : column.width;
    columnHeader.add(Element::label(QRectF(x, 0, w, 6.0), column.title).bold().pad(kPad).grow());
    Element cell = column.calc ? Element::calculated(QRectF(x, 0, w, 5.0), column.calc, column.format)
                               : Element::dataField(QRectF(x, 0, w, 5.0), column.field, column.format);
    detail.add(cell.pad(kPad).grow());
    x += w;
  }
  columnHeader.add(Element::hLine(0, width, 6.0, 0.3).stretch());
  detail.add(Element::hLine(0, width, 5.0, 0.1).colour(kRuleColour).stretch());

  summary = Band(9.0);
  summary.add(Element::hLine(0, width, 0.5, 0.3));
  summary.add(Element::count(QRectF(0, 2.0, width, 5.0), QStringLiteral("Anzahl Adressen: "))
                  .size(9)
                  .bold()
                  .singleLine());

  pageFooter = standardPageFooter(width, true);
}

TReportAdresse::TReportAdresse(const ReportFont& font) {
  title = QStringLiteral("Adresse");
  page.format = PageFormat::A4;
  page.orientation = Orientation::Portrait;
  page.margins = QMarginsF(20.0, 15.0, 20.0, 12.0);
  defaultFont = font;
  const double width = page.bodyWidth();
  constexpr double kLabelWidth = 42.0;
  constexpr double kRowHeight = 7.0;

  // Heading: caption, the name in large type and a rule; every address starts a new page.
  detail = Band(24.0);
  detail.startNewPage = true;
  detail.add(Element::label(QRectF(0, 0, width * 0.7, 5.0), QStringLiteral("Adressdaten"))
                 .size(9)
                 .colour(Qt::darkGray));
  detail.add(Element::printDate(QRectF(width * 0.6, 0, width * 0.4, 5.0), QStringLiteral("Stand: "))
                 .size(9)
                 .colour(Qt::darkGray)
                 .align(Qt::AlignRight | Qt::AlignTop));
  detail.add(Element::calculated(QRectF(0, 6.0, width * 0.8, 10.0), nameDisplay).size(18).bold().grow());
  detail.add(Element::dataField(QRectF(width * 0.8, 8.0, width * 0.2, 6.0), QStringLiteral("LaufendeNr"))
                 .around(QStringLiteral("Nr. "))
                 .size(9)
                 .colour(Qt::darkGray)
                 .align(Qt::AlignRight | Qt::AlignBottom));
  detail.add(Element::hLine(0, width, 19.0, 0.4).stretch());

  auto addRow = [&](const QString& label, Element value) {
    Band band(kRowHeight);
    band.add(Element::label(QRectF(0, 0, kLabelWidth, kRowHeight), label).bold().pad(1.0));
    value.rect = QRectF(kLabelWidth, 0, width - kLabelWidth, kRowHeight);
    band.add(value.pad(1.0).grow());
    band.add(Element::hLine(0, width, kRowHeight, 0.1).colour(kRuleColour).stretch());
    children.push_back(std::move(band));
  };
  auto field = [](const QString& name, ValueFormat format = {}) {
    return Element::dataField(QRectF(), name, format);
  };
  addRow(QStringLiteral("Name"), field(QStringLiteral("Name")));
  addRow(QStringLiteral("Vorname"), field(QStringLiteral("Vorname")));
  addRow(QStringLiteral("Straße"), field(QStringLiteral("Straße")));
  addRow(QStringLiteral("PLZ"), field(QStringLiteral("PLZ")));
  addRow(QStringLiteral("Ort"), field(QStringLiteral("Ort")));
  addRow(QStringLiteral("Land"), field(QStringLiteral("Land")));
  addRow(QStringLiteral("Telefon"), field(QStringLiteral("Telefon")));
  addRow(QStringLiteral("Telefax"), field(QStringLiteral("Telefax")));
  addRow(QStringLiteral("Handy"), field(QStringLiteral("Handy")));
  addRow(QStringLiteral("E-Mail"), field(QStringLiteral("EMail")));
  addRow(QStringLiteral("Homepage"), field(QStringLiteral("Homepage")));
  addRow(QStringLiteral("Geburtstag"), field(QStringLiteral("Geburtstag"), ValueFormat::date()));
  addRow(QStringLiteral("Status"), field(QStringLiteral("Status")));
  addRow(QStringLiteral("Vereinskennz."), field(QStringLiteral("Vereinskennzeichen")));
  addRow(QStringLiteral("Rasse"), Element::calculated(QRectF(), breedDisplay));
  addRow(QStringLiteral("HB -Nr."), field(QStringLiteral("HBNr")));

  // The remark: a framed memo that grows with its text.
  Band remark(40.0);
  remark.add(Element::label(QRectF(0, 5.0, width, 6.0), QStringLiteral("Bemerkung:")).bold().pad(1.0));
  remark.add(Element::box(QRectF(0, 11.0, width, 28.0), QColor(), 0.3).stretch());
  remark.add(Element::dataField(QRectF(0, 11.0, width, 28.0), QStringLiteral("Bemerkung"),
                                ValueFormat{ValueFormat::Kind::Text})
                 .pad(2.5)
                 .grow());
  children.push_back(std::move(remark));

  pageFooter = standardPageFooter(width, true);
}

}  // namespace lapiro::reports
