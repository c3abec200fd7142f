// The table engine: a data directory of tables, one SQLite file per table.
//
// A table is named by its file name; the extension ".db" may be left out and names are
// compared without regard to case, so "Hasen", "Hasen.db" and "HASEN.DB" open the same file.
// Inside the file the table carries the file's base name. Each post is one committed
// transaction with synchronous=FULL: nothing posted is lost when the process dies.
#pragma once

#include "engine/sql_translate.h"
#include "engine/sqlite_util.h"
#include "engine/types.h"

#include <QHash>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace lapiro::engine {

class Cursor;
class DataSet;
class Engine;

enum class OpenMode { Shared, Exclusive, ReadOnly };

class Table;

// A change written to a table file, as the engine's change observers hear of it. `rowid` is
// the record posted or deleted; it is -1 when the extent of the change is unknown (several
// records, or a change made through a connection of its own), and the observer must then
// treat the whole table as changed. `previousRowid` is the record's rowid before a post that
// moved it (a changed integer key), otherwise equal to `rowid`.
struct TableChange {
  Table* table = nullptr;
  qint64 rowid = -1;
  qint64 previousRowid = -1;
  bool deleted = false;
};

// One open table file, shared by every cursor on it within this process.
// Created and owned by the Engine; cursors hold it through shared_ptr.
class Table {
 public:
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const QString& path() const { return path_; }
  const QString& sqlName() const { return sqlName_; }  // quoted table name inside the file
  const TableDef& def() const { return def_; }
  sqlite3* db() const { return db_; }
  StatementCache& statements() { return *cache_; }
  bool exclusive() const { return exclusive_; }
  bool readOnly() const { return readOnly_; }

  // Name of the field that is SQLite's rowid (an AutoInc or Long sole primary key), or empty.
  const QString& rowidField() const { return rowidField_; }

  // The cursors that have this table open, in the order they opened it.
  const std::vector<Cursor*>& cursors() const { return cursors_; }

  // Incremented on every change written through any cursor of this process.
  quint64 version() const { return version_; }

  // Cursors register to hear of changes other cursors make.
  void attach(Cursor* cursor);
  void detach(Cursor* cursor);
  // Tells the other cursors and the engine's change observers of a change. `rowid` (with
  // `previousRowid` and `deleted`) names the single record changed; -1 means unknown extent.
  void notifyChanged(Cursor* origin, qint64 rowid = -1, qint64 previousRowid = -1, bool deleted = false);

  // The file's base name, the table's name inside the file (e.g. "Hasen").
  const QString& baseName() const { return baseName_; }

  // Reloads the field and index definitions after a structure change.
  void reloadDefinition();

 private:
  friend class Engine;
  Table() = default;

  QString path_;
  QString sqlName_;
  QString baseName_;
  Engine* engine_ = nullptr;
  TableDef def_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<StatementCache> cache_;
  int lockFd_ = -1;
  bool exclusive_ = false;
  bool readOnly_ = false;
  QString rowidField_;
  quint64 version_ = 0;
  std::vector<Cursor*> cursors_;
};

class Engine {
 public:
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The alias under which the program reaches its data directory.
  static constexpr const char16_t* kDefaultAlias = u"Hase";

  // Registers a directory under an alias. Tables named without a directory resolve in the
  // directory of alias "Hase".
  void setAlias(const QString& alias, const QString& directory);
  QString aliasDirectory(const QString& alias = QString::fromUtf16(kDefaultAlias)) const;

  // Accepted for compatibility with older set-up code and ignored: this engine needs neither
  // a private nor a shared control directory, and its tables carry no password.
  void setPrivateDirectory(const QString&) {}
  void setControlDirectory(const QString&) {}
  void addPassword(const QString&) {}

  // Resolves a table name to a file path. A name with a directory part is taken relative to
  // the current directory (used for tables saved anywhere, e.g. show entries). Otherwise the
  // data directory is searched without regard to case, ".db" added when the name has no
  // extension. When no file exists the path of the file that would be created is returned.
  QString resolve(const QString& tableName) const;
  bool tableExists(const QString& tableName) const;

  // Creates a table file with the given layout (def.name is ignored: the table inside the
  // file takes the file's base name). Throws EngineError when the file already exists.
  void createTable(const QString& tableName, const TableDef& def);
  // Deletes the table file. Throws EngineError(Locked) while any cursor has it open or
  // another process holds it.
  void deleteTable(const QString& tableName);
  // Reads the layout of a table file. Throws TableMissing / TableDamaged.
  TableDef tableDef(const QString& tableName);

