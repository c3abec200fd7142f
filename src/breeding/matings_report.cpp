#include "breeding/matings_report.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace lapiro::breeding {

using reports::Band;
using reports::Element;
using reports::ReportDataSource;

namespace {

const QColor kHellblau(0xBF, 0xDF, 0xFF);
const QColor kRot(0xFF, 0x9A, 0x9A);

void addStatistik(std::vector<std::pair<QString, QString>>& s, const Wurfstatistik& w, bool mitWuerfen,
                  const QString& wuerfeLabel) {
  if (mitWuerfen) s.emplace_back(wuerfeLabel, QString::number(w.wuerfe));
  s.emplace_back(QStringLiteral("Junge:  Gesamt:"), QStringLiteral("  ") + QString::number(w.junge));
  s.emplace_back(QStringLiteral("Durchschnitt pro Wurf:"), durchschnittText(w.junge, w.wuerfe));
  s.emplace_back(QStringLiteral("Wurfgröße:  maximal:"), QStringLiteral("  ") + QString::number(w.maximal));
  s.emplace_back(QStringLiteral("minimal:"), QStringLiteral("  ") + QString::number(w.minimal));
}

void addGeschlecht(std::vector<std::pair<QString, QString>>& s, const Wurfstatistik& w) {
  s.emplace_back(QStringLiteral("Geschlecht:  Häsin:"), QStringLiteral("  ") + QString::number(w.haesin));
  s.emplace_back(QStringLiteral("Rammler:"), QStringLiteral("  ") + QString::number(w.rammler));
  s.emplace_back(QStringLiteral("gestorben:"), w.gestorben ? QStringLiteral("  ") + QString::number(*w.gestorben) : QStringLiteral("  -"));
  s.emplace_back(QStringLiteral("Jungensterblichkeit:"), sterblichkeitText(w.gestorben, w.junge));
}

Druckzeile jungZeile(const Jungtier& j, double einzug) {
  return {Druckzeile::Stil::Jungtier, (j.rammler() ? QStringLiteral("1/0   ") : QStringLiteral("0/1   ")) + j.text,
          j.rammler(), einzug};
}

}  // namespace

