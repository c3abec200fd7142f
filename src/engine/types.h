// Basic vocabulary of the table engine: field and index definitions, table layouts,
// money values and the engine's two exception types.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

namespace lapiro::engine {

// The field types a table can hold. Storage in SQLite (declared column type):
//   AutoInc  INTEGER PRIMARY KEY AUTOINCREMENT (or INTEGER plus engine numbering when it is
//            not the table's only key field)
//   Alpha n  VARCHAR(n)     text affinity, so "0012" stays text
//   Short    SMALLINT       Long  INTEGER       Number  FLOAT
//   Money    MONEY          integer units of 1/10000
//   Date     DATE           ISO text "yyyy-MM-dd", so dates sort chronologically
//   Logical  BOOLEAN        0 / 1
//   Memo n   TEXT(n)        text of any length
//   Graphic  BLOB           image bytes
// An empty value of any type is stored as NULL.
enum class FieldType { AutoInc, Alpha, Short, Long, Number, Money, Date, Logical, Memo, Graphic };

// German-independent type name for messages and debugging ("Alpha", "Long", ...).
QString fieldTypeName(FieldType type);

// Declared SQLite column type for a field type and size (see the table above).
QString declaredType(FieldType type, int size);

// Maps a declared column type back to an engine type. Accepts the canonical names above and
// the type names that older statements use in ALTER TABLE ("CHAR(25)", "Integer", "date",
// "float", "Boolean", "SMALLINT", "MEMO", "GRAPHIC", "MONEY"). Returns nullopt for an unknown
// name. `size` receives the length in parentheses, or 20 for Alpha / 1 for Memo without one.
std::optional<FieldType> typeFromDeclared(const QString& declared, int* size = nullptr);

struct FieldDef {
  QString name;
  FieldType type = FieldType::Alpha;
  int size = 0;           // Alpha: maximum length; Memo: in-record part (informational)
  bool required = false;  // a post with an empty value fails
};

struct IndexField {
  QString name;
  bool descending = false;
  bool caseInsensitive = false;
  // German order of names (DIN 5007-1): "ä" as "a", "ö" as "o", "ü" as "u", "ß" as "ss",
  // other accents dropped, case ignored. Stored as an index over germanSortKeySql() of the
  // column with SQLite's built-in NOCASE collation, so every SQLite tool can read and write
  // the file. Implies caseInsensitive.
  bool german = false;
};

struct IndexDef {
  QString name;  // empty for the primary index
  std::vector<IndexField> fields;
  bool primary = false;
  bool unique = false;

  // Builds an index from a ";" separated field list with the same options for every field.
  static IndexDef fromList(const QString& name, const QString& fieldList, bool descending = false,
                           bool caseInsensitive = false, bool unique = false);
  // The same index with German order (IndexField::german) on the named fields.
  IndexDef withGermanOrder(const QStringList& fieldNames) const;
  static IndexDef primaryKey(const QString& fieldList);
  QStringList fieldNames() const;
};

struct TableDef {
  QString name;  // base name inside the file, e.g. "Hasen"
  std::vector<FieldDef> fields;
  std::vector<IndexDef> indexes;  // the primary index (if any) first

  const FieldDef* field(const QString& fieldName) const;  // case-insensitive
  const IndexDef* primary() const;
  const IndexDef* index(const QString& indexName) const;  // case-insensitive
};

// Money in units of 1/10000: exact sums, never a double in storage.
class Money {
 public:
  constexpr Money() = default;
  static constexpr Money fromUnits(std::int64_t units) { return Money(units); }
  static Money fromDouble(double amount);  // rounds to the nearest unit
  // Parses "12,50", "-3", "1.234,5", "1.000" (the typed-number rules of
  // core/number_input.h; at most four decimals, a trailing "€" and blanks ignored). Returns
  // nullopt on anything else, including an ambiguous point such as "1.5".
  static std::optional<Money> parse(const QString& text);

  constexpr std::int64_t units() const { return units_; }
  double toDouble() const { return static_cast<double>(units_) / 10000.0; }
  // German currency text with two decimals and thousands separators: "1.234,50".
  QString toString() const;

  constexpr Money operator+(Money o) const { return Money(units_ + o.units_); }
  constexpr Money operator-(Money o) const { return Money(units_ - o.units_); }
  constexpr Money operator-() const { return Money(-units_); }
  Money& operator+=(Money o) { units_ += o.units_; return *this; }
  Money& operator-=(Money o) { units_ -= o.units_; return *this; }
  constexpr auto operator<=>(const Money&) const = default;

 private:
  constexpr explicit Money(std::int64_t units) : units_(units) {}
  std::int64_t units_ = 0;
};

// Every failure of the engine: a table that cannot be opened, a constraint, a malformed
// filter or statement. what() is a German text fit for a message box.
class EngineError : public std::runtime_error {
 public:
  enum class Kind {
    General,
    TableMissing,    // the table file does not exist
    TableDamaged,    // the file exists but is not a readable table
    FieldMissing,    // an expected field is not in the table (see Cursor::setExpectedFields)
    IndexMissing,    // the named index does not exist
    Locked,          // the table is in use (exclusive access refused)
    KeyViolation,    // a unique or primary index would hold a value twice
    RequiredField,   // a required field is empty
    BadFilter,       // the filter expression cannot be parsed
    BadStatement,    // an SQL statement cannot be translated or prepared
    ReadOnly,        // a change through a read-only cursor
    State,           // an operation that the cursor's state does not allow
  };
  EngineError(Kind kind, const QString& message, const QString& detail = {})
      : std::runtime_error(message.toStdString()), kind_(kind), message_(message), detail_(detail) {}
  Kind kind() const { return kind_; }
  const QString& message() const { return message_; }
  const QString& detail() const { return detail_; }  // e.g. the missing field's name

 private:
  Kind kind_;
  QString message_;
  QString detail_;
};

// Thrown by a rule to stop the current operation silently (no message). The cursor leaves
// its state as it was before the operation began.
class Abort : public std::exception {
 public:
  const char* what() const noexcept override { return "abort"; }
};

// The German sort key of a text (DIN 5007-1, see IndexField::german) as the engine's indexes
// and orders use it: umlauts and accented letters replaced, then folded to lower case. Two
// texts sort in German order exactly as their keys compare.
QString germanSortKey(const QString& text);

// The SQL expression that computes the same key from the SQL expression `expr` with SQLite's
// built-in replace() only; compare it with COLLATE NOCASE. `expr` may be "?".
QString germanSortKeySql(const QString& expr);

// Compares two names without regard to case (Unicode-aware).
inline bool sameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace lapiro::engine

Q_DECLARE_METATYPE(lapiro::engine::Money)
