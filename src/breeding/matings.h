// The matings and litters of one animal as its breeding record states them: every partner it
// had young with, every litter with that partner and every recorded young animal, with the
// breeding statistics of the animal, of a partner and of a litter. Read-only; built from the
// parent links of Hasen (a young animal counts when its record names both parents and its
// birthday), the litter book for the dead young, the show rows for the evaluation texts and
// VERKAUFT for the sale, slaughter and death dates.
//
// Partners are grouped by their record number, so two partners whose tattoos read alike stay
// apart. Every value is bound to the statements, never pasted into them.
#pragma once

#include "core/points.h"
#include "engine/engine.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace lapiro::breeding {

inline constexpr int kHilfeVerpaarung = 215;

// Counts behind the statistics pages.
struct Wurfstatistik {
  int wuerfe = 0;
  int junge = 0;
  int maximal = 0;
  int minimal = 0;
  int rammler = 0;
  int haesin = 0;
  std::optional<int> gestorben;  // sum of WurfStTot; none without a litter-book row

  // Adds a finished litter of `n` young to largest and smallest (0 counts as not set).
  void schliesseWurf(int n);
};

// "  " + young/litters with one decimal, or "  0" without litters.
QString durchschnittText(int junge, int wuerfe);
// "  unbekannt" without a figure of dead young, "  0.00 %" for none, otherwise
// "  " + dead × 100 / (dead + young) with two decimals and "%".
QString sterblichkeitText(std::optional<int> gestorben, int junge);
// The per-partner line "  k  Wurf   mit  <Anzeige>" (k = 1) or "  k  Würfe mit  <Anzeige>".
QString partnerZeile(int wuerfe, const QString& anzeige);

// The evaluation text of a list of show rows (newest first): their ratings joined by "/ ",
// rows with total 0 left out. A rating is the young-animal code of a "Jungtierbewertung" row,
// otherwise the show total in general number format (up to 7 significant digits).
struct Bewertungszeile {
  QString titel;
  QString jungtierCode;
  std::optional<core::Points> gesamt;
};
QString bewertungsText(const std::vector<Bewertungszeile>& neuesteZuerst);

// What the tree and the pages show of one animal (the animal, a partner or a young animal).
struct TierDaten {
  qint64 nummer = 0;
  QString rechts, links, idCode, geschlecht;
  QString rasse, farbe, bewertung, zuechter, besitzer, anomalien;
  qint64 koernote = 0;
  QDate verkauft, geschlachtet, gestorben;
  QString tattoo() const { return rechts + QStringLiteral("  ") + links; }
};

struct Jungtier {
  TierDaten tier;
  QString text;  // node text
  bool rammler() const { return tier.geschlecht.trimmed() == u"1"; }
};

struct Wurf {
  QDate tag;
  std::vector<Jungtier> jungtiere;
};

struct Partner {
  TierDaten tier;
  QString anzeige;  // right tattoo, two blanks, left tattoo
  QString text;     // node text
  std::vector<Wurf> wuerfe;
};

struct Verpaarungen {
  bool gefunden = false;
  TierDaten tier;
  bool rammler = true;
  QString tierZeile;  // the animal line of the header
  QString wurzelText;  // the root node's text
  std::vector<Partner> partner;
  Wurfstatistik statistik;
  QStringList proPartner;  // the per-partner lines
};

// Loads the matings of animal `nummer`. `rammlerBisher` is the sex shown before (kept when the
// animal's Geschlecht is neither 1 nor 2). Not found: `gefunden` false. Throws EngineError.
Verpaarungen ladeVerpaarungen(engine::Engine& engine, qint64 nummer, bool rammlerBisher = true);

// Statistics of one partner (page "Partner") and of one litter (page "Wurf"), with the dead
// young of the pair's / the litter's litter-book rows.
Wurfstatistik partnerStatistik(engine::Engine& engine, const Verpaarungen& v, const Partner& p);
Wurfstatistik wurfStatistik(engine::Engine& engine, const Verpaarungen& v, const Partner& p, const Wurf& w);

// A date as the pages show it ("dd.MM.yyyy"), empty for none.
QString datumText(const QDate& d);

}  // namespace lapiro::breeding
