// SQLite failures reach the user in German: a full disk, a file that cannot be opened and a
// read-only table, each produced for real; SQLite's English text stays only as a detail line.
#include "engine/sqlite_errors.h"
#include "engine/sqlite_util.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include <sqlite3.h>

#include "store/guarded.h"
#include "support/faulty_vfs.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

using namespace lapiro;
using engine::EngineError;

namespace {

// The error a statement on `db` throws.
EngineError failureOf(sqlite3* db, const char* sql) {
  try {
    engine::execSql(db, QString::fromUtf8(sql));
  } catch (const EngineError& e) {
    return e;
  }
  ADD_FAILURE() << "no error: " << sql;
  return EngineError(EngineError::Kind::General, {});
}

}  // namespace

TEST(SqliteErrors, FullDiskCannotOpenAndReadOnlyAreGermanWithTheSqliteTextAsDetail) {
  test::TempDir dir;
  const QByteArray path = QFile::encodeName(dir.file(QStringLiteral("BUCHUNG.db")));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.constData(), &db), SQLITE_OK);
  sqlite3_extended_result_codes(db, 1);
  engine::execSql(db, QStringLiteral("CREATE TABLE t(x TEXT)"));
  // A page limit makes SQLite report the disk full.
  engine::execSql(db, QStringLiteral("PRAGMA max_page_count = 3"));
  const EngineError full = failureOf(db, "INSERT INTO t VALUES (zeroblob(100000))");
  const QStringList lines = full.message().split(u'\n');
  ASSERT_EQ(lines.size(), 2) << full.message().toStdString();
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Der Datenträger ist voll. Die Tabelle BUCHUNG.db"))) << lines[0].toStdString();
  EXPECT_FALSE(lines[0].contains(QStringLiteral("disk")));
  EXPECT_EQ(lines[1], QStringLiteral("Technische Angabe: database or disk is full"));
  sqlite3_close(db);

  ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  const EngineError readOnly = failureOf(db, "INSERT INTO t VALUES ('a')");
  EXPECT_EQ(readOnly.kind(), EngineError::Kind::ReadOnly);
  EXPECT_TRUE(readOnly.message().startsWith(QStringLiteral("Die Tabelle BUCHUNG.db ist schreibgeschützt")))
      << readOnly.message().toStdString();
  sqlite3_close(db);

  const QByteArray nowhere = QFile::encodeName(dir.file(QStringLiteral("fehlt/KONTEN.DB")));
  const int rc = sqlite3_open_v2(nowhere.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
  ASSERT_NE(rc, SQLITE_OK);
  try {
    engine::throwSqliteError(db, rc, QString::fromUtf8(nowhere));
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.message().startsWith(QStringLiteral("Die Tabelle KONTEN.DB kann nicht geöffnet werden."))) << e.message().toStdString();
    EXPECT_TRUE(e.message().endsWith(QStringLiteral("Technische Angabe: unable to open database file")));
  }
  sqlite3_close(db);

  // A disk that fails the write (EIO).
  {
    test::FaultyVfs failing(QStringLiteral("/BUCHUNG.db"), SQLITE_IOERR_WRITE);
    ASSERT_EQ(sqlite3_open(path.constData(), &db), SQLITE_OK);
    const EngineError io = failureOf(db, "INSERT INTO t VALUES ('a')");
    EXPECT_TRUE(io.message().startsWith(QStringLiteral("Fehler beim Schreiben oder Lesen auf dem Datenträger. Die Tabelle BUCHUNG.db")))
        << io.message().toStdString();
    EXPECT_TRUE(io.message().endsWith(QStringLiteral("\nTechnische Angabe: disk I/O error"))) << io.message().toStdString();
    sqlite3_close(db);
  }
  // Codes without a text of their own say "Datenbankfehler".
  EXPECT_EQ(engine::sqliteErrorMessage(SQLITE_MISMATCH, {}, QStringLiteral("datatype mismatch")),
            QStringLiteral("Datenbankfehler.\nTechnische Angabe: datatype mismatch"));
}

TEST(SqliteErrors, AMissingTableIsNamedInOneBoxPerUserAction) {
  test::ScriptedDialogs dialogs;
  store::forgetReportedDamage();
  const EngineError missing(EngineError::Kind::TableMissing, QStringLiteral("Die Tabelle KONTEN.DB existiert nicht."),
                            QStringLiteral("KONTEN.DB"));
  // One action opens two cursors on the missing table: one box.
  EXPECT_FALSE(store::guarded([&] { throw missing; }));
  EXPECT_FALSE(store::guarded([&] { throw missing; }));
  EXPECT_EQ(dialogs.texts(), QStringList{missing.message()});
  // The next action names it again.
  QCoreApplication::processEvents();
  store::showEngineError(missing);
  EXPECT_EQ(dialogs.shown().size(), 2u);
  store::forgetReportedDamage();
}
