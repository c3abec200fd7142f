// Cursor: a navigable, editable view of one table in a chosen order.
//
// Navigation is keyset based: the cursor remembers the order key of its current record and
// every step asks SQLite for the next record after that key through the order's index, so a
// step costs O(log n) however large the table is, and stays correct while other cursors
// insert, change or delete records. Rows with empty (NULL) key fields are ordered first in an
// ascending column, last in a descending one.
#pragma once

#include "engine/dataset.h"
#include "engine/engine.h"

namespace lapiro::engine {

class Cursor : public DataSet {
 public:
  explicit Cursor(Engine& engine, QString name = {});
  ~Cursor() override;

  // --- configuration (any time; a change while open re-reads from the first record,
  //     except an order change, which keeps the current record) ---
  void setTableName(const QString& tableName);
  const QString& tableName() const { return tableName_; }
  void setReadOnly(bool readOnly);
  bool readOnly() const { return readOnly_; }
  void setExclusive(bool exclusive);
  // Fields the program expects; open() fails with EngineError(FieldMissing, detail = field
  // name) when one of them is missing from the table.
  void setExpectedFields(const QStringList& fields) { expectedFields_ = fields; }
  // Order by a named secondary index; an empty name selects the primary index. Throws
  // EngineError(IndexMissing) when the index does not exist (the order stays as it was).
  void setIndexName(const QString& indexName);
  const QString& indexName() const { return indexName_; }
  // Order by a ";" list of fields, ascending, or descending for a field followed by " desc"
  // ("TatoRechts desc;TatoLinks desc"); no index need exist. When every field is descending
  // the order is the exact reverse of the ascending one, so an index over the fields serves it.
  void setIndexFieldNames(const QString& fieldList);
  const QString& indexFieldNames() const { return indexFieldNames_; }
  // The fields of the current order.
  QStringList orderFields() const;

  // Filter in the expression language (see filter.h); applied while filtered() is true.
  // A malformed expression throws EngineError(BadFilter) when it is applied.
  void setFilter(const QString& expression);
  const QString& filter() const { return filterText_; }
  void setFiltered(bool filtered);
  bool filtered() const { return filtered_; }

  // Range over the leading fields of the current order: only records whose leading fields
  // lie between start and end (inclusive) are visited. start and end may be shorter than
  // the order. With equal start and end the range is exact; otherwise the bounds apply to the
  // first differing field after the equal leading ones.
  void setRange(const QVariantList& start, const QVariantList& end);
  void cancelRange();

  // Master-detail: this cursor shows only the records whose leading order fields (or the
  // given detail fields) equal the master's `masterFields` and follows the master as it
  // moves. A new record receives the master's values. An empty master key shows nothing.
  // Before the master moves, this cursor saves its pending change; when a rule stops that
  // save (Abort) and leaves the record in edit, the master's move is stopped too.
  void setMaster(DataSet* master, const QString& masterFields, const QString& detailFields = {});
  void clearMaster();

  // --- open / close ---
  void open() override;
  void close() override;
  const TableDef& tableDef() const;
  std::shared_ptr<Table> table() const { return table_; }

  // --- navigation (DataSet) ---
  void first() override;
  void last() override;
  void next() override;
  void prior() override;
  int moveBy(int n) override;
  qint64 recordCount() override;
  qint64 recordNumber() override;
  std::vector<Row> readRows(qint64 offset, int count) override;
  std::vector<Row> readRowsAfter(const Row& anchor, int count) override;
  std::vector<Row> readRowsBefore(const Row& anchor, int count) override;
  std::vector<Row> readRowsFromEnd(qint64 fromEnd, int count) override;
  void refresh() override;
  QVariant bookmark() const override;
  bool gotoBookmark(const QVariant& bookmark) override;

  // Finds the record whose leading order fields equal `values` (as many as given) and makes
  // it current; returns false and stays when there is none.
  bool findKey(const QVariantList& values);
  // Makes current the first record whose key is not below `values` (or the last record
  // when every key is below).
  void findNearest(const QVariantList& values);

  // Moves to the first record in the current order whose fields equal the values (one query;
  // data fields only). Returns false and stays when there is none.
  bool locate(const QString& fields, const QVariantList& values) override;
  // The value without moving; invalid when no record matches.
  QVariant lookup(const QString& keyFields, const QVariantList& values, const QString& resultField) override;

  // --- change ---
  void edit() override;
  void insert() override;
  void append() override;
  void post() override;
  void cancel() override;
  void deleteRecord() override;
  // Deletes every record visited (honouring filter, range and master).
  void emptyTable();

  // Called by the table when another cursor changed it.
  void tableChanged();

 protected:
  void ensureFresh() override;

 private:
  struct OrderColumn {
    QString sql;       // quoted column, or "rowid"
    int field = -1;    // index into the buffer, -1 for the rowid tiebreak
    bool descending = false;
    bool nocase = false;
    bool german = false;   // sql is the German sort key of the column; values compare as keys
    bool notNull = false;  // never empty (rowid, required fields): no NULL stretch to visit
  };
  struct Where {
    QString sql;
    QVariantList binds;
  };

  void requireOpen() const;
  void requireWritable() const;
  void changeOrder(const QString& indexName, const QString& fieldList);
  void buildOrder();
  void rebuildBase();
  QString selectList() const;
  Row fetchRow(const class Statement& stmt) const;
  std::optional<Row> fetchByRowid(qint64 rowid);
  std::vector<Row> scan(const QVariantList& key, bool forward, bool inclusive, int limit);
  std::vector<Row> scanAll(bool forward, int limit, qint64 offset = 0);
  QVariantList keyOf(const Row& row) const;
  QString orderBy(bool forward) const;
  QString colCompare(const OrderColumn& c, const char* op) const;
  void moveTo(Row row, bool fireScroll = true);
  void prepareMove();
  void moveToEnd(bool atStart);
  void masterMoved();
  QVariantList masterValues() const;
  void writeRow();
  qint64 countWhere(const Where& extra);
  std::optional<Row> firstMatch(const QString& fields, const QVariantList& values);

  QString tableName_;
  std::shared_ptr<Table> table_;
  bool readOnly_ = false;
  bool exclusive_ = false;
  QStringList expectedFields_;
  QString indexName_;
  QString indexFieldNames_;
  std::vector<OrderColumn> order_;
  QString filterText_;
  bool filtered_ = false;
  std::optional<std::pair<QVariantList, QVariantList>> range_;
  DataSet* master_ = nullptr;
  int masterListener_ = 0;
  QString masterFields_;
  QString detailFields_;
  QVariantList masterKey_;
  bool masterEmpty_ = false;
  Where base_;
  qint64 rowid_ = 0;  // rowid of the current record
  Row original_;      // the record as it was before edit()
  quint64 fetchedVersion_ = 0;
  // Records read ahead by the last forward step, valid while the current record is
  // aheadAnchor_ and the table is unchanged; a scan then costs one query per many steps.
  std::vector<Row> ahead_;
  qint64 aheadAnchor_ = 0;
  quint64 aheadVersion_ = 0;
  int aheadRun_ = 1;
  bool refreshing_ = false;
  bool forceFetch_ = false;
};

}  // namespace lapiro::engine
