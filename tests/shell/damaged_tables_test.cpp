// Start-up and closing with one damaged table file at a time, as a disk fault or an aborted
// copy leaves it: the program says which table is damaged and what to do, starts without that
// table, and closes asking its question as always. No engine failure escapes.
#include "shell/ui/main_window.h"

#include "engine/engine.h"
#include "shell/paths.h"
#include "shell/shell_install.h"
#include "shell/startup.h"
#include "store/data_module.h"
#include "store/guarded.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

// Fills the litter book with enough litters that it spans many pages, as a used stock's does.
void fillLitterBook(const QString& dataDir) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(QDir(dataDir).filePath(QStringLiteral("Wurfbuch.DB"))).constData(), &db),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                         "INSERT INTO Wurfbuch(Katze, Kater, Decktermin, Wurftag, Bemerkung) "
                         "SELECT 2, 1, '2025-01-01', '2025-02-01', printf('Wurf %d, gut gelungen, alle gesund', i) FROM n",
                         nullptr, nullptr, nullptr),
            SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}

// Overwrites the file from its second page on (its first holds the layout, so the table still
// opens) with garbage, the way the reported Wurfbuch.DB was damaged; or, with `layout`, the
// middle of the first page, so the table cannot even be opened.
void damage(const QString& path, bool layout) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QByteArray header = file.read(100);
  ASSERT_GE(header.size(), 18);
  int pageSize = (quint8(header[16]) << 8) | quint8(header[17]);
  if (pageSize == 1) pageSize = 65536;
  const qint64 at = layout ? pageSize / 2 : pageSize;
  const qint64 length = layout ? pageSize / 4 : std::max<qint64>(pageSize / 2, (file.size() - pageSize) / 2);
  ASSERT_TRUE(file.seek(at));
  file.write(QByteArray(static_cast<int>(length), '\xA5'));
}

class DamagedTable : public ::testing::TestWithParam<bool> {
 protected:
  DamagedTable() : install_({.animals = ShellInstall::sampleAnimals()}) {}
  void SetUp() override { fillLitterBook(shell::paths::dataDir()); }

  ShellInstall install_;
};

TEST_P(DamagedTable, EveryTableInTurnIsNamedAndTheProgramStartsAndClosesWithoutIt) {
  const bool layout = GetParam();
  const QDir data(shell::paths::dataDir());
  const QStringList tables = data.entryList({QStringLiteral("*.db"), QStringLiteral("*.DB")}, QDir::Files);
  ASSERT_GT(tables.size(), 20);
  for (const QString& table : tables) {
    SCOPED_TRACE(table.toStdString());
    const QString path = data.filePath(table);
    const QString good = path + QStringLiteral(".gut");
    ASSERT_TRUE(QFile::copy(path, good));
    damage(path, layout);
    store::forgetReportedDamage();
    {
      ScriptedDialogs dialogs;
      shell::ShellSession session;
      bool started = false;
      ASSERT_NO_THROW({
        TFormLapiroManager window(session);
        started = window.startUp(QRect(0, 0, 1280, 1024));
        if (started) {
          session.createDataModule();
          window.createCard();
          window.applySettings();
          window.show();
          QApplication::processEvents();
          dialogs.yes();
          EXPECT_TRUE(window.close());
          EXPECT_TRUE(window.isHidden());
        }
      });
      // Only the own user data end the program, with their own message.
      if (!started) {
        EXPECT_EQ(table.toLower(), QStringLiteral("eigen.db")) << dialogs.texts().join(u'|').toStdString();
      }
      const QString base = QFileInfo(table).completeBaseName();
      QStringList texts = dialogs.texts();
      texts.removeAll(QStringLiteral("Möchten Sie Lapiro Manager jetzt beenden?"));
      const bool named = std::any_of(texts.begin(), texts.end(), [&](const QString& t) {
        return t.contains(base, Qt::CaseInsensitive) || t.contains(QStringLiteral("Sprachdaten")) ||
               t.contains(QStringLiteral("Anwenderdaten"));
      });
      // A table no start-up step reads stays silent until it is used.
      if (!texts.isEmpty()) {
        EXPECT_TRUE(named) << texts.join(u'|').toStdString();
      }
      // The reported case: the litter book's pages overwritten, read at start for the newest litter.
      if (!layout && started && table.compare(QStringLiteral("Wurfbuch.DB"), Qt::CaseInsensitive) == 0) {
        EXPECT_TRUE(named) << texts.join(u'|').toStdString();
        const bool pointsOn = std::any_of(texts.begin(), texts.end(), [](const QString& t) {
          return t.contains(QStringLiteral("Indexrekonstruktion")) || t.contains(QStringLiteral("kann nicht geöffnet"));
        });
        EXPECT_TRUE(pointsOn) << texts.join(u'|').toStdString();
      }
    }
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(good, path));
  }
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedTable, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "LayoutPage" : "DataPages");
                         });

TEST(DamagedMessageTable, ClosingStillAsksItsQuestion) {
  ShellInstall install({.animals = ShellInstall::sampleAnimals()});
  store::forgetReportedDamage();
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  TFormLapiroManager window(session);
  ASSERT_TRUE(window.startUp(QRect(0, 0, 1280, 1024)));
  session.createDataModule();
  window.createCard();
  window.applySettings();
  window.show();
  QApplication::processEvents();
  // The message table is damaged while the program runs (its pages overwritten).
  damage(QDir(shell::paths::dataDir()).filePath(QStringLiteral("Sprmel.db")), false);
  dialogs.clear();
  dialogs.yes();
  EXPECT_TRUE(window.close());
  const QStringList texts = dialogs.texts();
  EXPECT_TRUE(texts.contains(QStringLiteral("Möchten Sie Lapiro Manager jetzt beenden?"))) << texts.join(u'|').toStdString();
}

}  // namespace
}  // namespace lapiro::test
