#include "shell/profile_file.h"

#include <gtest/gtest.h>

#include <QFile>

#include "support/temp_dir.h"

using lapiro::shell::ProfileFile;
using lapiro::test::TempDir;

namespace {

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

ProfileFile fromText(const QString& text) {
  ProfileFile p;
  p.setText(text);
  return p;
}

}  // namespace

TEST(ProfileFile, UnchangedFileSavesByteForByte) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("LapiroMan.ini"));
  // BOM, CR LF, a comment, a line before the first section, odd spacing, no final line break.
  const QByteArray original =
      "\xEF\xBB\xBF; Einstellungen\r\nlose Zeile\r\n[System]\r\n  Speichern = 1 \r\n"
      "Unsinn ohne Gleichheitszeichen\r\n\r\n[Stammbaum]\r\nAnzeige=T\xC3\xA4to links,Farbe";
  writeBytes(path, original);
  ProfileFile p(path);
  EXPECT_TRUE(p.exists());
  EXPECT_FALSE(p.isModified());
  EXPECT_EQ(p.readString(QStringLiteral("Stammbaum"), QStringLiteral("Anzeige")),
            QStringLiteral("Täto links,Farbe"));
  ASSERT_TRUE(p.save()) << p.errorString().toStdString();
  EXPECT_EQ(readBytes(path), original);
}

TEST(ProfileFile, WritingChangesOnlyTheKeyAndKeepsEverythingElse) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("LapiroMan.ini"));
  writeBytes(path,
             "; Kommentar oben\n"
             "[System]\n"
             "; Speichern=0 steht nur im Kommentar\n"
             "Speichern = 1\n"
             "Hilfe=1\n"
             "irgendwas\n"
             "\n"
             "; gehoert zu Drucken\n"
             "[Drucken]\n"
             "Schriftart=Arial\n");
  ProfileFile p(path);
  EXPECT_TRUE(p.readBool(QStringLiteral("System"), QStringLiteral("Speichern"), false));

  p.writeBool(QStringLiteral("SYSTEM"), QStringLiteral("speichern"), false);  // in place
  p.writeString(QStringLiteral("System"), QStringLiteral("Aufloesung"), QStringLiteral("800x600"));
  p.writeInteger(QStringLiteral("Drucken"), QStringLiteral("Schriftgroese"), 18);  // last section
  p.writeString(QStringLiteral("LASTLapiro"), QStringLiteral("Lapiro1"), QStringLiteral("{}"));
  EXPECT_TRUE(p.isModified());
  ASSERT_TRUE(p.save());
  EXPECT_FALSE(p.isModified());

  EXPECT_EQ(readBytes(path),
            "; Kommentar oben\n"
            "[System]\n"
            "; Speichern=0 steht nur im Kommentar\n"
            "Speichern = 0\n"
            "Hilfe=1\n"
            "Aufloesung=800x600\n"
            "irgendwas\n"
            "\n"
            "; gehoert zu Drucken\n"
            "[Drucken]\n"
            "Schriftart=Arial\n"
            "Schriftgroese=18\n"
            "\n"
            "[LASTLapiro]\n"
            "Lapiro1={}\n");

  // A second load sees what was written.
  ProfileFile again(path);
  EXPECT_FALSE(again.readBool(QStringLiteral("System"), QStringLiteral("Speichern"), true));
  EXPECT_EQ(again.readInteger(QStringLiteral("drucken"), QStringLiteral("SCHRIFTGROESE"), 0), 18);
}

TEST(ProfileFile, SectionsAndKeysIgnoreCase) {
  ProfileFile p = fromText(QStringLiteral("[LASTLAPIRO]\nlapiro1=12 {4}\n[Übersicht]\nGröße=3\n"));
  EXPECT_EQ(p.readString(QStringLiteral("LASTLapiro"), QStringLiteral("Lapiro1")), QStringLiteral("12 {4}"));
  EXPECT_EQ(p.readInteger(QStringLiteral("übersicht"), QStringLiteral("GRÖßE"), 0), 3);
  EXPECT_TRUE(p.hasSection(QStringLiteral("lastlapiro")));
  EXPECT_TRUE(p.hasKey(QStringLiteral("LastLapiro"), QStringLiteral("LAPIRO1")));
  EXPECT_FALSE(p.hasKey(QStringLiteral("Übersicht"), QStringLiteral("Lapiro1")));

  // Writing in another case replaces the value and keeps the file's spelling.
  p.writeString(QStringLiteral("LASTLapiro"), QStringLiteral("Lapiro1"), QStringLiteral("{}"));
  EXPECT_EQ(p.text(), QStringLiteral("[LASTLAPIRO]\nlapiro1={}\n[Übersicht]\nGröße=3\n"));
  EXPECT_EQ(p.sections(), (QStringList{QStringLiteral("LASTLAPIRO"), QStringLiteral("Übersicht")}));
  EXPECT_EQ(p.keys(QStringLiteral("übersicht")), QStringList{QStringLiteral("Größe")});
}

