#include "store/keyword_index.h"

#include "engine/sqlite_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>
#include <sys/stat.h>

namespace lapiro::store {

using engine::EngineError;
using engine::Statement;

struct KeywordIndex::Source {
  KeywordKind kind;
  QString table;
  QString target;            // field holding the record the hit leads to
  QStringList heading;       // fields of the heading column (weighted higher)
  QString headingSeparator;
  QStringList text;          // fields of the text column
};

namespace {

constexpr int kKindShift = 40;  // document id = kind << 40 | rowid of the source record

qint64 documentId(KeywordKind kind, qint64 rowid) { return (qint64(kind) << kKindShift) | rowid; }

int slot(KeywordKind kind) { return int(kind) - 1; }

quint64 fileIdentity(const QString& file) {
  struct stat st {};
  if (::stat(QFile::encodeName(file).constData(), &st) != 0) return 0;
  return (quint64(st.st_dev) << 32) ^ quint64(st.st_ino);
}

// A transaction on the index that rolls back unless committed.
class IndexTransaction {
 public:
  explicit IndexTransaction(sqlite3* db) : db_(db) { engine::execSql(db_, QStringLiteral("BEGIN IMMEDIATE")); }
  ~IndexTransaction() {
    if (db_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void commit() {
    engine::execSql(db_, QStringLiteral("COMMIT"));
    db_ = nullptr;
  }

 private:
  sqlite3* db_;
};

// The stored name of a field in the table's layout, empty when the table lacks it (an older
// table not yet upgraded).
QString storedField(const engine::TableDef& def, const QString& name) {
  for (const auto& f : def.fields)
    if (f.name.compare(name, Qt::CaseInsensitive) == 0) return f.name;
  return {};
}

QString joinPresent(const QStringList& parts, const QString& separator) {
  QStringList present;
  for (const QString& p : parts)
    if (!p.trimmed().isEmpty()) present << p.trimmed();
  return present.join(separator);
}

}  // namespace

QString keywordKindName(KeywordKind kind) {
  switch (kind) {
    case KeywordKind::Tier: return QStringLiteral("Tier");
    case KeywordKind::Adresse: return QStringLiteral("Adresse");
    case KeywordKind::Ausstellung: return QStringLiteral("Ausstellung");
    case KeywordKind::Behandlung: return QStringLiteral("Behandlung");
    case KeywordKind::Impfung: return QStringLiteral("Impfung");
    case KeywordKind::Medikament: return QStringLiteral("Medikament");
    case KeywordKind::Buchung: return QStringLiteral("Buchung");
    case KeywordKind::Zuechterregister:
    case KeywordKind::RegisterTier: return QStringLiteral("Züchterregister");
    case KeywordKind::Verein: return QStringLiteral("Verein");
  }
  return {};
}

QString foldKeywordText(const QString& text) {
  QString out = text;
  out.replace(QChar(0x00DF), QStringLiteral("ss"));
  out.replace(QChar(0x1E9E), QStringLiteral("SS"));
  return out;
}

QString keywordMatchExpression(const QString& text) {
  const QString folded = foldKeywordText(text.left(200));
  QStringList phrases;
  for (const QString& word : folded.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
    QStringList tokens;
    QString current;
    for (const QChar c : word) {
      if (c.isLetterOrNumber() || c.category() == QChar::Mark_NonSpacing) {
        current += c;
      } else if (!current.isEmpty()) {
        tokens << current;
        current.clear();
      }
    }
    if (!current.isEmpty()) tokens << current;
    // Only letters, digits and marks remain, so the quoted phrase needs no escaping and no
    // typed character can act as query syntax.
    if (!tokens.isEmpty()) phrases << u'"' + tokens.join(u' ') + QStringLiteral("\"*");
    if (phrases.size() == 16) break;
  }
  return phrases.join(u' ');
}

const std::array<KeywordIndex::Source, kKeywordKinds>& KeywordIndex::sources() {
  // In the order of KeywordKind: the kind is the slot of its source.
  static const std::array<Source, kKeywordKinds> list{{
      {KeywordKind::Tier, QStringLiteral("Hasen"), QStringLiteral("Nummer"),
       {QStringLiteral("TatoRechts"), QStringLiteral("TatoLinks"), QStringLiteral("IDCode")}, QStringLiteral(" "),
       {QStringLiteral("Anomalien"), QStringLiteral("Info")}},
      {KeywordKind::Adresse, QStringLiteral("Adresse"), QStringLiteral("LaufendeNr"),
       {QStringLiteral("Name"), QStringLiteral("Vorname")}, QStringLiteral(", "),
       {QStringLiteral("Straße"), QStringLiteral("PLZ"), QStringLiteral("Ort"), QStringLiteral("Bemerkung")}},
      {KeywordKind::Ausstellung, QStringLiteral("Ausstellung"), QStringLiteral("Hase"), {QStringLiteral("Titel")},
       QStringLiteral(" "), {QStringLiteral("Ort"), QStringLiteral("Preis"), QStringLiteral("Bemerkung")}},
      {KeywordKind::Behandlung, QStringLiteral("MedizienHase"), QStringLiteral("Hase"), {QStringLiteral("Krankheit")},
       QStringLiteral(" "), {QStringLiteral("Dosierung")}},
      {KeywordKind::Impfung, QStringLiteral("Impfung"), QStringLiteral("Tier"), {QStringLiteral("Impfung")},
       QStringLiteral(" "), {QStringLiteral("Impfstoff"), QStringLiteral("Chargenbez"), QStringLiteral("Tierarzt")}},
      {KeywordKind::Medikament, QStringLiteral("APOTHEKE"), QStringLiteral("LaufendeNummer"),
       {QStringLiteral("Medikament")}, QStringLiteral(" "),
       {QStringLiteral("Bereich"), QStringLiteral("Krankheit"), QStringLiteral("Info")}},
      {KeywordKind::Buchung, QStringLiteral("BUCHUNG"), QStringLiteral("BuchungsNr"), {QStringLiteral("Kategorie")},
       QStringLiteral(" "), {QStringLiteral("Beschreibung")}},
      {KeywordKind::Zuechterregister, QStringLiteral("ZWINGREG"), QStringLiteral("LaufendeNummer"),
       {QStringLiteral("Zwinger"), QStringLiteral("Züchter")}, QStringLiteral(", "),
       {QStringLiteral("Rasse"), QStringLiteral("Zuchtfarbe"), QStringLiteral("Verein"), QStringLiteral("Strasse"),
        QStringLiteral("PLZ"), QStringLiteral("Ort"), QStringLiteral("Land")}},
      {KeywordKind::RegisterTier, QStringLiteral("ZWINGINF"), QStringLiteral("Zwinger"), {QStringLiteral("Name")},
       QStringLiteral(" "), {QStringLiteral("Memo1")}},
      {KeywordKind::Verein, QStringLiteral("VEREINE"), QStringLiteral("LaufendeNummer"), {QStringLiteral("Verein")},
       QStringLiteral(" "),
       {QStringLiteral("Ansprechpartner"), QStringLiteral("Strasse"), QStringLiteral("Plz"), QStringLiteral("Ort"),
        QStringLiteral("Land")}},
  }};
  return list;
}

KeywordIndex::KeywordIndex(engine::Engine& engine, bool observe) : engine_(engine) {
  if (observe) observer_ = engine_.addChangeObserver([this](const engine::TableChange& c) { onChange(c); });
}

KeywordIndex::~KeywordIndex() {
  if (observer_) engine_.removeChangeObserver(observer_);
  close();
}

QString KeywordIndex::path() const {
  return QDir(engine_.aliasDirectory()).filePath(QString::fromUtf16(kFileName));
}

void KeywordIndex::close() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
  openPath_.clear();
}

bool KeywordIndex::open(bool create) {
  const QString file = path();
  // The same path may meanwhile name another file (a restore exchanges the data directory).
  if (db_ && openPath_ == file && fileIdentity(file) == openIdentity_) return true;
  close();
  dirty_.fill(false);
  if (!create && !QFileInfo::exists(file)) return false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
      if (rc != SQLITE_OK) engine::throwSqliteError(db, rc, file);
      sqlite3_busy_timeout(db, 3000);
      // Derived data: a lost index is rebuilt, so commits need not wait for the disk.
      engine::execSql(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
      engine::execSql(db, QStringLiteral("PRAGMA synchronous=OFF"));
      engine::execSql(db, QStringLiteral(
          "CREATE TABLE IF NOT EXISTS Texte(id INTEGER PRIMARY KEY, art INTEGER NOT NULL, ziel INTEGER, "
          "kopf TEXT, text TEXT)"));
      engine::execSql(db, QStringLiteral(
          "CREATE VIRTUAL TABLE IF NOT EXISTS Suche USING fts5(kopf, text, content='Texte', content_rowid='id', "
          "tokenize='unicode61 remove_diacritics 2', prefix='1 2 3')"));
      engine::execSql(db, QStringLiteral(
          "CREATE TABLE IF NOT EXISTS Stand(quelle TEXT PRIMARY KEY, groesse INTEGER, zeit INTEGER)"));
      Statement probe(db, QStringLiteral("SELECT count(*) FROM Stand"));
      probe.step();
    } catch (const EngineError&) {
      sqlite3_close_v2(db);
      // A damaged or foreign file: it holds nothing that cannot be built again.
      if (attempt == 0 && QFile::remove(file)) continue;
      throw;
    }
    db_ = db;
    openPath_ = file;
    openIdentity_ = fileIdentity(file);
    // What changed while nobody listened is read anew before any single change is applied.
    for (const Source& s : sources()) dirty_[slot(s.kind)] = !stampMatches(s);
    return true;
  }
  return false;
}

bool KeywordIndex::stampMatches(const Source& source) {
  const QFileInfo info(engine_.resolve(source.table));
  Statement st(db_, QStringLiteral("SELECT groesse, zeit FROM Stand WHERE quelle = ?"));
  st.bind(1, source.table);
  if (!st.step()) return false;
  const qint64 size = info.exists() ? info.size() : -1;
  const qint64 time = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
  return st.column(0).toLongLong() == size && st.column(1).toLongLong() == time;
}

void KeywordIndex::recordStamp(const Source& source) {
  const QFileInfo info(engine_.resolve(source.table));
  Statement st(db_, QStringLiteral("INSERT OR REPLACE INTO Stand(quelle, groesse, zeit) VALUES(?, ?, ?)"));
  st.bind(1, source.table);
  st.bind(2, info.exists() ? info.size() : qint64(-1));
  st.bind(3, info.exists() ? info.lastModified().toMSecsSinceEpoch() : qint64(-1));
  st.step();
}

void KeywordIndex::removeDocument(qint64 id) {
  Statement old(db_, QStringLiteral("SELECT kopf, text FROM Texte WHERE id = ?"));
  old.bind(1, id);
  if (!old.step()) return;
  // External content: the index forgets exactly the tokens it was given.
  Statement del(db_, QStringLiteral("INSERT INTO Suche(Suche, rowid, kopf, text) VALUES('delete', ?, ?, ?)"));
  del.bindAll({id, foldKeywordText(old.column(0).toString()), foldKeywordText(old.column(1).toString())});
  del.step();
  Statement row(db_, QStringLiteral("DELETE FROM Texte WHERE id = ?"));
  row.bind(1, id);
  row.step();
}

void KeywordIndex::addDocument(qint64 id, const Source& source, qint64 target, const QString& heading,
                               const QString& text) {
  if (heading.isEmpty() && text.isEmpty()) return;
  Statement row(db_, QStringLiteral("INSERT INTO Texte(id, art, ziel, kopf, text) VALUES(?, ?, ?, ?, ?)"));
  row.bindAll({id, int(source.kind), target, heading, text});
  row.step();
  Statement fts(db_, QStringLiteral("INSERT INTO Suche(rowid, kopf, text) VALUES(?, ?, ?)"));
  fts.bindAll({id, foldKeywordText(heading), foldKeywordText(text)});
  fts.step();
}

namespace {

// SELECT rowid, target, heading fields…, text fields… of a source table; fields the table
// lacks read as NULL.
QString sourceSelect(const engine::Table& table, const QString& target, const QStringList& heading,
                     const QStringList& text) {
  QStringList cols{QStringLiteral("rowid")};
  for (const QString& name : QStringList{target} + heading + text) {
    const QString stored = storedField(table.def(), name);
    cols << (stored.isEmpty() ? QStringLiteral("NULL") : engine::quoteIdent(stored));
  }
  return QStringLiteral("SELECT %1 FROM %2").arg(cols.join(u", "), table.sqlName());
}

}  // namespace

void KeywordIndex::indexRow(const Source& source, engine::Table& table, qint64 rowid) {
  Statement st(table.db(), sourceSelect(table, source.target, source.heading, source.text) +
                               QStringLiteral(" WHERE rowid = ?"));
  st.bind(1, rowid);
  if (!st.step()) return;
  QStringList heading, text;
  int col = 2;
  for (int i = 0; i < source.heading.size(); ++i) heading << st.column(col++).toString();
  for (int i = 0; i < source.text.size(); ++i) text << st.column(col++).toString();
  addDocument(documentId(source.kind, rowid), source, st.column(1).toLongLong(),
              joinPresent(heading, source.headingSeparator), joinPresent(text, QStringLiteral(" · ")));
}

void KeywordIndex::syncKind(const Source& source, bool wipe) {
  if (wipe) {
    Statement ids(db_, QStringLiteral("SELECT id FROM Texte WHERE id >= ? AND id < ?"));
    ids.bindAll({documentId(source.kind, 0), documentId(KeywordKind(int(source.kind) + 1), 0)});
    std::vector<qint64> gone;
    while (ids.step()) gone.push_back(ids.column(0).toLongLong());
    for (qint64 id : gone) removeDocument(id);
  }
  if (engine_.tableExists(source.table)) {
    const auto table = engine_.acquire(source.table, engine::OpenMode::Shared);
    Statement st(table->db(), sourceSelect(*table, source.target, source.heading, source.text));
    Statement row(db_, QStringLiteral("INSERT INTO Texte(id, art, ziel, kopf, text) VALUES(?, ?, ?, ?, ?)"));
    Statement fts(db_, QStringLiteral("INSERT INTO Suche(rowid, kopf, text) VALUES(?, ?, ?)"));
    QStringList heading, text;
    while (st.step()) {
      heading.clear();
      text.clear();
      int col = 2;
      for (int i = 0; i < source.heading.size(); ++i) heading << st.column(col++).toString();
      for (int i = 0; i < source.text.size(); ++i) text << st.column(col++).toString();
      const QString h = joinPresent(heading, source.headingSeparator);
      const QString t = joinPresent(text, QStringLiteral(" · "));
      if (h.isEmpty() && t.isEmpty()) continue;
      const qint64 id = documentId(source.kind, st.column(0).toLongLong());
      row.bindAll({id, int(source.kind), st.column(1).toLongLong(), h, t});
      row.step();
      row.reset();
      fts.bindAll({id, foldKeywordText(h), foldKeywordText(t)});
      fts.step();
      fts.reset();
    }
  }
  recordStamp(source);
}

void KeywordIndex::ensureCurrent() {
  open(true);
  for (const Source& s : sources()) {
    if (!dirty_[slot(s.kind)] && stampMatches(s)) continue;
    IndexTransaction tx(db_);
    syncKind(s, true);
    tx.commit();
    dirty_[slot(s.kind)] = false;
  }
}

void KeywordIndex::rebuild() {
  open(true);
  IndexTransaction tx(db_);
  engine::execSql(db_, QStringLiteral("INSERT INTO Suche(Suche) VALUES('delete-all')"));
  engine::execSql(db_, QStringLiteral("DELETE FROM Texte"));
  engine::execSql(db_, QStringLiteral("DELETE FROM Stand"));
  for (const Source& s : sources()) syncKind(s, false);
  engine::execSql(db_, QStringLiteral("INSERT INTO Suche(Suche) VALUES('optimize')"));
  tx.commit();
  dirty_.fill(false);
}

void KeywordIndex::onChange(const engine::TableChange& change) {
  const engine::Table* table = change.table;
  if (!table) return;
  const Source* source = nullptr;
  for (const Source& s : sources())
    if (s.table.compare(table->baseName(), Qt::CaseInsensitive) == 0) source = &s;
  if (!source) return;
  // Only the tables of the data directory feed the index (a show entry may be saved anywhere).
  if (QFileInfo(table->path()).absolutePath() != QFileInfo(path()).absolutePath()) return;
  try {
    if (!open(false)) return;  // no index yet: it is built on first use
    bool& dirty = dirty_[slot(source->kind)];
    if (change.rowid < 0 || dirty) {
      dirty = true;
      return;
    }
    IndexTransaction tx(db_);
    removeDocument(documentId(source->kind, change.previousRowid));
    if (change.previousRowid != change.rowid) removeDocument(documentId(source->kind, change.rowid));
    if (!change.deleted) indexRow(*source, *const_cast<engine::Table*>(table), change.rowid);
    recordStamp(*source);
    tx.commit();
  } catch (const EngineError&) {
    // The change stands; the index reads this part anew before the next search.
    dirty_[slot(source->kind)] = true;
  }
}

std::vector<KeywordHit> KeywordIndex::search(const QString& text, int limit) {
  const QString expression = keywordMatchExpression(text);
  if (expression.isEmpty()) return {};
  ensureCurrent();
  // Ranking costs time for every matching record; a word that nearly every record holds (the
  // stock's tattoo prefix) would take longer to rank than to read, and its ranks say nothing.
  // Beyond kRankedAtMost hits the first ones are listed in stored order.
  constexpr int kRankedAtMost = 20000;
  Statement probe(db_, QStringLiteral("SELECT count(*) FROM (SELECT rowid FROM Suche WHERE Suche MATCH ? LIMIT ?)"));
  probe.bindAll({expression, kRankedAtMost + 1});
  probe.step();
  const bool ranked = probe.column(0).toInt() <= kRankedAtMost;
  // Ordered by FTS5's own rank (bm25, the heading weighing four times the text): the index
  // sorts by it and the snippets are made only for the hits returned.
  Statement st(db_, QStringLiteral(
      "SELECT t.art, t.ziel, t.kopf, snippet(Suche, -1, char(2), char(3), '…', 12) "
      "FROM Suche JOIN Texte t ON t.id = Suche.rowid WHERE Suche MATCH ? AND rank MATCH 'bm25(4.0, 1.0)' "
      "ORDER BY %1 LIMIT ?").arg(ranked ? QStringLiteral("rank") : QStringLiteral("Suche.rowid")));
  st.bindAll({expression, limit});
  std::vector<KeywordHit> hits;
  while (st.step()) {
    KeywordHit hit;
    hit.kind = KeywordKind(st.column(0).toInt());
    hit.target = st.column(1).toLongLong();
    hit.heading = st.column(2).toString();
    hit.snippet = st.column(3).toString();
    hits.push_back(std::move(hit));
  }
  return hits;
}

}  // namespace lapiro::store
