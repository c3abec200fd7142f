// Translation of the program's filter expressions into SQLite WHERE clauses with bound
// parameters. A cursor uses it to restrict the rows it visits, e.g.
//   Status=1 OR Status=3
//   (Mutter=5)and(Geburtstag='01.03.2025')
//   Titel='Körung vom Herdbuch'
//
// Grammar (keywords in any case, blanks optional around parentheses and operators):
//   expr       := term (OR term)*
//   term       := factor (AND factor)*
//   factor     := NOT factor | '(' expr ')' | comparison
//   comparison := operand op operand | operand IS [NOT] NULL
//   op         := =  <>  !=  <  <=  >  >=
//   operand    := field | 'text' ('' = one quote) | "text" ("" = one quote)
//               | number (optional sign, decimal point '.') | TRUE | FALSE | NULL
//   field      := letters (umlauts, ß), digits and '_' not starting with a digit,
//                 or a [bracketed name] that may hold blanks, e.g. [Min Gewicht]
// At least one side of a comparison is a field.
//
// Meaning:
//   - A literal is converted to the storage form of the field it is compared with and bound
//     as a parameter; user text never becomes SQL text.
//       Date           QString "yyyy-MM-dd"; accepts 'dd.mm.yyyy', 'd.m.yyyy', 'yyyy-mm-dd'
//       Short/Long/AutoInc  qlonglong
//       Number         double; decimal point or decimal comma
//       Money          qlonglong in units of 1/10000 (German notation as Money::parse)
//       Logical        qlonglong 0/1 from TRUE/FALSE, 'T'/'F', 'TRUE'/'FALSE', 1/0
//       Alpha/Memo     QString; a number literal becomes its text (Geschlecht=1 binds "1")
//   - Empty values are stored as NULL: `F = ''`, `F = NULL` and `F IS NULL` all test for NULL;
//     with <> they test for NOT NULL. Ordered comparisons (<, <=, >, >=) with an empty value
//     are rejected.
//   - An empty field is unequal to every value: `F <> 5` matches rows where F is NULL. Every
//     other comparison of an empty field with a value is false, also under NOT (NOT never
//     turns an unknown comparison into "no match").
//   - Field against field: = and <> treat two empty fields as equal.
//   - A text literal ending in '*' compared by = (or <>) with an Alpha or Memo field means
//     "begins with" (or "does not begin with"); '%' and '_' in it are ordinary characters.
//     Text comparisons are case-sensitive.
#pragma once

#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

#include "engine/types.h"

namespace lapiro::engine {

// A field as the translator needs it. sqlName is emitted into the SQL as it is, so the
// caller passes a properly quoted column reference, e.g. "\"Wurftag\"".
struct FilterColumn {
  QString sqlName;
  FieldType type;
};

// Looks up a field by the name written in the filter (case-insensitive lookup is the
// caller's job). nullopt means the field does not exist.
using FilterResolver = std::function<std::optional<FilterColumn>(const QString& fieldName)>;

// `where` is an SQLite boolean expression with "?" placeholders; `binds` hold the values for
// them in order (qlonglong, double or QString). Compound expressions are parenthesised, so
// `where` can be joined with further conditions by AND. `where` is empty (and `binds` too)
// when the expression is blank: no restriction.
struct FilterSql {
  QString where;
  QVariantList binds;
};

// Translates a filter expression.
// Throws EngineError(Kind::BadFilter) with a German message starting "Ungültiger Filter:" on
// any malformed input: unknown field (detail() = the field name), a literal that does not fit
// its field's type or an impossible date, a comparison without a field, unbalanced
// parentheses, a dangling operator, trailing text, or nesting deeper than 200 levels.
// Never crashes on arbitrary input. An empty `resolve` treats every field as unknown.
FilterSql translateFilter(const QString& expression, const FilterResolver& resolve);

}  // namespace lapiro::engine
