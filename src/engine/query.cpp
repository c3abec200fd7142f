#include "engine/query.h"

#include "engine/engine.h"
#include "engine/sql_translate.h"

#include <algorithm>
#include <cstring>

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

// The stored values of a result, packed row by row into large chunks: per value a tag byte,
// then the integer in as few bytes as it needs, the 8 bytes of a double, or a length
// (7 bits a byte) and the text's UTF-8 or the blob's bytes. Unpacking gives exactly what
// Statement::column() gives for the same value.
class Query::PackedRows {
 public:
  explicit PackedRows(int columns) : columns_(columns) {}

  int columns() const { return columns_; }
  qint64 size() const { return static_cast<qint64>(rows_.size()); }

  // Appends the current row of `st`.
  void append(sqlite3_stmt* st) {
    if (chunks_.empty()) room(0);
    rowStart_ = chunkUsed_;
    for (int c = 0; c < columns_; ++c) {
      // One value handle per column instead of a type call plus a value call through the
      // statement; the statement is used by this thread only and not stepped meanwhile.
      sqlite3_value* v = sqlite3_column_value(st, c);
      switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: putInteger(sqlite3_value_int64(v)); break;
        case SQLITE_FLOAT: putRaw(Tag::Float, sqlite3_value_double(v)); break;
        case SQLITE_TEXT: {
          const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
          putBytes(Tag::Text, text, sqlite3_value_bytes(v));
          break;
        }
        case SQLITE_BLOB: {
          const auto* data = static_cast<const char*>(sqlite3_value_blob(v));
          putBytes(Tag::Blob, data, sqlite3_value_bytes(v));
          break;
        }
        default: *room(1) = static_cast<char>(Tag::Null); break;
      }
    }
    rows_.push_back(chunks_.back().get() + rowStart_);
  }

  // The storage values of row `pos` (0 <= pos < size()) into row[0 .. columns()-1].
  void unpack(qint64 pos, std::vector<QVariant>& row) const {
    const char* p = rows_[static_cast<size_t>(pos)];
    for (int c = 0; c < columns_; ++c) {
      const auto tag = static_cast<Tag>(*p++);
      switch (tag) {
        case Tag::Null: row[c] = QVariant(); break;
        case Tag::Int8: row[c] = QVariant(static_cast<qlonglong>(readInt<qint8>(p))); break;
        case Tag::Int16: row[c] = QVariant(static_cast<qlonglong>(readInt<qint16>(p))); break;
        case Tag::Int32: row[c] = QVariant(static_cast<qlonglong>(readInt<qint32>(p))); break;
        case Tag::Int64: row[c] = QVariant(static_cast<qlonglong>(readInt<qint64>(p))); break;
        case Tag::Float: row[c] = QVariant(readInt<double>(p)); break;
        case Tag::Text: {
          const size_t n = readLength(p);
          row[c] = QVariant(QString::fromUtf8(p, static_cast<qsizetype>(n)));
          p += n;
          break;
        }
        case Tag::Blob: {
          // SQLite hands out a zero-length blob as a null pointer, hence a null QByteArray.
          const size_t n = readLength(p);
          row[c] = QVariant(n ? QByteArray(p, static_cast<qsizetype>(n)) : QByteArray());
          p += n;
          break;
        }
      }
    }
  }

 private:
  enum class Tag : char { Null, Int8, Int16, Int32, Int64, Float, Text, Blob };
  static constexpr size_t kChunk = 256 * 1024;

  template <typename T>
  static T readInt(const char*& p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
  }

  static size_t readLength(const char*& p) {
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
      const auto b = static_cast<unsigned char>(*p++);
      n |= static_cast<size_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return n;
    }
  }

  // Space for `n` more bytes of the row being appended, in the current chunk. A row never
  // straddles two chunks: when it does not fit, its beginning moves to a new chunk, which is
  // at least large enough for the whole row so far. Chunks never move, so a row is found by
  // its address.
  char* room(size_t n) {
    if (!chunks_.empty() && chunkSize_ - chunkUsed_ >= n) {
      char* at = chunks_.back().get() + chunkUsed_;
      chunkUsed_ += n;
      return at;
    }
    const size_t partial = chunks_.empty() ? 0 : chunkUsed_ - rowStart_;
    const size_t size = std::max(kChunk, 2 * (partial + n));
    auto chunk = std::make_unique_for_overwrite<char[]>(size);
    if (partial > 0) std::memcpy(chunk.get(), chunks_.back().get() + rowStart_, partial);
    chunks_.push_back(std::move(chunk));
    chunkSize_ = size;
    rowStart_ = 0;
    chunkUsed_ = partial + n;
    return chunks_.back().get() + partial;
  }

  template <typename T>
  void putRaw(Tag tag, T v) {
    char* at = room(1 + sizeof v);
    *at = static_cast<char>(tag);
    std::memcpy(at + 1, &v, sizeof v);
  }

  void putInteger(qint64 v) {
    if (v >= INT8_MIN && v <= INT8_MAX) putRaw(Tag::Int8, static_cast<qint8>(v));
    else if (v >= INT16_MIN && v <= INT16_MAX) putRaw(Tag::Int16, static_cast<qint16>(v));
    else if (v >= INT32_MIN && v <= INT32_MAX) putRaw(Tag::Int32, static_cast<qint32>(v));
    else putRaw(Tag::Int64, v);
  }

  void putBytes(Tag tag, const char* data, int bytes) {
    const auto length = static_cast<size_t>(std::max(bytes, 0));
    char* at = room(1 + 10 + length);  // tag, at most 10 length bytes, the bytes
    char* p = at;
    *p++ = static_cast<char>(tag);
    size_t n = length;
    do {
      const auto low = static_cast<unsigned char>(n & 0x7f);
      n >>= 7;
      *p++ = static_cast<char>(n ? (low | 0x80) : low);
    } while (n);
    if (length > 0) std::memcpy(p, data, length);
    p += length;
    chunkUsed_ -= static_cast<size_t>((at + 1 + 10 + length) - p);  // give back unused length bytes
  }

  int columns_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  size_t chunkSize_ = 0;
  size_t chunkUsed_ = 0;
  size_t rowStart_ = 0;  // offset of the row being appended in the current chunk
  std::vector<const char*> rows_;
};

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
  rows_.reset();
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
  // The column types come from the first row (a column without declared type takes the type
  // of its first value).
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
  auto rows = std::make_unique<PackedRows>(cols);
  while (st.step()) {
    if (!typed) learnTypes();
    rows->append(st.handle());
  }
  if (!typed) learnTypes();
  st.reset();
  defineFields(defs);
  rows_ = std::move(rows);
  pos_ = -1;
  bof_ = true;
  eof_ = rows_->size() == 0;
  if (rows_->size() > 0) {
    try {
      setCurrent(rowAt(0));
    } catch (...) {
      rows_.reset();
      throw;
    }
    pos_ = 0;
  } else {
    clearCurrent();
  }
  state_ = DataSetState::Browse;
  notify(Notification::Opened);
  fireHook(events.afterOpen);
  if (hasRecord_) fireHook(events.afterScroll);
}

