#include "shows/show_list_report.h"

#include "engine/dataset.h"
#include "shows/show_score.h"

namespace lapiro::shows {

using reports::Band;
using reports::Element;

namespace {

// Reads fields of data-set rows by name; a missing field reads as invalid.
class RowReader {
 public:
  explicit RowReader(engine::DataSet& ds) : ds_(ds) {}
  QVariant value(const engine::DataSet::Row& row, const QString& name) const {
    const int i = ds_.fieldIndex(name);
    return i >= 0 && i < static_cast<int>(row.size()) ? row[i] : QVariant();
  }
  std::optional<core::Points> number(const engine::DataSet::Row& row, const QString& name) const {
    const QVariant v = value(row, name);
    if (!v.isValid() || v.isNull()) return std::nullopt;
    return core::Points::fromDouble(v.toDouble());
  }

 private:
  engine::DataSet& ds_;
};

QString pointsText(const std::optional<core::Points>& v) { return v ? formatPoints(*v) : QString(); }

}  // namespace

TReportAusstellung::TReportAusstellung(const reports::ReportFont& font) {
  title = QStringLiteral("Ausstellungsliste");
  page.format = reports::PageFormat::A4;
  page.orientation = reports::Orientation::Portrait;
  page.margins = QMarginsF(10.0, 10.0, 10.0, 10.0);
  defaultFont = font;
  const double w = page.bodyWidth();  // 190 mm

  auto label = [](double x, double y, double width, const QString& text) {
    return Element::label(QRectF(x, y, width, 5.0), text).singleLine();
  };
  auto field = [](double x, double y, double width, const QString& name) {
    return Element::dataField(QRectF(x, y, width, 5.0), name).singleLine();
  };

  titleBand = Band(52.0);
  titleBand.add(Element::hLine(0.0, w, 0.5, 0.4));
  titleBand.add(Element::label(QRectF(0.0, 3.0, w, 9.0), QStringLiteral("Ausstellungsliste"))
                    .size(16)
                    .bold()
                    .align(Qt::AlignHCenter | Qt::AlignTop)
                    .singleLine());
  titleBand.add(label(0.0, 14.0, 12.0, QStringLiteral("von:")));
  titleBand.add(field(12.0, 14.0, 110.0, QStringLiteral("Benutzer")));
  titleBand.add(Element::printDate(QRectF(w - 40.0, 14.0, 40.0, 5.0)).align(Qt::AlignRight | Qt::AlignTop).singleLine());
  const double x2 = 24.0;
  titleBand.add(label(0.0, 22.0, x2, QStringLiteral("Täto:")).bold());
  titleBand.add(Element::calculated(QRectF(x2, 22.0, 80.0, 5.0),
                                    [](const reports::ReportDataSource& d, int r) -> QVariant {
                                      return d.value(r, QStringLiteral("TatoRechts")).toString() +
                                             QStringLiteral("  ") + d.value(r, QStringLiteral("TatoLinks")).toString();
                                    })
                    .bold()
                    .singleLine());
  titleBand.add(label(110.0, 22.0, 26.0, QStringLiteral("Geboren am:")));
  titleBand.add(Element::dataField(QRectF(136.0, 22.0, 40.0, 5.0), QStringLiteral("Geburtstag"),
                                   reports::ValueFormat::date())
                    .singleLine());
  titleBand.add(label(0.0, 28.0, x2, QStringLiteral("Rasse:")));
  titleBand.add(field(x2, 28.0, 84.0, QStringLiteral("RasseAnzeige")));
  titleBand.add(label(110.0, 28.0, 26.0, QStringLiteral("Farbe:")));
  titleBand.add(field(136.0, 28.0, w - 136.0, QStringLiteral("FarbeAnzeige")));
  titleBand.add(label(0.0, 34.0, x2, QStringLiteral("Züchter:")));
  titleBand.add(field(x2, 34.0, w - x2, QStringLiteral("ZuechterAnzeige")));
  titleBand.add(label(0.0, 40.0, x2, QStringLiteral("Erbformel:")));
  titleBand.add(field(x2, 40.0, w - x2, QStringLiteral("Erbformel")));
  titleBand.add(Element::hLine(0.0, w, 48.0, 0.2));

  // One framed block per show row.
  detail = Band(44.0);
  detail.add(Element::box(QRectF(0.0, 1.0, w, 41.0), QColor(), 0.3).stretch());
  detail.add(label(2.0, 3.0, 32.0, QStringLiteral("Veranstaltung")).bold());
  detail.add(field(34.0, 3.0, 116.0, QStringLiteral("Titel")).bold());
  detail.add(label(152.0, 3.0, 10.0, QStringLiteral("vom:")));
  detail.add(Element::dataField(QRectF(162.0, 3.0, 26.0, 5.0), QStringLiteral("Datum"), reports::ValueFormat::date())
                 .singleLine());
  const QString heads[8] = {QStringLiteral("1.Gewicht"), QStringLiteral("2.Körper"), QStringLiteral("3.Fell"),
                            QStringLiteral("4."),        QStringLiteral("5."),       QStringLiteral("6."),
                            QStringLiteral("7.Pflege"),  QStringLiteral("Gesamt")};
  const QString fields[8] = {QStringLiteral("Gewicht1"), QStringLiteral("Koerper2"), QStringLiteral("Fell3"),
                             QStringLiteral("Kopf4"),    QStringLiteral("Farbe5"),   QStringLiteral("Unterfarbe6"),
                             QStringLiteral("Pflege7"),  QStringLiteral("AnzeigeBewertPunkte")};
  const double left = 2.0, colW = (w - 4.0) / 8.0;
  detail.add(Element::hLine(left, w - 2.0, 10.0, 0.2));
  detail.add(Element::hLine(left, w - 2.0, 16.0, 0.2));
  detail.add(Element::hLine(left, w - 2.0, 23.0, 0.2));
  for (int i = 0; i < 8; ++i) {
    const double x = left + i * colW;
    detail.add(Element::label(QRectF(x, 11.0, colW, 5.0), heads[i]).align(Qt::AlignHCenter | Qt::AlignTop).singleLine().size(8.5));
    detail.add(Element::dataField(QRectF(x + 1.0, 17.0, colW - 3.0, 5.0), fields[i])
                   .align(Qt::AlignRight | Qt::AlignTop)
                   .singleLine()
                   .bold(i == 7));
    if (i > 0) detail.add(Element::vLine(x, 10.0, 23.0, 0.2));
  }
  detail.add(Element::vLine(left, 10.0, 23.0, 0.2));
  detail.add(Element::vLine(w - 2.0, 10.0, 23.0, 0.2));
  detail.add(label(2.0, 25.0, 16.0, QStringLiteral("Fehlp.:")));
  detail.add(field(18.0, 25.0, 40.0, QStringLiteral("Fehlpunkte")));
  detail.add(label(62.0, 25.0, 20.0, QStringLiteral("Prädikat:")));
  detail.add(field(82.0, 25.0, 50.0, QStringLiteral("PraedikatText")).bold());
  detail.add(label(136.0, 25.0, 18.0, QStringLiteral("Gewicht:")));
  detail.add(field(154.0, 25.0, 34.0, QStringLiteral("Gewicht")));
  detail.add(label(2.0, 32.0, 28.0, QStringLiteral("Bemerkungen:")));
  detail.add(Element::dataField(QRectF(30.0, 32.0, w - 32.0, 8.0), QStringLiteral("Bemerkung")).grow());

  pageFooter = Band(8.0);
  pageFooter.add(Element::pageNumber(QRectF(0.0, 0.0, 40.0, 4.5), false).size(8).singleLine());
  pageFooter.add(Element::hLine(0.0, w, 5.0, 0.2));
  pageFooter.add(Element::label(QRectF(0.0, 5.5, w, 4.0), reports::imprintText()).size(7).italic().singleLine());
}

reports::MemoryDataSource showListRows(engine::DataSet& hasen, engine::DataSet& shows, const QString& benutzer) {
  QVariantMap animal;
  animal.insert(QStringLiteral("Benutzer"), benutzer);
  if (hasen.isOpen() && hasen.hasRecord()) {
    for (const char16_t* name : {u"TatoRechts", u"TatoLinks", u"Geburtstag", u"RasseAnzeige", u"ZuechterAnzeige",
                                 u"Erbformel", u"FarbeAnzeige"}) {
      const QString n = QString::fromUtf16(name);
      if (const auto f = hasen.findField(n)) animal.insert(n, f->value());
    }
  }

  reports::MemoryDataSource data;
  if (!shows.isOpen()) return data;
  const RowReader read(shows);
  const qint64 count = shows.recordCount();
  for (qint64 offset = 0; offset < count;) {
    const std::vector<engine::DataSet::Row> rows = shows.readRows(offset, 200);
    if (rows.empty()) break;
    offset += static_cast<qint64>(rows.size());
    for (const auto& row : rows) {
      ShowPoints p;
      p.titel = read.value(row, QStringLiteral("Titel")).toString();
      for (std::size_t i = 0; i < 7; ++i) p.positions[i] = read.number(row, positionFieldNames()[i]);
      p.eigeneBewertung = read.number(row, QStringLiteral("EigeneBewertung"));
      p.bewertJungtier = read.value(row, QStringLiteral("BewertJungtier")).toString();
      const ShowScore s = scoreOf(p);

      QVariantMap m = animal;
      m.insert(QStringLiteral("Titel"), p.titel);
      m.insert(QStringLiteral("Datum"), read.value(row, QStringLiteral("Datum")));
      for (std::size_t i = 0; i < 7; ++i) m.insert(positionFieldNames()[i], pointsText(p.positions[i]));
      m.insert(QStringLiteral("AnzeigeBewertPunkte"), s.display);
      m.insert(QStringLiteral("Fehlpunkte"), s.missing);
      m.insert(QStringLiteral("PraedikatText"), s.grade);
      m.insert(QStringLiteral("Gewicht"), pointsText(read.number(row, QStringLiteral("Gewicht"))));
      m.insert(QStringLiteral("Bemerkung"), read.value(row, QStringLiteral("Bemerkung")));
      data.append(std::move(m));
    }
  }
  return data;
}

}  // namespace lapiro::shows
