#include "breeding/weight_reports.h"

#include "engine/cursor.h"
#include "store/data_module.h"

#include <QLocale>

#include <cmath>

namespace lapiro::breeding {

using reports::Band;
using reports::Element;
using reports::ReportDataSource;
using reports::ValueFormat;

namespace {

constexpr Qt::Edges kAllEdges = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;

// A weight in German notation: whole grams without decimals, otherwise one decimal.
QString weightText(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return {};
  const double d = v.toDouble();
  const QLocale de(QLocale::German);
  if (std::abs(d - std::round(d)) < 1e-9) return de.toString(static_cast<qlonglong>(std::llround(d)));
  return de.toString(d, 'f', 1);
}

Element::Calculation weightOf(const QString& field) {
  return [field](const ReportDataSource& data, int row) -> QVariant { return weightText(data.value(row, field)); };
}

Band footer(double width) {
  Band f(9.0);
  f.add(Element::hLine(0, width, 1.0));
  f.add(Element::pageNumber(QRectF(0, 2.5, 40, 5), false));  // "Seite n"
  f.add(Element::label(QRectF(width - 90, 2.5, 90, 5), reports::imprintText()).bold().italic().align(Qt::AlignRight | Qt::AlignTop));
  return f;
}

// The framed header "Datum", "Gewicht", "Differenz", "Mittelwert" over 4 columns of `w` mm.
void weightHeader(Band& band, double y, double w) {
  const QString titles[] = {QStringLiteral("Datum"), QStringLiteral("Gewicht"), QStringLiteral("Differenz"),
                            QStringLiteral("Mittelwert")};
  for (int i = 0; i < 4; ++i)
    band.add(Element::label(QRectF(i * w, y, w, 7), titles[i])
                 .bold()
                 .framed(kAllEdges)
                 .pad(1.0)
                 .align(i == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter));
}

void headLine(Band& band, double y, const QString& label, const QString& value) {
  band.add(Element::label(QRectF(0, y, 30, 6), label));
  if (!value.isNull()) band.add(Element::label(QRectF(32, y, 120, 6), value).bold().singleLine());
}

}  // namespace

// ---------------------------------------------------------------- Gewichtstabelle

TReportGewichtstabelle::TReportGewichtstabelle(const GewichtKopf& kopf, const QImage& chart,
                                               const reports::ReportFont& font) {
  title = QStringLiteral("Gewichtstabelle");
  defaultFont = font;
  const double width = page.bodyWidth();
  constexpr double w = 40.0;

  titleBand = Band(40.0);
  titleBand.add(Element::label(QRectF(0, 0, width, 9), QStringLiteral("Gewichtstabelle"))
                    .size(16)
                    .bold()
                    .italic()
                    .align(Qt::AlignHCenter | Qt::AlignTop));
  headLine(titleBand, 13, QStringLiteral("Kaninchen:"), kopf.kaninchen);
  headLine(titleBand, 19, QStringLiteral("Geschlecht:"), kopf.geschlecht);
  headLine(titleBand, 25, QStringLiteral("Geboren am:"),
           kopf.geboren.isValid() ? kopf.geboren.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral(""));
  headLine(titleBand, 31, QStringLiteral("Rasse:"), kopf.rasse);

  columnHeader = Band(7.0);
  weightHeader(columnHeader, 0, w);

  detail = Band(6.0);
  detail.add(Element::dataField(QRectF(0, 0, w, 6), QStringLiteral("Datum"), ValueFormat::date()).pad(1.0));
  const QString fields[] = {QStringLiteral("Gewicht"), QStringLiteral("Differenz"), QStringLiteral("Mittelwert")};
  for (int i = 0; i < 3; ++i)
    detail.add(Element::calculated(QRectF((i + 1) * w, 0, w, 6), weightOf(fields[i]))
                   .pad(1.0)
                   .align(Qt::AlignRight | Qt::AlignVCenter));
  for (int i = 0; i <= 4; ++i) detail.add(Element::vLine(i * w, 0, 6).stretch());

  summary = Band(chart.isNull() ? 2.0 : 100.0);
  summary.add(Element::hLine(0, 4 * w, 0));
  if (!chart.isNull()) summary.add(Element::picture(QRectF(0, 6, width, 90), chart));

  pageFooter = footer(width);
}

reports::MemoryDataSource weighingRows(store::TDatenStamm& dm) {
  reports::MemoryDataSource rows;
  engine::Cursor* g = dm.cursor(QStringLiteral("Gewichtstabelle"));
  if (!g || !g->isOpen()) return rows;
  const qint64 n = g->recordCount();
  if (n <= 0) return rows;
  const int iDatum = g->fieldIndex(QStringLiteral("Datum")), iGewicht = g->fieldIndex(QStringLiteral("Gewicht")),
            iDiff = g->fieldIndex(QStringLiteral("Differenz")), iMittel = g->fieldIndex(QStringLiteral("Mittelwert"));
  for (const auto& r : g->readRows(0, static_cast<int>(n))) {
    QVariantMap m;
    m.insert(QStringLiteral("Datum"), r[iDatum]);
    m.insert(QStringLiteral("Gewicht"), r[iGewicht]);
    m.insert(QStringLiteral("Differenz"), iDiff >= 0 ? r[iDiff] : QVariant());
    m.insert(QStringLiteral("Mittelwert"), iMittel >= 0 ? r[iMittel] : QVariant());
    rows.append(m);
  }
  return rows;
}

GewichtKopf weighingHead(store::TDatenStamm& dm) {
  GewichtKopf k;
  engine::Cursor& h = dm.Hasen();
  if (!h.isOpen() || !(h.hasRecord() || h.isEditing())) return k;
  k.kaninchen = h.field(QStringLiteral("TatoRechts")).asString() + u' ' + h.field(QStringLiteral("TatoLinks")).asString();
  k.geschlecht = h.field(QStringLiteral("GeschlechtAnzeige")).asString();
  k.geboren = h.field(QStringLiteral("Geburtstag")).asDate();
  k.rasse = h.field(QStringLiteral("RasseAnzeige")).asString();
  return k;
}

// ---------------------------------------------------------------- forms

TReportGewichtFormular::TReportGewichtFormular(const reports::ReportFont& font) {
  title = QStringLiteral("Gewichtstabelle");
  page.orientation = reports::Orientation::Landscape;
  defaultFont = font;
  const double width = page.bodyWidth();
  const double xs[] = {0, 28, 58};
  const double ws[] = {28, 30, 32};
  const double rest = width - 90.0;
  const double sub = rest / 12.0;

  titleBand = Band(12.0);
  titleBand.add(Element::label(QRectF(0, 0, width, 9), QStringLiteral("Gewichtstabelle"))
                    .size(16)
                    .bold()
                    .italic()
                    .align(Qt::AlignHCenter | Qt::AlignTop));

  columnHeader = Band(12.0);
  const QString titles[] = {QStringLiteral("Stallnummer"), QStringLiteral("Täto rechts"), QStringLiteral("Täto links")};
  for (int i = 0; i < 3; ++i)
    columnHeader.add(Element::label(QRectF(xs[i], 0, ws[i], 12), titles[i])
                         .bold()
                         .framed(kAllEdges)
                         .pad(1.0)
                         .align(Qt::AlignLeft | Qt::AlignVCenter));
  columnHeader.add(Element::label(QRectF(90, 0, rest, 6), QStringLiteral("Datum / Gewicht"))
                       .bold()
                       .framed(kAllEdges)
                       .align(Qt::AlignCenter));
  for (int i = 0; i < 12; ++i)
    columnHeader.add(Element::label(QRectF(90 + i * sub, 6, sub, 6), QString()).framed(kAllEdges));

  detail = Band(8.0);
  detail.add(Element::dataField(QRectF(xs[0], 0, ws[0], 8), QStringLiteral("Stallnummer"))
                 .pad(1.0)
                 .align(Qt::AlignRight | Qt::AlignVCenter));
  detail.add(Element::dataField(QRectF(xs[1], 0, ws[1], 8), QStringLiteral("TatoRechts")).pad(1.0).align(Qt::AlignLeft | Qt::AlignVCenter));
  detail.add(Element::dataField(QRectF(xs[2], 0, ws[2], 8), QStringLiteral("TatoLinks")).pad(1.0).align(Qt::AlignLeft | Qt::AlignVCenter));
  for (double x : {0.0, 28.0, 58.0, 90.0}) detail.add(Element::vLine(x, 0, 8).stretch());
  for (int i = 1; i <= 12; ++i) detail.add(Element::vLine(90 + i * sub, 0, 8).stretch());
  detail.add(Element::hLine(0, width, 8).stretch());

  summary = Band(2.0);
  summary.add(Element::hLine(0, width, 0));
  pageFooter = footer(width);
}

TReportGewichtFormularLeer::TReportGewichtFormularLeer(const reports::ReportFont& font) {
  title = QStringLiteral("Gewichtstabelle");
  defaultFont = font;
  const double width = page.bodyWidth();
  constexpr double w = 40.0;
  constexpr int kRows = 26;
  constexpr double rowH = 8.0;

  titleBand = Band(48.0 + 7.0 + kRows * rowH);
  titleBand.add(Element::label(QRectF(0, 0, width, 9), QStringLiteral("Gewichtstabelle"))
                    .size(16)
                    .bold()
                    .italic()
                    .align(Qt::AlignHCenter | Qt::AlignTop));
  const QString labels[] = {QStringLiteral("Kaninchen:"), QStringLiteral("Geschlecht:"), QStringLiteral("Geboren am:"),
                            QStringLiteral("Rasse:")};
  for (int i = 0; i < 4; ++i) {
    const double y = 14 + i * 8;
    titleBand.add(Element::label(QRectF(0, y, 30, 6), labels[i]));
    titleBand.add(Element::hLine(32, 120, y + 5.5));
  }
  weightHeader(titleBand, 48, w);
  const double top = 55.0, bottom = top + kRows * rowH;
  for (int i = 0; i <= 4; ++i) titleBand.add(Element::vLine(i * w, top, bottom));
  for (int r = 1; r <= kRows; ++r) titleBand.add(Element::hLine(0, 4 * w, top + r * rowH));
  pageFooter = footer(width);
}

reports::MemoryDataSource hutchAnimals(engine::Engine& engine) {
  reports::MemoryDataSource rows;
  engine::Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen.db"));
  c.setReadOnly(true);
  c.open();
  try {
    c.setIndexName(QStringLiteral("StallnummerTato"));
  } catch (const engine::EngineError&) {
    c.setIndexFieldNames(QStringLiteral("Stallnummer;TatoRechts;TatoLinks"));
  }
  c.setFilter(QStringLiteral("Stallnummer > 0"));
  c.setFiltered(true);
  const qint64 n = c.recordCount();
  if (n > 0) {
    const int iS = c.fieldIndex(QStringLiteral("Stallnummer")), iR = c.fieldIndex(QStringLiteral("TatoRechts")),
              iL = c.fieldIndex(QStringLiteral("TatoLinks"));
    for (const auto& r : c.readRows(0, static_cast<int>(n))) {
      QVariantMap m;
      m.insert(QStringLiteral("Stallnummer"), r[iS]);
      m.insert(QStringLiteral("TatoRechts"), r[iR]);
      m.insert(QStringLiteral("TatoLinks"), r[iL]);
      rows.append(m);
    }
  }
  c.close();
  return rows;
}

// ---------------------------------------------------------------- Jungtierliste

std::optional<Zuchtjahr> zuchtjahr(const QString& text, QString* error) {
  bool ok = false;
  const int year = text.trimmed().toInt(&ok);
  if (!ok) {
    if (error) *error = QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text);
    return std::nullopt;
  }
  if (year < 2 || year > 9999) {
    if (error) *error = QStringLiteral("Ungültiges Argument zum Codieren des Datums");
    return std::nullopt;
  }
  return Zuchtjahr{year, QDate(year - 1, 11, 1), QDate(year, 10, 31)};
}