  // Index maintenance. The table must not be held by another process; cursors of this process
  // that have it open see the change at once.
  void addIndex(const QString& tableName, const IndexDef& index);
  void deleteIndex(const QString& tableName, const QString& indexName);
  std::vector<IndexDef> indexes(const QString& tableName);
  // Rebuilds every index of the table (the primary key included) from the stored records.
  // Needs the table to itself: fails with Locked while it is open anywhere.
  void reindex(const QString& tableName);

  // Rebuilds the indexes of a table in one transaction on a connection of its own: drops every
  // secondary index (also those `indexes` does not name), rebuilds the primary key's index
  // from the records when `reindexPrimary`, then creates the secondary indexes of `indexes`
  // in their order (primary entries are skipped). `step` is called after each index created.
  // Needs the table to itself: throws EngineError(Locked) while any cursor or lookup of this
  // process has it open or another process holds it; any failure rolls everything back, so
  // the table keeps its indexes as they were.
  void rebuildIndexes(const QString& tableName, const std::vector<IndexDef>& indexes, bool reindexPrimary,
                      const std::function<void()>& step = {});

  // The cursors of this process that have the table open, in the order they opened it.
  std::vector<Cursor*> cursorsOn(const QString& tableName) const;
  // Makes every lookup field of this process let go of the table (they take it again on
  // their next fetch). Returns how many data sets held it.
  int releaseLookups(const QString& tableName);

  // Adds or drops fields. Dropping a field first drops the indexes that use it. The table
  // must not be open in this process and not be held by another process.
  void addField(const QString& tableName, const FieldDef& field);
  void dropField(const QString& tableName, const QString& fieldName);

  // Opens (or shares) the table. Exclusive fails with Locked when the table is open anywhere
  // else; Shared fails with Locked while another process holds it exclusively.
  std::shared_ptr<Table> acquire(const QString& tableName, OpenMode mode);
  // True while some cursor of this process has the table open.
  bool isOpen(const QString& tableName) const;
  // Tells the cursors of this process that the table file was changed through a connection
  // of its own (a transaction over several files): they read anew on their next fetch.
  void tableChangedOutside(const QString& tableName);

  // Change observers hear of every change written through any table of this engine (each
  // post and delete with its record, anything else with unknown extent), after it is
  // committed. An observer must not throw; it may read the table through table->db().
  using ChangeObserver = std::function<void(const TableChange&)>;
  int addChangeObserver(ChangeObserver observer);
  void removeChangeObserver(int id);

  // Runs statements in the program's SQL dialect: table file names as table names, several
  // ADDs in one ALTER TABLE, named parameters ":Name". Non-query statements only; queries
  // go through the Query cursor.
  void execute(const QString& statement, const QVariantMap& params = {});

  // Resolves a table reference of an SQL statement (file path, name inside, field names).
  std::optional<ResolvedTable> resolveForSql(const QString& tableRef);

  // Connection for cross-table statements; files are attached on demand.
  sqlite3* queryConnection();
  // Attaches files to the query connection under the given schema names (kept attached
  // while the next statement uses the same files).
  void attachFiles(const std::vector<std::pair<QString, QString>>& files);

 private:
  friend class Table;
  friend class DataSet;
  void registerDataSet(DataSet* dataSet) { dataSets_.push_back(dataSet); }
  void unregisterDataSet(DataSet* dataSet) { std::erase(dataSets_, dataSet); }
  void release(Table* table);
  std::shared_ptr<Table> openFile(const QString& path, OpenMode mode);
  void detachAll();
  // Runs a structure change on the table file with its current layout.
  void changeStructure(const QString& tableName, bool requireClosed,
                       const std::function<void(sqlite3*, const QString&, const TableDef&)>& change);

  QHash<QString, QString> aliases_;  // upper-case alias -> directory
  std::map<QString, std::weak_ptr<Table>> open_;  // canonical path -> table
  sqlite3* queryDb_ = nullptr;
  std::map<QString, QString> attached_;  // path -> schema
  std::vector<DataSet*> dataSets_;       // every data set alive, for releaseLookups()
  std::map<int, ChangeObserver> observers_;
  int nextObserver_ = 1;
};

// Applies the engine's standard pragmas to a fresh connection (write-through, no WAL).
void configureConnection(sqlite3* db);

}  // namespace lapiro::engine
