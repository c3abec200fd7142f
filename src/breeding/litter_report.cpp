#include "breeding/litter_report.h"

#include "breeding/young_rows.h"
#include "card/card_controller.h"
#include "engine/cursor.h"
#include "store/animal_rules.h"
#include "store/data_module.h"

#include <QSet>

namespace lapiro::breeding {

using engine::Cursor;

namespace {

const QString kDateFormat = QStringLiteral("dd.MM.yyyy");

QString breedName(store::TDatenStamm& dm, const QVariant& rasse) {
  if (!rasse.isValid() || rasse.isNull()) return {};
  for (const auto& b : dm.breeds())
    if (b.key == rasse.toLongLong()) return b.name;
  return {};
}

QString colourName(store::TDatenStamm& dm, const QVariant& rasse, const QVariant& farbe) {
  if (!farbe.isValid() || farbe.isNull()) return {};
  for (const auto& c : dm.colours(rasse.toLongLong()))
    if (c.key == farbe.toLongLong()) return c.name;
  return {};
}

// "Name, Vorname" (only "Name" without a first name) of an address; empty when not found.
QString addressName(store::TDatenStamm& dm, const QVariant& nr) {
  Cursor* a = dm.cursor(QStringLiteral("Adressen"));
  if (!a || !a->isOpen() || !nr.isValid() || nr.isNull()) return {};
  const QVariant name = a->lookup(QStringLiteral("LaufendeNr"), {nr}, QStringLiteral("Name"));
  if (!name.isValid()) return {};
  const QString vorname = a->lookup(QStringLiteral("LaufendeNr"), {nr}, QStringLiteral("Vorname")).toString();
  return vorname.isEmpty() ? name.toString() : name.toString() + QStringLiteral(", ") + vorname;
}

// The owner of a parent: the own user for an animal of status 1 (own stock, whatever owner
// the record names), otherwise the owner's address.
QString ownerName(store::TDatenStamm& dm, const QVariant& status, const QVariant& besitzer) {
  if (status.toLongLong() == 1) {
    const store::OwnUser& own = dm.ownUser();
    return store::personDisplay(own.vorname, own.name);
  }
  return addressName(dm, besitzer);
}

}  // namespace

TWurfmeldungDaten fillWurfmeldung(store::TDatenStamm& dm, int lfnr, const QDate& today) {
  TWurfmeldungDaten d;
  d.Lfnr = QString::number(lfnr);
  d.DatumZuchtbuch = today.toString(kDateFormat);
  for (int i = 0; i < kWurfmeldungZeilen; ++i) d.zeilen[i] = {};

  Cursor& doe = dm.Hasen();
  if (!doe.isOpen() || !doe.hasRecord()) return d;
  const QVariant rasse = doe.field(QStringLiteral("Rasse")).value();
  d.WRasse = breedName(dm, rasse);
  d.WFarbe = colourName(dm, rasse, doe.field(QStringLiteral("Farbe")).value());
  d.WVereinstaeto = doe.field(QStringLiteral("TatoRechts")).asString();
  d.WZuchtbuchtaeto = doe.field(QStringLiteral("TatoLinks")).asString();
  // The doe's owner and breeder the same way as the buck's.
  d.WBesitzer = ownerName(dm, doe.field(QStringLiteral("Status")).value(), doe.field(QStringLiteral("Besitzer")).value());
  d.WZuechter = addressName(dm, doe.field(QStringLiteral("Zuechter")).value());

  Cursor& w = dm.at(QStringLiteral("Wurfbuch"));
  if (!w.isOpen() || !w.hasRecord()) return d;
  auto figure = [&](const char16_t* f) { return QString::number(w.field(QString::fromUtf16(f)).asInteger()); };
  d.WRammler = figure(u"WurfStMaennlich");
  d.WHaesinnen = figure(u"WurfStWeiblich");
  d.Wtot = figure(u"WurfStTot");
  d.Jungtiere = QString::number(d.WRammler.toInt() + d.WHaesinnen.toInt() + d.Wtot.toInt());

  const QVariant kater = w.field(QStringLiteral("Kater")).value();
  Cursor* buck = dm.cursor(QStringLiteral("Rammler"));
  if (kater.isValid() && !kater.isNull() && buck && buck->isOpen() &&
      buck->lookup(QStringLiteral("Nummer"), {kater}, QStringLiteral("Nummer")).isValid()) {
    auto value = [&](const QString& f) { return buck->lookup(QStringLiteral("Nummer"), {kater}, f); };
    const QVariant buckBreed = value(QStringLiteral("Rasse"));
    d.MRasse = breedName(dm, buckBreed);
    d.MFarbe = colourName(dm, buckBreed, value(QStringLiteral("Farbe")));
    d.MVereinstaeto = w.field(QStringLiteral("HaseTatoRechts")).asString();
    d.MZuchtbuchtaeto = w.field(QStringLiteral("HaseTatoLinks")).asString();
    d.MBesitzer = ownerName(dm, value(QStringLiteral("Status")), value(QStringLiteral("Besitzer")));
    d.MZuechter = addressName(dm, value(QStringLiteral("Zuechter")));
  }
  const QDate deck = w.field(QStringLiteral("Decktermin")).asDate();
  const QDate wurftag = w.field(QStringLiteral("Wurftag")).asDate();
  if (deck.isValid()) d.GedAm = deck.toString(kDateFormat);
  if (wurftag.isValid()) d.Wurftag = wurftag.toString(kDateFormat);

  int filled = 0;
  Cursor& young = dm.at(QStringLiteral("JungtiereWurfbuch"));
  if (wurftag.isValid() && young.isOpen()) {
    young.refresh();
    for (young.first(); !young.eof() && young.hasRecord() && filled < kWurfmeldungZeilen; young.next()) {
      d.zeilen[filled++] = {store::genderDisplay(young.field(QStringLiteral("Geschlecht")).asString()),
                            young.field(QStringLiteral("TatoRechts")).asString(),
                            young.field(QStringLiteral("TatoLinks")).asString()};
    }
    young.first();
  }
  if (filled == 0) {
    const QString club = ownClubNumber(dm.Hasen().engine());
    const int bucks = d.WRammler.toInt();
    const int n = std::min(kWurfmeldungZeilen, bucks + d.WHaesinnen.toInt());
    for (int i = 0; i < n; ++i)
      d.zeilen[i] = {i < bucks ? QStringLiteral("Rammler 1.0") : QStringLiteral("Häsin 0.1"), club, {}};
  }
  return d;
}

std::optional<int> litterTotal(const QString& rammler, const QString& haesinnen, const QString& tot, QString* error) {
  int sum = 0;
  for (const QString& t : {rammler, haesinnen, tot}) {
    bool ok = false;
    const int v = t.trimmed().toInt(&ok);
    if (!ok) {
      if (error) *error = QStringLiteral("'%1' ist kein gültiger Integerwert").arg(t);
      return std::nullopt;
    }
    sum += v;
  }
  return sum;
}

QStringList herdBookPreCheck(const TWurfmeldungDaten& d) {
  QStringList problems;
  const QDate wurftag = QDate::fromString(d.Wurftag.trimmed(), kDateFormat);
  const QDate gemeldet = QDate::fromString(d.DatumZuchtbuch.trimmed(), kDateFormat);
  if (wurftag.isValid() && gemeldet.isValid() && gemeldet > wurftag.addDays(42))
    problems << QStringLiteral("Die Meldung erfolgt %1 Tage nach dem Wurftag, später als sechs Wochen.")
                    .arg(wurftag.daysTo(gemeldet));

  int listed = 0;
  QSet<QString> seen;
  const TattooPreset preset = tattooPreset(wurftag);
  for (int i = 0; i < kWurfmeldungZeilen; ++i) {
    const auto& z = d.zeilen[i];
    if (z.geschlecht.trimmed().isEmpty() && z.zuchtbuchtaeto.trimmed().isEmpty()) continue;
    ++listed;
    const QString links = z.zuchtbuchtaeto.trimmed();
    if (links.isEmpty()) continue;
    const QString key = z.vereinstaeto.trimmed() + u'|' + links;
    if (seen.contains(key))
      problems << QStringLiteral("Zeile %1: die Tätowierung %2 steht zweimal im Wurf.")
                      .arg(i + 1)
                      .arg(store::tattooDisplay(z.vereinstaeto.trimmed(), links));
    seen.insert(key);
    if (wurftag.isValid()) {
      const store::TattooParts parts = store::splitLeftTattoo(links);
      bool okM = false, okY = false;
      const int m = parts.month.toInt(&okM);
      const int y = parts.year.toInt(&okY);
      // The month part names the litter's month; November and December may also be written
      // as month 0 of the next breeding year.
      const bool fits = okM && okY &&
                        ((m == wurftag.month() && y == wurftag.year() % 100) ||
                         (m == preset.month && y == preset.year));
      if (!fits)
        problems << QStringLiteral("Zeile %1: Zuchtbuchtäto %2 passt nicht zum Wurftag %3 (erwartet %4.%5.).")
                        .arg(i + 1)
                        .arg(links, d.Wurftag.trimmed())
                        .arg(preset.month == 0 ? wurftag.month() : preset.month)
                        .arg(preset.month == 0 ? wurftag.year() % 100 : preset.year);
    }
  }
  bool okR = false, okH = false;
  const int reared = d.WRammler.trimmed().toInt(&okR) + d.WHaesinnen.trimmed().toInt(&okH);
  if (okR && okH && listed > 0 && reared != listed)
    problems << QStringLiteral("Die Wurfstärke nennt %1 aufgezogene Jungtiere, gelistet sind %2.").arg(reared).arg(listed);
  if (d.MRasse.trimmed().isEmpty() || d.MFarbe.trimmed().isEmpty())
    problems << QStringLiteral("Beim Rammler fehlt Rasse oder Farbe.");
  if (d.WRasse.trimmed().isEmpty() || d.WFarbe.trimmed().isEmpty())
    problems << QStringLiteral("Bei der Häsin fehlt Rasse oder Farbe.");
  return problems;
}

// ---------------------------------------------------------------- printed form

reports::Report TReportWurfmeldung(const TWurfmeldungDaten& d) {
  using reports::Element;
  reports::Report r;
  r.title = QStringLiteral("Wurfmeldung");
  r.page.format = reports::PageFormat::A4;
  r.page.orientation = reports::Orientation::Portrait;
  const double W = r.page.bodyWidth();  // 180 mm
  reports::Band& b = r.titleBand;
  auto label = [&](double x, double y, double w, const QString& text) {
    b.add(Element::label(QRectF(x, y, w, 5.5), text).singleLine());
  };
  auto value = [&](double x, double y, double w, const QString& text) {
    b.add(Element::label(QRectF(x, y, w, 5.5), text).singleLine().bold());
    b.add(Element::hLine(x, x + w, y + 5.5, 0.15));
  };

  b.add(Element::label(QRectF(0, 0, W, 10), QStringLiteral("Wurfmeldung")).size(18).bold().align(Qt::AlignHCenter | Qt::AlignTop));
  label(W - 45, 1, 18, QStringLiteral("Lfd. Nr.:"));
  value(W - 26, 1, 26, d.Lfnr);

  // Buck (left) and doe (right).
  const double col = W / 2 + 3;
  const double cw = W / 2 - 3;
  double y = 16;
  label(0, y, cw, QStringLiteral("Der Rammler der Rasse:"));
  label(col, y, cw, QStringLiteral("hat die Häsin der Rasse:"));
  y += 6;
  value(0, y, cw - 4, d.MRasse);
  value(col, y, cw, d.WRasse);
  y += 8;
  auto pair = [&](const QString& caption, const QString& m, const QString& wv) {
    label(0, y, 28, caption);
    value(28, y, cw - 32, m);
    label(col, y, 28, caption);
    value(col + 28, y, cw - 28, wv);
    y += 8;
  };
  pair(QStringLiteral("Farbe:"), d.MFarbe, d.WFarbe);
  pair(QStringLiteral("Vereinstäto"), d.MVereinstaeto, d.WVereinstaeto);
  pair(QStringLiteral("Zuchtbuchtäto"), d.MZuchtbuchtaeto, d.WZuchtbuchtaeto);
  pair(QStringLiteral("Besitzer:"), d.MBesitzer, d.WBesitzer);
  pair(QStringLiteral("Züchter:"), d.MZuechter, d.WZuechter);

  y += 2;
  label(0, y, 8, QStringLiteral("am"));
  value(9, y, 28, d.GedAm);
  label(40, y, 50, QStringLiteral("mit Erfolg gedeckt."));
  y += 16;
  // Signature places of both owners, each with the club's seal.
  for (int side = 0; side < 2; ++side) {
    const double x = side == 0 ? 0 : col;
    b.add(Element::hLine(x, x + cw - 4, y, 0.2));
    b.add(Element::label(QRectF(x, y + 0.5, cw - 4, 4),
                         side == 0 ? QStringLiteral("Unterschrift des Rammlerbesitzers")
                                   : QStringLiteral("Unterschrift des Häsinnenbesitzers"))
              .size(8)
              .singleLine());
    b.add(Element::label(QRectF(x, y + 4, cw - 4, 4), QStringLiteral("(Vereinssiegel)")).size(8).singleLine());
  }
  y += 12;

  label(0, y, 18, QStringLiteral("Wurftag:"));
  value(18, y, 28, d.Wurftag);
  y += 8;
  label(0, y, 40, QStringLiteral("Es wurden insgesamt"));
  value(40, y, 10, d.Jungtiere);
  label(52, y, 58, QStringLiteral("Jungtiere geworfen. Davon sind"));
  value(111, y, 10, d.WRammler);
  label(123, y, 20, QStringLiteral("Rammler,"));
  y += 8;
  value(0, y, 10, d.WHaesinnen);
  label(12, y, 26, QStringLiteral("Häsinnen und"));
  value(39, y, 10, d.Wtot);
  label(51, y, 10, QStringLiteral("tot."));
  y += 9;

  // The table of young animals.
  const double xs[] = {0, 22, 72, 124, W};
  const QString heads[] = {QStringLiteral("Lfd.Nr."), QStringLiteral("Geschlecht"), QStringLiteral("Vereinstäto"),
                           QStringLiteral("Zuchtbuchtäto")};
  const double rowH = 5.6;
  const double tableTop = y;
  b.add(Element::box(QRectF(0, y, W, rowH), QColor(230, 230, 230), 0.2));
  for (int c = 0; c < 4; ++c)
    b.add(Element::label(QRectF(xs[c] + 1.5, y + 0.4, xs[c + 1] - xs[c] - 3, rowH - 0.8), heads[c]).bold().singleLine());
  y += rowH;
  for (int i = 0; i < kWurfmeldungZeilen; ++i) {
    const auto& z = d.zeilen[i];
    const QString cells[] = {QString::number(i + 1), z.geschlecht, z.vereinstaeto, z.zuchtbuchtaeto};
    for (int c = 0; c < 4; ++c)
      b.add(Element::label(QRectF(xs[c] + 1.5, y + 0.4, xs[c + 1] - xs[c] - 3, rowH - 0.8), cells[c]).singleLine());
    b.add(Element::hLine(0, W, y + rowH, 0.15));
    y += rowH;
  }
  for (double x : xs) b.add(Element::vLine(x, tableTop, y, 0.2));
  y += 5;

  // Herd-book keeper's part: entry date, marking date, two signatures and the seal.
  label(0, y, 58, QStringLiteral("Eingetragen ins Zuchtbuch am:"));
  value(60, y, 26, d.DatumZuchtbuch);
  b.add(Element::box(QRectF(136, y - 2, 30, 20), QColor(), 0.15, reports::ShapeKind::Ellipse));
  y += 8;
  label(0, y, 38, QStringLiteral("Kennzeichnung am:"));
  b.add(Element::hLine(38, 86, y + 5.5, 0.15));
  y += 16;
  b.add(Element::hLine(0, 56, y, 0.2));
  b.add(Element::label(QRectF(0, y + 0.5, 56, 4), QStringLiteral("Unterschrift Zuchtbuchführer")).size(8).singleLine());
  b.add(Element::hLine(62, 118, y, 0.2));
  b.add(Element::label(QRectF(62, y + 0.5, 56, 4), QStringLiteral("Unterschrift Tätowiermeister")).size(8).singleLine());
  b.add(Element::label(QRectF(118, y + 0.5, W - 118, 4), QStringLiteral("        Vereinssiegel   des Zuchtbuchführers"))
            .size(8)
            .singleLine());
  y += 8;
  b.add(Element::label(QRectF(0, y, W, 8),
                       QStringLiteral("Die Jungtiere müssen innerhalb von sechs Wochen nach dem Wurftag dem Zuchtbuchführer "
                                      "gemeldet werden. Für jedes Tier nur eine Zeile  verwenden."))
            .size(8)
            .grow());
  y += 8;
  b.add(Element::label(QRectF(0, y, W, 4.5),
                       QStringLiteral("Bei offensichtlichen Manipulationen kann keine Tätowierung vorgenommen werden."))
            .size(8)
            .bold());
  b.height = y + 5;
  r.pageFooter = reports::standardPageFooter(W, false);
  return r;
}

}  // namespace lapiro::breeding
