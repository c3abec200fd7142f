#include "shell/system_info.h"

#include <gtest/gtest.h>

using lapiro::shell::PedigreeItemOrder;
using lapiro::shell::pedigreeItemOrder;
using lapiro::shell::ProfileFile;
using lapiro::shell::tsysteminfo;
using lapiro::shell::updateCommands;

namespace {

const QRect kArea(0, 0, 1280, 1024);

ProfileFile fromText(const QString& text) {
  ProfileFile p;
  p.setText(text);
  return p;
}

PedigreeItemOrder order(std::initializer_list<int> items) {
  PedigreeItemOrder o{};
  std::copy(items.begin(), items.end(), o.begin());
  return o;
}

}  // namespace

TEST(Systeminfo, EmptyFileGivesTheDefaults) {
  tsysteminfo info;
  info.Stammdaten.TageTraechtigkeit = 1;  // load replaces everything
  info.load(ProfileFile(), kArea);
  EXPECT_EQ(info.Auswahlfenster.Status, QStringLiteral("alle"));
  EXPECT_EQ(info.Stammdaten.TageTraechtigkeit, 31);
  EXPECT_FALSE(info.Stammdaten.TaetoLinksEinzeln);
  EXPECT_EQ(info.System.Aufloesung, QStringLiteral("1152x864"));
  for (const QString& slot : info.LASTLapiro) EXPECT_EQ(slot, QStringLiteral("{}"));
  EXPECT_EQ(info.AnzeigeReihenfolge, order({4}));
  EXPECT_EQ(info.DruckReihenfolge, order({4}));

  info.load(ProfileFile(), QRect(0, 0, 1024, 768));
  EXPECT_EQ(info.System.Aufloesung, QStringLiteral("1024x768"));
}

// Every key written by writeDefaults is changed in the file; loading and saving again must
// reproduce each changed value, which catches a key read under one name and written under
// another, or read with the wrong type.
TEST(Systeminfo, EveryKeyRoundTripsThroughTheFile) {
  ProfileFile changed;
  tsysteminfo::writeDefaults(changed, kArea);
  int keyCount = 0;
  for (const QString& section : changed.sections()) {
    for (const QString& key : changed.keys(section)) {
      ++keyCount;
      const QString value = changed.readString(section, key);
      bool isNumber = false;
      const int n = value.toInt(&isNumber);
      QString next;
      if (value == QStringLiteral("0") || value == QStringLiteral("1")) {
        next = value == QStringLiteral("0") ? QStringLiteral("1") : QStringLiteral("0");
      } else if (isNumber) {
        next = QString::number(n + 3);
      } else {
        next = value + QStringLiteral("-ä");
      }
      changed.writeString(section, key, next);
    }
  }
  EXPECT_EQ(keyCount, 31 + 5);

  tsysteminfo info;
  info.load(changed, kArea);
  ProfileFile saved;
  info.save(saved);
  info.saveLastLapiro(saved);
  for (const QString& section : changed.sections()) {
    for (const QString& key : changed.keys(section)) {
      EXPECT_TRUE(saved.hasKey(section, key)) << section.toStdString() << '/' << key.toStdString();
      EXPECT_EQ(saved.readString(section, key), changed.readString(section, key))
          << section.toStdString() << '/' << key.toStdString();
    }
  }
}

TEST(Systeminfo, SaveFunctionsWriteOnlyTheirKeys) {
  tsysteminfo info;
  info.LASTLapiro[0] = QStringLiteral("12  3.24.7 {5}");

  ProfileFile all;
  info.save(all);
  EXPECT_FALSE(all.hasSection(QStringLiteral("LASTLapiro")));
  EXPECT_TRUE(all.hasKey(QStringLiteral("Adressen"), QStringLiteral("SuchebeiNeuaufnahme")));

  ProfileFile last;
  info.saveLastLapiro(last);
  EXPECT_EQ(last.sections(), QStringList{QStringLiteral("LASTLapiro")});
  EXPECT_EQ(last.readString(QStringLiteral("LASTLapiro"), QStringLiteral("Lapiro1")),
            QStringLiteral("12  3.24.7 {5}"));
  EXPECT_EQ(last.readString(QStringLiteral("LASTLapiro"), QStringLiteral("Lapiro5")), QStringLiteral("{}"));

  ProfileFile size;
  info.saveAufloesung(size, QSize(1024, 740));
  EXPECT_EQ(info.System.Aufloesung, QStringLiteral("Angepasst 1024x740"));
  EXPECT_EQ(size.text(), QStringLiteral("[System]\nAufloesung=Angepasst 1024x740\n"));

  ProfileFile breed;
  info.Stammdaten.Rasse = 7;
  info.Stammdaten.Farbe = 9;
  info.saveRasse(breed);
  EXPECT_EQ(breed.text(), QStringLiteral("[Stammdaten]\nRasse=7\n"));
  ProfileFile colour;
  info.saveFarbe(colour);
  EXPECT_EQ(colour.text(), QStringLiteral("[Stammdaten]\nFarbe=9\n"));
}

