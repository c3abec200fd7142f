#include "health/vaccination_certificate.h"

#include <QPainter>
#include <QPainterPath>

#include "engine/cursor.h"
#include "engine/query.h"
#include "engine/table_loader.h"
#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::health {

using engine::Cursor;
using engine::EngineError;
using reports::Band;
using reports::Element;

namespace {
const QString kWorkTable = QStringLiteral("tmpImpf");
// Field names of tmpImpf in column order.
const QStringList& workFields() {
  static const QStringList f = {QStringLiteral("Nummer"),    QStringLiteral("TaetoRechts"),
                                QStringLiteral("TaetoLinks"), QStringLiteral("Geschlecht"),
                                QStringLiteral("Wurfdatum"), QStringLiteral("Rasse"),
                                QStringLiteral("Farbe")};
  return f;
}
QStringList emptyLine() { return QStringList(ColCount, QString()); }
}  // namespace

const QStringList& certificateHeads() {
  static const QStringList heads = {QStringLiteral("Nr."),     QStringLiteral("Täto rechts"),
                                    QStringLiteral("Täto links"), QStringLiteral("Geschl."),
                                    QStringLiteral("Wurfdatum"), QStringLiteral("Rasse"),
                                    QStringLiteral("Farbe")};
  return heads;
}

