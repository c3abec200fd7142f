#include "bookkeeping/ledger.h"

#include "engine/cursor.h"
#include "engine/sqlite_util.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QFileInfo>

namespace lapiro::bookkeeping {

using engine::EngineError;
using engine::Statement;

namespace {

const QString kKonten = QStringLiteral("KONTEN.DB");
const QString kBuchung = QStringLiteral("BUCHUNG");

QVariant dateStorage(const QDate& d) { return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant(); }
QDate dateOf(const QVariant& v) { return QDate::fromString(v.toString(), Qt::ISODate); }
Money moneyOf(const QVariant& v) { return Money::fromUnits(v.isNull() ? 0 : v.toLongLong()); }

// One connection on KONTEN.DB with BUCHUNG attached as schema "b". The main database is a
// real file, so a transaction over both is committed atomically (super-journal).
class Books {
 public:
  explicit Books(engine::Engine& engine) {
    const QString konten = engine.resolve(kKonten), buchung = engine.resolve(kBuchung);
    if (!QFileInfo::exists(konten)) throw EngineError(EngineError::Kind::TableMissing, QStringLiteral("Die Tabelle KONTEN.DB fehlt."), kKonten);
    if (!QFileInfo::exists(buchung)) throw EngineError(EngineError::Kind::TableMissing, QStringLiteral("Die Tabelle BUCHUNG fehlt."), kBuchung);
    const int rc = sqlite3_open_v2(QFile::encodeName(konten).constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_close_v2(db_);
      db_ = nullptr;
      throw EngineError(EngineError::Kind::TableDamaged, QStringLiteral("Die Tabelle KONTEN.DB kann nicht geöffnet werden."), kKonten);
    }
    engine::configureConnection(db_);
    Statement attach(db_, QStringLiteral("ATTACH DATABASE ? AS b"));
    attach.bind(1, buchung);
    attach.step();
    engine::execSql(db_, QStringLiteral("PRAGMA b.journal_mode=DELETE; PRAGMA b.synchronous=FULL;"));
    konten_ = QStringLiteral("main.") + engine::quoteIdent(QFileInfo(konten).completeBaseName());
    buchung_ = QStringLiteral("b.") + engine::quoteIdent(QFileInfo(buchung).completeBaseName());
  }
  ~Books() {
    if (inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
  }
  Books(const Books&) = delete;
  Books& operator=(const Books&) = delete;

  sqlite3* db() const { return db_; }
  const QString& konten() const { return konten_; }
  const QString& buchung() const { return buchung_; }

  void begin() {
    engine::execSql(db_, QStringLiteral("BEGIN IMMEDIATE"));
    inTransaction_ = true;
  }
  void commit() {
    engine::execSql(db_, QStringLiteral("COMMIT"));
    inTransaction_ = false;
  }

  static Account account(const Statement& s) {
    return Account{s.column(0).toLongLong(), s.column(1).toLongLong(), s.column(2).toString(), moneyOf(s.column(3)),
                   dateOf(s.column(4)), moneyOf(s.column(5)), s.column(6).toString()};
  }
  QString accountColumns() const {
    return QStringLiteral("LaufendeNummer, Kontoart, Name, Eroeffnungssaldo, Zum, Kontostand, EinAus FROM ") + konten_;
  }
  static Booking booking(const Statement& s) {
    return Booking{s.column(0).toLongLong(), s.column(1).toLongLong(), dateOf(s.column(2)), s.column(3).toString(),
                   moneyOf(s.column(4)), s.column(5).toString(), s.column(6).isNull() ? 0 : s.column(6).toLongLong()};
  }
  QString bookingColumns() const {
    return QStringLiteral("BuchungsNr, Kontoname, Buchungsdatum, Kategorie, Betrag, Beschreibung, Gegenbuchung FROM ") +
           buchung_;
  }

  std::optional<Account> accountWhere(const QString& where, const QVariant& value) {
    Statement s(db_, QStringLiteral("SELECT ") + accountColumns() + QStringLiteral(" WHERE ") + where +
                         QStringLiteral(" ORDER BY LaufendeNummer LIMIT 1"));
    s.bind(1, value);
    if (!s.step()) return std::nullopt;
    return account(s);
  }
  std::optional<Booking> bookingByNr(qint64 nr) {
    Statement s(db_, QStringLiteral("SELECT ") + bookingColumns() + QStringLiteral(" WHERE BuchungsNr = ?"));
    s.bind(1, nr);
    if (!s.step()) return std::nullopt;
    return booking(s);
  }
  void addToBalance(qint64 account, Money delta) {
    Statement s(db_, QStringLiteral("UPDATE ") + konten_ +
                         QStringLiteral(" SET Kontostand = coalesce(Kontostand, 0) + ? WHERE LaufendeNummer = ?"));
    s.bind(1, QVariant(qlonglong(delta.units())));
    s.bind(2, account);
    s.step();
  }
  qint64 insertBooking(qint64 account, const QDate& date, const QString& category, Money amount,
                       const QString& description, qint64 counter) {
    Statement s(db_, QStringLiteral("INSERT INTO ") + buchung_ +
                         QStringLiteral(" (Kontoname, Buchungsdatum, Kategorie, Betrag, Beschreibung, Gegenbuchung)"
                                        " VALUES (?, ?, ?, ?, ?, ?)"));
    s.bind(1, account);
    s.bind(2, dateStorage(date));
    s.bind(3, category.left(30));
    s.bind(4, QVariant(qlonglong(amount.units())));
    s.bind(5, description.isEmpty() ? QVariant() : QVariant(description));
    s.bind(6, counter > 0 ? QVariant(counter) : QVariant(qlonglong(0)));
    s.step();
    return sqlite3_last_insert_rowid(db_);
  }
  void setCounter(qint64 booking, qint64 counter) {
    Statement s(db_, QStringLiteral("UPDATE ") + buchung_ + QStringLiteral(" SET Gegenbuchung = ? WHERE BuchungsNr = ?"));
    s.bind(1, counter);
    s.bind(2, booking);
    s.step();
  }
  void deleteBooking(qint64 nr) {
    Statement s(db_, QStringLiteral("DELETE FROM ") + buchung_ + QStringLiteral(" WHERE BuchungsNr = ?"));
    s.bind(1, nr);
    s.step();
  }

 private:
  sqlite3* db_ = nullptr;
  QString konten_, buchung_;
  bool inTransaction_ = false;
};

void tellCursors(engine::Engine& engine) {
  engine.tableChangedOutside(kKonten);
  engine.tableChangedOutside(kBuchung);
}

}  // namespace

Ledger::Ledger(engine::Engine& engine) : engine_(engine) {}

std::vector<Account> Ledger::rows() {
  Books books(engine_);
  Statement s(books.db(), QStringLiteral("SELECT ") + books.accountColumns() + QStringLiteral(" ORDER BY Name, LaufendeNummer"));
  std::vector<Account> out;
  while (s.step()) out.push_back(Books::account(s));
  return out;
}

std::vector<Account> Ledger::moneyAccounts() {
  Books books(engine_);
  Statement s(books.db(), QStringLiteral("SELECT ") + books.accountColumns() +
                              QStringLiteral(" WHERE Kontoart BETWEEN 1 AND 3 ORDER BY Kontoart, Name"));
  std::vector<Account> out;
  while (s.step()) out.push_back(Books::account(s));
  return out;
}

std::optional<Account> Ledger::account(qint64 nr) {
  Books books(engine_);
  return books.accountWhere(QStringLiteral("LaufendeNummer = ?"), nr);
}

std::optional<Account> Ledger::byName(const QString& name) {
  Books books(engine_);
  return books.accountWhere(QStringLiteral("Name = ?"), name);
}

std::vector<Booking> Ledger::bookings(qint64 account) {
  Books books(engine_);
  Statement s(books.db(), QStringLiteral("SELECT ") + books.bookingColumns() +
                              QStringLiteral(" WHERE Kontoname = ? ORDER BY Buchungsdatum, BuchungsNr"));
  s.bind(1, account);
  std::vector<Booking> out;
  while (s.step()) out.push_back(Books::booking(s));
  return out;
}

std::optional<Booking> Ledger::booking(qint64 nr) {
  Books books(engine_);
  return books.bookingByNr(nr);
}

Money Ledger::bookedSum(qint64 account) {
  Books books(engine_);
  Statement s(books.db(), QStringLiteral("SELECT total(Betrag) FROM ") + books.buchung() +
                              QStringLiteral(" WHERE Kontoname = ?"));
  s.bind(1, account);
  s.step();
  return Money::fromUnits(static_cast<qint64>(s.column(0).toDouble()));
}

Ledger::SaveOutcome Ledger::saveBooking(const BookingEntry& entry, bool askFirst) {
  auto missing = [](const QString& field) {
    store::dialogs().error(QStringLiteral("Das Feld %1 muss einen Wert haben.").arg(field));
    return SaveOutcome{SaveResult::MissingField};
  };
  if (!entry.date.isValid()) return missing(QStringLiteral("Buchungsdatum"));
  if (entry.category.trimmed().isEmpty()) return missing(QStringLiteral("Kategorie"));
  if (!entry.amount) return missing(QStringLiteral("Betrag"));
  // A transfer to the booked account itself would move its balance with no counter booking,
  // and the money would appear in neither income nor expenses: refused before anything is
  // asked or written.
  try {
    const std::optional<Account> booked = account(entry.account);
    if (booked && isMoneyAccount(booked->kind) && entry.category.trimmed() == booked->name.trimmed()) {
      store::dialogs().error(QStringLiteral("Eine Umbuchung auf dasselbe Konto ist nicht möglich"));
      return SaveOutcome{SaveResult::Failed};
    }
  } catch (const EngineError& e) {
    store::dialogs().error(e.message());
    return SaveOutcome{SaveResult::Failed};
  }
  if (askFirst && !store::dialogs().ask(store::messageText(kMsgSaveBooking), store::DialogKind::Warning))
    return SaveOutcome{SaveResult::Declined};

  try {
    Books books(engine_);
    books.begin();
    const std::optional<Account> booked = books.accountWhere(QStringLiteral("LaufendeNummer = ?"), entry.account);
    if (!booked || !isMoneyAccount(booked->kind)) {
      store::dialogs().error(QStringLiteral("Das Konto der Buchung ist nicht vorhanden."));
      return SaveOutcome{SaveResult::Failed};
    }
    const std::optional<Account> category = books.accountWhere(QStringLiteral("Name = ?"), entry.category);
    Money amount = *entry.amount;
    if (category && category->einAus == QStringLiteral("Ausgabe")) amount = -amount;

    SaveOutcome out{SaveResult::Saved};
    out.bookingNr = books.insertBooking(booked->nr, entry.date, entry.category, amount, entry.description, 0);
    books.addToBalance(booked->nr, amount);
    // A category naming the booked account itself was refused above (its name matches exactly).
    if (category && isMoneyAccount(category->kind)) {
      out.counterNr = books.insertBooking(category->nr, entry.date, booked->name, -amount, entry.description, out.bookingNr);
      books.addToBalance(category->nr, -amount);
      books.setCounter(out.bookingNr, out.counterNr);
    }
    books.commit();
    tellCursors(engine_);
    return out;
  } catch (const EngineError& e) {
    store::dialogs().error(e.message());
    return SaveOutcome{SaveResult::Failed};
  }
}

bool Ledger::deleteBooking(qint64 nr, bool ask) {
  if (ask && !store::dialogs().ask(store::messageText(kMsgDeleteBooking), store::DialogKind::Warning)) return false;
  try {
    Books books(engine_);
    books.begin();
    const std::optional<Booking> b = books.bookingByNr(nr);
    if (!b) return false;
    if (b->counter > 0) {
      // The counter booking by its key; its own account loses its amount.
      if (const std::optional<Booking> c = books.bookingByNr(b->counter); c && c->nr != b->nr) {
        books.addToBalance(c->account, -c->amount);
        books.deleteBooking(c->nr);
      }
    }
    books.addToBalance(b->account, -b->amount);
    books.deleteBooking(b->nr);
    books.commit();
    tellCursors(engine_);
    return true;
  } catch (const EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
}

void Ledger::attachAccountRules(engine::Cursor& konten) {
  konten.events.beforePost = [](engine::DataSet& ds) {
    auto& c = static_cast<engine::Cursor&>(ds);
    const Money opening = c.field(QStringLiteral("Eroeffnungssaldo")).asMoney();
    if (c.state() == engine::DataSetState::Insert) {
      c.field(QStringLiteral("Kontostand")).setMoney(opening);
      return;
    }
    // Against the stored row: bookings may have moved the balance since the edit began.
    const QVariant nr = c.field(QStringLiteral("LaufendeNummer")).value();
    const QVariant storedOpening = c.lookup(QStringLiteral("LaufendeNummer"), {nr}, QStringLiteral("Eroeffnungssaldo"));
    const QVariant storedBalance = c.lookup(QStringLiteral("LaufendeNummer"), {nr}, QStringLiteral("Kontostand"));
    const Money before = storedOpening.isValid() ? storedOpening.value<Money>() : Money();
    const Money balance = storedBalance.isValid() ? storedBalance.value<Money>() : Money();
    c.field(QStringLiteral("Kontostand")).setMoney(balance + (opening - before));
  };
}

}  // namespace lapiro::bookkeeping
