#include "output/labels.h"

#include <algorithm>

#include "engine/cursor.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "reports/report_layout.h"
#include "store/animal_rules.h"
#include "store/catalogue.h"

namespace lapiro::output {

namespace {

const QString kTable = QStringLiteral("Aufkleber.db");

QString arial() {
  return QStringLiteral("Arial");
}

// Reads one row of a statement with bound values; empty when there is none.
std::optional<std::vector<QVariant>> firstRow(engine::Engine& engine, const QString& sql,
                                              const QVariantMap& params, const QStringList& fields) {
  engine::Query q(engine);
  q.setSql(sql);
  for (auto it = params.begin(); it != params.end(); ++it) q.setParam(it.key(), it.value());
  q.open();
  std::optional<std::vector<QVariant>> result;
  if (q.hasRecord()) {
    std::vector<QVariant> values;
    for (const QString& f : fields) values.push_back(q.field(f).value());
    result = std::move(values);
  }
  q.close();
  return result;
}

QString parentText(engine::Engine& engine, qint64 parent) {
  if (parent <= 0) return {};
  const auto row =
      firstRow(engine, QStringLiteral("SELECT TatoRechts, TatoLinks FROM \"Hasen.db\" WHERE Nummer = :n"),
               {{QStringLiteral("n"), parent}}, {QStringLiteral("TatoRechts"), QStringLiteral("TatoLinks")});
  if (!row) return {};
  return (*row)[0].toString() + QStringLiteral("  ") + (*row)[1].toString();
}

}  // namespace

QString taetoText(const LabelRow& row) {
  if (row.taetoLinks.isEmpty()) return row.taetoRechts;
  return row.taetoRechts + QStringLiteral("   ") + row.taetoLinks;
}

QString rasseStallText(const LabelRow& row) {
  QString text;
  const qsizetype slash = row.rasse.lastIndexOf(u'/');
  if (slash >= 0 && slash < row.rasse.size() - 1) text = row.rasse.mid(slash + 1) + QStringLiteral("  ");
  return text + row.stallnummer;
}

std::optional<qint64> findAnimalByTattoos(engine::Engine& engine, const QString& rechts,
                                          const QString& links) {
  const auto row = firstRow(
      engine, QStringLiteral("SELECT Nummer FROM \"Hasen.db\" WHERE TatoRechts = :r AND TatoLinks = :l"),
      {{QStringLiteral("r"), rechts}, {QStringLiteral("l"), links}}, {QStringLiteral("Nummer")});
  if (!row) return std::nullopt;
  return (*row)[0].toLongLong();
}

std::optional<LabelRow> labelRowForAnimal(engine::Engine& engine, qint64 nummer) {
  const QStringList fields{QStringLiteral("TatoRechts"),  QStringLiteral("TatoLinks"),
                           QStringLiteral("Stallnummer"), QStringLiteral("IDCode"),
                           QStringLiteral("Geschlecht"),  QStringLiteral("Vater"),
                           QStringLiteral("Mutter"),      QStringLiteral("Rasse")};
  const auto animal =
      firstRow(engine,
               QStringLiteral("SELECT TatoRechts, TatoLinks, Stallnummer, IDCode, Geschlecht, Vater, "
                              "Mutter, Rasse FROM \"Hasen.db\" WHERE Nummer = :n"),
               {{QStringLiteral("n"), nummer}}, fields);
  if (!animal) return std::nullopt;
  const auto& a = *animal;
  LabelRow row;
  row.taetoRechts = a[0].toString();
  row.taetoLinks = a[1].toString();
  row.stallnummer = a[2].toString();
  row.name = a[3].toString();
  row.geschlecht =
      a[4].toString() == QStringLiteral("1") ? QStringLiteral("Rammler 1.0") : QStringLiteral("Häsin 0.1");
  row.vater = parentText(engine, a[5].toLongLong());
  row.mutter = parentText(engine, a[6].toLongLong());
  if (a[7].isValid()) {
    const auto breed = firstRow(
        engine, QStringLiteral("SELECT Name, Code FROM \"Rasse.db\" WHERE Nummer = :n"),
        {{QStringLiteral("n"), a[7].toLongLong()}}, {QStringLiteral("Name"), QStringLiteral("Code")});
    if (breed) row.rasse = (*breed)[0].toString() + QStringLiteral(" / ") + (*breed)[1].toString();
  }
  const auto litter = firstRow(engine,
                               QStringLiteral("SELECT Decktermin FROM \"Wurfbuch.DB\" WHERE Katze = :n "
                                              "ORDER BY LaufendeNummer DESC LIMIT 1"),
                               {{QStringLiteral("n"), nummer}}, {QStringLiteral("Decktermin")});
  if (litter) row.deckdatum = (*litter)[0].toDate();
  return row;
}

TAufkleberListe::TAufkleberListe(engine::Engine& engine) : engine_(engine) {
  if (engine_.tableExists(kTable)) engine_.deleteTable(kTable);
  const store::CatalogueTable* t = store::findTable(kTable);
  engine_.createTable(kTable, t ? store::currentLayout(*t) : engine::TableDef{});
}

namespace {

void setFields(engine::Cursor& c, const LabelRow& r) {
  c.field(QStringLiteral("TaetoRechts")).setString(r.taetoRechts);
  c.field(QStringLiteral("TaetoLinks")).setString(r.taetoLinks);
  c.field(QStringLiteral("Stallnummer")).setString(r.stallnummer);
  c.field(QStringLiteral("Rasse")).setString(r.rasse);
  c.field(QStringLiteral("Kaefignummer")).setString(r.kaefignummer);
  c.field(QStringLiteral("Geschlecht")).setString(r.geschlecht);
  c.field(QStringLiteral("Vater")).setString(r.vater);
  c.field(QStringLiteral("Mutter")).setString(r.mutter);
  c.field(QStringLiteral("Deckdatum")).setDate(r.deckdatum);
  c.field(QStringLiteral("Name")).setString(r.name);
}

// The table has no key: its rows keep the order in which they were added, so row i of the
// list is the table's record at position i.
struct ListTable {
  explicit ListTable(engine::Engine& engine) : c(engine, kTable) {
    c.setTableName(kTable);
    c.open();
  }
  ~ListTable() { c.close(); }
  void moveTo(int i) {
    c.first();
    if (i > 0) c.moveBy(i);
  }
  engine::Cursor c;
};

}  // namespace

int TAufkleberListe::append(const LabelRow& row) {
  ListTable t(engine_);
  t.c.append();
  setFields(t.c, row);
  t.c.post();
  rows_.push_back(row);
  return count() - 1;
}

void TAufkleberListe::set(int i, const LabelRow& row) {
  LabelRow& target = rows_.at(static_cast<size_t>(i));
  if (target == row) return;
  ListTable t(engine_);
  t.moveTo(i);
  t.c.edit();
  setFields(t.c, row);
  t.c.post();
  target = row;
}

void TAufkleberListe::remove(int i) {
  if (i < 0 || i >= count()) return;
  ListTable t(engine_);
  t.moveTo(i);
  t.c.deleteRecord();
  rows_.erase(rows_.begin() + i);
}

std::vector<LabelRow> TAufkleberListe::readTable() const {
  engine::Cursor c(engine_, kTable);
  c.setTableName(kTable);
  c.open();
  std::vector<LabelRow> rows;
  for (c.first(); c.hasRecord() && !c.eof(); c.next()) {
    LabelRow r;
    r.taetoRechts = c.field(QStringLiteral("TaetoRechts")).asString();
    r.taetoLinks = c.field(QStringLiteral("TaetoLinks")).asString();
    r.stallnummer = c.field(QStringLiteral("Stallnummer")).asString();
    r.rasse = c.field(QStringLiteral("Rasse")).asString();
    r.kaefignummer = c.field(QStringLiteral("Kaefignummer")).asString();
    r.geschlecht = c.field(QStringLiteral("Geschlecht")).asString();
    r.vater = c.field(QStringLiteral("Vater")).asString();
    r.mutter = c.field(QStringLiteral("Mutter")).asString();
    r.deckdatum = c.field(QStringLiteral("Deckdatum")).asDate();
    r.name = c.field(QStringLiteral("Name")).asString();
    rows.push_back(r);
  }
  c.close();
  return rows;
}

std::optional<int> parseStartPosition(const QString& text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (!ok || n < 1 || n > LabelGrid::kPerSheet) return std::nullopt;
  return n;
}

reports::TextItem fittedLine(const QRectF& rect, const QString& text, const QString& family, double points,
                             bool bold, bool italic, double minPoints, Qt::Alignment alignment) {
  reports::ReportFont rf{family, points, bold, italic};
  QFont font = rf.resolve(rf);
  const double floor = minPoints > 0.0 ? minPoints : points;
  double size = points;
  while (size > floor && reports::textWidthMm(font, text) > rect.width()) {
    size = std::max(floor, size - 0.5);
    font.setPointSizeF(size);
  }
  reports::TextItem item;
  item.font = font;
  item.text = text;
  item.lineHeight = reports::lineHeightMm(font);
  item.rect = QRectF(rect.left(), rect.top(), rect.width(), item.lineHeight);
  item.alignment = alignment;
  QString line = text;
  if (reports::textWidthMm(font, line) > rect.width()) {
    // Cut at the end, one character at a time, until the text and "…" fit.
    QString kept = text;
    do {
      kept.chop(1);
      line = kept.trimmed() + QStringLiteral("…");
    } while (!kept.isEmpty() && reports::textWidthMm(font, line) > rect.width());
  }
  item.lines = QStringList{line};
  return item;
}

void shrinkCutTexts(reports::PageModel& model, double minFactor) {
  for (reports::Page& page : model.pages) {
    for (reports::PageItem& item : page.items) {
      auto* text = std::get_if<reports::TextItem>(&item);
      if (!text || text->lines.size() != 1 || text->lines.front() == text->text || text->text.contains(u'\n'))
        continue;
      const double width = text->rect.width() - 2 * text->padding;
      const double points = text->font.pointSizeF();
      QFont font = text->font;
      QRectF box(text->rect.left() + text->padding, text->rect.top() + text->padding, width, 0.0);
      reports::TextItem fitted =
          fittedLine(box, text->text, font.family(), points, font.bold(), font.italic(),
                     std::max(1.0, points * minFactor), text->alignment);
      text->font = fitted.font;
      text->lines = fitted.lines;
      // The line keeps its place; a smaller font sits on the same top.
      text->lineHeight = std::min(text->lineHeight, fitted.lineHeight);
    }
  }
}

namespace {

reports::PageModel sheetModel(const QString& title, reports::Orientation orientation,
                              const QDate& printDate) {
  reports::PageModel model;
  model.title = title;
  model.printDate = printDate;
  model.setup.format = reports::PageFormat::A4;
  model.setup.orientation = orientation;
  model.setup.margins = QMarginsF(0, 0, 0, 0);
  return model;
}

}  // namespace

reports::PageModel layoutTransportLabels(const std::vector<LabelRow>& rows, int startPosition,
                                         const QDate& printDate) {
  reports::PageModel model =
      sheetModel(QStringLiteral("Transportaufkleber"), reports::Orientation::Portrait, printDate);
  if (rows.empty()) return model;
  const int first = std::clamp(startPosition, 1, LabelGrid::kPerSheet) - 1;
  // The three lines sit in a 55.6 mm wide box centred on the label, so that text keeps clear
  // of the label's rounded corners and of the die cut.
  const double boxWidth = 55.6;
  const double inset = (LabelGrid::kWidth - boxWidth) / 2.0;
  struct Line {
    double top;
    double points;
    double minPoints;
  };
  const Line lines[3] = {{5.3, 18.0, 10.0}, {14.8, 14.0, 8.0}, {24.3, 14.0, 8.0}};
  for (size_t i = 0; i < rows.size(); ++i) {
    const int pos = first + static_cast<int>(i);
    const int sheet = pos / LabelGrid::kPerSheet;
    while (model.pageCount() <= sheet) model.pages.emplace_back();
    reports::Page& page = model.pages[static_cast<size_t>(sheet)];
    const QPointF cell = LabelGrid::cell(pos % LabelGrid::kPerSheet);
    const QString texts[3] = {rows[i].kaefignummer, rasseStallText(rows[i]), taetoText(rows[i])};
    for (int l = 0; l < 3; ++l) {
      if (texts[l].isEmpty()) continue;
      const QRectF rect(cell.x() + inset, cell.y() + lines[l].top, boxWidth, 0.0);
      page.items.emplace_back(fittedLine(rect, texts[l], arial(), lines[l].points, true, false,
                                         lines[l].minPoints, Qt::AlignHCenter | Qt::AlignTop));
    }
    reports::BandPlacement band;
    band.kind = reports::BandKind::Detail;
    band.row = static_cast<int>(i);
    band.rect = QRectF(cell, QSizeF(LabelGrid::kWidth, LabelGrid::kHeight));
    page.bands.push_back(band);
  }
  return model;
}

reports::PageModel layoutStableCardSheets(const std::vector<LabelRow>& rows, const QDate& printDate) {
  reports::PageModel model =
      sheetModel(QStringLiteral("Stallkarten"), reports::Orientation::Landscape, printDate);
  if (rows.empty()) return model;
  const double cardWidth = 138.4, cardHeight = 104.5;
  const double left = 10.0, top = 0.0;
  const double captionX = 4.2, valueX = 40.2, valueWidth = 83.9;
  const double captionWidth = valueX - captionX - 1.0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const int pos = static_cast<int>(i) % 4;
    const size_t sheet = i / 4;
    while (model.pages.size() <= sheet) model.pages.emplace_back();
    reports::Page& page = model.pages[sheet];
    const QPointF o(left + (pos % 2) * cardWidth, top + (pos / 2) * cardHeight);
    const LabelRow& r = rows[i];
    auto caption = [&](double y, const QString& text) {
      page.items.emplace_back(fittedLine(QRectF(o.x() + captionX, o.y() + y, captionWidth, 0), text, arial(),
                                         14.0, false, false, 10.0));
    };
    auto value = [&](double x, double y, double width, const QString& text) {
      if (text.isEmpty()) return;
      page.items.emplace_back(
          fittedLine(QRectF(o.x() + x, o.y() + y, width, 0), text, arial(), 20.0, true, false, 12.0));
    };
    caption(13.5, QStringLiteral("Stallnummer:"));
    value(valueX, 13.5, 17.7 + 4.0, r.stallnummer);
    value(65.6, 13.5, cardWidth - 65.6 - 2.0, r.name);
    caption(24.1, QStringLiteral("Täto:"));
    value(valueX, 24.1, valueWidth, taetoText(r));
    caption(34.7, QStringLiteral("Geschlecht:"));
    value(valueX, 34.7, valueWidth, r.geschlecht);
    caption(45.2, QStringLiteral("Vater:"));
    value(valueX, 45.2, valueWidth, r.vater);
    caption(56.4, QStringLiteral("Mutter:"));
    value(valueX, 56.4, valueWidth, r.mutter);
    if (r.geschlecht != QStringLiteral("Rammler 1.0") && r.deckdatum.isValid()) {
      caption(68.0, QStringLiteral("Deckdatum:"));
      value(valueX, 68.0, valueWidth, r.deckdatum.toString(QStringLiteral("dd.MM.yyyy")));
    }
    reports::LineItem rule;
    rule.line = QLineF(o.x() + captionX, o.y() + 86.0, o.x() + cardWidth - captionX, o.y() + 86.0);
    page.items.emplace_back(rule);
    page.items.emplace_back(fittedLine(QRectF(o.x() + captionX, o.y() + 87.8, cardWidth - 2 * captionX, 0),
                                       reports::imprintText(), arial(), 8.0, true, true, 8.0,
                                       Qt::AlignRight | Qt::AlignTop));
    reports::BandPlacement band;
    band.kind = reports::BandKind::Detail;
    band.row = static_cast<int>(i);
    band.rect = QRectF(o, QSizeF(cardWidth, cardHeight));
    page.bands.push_back(band);
  }
  return model;
}

}  // namespace lapiro::output
