#include "breeding/koerung_forms.h"

#include "engine/cursor.h"
#include "engine/query.h"
#include "reports/report_layout.h"
#include "shows/show_score.h"
#include "store/animal_rules.h"
#include "store/data_module.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace lapiro::breeding {

using reports::Band;
using reports::Element;
using reports::ReportFont;

namespace {

const char16_t* const kPositionFields[7] = {u"Gewicht1", u"Koerper2", u"Fell3", u"Kopf4",
                                            u"Farbe5",   u"Unterfarbe6", u"Pflege7"};

QString f(const char16_t* name) { return QString::fromUtf16(name); }

// A stored or calculated number in general format; empty for an empty value.
QString pointsText(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return {};
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok ? shows::formatPoints(d) : v.toString();
}

QString pointsText(engine::DataSet& ds, const char16_t* field) {
  const engine::Field fld = ds.field(f(field));
  return fld.isNull() ? QString() : shows::formatPoints(fld.asFloat());
}

QString dateText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

// Rounds to the nearest whole number, an exact half to the even neighbour (94.5 → 94,
// 95.5 → 96), independent of the floating-point environment's rounding mode.
double roundHalfEven(double v) {
  const double lower = std::floor(v);
  const double diff = v - lower;
  if (diff < 0.5) return lower;
  if (diff > 0.5) return lower + 1.0;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

bool countsAsJudged(const std::optional<double>& total) {
  return total && std::isfinite(*total) && roundHalfEven(*total) >= 1.0;
}

// The own data's herd-book heading: association kind and association, as the main window's
// calculated HerdbuchAnzeige shows it.
QString herdbookHeading(engine::Engine& engine) {
  engine::Query q(engine);
  q.setSql(QStringLiteral("SELECT Vereinsart, Verband FROM \"eigen.DB\""));
  q.open();
  if (!q.hasRecord()) return {};
  return (q.field(QStringLiteral("Vereinsart")).asString() + u' ' + q.field(QStringLiteral("Verband")).asString())
      .trimmed();
}

// "PLZ Ort, Straße", leaving out the separators of the parts that are empty.
QString placeAndStreet(const QString& plz, const QString& ort, const QString& strasse) {
  QString place = (plz.trimmed() + u' ' + ort.trimmed()).trimmed();
  const QString street = strasse.trimmed();
  if (street.isEmpty()) return place;
  return place.isEmpty() ? street : place + QStringLiteral(", ") + street;
}

QString joinNonEmpty(const QStringList& parts, const QString& separator) {
  QStringList kept;
  for (const QString& p : parts)
    if (!p.trimmed().isEmpty()) kept << p.trimmed();
  return kept.join(separator);
}

// --------------------------------------------------------------------------- layout helpers

// Width of `text` in mm for `font`; falls back on an estimate where no GUI application
// exists to measure with.
double measure(const QFont& font, const QString& text) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return reports::textWidthMm(font, text);
  return text.size() * font.pointSizeF() * 0.19;
}

// Builds the elements of one band in absolute band coordinates.
class FormBuilder {
 public:
  FormBuilder(Band& band, const ReportFont& defaultFont) : b_(band), default_(defaultFont) {}

  static constexpr double kRow = 5.0;

