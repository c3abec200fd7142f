#include "engine/dataset.h"

#include "engine/engine.h"
#include "engine/field_input.h"

#include <QFile>
#include <QLocale>

#include <cmath>

namespace lapiro::engine {

namespace {

[[noreturn]] void badValue(const QString& fieldName, const QString& text) {
  throw EngineError(EngineError::Kind::General, invalidValueMessage(text, fieldName), fieldName);
}

bool isEmptyVariant(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return true;
  if (v.typeId() == QMetaType::QString) return v.toString().isEmpty();
  if (v.typeId() == QMetaType::QDate) return !v.toDate().isValid();
  return false;
}

}  // namespace

// ---------------------------------------------------------------- conversions

QVariant toStorage(FieldType type, const QVariant& typed) {
  if (isEmptyVariant(typed)) return {};
  switch (type) {
    case FieldType::Date: return typed.toDate().toString(Qt::ISODate);
    case FieldType::Money: return QVariant(static_cast<qlonglong>(typed.value<Money>().units()));
    case FieldType::Logical: return QVariant(static_cast<qlonglong>(typed.toBool() ? 1 : 0));
    default: return typed;
  }
}

QVariant fromStorage(FieldType type, const QVariant& stored) {
  if (!stored.isValid() || stored.isNull()) return {};
  switch (type) {
    case FieldType::AutoInc:
    case FieldType::Short:
    case FieldType::Long: return QVariant(stored.toLongLong());
    case FieldType::Number: return QVariant(stored.toDouble());
    case FieldType::Money:
      if (stored.typeId() == QMetaType::Double) return QVariant::fromValue(Money::fromDouble(stored.toDouble() / 10000.0));
      return QVariant::fromValue(Money::fromUnits(stored.toLongLong()));
    case FieldType::Date: {
      const QDate d = QDate::fromString(stored.toString(), Qt::ISODate);
      return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Logical: return QVariant(stored.toLongLong() != 0);
    case FieldType::Alpha:
    case FieldType::Memo: return QVariant(stored.toString());
    case FieldType::Graphic: return QVariant(stored.toByteArray());
  }
  return stored;
}

QVariant toTyped(FieldType type, int size, const QVariant& value, const QString& fieldName) {
  if (isEmptyVariant(value)) return {};
  // Text is read by the same rules as the edit boxes use, so a box and the engine agree.
  if (value.typeId() == QMetaType::QString && type != FieldType::Memo && type != FieldType::Graphic) {
    const FieldInput input = parseFieldInput(type, size, value.toString(), fieldName);
    if (!input.ok()) throw EngineError(EngineError::Kind::General, input.error, fieldName);
    return input.value;
  }
  const bool isMoney = value.metaType() == QMetaType::fromType<Money>();
  switch (type) {
    case FieldType::AutoInc:
    case FieldType::Short:
    case FieldType::Long: {
      qlonglong v = 0;
      if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9.0e15) badValue(fieldName, value.toString());
        v = static_cast<qlonglong>(std::llround(d));
      } else if (isMoney) {
        v = value.value<Money>().units() / 10000;
      } else {
        bool ok = false;
        v = value.toLongLong(&ok);
        if (!ok) badValue(fieldName, value.toString());
      }
      const auto [low, high] = wholeNumberRange(type);
      if (v < low || v > high) badValue(fieldName, QString::number(v));
      return QVariant(v);
    }
    case FieldType::Number: {
      if (isMoney) return QVariant(value.value<Money>().toDouble());
      bool ok = false;
      const double v = value.toDouble(&ok);
      if (!ok || !std::isfinite(v)) badValue(fieldName, value.toString());
      return QVariant(v);
    }
    case FieldType::Money: {
      if (isMoney) return value;
      if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9.0e14) badValue(fieldName, value.toString());
        return QVariant::fromValue(Money::fromDouble(d));
      }
      bool ok = false;
      const qlonglong v = value.toLongLong(&ok);
      if (!ok || v > 900'000'000'000'000LL || v < -900'000'000'000'000LL) badValue(fieldName, value.toString());
      return QVariant::fromValue(Money::fromUnits(v * 10000));
    }
    case FieldType::Date: {
      QDate d;
      if (value.typeId() == QMetaType::QDate)
        d = value.toDate();
      else if (value.typeId() == QMetaType::QDateTime)
        d = value.toDateTime().date();
      else
        badValue(fieldName, value.toString());
      // Stored as ISO text, which has no room for years outside 1..9999.
      if (!d.isValid() || d.year() < 1 || d.year() > 9999) badValue(fieldName, d.toString(QStringLiteral("dd.MM.yyyy")));
      return QVariant(d);
    }
    case FieldType::Logical: return QVariant(value.toBool());
    case FieldType::Alpha: {
      QString t = value.toString();
      if (value.typeId() == QMetaType::Double) t = QLocale().toString(value.toDouble(), 'g', 15);
      if (value.typeId() == QMetaType::QDate) t = value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
      t = cutToSize(t, size);
      return t.isEmpty() ? QVariant() : QVariant(t);
    }
    case FieldType::Memo: return QVariant(value.toString());
    case FieldType::Graphic: return QVariant(value.toByteArray());
  }
  return value;
}

