#include "breeding/matings.h"

#include "engine/cursor.h"
#include "engine/query.h"
#include "shows/show_score.h"

#include <QHash>
#include <QLocale>

namespace lapiro::breeding {

namespace {

const QString kSep = QStringLiteral(",  ");

// Names and dates looked up while the tree is built, each read once.
class Nachschlagen {
 public:
  explicit Nachschlagen(engine::Engine& engine)
      : adressen_(engine), verkauft_(engine), schau_(engine) {
    readNames(engine, QStringLiteral("Rasse.db"), rassen_);
    readNames(engine, QStringLiteral("Farbe.db"), farben_);
    adressen_.setTableName(QStringLiteral("Adresse.db"));
    adressen_.setReadOnly(true);
    adressen_.open();
    verkauft_.setTableName(QStringLiteral("VERKAUFT.db"));
    verkauft_.setReadOnly(true);
    verkauft_.open();
    verkauft_.setIndexFieldNames(QStringLiteral("Katze"));
    schau_.setTableName(QStringLiteral("Ausstellung.db"));
    schau_.setReadOnly(true);
    schau_.open();
    schau_.setIndexFieldNames(QStringLiteral("Hase;Datum"));
  }

  QString rasse(const QVariant& k) { return rassen_.value(k.toLongLong()); }
  QString farbe(const QVariant& k) { return farben_.value(k.toLongLong()); }

  // "Vorname Name", or the name alone without a first name; empty when not found.
  QString adresse(const QVariant& k) {
    const qint64 nr = k.toLongLong();
    if (nr <= 0) return {};
    auto it = adressCache_.constFind(nr);
    if (it != adressCache_.constEnd()) return *it;
    QString text;
    if (adressen_.locate(QStringLiteral("LaufendeNr"), {nr})) {
      const QString name = adressen_.field(QStringLiteral("Name")).asString().trimmed();
      const QString vorname = adressen_.field(QStringLiteral("Vorname")).asString().trimmed();
      text = vorname.isEmpty() ? name : vorname + u' ' + name;
    }
    adressCache_.insert(nr, text);
    return text;
  }

  void handel(TierDaten& t) {
    if (t.nummer <= 0 || !verkauft_.findKey({t.nummer})) return;
    t.verkauft = verkauft_.field(QStringLiteral("Verkauftam")).asDate();
    t.geschlachtet = verkauft_.field(QStringLiteral("Geschlachtetam")).asDate();
    if (const auto f = verkauft_.findField(QStringLiteral("Gestorbenam"))) t.gestorben = f->asDate();
  }

