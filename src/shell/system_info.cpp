#include "shell/system_info.h"

#include <algorithm>

#include "shell/placement.h"

namespace lapiro::shell {

namespace {

const QString kLastSection = QStringLiteral("LASTLapiro");

QString lastKey(int slot) {
  return QStringLiteral("Lapiro%1").arg(slot + 1);
}

// Reads a key into a member, keeping the member's value as the default.
struct Reader {
  const ProfileFile& ini;
  void operator()(const QString& s, const QString& k, bool& v) const { v = ini.readBool(s, k, v); }
  void operator()(const QString& s, const QString& k, int& v) const { v = ini.readInteger(s, k, v); }
  void operator()(const QString& s, const QString& k, QString& v) const { v = ini.readString(s, k, v); }
};

struct Writer {
  ProfileFile& ini;
  void operator()(const QString& s, const QString& k, bool v) const { ini.writeBool(s, k, v); }
  void operator()(const QString& s, const QString& k, int v) const { ini.writeInteger(s, k, v); }
  void operator()(const QString& s, const QString& k, const QString& v) const { ini.writeString(s, k, v); }
};

}  // namespace

const QStringList& pedigreeItemNames() {
  static const QStringList names = {
      QStringLiteral("Täto rechts"), QStringLiteral("Täto links"), QStringLiteral("Rasse"),
      QStringLiteral("Farbe"),       QStringLiteral("Geschlecht"), QStringLiteral("Wurfgröße"),
      QStringLiteral("Züchter"),     QStringLiteral("Besitzer"),   QStringLiteral("Stallnummer"),
      QStringLiteral("Bewertung"),   QStringLiteral("Erbformel"),  QStringLiteral("Körnote")};
  return names;
}

PedigreeItemOrder pedigreeItemOrder(const QString& setting) {
  struct Found {
    qsizetype position;
    int item;
  };
  std::vector<Found> found;
  const QStringList& names = pedigreeItemNames();
  for (int i = 0; i < names.size(); ++i) {
    const qsizetype pos = setting.indexOf(names.at(i));
    if (pos >= 0) found.push_back({pos, i + 1});
  }
  // Items are scanned by rising number, so a stable sort keeps the lower number first on ties.
  std::stable_sort(found.begin(), found.end(),
                   [](const Found& a, const Found& b) { return a.position < b.position; });
  PedigreeItemOrder order{};
  for (size_t i = 0; i < found.size(); ++i) order[i] = found[i].item;
  return order;
}

tsysteminfo::tsysteminfo(const QRect& workArea) {
  System.Aufloesung = defaultAufloesung(workArea);
  LASTLapiro.fill(emptyLastLapiro());
  updateDerived();
}

// The keys of LapiroMan.ini in file order, except the recently-shown list.
template <class Self, class Visitor>
void tsysteminfo::forEachKey(Self& self, Visitor&& visit) {
  const QString a = QStringLiteral("Auswahlfenster");
  visit(a, QStringLiteral("Anzeigen"), self.Auswahlfenster.Anzeigen);
  visit(a, QStringLiteral("Sortierung"), self.Auswahlfenster.Sortierung);
  visit(a, QStringLiteral("Status"), self.Auswahlfenster.Status);
  visit(a, QStringLiteral("RasseAnzeigen"), self.Auswahlfenster.RasseAnzeigen);
  visit(a, QStringLiteral("NameAnzeigen"), self.Auswahlfenster.NameAnzeigen);

  const QString s = QStringLiteral("Stammdaten");
  visit(s, QStringLiteral("Sortierung"), self.Stammdaten.Sortierung);
  visit(s, QStringLiteral("Status"), self.Stammdaten.Status);
  visit(s, QStringLiteral("Rasse"), self.Stammdaten.Rasse);
  visit(s, QStringLiteral("Farbe"), self.Stammdaten.Farbe);
  visit(s, QStringLiteral("SuchebeiNeuaufnahme"), self.Stammdaten.SuchebeiNeuaufnahme);
  visit(s, QStringLiteral("BildAnpassen"), self.Stammdaten.BildAnpassen);
  visit(s, QStringLiteral("TaetoLinksEinzeln"), self.Stammdaten.TaetoLinksEinzeln);
  visit(s, QStringLiteral("TageTraechtigkeit"), self.Stammdaten.TageTraechtigkeit);
  visit(s, QStringLiteral("LfNrWurfmeldung"), self.Stammdaten.LfNrWurfmeldung);

  const QString b = QStringLiteral("Stammbaum");
  visit(b, QStringLiteral("Anzeige"), self.Stammbaum.Anzeige);
  visit(b, QStringLiteral("Druck"), self.Stammbaum.Druck);
  visit(b, QStringLiteral("linkerRand"), self.Stammbaum.linkerRand);
  visit(b, QStringLiteral("rechterRand"), self.Stammbaum.rechterRand);
  visit(b, QStringLiteral("untererRand"), self.Stammbaum.untererRand);
  visit(b, QStringLiteral("obererRand"), self.Stammbaum.obererRand);

  const QString y = QStringLiteral("System");
  visit(y, QStringLiteral("Speichern"), self.System.Speichern);
  visit(y, QStringLiteral("Hilfe"), self.System.Hilfe);
  visit(y, QStringLiteral("Fenster"), self.System.Fenster);
  visit(y, QStringLiteral("Aufloesung"), self.System.Aufloesung);
  visit(y, QStringLiteral("Textverarbeitung"), self.System.Textverarbeitung);

  const QString d = QStringLiteral("Drucken");
  visit(d, QStringLiteral("TitelRot"), self.Drucken.TitelRot);
  visit(d, QStringLiteral("Bild"), self.Drucken.Bild);
  visit(d, QStringLiteral("Schriftart"), self.Drucken.Schriftart);
  visit(d, QStringLiteral("Schriftgroese"), self.Drucken.Schriftgroese);

  visit(QStringLiteral("Warnung"), QStringLiteral("Verfallsdatum"), self.Warnung.Verfallsdatum);
  visit(QStringLiteral("Adressen"), QStringLiteral("SuchebeiNeuaufnahme"), self.Adressen.SuchebeiNeuaufnahme);
}

void tsysteminfo::load(const ProfileFile& ini, const QRect& workArea) {
  *this = tsysteminfo(workArea);
  forEachKey(*this, Reader{ini});
  for (int i = 0; i < kLastLapiroCount; ++i) {
    LASTLapiro[i] = ini.readString(kLastSection, lastKey(i), emptyLastLapiro());
  }
  updateDerived();
}

void tsysteminfo::save(ProfileFile& ini) const {
  forEachKey(*this, Writer{ini});
}

void tsysteminfo::saveLastLapiro(ProfileFile& ini) const {
  for (int i = 0; i < kLastLapiroCount; ++i) ini.writeString(kLastSection, lastKey(i), LASTLapiro[i]);
}

void tsysteminfo::saveAufloesung(ProfileFile& ini, const QSize& windowSize) {
  System.Aufloesung = angepasstAufloesung(windowSize);
  ini.writeString(QStringLiteral("System"), QStringLiteral("Aufloesung"), System.Aufloesung);
}

void tsysteminfo::saveRasse(ProfileFile& ini) const {
  ini.writeInteger(QStringLiteral("Stammdaten"), QStringLiteral("Rasse"), Stammdaten.Rasse);
}

void tsysteminfo::saveFarbe(ProfileFile& ini) const {
  ini.writeInteger(QStringLiteral("Stammdaten"), QStringLiteral("Farbe"), Stammdaten.Farbe);
}

void tsysteminfo::updateDerived() {
  AnzeigeReihenfolge = pedigreeItemOrder(Stammbaum.Anzeige);
  DruckReihenfolge = pedigreeItemOrder(Stammbaum.Druck);
}

void tsysteminfo::writeDefaults(ProfileFile& ini, const QRect& workArea) {
  const tsysteminfo defaults(workArea);
  defaults.save(ini);
  defaults.saveLastLapiro(ini);
}

QStringList updateCommands(const ProfileFile& xvupd) {
  QStringList commands;
  const QString version = xvupd.readString(QStringLiteral("Version"), QStringLiteral("Nummer")).left(5);
  if (version != QStringLiteral("3.0")) return commands;
  for (int n = 1; n <= 3; ++n) {
    const QString command = xvupd.readString(QStringLiteral("Programme"), QStringLiteral("Update%1").arg(n));
    if (!command.isEmpty()) commands << command;
  }
  return commands;
}

}  // namespace lapiro::shell