Verpaarungsdruck verpaarungsdruck(engine::Engine& engine, const Verpaarungen& v, const Knotenauswahl& a) {
  Verpaarungsdruck d;
  const QString tato = v.tier.rechts + u' ' + v.tier.links;
  const bool partnerRammler = !v.rammler;
  const Druckzeile tierZeile{Druckzeile::Stil::Tier, v.wurzelText, v.rammler, 10};
  const Partner* p = a.partner >= 0 && a.partner < static_cast<int>(v.partner.size()) ? &v.partner[a.partner] : nullptr;
  const Wurf* w = p && a.wurf >= 0 && a.wurf < static_cast<int>(p->wuerfe.size()) ? &p->wuerfe[a.wurf] : nullptr;
  const Jungtier* j = w && a.jungtier >= 0 && a.jungtier < static_cast<int>(w->jungtiere.size()) ? &w->jungtiere[a.jungtier] : nullptr;
  const QString keine = QStringLiteral("Für dieses Tier sind keine Verpaarungen vorhanden!");

  switch (a.art) {
    case Knotenauswahl::Art::Tier:
      d.titel = QStringLiteral("Verpaarungen von:     ") + v.wurzelText;
      if (v.partner.empty()) {
        d.statistik.emplace_back(keine, QString());
        break;
      }
      for (const Partner& pp : v.partner) {
        d.zeilen.push_back({Druckzeile::Stil::Partner, pp.text, partnerRammler, 30});
        for (const Wurf& ww : pp.wuerfe) {
          d.zeilen.push_back({Druckzeile::Stil::Wurf, QStringLiteral(" ") + datumText(ww.tag), false, 50});
          for (const Jungtier& jj : ww.jungtiere) d.zeilen.push_back(jungZeile(jj, 70));
        }
      }
      d.statistik.emplace_back(QStringLiteral("Wuerfe:"), QString::number(v.statistik.wuerfe));
      for (const QString& line : v.proPartner) d.statistik.emplace_back(QStringLiteral("davon"), line);
      addStatistik(d.statistik, v.statistik, false, {});
      addGeschlecht(d.statistik, v.statistik);
      break;
    case Knotenauswahl::Art::KeineVerpaarungen:
      d.titel = QStringLiteral(" Verpaarungen von:     ") + tato;
      d.statistik.emplace_back(keine, QString());
      break;
    case Knotenauswahl::Art::Partner: {
      if (!p) break;
      const Wurfstatistik s = partnerStatistik(engine, v, *p);
      d.titel = QStringLiteral(" Verpaarungen von: \n     ") + tato + QStringLiteral(" mit ") + QStringLiteral("  ") + p->anzeige;
      d.zeilen.push_back(tierZeile);
      d.zeilen.push_back({Druckzeile::Stil::Partner, p->text, partnerRammler, 10});
      for (const Wurf& ww : p->wuerfe) {
        d.zeilen.push_back({Druckzeile::Stil::Wurf, QStringLiteral(" ") + datumText(ww.tag), false, 30});
        for (const Jungtier& jj : ww.jungtiere) d.zeilen.push_back(jungZeile(jj, 50));
      }
      d.statistik.emplace_back(QStringLiteral("Tier:"), p->anzeige + QStringLiteral("  ") + p->tier.idCode);
      addStatistik(d.statistik, s, true, QStringLiteral("Gemeinsame Würfe:"));
      addGeschlecht(d.statistik, s);
      d.statistik.emplace_back(QStringLiteral("Anomalien / Merkmale:"), p->tier.anomalien);
      break;
    }
    case Knotenauswahl::Art::Wurf: {
      if (!w) break;
      const Wurfstatistik s = wurfStatistik(engine, v, *p, *w);
      d.titel = QStringLiteral(" Verpaarung von: \n     ") + tato + QStringLiteral(" mit ") + QStringLiteral("  ") + p->anzeige +
                QStringLiteral(" vom ") + QStringLiteral("  ") + datumText(w->tag);
      d.zeilen.push_back(tierZeile);
      // The partner line in the frame of an animal line, coloured by the animal's sex.
      d.zeilen.push_back({Druckzeile::Stil::Tier, p->text, partnerRammler, 10});
      d.zeilen.push_back({Druckzeile::Stil::Wurf, QStringLiteral(" ") + datumText(w->tag), false, 10});
      for (const Jungtier& jj : w->jungtiere) d.zeilen.push_back(jungZeile(jj, 30));
      d.statistik.emplace_back(QStringLiteral("Junge:  lebend:"), QStringLiteral("  ") + QString::number(s.junge));
      addGeschlecht(d.statistik, s);
      break;
    }
    case Knotenauswahl::Art::Jungtier: {
      if (!j) break;
      const TierDaten& t = j->tier;
      const TierDaten& vater = v.rammler ? v.tier : p->tier;
      const TierDaten& mutter = v.rammler ? p->tier : v.tier;
      d.titel = QStringLiteral(" Jungtier ") + QStringLiteral("  ") + t.tattoo() + QStringLiteral(" - aus dem Wurf von \n ") +
                vater.rechts + u' ' + vater.links + QStringLiteral(" und ") + mutter.rechts + u' ' + mutter.links +
                QStringLiteral(" vom ") + datumText(w->tag);
      d.zeilen.push_back(tierZeile);
      d.zeilen.push_back({Druckzeile::Stil::Tier, p->text, partnerRammler, 10});
      d.statistik.emplace_back(QStringLiteral("Tier:"), t.tattoo() + QStringLiteral("  ") + t.idCode);
      d.statistik.emplace_back(QStringLiteral("Rasse:"), t.rasse);
      d.statistik.emplace_back(QStringLiteral("Farbe:"), t.farbe);
      d.statistik.emplace_back(QStringLiteral("Körnote:"), t.koernote ? QString::number(t.koernote) : QString());
      d.statistik.emplace_back(QStringLiteral("Bewertung:"), t.bewertung);
      d.statistik.emplace_back(QStringLiteral("Besitzer:"), t.besitzer);
      d.statistik.emplace_back(QStringLiteral("Züchter:"), t.zuechter);
      d.statistik.emplace_back(QStringLiteral("verkauft:"), datumText(t.verkauft));
      d.statistik.emplace_back(QStringLiteral("geschlachtet:"), datumText(t.geschlachtet));
      d.statistik.emplace_back(QStringLiteral("gestorben:"), datumText(t.gestorben));
      d.statistik.emplace_back(QStringLiteral("Anomalien / Merkmale"), t.anomalien);
      break;
    }
  }
  return d;
}

