#include "engine/cursor.h"

#include "engine/filter.h"

#include <algorithm>

namespace lapiro::engine {

namespace {

bool isNullValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

// One contiguous stretch of the order to read from: a WHERE fragment with its values.
struct Stretch {
  QString sql;
  QVariantList binds;
};

// Holds one read transaction over several statements, so the file is locked and checked once
// instead of once per statement. Does nothing inside a transaction that is already open.
class ReadGuard {
 public:
  explicit ReadGuard(Table& table) : table_(table) {
    if (sqlite3_get_autocommit(table.db())) {
      Statement& begin = table.statements().get(QStringLiteral("BEGIN"));
      begin.step();
      begin.reset();
      active_ = true;
    }
  }
  ~ReadGuard() {
    if (!active_) return;
    if (sqlite3_exec(table_.db(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      sqlite3_exec(table_.db(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  ReadGuard(const ReadGuard&) = delete;
  ReadGuard& operator=(const ReadGuard&) = delete;

 private:
  Table& table_;
  bool active_ = false;
};

}  // namespace

Cursor::Cursor(Engine& engine, QString name) : DataSet(engine, std::move(name)) {}

Cursor::~Cursor() {
  try {
    close();
  } catch (...) {
    // A destructor must not throw; pending changes were offered to the rules already.
  }
  clearMaster();
}

// ---------------------------------------------------------------- configuration

void Cursor::setTableName(const QString& tableName) {
  if (isOpen())
    throw EngineError(EngineError::Kind::State,
                      QStringLiteral("Die Tabelle kann nur bei geschlossener Datenmenge gewechselt werden."));
  tableName_ = tableName;
}

void Cursor::setReadOnly(bool readOnly) { readOnly_ = readOnly; }

void Cursor::setExclusive(bool exclusive) {
  if (isOpen())
    throw EngineError(EngineError::Kind::State,
                      QStringLiteral("Der exklusive Zugriff kann nur bei geschlossener Tabelle gewählt werden."));
  exclusive_ = exclusive;
}

void Cursor::setIndexName(const QString& indexName) { changeOrder(indexName, QString()); }

void Cursor::setIndexFieldNames(const QString& fieldList) { changeOrder(QString(), fieldList); }

void Cursor::changeOrder(const QString& indexName, const QString& fieldList) {
  const QString oldName = indexName_;
  const QString oldFields = indexFieldNames_;
  indexName_ = indexName;
  indexFieldNames_ = fieldList;
  if (!isOpen()) return;
  try {
    buildOrder();
  } catch (...) {
    // An unknown index leaves the order as it was.
    indexName_ = oldName;
    indexFieldNames_ = oldFields;
    buildOrder();
    throw;
  }
  rebuildBase();
  notify(Notification::Reset);
}

QStringList Cursor::orderFields() const {
  QStringList names;
  for (const auto& c : order_)
    if (c.field >= 0) names << fields_[c.field].def.name;
  return names;
}

void Cursor::setFilter(const QString& expression) {
  filterText_ = expression;
  if (isOpen() && filtered_) {
    rebuildBase();
    first();
    notify(Notification::Reset);
  }
}

void Cursor::setFiltered(bool filtered) {
  if (filtered_ == filtered) return;
  filtered_ = filtered;
  if (isOpen()) {
    rebuildBase();
    first();
    notify(Notification::Reset);
  }
}

void Cursor::setRange(const QVariantList& start, const QVariantList& end) {
  range_ = std::make_pair(start, end);
  if (isOpen()) {
    rebuildBase();
    first();
    notify(Notification::Reset);
  }
}

void Cursor::cancelRange() {
  if (!range_) return;
  range_.reset();
  if (isOpen()) {
    rebuildBase();
    first();
    notify(Notification::Reset);
  }
}

void Cursor::setMaster(DataSet* master, const QString& masterFields, const QString& detailFields) {
  clearMaster();
  master_ = master;
  masterFields_ = masterFields;
  detailFields_ = detailFields;
  masterListener_ = master_->addListener([this](Notification n) {
    if (n == Notification::Destroyed) {
      master_ = nullptr;
      masterListener_ = 0;
      return;
    }
    // Pending changes are saved before the master moves, so a rule that stops the save
    // stops the master's move too.
    if (n == Notification::BeforeMove) {
      if (!isOpen()) return;
      try {
        checkBrowseMode();
      } catch (const Abort&) {
        // A rule that discarded the change (answer "Nein") lets the master move on; one that
        // kept the record in edit stops the move.
        if (isEditing()) throw;
      }
      return;
    }
    if (n == Notification::Scrolled || n == Notification::DataChanged || n == Notification::Opened ||
        n == Notification::Closed || n == Notification::Reset || n == Notification::StateChanged)
      masterMoved();
  });
  if (isOpen()) masterMoved();
}

void Cursor::clearMaster() {
  if (master_ && masterListener_) master_->removeListener(masterListener_);
  master_ = nullptr;
  masterListener_ = 0;
  masterKey_.clear();
}

QVariantList Cursor::masterValues() const {
  QVariantList values;
  if (!master_ || !master_->isOpen() || !master_->hasRecord()) return values;
  for (const QString& f : masterFields_.split(u';', Qt::SkipEmptyParts)) {
    Field mf = master_->field(f.trimmed());
    values << mf.value();
  }
  return values;
}

void Cursor::masterMoved() {
  if (!isOpen() || !master_) return;
  const QVariantList values = masterValues();
  if (values == masterKey_ && !values.isEmpty()) return;
  checkBrowseMode();
  masterKey_ = values;
  rebuildBase();
  first();
  notify(Notification::Reset);
}

// ---------------------------------------------------------------- open / close

const TableDef& Cursor::tableDef() const {
  requireOpen();
  return table_->def();
}

void Cursor::open() {
  if (isOpen()) return;
  if (tableName_.isEmpty())
    throw EngineError(EngineError::Kind::General, QStringLiteral("Es ist keine Tabelle angegeben."));
  auto table = engine_.acquire(tableName_, exclusive_ ? OpenMode::Exclusive : OpenMode::Shared);
  for (const QString& f : expectedFields_)
    if (!table->def().field(f))
      throw EngineError(EngineError::Kind::FieldMissing,
                        QStringLiteral("Das Feld %1 fehlt in der Tabelle %2.").arg(f, tableName_), f);
  table_ = table;
  try {
    defineFields(table_->def().fields);
    buildOrder();
    if (master_) masterKey_ = masterValues();
    rebuildBase();
  } catch (...) {
    table_.reset();
    fields_.clear();
    throw;
  }
  table_->attach(this);
  state_ = DataSetState::Browse;
  modified_ = false;
  auto rows = scanAll(true, 1);
  if (rows.empty()) {
    clearCurrent();
    bof_ = eof_ = true;
  } else {
    rowid_ = rows.front().back().toLongLong();
    setCurrent(std::move(rows.front()));
    bof_ = true;
    eof_ = false;
  }
  fetchedVersion_ = table_->version();
  notify(Notification::Opened);
  fireHook(events.afterOpen);
  if (hasRecord_) fireHook(events.afterScroll);
}

void Cursor::close() {
  if (!isOpen()) return;
  DataSet::close();
  if (table_) table_->detach(this);
  table_.reset();
}

void Cursor::requireOpen() const {
  if (!table_ || state_ == DataSetState::Inactive)
    throw EngineError(EngineError::Kind::State,
                      QStringLiteral("Die Tabelle %1 ist nicht geöffnet.").arg(tableName_));
}

void Cursor::requireWritable() const {
  requireOpen();
  if (readOnly_ || table_->readOnly())
    throw EngineError(EngineError::Kind::ReadOnly,
                      QStringLiteral("Die Tabelle %1 ist nur zum Lesen geöffnet.").arg(tableName_));
}

// ---------------------------------------------------------------- order and conditions

void Cursor::buildOrder() {
  const TableDef& def = table_->def();
  std::vector<OrderColumn> order;
  auto columnFor = [&](const QString& name, bool desc, bool nocase, bool german = false) {
    const int idx = fieldIndex(name.trimmed());
    if (idx < 0 || idx >= dataFieldCount())
      throw EngineError(EngineError::Kind::FieldMissing,
                        QStringLiteral("Das Feld %1 gibt es in der Tabelle %2 nicht.").arg(name, tableName_), name);
    OrderColumn c;
    c.field = idx;
    c.sql = quoteIdent(fields_[idx].def.name);
    c.descending = desc;
    c.nocase = nocase || german;
    c.german = german;
    if (german) c.sql = germanSortKeySql(c.sql);
    c.notNull = fields_[idx].def.required || sameName(fields_[idx].def.name, table_->rowidField());
    return c;
  };
  if (!indexFieldNames_.isEmpty()) {
    for (const QString& f : indexFieldNames_.split(u';', Qt::SkipEmptyParts)) {
      const QString name = f.trimmed();
      const bool desc = name.endsWith(QStringLiteral(" desc"), Qt::CaseInsensitive);
      order.push_back(columnFor(desc ? name.chopped(5) : name, desc, false));
    }
  } else if (!indexName_.isEmpty()) {
    const IndexDef* idx = def.index(indexName_);
    if (!idx) {
      // A primary index may be named by its field list.
      const IndexDef* pk = def.primary();
      if (pk && sameName(pk->fieldNames().join(u';'), indexName_)) idx = pk;
    }
    if (!idx)
      throw EngineError(EngineError::Kind::IndexMissing,
                        QStringLiteral("Der Index %1 der Tabelle %2 existiert nicht.").arg(indexName_, tableName_),
                        indexName_);
    for (const auto& f : idx->fields) order.push_back(columnFor(f.name, f.descending, f.caseInsensitive, f.german));
  } else if (const IndexDef* pk = def.primary()) {
    for (const auto& f : pk->fields) order.push_back(columnFor(f.name, false, false));
  }
  // The rowid makes every order total, so each record has exactly one place.
  const bool endsWithRowid = !order.empty() && !table_->rowidField().isEmpty() &&
                             sameName(fields_[order.back().field].def.name, table_->rowidField()) &&
                             !order.back().descending;
  if (!endsWithRowid) {
    OrderColumn rid;
    rid.sql = QStringLiteral("rowid");
    rid.notNull = true;
    // A wholly descending order reads its index backwards, the rowid included.
    rid.descending = !order.empty() && std::all_of(order.begin(), order.end(), [](const OrderColumn& c) { return c.descending; });
    order.push_back(rid);
  }
  order_ = std::move(order);
  ahead_.clear();
}

QString Cursor::colCompare(const OrderColumn& c, const char* op) const {
  return c.sql + (c.nocase ? QStringLiteral(" COLLATE NOCASE ") : QStringLiteral(" ")) + QLatin1String(op) +
         u' ' + (c.german ? germanSortKeySql(QStringLiteral("?")) : QStringLiteral("?"));
}

QString Cursor::orderBy(bool forward) const {
  QStringList parts;
  for (const auto& c : order_) {
    const bool desc = c.descending != !forward;
    parts << c.sql + (c.nocase ? QStringLiteral(" COLLATE NOCASE") : QString()) +
                 (desc ? QStringLiteral(" DESC") : QString());
  }
  return parts.join(u", ");
}

void Cursor::rebuildBase() {
  Where w;
  QStringList conds;
  if (filtered_ && !filterText_.trimmed().isEmpty()) {
    const FilterResolver resolver = [this](const QString& name) -> std::optional<FilterColumn> {
      const int idx = fieldIndex(name);
      if (idx < 0 || idx >= dataFieldCount()) return std::nullopt;
      return FilterColumn{quoteIdent(fields_[idx].def.name), fields_[idx].def.type};
    };
    const FilterSql f = translateFilter(filterText_, resolver);
    conds << u'(' + f.where + u')';
    w.binds << f.binds;
  }
  auto storageFor = [this](int field, const QVariant& v) {
    const FieldInfo& info = fields_[field];
    return toStorage(info.def.type, toTyped(info.def.type, info.def.size, v, info.def.name));
  };
  if (master_) {
    if (masterKey_.isEmpty() || std::any_of(masterKey_.begin(), masterKey_.end(), isNullValue)) {
      conds << QStringLiteral("0");
    } else {
      QStringList detail = detailFields_.split(u';', Qt::SkipEmptyParts);
      if (detail.isEmpty()) detail = orderFields().mid(0, static_cast<int>(masterKey_.size()));
      for (int i = 0; i < detail.size() && i < masterKey_.size(); ++i) {
        const int idx = fieldIndex(detail[i].trimmed());
        if (idx < 0)
          throw EngineError(EngineError::Kind::FieldMissing,
                            QStringLiteral("Das Verknüpfungsfeld %1 fehlt.").arg(detail[i]), detail[i]);
        conds << quoteIdent(fields_[idx].def.name) + QStringLiteral(" = ?");
        w.binds << storageFor(idx, masterKey_[i]);
      }
    }
  }
  if (range_) {
    const auto& [start, end] = *range_;
    const int n = static_cast<int>(std::min<size_t>(std::max(start.size(), end.size()), order_.size()));
    for (int i = 0; i < n; ++i) {
      const OrderColumn& c = order_[i];
      if (c.field < 0) break;
      const QVariant s = i < start.size() ? storageFor(c.field, start[i]) : QVariant();
      const QVariant e = i < end.size() ? storageFor(c.field, end[i]) : QVariant();
      const bool hasS = i < start.size();
      const bool hasE = i < end.size();
      if (hasS && hasE && s == e && isNullValue(s) == isNullValue(e)) {
        if (isNullValue(s)) {
          conds << c.sql + QStringLiteral(" IS NULL");
        } else {
          conds << colCompare(c, "=");
          w.binds << s;
        }
        continue;
      }
      if (hasS && !isNullValue(s)) {
        conds << colCompare(c, ">=");
        w.binds << s;
      }
      if (hasE) {
        if (isNullValue(e)) {
          conds << c.sql + QStringLiteral(" IS NULL");
        } else if (hasS && !isNullValue(s)) {
          // The start bound already excludes empty values; a plain bound keeps the range
          // on the index (an OR would make SQLite evaluate the key of every row).
          conds << colCompare(c, "<=");
          w.binds << e;
        } else {
          conds << u'(' + c.sql + QStringLiteral(" IS NULL OR ") + colCompare(c, "<=") + u')';
          w.binds << e;
        }
      }
      break;
    }
  }
  w.sql = conds.isEmpty() ? QString() : conds.join(QStringLiteral(" AND "));
  base_ = std::move(w);
  ahead_.clear();
}

QString Cursor::selectList() const {
  QStringList cols{QStringLiteral("rowid")};
  for (int i = 0; i < dataFieldCount(); ++i) cols << quoteIdent(fields_[i].def.name);
  return cols.join(u", ");
}

DataSet::Row Cursor::fetchRow(const Statement& st) const {
  Row row(fields_.size() + 1);
  for (int i = 0; i < dataFieldCount(); ++i) row[i] = fromStorage(fields_[i].def.type, st.column(i + 1));
  row.back() = st.column(0);
  return row;
}

QVariantList Cursor::keyOf(const Row& row) const {
  QVariantList key;
  for (const auto& c : order_)
    key << (c.field >= 0 ? toStorage(fields_[c.field].def.type, row[c.field]) : row.back());
  return key;
}

std::vector<DataSet::Row> Cursor::scanAll(bool forward, int limit, qint64 offset) {
  QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectList(), table_->sqlName());
  if (!base_.sql.isEmpty()) sql += QStringLiteral(" WHERE ") + base_.sql;
  sql += QStringLiteral(" ORDER BY ") + orderBy(forward) + QStringLiteral(" LIMIT ? OFFSET ?");
  Statement& st = table_->statements().get(sql);
  st.bindAll(base_.binds);
  st.bind(base_.binds.size() + 1, QVariant(static_cast<qlonglong>(limit)));
  st.bind(base_.binds.size() + 2, QVariant(static_cast<qlonglong>(offset)));
  std::vector<Row> rows;
  while (st.step()) rows.push_back(fetchRow(st));
  st.reset();
  for (auto& r : rows) computeExtraFields(r);
  return rows;
}

namespace {

// The stretches of the order that lie after (forward) or before (backward) `key`, nearest
// first. Each stretch is an index seek: equal leading columns plus one bound.
template <typename Col, typename Cmp>
std::vector<Stretch> stretches(const std::vector<Col>& order, const QVariantList& key, bool forward, bool inclusive,
                               Cmp compare) {
  std::vector<Stretch> out;
  const int m = static_cast<int>(key.size());
  for (int level = m - 1; level >= 0; --level) {
    QStringList prefix;
    QVariantList prefixBinds;
    for (int i = 0; i < level; ++i) {
      if (isNullValue(key[i])) {
        prefix << order[i].sql + QStringLiteral(" IS NULL");
      } else {
        prefix << compare(order[i], "=");
        prefixBinds << key[i];
      }
    }
    const Col& c = order[level];
    const QVariant& v = key[level];
    const bool incl = inclusive && level == m - 1;
    const bool up = forward != c.descending;  // towards larger values
    std::vector<Stretch> local;
    if (up) {
      if (isNullValue(v))
        local.push_back({incl ? QString() : c.sql + QStringLiteral(" IS NOT NULL"), {}});
      else
        local.push_back({compare(c, incl ? ">=" : ">"), {v}});
    } else {
      if (isNullValue(v)) {
        if (incl) local.push_back({c.sql + QStringLiteral(" IS NULL"), {}});
      } else {
        local.push_back({compare(c, incl ? "<=" : "<"), {v}});
        if (!c.notNull) local.push_back({c.sql + QStringLiteral(" IS NULL"), {}});
      }
    }
    for (auto& s : local) {
      QStringList all = prefix;
      if (!s.sql.isEmpty()) all << s.sql;
      Stretch st;
      st.sql = all.join(QStringLiteral(" AND "));
      st.binds = prefixBinds;
      st.binds << s.binds;
      out.push_back(std::move(st));
    }
  }
  return out;
}

}  // namespace

std::vector<DataSet::Row> Cursor::scan(const QVariantList& key, bool forward, bool inclusive, int limit) {
  std::vector<Row> rows;
  const auto parts = stretches(order_, key, forward, inclusive,
                               [this](const OrderColumn& c, const char* op) { return colCompare(c, op); });
  ReadGuard guard(*table_);
  for (const Stretch& s : parts) {
    if (static_cast<int>(rows.size()) >= limit) break;
    QStringList conds;
    if (!base_.sql.isEmpty()) conds << base_.sql;
    if (!s.sql.isEmpty()) conds << s.sql;
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectList(), table_->sqlName());
    if (!conds.isEmpty()) sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY ") + orderBy(forward) + QStringLiteral(" LIMIT ?");
    Statement& st = table_->statements().get(sql);
    st.bindAll(base_.binds);
    st.bindAll(s.binds, base_.binds.size() + 1);
    st.bind(base_.binds.size() + s.binds.size() + 1, QVariant(static_cast<qlonglong>(limit - rows.size())));
    while (st.step()) rows.push_back(fetchRow(st));
    st.reset();
  }
  for (auto& r : rows) computeExtraFields(r);
  return rows;
}

qint64 Cursor::countWhere(const Where& extra) {
  QStringList conds;
  if (!base_.sql.isEmpty()) conds << base_.sql;
  if (!extra.sql.isEmpty()) conds << extra.sql;
  QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(table_->sqlName());
  if (!conds.isEmpty()) sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
  Statement& st = table_->statements().get(sql);
  st.bindAll(base_.binds);
  st.bindAll(extra.binds, base_.binds.size() + 1);
  const qint64 n = st.step() ? st.column(0).toLongLong() : 0;
  st.reset();
  return n;
}

std::optional<DataSet::Row> Cursor::fetchByRowid(qint64 rowid) {
  const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(selectList(), table_->sqlName());
  Statement& st = table_->statements().get(sql);
  st.bind(1, QVariant(rowid));
  std::optional<Row> row;
  if (st.step()) row = fetchRow(st);
  st.reset();
  if (row) computeExtraFields(*row);
  return row;
}

// ---------------------------------------------------------------- navigation

void Cursor::prepareMove() {
  checkBrowseMode();
  notify(Notification::BeforeMove);
}

void Cursor::moveTo(Row row, bool fireScroll) {
  rowid_ = row.back().toLongLong();
  setCurrent(std::move(row));
  fetchedVersion_ = table_->version();
  notify(Notification::Scrolled);
  if (fireScroll) fireHook(events.afterScroll);
}

void Cursor::first() { moveToEnd(true); }

void Cursor::last() { moveToEnd(false); }

void Cursor::moveToEnd(bool atStart) {
  requireOpen();
  prepareMove();
  fireHook(events.beforeScroll);
  auto rows = scanAll(atStart, 1);
  // first() sets bof, last() sets eof; an empty set has both.
  bool& reached = atStart ? bof_ : eof_;
  bool& other = atStart ? eof_ : bof_;
  reached = true;
  if (rows.empty()) {
    clearCurrent();
    other = true;
    fetchedVersion_ = table_->version();
    notify(Notification::Scrolled);
    return;
  }
  other = false;
  moveTo(std::move(rows.front()));
}

void Cursor::next() { moveBy(1); }

void Cursor::prior() { moveBy(-1); }

int Cursor::moveBy(int n) {
  requireOpen();
  prepareMove();
  if (n == 0) return 0;
  if (!hasRecord_) {
    bof_ = eof_ = true;
    return 0;
  }
  const bool forward = n > 0;
  if ((forward && eof_) || (!forward && bof_)) return 0;
  fireHook(events.beforeScroll);
  const int steps = forward ? n : -n;
  std::vector<Row> rows;
  const bool aheadValid = forward && !ahead_.empty() && aheadAnchor_ == rowid_ &&
                          aheadVersion_ == table_->version() && state_ == DataSetState::Browse;
  if (aheadValid && static_cast<int>(ahead_.size()) >= steps) {
    rows.assign(std::make_move_iterator(ahead_.begin()), std::make_move_iterator(ahead_.begin() + steps));
    ahead_.erase(ahead_.begin(), ahead_.begin() + steps);
  } else {
    // Consecutive forward steps read ahead, more the longer the run: a scan then needs one
    // query per many steps, while a single step reads only what it needs.
    aheadRun_ = (forward && aheadAnchor_ == rowid_) ? std::min(aheadRun_ * 2, 64) : 1;
    rows = scan(keyOf(buffer_), forward, false, forward ? std::max(steps, aheadRun_) : steps);
    ahead_.clear();
    if (forward && static_cast<int>(rows.size()) > steps) {
      ahead_.assign(std::make_move_iterator(rows.begin() + steps), std::make_move_iterator(rows.end()));
      rows.resize(static_cast<size_t>(steps));
    }
    aheadVersion_ = table_->version();
  }
  if (rows.empty()) {
    ahead_.clear();
    if (forward)
      eof_ = true;
    else
      bof_ = true;
    return 0;
  }
  const int moved = static_cast<int>(rows.size());
  if (forward) {
    bof_ = false;
    eof_ = moved < steps;
  } else {
    eof_ = false;
    bof_ = moved < steps;
  }
  moveTo(std::move(rows.back()));
  aheadAnchor_ = rowid_;
  return moved;
}

qint64 Cursor::recordCount() {
  requireOpen();
  return countWhere(Where{});
}

qint64 Cursor::recordNumber() {
  requireOpen();
  if (!hasRecord_) return -1;
  ensureFresh();
  qint64 n = 0;
  // A record being edited keeps its stored place until it is posted: counting from the typed
  // key would put it behind its own stored row once an ordered field grows, and a grid would
  // then move off the record it is editing.
  const Row& at = state_ == DataSetState::Edit && !original_.empty() ? original_ : buffer_;
  const auto parts = stretches(order_, keyOf(at), false, false,
                               [this](const OrderColumn& c, const char* op) { return colCompare(c, op); });
  ReadGuard guard(*table_);
  for (const Stretch& s : parts) n += countWhere(Where{s.sql, s.binds});
  return n;
}

std::vector<DataSet::Row> Cursor::readRows(qint64 offset, int count) {
  requireOpen();
  return scanAll(true, count, offset);
}

std::vector<DataSet::Row> Cursor::readRowsAfter(const Row& anchor, int count) {
  requireOpen();
  if (anchor.size() != fields_.size() + 1) return {};
  return scan(keyOf(anchor), true, false, count);
}

std::vector<DataSet::Row> Cursor::readRowsBefore(const Row& anchor, int count) {
  requireOpen();
  if (anchor.size() != fields_.size() + 1) return {};
  auto rows = scan(keyOf(anchor), false, false, count);
  std::reverse(rows.begin(), rows.end());
  return rows;
}

std::vector<DataSet::Row> Cursor::readRowsFromEnd(qint64 fromEnd, int count) {
  requireOpen();
  auto rows = scanAll(false, count, fromEnd);
  std::reverse(rows.begin(), rows.end());
  return rows;
}

void Cursor::refresh() {
  requireOpen();
  checkBrowseMode();
  forceFetch_ = true;
  ensureFresh();
  notify(Notification::DataChanged);
}

void Cursor::ensureFresh() {
  if (refreshing_ || state_ != DataSetState::Browse || !table_ || !hasRecord_) return;
  if (fetchedVersion_ == table_->version() && !forceFetch_) return;
  forceFetch_ = false;
  refreshing_ = true;
  try {
    auto row = fetchByRowid(rowid_);
    if (row) {
      // Still there; it may have left the visited records, but stays current as it is.
      buffer_ = std::move(*row);
    } else {
      // Deleted elsewhere: the next record in the order takes its place.
      const QVariantList key = keyOf(buffer_);
      auto rows = scan(key, true, false, 1);
      if (rows.empty()) rows = scan(key, false, false, 1);
      if (rows.empty()) {
        clearCurrent();
        bof_ = eof_ = true;
      } else {
        rowid_ = rows.front().back().toLongLong();
        buffer_ = std::move(rows.front());
      }
    }
    fetchedVersion_ = table_->version();
  } catch (...) {
    refreshing_ = false;
    throw;
  }
  refreshing_ = false;
}

void Cursor::tableChanged() {
  if (!isOpen()) return;
  notify(Notification::DataChanged);
}

QVariant Cursor::bookmark() const {
  if (!isOpen() || !hasRecord_) return {};
  return QVariant(rowid_);
}

bool Cursor::gotoBookmark(const QVariant& bookmark) {
  requireOpen();
  if (!bookmark.isValid()) return false;
  prepareMove();
  auto row = fetchByRowid(bookmark.toLongLong());
  if (!row) return false;
  fireHook(events.beforeScroll);
  bof_ = eof_ = false;
  moveTo(std::move(*row));
  return true;
}

bool Cursor::findKey(const QVariantList& values) {
  requireOpen();
  prepareMove();
  QStringList conds;
  QVariantList binds = base_.binds;
  if (!base_.sql.isEmpty()) conds << base_.sql;
  const int n = std::min<int>(values.size(), static_cast<int>(order_.size()));
  for (int i = 0; i < n; ++i) {
    const OrderColumn& c = order_[i];
    QVariant v = values[i];
    if (c.field >= 0) {
      const FieldInfo& info = fields_[c.field];
      v = toStorage(info.def.type, toTyped(info.def.type, info.def.size, v, info.def.name));
    }
    if (isNullValue(v)) {
      conds << c.sql + QStringLiteral(" IS NULL");
    } else {
      conds << colCompare(c, "=");
      binds << v;
    }
  }
  QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectList(), table_->sqlName());
  if (!conds.isEmpty()) sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
  sql += QStringLiteral(" ORDER BY ") + orderBy(true) + QStringLiteral(" LIMIT 1");
  Statement& st = table_->statements().get(sql);
  st.bindAll(binds);
  std::optional<Row> row;
  if (st.step()) row = fetchRow(st);
  st.reset();
  if (!row) return false;
  computeExtraFields(*row);
  fireHook(events.beforeScroll);
  bof_ = eof_ = false;
  moveTo(std::move(*row));
  return true;
}

std::optional<DataSet::Row> Cursor::firstMatch(const QString& fieldList, const QVariantList& values) {
  requireOpen();
  QStringList conds;
  QVariantList binds = base_.binds;
  if (!base_.sql.isEmpty()) conds << u'(' + base_.sql + u')';
  const QStringList names = fieldList.split(u';', Qt::SkipEmptyParts);
  for (int i = 0; i < names.size(); ++i) {
    const int idx = fieldIndex(names[i].trimmed());
    if (idx < 0 || idx >= dataFieldCount())
      throw EngineError(EngineError::Kind::FieldMissing,
                        QStringLiteral("Das Feld %1 gibt es in der Tabelle %2 nicht.").arg(names[i], tableName_),
                        names[i]);
    const FieldInfo& info = fields_[idx];
    const QVariant v = toStorage(info.def.type, toTyped(info.def.type, info.def.size, values.value(i), info.def.name));
    if (isNullValue(v)) {
      conds << quoteIdent(info.def.name) + QStringLiteral(" IS NULL");
    } else {
      conds << quoteIdent(info.def.name) + QStringLiteral(" = ?");
      binds << v;
    }
  }
  QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectList(), table_->sqlName());
  if (!conds.isEmpty()) sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
  sql += QStringLiteral(" ORDER BY ") + orderBy(true) + QStringLiteral(" LIMIT 1");
  Statement& st = table_->statements().get(sql);
  st.bindAll(binds);
  std::optional<Row> row;
  if (st.step()) row = fetchRow(st);
  st.reset();
  if (row) computeExtraFields(*row);
  return row;
}

bool Cursor::locate(const QString& fields, const QVariantList& values) {
  prepareMove();
  auto row = firstMatch(fields, values);
  if (!row) return false;
  fireHook(events.beforeScroll);
  bof_ = eof_ = false;
  moveTo(std::move(*row));
  return true;
}

QVariant Cursor::lookup(const QString& keyFields, const QVariantList& values, const QString& resultField) {
  auto row = firstMatch(keyFields, values);
  const int idx = fieldIndex(resultField);
  if (!row || idx < 0) return {};
  return (*row)[idx];
}

void Cursor::findNearest(const QVariantList& values) {
  requireOpen();
  prepareMove();
  QVariantList key;
  const int n = std::min<int>(values.size(), static_cast<int>(order_.size()));
  for (int i = 0; i < n; ++i) {
    const OrderColumn& c = order_[i];
    if (c.field >= 0) {
      const FieldInfo& info = fields_[c.field];
      key << toStorage(info.def.type, toTyped(info.def.type, info.def.size, values[i], info.def.name));
    } else {
      key << values[i];
    }
  }
  auto rows = key.isEmpty() ? scanAll(true, 1) : scan(key, true, true, 1);
  if (rows.empty()) {
    last();
    return;
  }
  fireHook(events.beforeScroll);
  bof_ = eof_ = false;
  moveTo(std::move(rows.front()));
}

// ---------------------------------------------------------------- change

void Cursor::edit() {
  requireWritable();
  if (isEditing()) return;
  if (!hasRecord_) {
    append();
    return;
  }
  ensureFresh();
  fireHook(events.beforeEdit);
  original_ = buffer_;
  state_ = DataSetState::Edit;
  modified_ = false;
  notify(Notification::StateChanged);
  fireHook(events.afterEdit);
}

void Cursor::insert() {
  requireWritable();
  prepareMove();
  fireHook(events.beforeInsert);
  original_ = hasRecord_ ? buffer_ : Row();
  Row row(fields_.size() + 1);
  if (master_ && !masterKey_.isEmpty()) {
    QStringList detail = detailFields_.split(u';', Qt::SkipEmptyParts);
    if (detail.isEmpty()) detail = orderFields().mid(0, static_cast<int>(masterKey_.size()));
    for (int i = 0; i < detail.size() && i < masterKey_.size(); ++i) {
      const int idx = fieldIndex(detail[i].trimmed());
      if (idx >= 0) row[idx] = toTyped(fields_[idx].def.type, fields_[idx].def.size, masterKey_[i], fields_[idx].def.name);
    }
  }
  buffer_ = std::move(row);
  const bool hadRecord = hasRecord_;
  hasRecord_ = true;
  state_ = DataSetState::Insert;
  try {
    fireHook(events.onNewRecord);
    computeExtraFields(buffer_);
  } catch (...) {
    state_ = DataSetState::Browse;
    buffer_ = original_;
    hasRecord_ = hadRecord;
    if (!hadRecord) clearCurrent();
    throw;
  }
  modified_ = false;
  notify(Notification::StateChanged);
  fireHook(events.afterInsert);
}

void Cursor::append() { insert(); }

void Cursor::writeRow() {
  sqlite3* db = table_->db();
  if (state_ == DataSetState::Insert) {
    // An AutoInc field that is not the rowid is numbered here, inside the write transaction.
    execSql(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
      for (int i = 0; i < dataFieldCount(); ++i) {
        const FieldDef& f = fields_[i].def;
        if (f.type == FieldType::AutoInc && isNullValue(buffer_[i]) && !sameName(f.name, table_->rowidField())) {
          Statement& st = table_->statements().get(
              QStringLiteral("SELECT coalesce(max(%1), 0) + 1 FROM %2").arg(quoteIdent(f.name), table_->sqlName()));
          st.step();
          buffer_[i] = QVariant(st.column(0).toLongLong());
          st.reset();
        }
      }
      QStringList cols, marks;
      QVariantList binds;
      for (int i = 0; i < dataFieldCount(); ++i) {
        if (isNullValue(buffer_[i])) continue;
        cols << quoteIdent(fields_[i].def.name);
        marks << QStringLiteral("?");
        binds << toStorage(fields_[i].def.type, buffer_[i]);
      }
      const QString sql = cols.isEmpty()
                              ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table_->sqlName())
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(table_->sqlName(), cols.join(u", "), marks.join(u", "));
      Statement& st = table_->statements().get(sql);
      st.bindAll(binds);
      st.step();
      st.reset();
      rowid_ = sqlite3_last_insert_rowid(db);
      execSql(db, QStringLiteral("COMMIT"));
    } catch (...) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
    return;
  }
  QStringList sets;
  QVariantList binds;
  for (int i = 0; i < dataFieldCount(); ++i) {
    const QVariant& now = buffer_[i];
    const QVariant& was = i < static_cast<int>(original_.size()) ? original_[i] : QVariant();
    const bool same = isNullValue(now) == isNullValue(was) && (isNullValue(now) || now == was);
    if (same) continue;
    sets << quoteIdent(fields_[i].def.name) + QStringLiteral(" = ?");
    binds << toStorage(fields_[i].def.type, now);
  }
  if (sets.isEmpty()) return;
  binds << QVariant(rowid_);
  Statement& st = table_->statements().get(
      QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(table_->sqlName(), sets.join(u", ")));
  st.bindAll(binds);
  st.step();
  st.reset();
  if (!table_->rowidField().isEmpty()) {
    // The rowid follows a changed integer key.
    const int idx = fieldIndex(table_->rowidField());
    if (idx >= 0 && !isNullValue(buffer_[idx])) rowid_ = buffer_[idx].toLongLong();
  }
}

void Cursor::post() {
  requireOpen();
  if (!isEditing()) return;
  fireHook(events.beforePost);
  for (int i = 0; i < dataFieldCount(); ++i) {
    const FieldDef& f = fields_[i].def;
    if (f.required && isNullValue(buffer_[i]) && f.type != FieldType::AutoInc)
      throw EngineError(EngineError::Kind::RequiredField,
                        QStringLiteral("Das Feld %1 muss einen Wert haben.").arg(f.name), f.name);
  }
  const qint64 previousRowid = state_ == DataSetState::Edit ? rowid_ : -1;
  writeRow();
  auto row = fetchByRowid(rowid_);
  state_ = DataSetState::Browse;
  modified_ = false;
  original_.clear();
  if (row) setCurrent(std::move(*row));
  table_->notifyChanged(this, rowid_, previousRowid);
  fetchedVersion_ = table_->version();
  bof_ = eof_ = false;
  notify(Notification::StateChanged);
  notify(Notification::DataChanged);
  fireHook(events.afterPost);
}

void Cursor::cancel() {
  if (!isEditing()) return;
  fireHook(events.beforeCancel);
  const bool wasInsert = state_ == DataSetState::Insert;
  state_ = DataSetState::Browse;
  modified_ = false;
  if (wasInsert && original_.empty()) {
    clearCurrent();
    bof_ = eof_ = true;
  } else {
    buffer_ = original_;
    hasRecord_ = true;
  }
  original_.clear();
  forceFetch_ = true;  // read the record anew on next access
  notify(Notification::StateChanged);
  notify(Notification::DataChanged);
  fireHook(events.afterCancel);
}

void Cursor::deleteRecord() {
  requireWritable();
  if (state_ == DataSetState::Insert) {
    cancel();
    return;
  }
  if (!hasRecord_)
    throw EngineError(EngineError::Kind::State,
                      QStringLiteral("Die Tabelle %1 enthält keinen Datensatz zum Löschen.").arg(tableName_));
  ensureFresh();
  notify(Notification::BeforeMove);
  fireHook(events.beforeDelete);
  fireHook(events.beforeScroll);
  if (state_ == DataSetState::Edit) {
    state_ = DataSetState::Browse;
    modified_ = false;
  }
  const QVariantList key = keyOf(buffer_);
  Statement& st = table_->statements().get(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(table_->sqlName()));
  st.bind(1, QVariant(rowid_));
  st.step();
  st.reset();
  table_->notifyChanged(this, rowid_, rowid_, true);
  auto rows = scan(key, true, false, 1);
  bool atEnd = false;
  if (rows.empty()) {
    rows = scan(key, false, false, 1);
    atEnd = true;
  }
  if (rows.empty()) {
    clearCurrent();
    bof_ = eof_ = true;
    fetchedVersion_ = table_->version();
  } else {
    rowid_ = rows.front().back().toLongLong();
    setCurrent(std::move(rows.front()));
    fetchedVersion_ = table_->version();
    bof_ = false;
    eof_ = atEnd;
  }
  notify(Notification::StateChanged);
  notify(Notification::DataChanged);
  fireHook(events.afterDelete);
  if (hasRecord_) fireHook(events.afterScroll);
}

void Cursor::emptyTable() {
  requireWritable();
  checkBrowseMode();
  QString sql = QStringLiteral("DELETE FROM %1").arg(table_->sqlName());
  if (!base_.sql.isEmpty()) sql += QStringLiteral(" WHERE ") + base_.sql;
  Statement& st = table_->statements().get(sql);
  st.bindAll(base_.binds);
  st.step();
  st.reset();
  table_->notifyChanged(this);
  clearCurrent();
  bof_ = eof_ = true;
  fetchedVersion_ = table_->version();
  notify(Notification::DataChanged);
}

}  // namespace lapiro::engine
