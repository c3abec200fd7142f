#include "breeding/wool_certificate.h"

#include "breeding/wool_performance.h"
#include "engine/cursor.h"
#include "engine/query.h"
#include "store/data_module.h"

#include <QLocale>
#include <QPainter>
#include <QPainterPath>

namespace lapiro::breeding {

using reports::Band;
using reports::Element;

namespace {

QString dateText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

QString intText(engine::DataSet& ds, const QString& field) {
  const engine::Field f = ds.field(field);
  return f.isNull() ? QString() : QString::number(f.asInteger());
}

QString oneDecimal(double v) { return QLocale(QLocale::German).toString(v, 'f', 1); }


struct AncestorRow {
  QString tatoRechts, tatoLinks, zuechter;
  qint64 vater = 0, mutter = 0;
};

// An ancestor with its breeder's name, straight from the tables.
std::optional<AncestorRow> readAncestor(engine::Engine& engine, qint64 nummer) {
  if (nummer <= 0) return std::nullopt;
  engine::Query q(engine);
  q.setSql(QStringLiteral("SELECT TatoRechts, TatoLinks, Zuechter, Vater, Mutter FROM \"Hasen.db\" WHERE Nummer = :n"));
  q.setParam(QStringLiteral("n"), nummer);
  q.open();
  if (!q.hasRecord()) return std::nullopt;
  AncestorRow a;
  a.tatoRechts = q.field(QStringLiteral("TatoRechts")).asString();
  a.tatoLinks = q.field(QStringLiteral("TatoLinks")).asString();
  a.vater = q.field(QStringLiteral("Vater")).asInteger();
  a.mutter = q.field(QStringLiteral("Mutter")).asInteger();
  const qint64 zuechter = q.field(QStringLiteral("Zuechter")).asInteger();
  if (zuechter > 0) {
    engine::Query z(engine);
    z.setSql(QStringLiteral("SELECT Vorname, Name FROM \"Adresse.db\" WHERE LaufendeNr = :z"));
    z.setParam(QStringLiteral("z"), zuechter);
    z.open();
    if (z.hasRecord()) {
      const QString vorname = z.field(QStringLiteral("Vorname")).asString().trimmed();
      const QString name = z.field(QStringLiteral("Name")).asString();
      a.zuechter = vorname.isEmpty() ? name : vorname + u' ' + name;
    }
  }
  return a;
}

// A small emblem: a round ball of wool with a few strands.
QImage woolEmblem() {
  QImage image(240, 240, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x5a, 0x4a, 0x7a), 8));
  p.setBrush(QColor(0xf4, 0xf0, 0xfa));
  p.drawEllipse(QPointF(120, 120), 100, 100);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x7d, 0x6b, 0xa3), 6));
  for (int i = 0; i < 5; ++i) {
    QPainterPath strand;
    strand.moveTo(40 + i * 10, 60 + i * 30);
    strand.cubicTo(90, 20 + i * 35, 150, 100 + i * 20, 200 - i * 8, 60 + i * 32);
    p.drawPath(strand);
  }
  return image;
}

}  // namespace

