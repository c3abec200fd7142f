#include "engine/sql_translate.h"

#include <QFileInfo>
#include <QSet>

#include <map>

namespace lapiro::engine {

namespace {

// SQLite refuses more attached databases than this per connection (SQLITE_MAX_ATTACHED).
constexpr int kMaxAttached = 10;

enum class Tok { Ident, Quoted, Bracket, String, Number, Param, Punct, Space, Comment };

struct Token {
  Tok type;
  QString text;  // exactly as written
  int pos;       // offset of the first character
};

[[noreturn]] void fail(int pos, const QString& reason) {
  throw EngineError(EngineError::Kind::BadStatement,
                    QStringLiteral("Fehler in der SQL-Anweisung an Position %1: %2").arg(pos + 1).arg(reason));
}

bool identStart(QChar c) { return c.isLetter() || c == u'_' || c.isSurrogate(); }
bool identPart(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.isSurrogate(); }

// Reads a delimited token (string literal, quoted identifier) where the closing delimiter is
// escaped by doubling it. Returns the index after the closing delimiter.
int readDelimited(const QString& s, int start, QChar close, const QString& what) {
  int i = start + 1;
  while (i < s.size()) {
    if (s[i] == close) {
      if (i + 1 < s.size() && s[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  fail(start, QStringLiteral("%1 nicht abgeschlossen").arg(what));
}

std::vector<Token> tokenize(const QString& s) {
  std::vector<Token> tokens;
  const int n = s.size();
  int i = 0;
  auto lastSignificant = [&]() -> const Token* {
    for (auto it = tokens.rbegin(); it != tokens.rend(); ++it)
      if (it->type != Tok::Space && it->type != Tok::Comment) return &*it;
    return nullptr;
  };
  while (i < n) {
    const int start = i;
    const QChar c = s[i];
    const QChar next = i + 1 < n ? s[i + 1] : QChar();
    Tok type = Tok::Punct;
    if (c.isSpace()) {
      while (i < n && s[i].isSpace()) ++i;
      type = Tok::Space;
    } else if (c == u'-' && next == u'-') {
      while (i < n && s[i] != u'\n') ++i;
      type = Tok::Comment;
    } else if (c == u'/' && next == u'*') {
      const int end = s.indexOf(QStringLiteral("*/"), i + 2);
      if (end < 0) fail(start, QStringLiteral("Kommentar nicht abgeschlossen"));
      i = end + 2;
      type = Tok::Comment;
    } else if (c == u'\'') {
      i = readDelimited(s, i, u'\'', QStringLiteral("Zeichenkette"));
      type = Tok::String;
    } else if (c == u'"' || c == u'`') {
      i = readDelimited(s, i, c, QStringLiteral("Name in Anführungszeichen"));
      type = Tok::Quoted;
    } else if (c == u'[') {
      const int end = s.indexOf(u']', i + 1);
      if (end < 0) fail(start, QStringLiteral("Name in eckigen Klammern nicht abgeschlossen"));
      i = end + 1;
      type = Tok::Bracket;
    } else if (c.isDigit() || (c == u'.' && next.isDigit() && [&] {
                 const Token* prev = lastSignificant();
                 return !prev || (prev->type != Tok::Ident && prev->type != Tok::Quoted &&
                                  prev->type != Tok::Bracket && prev->text != u")");
               }())) {
      while (i < n && s[i].isDigit()) ++i;
      if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && s[i].isDigit()) ++i;
      }
      if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        int j = i + 1;
        if (j < n && (s[j] == u'+' || s[j] == u'-')) ++j;
        if (j < n && s[j].isDigit()) {
          i = j;
          while (i < n && s[i].isDigit()) ++i;
        }
      }
      type = Tok::Number;
    } else if (identStart(c)) {
      while (i < n && identPart(s[i])) ++i;
      type = Tok::Ident;
    } else if (c == u':') {
      if (!(identPart(next))) fail(start, QStringLiteral("Parametername erwartet"));
      ++i;
      while (i < n && identPart(s[i])) ++i;
      type = Tok::Param;
    } else {
      static const QStringList twoChar = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                          QStringLiteral("!="), QStringLiteral("=="), QStringLiteral("||"),
                                          QStringLiteral("<<"), QStringLiteral(">>")};
      static const QString oneChar = QStringLiteral("=<>+-*/%(),.;&|~?");
      if (i + 1 < n && twoChar.contains(s.mid(i, 2)))
        i += 2;
      else if (oneChar.contains(c))
        ++i;
      else
        fail(start, QStringLiteral("Unerwartetes Zeichen \u201E%1\u201C").arg(c));
    }
    tokens.push_back({type, s.mid(start, i - start), start});
  }
  return tokens;
}

bool isKeyword(const Token& t, const char16_t* word) {
  return t.type == Tok::Ident && t.text.compare(QStringView(word), Qt::CaseInsensitive) == 0;
}

bool inSet(const Token& t, const QSet<QString>& words) {
  return t.type == Tok::Ident && words.contains(t.text.toUpper());
}

// Words that end a table reference: they are never taken as an alias or a table name.
const QSet<QString>& clauseWords() {
  static const QSet<QString> words = {
      QStringLiteral("WHERE"),   QStringLiteral("GROUP"),     QStringLiteral("ORDER"),   QStringLiteral("HAVING"),
      QStringLiteral("LIMIT"),   QStringLiteral("UNION"),     QStringLiteral("EXCEPT"),  QStringLiteral("INTERSECT"),
      QStringLiteral("JOIN"),    QStringLiteral("LEFT"),      QStringLiteral("RIGHT"),   QStringLiteral("FULL"),
      QStringLiteral("INNER"),   QStringLiteral("OUTER"),     QStringLiteral("CROSS"),   QStringLiteral("NATURAL"),
      QStringLiteral("ON"),      QStringLiteral("USING"),     QStringLiteral("SET"),     QStringLiteral("VALUES"),
      QStringLiteral("SELECT"),  QStringLiteral("DEFAULT"),   QStringLiteral("WINDOW"),  QStringLiteral("RETURNING"),
      QStringLiteral("INDEXED"), QStringLiteral("NOT"),       QStringLiteral("AS"),      QStringLiteral("FROM"),
      QStringLiteral("AND"),     QStringLiteral("OR"),        QStringLiteral("ADD"),     QStringLiteral("DROP"),
      QStringLiteral("OFFSET"),  QStringLiteral("WHEN"),      QStringLiteral("THEN"),    QStringLiteral("ELSE"),
      QStringLiteral("END"),     QStringLiteral("ALL"),       QStringLiteral("DISTINCT")};
  return words;
}

// Words that are never a column name when unqualified columns are resolved.
const QSet<QString>& expressionWords() {
  static const QSet<QString> words = [] {
    QSet<QString> w = clauseWords();
    for (const char16_t* s : {u"LIKE", u"GLOB", u"IN", u"IS", u"NULL", u"BETWEEN", u"BY", u"ASC", u"DESC",
                              u"CASE", u"EXISTS", u"COLLATE", u"ESCAPE", u"NOCASE", u"CAST", u"TRUE",
                              u"FALSE", u"NULLS", u"FIRST", u"LAST", u"REGEXP", u"MATCH", u"ISNULL",
                              u"NOTNULL", u"BINARY", u"RTRIM"})
      w.insert(QString::fromUtf16(s));
    return w;
  }();
  return words;
}

// The name inside a quoted or bracketed token, or the identifier itself.
QString unquote(const Token& t) {
  if (t.type == Tok::Quoted) {
    const QChar q = t.text[0];
    QString inner = t.text.mid(1, t.text.size() - 2);
    return inner.replace(QString(2, q), QString(q));
  }
  if (t.type == Tok::Bracket) return t.text.mid(1, t.text.size() - 2);
  return t.text;
}

bool plainIdentifier(const QString& name) {
  if (name.isEmpty() || !identStart(name[0])) return false;
  for (QChar c : name)
    if (!identPart(c)) return false;
  return !expressionWords().contains(name.toUpper());
}

QString quoteIdentifier(const QString& name) {
  QString inner = name;
  return u'"' + inner.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString identifierText(const QString& name) { return plainIdentifier(name) ? name : quoteIdentifier(name); }

struct TableRef {
  int first = 0;  // significant token range replaced by the translation
  int last = 0;
  QString alias;  // unquoted
  QStringList columns;
};

class Translator {
 public:
  Translator(const QString& statement, const TableResolver& resolve) : text_(statement), resolve_(resolve) {
    tokens_ = tokenize(statement);
    for (int i = 0; i < int(tokens_.size()); ++i)
      if (tokens_[i].type != Tok::Space && tokens_[i].type != Tok::Comment) sig_.push_back(i);
    replacement_.assign(tokens_.size(), std::nullopt);
  }

  TranslatedSql run() {
    dropTrailingSemicolon();
    if (sig_.empty()) fail(0, QStringLiteral("Die Anweisung ist leer"));
    checkStructure();
    TranslatedSql out;
    if (isKeyword(at(0), u"ALTER")) {
      translateAlter(out);
      return out;
    }
    collectParameters(out);
    collectCommonTableNames();
    rewriteTableReferences();
    out.kind = statementKind();
    if (out.kind == TranslatedSql::Kind::Query) qualifyAmbiguousColumns();
    out.attach = attach_;
    out.sql = assemble();
    return out;
  }

 private:
  const Token& at(int k) const { return tokens_[sig_[k]]; }
  int count() const { return int(sig_.size()); }
  int endPos() const { return int(text_.size()); }
  int posOf(int k) const { return k < count() ? at(k).pos : endPos(); }

  void dropTrailingSemicolon() {
    while (!sig_.empty() && at(count() - 1).text == u";") {
      replacement_[sig_.back()] = QString();
      sig_.pop_back();
    }
  }

  // Balanced parentheses and exactly one statement.
  void checkStructure() {
    int depth = 0;
    int lastOpen = 0;
    for (int k = 0; k < count(); ++k) {
      const Token& t = at(k);
      if (t.type != Tok::Punct) continue;
      if (t.text == u"(") {
        ++depth;
        lastOpen = t.pos;
      } else if (t.text == u")") {
        if (--depth < 0) fail(t.pos, QStringLiteral("Schließende Klammer ohne öffnende"));
      } else if (t.text == u";") {
        fail(t.pos, QStringLiteral("Nur eine Anweisung ist erlaubt"));
      }
    }
    if (depth > 0) fail(lastOpen, QStringLiteral("Klammer nicht geschlossen"));
  }

  void collectParameters(TranslatedSql& out) const {
    for (int k = 0; k < count(); ++k)
      if (at(k).type == Tok::Param) {
        const QString name = at(k).text.mid(1);
        if (!out.parameters.contains(name)) out.parameters << name;
      }
  }

  // WITH [RECURSIVE] name [(columns)] AS [NOT] [MATERIALIZED] (...), ...
  void collectCommonTableNames() {
    if (!isKeyword(at(0), u"WITH")) return;
    int k = 1;
    if (k < count() && isKeyword(at(k), u"RECURSIVE")) ++k;
    while (k < count() && (at(k).type == Tok::Ident || at(k).type == Tok::Quoted || at(k).type == Tok::Bracket)) {
      cteNames_.insert(unquote(at(k)).toUpper());
      ++k;
      if (k < count() && at(k).text == u"(") k = matchingParen(k) + 1;
      if (k < count() && isKeyword(at(k), u"AS")) ++k;
      while (k < count() && (isKeyword(at(k), u"NOT") || isKeyword(at(k), u"MATERIALIZED"))) ++k;
      if (k >= count() || at(k).text != u"(") return;
      k = matchingParen(k) + 1;
      if (k < count() && at(k).text == u",") ++k;
      else return;
    }
  }

  int matchingParen(int k) const {
    int depth = 0;
    for (; k < count(); ++k) {
      if (at(k).text == u"(" && at(k).type == Tok::Punct) ++depth;
      if (at(k).text == u")" && at(k).type == Tok::Punct && --depth == 0) return k;
    }
    return count() - 1;  // unreachable after checkStructure()
  }

  TranslatedSql::Kind statementKind() const {
    int k = 0;
    while (k < count() && at(k).text == u"(") ++k;
    if (k >= count()) return TranslatedSql::Kind::Other;
    if (isKeyword(at(k), u"SELECT") || isKeyword(at(k), u"VALUES")) return TranslatedSql::Kind::Query;
    if (isKeyword(at(k), u"WITH")) {
      // WITH ... followed at the outer level by INSERT/UPDATE/DELETE/REPLACE changes data.
      int depth = 0;
      for (int j = k; j < count(); ++j) {
        if (at(j).text == u"(") ++depth;
        else if (at(j).text == u")") --depth;
        else if (depth == 0 && (isKeyword(at(j), u"INSERT") || isKeyword(at(j), u"UPDATE") ||
                                isKeyword(at(j), u"DELETE") || isKeyword(at(j), u"REPLACE")))
          return TranslatedSql::Kind::Other;
      }
      return TranslatedSql::Kind::Query;
    }
    return TranslatedSql::Kind::Other;
  }

  // Walks the statement and replaces every table reference. `fromList` holds, per
  // parenthesis depth, whether a comma there introduces another table reference.
  void rewriteTableReferences() {
    std::vector<bool> fromList(1, false);
    bool expectRef = false;
    bool insertSeen = false;
    const bool startsWithWith = isKeyword(at(0), u"WITH");
    for (int k = 0; k < count(); ++k) {
      const Token& t = at(k);
      if (expectRef) {
        expectRef = false;
        if (t.text == u"(" && t.type == Tok::Punct) {
          fromList.push_back(false);  // a subquery in the FROM list
          continue;
        }
        k = tableReference(k);
        continue;
      }
      const int depth = int(fromList.size()) - 1;
      if (t.type == Tok::Punct) {
        if (t.text == u"(") {
          fromList.push_back(false);
        } else if (t.text == u")") {
          if (depth > 0) fromList.pop_back();
          // An alias may follow a subquery in the FROM list.
          if (fromList.back()) {
            if (k + 1 < count() && isKeyword(at(k + 1), u"AS")) ++k;
            if (k + 1 < count() && isAliasToken(at(k + 1))) ++k;
          }
        } else if (t.text == u"," && fromList[depth]) {
          expectRef = true;
        }
        continue;
      }
      if (t.type != Tok::Ident) continue;
      if (isKeyword(t, u"FROM")) {
        if (k > 0 && isKeyword(at(k - 1), u"DISTINCT")) continue;  // IS [NOT] DISTINCT FROM
        fromList[depth] = true;
        expectRef = true;
      } else if (isKeyword(t, u"JOIN")) {
        fromList[depth] = true;
        expectRef = true;
      } else if (isKeyword(t, u"INSERT") || isKeyword(t, u"REPLACE")) {
        insertSeen = true;
      } else if (isKeyword(t, u"INTO") && insertSeen) {
        expectRef = true;
      } else if (isKeyword(t, u"UPDATE") &&
                 (k == 0 || (startsWithWith && depth == 0 && at(k - 1).text == u")"))) {
        if (k + 2 < count() && isKeyword(at(k + 1), u"OR")) k += 2;  // UPDATE OR REPLACE
        expectRef = true;
      } else if (inSet(t, clauseWords()) && !isKeyword(t, u"AS") && !isKeyword(t, u"NOT")) {
        fromList[depth] = false;
      }
    }
    if (expectRef) fail(endPos(), QStringLiteral("Tabellenname erwartet"));
  }

  bool isAliasToken(const Token& t) const {
    if (t.type == Tok::Quoted || t.type == Tok::Bracket) return true;
    return t.type == Tok::Ident && !inSet(t, expressionWords());
  }

  // Parses the reference starting at significant token k, records its replacement and
  // returns the index of its last token.
  int tableReference(int k) {
    const Token& t = at(k);
    QString name;
    int last = k;
    if (t.type == Tok::Quoted || t.type == Tok::Bracket) {
      name = unquote(t);
    } else if (t.type == Tok::Ident && !inSet(t, expressionWords())) {
      name = t.text;
      if (k + 2 < count() && at(k + 1).text == u"." && at(k + 1).type == Tok::Punct && at(k + 2).type == Tok::Ident) {
        name += u'.' + at(k + 2).text;
        last = k + 2;
      }
    } else {
      fail(t.pos, QStringLiteral("Tabellenname erwartet"));
    }
    if (name.trimmed().isEmpty()) fail(t.pos, QStringLiteral("Tabellenname erwartet"));
    if (cteNames_.contains(name.toUpper())) return last;  // a common table expression

    const std::optional<ResolvedTable> table = resolve_ ? resolve_(name) : std::nullopt;
    if (!table)
      throw EngineError(EngineError::Kind::BadStatement, QStringLiteral("Tabelle nicht gefunden: %1").arg(name), name);

    QString aliasText;
    QString alias;
    if (last + 1 < count() && isKeyword(at(last + 1), u"AS")) {
      if (last + 2 >= count() || !isAliasToken(at(last + 2)))
        fail(posOf(last + 2), QStringLiteral("Aliasname erwartet"));
      last += 2;
      aliasText = at(last).text;
      alias = unquote(at(last));
    } else if (last + 1 < count() && isAliasToken(at(last + 1))) {
      ++last;
      aliasText = at(last).text;
      alias = unquote(at(last));
    } else {
      alias = QFileInfo(name).completeBaseName();
      if (alias.isEmpty()) alias = table->tableName;
      aliasText = identifierText(alias);
    }

    const QString schema = schemaFor(table->filePath, t.pos);
    replacement_[sig_[k]] = QStringLiteral("%1.%2 AS %3").arg(schema, quoteIdentifier(table->tableName), aliasText);
    for (int j = k + 1; j <= last; ++j) replaceRange(sig_[j - 1] + 1, sig_[j]);
    refs_.push_back({k, last, alias, table->columns});
    return last;
  }

  // Empties tokens [from, to] (the reference's own tokens and the blanks between them).
  void replaceRange(int from, int to) {
    for (int i = from; i <= to; ++i) replacement_[i] = QString();
  }

  QString schemaFor(const QString& filePath, int pos) {
    for (const AttachedFile& a : attach_)
      if (a.filePath == filePath) return a.schema;
    if (int(attach_.size()) >= kMaxAttached)
      fail(pos, QStringLiteral("Zu viele Tabellen in einer Anweisung (höchstens %1)").arg(kMaxAttached));
    attach_.push_back({QStringLiteral("t%1").arg(attach_.size()), filePath});
    return attach_.back().schema;
  }

  bool insideReference(int k) const {
    for (const TableRef& r : refs_)
      if (k >= r.first && k <= r.last) return true;
    return false;
  }

  // The older dialect took an unqualified column that several tables of a join carry from
  // the first of them; SQLite refuses it as ambiguous. Qualify such columns explicitly.
  // Only simple statements (one SELECT, no subquery) are handled: there the scope is clear.
  void qualifyAmbiguousColumns() {
    int selects = 0;
    for (int k = 0; k < count(); ++k)
      if (isKeyword(at(k), u"SELECT")) ++selects;
    int known = 0;
    for (const TableRef& r : refs_)
      if (!r.columns.isEmpty()) ++known;
    if (selects != 1 || known < 2) return;

    QSet<QString> resultAliases;  // SELECT x AS name ... ORDER BY name
    for (int k = 1; k < count(); ++k)
      if (isKeyword(at(k - 1), u"AS") && !insideReference(k)) resultAliases.insert(unquote(at(k)).toUpper());

    for (int k = 0; k < count(); ++k) {
      const Token& t = at(k);
      if (t.type != Tok::Ident || inSet(t, expressionWords()) || insideReference(k)) continue;
      if (k > 0 && (at(k - 1).text == u"." || isKeyword(at(k - 1), u"AS"))) continue;
      if (k + 1 < count() && (at(k + 1).text == u"." || at(k + 1).text == u"(")) continue;
      if (resultAliases.contains(t.text.toUpper())) continue;
      const TableRef* first = nullptr;
      int carriers = 0;
      for (const TableRef& r : refs_)
        if (r.columns.contains(t.text, Qt::CaseInsensitive)) {
          if (!first) first = &r;
          ++carriers;
        }
      if (carriers >= 2) replacement_[sig_[k]] = identifierText(first->alias) + u'.' + t.text;
    }
  }

  void translateAlter(TranslatedSql& out) {
    out.kind = TranslatedSql::Kind::Alter;
    if (count() < 2 || !isKeyword(at(1), u"TABLE")) fail(posOf(1), QStringLiteral("TABLE erwartet"));
    int k = 2;
    if (k >= count()) fail(endPos(), QStringLiteral("Tabellenname erwartet"));
    QString name;
    if (at(k).type == Tok::Quoted || at(k).type == Tok::Bracket) {
      name = unquote(at(k));
    } else if (at(k).type == Tok::Ident) {
      name = at(k).text;
      if (k + 2 < count() && at(k + 1).text == u"." && at(k + 2).type == Tok::Ident) {
        name += u'.' + at(k + 2).text;
        k += 2;
      }
    } else {
      fail(at(k).pos, QStringLiteral("Tabellenname erwartet"));
    }
    ++k;
    const std::optional<ResolvedTable> table = resolve_ ? resolve_(name) : std::nullopt;
    if (!table)
      throw EngineError(EngineError::Kind::BadStatement, QStringLiteral("Tabelle nicht gefunden: %1").arg(name), name);
    out.alterTable = *table;

    while (true) {
      if (k >= count()) fail(endPos(), QStringLiteral("ADD oder DROP erwartet"));
      AlterOp op;
      if (isKeyword(at(k), u"ADD")) op.kind = AlterOp::Kind::Add;
      else if (isKeyword(at(k), u"DROP")) op.kind = AlterOp::Kind::Drop;
      else fail(at(k).pos, QStringLiteral("ADD oder DROP erwartet"));
      ++k;
      if (k < count() && isKeyword(at(k), u"COLUMN")) ++k;
      if (k >= count() || !(at(k).type == Tok::Ident || at(k).type == Tok::Quoted || at(k).type == Tok::Bracket))
        fail(posOf(k), QStringLiteral("Feldname erwartet"));
      op.field = unquote(at(k));
      if (op.field.isEmpty()) fail(at(k).pos, QStringLiteral("Feldname erwartet"));
      ++k;
      if (op.kind == AlterOp::Kind::Add) {
        // The type runs up to the next comma outside parentheses: CHAR(20), Integer, date.
        const int typeStart = k;
        QString declared;
        int depth = 0;
        for (; k < count(); ++k) {
          const Token& t = at(k);
          if (t.text == u"," && depth == 0) break;
          if (t.text == u"(") ++depth;
          if (t.text == u")") --depth;
          if (!declared.isEmpty() && t.type == Tok::Ident && at(k - 1).type == Tok::Ident) declared += u' ';
          declared += t.text;
        }
        if (declared.isEmpty()) fail(posOf(typeStart), QStringLiteral("Feldtyp erwartet"));
        int size = 0;
        const std::optional<FieldType> type = typeFromDeclared(declared, &size);
        if (!type) fail(at(typeStart).pos, QStringLiteral("Unbekannter Feldtyp \u201E%1\u201C").arg(declared));
        op.type = *type;
        op.size = size;
      }
      out.alterOps.push_back(op);
      if (k >= count()) break;
      if (at(k).text != u",") fail(at(k).pos, QStringLiteral("Komma oder Ende der Anweisung erwartet"));
      ++k;
    }
  }

  QString assemble() const {
    QString sql;
    sql.reserve(text_.size() + 32 * int(refs_.size()));
    for (size_t i = 0; i < tokens_.size(); ++i) sql += replacement_[i] ? *replacement_[i] : tokens_[i].text;
    return sql.trimmed();
  }

  QString text_;
  const TableResolver& resolve_;
  std::vector<Token> tokens_;
  std::vector<int> sig_;  // indexes of the significant tokens (no blanks, no comments)
  std::vector<std::optional<QString>> replacement_;
  std::vector<AttachedFile> attach_;
  std::vector<TableRef> refs_;
  QSet<QString> cteNames_;
};

}  // namespace

TranslatedSql translateSql(const QString& statement, const TableResolver& resolve) {
  return Translator(statement, resolve).run();
}

QString uniqueColumnName(const QString& name, QStringList& used) {
  QString result = name;
  for (int n = 1; used.contains(result, Qt::CaseInsensitive); ++n) result = QStringLiteral("%1_%2").arg(name).arg(n);
  used << result;
  return result;
}

}  // namespace lapiro::engine
