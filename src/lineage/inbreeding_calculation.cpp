#include "lineage/inbreeding_calculation.h"

#include "engine/cursor.h"
#include "engine/sqlite_util.h"
#include "lineage/genetic_formula.h"
#include "shell/number_format.h"
#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QHash>

#include <sqlite3.h>

#include <functional>
#include <new>

namespace lapiro::lineage {

using engine::Cursor;
using engine::EngineError;
using engine::OpenMode;
using engine::Statement;
using shell::formatSignificant;
using store::dialogs;
using store::messageText;

namespace {

QString blank(int message) { return messageText(message) + u' '; }

QStringList splitMemo(const QString& text) {
  if (text.isEmpty()) return {};
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return t.split(u'\n');
}

QString joinMemo(const QStringList& lines) { return lines.join(u'\n'); }

void createFromCatalogue(engine::Engine& engine, const QString& name) {
  const store::CatalogueTable* t = store::findTable(name);
  if (!t) throw EngineError(EngineError::Kind::General, name);
  engine.createTable(t->fileName, store::currentLayout(*t));
}

}  // namespace

struct InbreedingCalculation::Zeile {
  qint64 nummer = 0;
  QString tatoRechts;
  QString tatoLinks;
  qint64 vater = 0;
  qint64 mutter = 0;
  QString erbformel;
  qint64 zuechter = 0;
  QString anomalien;
  QString text() const { return tatoRechts + QStringLiteral("  ") + tatoLinks; }
};

InbreedingCalculation::InbreedingCalculation(engine::Engine& engine) : engine_(engine), stock_(engine) {}
InbreedingCalculation::~InbreedingCalculation() = default;

std::optional<InbreedingCalculation::Zeile> InbreedingCalculation::lies(qint64 nummer) {
  if (nummer == 0) return std::nullopt;
  auto table = engine_.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  Statement& st = table->statements().get(
      QStringLiteral("SELECT TatoRechts, TatoLinks, Vater, Mutter, Erbformel, Zuechter, Anomalien FROM ") +
      table->sqlName() + QStringLiteral(" WHERE Nummer = ?"));
  st.bind(1, nummer);
  std::optional<Zeile> z;
  if (st.step()) {
    sqlite3_stmt* h = st.handle();
    Zeile r;
    r.nummer = nummer;
    r.tatoRechts = st.column(0).toString();
    r.tatoLinks = st.column(1).toString();
    r.vater = sqlite3_column_int64(h, 2);
    r.mutter = sqlite3_column_int64(h, 3);
    r.erbformel = st.column(4).toString();
    r.zuechter = sqlite3_column_int64(h, 5);
    r.anomalien = st.column(6).toString();
    z = r;
  }
  st.reset();
  return z;
}

QString InbreedingCalculation::zuechterText(qint64 adresse) {
  if (adresse <= 0 || !engine_.tableExists(QStringLiteral("Adresse"))) return {};
  try {
    auto table = engine_.acquire(QStringLiteral("Adresse"), OpenMode::Shared);
    Statement& st = table->statements().get(QStringLiteral("SELECT Vorname, Name FROM ") + table->sqlName() +
                                            QStringLiteral(" WHERE LaufendeNr = ?"));
    st.bind(1, adresse);
    QString text;
    if (st.step()) {
      const QString vorname = st.column(0).toString();
      const QString name = st.column(1).toString();
      text = vorname.isEmpty() ? name : vorname + u' ' + name;
    }
    st.reset();
    return text;
  } catch (const EngineError&) {
    return {};
  }
}

std::optional<InzuchtTier> InbreedingCalculation::tier(qint64 nummer) {
  const auto z = lies(nummer);
  if (!z) return std::nullopt;
  return InzuchtTier{z->nummer, z->text(), z->erbformel};
}

std::pair<qint64, qint64> InbreedingCalculation::eltern(qint64 nummer) {
  const auto z = lies(nummer);
  return z ? std::pair{z->vater, z->mutter} : std::pair<qint64, qint64>{0, 0};
}

bool InbreedingCalculation::waehleKaninchen(qint64 nummer, InzuchtEingabe& ein) {
  const auto z = lies(nummer);
  if (!z) return false;
  ein.kaninchen = {z->nummer, z->text(), z->erbformel};
  ein.vater = {};
  ein.mutter = {};
  if (auto v = lies(z->vater)) ein.vater = {v->nummer, v->text(), v->erbformel};
  if (auto m = lies(z->mutter)) ein.mutter = {m->nummer, m->text(), m->erbformel};
  if (ein.kaninchen.erbformel.isEmpty() && !ein.vater.erbformel.isEmpty() && !ein.mutter.erbformel.isEmpty()) {
    const auto derived = deriveOffspringFormula(ein.vater.erbformel, ein.mutter.erbformel);
    if (!derived) {
      dialogs().warn(messageText(108));
    } else {
      Cursor hasen(engine_, QStringLiteral("InzuchtHasen"));
      hasen.setTableName(QStringLiteral("Hasen.DB"));
      hasen.open();
      if (hasen.findKey({nummer})) {
        hasen.edit();
        hasen.field(QStringLiteral("Erbformel")).setString(*derived);
        hasen.post();
        ein.kaninchen.erbformel = *derived;
      }
    }
  }
  return true;
}

QString koeffizientText(double f, bool mitPfad) {
  if (!mitPfad) return QStringLiteral(" 0%");
  return u' ' + formatSignificant(f, 4, 5) + QStringLiteral(" = ") + formatSignificant(f * 100.0, 4, 2) +
         QStringLiteral(" %");
}

QStringList InbreedingCalculation::alleGenerationen(const InzuchtEingabe& ein) {
  try {
    stock_.refresh();
  } catch (const EngineError&) {
    return {};
  }
  const QString loops = stock_.takeLoopReport();
  if (!loops.isEmpty()) dialogs().warn(loops);
  double f = 0, generationen = 0;
  if (ein.art == Berechnungsart::Kaninchen && ein.kaninchen.nummer != 0) {
    f = stock_.inbreedingOf(ein.kaninchen.nummer);
    generationen = stock_.generationsOf(ein.kaninchen.nummer);
  } else {
    f = stock_.matingInbreeding(ein.vater.nummer, ein.mutter.nummer);
    const Pedigree& ped = stock_.pedigree();
    for (qint64 p : {ein.vater.nummer, ein.mutter.nummer})
      if (const std::int32_t i = ped.indexOf(p)) generationen += 0.5 * (1.0 + stock_.generations()[i]);
  }
  return {QStringLiteral("Inzuchtkoeffizient über alle bekannten Generationen: ") + shell::formatFixed(f * 100.0, 2) +
              QStringLiteral(" %"),
          QStringLiteral("Vollständige Generationen (Äquivalent): ") + shell::formatFixed(generationen, 2)};
}

bool InbreedingCalculation::berechne(const InzuchtEingabe& ein, InzuchtAusgabe& aus, bool still) {
  if (ein.kaninchen.nummer == 0 && (ein.vater.nummer == 0 || ein.mutter.nummer == 0)) {
    dialogs().inform(messageText(83));
    return false;
  }
  aus = InzuchtAusgabe{};
  // Keep the tables looked up in open for the whole run (one connection, cached statements).
  const auto holdHasen = engine_.acquire(QStringLiteral("Hasen"), OpenMode::Shared);
  std::shared_ptr<engine::Table> holdAdresse;
  if (engine_.tableExists(QStringLiteral("Adresse"))) {
    try {
      holdAdresse = engine_.acquire(QStringLiteral("Adresse"), OpenMode::Shared);
    } catch (const EngineError&) {
    }
  }
  const int g = ein.generation;
  std::unique_ptr<TBinaerbaum> baum;
  try {
    baum = std::make_unique<TBinaerbaum>(g);
  } catch (const std::bad_alloc&) {
    dialogs().error(QStringLiteral("Speicher reicht nicht aus !\nBerechnung nicht möglich"));
    aus.stammbaumkomplett = messageText(36);
    aus.info << blank(37) + QString::number(0) << messageText(38);
    return false;
  }
  TBinaerbaum& t = *baum;
  t[0].nummer = ein.kaninchen.nummer;
  // A tree of one generation has no parents' places.
  if (t.knotenAnzahl() >= 3) {
    t[1].nummer = ein.vater.nummer;
    t[2].nummer = ein.mutter.nummer;
  }

  // Fill the tree depth first, each position before its ancestors, father before mother.
  QHash<int, Zeile> gefunden;  // slot -> record
  QHash<qint64, size_t> inListe;
  tListeInzucht buchstaben;
  int gefundenePlaetze = 0;
  bool komplett = true;
  std::optional<Zeile> wurzel = lies(ein.kaninchen.nummer);
  auto kindText = [&](int slot) {
    const int kind = t[slot].kind;
    if (kind == 0) return wurzel ? wurzel->text() : QStringLiteral("  ");
    return gefunden.value(kind).text();
  };
  std::function<void(int)> fuelle = [&](int slot) {
    const auto z = lies(t[slot].nummer);
    if (!z) {
      komplett = false;
      aus.info << QString::number(t[t[slot].kind].tiefe) + u' ' + messageText(39) + kindText(slot) + u' ' +
                      messageText(slot % 2 == 1 ? 40 : 41);
      return;
    }
    gefunden.insert(slot, *z);
    ++gefundenePlaetze;
    if (auto it = inListe.find(z->nummer); it != inListe.end()) {
      ++aus.vorfahren[*it].anzahl;
    } else {
      if (z->erbformel.size() == 1) buchstaben.anhaengen({z->nummer, z->erbformel.at(0)});
      inListe.insert(z->nummer, aus.vorfahren.size());
      aus.vorfahren.push_back({z->nummer, z->text(), 1, QVariant(), z->erbformel, zuechterText(z->zuechter)});
    }
    if (t[slot].vater >= 0) {
      t[t[slot].vater].nummer = z->vater;
      t[t[slot].mutter].nummer = z->mutter;
      fuelle(t[slot].vater);
      fuelle(t[slot].mutter);
    }
  };
  if (t.knotenAnzahl() >= 3) {
    fuelle(1);
    fuelle(2);
  }
  aus.stammbaumkomplett = messageText(komplett ? 42 : 43);

  // Inbreeding paths and ancestor loss.
  InzuchtErgebnis e = inbreedingPaths(t);
  QHash<qint64, QString> namen;
  for (const Zeile& z : gefunden) namen.insert(z.nummer, z.text());
  for (const auto& p : e.pfade.eintraege())
    aus.inzucht << namen.value(p.nummer) + QStringLiteral(" : ") + QString::number(p.n1) + QStringLiteral(" : ") +
                       QString::number(p.n2) + QStringLiteral(" = ") + formatSignificant(p.beitrag, 3, 5);
  if (e.pfade.leer()) aus.inzucht << messageText(48);
  aus.koeffizient = e.koeffizient;
  aus.prozent = koeffizientText(e.koeffizient, !e.pfade.leer());
  const int plaetze = t.ahnenplaetze();
  aus.ahnenverlust << QString() << blank(44) + QString::number(plaetze) << blank(93) + QString::number(gefundenePlaetze)
                   << blank(45) + QString::number(gefundenePlaetze - e.wiederholt) << QString()
                   << blank(46) + QString::number(e.wiederholt)
                   << blank(47) + formatSignificant(plaetze > 0 ? 100.0 / plaetze * e.wiederholt : 0.0, 2, 2);

  // The genetic-formula tab.
  const QString formelZeile = QStringLiteral("                      Erbformel                    ");
  if (!ein.vater.erbformel.isEmpty()) {
    aus.erbformel << QStringLiteral("Vater             ") + ein.vater.text << formelZeile + ein.vater.erbformel;
    if (!ein.mutter.erbformel.isEmpty()) {
      aus.erbformel << QStringLiteral("Mutter           ") + ein.mutter.text << formelZeile + ein.mutter.erbformel
                    << QStringLiteral("_____________________________________________");
      if (const auto d = deriveFormula(ein.vater.erbformel, ein.mutter.erbformel)) {
        aus.erbformel << QStringLiteral("Nachzucht   Erbformel                    ") + d->pooled;
        if (d->shortened) aus.erbformel << QStringLiteral("(gekürzt auf 16)                                ") + d->stored;
        aus.erbformel << QStringLiteral(" ") << QStringLiteral("Buchstabenliste") << QStringLiteral(" ");
        for (const Erbfaktor& token : formulaTokens(d->stored)) {
          const QString kopf = QString::number(token.anzahl) + u' ' + token.buchstabe;
          const tListeInzucht::Eintrag* b = buchstaben.sucheBuchstabe(token.buchstabe);
          const auto z = b ? lies(b->nummer) : std::nullopt;
          if (!z) {
            aus.erbformel << kopf + QStringLiteral(" : nicht vorhanden");
            continue;
          }
          aus.erbformel << kopf + QStringLiteral(" :  ") + z->tatoRechts + u' ' + z->tatoLinks + QStringLiteral(" - ") +
                               zuechterText(z->zuechter);
          if (!z->anomalien.isEmpty()) {
            aus.erbformel << QStringLiteral("       Anomalien/Merkmale");
            for (const QString& line : splitMemo(z->anomalien)) aus.erbformel << QStringLiteral("        ") + line;
          }
        }
      } else {
        aus.erbformel << QStringLiteral("      Erbformeln fehlerhaft!!!!!!!!");
      }
    } else {
      aus.erbformel << QStringLiteral("  Mutter Erbformel fehlt! ");
    }
  } else {
    aus.erbformel << QStringLiteral(" Vater Erbformel fehlt! ")
                  << (ein.mutter.erbformel.isEmpty() ? QStringLiteral("Mutter Erbformel fehlt! ")
                                                     : QStringLiteral("Mutter Erbformel  ") + ein.mutter.erbformel);
  }

  aus.alleGenerationen = alleGenerationen(ein);
  aus.berechnet = true;
  try {
    writeWorkTable(aus.vorfahren);
  } catch (const EngineError&) {
    dialogs().error(blank(11) + QString::fromUtf16(kVorfahrenliste));
  }
  if (!still) dialogs().inform(messageText(106));
  return true;
}

void InbreedingCalculation::dropWorkTable() {
  const QString name = QString::fromUtf16(kVorfahrenliste);
  try {
    if (engine_.tableExists(name) && !engine_.isOpen(name)) engine_.deleteTable(name);
  } catch (const EngineError&) {
  }
}

void InbreedingCalculation::writeWorkTable(const std::vector<Vorfahr>& rows) {
  // The list starts empty for every calculation. The file is created by the first one and
  // emptied and refilled by the next in one transaction; it is a scratch table deleted with
  // the window, so its writes skip the disk syncs that cost far more than the calculation.
  const QString name = QString::fromUtf16(kVorfahrenliste);
  if (!engine_.tableExists(name)) createFromCatalogue(engine_, name);
  auto table = engine_.acquire(name, OpenMode::Shared);
  engine::execSql(table->db(), QStringLiteral("PRAGMA synchronous=OFF"));
  struct RestoreSync {
    sqlite3* db;
    ~RestoreSync() { sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr); }
  } restore{table->db()};
  engine::execSql(table->db(), QStringLiteral("BEGIN"));
  try {
    engine::execSql(table->db(), QStringLiteral("DELETE FROM ") + table->sqlName());
    Statement st(table->db(), QStringLiteral("INSERT INTO ") + table->sqlName() +
                                  QStringLiteral(" (Nummer, Name, Anzahl, Farbe, Erbformel, Zuechter) VALUES (?,?,?,?,?,?)"));
    for (const Vorfahr& v : rows) {
      st.bindAll({v.nummer, v.name, v.anzahl, v.farbe, v.erbformel, v.zuechter});
      st.step();
      st.reset();
    }
    engine::execSql(table->db(), QStringLiteral("COMMIT"));
  } catch (...) {
    sqlite3_exec(table->db(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  table->notifyChanged(nullptr);
}

// --------------------------------------------------------------------- saving and loading

void InbreedingCalculation::ensureSaveTables() {
  for (const QString& name : {QStringLiteral("Inzuchtgrad"), QStringLiteral("InzuchtgradVorf")})
    if (!engine_.tableExists(name)) createFromCatalogue(engine_, name);
}

bool InbreedingCalculation::speichere(const QString& name, const InzuchtEingabe& ein, const InzuchtAusgabe& aus) {
  ensureSaveTables();
  Cursor saved(engine_, QStringLiteral("Inzuchtgrad"));
  saved.setTableName(QStringLiteral("Inzuchtgrad"));
  saved.open();
  Cursor vorf(engine_, QStringLiteral("InzuchtgradVorf"));
  vorf.setTableName(QStringLiteral("InzuchtgradVorf"));
  vorf.setIndexName(QStringLiteral("Nummer"));
  vorf.open();

  if (saved.locate(QStringLiteral("Name;Generation"), {name, ein.generation})) {
    if (!dialogs().ask(messageText(85))) return false;
    const qint64 old = saved.field(QStringLiteral("LaufendeNummer")).asInteger();
    vorf.setRange({old}, {old});
    for (vorf.first(); !vorf.eof();) vorf.deleteRecord();
    vorf.cancelRange();
    saved.edit();
  } else {
    saved.append();
  }
  auto set = [&](const char16_t* field, const QVariant& v) { saved.field(QString::fromUtf16(field)).setValue(v); };
  set(u"Art", static_cast<int>(ein.art));
  set(u"Name", name);
  set(u"Nummer", ein.kaninchen.nummer);
  set(u"HaseErbformel", ein.kaninchen.erbformel);
  set(u"Vater", ein.vater.text);
  set(u"VaterNr", ein.vater.nummer);
  set(u"VaterErbformel", ein.vater.erbformel);
  set(u"Mutter", ein.mutter.text);
  set(u"MutterNr", ein.mutter.nummer);
  set(u"MutterErbformel", ein.mutter.erbformel);
  set(u"Generation", ein.generation);
  set(u"Inzucht", joinMemo(aus.inzucht));
  set(u"Prozent", aus.prozent);
  set(u"Ahnenverlust", joinMemo(aus.ahnenverlust));
  set(u"Stammbaumkomplett", aus.stammbaumkomplett);
  set(u"Info", joinMemo(aus.info));
  set(u"Erbformel", joinMemo(aus.erbformel));
  saved.post();
  const qint64 key = saved.field(QStringLiteral("LaufendeNummer")).asInteger();
  for (const Vorfahr& v : aus.vorfahren) {
    vorf.append();
    vorf.field(QStringLiteral("Nummer")).setInteger(key);
    vorf.field(QStringLiteral("Katze")).setInteger(v.nummer);
    vorf.field(QStringLiteral("Name")).setString(v.name);
    vorf.field(QStringLiteral("Anzahl")).setInteger(v.anzahl);
    vorf.field(QStringLiteral("Farbe")).setValue(v.farbe);
    vorf.field(QStringLiteral("Erbformel")).setString(v.erbformel);
    vorf.field(QStringLiteral("Zuechter")).setString(v.zuechter);
    vorf.post();
  }
  dialogs().inform(messageText(87));
  return true;
}

std::vector<GespeicherteBerechnung> InbreedingCalculation::gespeicherte() {
  ensureSaveTables();
  Cursor saved(engine_, QStringLiteral("Inzuchtgrad"));
  saved.setTableName(QStringLiteral("Inzuchtgrad"));
  saved.setIndexName(QStringLiteral("NameGen"));
  saved.setReadOnly(true);
  saved.open();
  std::vector<GespeicherteBerechnung> list;
  for (saved.first(); !saved.eof(); saved.next())
    list.push_back({saved.field(QStringLiteral("LaufendeNummer")).asInteger(),
                    static_cast<int>(saved.field(QStringLiteral("Generation")).asInteger()),
                    saved.field(QStringLiteral("Name")).asString(), saved.field(QStringLiteral("Vater")).asString(),
                    saved.field(QStringLiteral("Mutter")).asString()});
  return list;
}

bool InbreedingCalculation::lade(qint64 laufendeNummer, InzuchtEingabe& ein, InzuchtAusgabe& aus) {
  ensureSaveTables();
  Cursor saved(engine_, QStringLiteral("Inzuchtgrad"));
  saved.setTableName(QStringLiteral("Inzuchtgrad"));
  saved.setReadOnly(true);
  saved.open();
  if (!saved.findKey({laufendeNummer})) return false;
  auto s = [&](const char16_t* f) { return saved.field(QString::fromUtf16(f)).asString(); };
  auto n = [&](const char16_t* f) { return saved.field(QString::fromUtf16(f)).asInteger(); };
  ein = InzuchtEingabe{};
  ein.art = n(u"Art") == 1 ? Berechnungsart::Eltern : Berechnungsart::Kaninchen;
  if (ein.art == Berechnungsart::Kaninchen) ein.kaninchen = {n(u"Nummer"), s(u"Name"), s(u"HaseErbformel")};
  ein.vater = {n(u"VaterNr"), s(u"Vater"), s(u"VaterErbformel")};
  ein.mutter = {n(u"MutterNr"), s(u"Mutter"), s(u"MutterErbformel")};
  ein.generation = static_cast<int>(n(u"Generation"));
  aus = InzuchtAusgabe{};
  aus.inzucht = splitMemo(s(u"Inzucht"));
  aus.prozent = s(u"Prozent");
  aus.ahnenverlust = splitMemo(s(u"Ahnenverlust"));
  aus.stammbaumkomplett = s(u"Stammbaumkomplett");
  aus.info = splitMemo(s(u"Info"));
  aus.erbformel = splitMemo(s(u"Erbformel"));

  Cursor vorf(engine_, QStringLiteral("InzuchtgradVorf"));
  vorf.setTableName(QStringLiteral("InzuchtgradVorf"));
  vorf.setIndexName(QStringLiteral("Nummer"));
  vorf.setReadOnly(true);
  vorf.open();
  vorf.setRange({laufendeNummer}, {laufendeNummer});
  for (vorf.first(); !vorf.eof(); vorf.next()) {
    Vorfahr v;
    v.nummer = vorf.field(QStringLiteral("Katze")).asInteger();
    v.name = vorf.field(QStringLiteral("Name")).asString();
    v.anzahl = static_cast<int>(vorf.field(QStringLiteral("Anzahl")).asInteger());
    v.farbe = vorf.field(QStringLiteral("Farbe")).value();
    v.erbformel = vorf.field(QStringLiteral("Erbformel")).asString();
    v.zuechter = vorf.field(QStringLiteral("Zuechter")).asString();
    aus.vorfahren.push_back(v);
  }
  aus.alleGenerationen = alleGenerationen(ein);
  aus.berechnet = true;
  try {
    writeWorkTable(aus.vorfahren);
  } catch (const EngineError&) {
    dialogs().error(blank(11) + QString::fromUtf16(kVorfahrenliste));
  }
  return true;
}

}  // namespace lapiro::lineage