  Element& text(double x, double y, double w, const QString& t, double h = kRow) {
    b_.elements.push_back(Element::label(QRectF(x, y, w, h), t).singleLine());
    return b_.elements.back();
  }
  // A value on a thin base line, so that empty values still show where they belong.
  Element& value(double x, double y, double w, const QString& t) {
    b_.add(Element::hLine(x, x + w, y + kRow - 0.6, 0.1));
    return text(x + 0.5, y, w - 0.5, t).bold();
  }
  Element& cell(double x, double y, double w, double h, const QString& t, Qt::Alignment a) {
    b_.elements.push_back(
        Element::label(QRectF(x, y, w, h), t).singleLine().pad(0.8).framed().align(a | Qt::AlignVCenter));
    return b_.elements.back();
  }
  // A text centred across `width`, underlined when asked (the report fonts have no underline
  // of their own, so a rule is drawn under the measured text).
  void centred(double width, double y, double h, const QString& t, double size, bool underline) {
    // A long heading (the association's full name) is set smaller rather than cut.
    for (; size > 7.0; size -= 0.5) {
      reports::ReportFont probe{QString(), size, true, true};
      if (measure(probe.resolve(default_), t) <= width) break;
    }
    Element& e = text(0, y, width, t, h).size(size).bold().italic().align(Qt::AlignHCenter | Qt::AlignTop);
    if (!underline || t.trimmed().isEmpty()) return;
    const QFont font = e.font.resolve(default_);
    const double w = std::min(width, measure(font, t));
    const double under = y + reports::lineHeightMm(font) * 0.9;
    b_.add(Element::hLine((width - w) / 2.0, (width + w) / 2.0, under, 0.25));
  }
  // Prints `t` at (x, y) and puts `fills` centred into its runs of three or more blanks, in
  // order (the gaps a printed form leaves for a number).
  void textWithGaps(double x, double y, double w, const QString& t, const QStringList& fills, double size = 0.0) {
    Element& e = text(x, y, w, t);
    if (size > 0) e.size(size);
    const QFont font = e.font.resolve(default_);
    int k = 0;
    for (int i = 0; i < t.size() && k < fills.size();) {
      if (t.at(i) != u' ') {
        ++i;
        continue;
      }
      int j = i;
      while (j < t.size() && t.at(j) == u' ') ++j;
      if (j - i >= 3) {
        const double from = measure(font, t.left(i)), to = measure(font, t.left(j));
        const double mid = x + (from + to) / 2.0;
        Element& v = text(mid - 8.0, y, 16.0, fills.at(k++)).bold().align(Qt::AlignHCenter | Qt::AlignTop);
        if (size > 0) v.size(size);
      }
      i = j;
    }
  }
  void add(const Element& e) { b_.add(e); }

 private:
  Band& b_;
  ReportFont default_;
};

// The columns of the two tables of the balance form.
struct Column {
  double width;
  QString head;
  Qt::Alignment align;
};

std::vector<Column> balanceColumns() {
  std::vector<Column> c{{7.0, QStringLiteral("Nr."), Qt::AlignHCenter},
                        {13.0, QStringLiteral("Geschl."), Qt::AlignHCenter},
                        {38.0, QStringLiteral("Täto re    li"), Qt::AlignLeft}};
  for (int i = 1; i <= 7; ++i) c.push_back({8.5, QString::number(i), Qt::AlignRight});
  c.push_back({12.5, QStringLiteral("Insges"), Qt::AlignRight});
  c.push_back({28.5, QStringLiteral("Prädikat"), Qt::AlignLeft});
  c.push_back({21.5, QStringLiteral("Fehlpunkte"), Qt::AlignLeft});
  return c;
}

QStringList lineCells(const JudgingLine& l) {
  QStringList cells{l.geschlecht, l.name};
  for (const QString& p : l.positionen) cells << p;
  cells << l.insgesamt << l.praedikat << l.fehlpunkte;
  return cells;
}

}  // namespace

// ------------------------------------------------------------------------------ ranking

std::vector<int> balanceFormOrder(const std::vector<std::optional<double>>& totals) {
  const int n = static_cast<int>(std::min<size_t>(totals.size(), 10));
  std::vector<std::pair<double, int>> judged;
  std::vector<int> order, unjudged;
  for (int i = 0; i < n; ++i) {
    if (countsAsJudged(totals[i]))
      judged.emplace_back(roundHalfEven(*totals[i]), i);
    else
      unjudged.push_back(i);
  }
  std::stable_sort(judged.begin(), judged.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [total, index] : judged) order.push_back(index);
  order.insert(order.end(), unjudged.begin(), unjudged.end());
  return order;
}

// ------------------------------------------------------------------------------ readers

