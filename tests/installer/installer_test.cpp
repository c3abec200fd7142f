#include "installer/installer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include "core/safe_write.h"
#include "engine/cursor.h"
#include "installer/content.h"
#include "shell/profile_file.h"
#include "shell/system_info.h"
#include "store/catalogue.h"
#include "support/temp_dir.h"

using namespace lapiro;
using installer::InstallOptions;
using installer::InstallResult;

namespace {

class InstallerTest : public ::testing::Test {
 protected:
  InstallOptions options() const {
    InstallOptions o;
    o.programDir = tmp.file(u"programm"_qs);
    o.settingsDir = tmp.file(u"config"_qs);
    return o;
  }
  QString dataDir() const { return tmp.file(u"programm/daten"_qs); }
  QString settingsFile() const { return tmp.file(u"config/LapiroMan.ini"_qs); }

  static QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  static void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  // Everything below the program directory, as relative paths.
  QStringList programEntries() const {
    QDir dir(tmp.file(u"programm"_qs));
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  }

  test::TempDir tmp;
};

qint64 countRows(engine::Engine& engine, const QString& table) {
  engine::Cursor c(engine);
  c.setTableName(table);
  c.setReadOnly(true);
  c.open();
  return c.recordCount();
}

TEST_F(InstallerTest, CreatesEveryInstallerTableWithItsLayoutAndNothingElse) {
  const InstallResult r = installer::install(options());
  ASSERT_EQ(r.exitCode, installer::kExitOk) << r.message.toStdString();

  engine::Engine engine;
  engine.setAlias(u"Hase"_qs, dataDir());
  int expected = 0;
  for (const store::CatalogueTable& t : store::catalogue()) {
    const bool supplied = t.origin == store::CatalogueTable::Origin::Installer;
    // Exact file name, not just a case-insensitive match.
    EXPECT_EQ(QFileInfo::exists(dataDir() + u'/' + t.fileName), supplied) << t.fileName.toStdString();
    if (!supplied) continue;
    ++expected;
    engine::Cursor c(engine);
    c.setTableName(t.fileName);
    ASSERT_NO_THROW(c.open()) << t.fileName.toStdString();
    const engine::TableDef stored = c.tableDef();
    ASSERT_EQ(stored.fields.size(), t.def.fields.size()) << t.fileName.toStdString();
    for (size_t i = 0; i < stored.fields.size(); ++i) {
      EXPECT_EQ(stored.fields[i].name, t.def.fields[i].name);
      EXPECT_EQ(stored.fields[i].type, t.def.fields[i].type) << t.def.fields[i].name.toStdString();
    }
    for (const engine::IndexDef& idx : t.def.indexes) {
      if (!idx.primary) {
        EXPECT_NE(stored.index(idx.name), nullptr) << idx.name.toStdString();
      }
    }
  }
  EXPECT_EQ(r.tablesCreated, expected);
  EXPECT_EQ(r.animals, 0);
  EXPECT_TRUE(r.message.contains(QStringLiteral("Tabellen angelegt: %1").arg(expected)));
  // Only the three directories: no temporary or set-aside directory is left behind.
  EXPECT_EQ(programEntries(), (QStringList{u"Datensik"_qs, u"Help"_qs, u"daten"_qs}));
}

TEST_F(InstallerTest, FillsMessagesAndLookupsAndLeavesOwnDataEmpty) {
  ASSERT_EQ(installer::install(options()).exitCode, installer::kExitOk);
  engine::Engine engine;
  engine.setAlias(u"Hase"_qs, dataDir());

  engine::Cursor sprmel(engine);
  sprmel.setTableName(u"Sprmel"_qs);
  sprmel.open();
  EXPECT_EQ(sprmel.recordCount(), static_cast<qint64>(installer::messageTexts().size()));
  for (const auto& [number, text] : installer::messageTexts()) {
    ASSERT_TRUE(sprmel.findKey({number})) << number;
    EXPECT_EQ(sprmel.field(u"Meldung"_qs).asString(), text);
  }

  for (const installer::TableRows& rows : installer::lookupRows())
    EXPECT_EQ(countRows(engine, rows.table), static_cast<qint64>(rows.rows.size()))
        << rows.table.toStdString();

  // Explicit key numbers are kept: status 1 is the own stock, colours refer to breeds.
  engine::Cursor status(engine);
  status.setTableName(u"Status"_qs);
  status.open();
  ASSERT_TRUE(status.findKey({1}));
  EXPECT_EQ(status.field(u"Name"_qs).asString(), u"Eigener Bestand"_qs);
  engine::Cursor kontoart(engine);
  kontoart.setTableName(u"KONTOART.DB"_qs);
  kontoart.open();
  ASSERT_TRUE(kontoart.findKey({2}));
  EXPECT_EQ(kontoart.field(u"Kontoart"_qs).asString(), u"Bargeld / Kasse"_qs);

  // The own data table exists but holds no record, so the program asks for it at start.
  EXPECT_EQ(countRows(engine, u"eigen.DB"_qs), 0);
}

TEST_F(InstallerTest, WritesSettingsUpdateControlHelpAndBackupDirectory) {
  ASSERT_EQ(installer::install(options()).exitCode, installer::kExitOk);

  shell::ProfileFile ini(settingsFile());
  ASSERT_TRUE(ini.exists());
  EXPECT_EQ(ini.readInteger(u"Stammdaten"_qs, u"TageTraechtigkeit"_qs, -1), 31);
  EXPECT_EQ(ini.readString(u"Auswahlfenster"_qs, u"Sortierung"_qs), u"Tato"_qs);
  EXPECT_EQ(ini.readString(u"System"_qs, u"Speichern"_qs), u"1"_qs);
  EXPECT_EQ(ini.readString(u"LASTLapiro"_qs, u"Lapiro5"_qs), u"{}"_qs);
  shell::ProfileFile defaults;
  shell::tsysteminfo::writeDefaults(defaults, QRect());
  for (const QString& section : defaults.sections())
    for (const QString& key : defaults.keys(section))
      EXPECT_TRUE(ini.hasKey(section, key)) << key.toStdString();

  shell::ProfileFile update(tmp.file(u"config/XVUPD.ini"_qs));
  ASSERT_TRUE(update.exists());
  EXPECT_EQ(update.readString(u"Version"_qs, u"Nummer"_qs), u"5.1"_qs);
  EXPECT_TRUE(update.hasKey(u"Programme"_qs, u"Update1"_qs));
  EXPECT_TRUE(shell::updateCommands(update).isEmpty());

  const QString help = tmp.file(u"programm/Help/"_qs);
  for (const installer::HelpPage& page : installer::helpPages())
    EXPECT_EQ(read(help + page.fileName), page.html.toUtf8()) << page.fileName.toStdString();
  EXPECT_TRUE(QFileInfo::exists(help + installer::helpFileForContext(installer::kHelpIndexContext)));
  EXPECT_TRUE(QFileInfo(tmp.file(u"programm/Datensik"_qs)).isDir());
}

TEST_F(InstallerTest, SecondInstallWithoutForceRefusesAndChangesNothing) {
  ASSERT_EQ(installer::install(options()).exitCode, installer::kExitOk);
  // The user's own changes since the first installation.
  write(dataDir() + u"/Notiz.txt"_qs, "meine Daten");
  shell::ProfileFile ini(settingsFile());
  ini.writeString(u"System"_qs, u"Aufloesung"_qs, u"Maximized"_qs);
  ASSERT_TRUE(ini.save());
  const QByteArray settingsBefore = read(settingsFile());
  const QByteArray hasenBefore = read(dataDir() + u"/Hasen.db"_qs);

  const InstallResult r = installer::install(options());
  EXPECT_EQ(r.exitCode, installer::kExitExists);
  EXPECT_TRUE(r.message.contains(u"Das Datenverzeichnis"_qs));
  EXPECT_TRUE(r.message.contains(u"existiert bereits. Mit --force wird es überschrieben."_qs));
  EXPECT_TRUE(r.message.contains(QDir::toNativeSeparators(dataDir())));
  EXPECT_TRUE(r.message.contains(u"Die Einstellungsdatei"_qs));

  EXPECT_EQ(read(dataDir() + u"/Notiz.txt"_qs), QByteArray("meine Daten"));
  EXPECT_EQ(read(settingsFile()), settingsBefore);
  EXPECT_EQ(read(dataDir() + u"/Hasen.db"_qs), hasenBefore);
  EXPECT_EQ(programEntries(), (QStringList{u"Datensik"_qs, u"Help"_qs, u"daten"_qs}));
}

TEST_F(InstallerTest, ExistingSettingsFileAloneAlsoRefuses) {
  QDir().mkpath(tmp.file(u"config"_qs));
  write(settingsFile(), "[System]\nSpeichern=0\n");
  const InstallResult r = installer::install(options());
  EXPECT_EQ(r.exitCode, installer::kExitExists);
  EXPECT_TRUE(r.message.contains(u"Mit --force wird sie überschrieben."_qs));
  EXPECT_FALSE(r.message.contains(u"Datenverzeichnis"_qs));
  EXPECT_FALSE(QFileInfo::exists(dataDir()));
  EXPECT_EQ(read(settingsFile()), QByteArray("[System]\nSpeichern=0\n"));
}

TEST_F(InstallerTest, ForceReplacesDataAndSettingsButKeepsBackups) {
  ASSERT_EQ(installer::install(options()).exitCode, installer::kExitOk);
  write(dataDir() + u"/Notiz.txt"_qs, "alt");
  write(tmp.file(u"programm/Datensik/Hasen.DB"_qs), "Sicherung");
  write(settingsFile(), "[System]\nAufloesung=Maximized\n");

  InstallOptions o = options();
  o.force = true;
  o.demoAnimals = 20;
  const InstallResult r = installer::install(o);
  ASSERT_EQ(r.exitCode, installer::kExitOk) << r.message.toStdString();
  EXPECT_EQ(r.animals, 20);
  EXPECT_FALSE(QFileInfo::exists(dataDir() + u"/Notiz.txt"_qs));
  EXPECT_EQ(read(tmp.file(u"programm/Datensik/Hasen.DB"_qs)), QByteArray("Sicherung"));
  // The replaced data directory is kept whole in the safety directory, and the summary says so.
  ASSERT_TRUE(r.movedAside.startsWith(tmp.file(u"programm/Datensik/daten-"_qs))) << r.movedAside.toStdString();
  EXPECT_EQ(read(r.movedAside + u"/Notiz.txt"_qs), QByteArray("alt"));
  EXPECT_TRUE(QFileInfo(r.movedAside + u"/Hasen.db"_qs).isFile());
  EXPECT_TRUE(r.message.contains(u"Das bisherige Datenverzeichnis wurde nach "_qs + r.movedAside + u" verschoben."_qs))
      << r.message.toStdString();
  shell::ProfileFile ini(settingsFile());
  // No work area known here: the first start fills the screen and keeps its size afterwards.
  EXPECT_EQ(ini.readString(u"System"_qs, u"Aufloesung"_qs), u"Angepasst"_qs);
  EXPECT_EQ(programEntries(), (QStringList{u"Datensik"_qs, u"Help"_qs, u"daten"_qs}));

  engine::Engine engine;
  engine.setAlias(u"Hase"_qs, dataDir());
  EXPECT_EQ(countRows(engine, u"Hasen"_qs), 20);
  EXPECT_EQ(countRows(engine, u"eigen.DB"_qs), 1);
  EXPECT_TRUE(engine.tableExists(u"Gewichtstabelle.DB"_qs));
  EXPECT_TRUE(engine.tableExists(u"Angora"_qs));
  // The demo's vaccinations bring the table the program otherwise creates on first open.
  EXPECT_TRUE(engine.tableExists(u"Impfung"_qs));
  EXPECT_GT(countRows(engine, u"Impfung"_qs), 0);
}

TEST_F(InstallerTest, ForceKeepsEveryOldStockUnderItsOwnDatedNameButNotAnEmptyFolder) {
  QDir().mkpath(dataDir());  // an empty data folder is simply replaced
  InstallOptions o = options();
  o.force = true;
  InstallResult r = installer::install(o);
  ASSERT_EQ(r.exitCode, installer::kExitOk) << r.message.toStdString();
  EXPECT_TRUE(r.movedAside.isEmpty());
  EXPECT_FALSE(r.message.contains(u"verschoben"_qs));
  EXPECT_TRUE(QDir(tmp.file(u"programm/Datensik"_qs)).isEmpty());

  // Two forced runs within the same second still keep two separate copies.
  const InstallResult first = installer::install(o);
  const InstallResult second = installer::install(o);
  ASSERT_EQ(second.exitCode, installer::kExitOk);
  EXPECT_NE(first.movedAside, second.movedAside);
  EXPECT_EQ(QDir(tmp.file(u"programm/Datensik"_qs)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
  EXPECT_EQ(installer::datedAsideName(u"/x/Datensik"_qs, QDateTime(QDate(2026, 12, 10), QTime(7, 5, 9))),
            u"/x/Datensik/daten-2026-12-10-070509"_qs);
}

// A process killed after the old data directory went into the safety directory and the new
// one took its place: the next run puts the old stock back before it does anything else.
TEST_F(InstallerTest, AKilledForcedRunGivesTheOldStockBackOnTheNextRun) {
  ASSERT_EQ(installer::install(options()).exitCode, installer::kExitOk);
  write(dataDir() + u"/Notiz.txt"_qs, "meine Daten");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstallOptions o = options();
    o.force = true;
    o.afterPlacing = [](const QString& placed) {
      if (placed == u"daten") ::_exit(9);
    };
    installer::install(o);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 9);
  EXPECT_FALSE(QFileInfo::exists(dataDir() + u"/Notiz.txt"_qs));  // the new one is in place

  // A run without --force refuses, but first undoes the interrupted one.
  EXPECT_EQ(installer::install(options()).exitCode, installer::kExitExists);
  EXPECT_EQ(read(dataDir() + u"/Notiz.txt"_qs), QByteArray("meine Daten"));
  EXPECT_TRUE(QDir(tmp.file(u"programm/Datensik"_qs)).isEmpty());
}

TEST_F(InstallerTest, MissingTablesAreNamedAndAddedWithTheirContentWithoutTouchingTheRest) {
  ASSERT_EQ(installer::install(options()).exitCode, installer::kExitOk);
  EXPECT_EQ(installer::missingTables(dataDir()), QStringList());
  const QByteArray animals = read(dataDir() + u"/Hasen.db"_qs);
  ASSERT_TRUE(QFile::remove(dataDir() + u"/Sprmel.db"_qs));
  ASSERT_TRUE(QFile::remove(dataDir() + u"/Rasse.db"_qs));
  ASSERT_TRUE(QFile::remove(dataDir() + u"/Wurfbuch.DB"_qs));
  const QStringList missing{u"Rasse.db"_qs, u"Sprmel.db"_qs, u"Wurfbuch.DB"_qs};
  EXPECT_EQ(installer::missingTables(dataDir()), missing);

  const installer::MissingTablesResult made = installer::addMissingTables(dataDir());
  ASSERT_TRUE(made.error.isEmpty()) << made.error.toStdString();
  EXPECT_EQ(made.created, missing);
  EXPECT_EQ(installer::missingTables(dataDir()), QStringList());
  EXPECT_EQ(read(dataDir() + u"/Hasen.db"_qs), animals);
  engine::Engine engine;
  engine.setAlias(u"Hase"_qs, dataDir());
  EXPECT_EQ(countRows(engine, u"Sprmel.db"_qs), static_cast<qint64>(installer::messageTexts().size()));
  EXPECT_GT(countRows(engine, u"Rasse"_qs), 0);
  EXPECT_EQ(countRows(engine, u"Wurfbuch.DB"_qs), 0);
  // Status was there: its rows are not added a second time, neither now nor on a second run.
  qint64 statusRows = 0;
  for (const installer::TableRows& rows : installer::lookupRows())
    if (rows.table == u"Status") statusRows = static_cast<qint64>(rows.rows.size());
  EXPECT_EQ(countRows(engine, u"Status"_qs), statusRows);
  EXPECT_TRUE(installer::addMissingTables(dataDir()).created.isEmpty());
  EXPECT_EQ(countRows(engine, u"Status"_qs), statusRows);
}

TEST_F(InstallerTest, FailureLeavesNoHalfWrittenDataDirectory) {
  // A directory where the settings file belongs makes the installation fail after the data
  // directory has been built.
  QDir().mkpath(settingsFile());
  InstallOptions o = options();
  o.force = true;
  o.demoAnimals = 30;
  const InstallResult r = installer::install(o);
  EXPECT_EQ(r.exitCode, installer::kExitFailed);
  EXPECT_TRUE(r.message.startsWith(u"Installation abgebrochen: "_qs)) << r.message.toStdString();
  EXPECT_FALSE(QFileInfo::exists(dataDir()));
  EXPECT_TRUE(programEntries().isEmpty()) << programEntries().join(u' ').toStdString();
}

TEST_F(InstallerTest, NegativeDemoSizeFails) {
  InstallOptions o = options();
  o.demoAnimals = -1;
  EXPECT_EQ(installer::install(o).exitCode, installer::kExitFailed);
  EXPECT_FALSE(QFileInfo::exists(dataDir()));
}

// The loader must store exactly what a cursor stores, so that bulk-loaded tables are
// indistinguishable from tables the program filled itself.
TEST(TableLoaderTest, StoresWhatACursorStores) {
  test::TempDir tmp;
  engine::Engine engine;
  engine.setAlias(u"Hase"_qs, tmp.path());
  engine::TableDef def;
  def.fields = {{u"Nr"_qs, engine::FieldType::AutoInc},
                {u"Text"_qs, engine::FieldType::Alpha, 5},
                {u"Tag"_qs, engine::FieldType::Date},
                {u"Betrag"_qs, engine::FieldType::Money},
                {u"Ja"_qs, engine::FieldType::Logical},
                {u"Zahl"_qs, engine::FieldType::Number},
                {u"Kurz"_qs, engine::FieldType::Short},
                {u"Notiz"_qs, engine::FieldType::Memo, 1},
                {u"Pflicht"_qs, engine::FieldType::Alpha, 10, true}};
  def.indexes = {engine::IndexDef::primaryKey(u"Nr"_qs)};
  engine.createTable(u"ViaCursor"_qs, def);
  engine.createTable(u"ViaLoader"_qs, def);

  const QVariantMap row{{u"Text"_qs, u"Zu langer Text"_qs},
                        {u"Tag"_qs, QDate(2024, 3, 14)},
                        {u"Betrag"_qs, QVariant::fromValue(engine::Money::fromUnits(125000))},
                        {u"Ja"_qs, true},
                        {u"Zahl"_qs, 19.5},
                        {u"Kurz"_qs, 7},
                        {u"Notiz"_qs, QString()},
                        {u"Pflicht"_qs, u"x"_qs}};
  {
    engine::Cursor c(engine);
    c.setTableName(u"ViaCursor"_qs);
    c.open();
    for (int i = 0; i < 2; ++i) {
      c.append();
      for (auto it = row.cbegin(); it != row.cend(); ++it) c.field(it.key()).setValue(it.value());
      c.post();
    }
  }
  {
    installer::TableLoader loader(engine, u"ViaLoader"_qs);
    EXPECT_EQ(loader.insert(row), 1);
    EXPECT_EQ(loader.insert(row), 2);
    loader.commit();
  }
  auto dump = [&](const QString& file) {
    QStringList out;
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(tmp.file(file)).constData(), &db);
    const QString base = QFileInfo(file).completeBaseName();
    engine::Statement st(
        db, QStringLiteral("SELECT quote(Nr), quote(Text), quote(Tag), quote(Betrag), quote(Ja), "
                           "quote(Zahl), quote(Kurz), quote(Notiz), quote(Pflicht) FROM \"%1\"")
                .arg(base));
    while (st.step())
      for (int i = 0; i < st.columnCount(); ++i) out << st.column(i).toString();
    st = engine::Statement();
    sqlite3_close(db);
    return out;
  };
  const QStringList viaCursor = dump(u"ViaCursor.db"_qs);
  EXPECT_EQ(dump(u"ViaLoader.db"_qs), viaCursor);
  EXPECT_EQ(viaCursor.mid(0, 9), (QStringList{u"1"_qs, u"'Zu la'"_qs, u"'2024-03-14'"_qs, u"125000"_qs,
                                              u"1"_qs, u"19.5"_qs, u"7"_qs, u"NULL"_qs, u"'x'"_qs}));
}

TEST(TableLoaderTest, RefusesAnEmptyRequiredFieldAndRollsBackWithoutCommit) {
  test::TempDir tmp;
  engine::Engine engine;
  engine.setAlias(u"Hase"_qs, tmp.path());
  const store::CatalogueTable* buchung = store::findTable(u"BUCHUNG"_qs);
  ASSERT_NE(buchung, nullptr);
  engine.createTable(buchung->fileName, store::currentLayout(*buchung));
  {
    installer::TableLoader loader(engine, u"BUCHUNG"_qs);
    loader.insert(QVariantMap{{u"Buchungsdatum"_qs, QDate(2025, 1, 2)},
                              {u"Kategorie"_qs, u"Futter"_qs},
                              {u"Betrag"_qs, QVariant::fromValue(engine::Money::fromUnits(-500000))}});
    try {
      loader.insert(QVariantMap{{u"Buchungsdatum"_qs, QDate(2025, 1, 2)}, {u"Kategorie"_qs, u"Futter"_qs}});
      ADD_FAILURE() << "a booking without amount was stored";
    } catch (const engine::EngineError& e) {
      EXPECT_EQ(e.kind(), engine::EngineError::Kind::RequiredField);
      EXPECT_EQ(e.detail(), u"Betrag"_qs);
    }
    // No commit: the first booking is rolled back as well.
  }
  EXPECT_EQ(countRows(engine, u"BUCHUNG"_qs), 0);
}

}  // namespace

