// DataSet: what every cursor has in common — field list with data, calculated and lookup
// fields, the current record buffer, state, navigation interface, rule notifications and
// listeners for views. Cursor (a table) and Query (an SQL result) derive from it.
#pragma once

#include "engine/types.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace lapiro::engine {

class Engine;
class DataSet;
class Table;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// What listeners (views, detail cursors) hear.
enum class Notification {
  Opened,       // the data set was opened
  Closed,       // the data set is about to close / closed
  Scrolled,     // another record became current
  DataChanged,  // the set of records or their values changed (own post/delete or another cursor's)
  StateChanged, // browse / edit / insert changed
  FieldChanged, // a field of the buffer was set
  Reset,        // order, filter, range or master link changed: everything must be read anew
  BeforeMove,   // the current record is about to change: details save their pending changes
  Destroyed,    // the data set is being destroyed: drop every reference to it
};

// Handle to one field of a data set's current record. Cheap to copy; valid while the data set
// keeps its field list (until it is closed and its fields are redefined).
class Field {
 public:
  Field(DataSet* ds, int index) : ds_(ds), index_(index) {}

  const QString& name() const;
  FieldType type() const;
  int size() const;
  bool isCalculated() const;  // calculated or lookup: never stored

  bool isNull() const;
  // The typed value: qlonglong (AutoInc, Short, Long), double (Number), Money, QDate, bool,
  // QString (Alpha, Memo), QByteArray (Graphic); an invalid QVariant when empty.
  QVariant value() const;
  // Display text: dates "dd.MM.yyyy", money "1.234,50", numbers with decimal comma,
  // logical "Ja"/"Nein"... empty for an empty field.
  QString asString() const;
  qlonglong asInteger() const;  // 0 when empty or not a number
  double asFloat() const;
  QDate asDate() const;  // null QDate when empty
  bool asBool() const;
  Money asMoney() const;
  QByteArray asBytes() const;

  // Setting a data field requires the edit or insert state (EngineError State otherwise);
  // calculated fields may be set only while the calculation rule runs. Text longer than an
  // Alpha field's size is cut. An empty string empties the field. setValue converts from
  // any sensible QVariant; setString parses German notation for dates and numbers and
  // throws EngineError(General) with a German message when the text does not fit the type.
  void setValue(const QVariant& value) const;
  void setString(const QString& text) const;
  void setInteger(qlonglong v) const { setValue(QVariant(v)); }
  void setFloat(double v) const { setValue(QVariant(v)); }
  void setDate(const QDate& v) const { setValue(v.isValid() ? QVariant(v) : QVariant()); }
  void setBool(bool v) const { setValue(QVariant(v)); }
  void setMoney(Money v) const { setValue(QVariant::fromValue(v)); }
  void clear() const { setValue(QVariant()); }
  // Graphic fields: loads the bytes of an image file. Throws EngineError(General) with a
  // German message when the file cannot be read.
  void loadFromFile(const QString& path) const;

 private:
  DataSet* ds_;
  int index_;
};

// Converts between typed values and the storage form bound to SQLite.
QVariant toStorage(FieldType type, const QVariant& typed);
QVariant fromStorage(FieldType type, const QVariant& stored);
// Normalises any incoming value to the typed form of a field type; throws EngineError on a
// value that cannot be converted.
QVariant toTyped(FieldType type, int size, const QVariant& value, const QString& fieldName);
// Display text of a typed value.
QString displayText(FieldType type, const QVariant& typed);

struct FieldInfo {
  enum class Kind { Data, Calculated, Lookup };
  FieldDef def;
  Kind kind = Kind::Data;
  // Lookup fields: the value of `resultField` in `lookupTable` from the record whose
  // `lookupKeyFields` equal this data set's `keyFields` (";" lists of equal length).
  QString keyFields;
  QString lookupTable;
  QString lookupKeyFields;
  QString resultField;
};

// Rule hooks. A hook throws Abort to stop the operation silently.
struct DataSetEvents {
  using Hook = std::function<void(DataSet&)>;
  Hook afterOpen, beforeClose, afterClose;
  Hook beforeInsert, afterInsert, onNewRecord;
  Hook beforeEdit, afterEdit;
  Hook beforePost, afterPost;
  Hook beforeCancel, afterCancel;
  Hook beforeDelete, afterDelete;
  Hook beforeScroll, afterScroll;
  Hook onCalcFields;
  std::function<void(DataSet&, const QString& fieldName)> onFieldChange;
};

class DataSet {
 public:
  using Row = std::vector<QVariant>;  // typed values, one per field (data, lookup, calculated)
  using Listener = std::function<void(Notification)>;

  explicit DataSet(Engine& engine, QString name = {});
  virtual ~DataSet();
  DataSet(const DataSet&) = delete;
  DataSet& operator=(const DataSet&) = delete;

  Engine& engine() const { return engine_; }
  const QString& name() const { return name_; }

  // Extra fields, defined while the data set is closed; they keep their definition across
  // open and close.
  void addCalculatedField(const QString& name, FieldType type, int size = 0);
  void addLookupField(const QString& name, FieldType type, int size, const QString& keyFields,
                      const QString& lookupTable, const QString& lookupKeyFields,
                      const QString& resultField);