BalanceForm readBalanceForm(store::TDatenStamm& dm, const QString& datum) {
  engine::Cursor& h = dm.Hasen();
  BalanceForm form;
  form.herdbuch = herdbookHeading(h.engine());
  form.datum = datum;

  if (h.isOpen() && h.hasRecord()) {
    // The owner as the card shows him: the own user for the own stock, else the named address.
    const engine::Field status = h.field(QStringLiteral("Status"));
    if (!status.isNull() && status.asInteger() == 1) {
      const store::OwnUser& own = dm.ownUser();
      form.besitzer = store::personDisplay(own.vorname.trimmed(), own.name);
      form.besitzerAdresse = placeAndStreet(own.plz, own.ort, own.strasse);
    } else if (!h.field(QStringLiteral("Besitzer")).isNull()) {
      form.besitzer = store::personDisplay(h.field(QStringLiteral("BesitzerVorname")).asString().trimmed(),
                                           h.field(QStringLiteral("BesitzerName")).asString());
      form.besitzerAdresse = placeAndStreet(h.field(QStringLiteral("BesitzerPLZ")).asString(),
                                            h.field(QStringLiteral("BesitzerOrt")).asString(),
                                            h.field(QStringLiteral("BesitzerStrasse")).asString());
    }
    form.rasse = h.field(QStringLiteral("RasseAnzeige")).asString();
    form.farbe = h.field(QStringLiteral("FarbeAnzeige")).asString();

    // The buck and his best show result (the row the judging page put the card's cursor on).
    form.vater.geschlecht = QStringLiteral("1.0");
    form.vater.name =
        store::tattooDisplay(h.field(QStringLiteral("TatoRechts")).asString(), h.field(QStringLiteral("TatoLinks")).asString());
    engine::Cursor& shows = dm.at(QStringLiteral("Ausstellung"));
    if (shows.isOpen() && shows.hasRecord()) {
      const shows::ShowPoints p = shows::showPointsOf(shows);
      const shows::ShowScore s = shows::scoreOf(p);
      if (s.total && !s.total->isZero()) {
        for (size_t i = 0; i < 7; ++i)
          form.vater.positionen[i] = p.positions[i] ? shows::formatPoints(*p.positions[i]) : QString();
        form.vater.insgesamt = shows::formatPoints(*s.total);
        form.vater.praedikat = s.grade;
        form.vater.fehlpunkte = s.missing;
      }
    }
  }

  // The selected litter and its doe with her best show result.
  engine::Cursor& g = dm.at(QStringLiteral("GedeckteHaesinnen"));
  if (g.isOpen() && g.hasRecord()) {
    form.wurfdatum = dateText(g.field(QStringLiteral("Wurftag")).asDate());
    form.geboren = g.field(QStringLiteral("Geboren")).asString();
    form.aufgezogen = g.field(QStringLiteral("aufgezogen")).asString();
    form.tot = g.field(QStringLiteral("WurfStTot")).asString();
    form.mutter.geschlecht = QStringLiteral("0.1");
    form.mutter.name = g.field(QStringLiteral("NameHaesin")).asString();
    for (size_t i = 0; i < 7; ++i) form.mutter.positionen[i] = pointsText(g, kPositionFields[i]);
    form.mutter.insgesamt = pointsText(g, u"GesamtPunkte");
    form.mutter.praedikat = g.field(QStringLiteral("PraedikatText")).asString();
    form.mutter.fehlpunkte = g.field(QStringLiteral("Fehlpunkte")).asString();
  }

  // The first ten young of the litter, read by position so that the cursor (and the grid
  // over it) stays where it is.
  engine::Cursor& r = dm.at(QStringLiteral("RammlerJungtiere"));
  if (r.isOpen()) {
    const std::vector<engine::DataSet::Row> rows = r.readRows(0, 10);
    auto index = [&r](const char16_t* name) {
      const int i = r.fieldIndex(f(name));
      if (i < 0)
        throw engine::EngineError(engine::EngineError::Kind::FieldMissing,
                                  QStringLiteral("Das Feld %1 fehlt in RammlerJungtiere.").arg(f(name)), f(name));
      return i;
    };
    const int iSex = index(u"GeschlechtAnzeige"), iName = index(u"Name"), iTotal = index(u"Gesamtpunkte"),
              iShown = index(u"GesamtPunkteAnzeige"), iGrade = index(u"Praedikat"), iMissing = index(u"Fehlpunkte");
    int iPos[7];
    for (int i = 0; i < 7; ++i) iPos[i] = index(kPositionFields[i]);

    std::vector<std::optional<double>> totals;
    for (const auto& row : rows) {
      const QVariant& t = row[iTotal];
      bool ok = false;
      const double d = t.isValid() && !t.isNull() ? t.toDouble(&ok) : 0.0;
      totals.push_back(ok ? std::optional<double>(d) : std::nullopt);
    }
    const std::vector<int> order = balanceFormOrder(totals);
    for (size_t k = 0; k < order.size() && k < form.nachzucht.size(); ++k) {
      const auto& row = rows[order[k]];
      JudgingLine& line = form.nachzucht[k];
      line.geschlecht = row[iSex].toString();
      line.name = row[iName].toString();
      if (!countsAsJudged(totals[order[k]])) continue;  // sex and name only
      for (size_t i = 0; i < 7; ++i) line.positionen[i] = pointsText(row[iPos[i]]);
      line.insgesamt = row[iShown].isNull() ? pointsText(row[iTotal]) : row[iShown].toString();
      line.praedikat = row[iGrade].toString();
      line.fehlpunkte = row[iMissing].toString();
    }
  }
  return form;
}