WoolCertificate readWoolCertificate(store::TDatenStamm& dm, const QDate& today) {
  engine::Cursor& h = dm.Hasen();
  engine::Cursor& a = dm.at(woolCursorName());
  engine::Engine& engine = a.engine();
  WoolCertificate c;

  // Own data: association and place.
  QString ownOrt;
  {
    engine::Query q(engine);
    q.setSql(QStringLiteral("SELECT Verband, Ort FROM \"eigen.DB\""));
    q.open();
    if (q.hasRecord()) {
      c.verband = q.field(QStringLiteral("Verband")).asString();
      ownOrt = q.field(QStringLiteral("Ort")).asString();
    }
  }
  c.ortDatum = ownOrt + QStringLiteral(", den ") + dateText(today);

  c.llb = a.field(QStringLiteral("LLB")).asString();
  c.farbHinweis = isWhiteColour(h.field(QStringLiteral("FarbeAnzeige")).asString()) ? QStringLiteral("( für weiße )")
                                                                                    : QStringLiteral("( für farbige )");
  c.geschlecht = h.field(QStringLiteral("GeschlechtAnzeige2")).asString();
  c.tato = h.field(QStringLiteral("Name")).asString();
  c.name = h.field(QStringLiteral("IDCode")).asString();
  c.geburtstag = dateText(h.field(QStringLiteral("Geburtstag")).asDate());
  c.wurfstaerke = h.field(QStringLiteral("Wurfgroesse")).asString();
  c.zuechter = h.field(QStringLiteral("ZuechterAnzeigeAdresse")).asString();
  c.hbNr = h.field(QStringLiteral("HBNr")).asString();
  c.besitzer = h.field(QStringLiteral("BesitzerAnzeigeAdresse")).asString();

  c.vom = dateText(a.field(QStringLiteral("Vom")).asDate());
  c.bis = dateText(a.field(QStringLiteral("Bis")).asDate());
  c.ort = a.field(QStringLiteral("Ort")).asString();
  c.schur = {intText(a, QStringLiteral("Schurergebnis1")), intText(a, QStringLiteral("Schurergebnis2")),
             intText(a, QStringLiteral("Filz")), intText(a, QStringLiteral("SchurergebnisInsgesamt"))};
  c.jwe = {intText(a, QStringLiteral("JWE1")), intText(a, QStringLiteral("JWE2")), intText(a, QStringLiteral("JWEFilz")),
           intText(a, QStringLiteral("JWEInsgesamt"))};
  c.wrz = {intText(a, QStringLiteral("WRZ1")), intText(a, QStringLiteral("WRZ2")), intText(a, QStringLiteral("WRZFilz")),
           intText(a, QStringLiteral("WRZInsgesamt"))};
  c.punkte = a.field(QStringLiteral("Punkte")).asString();
  if (!a.field(QStringLiteral("GewichtHase")).isNull())
    c.gewichtHase = QLocale(QLocale::German).toString(a.field(QStringLiteral("GewichtHase")).asFloat(), 'f', 0);
  c.urteilAm = dateText(a.field(QStringLiteral("UrteilAm")).asDate());
  c.urteilVon = a.field(QStringLiteral("UrteilVon")).asString();
  for (size_t i = 0; i < 7; ++i) {
    const engine::Field f = a.field(QString::fromUtf16(woolPositions()[i].field));
    c.positionen[i] = f.isNull() ? QString() : oneDecimal(f.asFloat());
  }
  if (!a.field(QStringLiteral("Bewertung")).isNull()) c.bewertung = oneDecimal(a.field(QStringLiteral("Bewertung")).asFloat());
  c.bemerkung = a.field(QStringLiteral("Bemerkung")).asString();
  c.elternJwe = intText(a, QStringLiteral("ElternJWE"));
  c.elternWrz = intText(a, QStringLiteral("ElternWRZ"));
  c.punkteEltern = a.field(QStringLiteral("PunkteEltern")).asString();
  c.grosselternJwe = intText(a, QStringLiteral("GrosselternJWE"));
  c.grosselternWrz = intText(a, QStringLiteral("GrosselternWRZ"));
  c.punkteGrosseltern = a.field(QStringLiteral("PunkteGrosseltern")).asString();
  c.leistungspunkte = intText(a, QStringLiteral("Leistungspunkte"));
  c.gesamtPunkte = oneDecimal(a.field(QStringLiteral("GesamtPunkte")).asFloat());
  c.gesamtNote = a.field(QStringLiteral("GesamtNote")).asString();

  // Ancestors: slot s (0 = the animal) has its father in 2s+1 and its mother in 2s+2; the
  // table shows tree 1 to 14 as rows 2 to 15. An ancestor is looked up only when its child
  // was found.
  WoolLookup lookup(engine);
  std::array<std::optional<AncestorRow>, 15> tree;
  tree[0] = AncestorRow{{}, {}, {}, h.field(QStringLiteral("Vater")).asInteger(), h.field(QStringLiteral("Mutter")).asInteger()};
  for (size_t s = 1; s < tree.size(); ++s) {
    const std::optional<AncestorRow>& child = tree[(s - 1) / 2];
    if (!child) continue;
    const qint64 nummer = (s % 2 == 1) ? child->vater : child->mutter;
    tree[s] = readAncestor(engine, nummer);
    if (!tree[s]) continue;
    CertificateAncestor& row = c.ahnen[s - 1];
    row.tato = tree[s]->tatoRechts + u' ' + tree[s]->tatoLinks;
    row.zuechter = tree[s]->zuechter;
    if (const auto t = lookup.test(nummer, true)) {
      row.pruefstelle = t->pruefstelle;
      row.jwe = QString::number(t->jwe);
      row.wrz = QString::number(t->wrz);
      row.bewertung = t->judging;
    }
    if (s <= 2) {
      const auto first = lookup.test(nummer, false);
      (s == 1 ? c.llbVater : c.llbMutter) = first ? first->llb : QString();
    }
  }
  return c;
}

