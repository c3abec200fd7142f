#include "card/pedigree_certificate.h"

#include "card/pedigree.h"
#include "engine/cursor.h"
#include "reports/report_layout.h"
#include "store/ancestor_box_text.h"
#include "store/data_module.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace lapiro::card {

using reports::Element;
using reports::ReportFont;

QMarginsF certificateMargins(const shell::tsysteminfo& s) {
  auto mm = [](int tenths) { return std::max(7.0, tenths / 10.0); };
  return QMarginsF(mm(s.Stammbaum.linkerRand), mm(s.Stammbaum.obererRand), mm(s.Stammbaum.rechterRand),
                   mm(s.Stammbaum.untererRand));
}

shell::PedigreeItemOrder certificateItemOrder(const shell::tsysteminfo& s) {
  shell::PedigreeItemOrder order{6, 12, 7, 10, 11};
  int used = 5;
  for (int code : s.DruckReihenfolge) {
    if (code <= 2 || used >= shell::kPedigreeItemCount) continue;
    if (std::find(order.begin(), order.begin() + used, code) != order.begin() + used) continue;
    order[used++] = code;
  }
  return order;
}

QString certificateCaption(int slot) {
  const bool male = slot % 2 == 1;
  switch (pedigreeGeneration(slot)) {
    case 1:
      return male ? QStringLiteral("Vater 1.0") : QStringLiteral("Mutter 0.1");
    case 2:
      return male ? QStringLiteral("Großvater 1.0") : QStringLiteral("Großmutter 0.1");
    case 3:
      return male ? QStringLiteral("Ur-Vater 1.0") : QStringLiteral("Ur-Mutter 0.1");
    default:
      return male ? QStringLiteral("Urur 1.0") : QStringLiteral("Urur 0.1");
  }
}