QString displayText(FieldType type, const QVariant& typed) {
  if (!typed.isValid() || typed.isNull()) return {};
  switch (type) {
    case FieldType::Date: return typed.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::Money: return typed.value<Money>().toString();
    case FieldType::Number: return editText(type, typed);  // shown as typed back: "3,5", never "3.5" or "1E+15"
    case FieldType::Logical: return typed.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nein");
    case FieldType::Graphic: return QStringLiteral("(Bild)");
    default: return typed.toString();
  }
}

// ---------------------------------------------------------------- Field

const QString& Field::name() const { return ds_->fieldInfos()[index_].def.name; }
FieldType Field::type() const { return ds_->fieldInfos()[index_].def.type; }
int Field::size() const { return ds_->fieldInfos()[index_].def.size; }
bool Field::isCalculated() const { return ds_->fieldInfos()[index_].kind != FieldInfo::Kind::Data; }
bool Field::isNull() const {
  const QVariant& v = ds_->bufferValue(index_);
  return !v.isValid() || v.isNull();
}
QVariant Field::value() const { return ds_->bufferValue(index_); }
QString Field::asString() const { return displayText(type(), ds_->bufferValue(index_)); }
qlonglong Field::asInteger() const {
  const QVariant& v = ds_->bufferValue(index_);
  if (!v.isValid()) return 0;
  if (v.metaType() == QMetaType::fromType<Money>()) return v.value<Money>().units() / 10000;
  if (v.typeId() == QMetaType::Double) return static_cast<qlonglong>(std::llround(v.toDouble()));
  return v.toLongLong();
}
double Field::asFloat() const {
  const QVariant& v = ds_->bufferValue(index_);
  if (!v.isValid()) return 0.0;
  if (v.metaType() == QMetaType::fromType<Money>()) return v.value<Money>().toDouble();
  if (v.typeId() == QMetaType::QString) {
    QString t = v.toString();
    t.replace(u',', u'.');
    return t.toDouble();
  }
  return v.toDouble();
}
QDate Field::asDate() const {
  const QVariant& v = ds_->bufferValue(index_);
  if (v.typeId() == QMetaType::QDate) return v.toDate();
  if (v.typeId() == QMetaType::QString) return parseGermanDate(v.toString()).value_or(QDate());
  return {};
}
bool Field::asBool() const { return ds_->bufferValue(index_).toBool(); }
Money Field::asMoney() const {
  const QVariant& v = ds_->bufferValue(index_);
  if (v.metaType() == QMetaType::fromType<Money>()) return v.value<Money>();
  if (!v.isValid()) return {};
  if (v.typeId() == QMetaType::Double) return Money::fromDouble(v.toDouble());
  return Money::fromUnits(v.toLongLong() * 10000);
}
QByteArray Field::asBytes() const { return ds_->bufferValue(index_).toByteArray(); }

void Field::setValue(const QVariant& value) const {
  const FieldInfo& info = ds_->fieldInfos()[index_];
  ds_->setBufferValue(index_, toTyped(info.def.type, info.def.size, value, info.def.name));
}

void Field::loadFromFile(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw EngineError(EngineError::Kind::General,
                      QStringLiteral("Die Bilddatei %1 kann nicht gelesen werden.").arg(path), path);
  setValue(QVariant(file.readAll()));
}

void Field::setString(const QString& text) const { setValue(text.isEmpty() ? QVariant() : QVariant(text)); }

// ---------------------------------------------------------------- lookups