void readKoernoteHeader(store::TDatenStamm& dm, KoernoteForm& form) {
  engine::Cursor& h = dm.Hasen();
  form.herdbuch = herdbookHeading(h.engine());
  form.rammler.clear();
  form.zuechter.clear();
  form.strasse.clear();
  form.plz.clear();
  form.wohnort.clear();
  form.rasseFarbe.clear();
  form.vereinstato.clear();
  form.tatoLinks.clear();
  if (!h.isOpen() || !h.hasRecord()) return;

  const QString rechts = h.field(QStringLiteral("TatoRechts")).asString();
  const QString links = h.field(QStringLiteral("TatoLinks")).asString();
  form.rammler = rechts + u' ' + links;
  form.vereinstato = rechts;
  form.tatoLinks = links;
  if (!h.field(QStringLiteral("Zuechter")).isNull()) {
    form.zuechter = store::personDisplay(h.field(QStringLiteral("ZuechterVorname")).asString().trimmed(),
                                         h.field(QStringLiteral("ZuechterName")).asString());
    form.strasse = h.field(QStringLiteral("ZuechterStrasse")).asString();
    form.plz = h.field(QStringLiteral("ZuechterPLZ")).asString();
    form.wohnort = h.field(QStringLiteral("ZuechterOrt")).asString();
  }
  form.rasseFarbe = joinNonEmpty({h.field(QStringLiteral("RasseAnzeige")).asString(),
                                  h.field(QStringLiteral("FarbeAnzeige")).asString()},
                                 QStringLiteral(", "));
  form.langhaar = store::isLonghairGroup(h.field(QStringLiteral("Rassegruppe")).asString());
}

// ------------------------------------------------------------------------------ reports

namespace {

void onePageA4(reports::Report& r, const QString& title, const ReportFont& font) {
  r.title = title;
  r.page.format = reports::PageFormat::A4;
  r.page.orientation = reports::Orientation::Portrait;
  r.page.margins = QMarginsF(15.0, 12.0, 15.0, 10.0);
  r.defaultFont = font;
  r.pageFooter = Band(5.0);
  r.pageFooter.add(Element::hLine(0, r.page.bodyWidth(), 0.5, 0.1));
  r.pageFooter.add(Element::label(QRectF(0, 1.0, r.page.bodyWidth(), 4.0), reports::imprintText()).size(7).singleLine());
}

}  // namespace