TReportWollleistung::TReportWollleistung(const WoolCertificate& c, const reports::ReportFont& font) {
  title = QStringLiteral("Angora-Leistungsnachweis");
  page.format = reports::PageFormat::A4;
  page.orientation = reports::Orientation::Portrait;
  page.margins = QMarginsF(15.0, 10.0, 15.0, 8.0);
  defaultFont = font;
  const double width = page.bodyWidth();  // 180 mm
  constexpr double rowH = 5.0;

  Band& b = titleBand;
  b = Band(246.0);
  auto text = [&](double x, double y, double w, const QString& t) -> Element& {
    b.elements.push_back(Element::label(QRectF(x, y, w, rowH), t).singleLine());
    return b.elements.back();
  };
  // A value on a dotted base line, so that empty values still show where they belong.
  auto value = [&](double x, double y, double w, const QString& t) -> Element& {
    b.add(Element::hLine(x, x + w, y + rowH - 0.6, 0.1));
    return text(x, y, w, t).bold();
  };
  auto cell = [&](double x, double y, double w, const QString& t, bool head = false) -> Element& {
    b.elements.push_back(Element::label(QRectF(x, y, w, rowH), t)
                             .singleLine()
                             .pad(0.8)
                             .framed()
                             .align((head ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter));
    if (head) b.elements.back().bold();
    return b.elements.back();
  };

  // Heading.
  b.add(Element::picture(QRectF(0, 0, 20, 20), woolEmblem()));
  text(24, 0, width - 24, QStringLiteral("Verband der Angorakaninchenzüchter")).size(10).bold();
  b.add(Element::label(QRectF(24, 6, width - 24, 9), QStringLiteral("Angora-Leistungsnachweis")).size(16).bold().singleLine());
  text(24, 16, 26, QStringLiteral("Landesverband:"));
  value(50, 16, 92, c.verband).size(8);
  text(145, 16, 13, QStringLiteral("LLB-Nr."));
  value(158, 16, 22, c.llb);
  text(145, 21, 35, c.farbHinweis).italic();

  // The animal.
  double y = 29.0;
  b.add(Element::box(QRectF(0, y - 1, 8, rowH + 2), QColor(0xEE, 0xEE, 0xEE), 0.2));
  text(0, y, 8, QStringLiteral("1")).bold().align(Qt::AlignCenter);
  text(10, y, 14, QStringLiteral("Geschl."));
  value(23, y, 12, c.geschlecht);
  text(37, y, 9, QStringLiteral("Täto"));
  value(46, y, 44, c.tato);
  text(92, y, 10, QStringLiteral("Name"));
  value(102, y, 34, c.name);
  text(137, y, 14, QStringLiteral("geb.am"));
  value(151, y, 29, c.geburtstag);
  y += 7;
  text(0, y, 16, QStringLiteral("Züchter:"));
  value(16, y, 116, c.zuechter);
  text(134, y, 13, QStringLiteral("HB-Nr."));
  value(150, y, 30, c.hbNr);
  y += 7;
  text(0, y, 16, QStringLiteral("Besitzer:"));
  value(16, y, 116, c.besitzer);
  text(133, y, 19, QStringLiteral("Wurfstärke"));
  value(152, y, 28, c.wurfstaerke);

  // The test.
  y += 9;
  b.add(Element::label(QRectF(0, y, width, 2 * rowH),
                       QStringLiteral("Das Angora-Kaninchen wurde vom %1 bis %2 in %3 auf seine Woll-Leistung geprüft "
                                      "und erbrachte folgende Leistung:")
                           .arg(c.vom.isEmpty() ? QStringLiteral("…") : c.vom, c.bis.isEmpty() ? QStringLiteral("…") : c.bis,
                                c.ort.isEmpty() ? QStringLiteral("…") : c.ort)));

  // Left: grades. Right: the judge's verdict.
  y += 12;
  const double top = y;
  text(0, y, 40, QStringLiteral("Sorten in Gramm")).bold();
  const double labelW = 26, colW = 17;
  const QString heads[4] = {QStringLiteral("I."), QStringLiteral("II."), QStringLiteral("Filz"), QStringLiteral("insgesamt")};
  y += rowH + 1;
  for (int i = 0; i < 4; ++i) cell(labelW + i * colW, y, colW, heads[i], true).size(7);
  const std::pair<QString, const std::array<QString, 4>*> rows[3] = {
      {QStringLiteral("Schur- Ergebnis"), &c.schur}, {QStringLiteral("JWE"), &c.jwe}, {QStringLiteral("WRZ"), &c.wrz}};
  for (const auto& [caption, values] : rows) {
    y += rowH;
    cell(0, y, labelW, caption, false).align(Qt::AlignLeft | Qt::AlignVCenter).size(8);
    for (int i = 0; i < 4; ++i) cell(labelW + i * colW, y, colW, (*values)[i]);
  }
  y += rowH;
  cell(0, y, labelW, QStringLiteral("LP"), false).align(Qt::AlignLeft | Qt::AlignVCenter);
  cell(labelW + 3 * colW, y, colW, c.punkte).bold();
  y += rowH + 3;
  text(0, y, 16, QStringLiteral("Gewicht"));
  value(16, y, 22, c.gewichtHase).align(Qt::AlignRight | Qt::AlignTop);
  text(39, y, 5, QStringLiteral("g"));

  double ry = top;
  const double rx = 100;
  text(rx, ry, 33, QStringLiteral("Preisrichter-Urteil")).bold();
  text(rx + 33, ry, 6, QStringLiteral("am"));
  value(rx + 39, ry, 22, c.urteilAm);
  text(rx + 63, ry, 7, QStringLiteral("von"));
  ry += rowH + 1;
  value(rx + 8, ry, width - rx - 8, c.urteilVon);
  for (size_t i = 0; i < 7; ++i) {
    ry += rowH;
    const WoolPosition& p = woolPositions()[i];
    text(rx, ry, 64, QStringLiteral("%1 (%2)").arg(QString::fromUtf16(p.caption)).arg(p.maximum));
    value(rx + 66, ry, width - rx - 66, c.positionen[i]).align(Qt::AlignRight | Qt::AlignTop);
  }
  ry += rowH + 1;
  text(rx, ry, 60, QStringLiteral("Bewertungs-Punkte")).bold();
  value(rx + 66, ry, width - rx - 66, c.bewertung).align(Qt::AlignRight | Qt::AlignTop);

  y = std::max(y, ry) + rowH + 3;
  text(0, y, 40, QStringLiteral("Bewertungsbemerkung"));
  b.add(Element::label(QRectF(38, y, width - 38, 2 * rowH), c.bemerkung).framed().pad(0.8));

  // Ancestors' performance and the totals.
  y += 2 * rowH + 4;
  const double ay = y;
  cell(62, y, 16, QStringLiteral("JWE"), true);
  cell(78, y, 16, QStringLiteral("WRZ"), true);
  y += rowH;
  const std::array<QString, 4> ancestorRows[2] = {
      {QStringLiteral("Elternleistung im Durchschnitt"), c.elternJwe, c.elternWrz, c.punkteEltern},
      {QStringLiteral("Großelternleistung im Durchschnitt"), c.grosselternJwe, c.grosselternWrz, c.punkteGrosseltern}};
  for (const auto& r : ancestorRows) {
    text(0, y, 62, r[0]);
    cell(62, y, 16, r[1]);
    cell(78, y, 16, r[2]);
    text(96, y, 8, r[3]).bold().align(Qt::AlignRight | Qt::AlignTop);
    text(105, y, 6, QStringLiteral("LP"));
    y += rowH;
  }
  double ty = ay;
  const double tx = 122;
  const std::pair<QString, QString> totals[4] = {{QStringLiteral("Leistungs-Punkte"), c.leistungspunkte},
                                                 {QStringLiteral("Preisrichter-Urteil"), c.bewertung},
                                                 {QStringLiteral("Gesamt-Punkte"), c.gesamtPunkte},
                                                 {QStringLiteral("Gesamt-Note"), c.gesamtNote}};
  for (const auto& [caption, v] : totals) {
    text(tx, ty, 32, caption);
    value(tx + 32, ty, width - tx - 32, v).align(Qt::AlignRight | Qt::AlignTop);
    ty += rowH;
  }
  ty += 6;
  b.add(Element::hLine(tx, width, ty, 0.2));
  text(tx, ty + 0.5, width - tx, QStringLiteral("Unterschrift LV-Obmann")).size(7).align(Qt::AlignHCenter | Qt::AlignTop);

  // Pedigree table.
  y = std::max(y, ty + rowH) + 3;
  text(0, y, 30, QStringLiteral("ABSTAMMUNG")).bold();
  text(40, y, 18, QStringLiteral("LLB Vater"));
  value(58, y, 24, c.llbVater);
  text(90, y, 20, QStringLiteral("LLB Mutter"));
  value(110, y, 24, c.llbMutter);
  y += rowH + 2;
  struct Column {
    double w;
    QString head;
  };
  const Column cols[7] = {{6, QString()},
                          {28, QStringLiteral("Täto")},
                          {29, QStringLiteral("Züchter")},
                          {35, QStringLiteral("Prüfstelle")},
                          {10, QStringLiteral("JWE")},
                          {10, QStringLiteral("WRZ")},
                          {0, QStringLiteral("Bewertung")}};
  double x = 0;
  for (const Column& col : cols) {
    const double w = col.w > 0 ? col.w : width - x;
    cell(x, y, w, col.head, true);
    x += w;
  }
  for (size_t i = 0; i < c.ahnen.size(); ++i) {
    y += rowH;
    const CertificateAncestor& r = c.ahnen[i];
    const QString values[7] = {QString::number(i + 2), r.tato, r.zuechter, r.pruefstelle, r.jwe, r.wrz, r.bewertung};
    x = 0;
    for (int k = 0; k < 7; ++k) {
      const double w = cols[k].w > 0 ? cols[k].w : width - x;
      Element& e = cell(x, y, w, values[k]).size(k == 6 ? 7.0 : (k == 3 ? 7.5 : 8.0));
      if (k >= 1 && k <= 3) e.align(Qt::AlignLeft | Qt::AlignVCenter);
      if (k == 0) e.align(Qt::AlignCenter);
      x += w;
    }
  }

  // Page footer: explanations, place and date, signature, imprint.
  pageFooter = Band(23.0);
  pageFooter.add(Element::label(QRectF(0, 0, width, 4),
                                QStringLiteral("Erläuterungen: JWE = Jahreswollertrag     WRZ = Wollwertrichtzahl"))
                     .size(7.5)
                     .singleLine());
  pageFooter.add(Element::label(QRectF(0, 3.6, width, 4),
                                QStringLiteral("1 = Prüfungstier     2-3 = Eltern     4-7 Großeltern     8-15 = Urgroßeltern"))
                     .size(7.5)
                     .singleLine());
  pageFooter.add(Element::label(QRectF(0, 9, 80, rowH), c.ortDatum).singleLine());
  pageFooter.add(Element::hLine(0, 80, 14, 0.2));
  pageFooter.add(Element::label(QRectF(0, 14.3, 80, 4), QStringLiteral("Ort und Datum")).size(7).singleLine());
  pageFooter.add(Element::hLine(110, width, 14, 0.2));
  pageFooter.add(Element::label(QRectF(110, 14.3, width - 110, 4), QStringLiteral("Unterschrift Züchter"))
                     .size(7)
                     .singleLine()
                     .align(Qt::AlignHCenter | Qt::AlignTop));
  pageFooter.add(Element::label(QRectF(0, 19, width, 4), reports::imprintText()).size(7).singleLine());
}

}  // namespace lapiro::breeding