struct DataSet::LookupGroup {
  QString table;
  QStringList lookupKeys;
  std::vector<int> keyIndexes;                   // fields of this data set
  std::vector<std::pair<int, QString>> results;  // target field index, result field name
  std::shared_ptr<Table> handle;
  QString sql;
  std::map<QString, std::vector<QVariant>> cache;
  quint64 cacheVersion = 0;
};

DataSet::DataSet(Engine& engine, QString name) : engine_(engine), name_(std::move(name)) {
  engine_.registerDataSet(this);
}

DataSet::~DataSet() {
  engine_.unregisterDataSet(this);
  notify(Notification::Destroyed);
}

bool DataSet::releaseLookupTable(const QString& path) {
  bool held = false;
  for (auto& g : lookupGroups_)
    if (g->handle && g->handle->path() == path) {
      g->handle.reset();
      g->cache.clear();
      held = true;
    }
  return held;
}

void DataSet::addCalculatedField(const QString& name, FieldType type, int size) {
  FieldInfo info;
  info.def = FieldDef{name, type, size, false};
  info.kind = FieldInfo::Kind::Calculated;
  extraFields_.push_back(info);
}

void DataSet::addLookupField(const QString& name, FieldType type, int size, const QString& keyFields,
                             const QString& lookupTable, const QString& lookupKeyFields,
                             const QString& resultField) {
  FieldInfo info;
  info.def = FieldDef{name, type, size, false};
  info.kind = FieldInfo::Kind::Lookup;
  info.keyFields = keyFields;
  info.lookupTable = lookupTable;
  info.lookupKeyFields = lookupKeyFields;
  info.resultField = resultField;
  extraFields_.push_back(info);
}

void DataSet::defineFields(std::vector<FieldDef> dataFields) {
  fields_.clear();
  for (auto& f : dataFields) {
    FieldInfo info;
    info.def = std::move(f);
    fields_.push_back(info);
  }
  dataFieldCount_ = static_cast<int>(fields_.size());
  for (const auto& e : extraFields_) fields_.push_back(e);
  prepareLookups();
}

void DataSet::prepareLookups() {
  lookupGroups_.clear();
  for (int i = dataFieldCount_; i < fieldCount(); ++i) {
    const FieldInfo& info = fields_[i];
    if (info.kind != FieldInfo::Kind::Lookup) continue;
    const QStringList keys = info.keyFields.split(u';', Qt::SkipEmptyParts);
    const QStringList lkeys = info.lookupKeyFields.split(u';', Qt::SkipEmptyParts);
    LookupGroup* group = nullptr;
    for (auto& g : lookupGroups_) {
      if (sameName(g->table, info.lookupTable) && g->lookupKeys.join(u';').compare(lkeys.join(u';'), Qt::CaseInsensitive) == 0) {
        std::vector<int> idx;
        for (const auto& k : keys) idx.push_back(fieldIndex(k.trimmed()));
        if (idx == g->keyIndexes) group = g.get();
      }
    }
    if (!group) {
      auto g = std::make_unique<LookupGroup>();
      g->table = info.lookupTable;
      g->lookupKeys = lkeys;
      for (const auto& k : keys) {
        const int idx = fieldIndex(k.trimmed());
        if (idx < 0)
          throw EngineError(EngineError::Kind::FieldMissing,
                            QStringLiteral("Das Schlüsselfeld %1 des Nachschlagefelds %2 fehlt.").arg(k, info.def.name),
                            k);
        g->keyIndexes.push_back(idx);
      }
      group = g.get();
      lookupGroups_.push_back(std::move(g));
    }
    group->results.emplace_back(i, info.resultField);
  }
}

