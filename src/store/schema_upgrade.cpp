#include "store/schema_upgrade.h"

#include "store/guarded.h"

#include "engine/sqlite_util.h"
#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <fcntl.h>
#include <algorithm>
#include <limits>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace lapiro::store {

using engine::EngineError;

namespace {

// Opens the cursor and tells whether it is open afterwards. A rule that aborts after the
// table was opened leaves the cursor open, which counts as success.
// A cursor whose opening failed half-way (the file opened, its first rows could not be read)
// is closed again: nothing may read a damaged table as if it were open.
void closeQuietly(engine::Cursor& cursor) {
  if (!cursor.isOpen()) return;
  try {
    cursor.close();
  } catch (const EngineError&) {
  } catch (const engine::Abort&) {
  }
}

bool tryOpen(engine::Cursor& cursor, EngineError::Kind* failure = nullptr, QString* failedTable = nullptr) {
  try {
    cursor.open();
  } catch (const EngineError& e) {
    if (failure) *failure = e.kind();
    if (failedTable) *failedTable = failedTableName(e, QString());
    closeQuietly(cursor);
  } catch (const engine::Abort&) {
    if (failure) *failure = EngineError::Kind::General;
    closeQuietly(cursor);
  }
  return cursor.isOpen();
}

QStringList splitFields(const QString& fieldList) {
  QStringList out;
  for (const QString& f : fieldList.split(u';', Qt::SkipEmptyParts)) out << f.trimmed();
  return out;
}

// The index to add for `indexName`: the catalogue's definition when the table has one of that
// name, otherwise an ascending index without options over `fieldList`.
engine::IndexDef wantedIndexDef(const QString& tableName, const QString& indexName, const QString& fieldList) {
  if (const CatalogueTable* t = findTable(QFileInfo(tableName).fileName()))
    if (const engine::IndexDef* known = t->def.index(indexName))
      if (!known->primary) return *known;
  return engine::IndexDef::fromList(indexName, splitFields(fieldList).join(u';'));
}

[[noreturn]] void throwLocked(const QString& fileName) {
  throw EngineError(EngineError::Kind::Locked,
                    QStringLiteral("Die Tabelle %1 ist in Gebrauch und kann nicht exklusiv geöffnet werden.")
                        .arg(fileName),
                    fileName);
}

// Holds an exclusive flock() on a table file, as the engine does for structure changes, so
// no other process opens the table while it is rebuilt.
class ExclusiveFileLock {
 public:
  explicit ExclusiveFileLock(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~ExclusiveFileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

class Connection {
 public:
  explicit Connection(const QString& path) {
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_close(db_);
      db_ = nullptr;
      throw EngineError(EngineError::Kind::TableDamaged,
                        QStringLiteral("Die Tabelle %1 kann nicht geöffnet werden.").arg(QFileInfo(path).fileName()),
                        QFileInfo(path).fileName());
    }
    engine::configureConnection(db_);
  }
  ~Connection() {
    if (db_) sqlite3_close_v2(db_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  sqlite3* db() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// The stored name of a column, found without regard to case; empty when there is none.
QString storedColumn(sqlite3* db, const QString& table, const QString& wanted) {
  engine::Statement st(db, QStringLiteral("PRAGMA table_info(%1)").arg(engine::quoteIdent(table)));
  while (st.step()) {
    const QString name = st.column(1).toString();
    if (engine::sameName(name, wanted)) return name;
  }
  return {};
}

// A whole number fit for a Long field, or nothing.
std::optional<qlonglong> wholeNumber(const QString& text) {
  bool ok = false;
  const qlonglong v = text.toLongLong(&ok, 10);
  if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max()) return std::nullopt;
  return v;
}

}  // namespace

namespace {

// The tables named in the active OpenFailureNaming scope, null outside any.
QSet<QString>* namedTables = nullptr;

}  // namespace

OpenFailureNaming::OpenFailureNaming() : owner_(namedTables == nullptr) {
  if (owner_) namedTables = new QSet<QString>;
}

OpenFailureNaming::~OpenFailureNaming() {
  if (!owner_) return;
  delete namedTables;
  namedTables = nullptr;
}

void reportOpenFailure(const QString& tableName) {
  if (namedTables) {
    const QString key = tableName.toLower();
    if (namedTables->contains(key)) return;
    namedTables->insert(key);
  }
  dialogs().error(messageText(11) + u' ' + tableName);
}

QString failedTableName(const EngineError& e, const QString& fallback) {
  const bool fileFailed =
      e.kind() == EngineError::Kind::TableDamaged || e.kind() == EngineError::Kind::TableMissing;
  if (!fileFailed || e.detail().isEmpty()) return fallback;
  return QFileInfo(e.detail()).completeBaseName();
}

bool openPlain(engine::Cursor& cursor, const QString& tableName) {
  QString failed;
  if (tryOpen(cursor, nullptr, &failed)) return true;
  reportOpenFailure(failed.isEmpty() ? tableName : failed);
  return false;
}

bool openWithRepair(engine::Engine& engine, engine::Cursor& cursor, const std::vector<RepairCheck>& checks,
                    const QString& tableName, RepairTrigger trigger) {
  EngineError::Kind failure = EngineError::Kind::General;
  QString failed;
  if (tryOpen(cursor, &failure, &failed)) return true;

  bool repaired = false;
  if (trigger == RepairTrigger::AnyFailure || failure == EngineError::Kind::FieldMissing) {
    try {
      const engine::TableDef stored = engine.tableDef(cursor.tableName());
      for (const RepairCheck& check : checks) {
        if (stored.field(check.field)) continue;
        try {
          engine.execute(check.statement);
          repaired = true;
        } catch (const EngineError&) {
          // The second opening fails and reports the table.
        }
      }
    } catch (const EngineError&) {
      // The stored table cannot be read: nothing to repair.
    }
  }
  if (repaired && tryOpen(cursor, nullptr, &failed)) return true;
  reportOpenFailure(failed.isEmpty() ? tableName : failed);
  return false;
}

bool hasIndexOn(const std::vector<engine::IndexDef>& indexes, const QString& fieldList) {
  const QString wanted = splitFields(fieldList).join(u';');
  for (const engine::IndexDef& index : indexes)
    if (engine::sameName(index.fieldNames().join(u';'), wanted)) return true;
  return false;
}

EnsureResult ensureIndex(engine::Engine& engine, engine::Cursor& cursor, const QString& indexName,
                         const QString& fieldList, const QString& tableName) {
  try {
    if (hasIndexOn(engine.indexes(cursor.tableName()), fieldList)) return EnsureResult::Present;
    // The engine adds an index beside open cursors; they keep their current record.
    engine.addIndex(cursor.tableName(), wantedIndexDef(cursor.tableName(), indexName, fieldList));
    return EnsureResult::Added;
  } catch (const EngineError&) {
    reportOpenFailure(tableName);
    return EnsureResult::Failed;
  }
}

void upgradeGermanOrder(engine::Engine& engine, const QString& tableName) {
  const CatalogueTable* table = findTable(tableName);
  if (!table) return;
  try {
    const std::vector<engine::IndexDef> stored = engine.indexes(table->fileName);
    for (const engine::IndexDef& wanted : table->def.indexes) {
      if (wanted.primary) continue;
      const auto german = [](const engine::IndexDef& index) {
        QStringList names;
        for (const auto& f : index.fields)
          if (f.german) names << f.name.toLower();
        return names;
      };
      const QStringList wantedGerman = german(wanted);
      if (wantedGerman.isEmpty()) continue;
      const auto found = std::find_if(stored.begin(), stored.end(), [&](const engine::IndexDef& index) {
        return engine::sameName(index.name, wanted.name);
      });
      if (found == stored.end() || german(*found) == wantedGerman) continue;
      engine.deleteIndex(table->fileName, wanted.name);
      engine.addIndex(table->fileName, wanted);
    }
  } catch (const EngineError&) {
    // The table works on in its former order; the next start tries again.
  }
}

bool ensureIndexes(engine::Engine& engine, engine::Cursor& cursor, const std::vector<WantedIndex>& wanted,
                   const QString& tableName) {
  for (const WantedIndex& w : wanted)
    if (ensureIndex(engine, cursor, w.name, w.fields, tableName) == EnsureResult::Failed) return false;
  return true;
}

namespace {

bool createTableWhenMissing(engine::Engine& engine, const QString& tableName) {
  if (engine.tableExists(tableName)) return false;
  const CatalogueTable* table = findTable(QFileInfo(tableName).fileName());
  if (!table) return false;
  try {
    engine.createTable(tableName, currentLayout(*table));
    return true;
  } catch (const EngineError&) {
    return false;
  }
}

}  // namespace

bool createWhenMissing(engine::Engine& engine, const engine::Cursor& cursor) {
  return createTableWhenMissing(engine, cursor.tableName());
}

bool hutchNumberIsText(engine::Engine& engine, const QString& tableName) {
  const engine::TableDef stored = engine.tableDef(tableName);
  const engine::FieldDef* field = stored.field(QStringLiteral("Stallnummer"));
  return field && field->type == engine::FieldType::Alpha;
}

HutchNumberConversion convertHutchNumbers(engine::Engine& engine, const QString& tableName) {
  const QString path = engine.resolve(tableName);
  const QString fileName = QFileInfo(path).fileName();
  if (!QFileInfo::exists(path))
    throw EngineError(EngineError::Kind::TableMissing, QStringLiteral("Die Tabelle %1 existiert nicht.").arg(fileName),
                      fileName);
  if (engine.isOpen(tableName)) throwLocked(fileName);
  ExclusiveFileLock lock(path);
  if (!lock.held()) throwLocked(fileName);

  Connection connection(path);
  sqlite3* db = connection.db();
  const QString base = QFileInfo(path).completeBaseName();
  const QString table = engine::quoteIdent(base);

  HutchNumberConversion result;
  engine::execSql(db, QStringLiteral("BEGIN IMMEDIATE"));
  try {
    const QString stall = storedColumn(db, base, QStringLiteral("Stallnummer"));
    const QString info = storedColumn(db, base, QStringLiteral("Info"));
    if (stall.isEmpty())
      throw EngineError(EngineError::Kind::FieldMissing,
                        QStringLiteral("Das Feld Stallnummer fehlt in der Tabelle %1.").arg(fileName),
                        QStringLiteral("Stallnummer"));
    if (info.isEmpty())
      throw EngineError(EngineError::Kind::FieldMissing,
                        QStringLiteral("Das Feld Info fehlt in der Tabelle %1.").arg(fileName), QStringLiteral("Info"));

    // Indexes over the hutch number must go while the column is replaced; they come back
    // unchanged from their stored definitions.
    QStringList indexSql;
    {
      std::vector<std::pair<QString, QString>> all;
      {
        engine::Statement list(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' "
                                                  "AND tbl_name = ? AND sql IS NOT NULL"));
        list.bind(1, base);
        while (list.step()) all.emplace_back(list.column(0).toString(), list.column(1).toString());
      }
      for (const auto& [name, sql] : all) {
        engine::Statement cols(db, QStringLiteral("PRAGMA index_info(%1)").arg(engine::quoteIdent(name)));
        bool usesStall = false;
        while (cols.step()) usesStall = usesStall || engine::sameName(cols.column(2).toString(), stall);
        if (!usesStall) continue;
        indexSql << sql;
        engine::execSql(db, QStringLiteral("DROP INDEX %1").arg(engine::quoteIdent(name)));
      }
    }

    QString temp = QStringLiteral("Stallnummer_neu");
    while (!storedColumn(db, base, temp).isEmpty()) temp += u'_';
    engine::execSql(db, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                            .arg(table, engine::quoteIdent(temp), engine::declaredType(engine::FieldType::Long, 0)));

    struct Change {
      qlonglong rowid;
      QVariant number;
      QVariant info;
    };
    std::vector<Change> changes;
    {
      engine::Statement rows(db, QStringLiteral("SELECT rowid, %1, %2 FROM %3")
                                     .arg(engine::quoteIdent(stall), engine::quoteIdent(info), table));
      while (rows.step()) {
        const QVariant old = rows.column(1);
        if (old.isNull()) continue;
        const QString text = old.toString().trimmed();
        if (text.isEmpty()) continue;
        Change change{rows.column(0).toLongLong(), {}, rows.column(2)};
        if (const auto n = wholeNumber(text)) {
          change.number = *n;
          ++result.kept;
        } else {
          QString memo = change.info.isNull() ? QString() : change.info.toString();
          if (!memo.isEmpty() && !memo.endsWith(u'\n')) memo += u'\n';
          memo += QStringLiteral("Stallnummer: ") + text;
          change.info = memo;
          ++result.moved;
        }
        changes.push_back(std::move(change));
      }
    }
    engine::Statement update(db, QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ? WHERE rowid = ?")
                                     .arg(table, engine::quoteIdent(temp), engine::quoteIdent(info)));
    for (const Change& c : changes) {
      update.bind(1, c.number);
      update.bind(2, c.info);
      update.bind(3, c.rowid);
      update.step();
      update.reset();
    }

    engine::execSql(db, QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(table, engine::quoteIdent(stall)));
    engine::execSql(db, QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3")
                            .arg(table, engine::quoteIdent(temp), engine::quoteIdent(stall)));
    for (const QString& sql : indexSql) engine::execSql(db, sql);
    engine::execSql(db, QStringLiteral("COMMIT"));
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  return result;
}

// ---------------------------------------------------------------- the start-up sequences

namespace {

// Runs the steps of one sequence and collects the cursors that stay closed.
class Steps {
 public:
  Steps(engine::Engine& engine, CursorProvider& cursors) : engine_(engine), cursors_(cursors) {}

  engine::Engine& engine() { return engine_; }
  UpgradeResult& result() { return result_; }

  // The named cursor, or nullptr (then counted as closed).
  engine::Cursor* get(QStringView name) {
    engine::Cursor* c = cursors_.cursor(name.toString());
    if (!c) closed(name);
    return c;
  }
  void closed(QStringView name) { result_.closedCursors << name.toString(); }

  bool plain(QStringView name, const QString& tableName) {
    engine::Cursor* c = get(name);
    if (!c) return false;
    if (guard(name, [&] { return openPlain(*c, tableName); })) return true;
    closed(name);
    return false;
  }

  bool repair(QStringView name, const QString& tableName, const std::vector<RepairCheck>& checks,
              RepairTrigger trigger = RepairTrigger::MissingField) {
    engine::Cursor* c = get(name);
    if (!c) return false;
    if (guard(name, [&] { return openWithRepair(engine_, *c, checks, tableName, trigger); })) return true;
    closed(name);
    return false;
  }

  void indexes(QStringView name, const QString& tableName, const std::vector<WantedIndex>& wanted) {
    engine::Cursor* c = cursors_.cursor(name.toString());
    if (c && c->isOpen()) guard(name, [&] { return ensureIndexes(engine_, *c, wanted, tableName); });
  }

  void create(QStringView name) {
    if (engine::Cursor* c = cursors_.cursor(name.toString()))
      guard(name, [&] { return createWhenMissing(engine_, *c); });
  }

  // Runs one step on cursor `name`. A table that opened but fails when read is damaged: its
  // message (naming it, pointing to the index rebuild and the restore) is shown once, the
  // cursor is closed and the sequence goes on without it. Returns the step's result, false
  // after a failure.
  template <typename F>
  bool guard(QStringView name, F&& step) {
    try {
      return step();
    } catch (const engine::Abort&) {
    } catch (const EngineError& e) {
      showEngineError(e);
    }
    if (engine::Cursor* c = cursors_.cursor(name.toString()); c && c->isOpen()) {
      try {
        c->close();
      } catch (const EngineError&) {
      } catch (const engine::Abort&) {
      }
    }
    closed(name);
    return false;
  }

 private:
  engine::Engine& engine_;
  CursorProvider& cursors_;
  UpgradeResult result_;
};

QString q(const char16_t* text) { return QString::fromUtf16(text); }

}  // namespace

UpgradeResult upgradeMainWindowTables(engine::Engine& engine, CursorProvider& cursors) {
  const OpenFailureNaming naming;
  Steps s(engine, cursors);

  // 1. Breed list. The breed group index lies over the added field, so it comes with it.
  if (engine::Cursor* rasse = s.get(mainCursor::Rasse)) {
    const bool lacked = [&] {
      try {
        return !engine.tableDef(rasse->tableName()).field(QStringLiteral("Rassegruppe"));
      } catch (const EngineError&) {
        return false;
      }
    }();
    if (openWithRepair(engine, *rasse, {{q(u"Rassegruppe"), q(u"ALTER TABLE \"rasse.db\" ADD Rassegruppe CHAR(25)")}},
                       QStringLiteral("Rasse"))) {
      if (lacked) ensureIndex(engine, *rasse, QStringLiteral("GruppeRasse"), QStringLiteral("Rassegruppe;Name"),
                              QStringLiteral("Rasse"));
    } else {
      s.closed(mainCursor::Rasse);
    }
  }

  // 2. Status list.
  s.plain(mainCursor::Status, QStringLiteral("Status"));

  // 3. Own user data: the program cannot go on without it.
  if (engine::Cursor* eigen = s.get(mainCursor::Eigen)) {
    EngineError::Kind failure = EngineError::Kind::General;
    if (!tryOpen(*eigen, &failure)) {
      if (failure == EngineError::Kind::TableMissing || failure == EngineError::Kind::TableDamaged) {
        dialogs().error(messageText(6));
        s.closed(mainCursor::Eigen);
        s.result().endProgram = true;
        return s.result();
      }
      bool opened = false;
      try {
        if (!engine.tableDef(eigen->tableName()).field(QStringLiteral("Kreisverband"))) {
          engine.execute(q(u"ALTER TABLE \"eigen.db\" ADD Kreisverband CHAR(50), ADD Vereinsart CHAR(50)"));
          opened = tryOpen(*eigen);
        }
      } catch (const EngineError&) {
      }
      if (!opened) {
        dialogs().error(messageText(8));
        s.closed(mainCursor::Eigen);
        s.result().endProgram = true;
        return s.result();
      }
    }
  }

  // 4. Animal list. Older data hold the hutch number as text: it is converted to a number
  // keeping every value (non-numbers move to the Info memo). A missing hutch number field is
  // added empty.
  engine::Cursor* hasen = s.get(mainCursor::Hasen);
  if (!hasen) return s.result();
  bool converted = true;
  try {
    if (engine.tableExists(hasen->tableName()) && hutchNumberIsText(engine, hasen->tableName()))
      convertHutchNumbers(engine, hasen->tableName());
  } catch (const EngineError& e) {
    // A damaged table is reported by the opening below; anything else keeps the old layout.
    converted = e.kind() == EngineError::Kind::TableDamaged;
  }
  if (!converted) {
    reportOpenFailure(QStringLiteral("Hasen"));
    s.closed(mainCursor::Hasen);
    return s.result();
  }
  if (!openWithRepair(engine, *hasen,
                      {{q(u"Stallnummer"), q(u"ALTER TABLE \"Hasen.db\" ADD Stallnummer Integer")},
                       {q(u"Druckbild"), q(u"ALTER TABLE \"Hasen.db\" ADD Druckbild SMALLINT")},
                       {q(u"Genotyp"), q(u"ALTER TABLE \"Hasen.db\" ADD Genotyp CHAR(80)")}},
                      QStringLiteral("Hasen"))) {
    s.closed(mainCursor::Hasen);
    return s.result();
  }

  // 5. The indexes of the animal list's orders; the name order becomes the German one.
  s.guard(mainCursor::Hasen, [&] {
    upgradeGermanOrder(engine, QStringLiteral("Hasen.db"));
    return ensureIndexes(engine, *hasen, animalListIndexes(), QStringLiteral("Hasen"));
  });
  return s.result();
}

const std::vector<WantedIndex>& animalListIndexes() {
  static const std::vector<WantedIndex> wanted{
      {QStringLiteral("RasseFarbeTato"), QStringLiteral("Rasse;Farbe;TatoRechts;TatoLinks")},
      {QStringLiteral("TatoReGebTatoLi"), QStringLiteral("TatoRechts;Geburtstag;TatoLinks")},
      {QStringLiteral("StatusTatoReGebTatoLi"), QStringLiteral("Status;TatoRechts;Geburtstag;TatoLinks")},
      {QStringLiteral("idxMutterGebGeschlTato"), QStringLiteral("Mutter;Geburtstag;Geschlecht;TatoLinks")},
      {QStringLiteral("StatusNameRasse"), QStringLiteral("Status;IDCode;Rasse")},
  };
  return wanted;
}

UpgradeResult upgradeDataModuleTables(engine::Engine& engine, CursorProvider& cursors,
                                      const std::function<void()>& buildBreedNames) {
  const OpenFailureNaming naming;
  Steps s(engine, cursors);

  // 1.-4. Lookup lists, addresses and shows.
  s.repair(u"StbFarbe", QStringLiteral("Farbe"),
           {{q(u"Genotyp"), q(u"ALTER TABLE \"Farbe.db\" ADD Genotyp CHAR(80)")}});
  s.plain(u"StbRasse", QStringLiteral("Rasse"));
  s.repair(u"Adressen", QStringLiteral("Adresse"),
           {{q(u"HBNr"), q(u"ALTER TABLE \"adresse.db\" ADD HBNr CHAR(20)")}});
  s.guard(u"Adressen", [&] {
    upgradeGermanOrder(engine, QStringLiteral("Adresse.db"));
    return true;
  });
  s.repair(u"Ausstellung", QStringLiteral("Ausstellung"),
           {{q(u"BewertJungtier"), q(u"ALTER TABLE \"Ausstellung.db\" ADD BewertJungtier CHAR(3)")},
            {q(u"EigeneBewertung"), q(u"ALTER TABLE \"Ausstellung.db\" ADD EigeneBewertung FLOAT")}});
  s.plain(u"Ausstellungstitel", QStringLiteral("Ausstellungstitel"));
  s.plain(u"Farbe", QStringLiteral("Farbe"));
  s.plain(u"Rasse", QStringLiteral("Rasse"));

  // 5. The breed names for the litter book.
  if (buildBreedNames) buildBreedNames();

  // 6.-8.
  s.plain(u"Status", QStringLiteral("Status"));
  s.repair(u"Verkauft", QStringLiteral("VERKAUFT"),
           {{q(u"Gestorbenam"), q(u"ALTER TABLE \"Verkauft.db\" ADD Gestorbenam date")}});
  s.plain(u"Stammbaum", QStringLiteral("Hasen"));
  s.plain(u"StammbaumBewertung", QStringLiteral("Ausstellung"));

  // 9. Wool records: created when missing; any failure of the first opening lets the checks run.
  s.create(u"Angora");
  s.repair(u"Angora", QStringLiteral("Angora"),
           {{q(u"WRZInsgesamt"), q(u"ALTER TABLE \"Angora.db\" ADD  JWEInsgesamt INTEGER,ADD WRZInsgesamt INTEGER")},
            {q(u"Bewertung"), q(u"ALTER TABLE \"Angora.db\" ADD Bewertung float")}},
           RepairTrigger::AnyFailure);
  s.plain(u"AngoraEltern", QStringLiteral("Angora"));

  // 10. Health.
  s.repair(u"Medikament", QStringLiteral("APOTHEKE"),
           {{q(u"WiederholungMonate"), q(u"ALTER TABLE \"APOTHEKE.db\" ADD WiederholungMonate SMALLINT")}});
  s.plain(u"MedizienGaben", QStringLiteral("MedizienHase"));
  s.plain(u"Desinfektion", QStringLiteral("Desinfektion"));
  s.plain(u"Insekten", QStringLiteral("Insektenbek"));

  // 11. Animals and their family indexes.
  if (s.plain(u"Hasen", QStringLiteral("Hasen")))
    s.indexes(u"Hasen", QStringLiteral("Hasen"),
              {{q(u"RasseGebMutterTatoL"), q(u"Rasse;Geburtstag;Mutter;TatoLinks")},
               {q(u"VaterGebTatoRL"), q(u"Vater;Geburtstag;TatoRechts;TatoLinks")},
               {q(u"MutterGebTatoRL"), q(u"Mutter;Geburtstag;TatoRechts;TatoLinks")}});

  // 12.-13. Young animals and litters.
  s.plain(u"JungtiereBerechnung", QStringLiteral("Jungtiere"));
  s.plain(u"Jungtiere", QStringLiteral("Jungtiere"));
  s.plain(u"JungtiereWurfbuch", QStringLiteral("Hasen"));
  if (s.plain(u"Wurfbuch", QStringLiteral("Wurfbuch")))
    s.indexes(u"Wurfbuch", QStringLiteral("Wurfbuch"), {{q(u"KatzeKaterWurftag"), q(u"Katze;Kater;Wurftag")}});

  // 14. Weights: created when missing.
  s.create(u"Gewichtstabelle");
  s.plain(u"GewichtstabelleBerechnung", QStringLiteral("Gewichtstabelle"));
  s.plain(u"Gewichtstabelle", QStringLiteral("Gewichtstabelle"));

  // 15.-16.
  s.plain(u"Haesinausstellung", QStringLiteral("Ausstellung"));
  s.plain(u"RammlerJungtiere", QStringLiteral("Hasen"));
  s.plain(u"GedeckteHaesinnen", QStringLiteral("Wurfbuch"));
  s.repair(u"Koernote", QStringLiteral("Koernote"),
           {{q(u"Punkte5"), q(u"ALTER TABLE \"Koernote.db\" ADD Punkte5 SMALLINT,ADD Wollwert SMALLINT")},
            // The presented young's full scores; the 115-character fields cannot hold five.
            {q(u"BewertungText1"),
             q(u"ALTER TABLE \"Koernote.db\" ADD BewertungText1 TEXT(240),ADD BewertungText2 TEXT(240)")}});

  // 17. Vaccinations: created when missing.
  s.create(u"Impfung");
  s.plain(u"Impfung", QStringLiteral("Impfung"));

  // The breeding calendar's ticked and postponed tasks: created when missing. No cursor of the
  // data module reads it; a failure here is repeated when the calendar first stores a task.
  createTableWhenMissing(engine, QStringLiteral("Zuchtkalender.db"));

  // 18. Pictures.
  s.plain(u"Bilder", QStringLiteral("Bilder.db"));
  return s.result();
}

}  // namespace lapiro::store