TEST(Systeminfo, BrokenValuesAndOtherCaseReadAsTheFileMeans) {
  const ProfileFile ini =
      fromText(QStringLiteral("[stammdaten]\nTAGETRAECHTIGKEIT=abc\nstatus=\nRasse=12\n"
                              "[SYSTEM]\nspeichern=nein\nHilfe=0\nAUFLOESUNG=Maximized\n"
                              "[LASTLAPIRO]\nLAPIRO2=7  1.23.4 {88}\n"));
  tsysteminfo info;
  info.load(ini, kArea);
  EXPECT_EQ(info.Stammdaten.TageTraechtigkeit, 31);
  EXPECT_EQ(info.Stammdaten.Status, 1);
  EXPECT_EQ(info.Stammdaten.Rasse, 12);
  EXPECT_TRUE(info.System.Speichern);
  EXPECT_FALSE(info.System.Hilfe);
  EXPECT_EQ(info.System.Aufloesung, QStringLiteral("Maximized"));
  EXPECT_EQ(info.LASTLapiro[0], QStringLiteral("{}"));
  EXPECT_EQ(info.LASTLapiro[1], QStringLiteral("7  1.23.4 {88}"));
}

TEST(Systeminfo, WriteDefaultsGivesAFileThatLoadsAsTheDefaults) {
  ProfileFile ini;
  tsysteminfo::writeDefaults(ini, QRect(0, 0, 800, 600));
  EXPECT_EQ(ini.sections(), (QStringList{QStringLiteral("Auswahlfenster"), QStringLiteral("Stammdaten"),
                                         QStringLiteral("Stammbaum"), QStringLiteral("System"),
                                         QStringLiteral("Drucken"), QStringLiteral("Warnung"),
                                         QStringLiteral("Adressen"), QStringLiteral("LASTLapiro")}));
  EXPECT_EQ(ini.readString(QStringLiteral("System"), QStringLiteral("Aufloesung")),
            QStringLiteral("800x600"));
  EXPECT_EQ(ini.readString(QStringLiteral("Stammdaten"), QStringLiteral("TaetoLinksEinzeln")),
            QStringLiteral("0"));
  tsysteminfo loaded;
  loaded.Drucken.Schriftgroese = 3;
  loaded.load(ini, kArea);  // the file's value wins over the work area's default
  EXPECT_EQ(loaded.System.Aufloesung, QStringLiteral("800x600"));
  EXPECT_EQ(loaded.Drucken.Schriftgroese, 18);
}

TEST(PedigreeItemOrder, ListsItemsByFirstPositionInTheSetting) {
  EXPECT_EQ(pedigreeItemOrder(QStringLiteral("Farbe,Rasse")), order({4, 3}));
  EXPECT_EQ(pedigreeItemOrder(QString()), order({}));
  EXPECT_EQ(pedigreeItemOrder(QStringLiteral("Titel,Farbe")), order({4}));
  EXPECT_EQ(pedigreeItemOrder(QStringLiteral("Körnote,Täto links,Wurfgröße,Täto rechts")),
            order({12, 2, 6, 1}));
  // Case matters, and a repeated name counts at its first position.
  EXPECT_EQ(pedigreeItemOrder(QStringLiteral("farbe,Rasse,Farbe,Rasse")), order({3, 4}));
  EXPECT_EQ(pedigreeItemOrder(QStringLiteral("Erbformel Bewertung Stallnummer Besitzer Züchter Wurfgröße "
                                             "Geschlecht Farbe Rasse Täto links Täto rechts Körnote")),
            order({11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 12}));

  tsysteminfo info;
  info.Stammbaum.Anzeige = QStringLiteral("Farbe,Rasse");
  info.Stammbaum.Druck = QString();
  info.updateDerived();
  EXPECT_EQ(info.AnzeigeReihenfolge, order({4, 3}));
  EXPECT_EQ(info.DruckReihenfolge, order({}));
}

TEST(UpdateControl, RunsProgramsOnlyForVersionThreeZero) {
  EXPECT_TRUE(updateCommands(fromText(QStringLiteral("[Version]\nNummer=5.1\n[Programme]\nUpdate1=a.exe\n")))
                  .isEmpty());
  EXPECT_TRUE(updateCommands(fromText(QStringLiteral("[Programme]\nUpdate1=a.exe\n"))).isEmpty());
  EXPECT_TRUE(
      updateCommands(fromText(QStringLiteral("[Version]\nNummer=3.0.1\n[Programme]\nUpdate1=a.exe\n")))
          .isEmpty());
  EXPECT_EQ(updateCommands(fromText(
                QStringLiteral("[Version]\nNummer=3.0\n[Programme]\nUpdate1=\nupdate2=b.exe /x\nb.exe=1\n"))),
            QStringList{QStringLiteral("b.exe /x")});
  EXPECT_EQ(updateCommands(fromText(
                QStringLiteral("[Version]\nNummer=3.0\n[Programme]\nUpdate3=c\nUpdate1=a\nUpdate2=b\n"))),
            (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

// New files get a rabbit's gestation; a file written by an older installation keeps its
// value through load and save, and the value stays editable.
TEST(Systeminfo, GestationDefaultIsARabbitsAndAnExistingValueIsKept) {
  ProfileFile fresh;
  tsysteminfo::writeDefaults(fresh, kArea);
  EXPECT_EQ(fresh.readInteger(QStringLiteral("Stammdaten"), QStringLiteral("TageTraechtigkeit"), -1), 31);

  ProfileFile old = fromText(QStringLiteral("[Stammdaten]\nTageTraechtigkeit=65\n"));
  tsysteminfo info;
  info.load(old, kArea);
  EXPECT_EQ(info.Stammdaten.TageTraechtigkeit, 65);
  info.save(old);
  EXPECT_EQ(old.readInteger(QStringLiteral("Stammdaten"), QStringLiteral("TageTraechtigkeit"), -1), 65);

  info.Stammdaten.TageTraechtigkeit = 33;
  info.save(old);
  tsysteminfo back;
  back.load(old, kArea);
  EXPECT_EQ(back.Stammdaten.TageTraechtigkeit, 33);
}