void DataSet::computeExtraFields(Row& row) {
  if (dataFieldCount_ == fieldCount()) return;
  for (auto& g : lookupGroups_) {
    if (!g->handle) {
      g->handle = engine_.acquire(g->table, OpenMode::Shared);
      QStringList cols, conds;
      for (const auto& [target, res] : g->results) {
        const FieldDef* f = g->handle->def().field(res);
        if (!f)
          throw EngineError(EngineError::Kind::FieldMissing,
                            QStringLiteral("Das Feld %1 fehlt in der Tabelle %2.").arg(res, g->table), res);
        cols << quoteIdent(f->name);
      }
      for (const auto& k : g->lookupKeys) {
        const FieldDef* f = g->handle->def().field(k.trimmed());
        if (!f)
          throw EngineError(EngineError::Kind::FieldMissing,
                            QStringLiteral("Das Feld %1 fehlt in der Tabelle %2.").arg(k, g->table), k);
        conds << quoteIdent(f->name) + QStringLiteral(" = ?");
      }
      g->sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                   .arg(cols.join(u", "), g->handle->sqlName(), conds.join(QStringLiteral(" AND ")));
    }
    if (g->cacheVersion != g->handle->version()) {
      g->cache.clear();
      g->cacheVersion = g->handle->version();
    }
    QVariantList key;
    QString cacheKey;
    bool empty = false;
    for (int idx : g->keyIndexes) {
      const QVariant& v = row[idx];
      if (!v.isValid() || v.isNull()) empty = true;
      key << toStorage(fields_[idx].def.type, v);
      cacheKey += v.toString() + u'\x1f';
    }
    if (empty) {
      for (const auto& [target, res] : g->results) row[target] = QVariant();
      continue;
    }
    auto it = g->cache.find(cacheKey);
    if (it == g->cache.end()) {
      std::vector<QVariant> values(g->results.size());
      Statement& st = g->handle->statements().get(g->sql);
      st.bindAll(key);
      if (st.step()) {
        for (size_t r = 0; r < g->results.size(); ++r) {
          const FieldDef* f = g->handle->def().field(g->results[r].second);
          values[r] = fromStorage(f->type, st.column(static_cast<int>(r)));
        }
      }
      st.reset();
      if (g->cache.size() > 4096) g->cache.clear();
      it = g->cache.emplace(cacheKey, std::move(values)).first;
    }
    for (size_t r = 0; r < g->results.size(); ++r) {
      const int target = g->results[r].first;
      row[target] = toTyped(fields_[target].def.type, fields_[target].def.size, it->second[r], fields_[target].def.name);
    }
  }
  if (events.onCalcFields) {
    for (int i = dataFieldCount_; i < fieldCount(); ++i)
      if (fields_[i].kind == FieldInfo::Kind::Calculated) row[i] = QVariant();
    Row* saved = calcTarget_;
    calcTarget_ = &row;
    try {
      events.onCalcFields(*this);
    } catch (...) {
      calcTarget_ = saved;
      throw;
    }
    calcTarget_ = saved;
  }
}

// ---------------------------------------------------------------- fields and buffer

Field DataSet::field(const QString& name) {
  const int idx = fieldIndex(name);
  if (idx < 0)
    throw EngineError(EngineError::Kind::FieldMissing,
                      QStringLiteral("Das Feld %1 gibt es in %2 nicht.").arg(name, name_), name);
  return Field(this, idx);
}

std::optional<Field> DataSet::findField(const QString& name) {
  const int idx = fieldIndex(name);
  if (idx < 0) return std::nullopt;
  return Field(this, idx);
}

int DataSet::fieldIndex(const QString& name) const {
  for (int i = 0; i < fieldCount(); ++i)
    if (sameName(fields_[i].def.name, name)) return i;
  return -1;
}

const QVariant& DataSet::bufferValue(int index) {
  if (calcTarget_) return (*calcTarget_)[index];
  ensureFresh();
  static const QVariant empty;
  if (index < 0 || index >= static_cast<int>(buffer_.size())) return empty;
  return buffer_[index];
}

void DataSet::setBufferValue(int index, const QVariant& typed) {
  if (calcTarget_) {
    if (fields_[index].kind == FieldInfo::Kind::Data)
      throw EngineError(EngineError::Kind::State,
                        QStringLiteral("Ein Datenfeld kann während der Berechnung nicht geändert werden."));
    (*calcTarget_)[index] = typed;
    return;
  }
  if (!isEditing())
    throw EngineError(EngineError::Kind::State,
                      QStringLiteral("%1 ist nicht im Bearbeitungsmodus.").arg(name_.isEmpty() ? QStringLiteral("Die Tabelle") : name_));
  if (fields_[index].kind != FieldInfo::Kind::Data)
    throw EngineError(EngineError::Kind::State,
                      QStringLiteral("Das berechnete Feld %1 kann nicht geändert werden.").arg(fields_[index].def.name));
  const QVariant& old = buffer_[index];
  const bool same = (old.isValid() == typed.isValid()) && (!old.isValid() || old == typed);
  if (same) return;
  buffer_[index] = typed;
  modified_ = true;
  // Lookup and calculated fields follow the change.
  computeExtraFields(buffer_);
  if (events.onFieldChange) events.onFieldChange(*this, fields_[index].def.name);
  notify(Notification::FieldChanged);
}

