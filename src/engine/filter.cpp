#include "engine/filter.h"

#include <QDate>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <vector>

namespace lapiro::engine {

namespace {

// Deeper nesting of parentheses and NOT is refused; it bounds the parser's recursion.
constexpr int kMaxDepth = 200;

// SQLite's own parser runs out of stack at about 30 nested parentheses, so the SQL produced may
// nest at most this deep (parentheses and function calls counted).
constexpr int kMaxSqlDepth = 24;

// Longer AND/OR chains are emitted as balanced groups so the SQL expression tree stays shallow.
constexpr std::size_t kFlatChain = 8;

enum class Tok { End, LParen, RParen, Op, Word, Bracket, Text, Number };

struct Token {
  Tok kind = Tok::End;
  QString text;  // Op: normalised operator; Text: content without quotes; else source text
  int pos = 0;   // 1-based position in the expression
};

[[noreturn]] void fail(const QString& what, const QString& detail = {}) {
  throw EngineError(EngineError::Kind::BadFilter, QStringLiteral("Ungültiger Filter: ") + what, detail);
}

QString at(int pos) {
  return QStringLiteral(" an Position %1").arg(pos);
}

// Shortens user text quoted in a message.
QString shown(const QString& text) {
  return text.size() > 40 ? text.left(40) + QStringLiteral("…") : text;
}

bool isNameStart(QChar c) {
  return c.isLetter() || c == u'_';
}
bool isNameChar(QChar c) {
  return c.isLetterOrNumber() || c == u'_';
}
bool isAsciiDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

std::vector<Token> tokenize(const QString& s) {
  std::vector<Token> out;
  const qsizetype n = s.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = s[i];
    const int pos = static_cast<int>(i) + 1;
    if (c.isSpace()) {
      ++i;
    } else if (c == u'(') {
      out.push_back({Tok::LParen, QStringLiteral("("), pos});
      ++i;
    } else if (c == u')') {
      out.push_back({Tok::RParen, QStringLiteral(")"), pos});
      ++i;
    } else if (c == u'=') {
      out.push_back({Tok::Op, QStringLiteral("="), pos});
      ++i;
    } else if (c == u'<' || c == u'>') {
      QString op(c);
      ++i;
      if (i < n && s[i] == u'=') {
        op += u'=';
        ++i;
      } else if (c == u'<' && i < n && s[i] == u'>') {
        op += u'>';
        ++i;
      }
      out.push_back({Tok::Op, op, pos});
    } else if (c == u'!' && i + 1 < n && s[i + 1] == u'=') {
      out.push_back({Tok::Op, QStringLiteral("<>"), pos});
      i += 2;
    } else if (c == u'\'' || c == u'"') {
      // Quoted text; the quote character doubled stands for itself.
      QString text;
      ++i;
      bool closed = false;
      while (i < n) {
        if (s[i] == c) {
          if (i + 1 < n && s[i + 1] == c) {
            text += c;
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        text += s[i++];
      }
      if (!closed) fail(QStringLiteral("Text ohne schließendes Anführungszeichen ab Position %1").arg(pos));
      out.push_back({Tok::Text, text, pos});
    } else if (c == u'[') {
      const qsizetype close = s.indexOf(u']', i + 1);
      if (close < 0) fail(QStringLiteral("Feldname ohne »]« ab Position %1").arg(pos));
      const QString name = s.mid(i + 1, close - i - 1).trimmed();
      if (name.isEmpty()) fail(QStringLiteral("leerer Feldname") + at(pos));
      out.push_back({Tok::Bracket, name, pos});
      i = close + 1;
    } else if (isAsciiDigit(c) || ((c == u'-' || c == u'+') && i + 1 < n && isAsciiDigit(s[i + 1]))) {
      qsizetype j = i + 1;
      while (j < n && isAsciiDigit(s[j])) ++j;
      if (j + 1 < n && s[j] == u'.' && isAsciiDigit(s[j + 1])) {
        j += 2;
        while (j < n && isAsciiDigit(s[j])) ++j;
      }
      out.push_back({Tok::Number, s.mid(i, j - i), pos});
      i = j;
    } else if (isNameStart(c)) {
      qsizetype j = i + 1;
      while (j < n && isNameChar(s[j])) ++j;
      out.push_back({Tok::Word, s.mid(i, j - i), pos});
      i = j;
    } else {
      fail(QStringLiteral("unerwartetes Zeichen »%1«").arg(c) + at(pos));
    }
  }
  out.push_back({Tok::End, QString(), static_cast<int>(n) + 1});
  return out;
}

bool isKeyword(const Token& t, QStringView word) {
  return t.kind == Tok::Word && t.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool isReserved(const Token& t) {
  for (auto w : {u"AND", u"OR", u"NOT", u"IS", u"NULL", u"TRUE", u"FALSE"})
    if (isKeyword(t, w)) return true;
  return false;
}

bool isTextType(FieldType t) {
  return t == FieldType::Alpha || t == FieldType::Memo;
}

QString mirrored(const QString& op) {
  if (op == u"<") return QStringLiteral(">");
  if (op == u">") return QStringLiteral("<");
  if (op == u"<=") return QStringLiteral(">=");
  if (op == u">=") return QStringLiteral("<=");
  return op;
}

// The parsed filter. Parentheses leave no node behind: nested groups of the same kind are
// merged and double negation cancels, so only real alternation of AND, OR and NOT nests.
struct Node {
  enum Kind { Leaf, And, Or, Not } kind = Leaf;
  QString sql;    // Leaf: the comparison's SQL
  int depth = 0;  // Leaf: nesting of parentheses within `sql`
  std::vector<Node> kids;
};

struct Rendered {
  QString sql;
  int depth = 0;
};

Rendered render(const Node& node);

Rendered renderChain(const std::vector<Node>& kids, std::size_t from, std::size_t count,
                     const QString& glue) {
  if (count == 1) return render(kids[from]);
  Rendered out;
  QStringList parts;
  if (count <= kFlatChain) {
    for (std::size_t k = from; k < from + count; ++k) {
      Rendered e = render(kids[k]);
      parts << e.sql;
      out.depth = std::max(out.depth, e.depth);
    }
  } else {
    const std::size_t half = count / 2;
    Rendered a = renderChain(kids, from, half, glue);
    Rendered b = renderChain(kids, from + half, count - half, glue);
    parts << a.sql << b.sql;
    out.depth = std::max(a.depth, b.depth);
  }
  out.sql = u'(' + parts.join(glue) + u')';
  out.depth += 1;
  return out;
}

Rendered render(const Node& node) {
  switch (node.kind) {
    case Node::And:
      return renderChain(node.kids, 0, node.kids.size(), QStringLiteral(" AND "));
    case Node::Or:
      return renderChain(node.kids, 0, node.kids.size(), QStringLiteral(" OR "));
    case Node::Not: {
      // A comparison with an empty field is unknown (NULL) in SQL; NOT must see it as false.
      Rendered inner = render(node.kids.front());
      return {QStringLiteral("(NOT coalesce(%1, 0))").arg(inner.sql), inner.depth + 2};
    }
    case Node::Leaf:
      break;
  }
  return {node.sql, node.depth};
}

Node leaf(QString sql, int depth) {
  Node n;
  n.sql = std::move(sql);
  n.depth = depth;
  return n;
}

// Joins operands into an AND or OR node, merging operands that are themselves of that kind.
Node group(Node::Kind kind, std::vector<Node> operands) {
  if (operands.size() == 1) return std::move(operands.front());
  Node n;
  n.kind = kind;
  for (Node& o : operands) {
    if (o.kind == kind) {
      for (Node& k : o.kids) n.kids.push_back(std::move(k));
    } else {
      n.kids.push_back(std::move(o));
    }
  }
  return n;
}

struct Operand {
  enum Kind { Field, Text, Number, True, False, Null } kind = Null;
  QString text;  // field name as written, or the literal's text
  int pos = 0;
  FilterColumn column{};
  bool isField() const { return kind == Field; }
};

class Parser {
 public:
  Parser(std::vector<Token> tokens, const FilterResolver& resolve)
      : t_(std::move(tokens)), resolve_(resolve) {}

  FilterSql run() {
    FilterSql result;
    if (peek().kind == Tok::End) return result;
    const Node tree = expr();
    if (peek().kind != Tok::End) {
      if (peek().kind == Tok::RParen) fail(QStringLiteral("»)« ohne »(«") + at(peek().pos));
      fail(QStringLiteral("unerwartetes »%1«").arg(shown(peek().text)) + at(peek().pos));
    }
    Rendered sql = render(tree);
    if (sql.depth > kMaxSqlDepth) fail(QStringLiteral("zu tief verschachtelt"));
    result.where = std::move(sql.sql);
    result.binds = std::move(binds_);
    return result;
  }

 private:
  const Token& peek() const { return t_[i_]; }
  const Token& next() { return i_ + 1 < t_.size() ? t_[i_++] : t_[i_]; }

  Node expr() {
    std::vector<Node> terms;
    terms.push_back(term());
    while (isKeyword(peek(), u"OR")) {
      next();
      terms.push_back(term());
    }
    return group(Node::Or, std::move(terms));
  }

  Node term() {
    std::vector<Node> factors;
    factors.push_back(factor());
    while (isKeyword(peek(), u"AND")) {
      next();
      factors.push_back(factor());
    }
    return group(Node::And, std::move(factors));
  }

  Node factor() {
    struct Depth {
      int& d;
      explicit Depth(int& depth, int pos) : d(depth) {
        if (++d > kMaxDepth) fail(QStringLiteral("zu tief verschachtelt") + at(pos));
      }
      ~Depth() { --d; }
    } guard(depth_, peek().pos);

    if (isKeyword(peek(), u"NOT")) {
      next();
      Node inner = factor();
      // Comparisons with empty fields count as false throughout, so NOT NOT x selects as x.
      if (inner.kind == Node::Not) return std::move(inner.kids.front());
      Node n;
      n.kind = Node::Not;
      n.kids.push_back(std::move(inner));
      return n;
    }
    if (peek().kind == Tok::LParen) {
      next();
      Node inner = expr();
      if (peek().kind != Tok::RParen) {
        if (peek().kind == Tok::End) fail(QStringLiteral("»)« fehlt am Ende"));
        fail(QStringLiteral("»)« erwartet statt »%1«").arg(shown(peek().text)) + at(peek().pos));
      }
      next();
      return inner;
    }
    return comparison();
  }

  Operand operand() {
    const Token& tok = peek();
    Operand o;
    o.pos = tok.pos;
    o.text = tok.text;
    switch (tok.kind) {
      case Tok::Text:
        o.kind = Operand::Text;
        break;
      case Tok::Number:
        o.kind = Operand::Number;
        break;
      case Tok::Bracket:
        o.kind = Operand::Field;
        break;
      case Tok::Word:
        if (isKeyword(tok, u"TRUE")) {
          o.kind = Operand::True;
        } else if (isKeyword(tok, u"FALSE")) {
          o.kind = Operand::False;
        } else if (isKeyword(tok, u"NULL")) {
          o.kind = Operand::Null;
        } else if (isReserved(tok)) {
          fail(QStringLiteral("Feld oder Wert erwartet statt »%1«").arg(tok.text) + at(tok.pos));
        } else {
          o.kind = Operand::Field;
        }
        break;
      case Tok::End:
        fail(QStringLiteral("Feld oder Wert fehlt am Ende"));
      default:
        fail(QStringLiteral("Feld oder Wert erwartet statt »%1«").arg(tok.text) + at(tok.pos));
    }
    if (o.kind == Operand::Field) {
      std::optional<FilterColumn> col = resolve_ ? resolve_(o.text) : std::nullopt;
      if (!col) fail(QStringLiteral("unbekanntes Feld »%1«").arg(shown(o.text)), o.text);
      o.column = *col;
    }
    next();
    return o;
  }

  Node comparison() {
    Operand left = operand();

    if (isKeyword(peek(), u"IS")) {
      next();
      bool negated = false;
      if (isKeyword(peek(), u"NOT")) {
        next();
        negated = true;
      }
      if (!isKeyword(peek(), u"NULL")) fail(QStringLiteral("NULL erwartet nach IS") + at(peek().pos));
      next();
      if (!left.isField()) fail(QStringLiteral("IS NULL verlangt ein Feld") + at(left.pos));
      return leaf(
          left.column.sqlName + (negated ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL")), 0);
    }

    if (peek().kind != Tok::Op) {
      if (peek().kind == Tok::End) fail(QStringLiteral("Vergleichsoperator fehlt am Ende"));
      fail(QStringLiteral("Vergleichsoperator erwartet statt »%1«").arg(shown(peek().text)) + at(peek().pos));
    }
    QString op = next().text;
    Operand right = operand();

    if (left.isField() && right.isField()) return compareFields(left, op, right);
    if (!left.isField() && !right.isField()) fail(QStringLiteral("Vergleich ohne Feld") + at(left.pos));
    if (!left.isField()) {
      std::swap(left, right);
      op = mirrored(op);
    }
    return compareWithLiteral(left, op, right);
  }

  static void refuseGraphic(const Operand& field) {
    if (field.column.type == FieldType::Graphic)
      fail(QStringLiteral("das Bildfeld »%1« lässt sich nur mit IS NULL prüfen").arg(shown(field.text)) +
           at(field.pos));
  }

  static Node compareFields(const Operand& a, const QString& op, const Operand& b) {
    refuseGraphic(a);
    refuseGraphic(b);
    // Two empty fields are equal; an empty field differs from a filled one.
    if (op == u"=") return leaf(a.column.sqlName + QStringLiteral(" IS ") + b.column.sqlName, 0);
    if (op == u"<>") return leaf(a.column.sqlName + QStringLiteral(" IS NOT ") + b.column.sqlName, 0);
    return leaf(a.column.sqlName + u' ' + op + u' ' + b.column.sqlName, 0);
  }

  Node compareWithLiteral(const Operand& field, const QString& op, const Operand& lit) {
    refuseGraphic(field);
    const QString& col = field.column.sqlName;
    const FieldType type = field.column.type;

    const bool empty = lit.kind == Operand::Null || (lit.kind == Operand::Text && lit.text.isEmpty()) ||
                       (lit.kind == Operand::Text && !isTextType(type) && lit.text.trimmed().isEmpty());
    if (empty) {
      if (op == u"=") return leaf(col + QStringLiteral(" IS NULL"), 0);
      if (op == u"<>") return leaf(col + QStringLiteral(" IS NOT NULL"), 0);
      fail(QStringLiteral("ein leerer Wert lässt sich nur mit = oder <> vergleichen") + at(lit.pos));
    }

    if (lit.kind == Operand::Text && isTextType(type) && lit.text.endsWith(u'*') &&
        (op == u"=" || op == u"<>")) {
      const QString prefix = lit.text.chopped(1);
      if (prefix.isEmpty())
        return leaf(col + (op == u"=" ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL")), 0);
      // substr counts characters, so the length is given in code points.
      binds_ << QVariant::fromValue(static_cast<qlonglong>(prefix.toUcs4().size())) << QVariant(prefix);
      if (op == u"=") return leaf(QStringLiteral("substr(%1, 1, ?) = ?").arg(col), 1);
      return leaf(QStringLiteral("(%1 IS NULL OR substr(%1, 1, ?) <> ?)").arg(col), 2);
    }

    binds_ << convert(field, lit);
    if (op == u"<>") return leaf(QStringLiteral("(%1 IS NULL OR %1 <> ?)").arg(col), 1);
    return leaf(col + u' ' + op + QStringLiteral(" ?"), 0);
  }

  [[noreturn]] static void mismatch(const Operand& field, const Operand& lit) {
    QString value = lit.text;
    if (lit.kind == Operand::Text) value = u'\'' + lit.text + u'\'';
    fail(QStringLiteral("der Wert %1 passt nicht zum Feld »%2«").arg(shown(value), shown(field.text)) +
         at(lit.pos));
  }

  static QVariant convert(const Operand& field, const Operand& lit) {
    const bool textual = lit.kind == Operand::Text || lit.kind == Operand::Number;
    const QString text = lit.text.trimmed();
    switch (field.column.type) {
      case FieldType::Alpha:
      case FieldType::Memo:
        if (!textual) mismatch(field, lit);
        return QVariant(lit.text);

      case FieldType::AutoInc:
      case FieldType::Short:
      case FieldType::Long: {
        if (!textual) mismatch(field, lit);
        bool ok = false;
        const qlonglong v = text.toLongLong(&ok, 10);
        if (!ok) mismatch(field, lit);
        return QVariant::fromValue(v);
      }

      case FieldType::Number: {
        if (!textual) mismatch(field, lit);
        QString t = text;
        if (t.contains(u',')) {
          t.remove(u'.');  // thousands separators in German notation
          t.replace(u',', u'.');
        }
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v)) mismatch(field, lit);
        return QVariant(v);
      }

      case FieldType::Money: {
        if (!textual) mismatch(field, lit);
        // A filter is program text: a point there is a decimal point ("-0.5"), unlike in a box.
        std::optional<Money> m = Money::parse(text);
        if (!m && !text.contains(u',')) m = Money::parse(QString(text).replace(u'.', u','));
        if (!m) mismatch(field, lit);
        return QVariant::fromValue(static_cast<qlonglong>(m->units()));
      }

      case FieldType::Date: {
        if (lit.kind != Operand::Text) mismatch(field, lit);
        static const QRegularExpression german(QStringLiteral(R"(^(\d{1,2})\.(\d{1,2})\.(\d{4})$)"));
        static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})$)"));
        QDate date;
        if (auto m = german.match(text); m.hasMatch())
          date = QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
        else if (auto m2 = iso.match(text); m2.hasMatch())
          date = QDate(m2.captured(1).toInt(), m2.captured(2).toInt(), m2.captured(3).toInt());
        if (!date.isValid())
          fail(QStringLiteral("»%1« ist kein gültiges Datum für »%2«")
                   .arg(shown(lit.text), shown(field.text)) +
               at(lit.pos));
        return QVariant(date.toString(QStringLiteral("yyyy-MM-dd")));
      }

      case FieldType::Logical: {
        if (lit.kind == Operand::True) return QVariant::fromValue(qlonglong{1});
        if (lit.kind == Operand::False) return QVariant::fromValue(qlonglong{0});
        const QString u = text.toUpper();
        if (u == u"T" || u == u"TRUE" || u == u"1") return QVariant::fromValue(qlonglong{1});
        if (u == u"F" || u == u"FALSE" || u == u"0") return QVariant::fromValue(qlonglong{0});
        mismatch(field, lit);
      }

      case FieldType::Graphic:
        break;
    }
    mismatch(field, lit);
  }

  std::vector<Token> t_;
  std::size_t i_ = 0;
  int depth_ = 0;
  const FilterResolver& resolve_;
  QVariantList binds_;
};

}  // namespace

FilterSql translateFilter(const QString& expression, const FilterResolver& resolve) {
  return Parser(tokenize(expression), resolve).run();
}

}  // namespace lapiro::engine