std::unique_ptr<engine::Query> openJungtierQuery(engine::Engine& engine, const Zuchtjahr& jahr) {
  auto q = std::make_unique<engine::Query>(engine);
  q->setSql(QStringList{QStringLiteral("Select Geschlecht,TatoRechts,TatoLinks,Erbformel,Anomalien,Farbe,Vater,Mutter,Rasse"),
                        QStringLiteral("from Hasen"),
                        QStringLiteral("Where (Geburtstag>=:AuswahlAnfang)and(Geburtstag<=:AuswahlEnde)"),
                        QStringLiteral("order by Rasse,TatoLinks")});
  q->setParam(QStringLiteral("AuswahlAnfang"), jahr.anfang);
  q->setParam(QStringLiteral("AuswahlEnde"), jahr.ende);
  const auto lookup = [&](const QString& name, int size, const QString& key, const QString& table,
                          const QString& result) {
    q->addLookupField(name, engine::FieldType::Alpha, size, key, table, QStringLiteral("Nummer"), result);
  };
  lookup(QStringLiteral("FarbeAnzeige"), 30, QStringLiteral("Farbe"), QStringLiteral("Farbe.db"), QStringLiteral("Name"));
  lookup(QStringLiteral("VTatoRechts"), 10, QStringLiteral("Vater"), QStringLiteral("Hasen.db"), QStringLiteral("TatoRechts"));
  lookup(QStringLiteral("VTatoLinks"), 10, QStringLiteral("Vater"), QStringLiteral("Hasen.db"), QStringLiteral("TatoLinks"));
  lookup(QStringLiteral("MTatoRechts"), 10, QStringLiteral("Mutter"), QStringLiteral("Hasen.db"), QStringLiteral("TatoRechts"));
  lookup(QStringLiteral("MTatoLinks"), 10, QStringLiteral("Mutter"), QStringLiteral("Hasen.db"), QStringLiteral("TatoLinks"));
  // Right tattoo (8) + blank + left tattoo (10) is 19 characters: the parents' displays get
  // room for the longest tattoos rather than being cut at 18.
  q->addCalculatedField(QStringLiteral("GeschlechtAnzeige"), engine::FieldType::Alpha, 3);
  q->addCalculatedField(QStringLiteral("VaterAnzeige"), engine::FieldType::Alpha, 40);
  q->addCalculatedField(QStringLiteral("MutterAnzeige"), engine::FieldType::Alpha, 40);
  q->events.onCalcFields = [](engine::DataSet& ds) {
    const QString g = ds.field(QStringLiteral("Geschlecht")).asString().trimmed();
    ds.field(QStringLiteral("GeschlechtAnzeige"))
        .setValue(g == u"1" ? QStringLiteral("1.0") : g == u"2" ? QStringLiteral("0.1") : QString());
    ds.field(QStringLiteral("VaterAnzeige"))
        .setValue(ds.field(QStringLiteral("VTatoRechts")).asString() + u' ' + ds.field(QStringLiteral("VTatoLinks")).asString());
    ds.field(QStringLiteral("MutterAnzeige"))
        .setValue(ds.field(QStringLiteral("MTatoRechts")).asString() + u' ' + ds.field(QStringLiteral("MTatoLinks")).asString());
  };
  q->open();
  return q;
}