  // Drops the handles that lookup fields hold on the table file `path` (as Engine::resolve
  // gives it); the next fetch takes them again. Returns whether one was held.
  bool releaseLookupTable(const QString& path);

  // Opening and closing. open() throws EngineError; on failure the data set stays closed.
  virtual void open() = 0;
  virtual void close();
  bool isOpen() const { return state_ != DataSetState::Inactive; }
  DataSetState state() const { return state_; }
  bool isEditing() const { return state_ == DataSetState::Edit || state_ == DataSetState::Insert; }
  bool modified() const { return modified_; }

  // Fields. field() throws EngineError(FieldMissing) for an unknown name.
  Field field(const QString& name);
  Field field(int index) { return Field(this, index); }
  std::optional<Field> findField(const QString& name);
  int fieldIndex(const QString& name) const;  // -1 when unknown
  int fieldCount() const { return static_cast<int>(fields_.size()); }
  const std::vector<FieldInfo>& fieldInfos() const { return fields_; }

  // Navigation. After next() on the last record eof() is true and the last record stays
  // current; prior() on the first likewise sets bof(). first() and last() set bof()/eof()
  // respectively. An empty data set has bof() and eof() true and no current record.
  // Moving while editing posts a modified record first (or cancels an unmodified one).
  virtual void first() = 0;
  virtual void last() = 0;
  virtual void next() = 0;
  virtual void prior() = 0;
  // Moves by n records (negative: backwards); returns how many were actually moved.
  virtual int moveBy(int n);
  bool bof() const { return bof_; }
  bool eof() const { return eof_; }
  bool isEmpty() const { return !hasRecord_; }
  bool hasRecord() const { return hasRecord_; }
  virtual qint64 recordCount() = 0;
  // Zero-based position of the current record in the visited records, -1 when none.
  virtual qint64 recordNumber() = 0;
  // Reads rows by position for views (does not move the current record).
  virtual std::vector<Row> readRows(qint64 offset, int count) = 0;
  // Rows right after / right before the row `anchor` (as returned by readRows), in forward
  // order. The defaults fall back on positions; cursors seek by key, which stays cheap far
  // from the start of a large table.
  virtual std::vector<Row> readRowsAfter(const Row& anchor, int count);
  virtual std::vector<Row> readRowsBefore(const Row& anchor, int count);
  // The `count` rows ending `fromEnd` rows before the end, in forward order.
  virtual std::vector<Row> readRowsFromEnd(qint64 fromEnd, int count);
  // Reads the current record anew (data changed elsewhere).
  virtual void refresh() = 0;

  // Bookmarks: an opaque value that finds the record again; invalid when empty.
  virtual QVariant bookmark() const = 0;
  // Returns false (and stays) when the record no longer exists.
  virtual bool gotoBookmark(const QVariant& bookmark) = 0;

  // Moves to the first record whose fields (";" list) equal the values. Case-sensitive.
  virtual bool locate(const QString& fields, const QVariantList& values);
  // Value of `resultField` in the first record whose `keyFields` equal the values, without
  // moving; invalid when none.
  virtual QVariant lookup(const QString& keyFields, const QVariantList& values, const QString& resultField);

  // Changes. The base refuses them (EngineError ReadOnly); Cursor implements them.
  virtual void edit();
  virtual void insert();
  virtual void append();
  virtual void post();
  virtual void cancel();
  virtual void deleteRecord();
  // Posts when editing and modified, cancels when editing and unmodified.
  void checkBrowseMode();

  DataSetEvents events;

  int addListener(Listener listener);
  void removeListener(int id);

  // Current buffer access (used by Field).
  const QVariant& bufferValue(int index);
  void setBufferValue(int index, const QVariant& typed);

 protected:
  // Fills lookup and calculated fields of `row` (computes them with the row as buffer).
  void computeExtraFields(Row& row);
  void defineFields(std::vector<FieldDef> dataFields);  // data fields first, then the extras
  int dataFieldCount() const { return dataFieldCount_; }
  void setCurrent(Row row);
  void clearCurrent();
  void notify(Notification n);
  void fireHook(const DataSetEvents::Hook& hook) {
    if (hook) hook(*this);
  }
  // Hook for cursors that refresh stale buffers lazily before a field is read.
  virtual void ensureFresh() {}

  Engine& engine_;
  QString name_;
  std::vector<FieldInfo> fields_;
  std::vector<FieldInfo> extraFields_;  // the calculated and lookup definitions
  int dataFieldCount_ = 0;
  Row buffer_;
  Row* calcTarget_ = nullptr;  // the row whose extra fields are being computed
  DataSetState state_ = DataSetState::Inactive;
  bool bof_ = true;
  bool eof_ = true;
  bool hasRecord_ = false;
  bool modified_ = false;

 private:
  struct LookupGroup;
  std::vector<std::unique_ptr<LookupGroup>> lookupGroups_;
  void prepareLookups();
  std::map<int, Listener> listeners_;
  int nextListener_ = 1;
};

}  // namespace lapiro::engine

