// The settings record: every setting of LapiroMan.ini in memory for the life of the process.
// Start-up loads it, every window reads it, the options window edits and saves it.
//
// Members are grouped by section and named by key, so `Stammdaten.TageTraechtigkeit` is the
// key TageTraechtigkeit of section [Stammdaten]. Default member values are the values a
// missing key yields. The record knows nothing of files: load() and the save functions work
// on a ProfileFile, and the caller decides when that file is written to disk.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>

#include "shell/profile_file.h"

namespace lapiro::shell {

// The items a pedigree box can show, numbered 1 to 12.
inline constexpr int kPedigreeItemCount = 12;

// Item numbers in drawing order; unused slots at the end hold 0.
using PedigreeItemOrder = std::array<int, kPedigreeItemCount>;

// The item names "Täto rechts", "Täto links", "Rasse", "Farbe", "Geschlecht", "Wurfgröße",
// "Züchter", "Besitzer", "Stallnummer", "Bewertung", "Erbformel", "Körnote" (item n at n-1).
const QStringList& pedigreeItemNames();

// The order of a setting text such as "Titel,Farbe": each item's position is where its
// name first occurs in the text (case matters); items that occur are listed by rising
// position, the lower item number first on a tie. "Farbe,Rasse" gives 4, 3, 0, ...
PedigreeItemOrder pedigreeItemOrder(const QString& setting);

class tsysteminfo {
 public:
  struct tAuswahlfenster {
    bool Anzeigen = true;
    QString Sortierung = QStringLiteral("Tato");
    QString Status = QStringLiteral("alle");  // "alle" or "/1//4/": each status as /n/
    bool RasseAnzeigen = true;
    bool NameAnzeigen = true;
  };
  struct tStammdaten {
    QString Sortierung = QStringLiteral("Tato");
    int Status = 1;
    int Rasse = 0;
    int Farbe = 0;
    bool SuchebeiNeuaufnahme = true;
    bool BildAnpassen = true;
    bool TaetoLinksEinzeln = false;
    int TageTraechtigkeit = 31;  // a rabbit doe litters about 31 days after mating
    int LfNrWurfmeldung = 1;
  };
  struct tStammbaum {
    QString Anzeige = QStringLiteral("Titel,Farbe");
    QString Druck = QStringLiteral("Titel,Farbe");
    int linkerRand = 10;
    int rechterRand = 125;
    int untererRand = 40;
    int obererRand = 0;
  };
  struct tSystem {
    bool Speichern = true;
    bool Hilfe = true;
    bool Fenster = true;
    QString Aufloesung = QStringLiteral("800x600");  // default depends on the work area
    QString Textverarbeitung;  // empty: the desktop's text editor (see word_processor.h)
  };
  struct tDrucken {
    bool TitelRot = true;
    bool Bild = false;
    QString Schriftart = QStringLiteral("Arial");
    int Schriftgroese = 18;
  };
  struct tWarnung {
    bool Verfallsdatum = true;
  };
  struct tAdressen {
    bool SuchebeiNeuaufnahme = true;
  };

  // Number of slots of the recently-shown list, and the text of an empty slot.
  static constexpr int kLastLapiroCount = 5;
  static QString emptyLastLapiro() { return QStringLiteral("{}"); }

  // Defaults; System.Aufloesung follows the work area (see defaultAufloesung), "800x600"
  // for an empty one. Derived members are computed.
  tsysteminfo() : tsysteminfo(QRect()) {}
  explicit tsysteminfo(const QRect& workArea);

  tAuswahlfenster Auswahlfenster;
  tStammdaten Stammdaten;
  tStammbaum Stammbaum;
  tSystem System;
  tDrucken Drucken;
  tWarnung Warnung;
  tAdressen Adressen;
  // [LASTLapiro] Lapiro1 to Lapiro5: the recently-shown list, newest first.
  std::array<QString, kLastLapiroCount> LASTLapiro;

  // Derived from Stammbaum.Anzeige and Stammbaum.Druck by updateDerived().
  PedigreeItemOrder AnzeigeReihenfolge{};
  PedigreeItemOrder DruckReihenfolge{};

  // Replaces every member by the file's value; a missing key or a broken value gives the
  // default. Recomputes the derived members. Never fails.
  void load(const ProfileFile& ini, const QRect& workArea);

  // Writes every key except the recently-shown list into `ini` (not to disk).
  void save(ProfileFile& ini) const;

  // Writes LASTLapiro/Lapiro1 to Lapiro5.
  void saveLastLapiro(ProfileFile& ini) const;

  // Records the main window's size of this run: System.Aufloesung becomes
  // "Angepasst <w>x<h>" and that key alone is written.
  void saveAufloesung(ProfileFile& ini, const QSize& windowSize);

  // Write Stammdaten/Rasse, respectively Stammdaten/Farbe, alone.
  void saveRasse(ProfileFile& ini) const;
  void saveFarbe(ProfileFile& ini) const;

  // Recomputes the pedigree item orders after Stammbaum.Anzeige or Stammbaum.Druck changed.
  void updateDerived();

  // For the installer: writes every key, the recently-shown list included, with its default.
  static void writeDefaults(ProfileFile& ini, const QRect& workArea);

 private:
  template <class Self, class Visitor>
  static void forEachKey(Self& self, Visitor&& visit);
};

// The programs to run once after an update, from XVUPD.ini: when the first five characters
// of Version/Nummer are "3.0", the non-empty values of Programme/Update1 to Update3 in that
// order; for any other version (empty and "5.1" included) none. Each is a command line that
// start-up runs and waits for before the next.
QStringList updateCommands(const ProfileFile& xvupd);

}  // namespace lapiro::shell