void Query::close() {
  DataSet::close();
  rows_.reset();
  pos_ = -1;
}

qint64 Query::recordCount() { return rows_ ? rows_->size() : 0; }

DataSet::Row Query::rowAt(qint64 pos) {
  Row row(fields_.size() + 1);
  rows_->unpack(pos, row);
  for (int c = 0; c < rows_->columns(); ++c) row[c] = fromStorage(fields_[c].def.type, row[c]);
  row.back() = QVariant(static_cast<qlonglong>(pos));
  computeExtraFields(row);
  return row;
}

void Query::execSql() {
  if (isOpen()) close();
  engine_.execute(sql_, params_);
}

void Query::moveToPos(qint64 pos) {
  fireHook(events.beforeScroll);
  setCurrent(rowAt(pos));
  pos_ = pos;
  notify(Notification::Scrolled);
  fireHook(events.afterScroll);
}

void Query::first() {
  const qint64 size = recordCount();
  bof_ = true;
  eof_ = size == 0;
  if (size > 0) moveToPos(0);
}

void Query::last() {
  const qint64 size = recordCount();
  eof_ = true;
  bof_ = size == 0;
  if (size > 0) moveToPos(size - 1);
}

void Query::next() { moveBy(1); }
void Query::prior() { moveBy(-1); }

int Query::moveBy(int n) {
  const qint64 size = recordCount();
  if (size == 0 || n == 0) return 0;
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
  const qint64 begin = std::max<qint64>(offset, 0);
  const qint64 end = std::min<qint64>(offset + std::max(count, 0), recordCount());
  if (end <= begin) return out;
  out.reserve(static_cast<size_t>(end - begin));
  for (qint64 i = begin; i < end; ++i) out.push_back(rowAt(i));
  return out;
}

void Query::refresh() {
  const qint64 pos = pos_;
  close();
  open();
  if (pos > 0 && pos < recordCount()) moveToPos(pos);
}

QVariant Query::bookmark() const {
  if (!hasRecord_) return {};
  return QVariant(pos_);
}

bool Query::gotoBookmark(const QVariant& bookmark) {
  const qint64 pos = bookmark.toLongLong();
  if (!bookmark.isValid() || pos < 0 || pos >= recordCount()) return false;
  bof_ = eof_ = false;
  moveToPos(pos);
  return true;
}

}  // namespace lapiro::engine