  // Reads the show rows and trade dates of every young animal and every partner of animal
  // `tier` with two statements each, instead of one look-up per animal.
  void vorladen(engine::Engine& engine, qint64 tier, const QString& own, const QString& other) {
    for (const QString& who : {QStringLiteral("a.Nummer"), QStringLiteral("a.") + other}) {
      engine::Query s(engine);
      s.setSql(QStringList{QStringLiteral("SELECT s.Hase,s.Datum,s.Titel,s.Gewicht1,s.Koerper2,s.Fell3,s.Kopf4,s.Farbe5,"
                                          "s.Unterfarbe6,s.Pflege7,s.EigeneBewertung,s.BewertJungtier,s.Nummer"),
                           QStringLiteral("FROM \"Ausstellung.db\" s,\"Hasen.db\" a"),
                           QStringLiteral("WHERE (a.%1=:Tier)and(a.%2 > 0)and(s.Hase=%3)").arg(own, other, who),
                           QStringLiteral("ORDER BY s.Hase,s.Datum DESC,s.Nummer DESC")});
      s.setParam(QStringLiteral("Tier"), tier);
      s.open();
      qint64 lastRow = -1;
      for (s.first(); s.hasRecord(); s.next()) {
        const qint64 row = s.field(QStringLiteral("Nummer")).asInteger();
        const qint64 hase = s.field(QStringLiteral("Hase")).asInteger();
        if (row != lastRow) {  // a partner's rows come once per young animal
          auto& list = schauZeilen_[hase];
          if (list.empty() || list.back().first != row) {
            const shows::ShowPoints p = shows::showPointsOf(s);
            list.emplace_back(row, Bewertungszeile{p.titel, p.bewertJungtier, shows::showTotal(p)});
          }
        }
        lastRow = row;
        if (s.eof()) break;
      }
      engine::Query v(engine);
      v.setSql(QStringList{QStringLiteral("SELECT v.Katze,v.Verkauftam,v.Geschlachtetam,v.Gestorbenam"),
                           QStringLiteral("FROM \"VERKAUFT.db\" v,\"Hasen.db\" a"),
                           QStringLiteral("WHERE (a.%1=:Tier)and(a.%2 > 0)and(v.Katze=%3)").arg(own, other, who)});
      v.setParam(QStringLiteral("Tier"), tier);
      v.open();
      const qint64 n = v.recordCount();
      if (n > 0)
        for (const auto& r : v.readRows(0, static_cast<int>(n)))
          if (!handelCache_.contains(r[0].toLongLong()))
            handelCache_.insert(r[0].toLongLong(), {r[1].toDate(), r[2].toDate(), r[3].toDate()});
    }
    vorgeladen_ = true;
  }

  // For an animal covered by vorladen(): its show rows and trade dates from memory.
  void handelVorgeladen(TierDaten& t) {
    if (!vorgeladen_) return handel(t);
    const auto it = handelCache_.constFind(t.nummer);
    if (it == handelCache_.constEnd()) return;
    t.verkauft = it->verkauft;
    t.geschlachtet = it->geschlachtet;
    t.gestorben = it->gestorben;
  }
  QString bewertungVorgeladen(qint64 hase) {
    if (!vorgeladen_) return bewertung(hase);
    std::vector<Bewertungszeile> zeilen;
    for (const auto& [row, z] : schauZeilen_.value(hase)) zeilen.push_back(z);
    return bewertungsText(zeilen);
  }

  QString bewertung(qint64 hase) {
    std::vector<Bewertungszeile> zeilen;
    schau_.setRange({hase}, {hase});
    for (schau_.last(); schau_.hasRecord(); schau_.prior()) {
      const shows::ShowPoints p = shows::showPointsOf(schau_);
      zeilen.push_back({p.titel, p.bewertJungtier, shows::showTotal(p)});
      if (schau_.bof()) break;
    }
    return bewertungsText(zeilen);
  }

 private:
  static void readNames(engine::Engine& engine, const QString& table, QHash<qint64, QString>& out) {
    engine::Cursor c(engine);
    c.setTableName(table);
    c.setReadOnly(true);
    c.open();
    const qint64 n = c.recordCount();
    if (n <= 0) return;
    const int iNr = c.fieldIndex(QStringLiteral("Nummer")), iName = c.fieldIndex(QStringLiteral("Name"));
    for (const auto& r : c.readRows(0, static_cast<int>(n))) out.insert(r[iNr].toLongLong(), r[iName].toString().trimmed());
  }

