#include "shows/entry_form_report.h"

namespace lapiro::shows {

using engine::Money;
using reports::Band;
using reports::Element;

namespace {

QString x(bool on) { return on ? QStringLiteral("X") : QString(); }
QString money(Money m) { return m.toString(); }

struct FeeLine {
  QString caption;  // may hold %1 (count) and %2 (amount per unit)
  QString countField, unitField, totalField;
};

}  // namespace

TReportAusstellungsmeldung::TReportAusstellungsmeldung(const reports::ReportFont& font) {
  title = QStringLiteral("Meldebogen");
  page.format = reports::PageFormat::A4;
  page.orientation = reports::Orientation::Portrait;
  page.margins = QMarginsF(10.0, 10.0, 10.0, 10.0);
  defaultFont = font;
  defaultFont.pointSize = 9.0;
  const double w = page.bodyWidth();  // 190 mm

  auto label = [](double x0, double y, double width, const QString& text) {
    return Element::label(QRectF(x0, y, width, 4.6), text).singleLine();
  };
  auto field = [](double x0, double y, double width, const QString& name) {
    return Element::dataField(QRectF(x0, y, width, 4.6), name).singleLine();
  };
  Band& b = titleBand;
  b = Band(266.0);

  // Header and the organiser's check box.
  b.add(Element::label(QRectF(0, 0, 110, 9), QStringLiteral("Meldebogen")).size(18).bold().singleLine());
  b.add(label(0, 12, 40, QStringLiteral("Vereinsnummer")));
  b.add(field(42, 12, 70, QStringLiteral("Verein")).bold());
  b.add(label(0, 17.5, 40, QStringLiteral("von")));
  b.add(field(42, 17.5, 70, QStringLiteral("Benutzer")).bold());
  b.add(field(42, 22.5, 70, QStringLiteral("Strasse")));
  b.add(field(42, 27.5, 70, QStringLiteral("ortAnzeige")));
  b.add(field(42, 32.5, 70, QStringLiteral("Telefon")).around(QStringLiteral("Tel. ")));
  b.add(label(0, 38, 40, QStringLiteral("Nummer der Anmeldung")));
  b.add(field(42, 38, 70, QStringLiteral("Nummer")).bold());

  const double px = 122.0, pw = w - px;
  b.add(Element::box(QRectF(px, 0, pw, 45), QColor(0xF2, 0xF2, 0xF2), 0.3));
  b.add(label(px + 2, 1.5, 30, QStringLiteral("Prüffeld")).bold());
  b.add(Element::label(QRectF(px + 24, 1.5, pw - 26, 4.6), QStringLiteral("Nur           vom Veranstalter"))
            .size(7.5)
            .singleLine());
  b.add(Element::label(QRectF(px + 24, 5.5, pw - 26, 4.6), QStringLiteral("auszufüllen!")).size(7.5).singleLine());
  const QString checks[5] = {QStringLiteral("Meldebogen geprüft"), QStringLiteral("Meldebogen erfasst"),
                             QStringLiteral("Preisgeld ausgezahlt"), QStringLiteral("Zahlung eingegangen"),
                             QStringLiteral("Konto Nr.: Kosten u. Einlieferung verschickt")};
  for (int i = 0; i < 5; ++i) {
    const double y = 11.5 + i * 6.2;
    b.add(Element::box(QRectF(px + 2, y + 0.6, 3.2, 3.2), QColor(Qt::white), 0.2));
    b.add(Element::label(QRectF(px + 7, y, pw - 9, i == 4 ? 8.0 : 4.6), checks[i]).size(8));
  }

  // The request.
  b.add(Element::calculated(QRectF(0, 47, w, 10),
                            [](const reports::ReportDataSource& d, int r) -> QVariant {
                              return QStringLiteral("Ich möchte folgende Rassekaninchen zu der %1 am %2 anmelden:")
                                  .arg(d.value(r, QStringLiteral("Ausstellung")).toString(),
                                       d.value(r, QStringLiteral("DatumText")).toString());
                            })
            .size(10.5));
  b.add(label(0, 57, w, QStringLiteral("(Auf dieser Anmeldung ist nur eine Rasse verzeichnet.)")).italic().size(8));
  b.add(label(0, 63, 14, QStringLiteral("Rasse:")));
  b.add(field(14, 63, 80, QStringLiteral("RasseName")).bold());
  b.add(label(98, 63, 14, QStringLiteral("Farbe:")));
  b.add(field(112, 63, w - 112, QStringLiteral("FarbeName")).bold());

  // The line grid.
  struct Col {
    QString head;
    double width;
    QString field;
  };
  const Col cols[] = {{QStringLiteral("Num-\nmer"), 12, {}},          {QStringLiteral("1.0"), 13, QStringLiteral("M")},
                      {QStringLiteral("0.1"), 13, QStringLiteral("W")}, {QStringLiteral("Täto re"), 27, QStringLiteral("Rechts")},
                      {QStringLiteral("Täto li"), 31, QStringLiteral("Links")}, {QStringLiteral("Jung-\ntier"), 14, QStringLiteral("Jung")},
                      {QStringLiteral("ZG 1"), 14, QStringLiteral("ZG1_")},  {QStringLiteral("ZG 2"), 14, QStringLiteral("ZG2_")},
                      {QStringLiteral("ZG 3"), 14, QStringLiteral("ZG3_")},  {QStringLiteral("Verkaufs-\npreis"), 24, QStringLiteral("Preis")},
                      {QStringLiteral("EZT"), 14, QStringLiteral("EZT")}};
  const double gridTop = 70.0, headH = 10.0, rowH = 6.2;
  const double gridBottom = gridTop + headH + kEntryLines * rowH;
  b.add(Element::box(QRectF(0, gridTop, w, headH), QColor(0xE4, 0xE8, 0xEE), 0.0));
  b.add(Element::label(QRectF(12, gridTop + 0.3, 26, 4.5), QStringLiteral("Geschlecht"))
            .size(7.5)
            .align(Qt::AlignHCenter | Qt::AlignTop)
            .singleLine());
  double cx = 0.0;
  for (const Col& c : cols) {
    const bool sex = c.field == QLatin1String("M") || c.field == QLatin1String("W");
    b.add(Element::label(QRectF(cx, gridTop + (sex ? 4.8 : 0.8), c.width, sex ? 4.5 : 9.0), c.head)
              .size(7.5)
              .bold(!sex)
              .align(Qt::AlignHCenter | Qt::AlignTop));
    for (int i = 0; i < kEntryLines; ++i) {
      const double y = gridTop + headH + i * rowH + 1.0;
      if (c.field.isEmpty()) {
        b.add(Element::label(QRectF(cx, y, c.width - 2, 4.6), QStringLiteral("%1.").arg(i + 1))
                  .align(Qt::AlignRight | Qt::AlignTop)
                  .singleLine());
      } else {
        const bool right = c.field == QLatin1String("Preis");
        const bool centre = !right && c.field != QLatin1String("Rechts") && c.field != QLatin1String("Links");
        b.add(Element::dataField(QRectF(cx + 1, y, c.width - 2, 4.6), c.field + QString::number(i + 1))
                  .align((right ? Qt::AlignRight : centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop)
                  .singleLine());
      }
    }
    if (cx > 0) b.add(Element::vLine(cx, sex && c.field == QLatin1String("W") ? gridTop + 4.6 : gridTop, gridBottom, 0.2));
    cx += c.width;
  }
  b.add(Element::hLine(12, 38, gridTop + 4.6, 0.2));
  b.add(Element::box(QRectF(0, gridTop, w, gridBottom - gridTop), QColor(), 0.3));
  for (int i = 0; i <= kEntryLines; ++i) b.add(Element::hLine(0, w, gridTop + headH + i * rowH, i == 0 ? 0.3 : 0.15));

  // Collection from the account and the fees.
  double y = gridBottom + 3;
  b.add(label(0, y, w, QStringLiteral("Impfnachweis wird bei der Einlieferung vorgelegt.")));
  y += 5;
  b.add(label(0, y, w, QStringLiteral("Ich möchte Sie bitten, mir die Kosten von meinem Konto einzuziehen.")));
  y += 6;
  b.add(label(0, y, w, QStringLiteral("Von der Bank sind einzuziehen:")).bold());
  y += 5.5;
  const FeeLine fees[] = {
      {QStringLiteral("Unkostenbeitrag pro Tier"), QStringLiteral("Anzahl"), QStringLiteral("UnkostenTier"), QStringLiteral("Unkosten")},
      {QStringLiteral("Futterkosten pro Tier"), QStringLiteral("Anzahl"), QStringLiteral("FutterTier"), QStringLiteral("Futter")},
      {QStringLiteral("Porto und Druckkosten(anteilig)"), {}, {}, QStringLiteral("Porto")},
      {QStringLiteral("Pflichtkatalog"), {}, {}, QStringLiteral("Katalog")},
      {QStringLiteral("Eintrittskarte / Dauerkarte"), {}, {}, QStringLiteral("Karte")},
      {QStringLiteral("Ehrenpreisspende für Altzüchter"), {}, {}, QStringLiteral("SpendeAlt")},
      {QStringLiteral("für Jungzüchter"), {}, {}, QStringLiteral("SpendeJung")},
      {QStringLiteral("Zuchtgruppenzuschlag für %1 Zuchtgruppen a %2"), QStringLiteral("ZGZuschlag"), QStringLiteral("ZGBetrag"), QStringLiteral("ZGZuschlagGesamt")},
      {QStringLiteral("Sonderzahlung ( Züchter ) für %1 Tier(e) a %2"), QStringLiteral("Sonderz"), QStringLiteral("SonderzTier"), QStringLiteral("SonderzTierGesamt")},
      {QStringLiteral("Je 2 Futterbecher bei Bedarf für %1 Tier(e) a %2"), QStringLiteral("Futterbecher"), QStringLiteral("FutterbecherTier"), QStringLiteral("FutterbecherTierGesamt")},
  };
  const double eqX = 140.0, amountX = 146.0, amountW = 30.0;
  for (const FeeLine& f : fees) {
    if (f.caption.contains(QLatin1String("%1"))) {
      const QString caption = f.caption, countField = f.countField, unitField = f.unitField;
      b.add(Element::calculated(QRectF(6, y, 130, 4.6),
                                [caption, countField, unitField](const reports::ReportDataSource& d, int r) -> QVariant {
                                  return caption.arg(d.value(r, countField).toString(), d.value(r, unitField).toString());
                                })
                .singleLine());
    } else if (!f.unitField.isEmpty()) {
      const QString caption = f.caption, countField = f.countField, unitField = f.unitField;
      b.add(Element::calculated(QRectF(6, y, 130, 4.6),
                                [caption, countField, unitField](const reports::ReportDataSource& d, int r) -> QVariant {
                                  return QStringLiteral("%1 %2 × %3 Tier(e)")
                                      .arg(caption, d.value(r, unitField).toString(), d.value(r, countField).toString());
                                })
                .singleLine());
    } else {
      b.add(label(6, y, 130, f.caption));
    }
    b.add(label(eqX, y, 5, QStringLiteral("=")));
    b.add(Element::dataField(QRectF(amountX, y, amountW, 4.6), f.totalField).align(Qt::AlignRight | Qt::AlignTop).singleLine());
    y += 4.8;
  }
  // The free line: "=" and amount only when it has a text.
  b.add(field(6, y, 130, QStringLiteral("Freitext")));
  b.add(field(eqX, y, 5, QStringLiteral("FreitextGleich")));
  b.add(Element::dataField(QRectF(amountX, y, amountW, 4.6), QStringLiteral("FreitextBetragText"))
            .align(Qt::AlignRight | Qt::AlignTop)
            .singleLine());
  y += 5.2;
  b.add(Element::hLine(amountX - 6, amountX + amountW, y - 0.4, 0.3));
  b.add(label(6, y, 100, QStringLiteral("Gesamtbetrag")).bold());
  b.add(label(eqX, y, 5, QStringLiteral("=")).bold());
  b.add(Element::dataField(QRectF(amountX, y, amountW, 4.6), QStringLiteral("Summe"))
            .align(Qt::AlignRight | Qt::AlignTop)
            .bold()
            .singleLine());
  y += 8;

  b.add(Element::calculated(QRectF(0, y, w, 10),
                            [](const reports::ReportDataSource& d, int r) -> QVariant {
                              auto v = [&](const char16_t* f) { return d.value(r, QString::fromUtf16(f)).toString(); };
                              return QStringLiteral("Alle Geldbewegungen, die diese Anmeldung für die Ausstellung betreffen, "
                                                    "sind auf und von dem Konto %1 bei der Bank/Sparkasse %2 in %3 "
                                                    "Bankleitzahl %4 zu tätigen.")
                                  .arg(v(u"Kontonummer"), v(u"Kontoname"), v(u"KontoIn"), v(u"Bankleitzahl"));
                            })
            .size(8.5));
  y += 20;
  const QString signs[4] = {QStringLiteral("Der Kontoinhaber"), QStringLiteral("Der Aussteller"),
                            QStringLiteral("Vereinssiegel"), QStringLiteral("Der Zuchtbuchführer")};
  const double sw = (w - 3 * 6.0) / 4.0;
  for (int i = 0; i < 4; ++i) {
    const double sx = i * (sw + 6.0);
    b.add(Element::hLine(sx, sx + sw, y, 0.2));
    b.add(Element::label(QRectF(sx, y + 0.8, sw, 4.6), signs[i]).size(8).align(Qt::AlignHCenter | Qt::AlignTop).singleLine());
  }

  pageFooter = Band(6.0);
  pageFooter.add(Element::hLine(0.0, w, 0.5, 0.2));
  pageFooter.add(Element::label(QRectF(0.0, 1.2, w, 4.0), reports::imprintText()).size(7).italic().singleLine());
}

reports::MemoryDataSource entryFormReportData(const EntryForm& form, const QString& breedName,
                                              const QString& colourName, const EntryOwnData& own) {
  const EntryHeader& h = form.header;
  QVariantMap m;
  m.insert(QStringLiteral("Verein"), h.verein);
  m.insert(QStringLiteral("Nummer"), h.nummer);
  m.insert(QStringLiteral("Ausstellung"), h.ausstellung);
  m.insert(QStringLiteral("DatumText"), h.datumText);
  m.insert(QStringLiteral("RasseName"), breedName);
  m.insert(QStringLiteral("FarbeName"), colourName);
  m.insert(QStringLiteral("Benutzer"), own.benutzer);
  m.insert(QStringLiteral("Strasse"), own.strasse);
  m.insert(QStringLiteral("ortAnzeige"), own.ortAnzeige);
  m.insert(QStringLiteral("Telefon"), own.telefon);
  m.insert(QStringLiteral("Kontonummer"), own.kontonummer);
  m.insert(QStringLiteral("Kontoname"), own.kontoname);
  m.insert(QStringLiteral("KontoIn"), own.kontoIn);
  m.insert(QStringLiteral("Bankleitzahl"), own.bankleitzahl);
  for (int i = 0; i < kEntryLines; ++i) {
    const EntryLine& l = form.lines[i];
    const QString n = QString::number(i + 1);
    m.insert(QStringLiteral("M") + n, x(l.geschlecht == QLatin1String("M")));
    m.insert(QStringLiteral("W") + n, x(l.geschlecht == QLatin1String("W")));
    m.insert(QStringLiteral("Rechts") + n, l.taetoRechts);
    m.insert(QStringLiteral("Links") + n, l.taetoLinks);
    m.insert(QStringLiteral("Jung") + n, x(l.jungtier));
    m.insert(QStringLiteral("ZG1_") + n, x(l.zg1));
    m.insert(QStringLiteral("ZG2_") + n, x(l.zg2));
    m.insert(QStringLiteral("ZG3_") + n, x(l.zg3));
    m.insert(QStringLiteral("EZT") + n, x(l.ezt));
    m.insert(QStringLiteral("Preis") + n, l.verkaufspreis ? money(*l.verkaufspreis) : QString());
  }
  m.insert(QStringLiteral("Anzahl"), form.animalCount());
  m.insert(QStringLiteral("UnkostenTier"), money(h.unkostenTier));
  m.insert(QStringLiteral("FutterTier"), money(h.futterTier));
  m.insert(QStringLiteral("Unkosten"), money(h.unkosten));
  m.insert(QStringLiteral("Futter"), money(h.futter));
  m.insert(QStringLiteral("Porto"), money(h.porto));
  m.insert(QStringLiteral("Katalog"), money(h.katalog));
  m.insert(QStringLiteral("Karte"), money(h.karte));
  m.insert(QStringLiteral("SpendeAlt"), money(h.spendeAlt));
  m.insert(QStringLiteral("SpendeJung"), money(h.spendeJung));
  m.insert(QStringLiteral("ZGZuschlag"), h.zgZuschlag);
  m.insert(QStringLiteral("ZGBetrag"), money(h.zgBetrag));
  m.insert(QStringLiteral("ZGZuschlagGesamt"), money(form.zgGesamt()));
  m.insert(QStringLiteral("Sonderz"), h.sonderz);
  m.insert(QStringLiteral("SonderzTier"), money(h.sonderzTier));
  m.insert(QStringLiteral("SonderzTierGesamt"), money(form.sonderzGesamt()));
  m.insert(QStringLiteral("Futterbecher"), h.futterbecher);
  m.insert(QStringLiteral("FutterbecherTier"), money(h.futterbecherTier));
  m.insert(QStringLiteral("FutterbecherTierGesamt"), money(form.futterbecherGesamt()));
  const bool free = !h.freitext.trimmed().isEmpty();
  m.insert(QStringLiteral("Freitext"), h.freitext);
  m.insert(QStringLiteral("FreitextGleich"), free ? QStringLiteral("=") : QString());
  m.insert(QStringLiteral("FreitextBetragText"), free ? money(h.freitextBetrag) : QString());
  m.insert(QStringLiteral("Summe"), money(form.summe()));
  return reports::MemoryDataSource({m});
}

}  // namespace lapiro::shows