TReportJungtierliste::TReportJungtierliste(const Zuchtjahr& jahr, const QString& ersteller,
                                           const reports::ReportFont& font) {
  title = QStringLiteral("Jungtierliste");
  page.orientation = reports::Orientation::Landscape;
  defaultFont = font;
  const double width = page.bodyWidth();

  titleBand = Band(18.0);
  titleBand.add(Element::label(QRectF(0, 0, width, 8),
                               QStringLiteral("Jungtierliste Auswertungszeitraum: 1.11.%1 - 31.10.%2")
                                   .arg(jahr.jahr - 1)
                                   .arg(jahr.jahr))
                    .size(14)
                    .bold()
                    .italic()
                    .align(Qt::AlignHCenter | Qt::AlignTop));
  titleBand.add(Element::label(QRectF(0, 8, width, 6), QStringLiteral("< erstellt von: ") + ersteller + QStringLiteral(" >"))
                    .bold()
                    .italic()
                    .align(Qt::AlignHCenter | Qt::AlignTop));
  titleBand.add(Element::printDate(QRectF(width - 40, 8, 40, 6), QStringLiteral("Datum: ")).align(Qt::AlignRight | Qt::AlignTop));

  struct Column {
    QString title, field;
    double width;
  };
  const std::vector<Column> columns = {
      {QStringLiteral("Geschl."), QStringLiteral("GeschlechtAnzeige"), 14},
      {QStringLiteral("Täto rechts"), QStringLiteral("TatoRechts"), 22},
      {QStringLiteral("Täto links"), QStringLiteral("TatoLinks"), 24},
      {QStringLiteral("Vater"), QStringLiteral("VaterAnzeige"), 46},
      {QStringLiteral("Mutter"), QStringLiteral("MutterAnzeige"), 46},
      {QStringLiteral("Farbe"), QStringLiteral("FarbeAnzeige"), 34},
      {QStringLiteral("Erbformel"), QStringLiteral("Erbformel"), 30},
  };
  columnHeader = Band(7.0);
  detail = Band(5.5);
  double x = 0;
  for (const Column& c : columns) {
    columnHeader.add(Element::label(QRectF(x, 0, c.width, 6), c.title).bold().singleLine());
    detail.add(Element::dataField(QRectF(x, 0, c.width - 1, 5.5), c.field).singleLine());
    x += c.width;
  }
  columnHeader.add(Element::label(QRectF(x, 0, width - x, 6), QStringLiteral("Merkmale")).bold());
  columnHeader.add(Element::hLine(0, width, 6.5));
  detail.add(Element::dataField(QRectF(x, 0, width - x, 5.5), QStringLiteral("Anomalien")).grow());
  pageFooter = footer(width);
}

}  // namespace lapiro::breeding
