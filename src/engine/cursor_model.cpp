#include "engine/cursor_model.h"

#include <algorithm>

namespace lapiro::engine {

CursorModel::CursorModel(DataSet* dataSet, QObject* parent) : QAbstractTableModel(parent) { setDataSet(dataSet); }

CursorModel::~CursorModel() {
  if (dataSet_ && listener_) dataSet_->removeListener(listener_);
}

void CursorModel::setDataSet(DataSet* dataSet) {
  if (dataSet_ && listener_) dataSet_->removeListener(listener_);
  dataSet_ = dataSet;
  listener_ = 0;
  if (dataSet_) {
    listener_ = dataSet_->addListener([this](Notification n) {
      switch (n) {
        case Notification::Opened:
        case Notification::Closed:
        case Notification::Reset: reload(); break;
        case Notification::DataChanged: keepViews_ ? refresh() : reload(); break;
        case Notification::Scrolled: emit currentChanged(currentRow()); break;
        case Notification::Destroyed: dataSet_ = nullptr; listener_ = 0; reload(); break;
        case Notification::FieldChanged:
        case Notification::StateChanged:
        case Notification::BeforeMove: break;
      }
    });
  }
  reload();
}

void CursorModel::setColumns(std::vector<Column> columns) {
  beginResetModel();
  columns_ = std::move(columns);
  fieldIndexes_.clear();
  pages_.clear();
  pageOrder_.clear();
  endResetModel();
}

qint64 CursorModel::countRows() const {
  if (!dataSet_ || !dataSet_->isOpen()) return 0;
  try {
    return dataSet_->recordCount();
  } catch (const EngineError& e) {
    if (e.kind() != EngineError::Kind::TableDamaged) throw;
    return readableCount();
  }
}

void CursorModel::reload() {
  beginResetModel();
  pages_.clear();
  pageOrder_.clear();
  fieldIndexes_.clear();
  count_ = countRows();
  endResetModel();
}

void CursorModel::refresh() {
  pages_.clear();
  pageOrder_.clear();
  const qint64 fresh = countRows();
  const int before = storedRowCount();
  const int after = static_cast<int>(std::min<qint64>(fresh, std::numeric_limits<int>::max()));
  if (after > before) {
    beginInsertRows({}, before, after - 1);
    count_ = fresh;
    endInsertRows();
  } else if (after < before) {
    beginRemoveRows({}, after, before - 1);
    count_ = fresh;
    endRemoveRows();
  } else {
    count_ = fresh;
  }
  if (after > 0 && !columns_.empty()) emit dataChanged(index(0, 0), index(after - 1, static_cast<int>(columns_.size()) - 1));
}

int CursorModel::storedRowCount() const {
  return static_cast<int>(std::min<qint64>(count_, std::numeric_limits<int>::max()));
}

qint64 CursorModel::readableCount() const {
  // The rows before the damage, read from the front, and those after it, read from the end;
  // rowAt() reaches each group from its own side.
  DataSet* ds = const_cast<DataSet*>(dataSet_);
  const auto countFrom = [&](bool fromEnd, bool* reachedEnd) {
    qint64 n = 0;
    for (int step = kPageSize; step >= 1;) {
      try {
        const auto rows = fromEnd ? ds->readRowsFromEnd(n, step) : ds->readRows(n, step);
        n += static_cast<qint64>(rows.size());
        if (static_cast<int>(rows.size()) < step) {
          *reachedEnd = true;
          return n;
        }
      } catch (const EngineError&) {
        step /= 2;  // narrow down to the last readable row before the damage
      }
    }
    return n;
  };
  bool forwardComplete = false, backwardComplete = false;
  const qint64 front = countFrom(false, &forwardComplete);
  // Damage outside the rows' own order (in another index) leaves them all readable.
  return forwardComplete ? front : front + countFrom(true, &backwardComplete);
}

int CursorModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : storedRowCount();
}

int CursorModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const DataSet::Row* CursorModel::rowAt(int row) const {
  if (!dataSet_ || !dataSet_->isOpen() || row < 0 || row >= count_) return nullptr;
  const qint64 page = row / kPageSize;
  auto it = pages_.find(page);
  if (it == pages_.end()) {
    // Seek from a neighbouring page by key where one is cached, else read from the nearer end:
    // reading by position costs as many index steps as the position is far from that end.
    DataSet* ds = const_cast<DataSet*>(dataSet_);
    const qint64 start = page * kPageSize;
    const int want = static_cast<int>(std::min<qint64>(kPageSize, count_ - start));
    std::vector<DataSet::Row> rows;
    auto before = pages_.find(page - 1);
    auto after = pages_.find(page + 1);
    try {
      if (before != pages_.end() && before->second.size() == static_cast<size_t>(kPageSize)) {
        rows = ds->readRowsAfter(before->second.back(), want);
      } else if (after != pages_.end() && !after->second.empty()) {
        rows = ds->readRowsBefore(after->second.front(), want);
      } else if (start > count_ / 2) {
        rows = ds->readRowsFromEnd(count_ - start - want, want);
      } else {
        rows = ds->readRows(start, want);
      }
    } catch (const EngineError& e) {
      // Called from the view's painting, where an exception cannot pass. A page of a damaged
      // file is read row by row so that every readable row shows; the others stay empty.
      // Any other failure (a lookup table gone) shows the page empty and tries again later.
      if (e.kind() != EngineError::Kind::TableDamaged) return nullptr;
      rows.clear();
      // A row is reached from the front or, when the damage lies before it, from the end.
      const auto readOne = [&](qint64 pos) -> DataSet::Row {
        try {
          auto one = ds->readRows(pos, 1);
          if (!one.empty()) return std::move(one.front());
        } catch (const EngineError&) {
        }
        try {
          auto one = ds->readRowsFromEnd(count_ - pos - 1, 1);
          if (!one.empty()) return std::move(one.front());
        } catch (const EngineError&) {
        }
        return {};
      };
      for (int i = 0; i < want; ++i) rows.push_back(readOne(start + i));
    }
    if (pages_.size() >= kMaxPages && !pageOrder_.empty()) {
      pages_.erase(pageOrder_.front());
      pageOrder_.erase(pageOrder_.begin());
    }
    it = pages_.emplace(page, std::move(rows)).first;
  } else {
    std::erase(pageOrder_, page);
  }
  pageOrder_.push_back(page);
  const size_t offset = static_cast<size_t>(row % kPageSize);
  if (offset >= it->second.size() || it->second[offset].empty()) return nullptr;
  return &it->second[offset];
}

QVariant CursorModel::value(int row, const QString& field) const {
  const DataSet::Row* r = rowAt(row);
  if (!r) return {};
  const int idx = dataSet_->fieldIndex(field);
  if (idx < 0 || idx >= static_cast<int>(r->size())) return {};
  return (*r)[idx];
}

QVariant CursorModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= static_cast<int>(columns_.size())) return {};
  if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole && role != Qt::EditRole) return {};
  if (fieldIndexes_.size() != columns_.size()) {
    fieldIndexes_.clear();
    for (const auto& c : columns_) fieldIndexes_.push_back(dataSet_ ? dataSet_->fieldIndex(c.field) : -1);
  }
  const int field = fieldIndexes_[index.column()];
  if (field < 0) return {};
  const FieldType type = dataSet_->fieldInfos()[field].def.type;
  if (role == Qt::TextAlignmentRole) {
    switch (type) {
      case FieldType::Short:
      case FieldType::Long:
      case FieldType::AutoInc:
      case FieldType::Number:
      case FieldType::Money: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      default: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
  }
  const DataSet::Row* r = rowAt(index.row());
  if (!r) return {};
  if (role == Qt::EditRole) return (*r)[field];
  return displayText(type, (*r)[field]);
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= static_cast<int>(columns_.size())) return {};
  return columns_[section].title;
}

bool CursorModel::moveTo(int row) {
  const DataSet::Row* r = rowAt(row);
  if (!r) return false;
  return dataSet_->gotoBookmark(r->back());
}

int CursorModel::currentRow() const {
  if (!dataSet_ || !dataSet_->isOpen() || !dataSet_->hasRecord()) return -1;
  return static_cast<int>(dataSet_->recordNumber());
}

}  // namespace lapiro::engine