void DataSet::setCurrent(Row row) {
  buffer_ = std::move(row);
  hasRecord_ = true;
}

void DataSet::clearCurrent() {
  buffer_.assign(fields_.size() + 1, QVariant());
  hasRecord_ = false;
}

// ---------------------------------------------------------------- navigation defaults

int DataSet::moveBy(int n) {
  int moved = 0;
  while (n > 0 && !eof()) {
    next();
    if (!eof()) ++moved;
    --n;
  }
  while (n < 0 && !bof()) {
    prior();
    if (!bof()) ++moved;
    ++n;
  }
  return moved;
}

std::vector<DataSet::Row> DataSet::readRowsAfter(const Row& anchor, int count) {
  return readRows(anchor.back().toLongLong() + 1, count);
}

std::vector<DataSet::Row> DataSet::readRowsBefore(const Row& anchor, int count) {
  const qint64 end = anchor.back().toLongLong();
  const qint64 start = std::max<qint64>(0, end - count);
  return readRows(start, static_cast<int>(end - start));
}

std::vector<DataSet::Row> DataSet::readRowsFromEnd(qint64 fromEnd, int count) {
  const qint64 total = recordCount();
  const qint64 end = std::max<qint64>(0, total - fromEnd);
  const qint64 start = std::max<qint64>(0, end - count);
  return readRows(start, static_cast<int>(end - start));
}

void DataSet::close() {
  if (!isOpen()) return;
  fireHook(events.beforeClose);
  checkBrowseMode();
  state_ = DataSetState::Inactive;
  hasRecord_ = false;
  bof_ = eof_ = true;
  buffer_.clear();
  for (auto& g : lookupGroups_) g->handle.reset();
  notify(Notification::Closed);
  fireHook(events.afterClose);
}

bool DataSet::locate(const QString& fieldList, const QVariantList& values) {
  const QStringList names = fieldList.split(u';', Qt::SkipEmptyParts);
  std::vector<int> idx;
  for (const auto& n : names) {
    field(n.trimmed());  // throws for an unknown field
    idx.push_back(fieldIndex(n.trimmed()));
  }
  const QVariant mark = bookmark();
  checkBrowseMode();
  first();
  while (!eof()) {
    bool match = true;
    for (size_t i = 0; i < idx.size() && match; ++i) {
      const FieldInfo& info = fields_[idx[i]];
      const QVariant want = toTyped(info.def.type, info.def.size, values.value(static_cast<int>(i)), info.def.name);
      const QVariant& have = bufferValue(idx[i]);
      match = (want.isValid() == have.isValid()) && (!want.isValid() || want == have);
    }
    if (match) return true;
    next();
  }
  if (mark.isValid()) gotoBookmark(mark);
  return false;
}

QVariant DataSet::lookup(const QString& keyFields, const QVariantList& values, const QString& resultField) {
  const QVariant mark = bookmark();
  QVariant result;
  if (locate(keyFields, values)) result = field(resultField).value();
  if (mark.isValid()) gotoBookmark(mark);
  return result;
}

void DataSet::edit() {
  throw EngineError(EngineError::Kind::ReadOnly, QStringLiteral("Die Daten können hier nicht geändert werden."));
}
void DataSet::insert() { edit(); }
void DataSet::append() { edit(); }
void DataSet::post() {
  if (isEditing()) edit();
}
void DataSet::cancel() {}
void DataSet::deleteRecord() { edit(); }

void DataSet::checkBrowseMode() {
  if (!isEditing()) return;
  if (modified_)
    post();
  else
    cancel();
}

int DataSet::addListener(Listener listener) {
  const int id = nextListener_++;
  listeners_.emplace(id, std::move(listener));
  return id;
}

void DataSet::removeListener(int id) { listeners_.erase(id); }

void DataSet::notify(Notification n) {
  // A listener may remove itself or others while being called.
  std::vector<int> ids;
  for (const auto& [id, l] : listeners_) ids.push_back(id);
  for (int id : ids) {
    auto it = listeners_.find(id);
    if (it != listeners_.end()) {
      auto copy = it->second;
      copy(n);
    }
  }
}

}  // namespace lapiro::engine