namespace {

QStringList hiddenOrAll(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A disk that fills up while the help pages are written: the installation fails, says why,
// and leaves neither a data directory nor settings files nor hidden build directories.
TEST_F(InstallerTest, AFullDiskFailsTheInstallationAndLeavesNothingBehind) {
  int writes = 0;
  core::setWriteFaultForTesting([&writes](core::WriteStep s) {
    return s == core::WriteStep::Sync && ++writes == 3 ? ENOSPC : 0;
  });
  const InstallResult r = installer::install(options());
  core::setWriteFaultForTesting(nullptr);
  EXPECT_EQ(r.exitCode, installer::kExitFailed);
  EXPECT_TRUE(r.message.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << r.message.toStdString();
  EXPECT_TRUE(programEntries().isEmpty()) << programEntries().join(u' ').toStdString();
  EXPECT_TRUE(hiddenOrAll(tmp.file(u"config"_qs)).isEmpty());
}

// The same when the flush of the staged settings file fails: an earlier installation that
// --force was to replace stays complete and as it was.
TEST_F(InstallerTest, AFailedSettingsWriteUnderForceKeepsTheOldInstallation) {
  ASSERT_EQ(installer::install(options()).exitCode, installer::kExitOk);
  write(dataDir() + u"/Notiz.txt"_qs, "meine Daten");
  const QByteArray ini = read(settingsFile());
  const int helpPages = static_cast<int>(installer::helpPages().size());
  int writes = 0;
  core::setWriteFaultForTesting([&](core::WriteStep s) {
    return s == core::WriteStep::Sync && ++writes == helpPages + 1 ? ENOSPC : 0;
  });
  InstallOptions o = options();
  o.force = true;
  const InstallResult r = installer::install(o);
  core::setWriteFaultForTesting(nullptr);
  EXPECT_EQ(r.exitCode, installer::kExitFailed);
  EXPECT_EQ(read(dataDir() + u"/Notiz.txt"_qs), QByteArray("meine Daten"));
  EXPECT_EQ(read(settingsFile()), ini);
  EXPECT_EQ(programEntries(), (QStringList{u"Datensik"_qs, u"Help"_qs, u"daten"_qs}));
  EXPECT_EQ(hiddenOrAll(tmp.file(u"config"_qs)), (QStringList{u"LapiroMan.ini"_qs, u"XVUPD.ini"_qs}));
}

// A process killed between placing the data directory and the settings files: the next run
// undoes the interrupted one, installs, and no hidden leftovers remain.
TEST_F(InstallerTest, ARunAfterAKilledInstallationCleansUpAndInstalls) {
  for (const QString& killedAfter : {u"Help"_qs, u"daten"_qs, u"XVUPD.ini"_qs}) {
    SCOPED_TRACE(killedAfter.toStdString());
    QDir(tmp.file(u"programm"_qs)).removeRecursively();
    QDir(tmp.file(u"config"_qs)).removeRecursively();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      InstallOptions o = options();
      o.afterPlacing = [&killedAfter](const QString& placed) {
        if (placed == killedAfter) ::_exit(9);
      };
      installer::install(o);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 9);
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));

    const InstallResult r = installer::install(options());
    EXPECT_EQ(r.exitCode, installer::kExitOk) << r.message.toStdString();
    EXPECT_EQ(programEntries(), (QStringList{u"Datensik"_qs, u"Help"_qs, u"daten"_qs}));
    EXPECT_EQ(hiddenOrAll(tmp.file(u"config"_qs)), (QStringList{u"LapiroMan.ini"_qs, u"XVUPD.ini"_qs}));
    EXPECT_TRUE(shell::ProfileFile(settingsFile()).hasKey(u"System"_qs, u"Speichern"_qs));
  }
}

}  // namespace