  struct Handel {
    QDate verkauft, geschlachtet, gestorben;
  };
  QHash<qint64, QString> rassen_, farben_, adressCache_;
  QHash<qint64, std::vector<std::pair<qint64, Bewertungszeile>>> schauZeilen_;
  QHash<qint64, Handel> handelCache_;
  bool vorgeladen_ = false;
  engine::Cursor adressen_, verkauft_, schau_;
};

// The parts common to every node text after the name and breed.
QString details(const TierDaten& t, bool withColourSep, const QString& colourSep) {
  QString s;
  if (withColourSep && !t.farbe.isEmpty()) s += colourSep + t.farbe;
  if (t.koernote != 0) s += kSep + QStringLiteral("Körnote: ") + QString::number(t.koernote);
  if (!t.bewertung.isEmpty()) s += kSep + QStringLiteral("Bew.: ") + t.bewertung;
  if (!t.zuechter.isEmpty()) s += kSep + QStringLiteral("Z: ") + t.zuechter;
  if (!t.besitzer.isEmpty()) s += kSep + QStringLiteral("B: ") + t.besitzer;
  if (t.verkauft.isValid()) s += kSep + QStringLiteral("verk. am: ") + datumText(t.verkauft);
  if (t.geschlachtet.isValid()) s += kSep + QStringLiteral("geschl. am: ") + datumText(t.geschlachtet);
  if (t.gestorben.isValid()) s += kSep + QStringLiteral("gest. am: ") + datumText(t.gestorben);
  return s;
}

// Sum of WurfStTot over the litter-book rows matching `where`; none without a row.
std::optional<int> totImWurfbuch(engine::Engine& engine, const QString& where, const QVariantMap& params) {
  engine::Query q(engine);
  q.setSql(QStringList{QStringLiteral("SELECT WurfStTot FROM \"Wurfbuch.DB\""), QStringLiteral("WHERE ") + where});
  for (auto it = params.cbegin(); it != params.cend(); ++it) q.setParam(it.key(), it.value());
  q.open();
  const qint64 n = q.recordCount();
  if (n <= 0) return std::nullopt;
  int sum = 0;
  for (const auto& r : q.readRows(0, static_cast<int>(n))) sum += r[0].toInt();
  return sum;
}

}  // namespace

void Wurfstatistik::schliesseWurf(int n) {
  if (n > maximal) maximal = n;
  if (minimal == 0 || n < minimal) minimal = n;
}

QString datumText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

QString durchschnittText(int junge, int wuerfe) {
  if (wuerfe <= 0) return QStringLiteral("  0");
  return QStringLiteral("  ") + QLocale(QLocale::German).toString(static_cast<double>(junge) / wuerfe, 'f', 1);
}

QString sterblichkeitText(std::optional<int> gestorben, int junge) {
  if (!gestorben) return QStringLiteral("  unbekannt");
  if (*gestorben == 0) return QStringLiteral("  0.00 %");
  const double rate = *gestorben * 100.0 / (*gestorben + junge);
  return QStringLiteral("  ") + QLocale(QLocale::German).toString(rate, 'f', 2) + u'%';
}

QString partnerZeile(int wuerfe, const QString& anzeige) {
  return QStringLiteral("  ") + QString::number(wuerfe) +
         (wuerfe == 1 ? QStringLiteral("  Wurf   mit  ") : QStringLiteral("  Würfe mit  ")) + anzeige;
}

QString bewertungsText(const std::vector<Bewertungszeile>& zeilen) {
  QStringList parts;
  for (const Bewertungszeile& z : zeilen) {
    if (shows::isYoungAnimalTitle(z.titel)) {
      if (!z.jungtierCode.trimmed().isEmpty()) parts << z.jungtierCode.trimmed();
      continue;
    }
    if (!z.gesamt || z.gesamt->isZero()) continue;
    parts << shows::formatPoints(*z.gesamt);
  }
  return parts.join(QStringLiteral("/ "));
}

Verpaarungen ladeVerpaarungen(engine::Engine& engine, qint64 nummer, bool rammlerBisher) {
  Verpaarungen v;
  v.rammler = rammlerBisher;
  engine::Cursor h(engine);
  h.setTableName(QStringLiteral("Hasen.db"));
  h.setReadOnly(true);
  h.open();
  if (!h.locate(QStringLiteral("Nummer"), {nummer})) return v;
  v.gefunden = true;
  Nachschlagen n(engine);
  TierDaten& t = v.tier;
  t.nummer = nummer;
  t.rechts = h.field(QStringLiteral("TatoRechts")).asString();
  t.links = h.field(QStringLiteral("TatoLinks")).asString();
  t.idCode = h.field(QStringLiteral("IDCode")).asString();
  t.geschlecht = h.field(QStringLiteral("Geschlecht")).asString().trimmed();
  t.rasse = n.rasse(h.field(QStringLiteral("Rasse")).value());
  t.farbe = n.farbe(h.field(QStringLiteral("Farbe")).value());
  t.koernote = h.field(QStringLiteral("Körnote")).asInteger();
  t.zuechter = n.adresse(h.field(QStringLiteral("Zuechter")).value());
  t.besitzer = n.adresse(h.field(QStringLiteral("Besitzer")).value());
  t.anomalien = h.field(QStringLiteral("Anomalien")).asString();
  t.bewertung = n.bewertung(nummer);
  n.handel(t);
  if (t.geschlecht == u"1") v.rammler = true;
  if (t.geschlecht == u"2") v.rammler = false;
  v.tierZeile = t.tattoo() + kSep + t.rasse + (t.farbe.isEmpty() ? QString() : kSep + t.farbe);
  v.wurzelText = v.tierZeile + details(t, false, {});

  // One row per recorded young animal with the other parent; the number is bound.
  const QString own = v.rammler ? QStringLiteral("Vater") : QStringLiteral("Mutter");
  const QString other = v.rammler ? QStringLiteral("Mutter") : QStringLiteral("Vater");
  engine::Query q(engine);
  q.setSql(QStringList{
      QStringLiteral("SELECT b.TatoRechts,b.TatoLinks,b.Nummer,a.Geburtstag,a.TatoRechts,a.TatoLinks,a.Geschlecht,"
                     "a.Nummer,a.Farbe,a.Rasse,a.Körnote,a.Besitzer,a.Zuechter,a.IDCode,a.Anomalien,"
                     "b.Farbe,b.Rasse,b.Körnote,b.Besitzer,b.Zuechter,b.IDCode,b.Anomalien,b.Geschlecht"),
      QStringLiteral("FROM \"Hasen.db\" a,\"Hasen.db\" b"),
      QStringLiteral("WHERE (a.%1=:Tier)and").arg(own),
      QStringLiteral("      (a.%1=b.Nummer)").arg(other),
      QStringLiteral("ORDER BY b.TatoRechts,b.TatoLinks,b.Nummer,a.Geburtstag DESC,a.TatoRechts,a.TatoLinks")});
  q.setParam(QStringLiteral("Tier"), nummer);
  q.open();
  n.vorladen(engine, nummer, own, other);
  const qint64 count = q.recordCount();
  const std::vector<engine::DataSet::Row> rows =
      count > 0 ? q.readRows(0, static_cast<int>(count)) : std::vector<engine::DataSet::Row>{};

  Wurfstatistik& s = v.statistik;
  int imWurf = 0;
  for (const auto& r : rows) {
    const qint64 partnerNr = r[2].toLongLong();
    const QDate tag = r[3].toDate();
    if (v.partner.empty() || v.partner.back().tier.nummer != partnerNr) {
      if (!v.partner.empty()) {
        v.proPartner << partnerZeile(static_cast<int>(v.partner.back().wuerfe.size()), v.partner.back().anzeige);
        s.schliesseWurf(imWurf);
        imWurf = 0;
      }
      Partner p;
      TierDaten& pt = p.tier;
      pt.nummer = partnerNr;
      pt.rechts = r[0].toString();
      pt.links = r[1].toString();
      pt.farbe = n.farbe(r[15]);
      pt.rasse = n.rasse(r[16]);
      pt.koernote = r[17].toLongLong();
      pt.besitzer = n.adresse(r[18]);
      pt.zuechter = n.adresse(r[19]);
      pt.idCode = r[20].toString();
      pt.anomalien = r[21].toString();
      pt.geschlecht = r[22].toString().trimmed();
      pt.bewertung = n.bewertungVorgeladen(partnerNr);
      n.handelVorgeladen(pt);
      p.anzeige = pt.tattoo();
      p.text = p.anzeige + kSep + pt.rasse + details(pt, true, kSep);
      v.partner.push_back(std::move(p));
    }
    Partner& p = v.partner.back();
    if (p.wuerfe.empty() || p.wuerfe.back().tag != tag) {
      if (!p.wuerfe.empty()) s.schliesseWurf(imWurf);
      imWurf = 0;
      p.wuerfe.push_back(Wurf{tag, {}});
      ++s.wuerfe;
    }
    Jungtier j;
    TierDaten& jt = j.tier;
    jt.nummer = r[7].toLongLong();
    jt.rechts = r[4].toString();
    jt.links = r[5].toString();
    jt.geschlecht = r[6].toString().trimmed();
    jt.farbe = n.farbe(r[8]);
    jt.rasse = n.rasse(r[9]);
    jt.koernote = r[10].toLongLong();
    jt.besitzer = n.adresse(r[11]);
    jt.zuechter = n.adresse(r[12]);
    jt.idCode = r[13].toString();
    jt.anomalien = r[14].toString();
    jt.bewertung = n.bewertungVorgeladen(jt.nummer);
    n.handelVorgeladen(jt);
    j.text = jt.tattoo() + kSep + jt.rasse + details(jt, true, QStringLiteral(", "));
    ++imWurf;
    ++s.junge;
    if (j.rammler())
      ++s.rammler;
    else
      ++s.haesin;
    p.wuerfe.back().jungtiere.push_back(std::move(j));
  }
  if (!v.partner.empty()) {
    v.proPartner << partnerZeile(static_cast<int>(v.partner.back().wuerfe.size()), v.partner.back().anzeige);
    s.schliesseWurf(imWurf);
  }
  s.gestorben = totImWurfbuch(engine, v.rammler ? QStringLiteral("Kater = :Tier") : QStringLiteral("Katze = :Tier"),
                              {{QStringLiteral("Tier"), nummer}});
  return v;
}

Wurfstatistik partnerStatistik(engine::Engine& engine, const Verpaarungen& v, const Partner& p) {
  Wurfstatistik s;
  for (const Wurf& w : p.wuerfe) {
    ++s.wuerfe;
    s.junge += static_cast<int>(w.jungtiere.size());
    for (const Jungtier& j : w.jungtiere) (j.rammler() ? s.rammler : s.haesin)++;
    s.schliesseWurf(static_cast<int>(w.jungtiere.size()));
  }
  const qint64 katze = v.rammler ? p.tier.nummer : v.tier.nummer;
  const qint64 kater = v.rammler ? v.tier.nummer : p.tier.nummer;
  s.gestorben = totImWurfbuch(engine, QStringLiteral("(Katze = :Katze) AND (Kater = :Kater)"),
                              {{QStringLiteral("Katze"), katze}, {QStringLiteral("Kater"), kater}});
  return s;
}

Wurfstatistik wurfStatistik(engine::Engine& engine, const Verpaarungen& v, const Partner& p, const Wurf& w) {
  Wurfstatistik s;
  s.wuerfe = 1;
  s.junge = static_cast<int>(w.jungtiere.size());
  for (const Jungtier& j : w.jungtiere) (j.rammler() ? s.rammler : s.haesin)++;
  s.schliesseWurf(s.junge);
  const qint64 katze = v.rammler ? p.tier.nummer : v.tier.nummer;
  const qint64 kater = v.rammler ? v.tier.nummer : p.tier.nummer;
  s.gestorben = totImWurfbuch(engine, QStringLiteral("(Katze = :Katze) AND (Kater = :Kater) AND (Wurftag = :Tag)"),
                              {{QStringLiteral("Katze"), katze}, {QStringLiteral("Kater"), kater}, {QStringLiteral("Tag"), w.tag}});
  return s;
}

}  // namespace lapiro::breeding
