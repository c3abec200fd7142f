// Translation of the program's SQL statements into SQLite statements.
//
// The program writes statements in an older desktop-database dialect that names tables by
// their FILE names ("Hasen.db", Hasen.db a, "adresse.db", Buchung.db B). Every table lives in
// a file of its own, so a statement over several tables must ATTACH those files to one
// connection and address each table as schema."Table". This unit does the pure text work:
// it tokenises the statement, resolves every table reference through a caller-supplied
// resolver, rewrites the references, lists the files to attach and the named parameters, and
// splits ALTER TABLE statements into single operations. It never opens a database; the
// engine executes the result.
#pragma once

#include "engine/types.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace lapiro::engine {

// A table found by the resolver.
struct ResolvedTable {
  QString filePath;   // the SQLite file that holds the table
  QString tableName;  // the name of the table inside that file (the file's base name)
  // Optional: the table's column names. When given for the tables of a multi-table SELECT,
  // an unqualified column that several of them carry is qualified with the first of them
  // (the older dialect accepted `Geburtstag` in a self-join of Hasen.db; SQLite reports it
  // as ambiguous). Leave empty when unknown; the statement is then passed on unchanged.
  QStringList columns;
};

// Resolves a table reference as written, without quotes: "Hasen.db", "Hasen", "adresse.db".
// Returns nullopt when there is no such table. Must not throw.
using TableResolver = std::function<std::optional<ResolvedTable>(const QString& tableRef)>;

// A file to ATTACH under `schema` before the translated statement runs.
struct AttachedFile {
  QString schema;    // "t0", "t1", ...
  QString filePath;
};

// One operation of an ALTER TABLE statement.
struct AlterOp {
  enum class Kind { Add, Drop } kind = Kind::Add;
  QString field;
  FieldType type = FieldType::Alpha;  // Add only
  int size = 0;                       // Add only: Alpha/Memo length as typeFromDeclared gives it
};

struct TranslatedSql {
  enum class Kind {
    Query,  // SELECT / VALUES / WITH ... SELECT: produces rows
    Alter,  // ALTER TABLE ... ADD/DROP: see alterTable and alterOps; `sql` is empty
    Other,  // INSERT, UPDATE, DELETE and anything else SQLite understands
  } kind = Kind::Other;
  QString sql;                       // Query/Other: the SQLite statement, table refs replaced
  std::vector<AttachedFile> attach;  // files to ATTACH, one schema per distinct file path
  QStringList parameters;            // named parameters (":Name"), first appearance order, no colon
  ResolvedTable alterTable;          // Alter: the table
  std::vector<AlterOp> alterOps;     // Alter: operations in statement order
};

// Translates one statement.
//
// Table references are the items of the comma-separated list after FROM, the table after
// JOIN, UPDATE and INTO: a name (identifier with an optional extension such as ".db", a
// double-quoted "file.db" or a [bracketed] name) with an optional alias (with or without AS).
// Each becomes `tN."Table" AS alias`; without an alias the alias is the reference's base name
// without extension, so qualifiers like `adresse.Name` keep working. The same file referenced
// twice is attached once. Names of common table expressions (WITH x AS (...)) are left alone.
// String literals, comments, parameters and every double-quoted token outside a table
// position are left exactly as written. Named parameters stay in the text (SQLite binds
// ":Name" itself) and are listed in `parameters`. A trailing ";" is dropped.
//
// Throws EngineError(Kind::BadStatement):
//   - "Tabelle nicht gefunden: <name>" (detail: the name) for a reference the resolver
//     does not know;
//   - "Fehler in der SQL-Anweisung an Position <n>: <reason>" (n counted from 1) for an
//     unterminated literal or comment, an unexpected character, unbalanced parentheses,
//     more than one statement, a missing table name, a malformed ALTER TABLE or an unknown
//     field type in it;
//   - when a statement needs more than 10 attached files (SQLite's limit).
// Never crashes on arbitrary input.
TranslatedSql translateSql(const QString& statement, const TableResolver& resolve);

// Returns `name`, or `name_1`, `name_2`, ... when `name` (compared without regard to case)
// is already in `used`, and appends the returned name to `used`. Names the columns of a
// result that several tables contribute to: b.TatoRechts and a.TatoRechts become TatoRechts
// and TatoRechts_1.
QString uniqueColumnName(const QString& name, QStringList& used);

}  // namespace lapiro::engine
