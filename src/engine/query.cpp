#include "engine/query.h"

#include "engine/engine.h"
#include "engine/sql_translate.h"

#include <QFileInfo>

namespace lapiro::engine {

namespace {

// The engine type of a result column: from the declared type of the column it comes from,
// else from the stored value.
FieldType columnType(sqlite3_stmt* st, int col, int* size) {
  if (const char* decl = sqlite3_column_decltype(st, col)) {
    if (auto t = typeFromDeclared(QString::fromUtf8(decl), size)) return *t == FieldType::AutoInc ? FieldType::Long : *t;
  }
  *size = 0;
  switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER: return FieldType::Long;
    case SQLITE_FLOAT: return FieldType::Number;
    case SQLITE_BLOB: return FieldType::Graphic;
    default: *size = 255; return FieldType::Alpha;
  }
}

}  // namespace

Query::Query(Engine& engine, QString name) : DataSet(engine, std::move(name)) {}

Query::~Query() {
  try {
    close();
  } catch (...) {
  }
}

void Query::setSql(const QString& statement) {
  if (isOpen()) close();
  sql_ = statement;
}

void Query::open() {
  if (isOpen()) return;
  const TableResolver resolver = [this](const QString& ref) { return engine_.resolveForSql(ref); };
  const TranslatedSql t = translateSql(sql_, resolver);
  if (t.kind != TranslatedSql::Kind::Query)
    throw EngineError(EngineError::Kind::BadStatement,
                      QStringLiteral("Die Anweisung liefert keine Datenmenge."), sql_);
  std::vector<std::pair<QString, QString>> files;
  for (const auto& a : t.attach) files.emplace_back(a.filePath, a.schema);
  engine_.attachFiles(files);
  Statement st(engine_.queryConnection(), t.sql);
  for (const QString& p : t.parameters) {
    const int idx = sqlite3_bind_parameter_index(st.handle(), (u':' + p).toUtf8().constData());
    if (idx <= 0) continue;
    QVariant v;
    for (auto it = params_.constBegin(); it != params_.constEnd(); ++it)
      if (sameName(it.key(), p)) v = it.value();
    st.bind(idx, v);
  }
  // Read the first row to learn the column types, then the rest.
  std::vector<std::vector<QVariant>> raw;
  bool typed = false;
  std::vector<FieldDef> defs;
  const int cols = st.columnCount();
  auto learnTypes = [&]() {
    QStringList used;
    for (int c = 0; c < cols; ++c) {
      int size = 0;
      const FieldType type = columnType(st.handle(), c, &size);
      defs.push_back(FieldDef{uniqueColumnName(QString::fromUtf8(sqlite3_column_name(st.handle(), c)), used), type,
                              size, false});
    }
    typed = true;
  };
  while (st.step()) {
    if (!typed) learnTypes();
    std::vector<QVariant> r(cols);
    for (int c = 0; c < cols; ++c) r[c] = st.column(c);
    raw.push_back(std::move(r));
  }
  if (!typed) learnTypes();
  st.reset();
  defineFields(defs);
  rows_.clear();
  rows_.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    Row row(fields_.size() + 1);
    for (int c = 0; c < cols; ++c) row[c] = fromStorage(defs[c].type, raw[i][c]);
    row.back() = QVariant(static_cast<qlonglong>(i));
    rows_.push_back(std::move(row));
  }
  for (auto& r : rows_) computeExtraFields(r);
  state_ = DataSetState::Browse;
  pos_ = -1;
  bof_ = true;
  eof_ = rows_.empty();
  if (!rows_.empty()) {
    pos_ = 0;
    setCurrent(rows_[0]);
  } else {
    clearCurrent();
  }
  notify(Notification::Opened);
  fireHook(events.afterOpen);
  if (hasRecord_) fireHook(events.afterScroll);
}

void Query::execSql() {
  if (isOpen()) close();
  engine_.execute(sql_, params_);
}

void Query::moveToPos(qint64 pos) {
  fireHook(events.beforeScroll);
  pos_ = pos;
  setCurrent(rows_[static_cast<size_t>(pos)]);
  notify(Notification::Scrolled);
  fireHook(events.afterScroll);
}

void Query::first() {
  bof_ = true;
  eof_ = rows_.empty();
  if (!rows_.empty()) moveToPos(0);
}

void Query::last() {
  eof_ = true;
  bof_ = rows_.empty();
  if (!rows_.empty()) moveToPos(static_cast<qint64>(rows_.size()) - 1);
}

void Query::next() { moveBy(1); }
void Query::prior() { moveBy(-1); }

int Query::moveBy(int n) {
  if (rows_.empty() || n == 0) return 0;
  const qint64 size = static_cast<qint64>(rows_.size());
  if (n > 0) {
    if (eof_) return 0;
    const qint64 target = std::min<qint64>(pos_ + n, size - 1);
    const int moved = static_cast<int>(target - pos_);
    bof_ = false;
    eof_ = moved < n;
    if (moved > 0) moveToPos(target);
    return moved;
  }
  if (bof_) return 0;
  const qint64 target = std::max<qint64>(pos_ + n, 0);
  const int moved = static_cast<int>(pos_ - target);
  eof_ = false;
  bof_ = moved < -n;
  if (moved > 0) moveToPos(target);
  return moved;
}

std::vector<DataSet::Row> Query::readRows(qint64 offset, int count) {
  std::vector<Row> out;
  for (qint64 i = offset; i < offset + count && i < static_cast<qint64>(rows_.size()); ++i)
    out.push_back(rows_[static_cast<size_t>(i)]);
  return out;
}

void Query::refresh() {
  const qint64 pos = pos_;
  close();
  open();
  if (pos > 0 && pos < static_cast<qint64>(rows_.size())) moveToPos(pos);
}

QVariant Query::bookmark() const {
  if (!hasRecord_) return {};
  return QVariant(pos_);
}

bool Query::gotoBookmark(const QVariant& bookmark) {
  const qint64 pos = bookmark.toLongLong();
  if (!bookmark.isValid() || pos < 0 || pos >= static_cast<qint64>(rows_.size())) return false;
  bof_ = eof_ = false;
  moveToPos(pos);
  return true;
}

}  // namespace lapiro::engine