reports::MemoryDataSource TReportVerpaarung::rows(const Verpaarungsdruck& druck) {
  reports::MemoryDataSource data;
  for (const Druckzeile& z : druck.zeilen)
    data.append({{QStringLiteral("Text"), z.text},
                 {QStringLiteral("Stil"), static_cast<int>(z.stil)},
                 {QStringLiteral("Rammler"), z.rammler},
                 {QStringLiteral("Einzug"), z.einzug}});
  return data;
}

TReportVerpaarung::TReportVerpaarung(const Verpaarungsdruck& druck, const reports::ReportFont& font) {
  title = QStringLiteral("Verpaarungen und Würfe");
  defaultFont = font;
  const double width = page.bodyWidth();
  const double unit = width / 700.0;  // report units across the page

  titleBand = Band(16.0);
  titleBand.add(Element::label(QRectF(0, 0, width, 14), druck.titel).bold().italic().size(12).grow().align(
      Qt::AlignHCenter | Qt::AlignTop));

  // One band per line style and indent; each prints only for its rows.
  auto styleOf = [](const ReportDataSource& d, int row) { return d.value(row, QStringLiteral("Stil")).toInt(); };
  auto lineBand = [&](Druckzeile::Stil stil, double einzug, std::optional<bool> rammler) {
    Band b(4.0 * unit + 5.5);
    const QRectF rect(einzug * unit, 0.0, (700.0 - einzug) * unit, 5.5);
    Element e = Element::dataField(rect, QStringLiteral("Text")).grow().pad(0.6);
    switch (stil) {
      case Druckzeile::Stil::Tier:
        e.size(13).bold().framed();
        break;
      case Druckzeile::Stil::Partner:
        e.size(12).framed();
        break;
      case Druckzeile::Stil::Wurf:
        e.size(11).italic();
        break;
      case Druckzeile::Stil::Jungtier:
        break;
    }
    if (rammler) b.add(Element::box(rect, *rammler ? kHellblau : kRot, 0).stretch());
    b.add(e);
    b.printWhen = [stil, einzug, rammler, styleOf](const ReportDataSource& d, int row) {
      return styleOf(d, row) == static_cast<int>(stil) && qFuzzyCompare(d.value(row, QStringLiteral("Einzug")).toDouble() + 1, einzug + 1) &&
             (!rammler || d.value(row, QStringLiteral("Rammler")).toBool() == *rammler);
    };
    return b;
  };
  std::vector<std::tuple<Druckzeile::Stil, double, std::optional<bool>>> kinds;
  for (const Druckzeile& z : druck.zeilen) {
    const bool coloured = z.stil == Druckzeile::Stil::Tier || z.stil == Druckzeile::Stil::Partner;
    const auto kind = std::make_tuple(z.stil, z.einzug, coloured ? std::optional<bool>(z.rammler) : std::nullopt);
    if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
  }
  bool first = true;
  for (const auto& [stil, einzug, rammler] : kinds) {
    Band b = lineBand(stil, einzug, rammler);
    if (first)
      detail = b;
    else
      children.push_back(b);
    first = false;
  }
  keepDetailWithChildren = false;

  // The statistics after the tree.
  summary = Band(8.0 + 5.5 * static_cast<double>(druck.statistik.size()));
  double y = 6.0;
  for (const auto& [label, value] : druck.statistik) {
    if (value.isEmpty() && label.startsWith(QStringLiteral("Für dieses Tier"))) {
      summary.add(Element::label(QRectF(0, y, width, 5.5), label).bold());
    } else {
      summary.add(Element::label(QRectF(0, y, 60, 5.5), label).singleLine());
      summary.add(Element::label(QRectF(62, y, width - 62, 5.5), value).grow());
    }
    y += 5.5;
  }
  pageFooter = reports::standardPageFooter(width, false);
}

}  // namespace lapiro::breeding