TEST(ProfileFile, FirstOccurrenceOfSectionAndKeyWins) {
  ProfileFile p = fromText(QStringLiteral("[A]\nk=1\nK=2\n[B]\nk=3\n[a]\nk=4\n"));
  EXPECT_EQ(p.readInteger(QStringLiteral("A"), QStringLiteral("k"), 0), 1);
  p.writeInteger(QStringLiteral("a"), QStringLiteral("K"), 9);
  p.writeInteger(QStringLiteral("a"), QStringLiteral("neu"), 5);
  EXPECT_EQ(p.text(), QStringLiteral("[A]\nk=9\nK=2\nneu=5\n[B]\nk=3\n[a]\nk=4\n"));
}

TEST(ProfileFile, BrokenOrMissingValuesGiveTheDefault) {
  ProfileFile p =
      fromText(QStringLiteral("[S]\nabc=abc\nleer=\nhalb=12abc\nkomma=1,5\nhex=0x10\nriesig=99999999999\n"
                              "gut= -7 \nplus=+4\nja=ja\nzwei=2\nnull=0\nminus=-1\n"));
  const QString s = QStringLiteral("S");
  for (const char* key : {"abc", "leer", "halb", "komma", "hex", "riesig", "fehlt"}) {
    EXPECT_EQ(p.readInteger(s, QString::fromLatin1(key), 65), 65) << key;
  }
  EXPECT_EQ(p.readInteger(s, QStringLiteral("gut"), 0), -7);
  EXPECT_EQ(p.readInteger(s, QStringLiteral("plus"), 0), 4);
  EXPECT_EQ(p.readInteger(QStringLiteral("Fehlt"), QStringLiteral("gut"), 3), 3);

  EXPECT_TRUE(p.readBool(s, QStringLiteral("ja"), true));
  EXPECT_FALSE(p.readBool(s, QStringLiteral("ja"), false));
  EXPECT_FALSE(p.readBool(s, QStringLiteral("leer"), false));
  EXPECT_TRUE(p.readBool(s, QStringLiteral("zwei"), false));  // any non-zero number is true
  EXPECT_TRUE(p.readBool(s, QStringLiteral("minus"), false));
  EXPECT_TRUE(p.readBool(s, QStringLiteral("riesig"), false));
  EXPECT_FALSE(p.readBool(s, QStringLiteral("null"), true));

  // A present but empty text is empty, not the default.
  EXPECT_EQ(p.readString(s, QStringLiteral("leer"), QStringLiteral("x")), QString());
  EXPECT_EQ(p.readString(s, QStringLiteral("fehlt"), QStringLiteral("x")), QStringLiteral("x"));
}

TEST(ProfileFile, BooleansAreWrittenAsOneAndZeroAndValuesStayOnOneLine) {
  ProfileFile p;
  p.writeBool(QStringLiteral("S"), QStringLiteral("an"), true);
  p.writeBool(QStringLiteral("S"), QStringLiteral("aus"), false);
  p.writeString(QStringLiteral("S"), QStringLiteral("t"), QStringLiteral("a\r\nb\nc"));
  EXPECT_EQ(p.text(), QStringLiteral("[S]\nan=1\naus=0\nt=a b c\n"));
}

TEST(ProfileFile, MissingFileIsOnlyCreatedBySave) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("neu/unter/LapiroMan.ini"));
  ProfileFile p(path);
  EXPECT_FALSE(p.exists());
  EXPECT_EQ(p.readInteger(QStringLiteral("S"), QStringLiteral("k"), 4), 4);
  p.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 5);
  EXPECT_FALSE(p.exists());
  EXPECT_FALSE(QFile::exists(path));
  ASSERT_TRUE(p.save()) << p.errorString().toStdString();
  EXPECT_TRUE(p.exists());
  EXPECT_EQ(readBytes(path), "[S]\nk=5\n");
}

TEST(ProfileFile, FailedSaveReportsAndLeavesTheOldFile) {
  TempDir dir;
  const QString blocker = dir.file(QStringLiteral("datei"));
  writeBytes(blocker, "kein Verzeichnis");
  ProfileFile p(blocker + QStringLiteral("/LapiroMan.ini"));
  p.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 1);
  EXPECT_FALSE(p.save());
  EXPECT_FALSE(p.errorString().isEmpty());
  EXPECT_TRUE(p.isModified());
  EXPECT_EQ(readBytes(blocker), "kein Verzeichnis");

  ProfileFile unnamed;
  EXPECT_FALSE(unnamed.save());
  EXPECT_FALSE(unnamed.load());
}

TEST(ProfileFile, NonUtf8FileIsReadAsLatin1AndSavedAsUtf8) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("alt.ini"));
  writeBytes(path, "[Stammbaum]\nAnzeige=T\xE4to rechts,K\xF6rnote\n");
  ProfileFile p(path);
  EXPECT_EQ(p.readString(QStringLiteral("Stammbaum"), QStringLiteral("Anzeige")),
            QStringLiteral("Täto rechts,Körnote"));
  p.writeInteger(QStringLiteral("Stammbaum"), QStringLiteral("obererRand"), 0);
  ASSERT_TRUE(p.save());
  EXPECT_EQ(readBytes(path), "[Stammbaum]\nAnzeige=T\xC3\xA4to rechts,K\xC3\xB6rnote\nobererRand=0\n");
}