TReportAusgeglichenheit::TReportAusgeglichenheit(const BalanceForm& form, const reports::ReportFont& font) {
  onePageA4(*this, QStringLiteral("Ausgeglichenheit eines Wurfes"), font);
  const double width = page.bodyWidth();  // 180 mm
  titleBand = Band(10.0);
  FormBuilder b(titleBand, defaultFont);

  b.centred(width, 0, 8, QStringLiteral("Herdbuchabteilung"), 14, false);
  b.centred(width, 8, 7, form.herdbuch, 11, false);
  b.text(0, 18, width, QStringLiteral("Pos. 3 Ausgeglichenheit eines Wurfes bei der Körung am: ") + form.datum, 7)
      .size(12)
      .bold();

  double y = 30;
  b.text(0, y, 34, QStringLiteral("Name des Besitzers:"));
  b.value(34, y, 96, form.besitzer);
  b.text(133, y, 47, QStringLiteral("(Herdbuchzüchter/Anwärter)")).size(8).align(Qt::AlignRight | Qt::AlignTop);
  y += 7;
  b.text(0, y, 34, QStringLiteral("Plz, Wohnort, Str.:"));
  b.value(34, y, width - 34, form.besitzerAdresse);
  y += 7;
  b.text(0, y, 14, QStringLiteral("Rasse:"));
  b.value(14, y, 72, form.rasse);
  b.text(90, y, 13, QStringLiteral("Farbe:"));
  b.value(103, y, width - 103, form.farbe);
  y += 7;
  b.text(0, y, 20, QStringLiteral("Wurfdatum:"));
  b.value(20, y, 24, form.wurfdatum);
  b.text(50, y, 28, QStringLiteral("Anzahl geboren:"));
  b.value(78, y, 12, form.geboren).align(Qt::AlignHCenter | Qt::AlignTop);
  b.text(97, y, 21, QStringLiteral("Aufgezogen:"));
  b.value(118, y, 12, form.aufgezogen).align(Qt::AlignHCenter | Qt::AlignTop);
  b.text(140, y, 8, QStringLiteral("tot:"));
  b.value(148, y, 12, form.tot).align(Qt::AlignHCenter | Qt::AlignTop);

  const std::vector<Column> cols = balanceColumns();
  constexpr double kHead = 6.5, kLine = 8.0;
  auto head = [&](double top, bool parents) {
    double x = 0;
    for (size_t c = 0; c < cols.size(); ++c) {
      if (parents && c == 1) continue;
      double w = cols[c].width;
      QString t = cols[c].head;
      if (parents && c == 0) {  // the parents' rows carry "1.0"/"0.1" across number and sex
        w += cols[1].width;
        t.clear();
      }
      b.cell(x, top, w, kHead, t, Qt::AlignHCenter).bold().size(7.5);
      x += w;
    }
  };
  auto line = [&](double top, const QString& number, const JudgingLine& l, bool parents) {
    const QStringList cells = lineCells(l);
    double x = 0;
    if (parents) {
      b.cell(x, top, cols[0].width + cols[1].width, kLine, l.geschlecht.isEmpty() ? number : l.geschlecht,
             Qt::AlignHCenter)
          .bold();
      x += cols[0].width + cols[1].width;
    } else {
      b.cell(x, top, cols[0].width, kLine, number, Qt::AlignHCenter).bold();
      x += cols[0].width;
      b.cell(x, top, cols[1].width, kLine, cells[0], Qt::AlignHCenter);
      x += cols[1].width;
    }
    for (size_t c = 2; c < cols.size(); ++c) {
      Element& e = b.cell(x, top, cols[c].width, kLine, cells[static_cast<int>(c) - 1], cols[c].align);
      e.size(8);
      if (c == cols.size() - 3) e.bold();  // the total
      x += cols[c].width;
    }
  };

  y += 11;
  b.text(0, y, 40, QStringLiteral("Eltern"), 6).size(11).bold();
  y += 7;
  head(y, true);
  y += kHead;
  line(y, QStringLiteral("1.0"), form.vater, true);
  y += kLine;
  line(y, QStringLiteral("0.1"), form.mutter, true);
  y += kLine + 7;

  b.text(0, y, 40, QStringLiteral("Nachzucht"), 6).size(11).bold();
  y += 7;
  head(y, false);
  y += kHead;
  for (size_t i = 0; i < form.nachzucht.size(); ++i) {
    line(y, QString::number(i + 1), form.nachzucht[i], false);
    y += kLine;
  }

  // The commission's block: points for this position and four signatures.
  y += 9;
  b.text(0, y, 60, QStringLiteral("Die Körkommission:"), 6).size(11).bold();
  b.text(118, y + 1, 34, QStringLiteral("Leistungspunkte")).bold().align(Qt::AlignRight | Qt::AlignTop);
  b.add(Element::box(QRectF(155, y - 1, width - 155, 8), QColor(), 0.3));
  y += 22;
  auto signature = [&](double x, double top, const QString& role) {
    b.text(x, top, 22, role);
    b.add(Element::hLine(x + 22, x + 82, top + FormBuilder::kRow - 0.6, 0.15));
  };
  signature(0, y, QStringLiteral("Obmann:"));
  signature(98, y, QStringLiteral("Zuchtwart:"));
  y += 16;
  signature(0, y, QStringLiteral("Körrichter:"));
  signature(98, y, QStringLiteral("Körrichter:"));
  titleBand.height = y + FormBuilder::kRow + 1;
}

