#include "engine/types.h"

#include "core/number_input.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace lapiro::engine {

QString fieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::AutoInc: return QStringLiteral("AutoInc");
    case FieldType::Alpha: return QStringLiteral("Alpha");
    case FieldType::Short: return QStringLiteral("Short");
    case FieldType::Long: return QStringLiteral("Long");
    case FieldType::Number: return QStringLiteral("Number");
    case FieldType::Money: return QStringLiteral("Money");
    case FieldType::Date: return QStringLiteral("Date");
    case FieldType::Logical: return QStringLiteral("Logical");
    case FieldType::Memo: return QStringLiteral("Memo");
    case FieldType::Graphic: return QStringLiteral("Graphic");
  }
  return {};
}

QString declaredType(FieldType type, int size) {
  switch (type) {
    case FieldType::AutoInc: return QStringLiteral("INTEGER");
    case FieldType::Alpha: return QStringLiteral("VARCHAR(%1)").arg(size > 0 ? size : 20);
    case FieldType::Short: return QStringLiteral("SMALLINT");
    case FieldType::Long: return QStringLiteral("INTEGER");
    case FieldType::Number: return QStringLiteral("FLOAT");
    case FieldType::Money: return QStringLiteral("MONEY");
    case FieldType::Date: return QStringLiteral("DATE");
    case FieldType::Logical: return QStringLiteral("BOOLEAN");
    case FieldType::Memo: return QStringLiteral("TEXT(%1)").arg(size > 0 ? size : 1);
    case FieldType::Graphic: return QStringLiteral("BLOB");
  }
  return {};
}

std::optional<FieldType> typeFromDeclared(const QString& declared, int* size) {
  static const QRegularExpression re(QStringLiteral(R"(^\s*([A-Za-z_ ]+?)\s*(?:\(\s*(\d+)\s*\))?\s*$)"));
  const auto m = re.match(declared);
  if (!m.hasMatch()) return std::nullopt;
  const QString word = m.captured(1).toUpper();
  const int n = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
  auto result = [&](FieldType t, int s) -> std::optional<FieldType> {
    if (size) *size = s;
    return t;
  };
  if (word == u"VARCHAR" || word == u"CHAR" || word == u"ALPHA" || word == u"CHARACTER")
    return result(FieldType::Alpha, n > 0 ? n : 20);
  if (word == u"TEXT" || word == u"MEMO" || word == u"CLOB") return result(FieldType::Memo, n > 0 ? n : 1);
  if (word == u"SMALLINT" || word == u"SHORT") return result(FieldType::Short, 0);
  if (word == u"INTEGER" || word == u"INT" || word == u"LONG") return result(FieldType::Long, 0);
  if (word == u"AUTOINC") return result(FieldType::AutoInc, 0);
  if (word == u"FLOAT" || word == u"REAL" || word == u"DOUBLE" || word == u"NUMBER" || word == u"NUMERIC")
    return result(FieldType::Number, 0);
  if (word == u"MONEY") return result(FieldType::Money, 0);
  if (word == u"DATE") return result(FieldType::Date, 0);
  if (word == u"BOOLEAN" || word == u"LOGICAL" || word == u"BOOL") return result(FieldType::Logical, 0);
  if (word == u"BLOB" || word == u"GRAPHIC") return result(FieldType::Graphic, 0);
  return std::nullopt;
}

IndexDef IndexDef::fromList(const QString& name, const QString& fieldList, bool descending,
                            bool caseInsensitive, bool unique) {
  IndexDef def;
  def.name = name;
  def.unique = unique;
  for (const QString& f : fieldList.split(u';', Qt::SkipEmptyParts))
    def.fields.push_back({f.trimmed(), descending, caseInsensitive});
  return def;
}

IndexDef IndexDef::primaryKey(const QString& fieldList) {
  IndexDef def = fromList(QString(), fieldList, false, false, true);
  def.primary = true;
  return def;
}

IndexDef IndexDef::withGermanOrder(const QStringList& fieldNames) const {
  IndexDef copy = *this;
  for (auto& f : copy.fields)
    if (fieldNames.contains(f.name, Qt::CaseInsensitive)) f.german = f.caseInsensitive = true;
  return copy;
}

namespace {

// Letters that German order reads as other letters; everything else that is not ASCII stays
// and sorts after "z". Upper-case forms are listed only for the umlauts and "É": the SQL form
// nests one replace() per entry and SQLite's parser allows about two dozen levels, while
// NOCASE already folds the ASCII letters.
struct Folding {
  const char16_t* from;
  const char* to;
};
constexpr Folding kGermanFoldings[] = {
    {u"ä", "a"}, {u"Ä", "a"}, {u"ö", "o"}, {u"Ö", "o"}, {u"ü", "u"}, {u"Ü", "u"},
    {u"ß", "ss"}, {u"é", "e"}, {u"É", "e"}, {u"è", "e"}, {u"ê", "e"}, {u"à", "a"},
    {u"á", "a"}, {u"â", "a"}, {u"ç", "c"}, {u"ñ", "n"}, {u"ó", "o"}, {u"ô", "o"},
};

}  // namespace

QString germanSortKey(const QString& text) {
  QString key = text;
  for (const Folding& f : kGermanFoldings) key.replace(QString::fromUtf16(f.from), QLatin1String(f.to));
  // NOCASE folds ASCII letters only; so does this, to compare exactly as the index does.
  for (QChar& c : key)
    if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
  return key;
}

QString germanSortKeySql(const QString& expr) {
  QString sql = expr;
  for (const Folding& f : kGermanFoldings)
    sql = QStringLiteral("replace(%1, '%2', '%3')").arg(sql, QString::fromUtf16(f.from), QLatin1String(f.to));
  return sql;
}

QStringList IndexDef::fieldNames() const {
  QStringList names;
  for (const auto& f : fields) names << f.name;
  return names;
}

const FieldDef* TableDef::field(const QString& fieldName) const {
  for (const auto& f : fields)
    if (sameName(f.name, fieldName)) return &f;
  return nullptr;
}

const IndexDef* TableDef::primary() const {
  for (const auto& i : indexes)
    if (i.primary) return &i;
  return nullptr;
}

const IndexDef* TableDef::index(const QString& indexName) const {
  for (const auto& i : indexes)
    if (!i.primary && sameName(i.name, indexName)) return &i;
  return nullptr;
}

Money Money::fromDouble(double amount) {
  return Money(static_cast<std::int64_t>(std::llround(amount * 10000.0)));
}

std::optional<Money> Money::parse(const QString& input) {
  QString text = input.trimmed();
  text.remove(u' ');
  if (text.endsWith(u'€')) text.chop(1);
  // The shared reader of typed numbers: "1.000" is a thousand, "1.5" is refused.
  const core::NumberReading r = core::readTypedNumber(text);
  if (!r.isNumber()) return std::nullopt;
  const core::TypedNumber& n = *r.number;
  if (n.fraction.size() > 4 || n.whole.size() > 14) return std::nullopt;
  const auto units = n.scaled(4);
  if (!units) return std::nullopt;
  return Money(*units);
}

QString Money::toString() const {
  std::int64_t cents = units_ >= 0 ? (units_ + 50) / 100 : -((-units_ + 50) / 100);
  const bool negative = cents < 0;
  if (negative) cents = -cents;
  QString whole = QString::number(cents / 100);
  for (int i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, u'.');
  const QString text = whole + u',' + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
  return negative ? u'-' + text : text;
}

}  // namespace lapiro::engine