std::optional<CertificateAnimal> readCertificateAnimal(engine::Engine& engine, qint64 nummer) {
  Cursor hasen(engine, QStringLiteral("ImpfHasen"));
  hasen.setTableName(QStringLiteral("Hasen.db"));
  hasen.setReadOnly(true);
  hasen.addLookupField(QStringLiteral("RasseAnzeige"), engine::FieldType::Alpha, 25, QStringLiteral("Rasse"),
                       QStringLiteral("Rasse.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  hasen.addLookupField(QStringLiteral("FarbeAnzeige"), engine::FieldType::Alpha, 50, QStringLiteral("Farbe"),
                       QStringLiteral("Farbe.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  hasen.open();
  if (!hasen.findKey({nummer})) return std::nullopt;
  const auto text = [&](const QString& f) { return hasen.field(f).asString(); };
  CertificateAnimal a;
  a.tatoRechts = text(QStringLiteral("TatoRechts"));
  a.tatoLinks = text(QStringLiteral("TatoLinks"));
  a.geschlecht = text(QStringLiteral("Geschlecht")) == QStringLiteral("1") ? QStringLiteral("1.0")
                                                                            : QStringLiteral("0.1");
  a.wurfdatum = text(QStringLiteral("Geburtstag"));
  a.rasse = text(QStringLiteral("RasseAnzeige"));
  a.farbe = text(QStringLiteral("FarbeAnzeige"));
  return a;
}

// ---------------------------------------------------------------- the list

int TImpfListe::usedCount() const {
  int n = 0;
  for (int i = 0; i < lineCount(); ++i) n += isUsed(i) ? 1 : 0;
  return n;
}

int TImpfListe::addAnimal(const CertificateAnimal& a) {
  int target = 0;
  for (int i = lineCount() - 1; i >= 0; --i)
    if (isUsed(i)) {
      target = i + 1;
      break;
    }
  if (target >= lineCount()) lines_.push_back(emptyLine());
  lines_[target] = {QString::number(target + 1), a.tatoRechts, a.tatoLinks, a.geschlecht,
                    a.wurfdatum,                a.rasse,      a.farbe};
  return target;
}

void TImpfListe::removeLine(int index) {
  if (index < 0 || index >= lineCount()) return;
  const auto removeOrEmpty = [this](int i) {
    // A moved-up value must not stay behind twice, whichever line goes.
    lines_[i] = emptyLine();
    if (lineCount() > kStartLines && !isUsed(lineCount() - 1)) lines_.pop_back();
  };
  if (index == lineCount() - 1) {
    removeOrEmpty(index);
    return;
  }
  // Move the values of the following used lines up; the numbers stay with their lines.
  int last = index;
  for (int i = index + 1; i < lineCount() && isUsed(i); ++i) {
    const QString nr = lines_[i - 1][ColNr];
    lines_[i - 1] = lines_[i];
    lines_[i - 1][ColNr] = nr.isEmpty() ? QString::number(i) : nr;
    last = i;
  }
  removeOrEmpty(last);
}

void TImpfListe::clear() { lines_.assign(kStartLines, emptyLine()); }

// ---------------------------------------------------------------- header

QString breederLine(engine::DataSet& eigen) {
  if (!eigen.isOpen() || !eigen.hasRecord()) return {};
  const auto text = [&](const QString& f) {
    const auto field = eigen.findField(f);
    return field ? field->asString().trimmed() : QString();
  };
  QString line = text(QStringLiteral("Name"));
  if (!text(QStringLiteral("Vorname")).isEmpty()) line = text(QStringLiteral("Vorname")) + u' ' + line;
  if (!text(QStringLiteral("Strasse")).isEmpty()) line += QStringLiteral(", ") + text(QStringLiteral("Strasse"));
  if (!text(QStringLiteral("ortAnzeige")).isEmpty()) line += QStringLiteral(", ") + text(QStringLiteral("ortAnzeige"));
  return line;
}

CertificateHeader initialHeader(engine::DataSet& eigen, const QDate& today) {
  CertificateHeader h;
  h.zuechter = breederLine(eigen);
  if (eigen.isOpen() && eigen.hasRecord()) {
    h.verein = eigen.field(QStringLiteral("Vereinsnummer")).asString();
    h.kreisverband = eigen.field(QStringLiteral("Kreisverband")).asString();
    h.landesverband = eigen.field(QStringLiteral("Verband")).asString();
  }
  h.datum = today.toString(QStringLiteral("dd.MM.yyyy"));
  return h;
}

// ---------------------------------------------------------------- recording

RecordResult recordVaccinations(engine::Engine& engine, const TImpfListe& list, const CertificateHeader& header,
                                bool speichernOhneFrage) {
  RecordResult result;
  const QDate datum = QDate::fromString(header.impfdatum.trimmed(), QStringLiteral("d.M.yyyy"));
  if (!datum.isValid()) {
    store::dialogs().error(
        QStringLiteral("„%1“ ist kein gültiges Impfdatum. Bitte das Datum als TT.MM.JJJJ eingeben; es wurde "
                       "keine Impfung eingetragen.")
            .arg(header.impfdatum));
    result.badDate = true;
    return result;
  }
  Cursor hasen(engine, QStringLiteral("ImpfSuche"));
  hasen.setTableName(QStringLiteral("Hasen.db"));
  hasen.setReadOnly(true);
  hasen.setIndexName(QStringLiteral("Tato"));
  hasen.open();
  Cursor impfung(engine, QStringLiteral("ImpfEintrag"));
  impfung.setTableName(QStringLiteral("Impfung.db"));
  impfung.open();

  // A vaccination of an animal is the same when its date, vaccination, vaccine and batch are
  // the same. The texts are compared as the fields store them (cut to their size).
  auto stored = [&](const QString& field, const QString& text) {
    const int size = impfung.field(field).size();
    return size > 0 ? text.left(size) : text;
  };
  engine::Query existing(engine, QStringLiteral("ImpfVorhanden"));
  existing.setSql(QStringLiteral("SELECT count(*) AS Anzahl FROM \"Impfung.db\" WHERE Tier = :tier AND Datum = :datum "
                                 "AND coalesce(Impfung, '') = :impfung AND coalesce(Impfstoff, '') = :impfstoff "
                                 "AND coalesce(Chargenbez, '') = :charge"));
  auto alreadyRecorded = [&](qint64 tier) {
    existing.close();
    existing.clearParams();
    existing.setParam(QStringLiteral("tier"), tier);
    existing.setParam(QStringLiteral("datum"), engine::toStorage(engine::FieldType::Date, datum));
    existing.setParam(QStringLiteral("impfung"), stored(QStringLiteral("Impfung"), header.impfung));
    existing.setParam(QStringLiteral("impfstoff"), stored(QStringLiteral("Impfstoff"), header.impfstoff));
    existing.setParam(QStringLiteral("charge"), stored(QStringLiteral("Chargenbez"), header.chargenbez));
    existing.open();
    return existing.hasRecord() && existing.field(QStringLiteral("Anzahl")).asInteger() > 0;
  };

  int used = 0;
  for (int i = 0; i < list.lineCount(); ++i) {
    if (!list.isUsed(i)) continue;
    ++used;
    const QString rechts = list.cell(i, ColTatoRechts);
    const QString links = list.cell(i, ColTatoLinks);
    if (!hasen.locate(QStringLiteral("TatoRechts;TatoLinks"), {rechts, links})) {
      store::dialogs().warn(u'<' + rechts + u' ' + links + QStringLiteral("> ") +
                            store::messageText(kMeldungTierNichtGefunden));
      ++result.notFound;
      continue;
    }
    const qint64 tier = hasen.field(QStringLiteral("Nummer")).asInteger();
    if (alreadyRecorded(tier)) {
      // Saved before (a second "Speichern" of the same certificate): not recorded twice.
      ++result.alreadyRecorded;
      continue;
    }
    if (!speichernOhneFrage &&
        !store::dialogs().ask(store::messageText(29), store::DialogKind::Warning)) {
      result.stopped = true;
      break;
    }
    impfung.append();
    impfung.field(QStringLiteral("Tier")).setInteger(hasen.field(QStringLiteral("Nummer")).asInteger());
    impfung.field(QStringLiteral("Datum")).setDate(datum);
    impfung.field(QStringLiteral("Impfung")).setValue(header.impfung);
    impfung.field(QStringLiteral("Impfstoff")).setValue(header.impfstoff);
    impfung.field(QStringLiteral("Chargenbez")).setValue(header.chargenbez);
    impfung.field(QStringLiteral("Tierarzt")).setValue(header.tierarzt);
    impfung.post();
    ++result.recorded;
  }
  if (used > 0 && result.recorded > 0 && result.recorded + result.alreadyRecorded == used)
    store::dialogs().inform(store::messageText(kMeldungImpfungenEingetragen));
  else if (used > 0 && result.alreadyRecorded == used)
    store::dialogs().inform(QStringLiteral("Die Impfungen dieser Liste sind schon eingetragen; es wurde nichts doppelt "
                                           "gespeichert."));
  return result;
}

// ---------------------------------------------------------------- work table and report

void fillCertificateTable(engine::Engine& engine, const TImpfListe& list) {
  dropCertificateTable(engine);
  const store::CatalogueTable* t = store::findTable(kWorkTable);
  if (!t) throw EngineError(EngineError::Kind::TableMissing, QStringLiteral("tmpImpf fehlt im Katalog."), kWorkTable);
  engine.createTable(kWorkTable, store::currentLayout(*t));
  // All lines in one transaction: a scratch table needs no write-through per row.
  engine::TableLoader loader(engine, kWorkTable);
  for (int i = 0; i < list.lineCount(); ++i) {
    QVariantMap row;
    for (int col = 0; col < ColCount; ++col) row.insert(workFields()[col], list.cell(i, col));
    loader.insert(row);
  }
  loader.commit();
}

void dropCertificateTable(engine::Engine& engine) {
  if (engine.tableExists(kWorkTable)) engine.deleteTable(kWorkTable);
}

reports::MemoryDataSource certificateRows(const TImpfListe& list) {
  reports::MemoryDataSource rows;
  for (int i = 0; i < list.lineCount(); ++i) {
    QVariantMap row;
    for (int col = 0; col < ColCount; ++col) row.insert(workFields()[col], list.cell(i, col));
    rows.append(row);
  }
  return rows;
}

QImage certificateEmblem() {
  // A shield with a cross and a syringe, drawn once.
  QImage image(240, 280, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shield;
  shield.moveTo(20, 20);
  shield.lineTo(220, 20);
  shield.lineTo(220, 140);
  shield.cubicTo(220, 210, 160, 250, 120, 270);
  shield.cubicTo(80, 250, 20, 210, 20, 140);
  shield.closeSubpath();
  p.setPen(QPen(QColor(0x1f, 0x5c, 0x3a), 10));
  p.setBrush(QColor(0xe8, 0xf3, 0xec));
  p.drawPath(shield);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2e, 0x8b, 0x57));
  p.drawRect(100, 55, 40, 150);
  p.drawRect(45, 110, 150, 40);
  p.setBrush(Qt::white);
  p.drawRect(112, 70, 16, 120);
  p.drawRect(60, 122, 120, 16);
  return image;
}

TReportImpfbescheinigung::TReportImpfbescheinigung(const CertificateHeader& header, const reports::ReportFont& font) {
  title = QStringLiteral("Impfbescheinigung");
  page.format = reports::PageFormat::A4;
  page.orientation = reports::Orientation::Portrait;
  page.margins = QMarginsF(18.0, 14.0, 15.0, 10.0);
  defaultFont = font;
  const double width = page.bodyWidth();

  // Title band: heading and emblem, then the header values in two columns.
  titleBand = Band(88.0);
  titleBand.add(Element::label(QRectF(0, 2, width - 30, 12), QStringLiteral("Impfbescheinigung")).size(22).bold().singleLine());
  titleBand.add(Element::picture(QRectF(width - 24, 0, 24, 28), certificateEmblem()));
  titleBand.add(Element::hLine(0, width - 30, 15, 0.4));
  const double labelW = 36.0;
  const double rowH = 7.0;
  const auto pair = [&](double x, double y, double w, const QString& label, const QString& value) {
    titleBand.add(Element::label(QRectF(x, y, labelW, rowH), label).bold().singleLine());
    titleBand.add(Element::label(QRectF(x + labelW, y, w - labelW, rowH), value).grow());
  };
  double y = 20.0;
  pair(0, y, width - 30, QStringLiteral("Züchter:"), header.zuechter);
  y += rowH + 2;
  const double half = width / 2.0;
  pair(0, y, half, QStringLiteral("Verein:"), header.verein);
  pair(half, y, half, QStringLiteral("Kreisverband:"), header.kreisverband);
  y += rowH;
  pair(0, y, half, QStringLiteral("Landesverband:"), header.landesverband);
  y += rowH + 4;
  titleBand.add(Element::box(QRectF(0, y - 1.5, width, 4 * rowH + 3), QColor(0xF2, 0xF5, 0xF2), 0.2));
  pair(2, y, half - 2, QStringLiteral("Impfung:"), header.impfung);
  pair(half, y, half - 2, QStringLiteral("Impfdatum:"), header.impfdatum);
  y += rowH;
  pair(2, y, width - 4, QStringLiteral("Impfstoff:"), header.impfstoff);
  y += rowH;
  pair(2, y, width - 4, QStringLiteral("Chargenbez:"), header.chargenbez);
  y += rowH;
  pair(2, y, width - 4, QStringLiteral("Tierarzt:"), header.tierarzt);

  // Column heads and one framed line per animal.
  struct Column {
    double w;
    QString field;
  };
  const std::vector<Column> columns = {{10, QStringLiteral("Nummer")},    {26, QStringLiteral("TaetoRechts")},
                                       {26, QStringLiteral("TaetoLinks")}, {18, QStringLiteral("Geschlecht")},
                                       {25, QStringLiteral("Wurfdatum")}, {38, QStringLiteral("Rasse")},
                                       {0, QStringLiteral("Farbe")}};
  columnHeader = Band(8.0);
  columnHeader.add(Element::box(QRectF(0, 0, width, 8.0), QColor(0xE4, 0xE8, 0xEE), 0.3));
  detail = Band(8.0);
  double x = 0.0;
  for (int i = 0; i < ColCount; ++i) {
    const double w = columns[i].w > 0 ? columns[i].w : width - x;
    columnHeader.add(Element::label(QRectF(x, 0, w, 8.0), certificateHeads()[i]).bold().pad(1.0).singleLine()
                         .align(Qt::AlignLeft | Qt::AlignVCenter));
    detail.add(Element::dataField(QRectF(x, 0, w, 8.0), columns[i].field).pad(1.0).singleLine()
                   .align(Qt::AlignLeft | Qt::AlignVCenter));
    if (i > 0) {
      columnHeader.add(Element::vLine(x, 0, 8.0, 0.2));
      detail.add(Element::vLine(x, 0, 8.0, 0.1).stretch());
    }
    x += w;
  }
  detail.add(Element::vLine(0, 0, 8.0, 0.2).stretch());
  detail.add(Element::vLine(width, 0, 8.0, 0.2).stretch());
  detail.add(Element::hLine(0, width, 8.0, 0.2).stretch());

  // Page footer: place line, the veterinarian's stamp and signature, his confirmation.
  pageFooter = Band(52.0);
  const QString place = header.ort.trimmed().isEmpty() && header.datum.trimmed().isEmpty()
                            ? QString()
                            : header.ort + QStringLiteral(", ") + header.datum;
  pageFooter.add(Element::label(QRectF(0, 4, 80, 6), place).singleLine());
  pageFooter.add(Element::hLine(0, 80, 11, 0.3));
  pageFooter.add(Element::label(QRectF(0, 12, 80, 5), QStringLiteral("Ort,Datum")).size(8));
  pageFooter.add(Element::hLine(width - 85, width, 24, 0.3));
  pageFooter.add(Element::label(QRectF(width - 85, 25, 85, 5), QStringLiteral("Stempel und Unterschrift des Tierarztes"))
                     .size(8)
                     .singleLine());
  pageFooter.add(Element::label(QRectF(0, 32, width, 10),
                                QStringLiteral("Der Tierarzt bestätigt mit seiner Unterschrift, dass bei den aufgeführten "
                                               "Kaninchen die oben bezeichnete Impfung durchgeführt wurde."))
                     .size(9)
                     .italic());
  pageFooter.add(Element::hLine(0, width, 44.5, 0.2));
  pageFooter.add(Element::label(QRectF(0, 45.5, width * 0.6, 4.5), reports::imprintText()).size(7.5).italic().singleLine());
  pageFooter.add(Element::pageNumber(QRectF(width * 0.6, 45.5, width * 0.4, 4.5), true)
                     .size(7.5)
                     .align(Qt::AlignRight | Qt::AlignTop)
                     .singleLine());
}

}  // namespace lapiro::health