TReportKoernote::TReportKoernote(const KoernoteForm& form, const reports::ReportFont& font) {
  onePageA4(*this, QStringLiteral("Berechnung der Körnote"), font);
  const double width = page.bodyWidth();  // 180 mm
  titleBand = Band(10.0);
  FormBuilder b(titleBand, defaultFont);

  b.centred(width, 0, 8, QStringLiteral("Herdbuchabteilung"), 14, true);
  b.centred(width, 9, 7, form.herdbuch, 12, true);

  double y = 22;
  b.text(0, y, 70, QStringLiteral("Berechnung der Körnote für den Rammler:"));
  b.value(70, y, 58, form.rammler);
  b.text(132, y, 20, QStringLiteral("Körung am:"));
  b.value(152, y, width - 152, form.datum);
  y += 8;
  b.text(0, y, 33, QStringLiteral("Name des Züchters:"));
  b.value(33, y, 96, form.zuechter);
  b.text(133, y, 47, QStringLiteral("(Herdbuchzüchter/Anwärter)")).size(8).align(Qt::AlignRight | Qt::AlignTop);
  y += 7;
  b.text(0, y, 14, QStringLiteral("Straße:"));
  b.value(14, y, 68, form.strasse);
  b.text(86, y, 10, QStringLiteral("Plz.:"));
  b.value(96, y, 18, form.plz);
  b.text(118, y, 16, QStringLiteral("Wohnort:"));
  b.value(134, y, width - 134, form.wohnort);
  y += 7;
  b.text(0, y, 24, QStringLiteral("Rasse, Farbe:"));
  b.value(24, y, width - 24, form.rasseFarbe);
  y += 7;
  b.text(0, y, 22, QStringLiteral("Vereinstäto:"));
  b.value(22, y, 36, form.vereinstato);
  b.text(64, y, 20, QStringLiteral("Täto links:"));
  b.value(84, y, 36, form.tatoLinks);

  // Each item ends in its "Leistungspunkte" box on the right.
  constexpr double kBoxX = 164.0;
  auto points = [&](double top, const QString& value) {
    b.text(kBoxX - 32, top + 1, 30, QStringLiteral("Leistungspunkte")).align(Qt::AlignRight | Qt::AlignTop);
    b.add(Element::label(QRectF(kBoxX, top, width - kBoxX, 7), value)
              .singleLine()
              .bold()
              .size(11)
              .framed(Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge, 0.3)
              .align(Qt::AlignCenter));
  };
  auto rule = [&](double at) { b.add(Element::hLine(0, width, at, 0.15)); };
  auto itemHead = [&](double top, const QString& number, const QString& caption, const QString& proof) {
    b.text(0, top, 9, number).bold().size(10);
    b.text(9, top, 60, caption).bold().size(10);
    if (!proof.isEmpty()) b.text(60, top + 0.5, 100, proof).size(8);
  };

  y += 10;
  rule(y);
  y += 3;
  itemHead(y, QStringLiteral("1.)"), QStringLiteral("Vorfahren, Abstammung"), QStringLiteral("(Nachweis durch Einzelzuchtbuch)"));
  y += 7;
  b.text(9, y, 45, QStringLiteral("Vorfahren von jeder Seite"));
  b.textWithGaps(54, y, 80, QStringLiteral("(väterlicherseits           / mütterlicherseits           )"),
                 {form.anzahlVater, form.anzahlMutter});
  points(y - 1, form.punkte[0]);
  y += 9;

  auto balance = [&](const QString& number, const QString& doeLabel, const KoernoteDoe& doe, const QString& p) {
    rule(y);
    y += 3;
    itemHead(y, number, QStringLiteral("Ausgeglichenheit"), QStringLiteral("(Nachweis durch Jungtier- u. Körverzeichnis)"));
    y += 7;
    b.text(9, y, 27, doeLabel);
    b.value(36, y, 52, doe.tato);
    b.textWithGaps(96, y, 60, QStringLiteral("Zur Körung vorgestellt (        )"), {doe.vorgestellt});
    y += 7;
    b.text(9, y, 20, QStringLiteral("Bewertung:"));
    b.add(Element::hLine(29, width, y + FormBuilder::kRow - 0.6, 0.1));
    b.add(Element::hLine(29, width, y + 2 * FormBuilder::kRow - 0.6, 0.1));
    b.add(Element::label(QRectF(29.5, y, width - 29.5, 2 * FormBuilder::kRow), doe.bewertung).bold().size(8.5));
    y += 2 * FormBuilder::kRow + 2;
    b.text(9, y, 30, QStringLiteral("Punkte im Mittel"));
    b.value(39, y, 22, doe.mittel);
    points(y - 1, p);
    y += 9;
  };
  balance(QStringLiteral("2.)"), QStringLiteral("1. Häsin Täto :"), form.haesin1, form.punkte[1]);
  balance(QStringLiteral("3.)"), QStringLiteral("2. Häsin Täto:"), form.haesin2, form.punkte[2]);

  rule(y);
  y += 3;
  itemHead(y, QStringLiteral("4.)"), QStringLiteral("Bewertung des Rammlers"), QString());
  y += 7;
  b.text(9, y, 100, QStringLiteral("Nachweis durch Körverzeichnis bzw. Bewertungsurkunde")).size(8.5);
  b.value(100, y, 20, form.rammlerPunkte).align(Qt::AlignRight | Qt::AlignTop);
  b.text(121, y, 14, QStringLiteral("Punkte"));
  points(y - 1, form.punkte[3]);
  y += 9;

  // Only long-haired breeds are judged on their wool; for the others the item stays empty.
  rule(y);
  y += 3;
  itemHead(y, QStringLiteral("5.)"), QStringLiteral("Wollwertrichtzahl"), QString());
  y += 7;
  b.value(100, y, 20, form.langhaar ? form.wollPunkte : QString()).align(Qt::AlignRight | Qt::AlignTop);
  b.text(121, y, 14, QStringLiteral("Punkte"));
  points(y - 1, form.langhaar ? form.punkte[4] : QString());
  y += 9;
  b.add(Element::hLine(0, width, y, 0.4));

  y += 6;
  b.text(40, y + 1, 60, QStringLiteral("Ermittelte Körnote:")).bold().size(12).align(Qt::AlignRight | Qt::AlignTop);
  b.add(Element::label(QRectF(103, y, 24, 8), form.koernote)
            .singleLine()
            .bold()
            .size(13)
            .framed(Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge, 0.4)
            .align(Qt::AlignCenter));
  b.text(129, y + 1, 24, QStringLiteral("Punkte")).bold().size(12);

  // Signatures.
  y += 18;
  b.text(0, y, 60, QStringLiteral("Für die Richtigkeit")).bold();
  y += 20;
  auto signature = [&](double x, double top, const QString& role) {
    b.add(Element::hLine(x, x + 62, top, 0.15));
    b.text(x, top + 0.5, 62, role).size(8).align(Qt::AlignHCenter | Qt::AlignTop);
  };
  signature(0, y, QStringLiteral("Abteilungsleiter"));
  b.text(70, y - 8, 40, QStringLiteral("(Siegel)")).italic().align(Qt::AlignHCenter | Qt::AlignTop);
  signature(width - 62, y, QStringLiteral("Zuchtwart"));
  y += 20;
  signature(0, y, QStringLiteral("Körrichter"));
  signature(width - 62, y, QStringLiteral("Körrichter"));
  titleBand.height = y + FormBuilder::kRow + 1;
}

}  // namespace lapiro::breeding