namespace {

QString lookupText(engine::Cursor* c, const QString& key, qint64 value, const QString& field) {
  if (!c || !c->isOpen() || value == 0) return {};
  try {
    return c->lookup(key, {QVariant(value)}, field).toString().trimmed();
  } catch (const engine::EngineError&) {
    return {};
  }
}

// The representative picture of animal `nummer`: the picture at position Druckbild, or the
// first picture whose file exists. Large pictures are reduced; the page needs no more.
QImage representativePicture(store::TDatenStamm& dm, qint64 nummer, int druckbild) {
  engine::Cursor* shared = dm.cursor(QStringLiteral("Bilder"));
  if (!shared) return {};
  QStringList paths;
  try {
    engine::Cursor pics(dm.Hasen().engine(), QStringLiteral("Druckbilder"));
    pics.setTableName(shared->tableName());
    pics.setReadOnly(true);
    pics.setIndexName(QStringLiteral("IndexKatzeNr"));
    pics.open();
    pics.setRange({QVariant(nummer)}, {QVariant(nummer)});
    for (pics.first(); !pics.eof() && pics.hasRecord(); pics.next())
      paths << pics.field(QStringLiteral("Bildpfad")).asString();
  } catch (const engine::EngineError&) {
    return {};
  }
  QString path;
  if (druckbild >= 1 && druckbild <= paths.size()) path = paths[druckbild - 1];
  if (path.isEmpty() || !QFileInfo::exists(path))
    for (const QString& p : paths)
      if (!p.isEmpty() && QFileInfo::exists(p)) {
        path = p;
        break;
      }
  QImage image;
  if (path.isEmpty() || !image.load(path)) return {};
  if (image.width() > 1600 || image.height() > 1600)
    image = image.scaled(1600, 1600, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image;
}

}  // namespace

PedigreeCertificate readPedigreeCertificate(store::TDatenStamm& dm, const shell::tsysteminfo& settings) {
  PedigreeCertificate c;
  c.colourRepeated = settings.Drucken.TitelRot;
  c.margins = certificateMargins(settings);
  engine::Cursor& h = dm.Hasen();
  if (!h.isOpen() || !(h.hasRecord() || h.isEditing())) return c;
  try {
    auto text = [&](const QString& f) { return h.field(f).asString().trimmed(); };
    auto number = [&](const QString& f) { return h.field(f).asInteger(); };
    const qint64 nummer = number(QStringLiteral("Nummer"));
    c.tatoRechts = text(QStringLiteral("TatoRechts"));
    c.tatoLinks = text(QStringLiteral("TatoLinks"));
    c.wurfgroesse = text(QStringLiteral("Wurfgroesse"));
    c.erbformel = text(QStringLiteral("Erbformel"));
    const QString sex = text(QStringLiteral("Geschlecht"));
    c.geschlecht = sex == u"1" ? QStringLiteral("Rammler 1.0") : sex.isEmpty() ? QString() : QStringLiteral("Häsin 0.1");
    c.rasse = lookupText(dm.cursor(QStringLiteral("StbRasse")), QStringLiteral("Nummer"), number(QStringLiteral("Rasse")),
                         QStringLiteral("Name"));
    c.farbe = lookupText(dm.cursor(QStringLiteral("StbFarbe")), QStringLiteral("Nummer"), number(QStringLiteral("Farbe")),
                         QStringLiteral("Name"));
    engine::Cursor* adr = dm.cursor(QStringLiteral("Adressen"));
    const qint64 breeder = number(QStringLiteral("Zuechter"));
    const QString key = QStringLiteral("LaufendeNr");
    c.zuechter = store::personName(lookupText(adr, key, breeder, QStringLiteral("Name")),
                                   lookupText(adr, key, breeder, QStringLiteral("Vorname")));
    c.strasse = lookupText(adr, key, breeder, QStringLiteral("Straße"));
    c.plz = lookupText(adr, key, breeder, QStringLiteral("PLZ"));
    c.wohnort = lookupText(adr, key, breeder, QStringLiteral("Ort"));
    c.telefon = lookupText(adr, key, breeder, QStringLiteral("Telefon"));

    const qint64 vater = number(QStringLiteral("Vater"));
    const qint64 mutter = number(QStringLiteral("Mutter"));
    const int druckbild = static_cast<int>(number(QStringLiteral("Druckbild")));
    if (nummer > 0) {
      shell::PedigreeItemOrder scoresOnly{10};
      const QStringList own = dm.ancestorBoxText(nummer, scoresOnly);
      if (own.size() > 1) c.bewertungen = own[1].mid(QStringLiteral("Bew: ").size());
      if (settings.Drucken.Bild) c.picture = representativePicture(dm, nummer, druckbild);
    }

    PedigreeBoxes boxes = buildPedigree(dm, vater, mutter, certificateItemOrder(settings), 4);
    for (PedigreeBox& b : boxes) b.group = 0;
    markRepeatedAncestors(boxes);  // only the 30 boxes of the sheet are filled
    static const QRegularExpression number_suffix(QStringLiteral(" \\{\\d+\\}$"));
    for (int s = 1; s <= kCertificateBoxes; ++s) {
      const PedigreeBox& b = boxes[s];
      if (b.lines.isEmpty()) continue;
      CertificateAncestor& a = c.ancestors[s];
      a.tattoos = QString(b.lines.front()).remove(number_suffix).trimmed();
      a.lines = b.lines.mid(1);
      a.group = b.group;
    }
  } catch (const engine::EngineError&) {
    // What was read so far is printed.
  }
  return c;
}

namespace {

const QColor kInk(0x20, 0x20, 0x20);
const QColor kMuted(0x60, 0x60, 0x60);
const QColor kRule(0x9a, 0x9a, 0x9a);
const QColor kCaptionFill(0xEC, 0xEE, 0xF1);

// A light tint of a group colour for a box's background; the full colour marks its frame.
QColor tint(const QColor& c, double share) {
  return QColor::fromRgbF(1.0 - share * (1.0 - c.redF()), 1.0 - share * (1.0 - c.greenF()),
                          1.0 - share * (1.0 - c.blueF()));
}

// The largest size between `maxPt` and `minPt` (half points) at which the bold tattoo lines
// and the wrapped detail lines fit `height` mm; `minPt` when none does.
double fittingSize(const QString& family, const QStringList& tattoos, const QStringList& lines, double width,
                   double height, double maxPt, double minPt) {
  for (double pt = maxPt; pt >= minPt - 0.01; pt -= 0.5) {
    const QFont bold = ReportFont{family, pt, true}.resolve({});
    const QFont plain = ReportFont{family, pt}.resolve({});
    bool wide = false;
    for (const QString& t : tattoos) wide = wide || reports::textWidthMm(bold, t) > width;
    if (wide) continue;
    const double needed = tattoos.size() * reports::lineHeightMm(bold) +
                          reports::wrapTextLines(lines.join(u'\n'), plain, width).size() * reports::lineHeightMm(plain);
    if (needed <= height) return pt;
  }
  return minPt;
}

}  // namespace

reports::Report TReportAbstammungsnachweis(const PedigreeCertificate& c, const ReportFont& font) {
  reports::Report r;
  r.title = QStringLiteral("Abstammungsnachweis");
  r.page.format = reports::PageFormat::A4;
  r.page.orientation = reports::Orientation::Landscape;
  r.page.margins = c.margins;
  const QString family = font.family.isEmpty() ? QStringLiteral("Arial") : font.family;
  r.defaultFont = ReportFont{family, 9.0};

  const double w = r.page.bodyWidth();
  const double h = r.page.bodyRect().height();
  const double footer = 6.0;
  reports::Band& b = r.titleBand;
  b.height = h - footer - 0.5;

  // Heading.
  b.add(Element::label(QRectF(0, 0, w * 0.7, 10), QStringLiteral("Abstammungsnachweis für Rassekaninchen"))
            .size(18)
            .bold()
            .colour(kInk)
            .singleLine());
  b.add(Element::printDate(QRectF(w * 0.7, 3.5, w * 0.3, 5), QStringLiteral("Ausgestellt am "))
            .size(8.5)
            .colour(kMuted)
            .align(Qt::AlignRight | Qt::AlignTop)
            .singleLine());
  b.add(Element::hLine(0, w, 11.5, 0.5));

  // The animal's own data.
  const double ownTop = 14.0;
  const double ownHeight = 42.0;
  b.add(Element::box(QRectF(0, ownTop, w, ownHeight), QColor(), 0.35, reports::ShapeKind::RoundedRectangle));
  const double pictureWidth = c.passport.isNull() ? 46.0 : 38.0;  // narrower beside the passport code
  const QRectF picture(w - pictureWidth - 3.0, ownTop + 3.0, pictureWidth, ownHeight - 6.0);
  b.add(Element::box(picture, QColor(0xF7, 0xF7, 0xF7), 0.2).colour(kRule));
  if (!c.picture.isNull()) b.add(Element::picture(picture.adjusted(0.5, 0.5, -0.5, -0.5), c.picture));

  const double row = 6.0;
  const double valueSize = 10.0;
  auto pair = [&](double x, double y, double labelWidth, double valueWidth, const QString& label, const QString& value,
                  bool strong = false) {
    b.add(Element::label(QRectF(x, y, labelWidth, row), label).size(8.5).colour(kMuted).singleLine());
    b.add(Element::label(QRectF(x + labelWidth, y - 0.4, valueWidth, row), value)
              .size(valueSize)
              .bold(strong)
              .colour(kInk)
              .singleLine());
  };
  const double col1 = 4.0, col2 = 84.0, col3 = 160.0;
  const double top = ownTop + 4.0;
  pair(col1, top + 0 * row, 22, 55, QStringLiteral("Rasse:"), c.rasse, true);
  pair(col1, top + 1 * row, 22, 55, QStringLiteral("Farbe:"), c.farbe);
  pair(col1, top + 2 * row, 22, 55, QStringLiteral("Geschlecht:"), c.geschlecht);
  pair(col1, top + 3 * row, 22, 55, QStringLiteral("Täto rechts:"), c.tatoRechts, true);
  pair(col1, top + 4 * row, 22, 55, QStringLiteral("Täto links:"), c.tatoLinks, true);
  pair(col1, top + 5 * row, 22, 55, QStringLiteral("Wurfgröße:"), c.wurfgroesse);
  pair(col2, top + 0 * row, 18, 56, QStringLiteral("Züchter:"), c.zuechter, true);
  pair(col2, top + 1 * row, 18, 56, QStringLiteral("Straße:"), c.strasse);
  pair(col2, top + 2 * row, 18, 56, QStringLiteral("Plz.:"), c.plz);
  pair(col2, top + 3 * row, 18, 56, QStringLiteral("Wohnort:"), c.wohnort);
  pair(col2, top + 4 * row, 18, 56, QStringLiteral("Tel.:"), c.telefon);
  // The pedigree passport's QR code, 30 mm square, left of the picture.
  const QRectF passport(picture.left() - 33.0, ownTop + 6.0, 30.0, 30.0);
  if (!c.passport.isNull()) b.add(Element::picture(passport, c.passport));
  const double col3Width = (c.passport.isNull() ? picture.left() : passport.left()) - col3 - 4.0;
  b.add(Element::label(QRectF(col3, top, col3Width, row), QStringLiteral("Bewertungen:")).size(8.5).colour(kMuted).singleLine());
  b.add(Element::label(QRectF(col3, top + row - 0.5, col3Width, 2 * row), c.bewertungen).size(9.5).colour(kInk));
  b.add(Element::label(QRectF(col3, top + 3 * row, col3Width, row), QStringLiteral("Erbformel:")).size(8.5).colour(kMuted).singleLine());
  b.add(Element::label(QRectF(col3, top + 4 * row - 0.5, col3Width, 2 * row), c.erbformel).size(9.5).colour(kInk));

  // The ancestors: father's side left, mother's side right; four rows, each above its parents.
  const double sidesTop = ownTop + ownHeight + 2.5;
  const double middleGap = 5.0;
  const double half = (w - middleGap) / 2.0;
  b.add(Element::label(QRectF(0, sidesTop, half, 5.5), QStringLiteral("väterlicherseits"))
            .size(10.5)
            .bold()
            .italic()
            .colour(kInk)
            .align(Qt::AlignHCenter | Qt::AlignTop)
            .singleLine());
  b.add(Element::label(QRectF(half + middleGap, sidesTop, half, 5.5), QStringLiteral("mütterlicherseits"))
            .size(10.5)
            .bold()
            .italic()
            .colour(kInk)
            .align(Qt::AlignHCenter | Qt::AlignTop)
            .singleLine());
  const double rowsTop = sidesTop + 6.5;
  b.add(Element::vLine(w / 2.0, sidesTop, b.height, 0.3).colour(kRule));

  const double rowGap = 2.0;
  const double available = b.height - rowsTop - 3 * rowGap;
  // Generation 1 gets the most room; the shares leave generation 4 enough for six lines.
  const double shares[4] = {0.265, 0.25, 0.24, 0.245};
  const double boxGap = 1.6;
  const double captionHeight[4] = {4.6, 4.2, 3.8, 3.6};
  const double captionSize[4] = {8.0, 7.5, 6.5, 6.0};
  const double maxSize[4] = {11.0, 9.5, 8.0, 7.0};
  const double minSize[4] = {7.0, 6.0, 5.0, 4.5};
  double y = rowsTop;
  for (int g = 1; g <= 4; ++g) {
    const double height = available * shares[g - 1];
    const int perSide = 1 << (g - 1);
    const double boxWidth = (half - (perSide - 1) * boxGap) / perSide;
    for (int i = 0; i < 2 * perSide; ++i) {
      const bool mother = i >= perSide;
      // Slots of generation g run from 2^g − 1; the father's side takes the first half.
      const int s = (1 << g) - 1 + i;
      const double x = (mother ? half + middleGap : 0.0) + (i % perSide) * (boxWidth + boxGap);
      const QRectF box(x, y, boxWidth, height);
      const CertificateAncestor& a = c.ancestors[s];
      const bool marked = c.colourRepeated && a.group > 0;
      const QColor group = pedigreeGroupColour(a.group);
      b.add(Element::box(box, marked ? tint(group, 0.22) : QColor(Qt::white), marked ? 0.6 : 0.3)
                .colour(marked ? group.darker(115) : kInk));
      const QRectF caption(box.left(), box.top(), box.width(), captionHeight[g - 1]);
      b.add(Element::box(caption, marked ? tint(group, 0.55) : kCaptionFill, 0.0));
      b.add(Element::label(caption.adjusted(1.0, 0.35, -1.0, 0), certificateCaption(s))
                .size(captionSize[g - 1])
                .bold()
                .colour(kMuted)
                .singleLine());
      if (a.tattoos.isEmpty()) continue;

      const double pad = g == 4 ? 0.7 : 1.2;
      const QRectF inner = QRectF(box.left() + pad, caption.bottom() + 0.6, box.width() - 2 * pad,
                                  box.bottom() - caption.bottom() - 0.6 - pad);
      // Narrow boxes give each ear its own line.
      QStringList tattoos{a.tattoos};
      if (g >= 3) {
        const int split = a.tattoos.indexOf(QStringLiteral("  "));
        if (split >= 0) tattoos = QStringList{a.tattoos.left(split).trimmed(), a.tattoos.mid(split + 2).trimmed()};
        tattoos.removeAll(QString());
      }
      const double pt = fittingSize(family, tattoos, a.lines, inner.width() - 0.2, inner.height(), maxSize[g - 1],
                                    minSize[g - 1]);
      const QFont bold = ReportFont{family, pt, true}.resolve({});
      const double tattooHeight = tattoos.size() * reports::lineHeightMm(bold);
      b.add(Element::label(QRectF(inner.left(), inner.top(), inner.width(), tattooHeight + 0.01), tattoos.join(u'\n'))
                .size(pt)
                .bold()
                .colour(kInk));
      if (!a.lines.isEmpty())
        b.add(Element::label(QRectF(inner.left(), inner.top() + tattooHeight, inner.width(),
                                    std::max(0.0, inner.height() - tattooHeight)),
                             a.lines.join(u'\n'))
                  .size(pt)
                  .colour(kInk));
    }
    y += height + rowGap;
  }

  // Footer: the imprint under a thin rule.
  r.pageFooter = reports::Band(footer);
  r.pageFooter.add(Element::hLine(0, w, 0.8, 0.2).colour(kRule));
  r.pageFooter.add(
      Element::label(QRectF(0, 1.5, w, 4), reports::imprintText()).size(7).italic().colour(kMuted).singleLine());
  return r;
}

}  // namespace lapiro::card
