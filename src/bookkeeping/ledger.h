// The cash book: money accounts and categories in KONTEN.DB, bookings in BUCHUNG.
//
// An account's balance (Kontostand) is its opening balance (Eroeffnungssaldo) plus the stored
// amounts of its bookings. Every change that touches a booking and a balance is written in one
// transaction over both table files (SQLite commits the two files atomically through its
// super-journal), so a failure or a killed process never leaves a booking without its balance
// change, a transfer without its counter booking, or a sign flipped twice.
//
// Questions and messages go through store::dialogs().
#pragma once

#include "engine/engine.h"
#include "engine/types.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace lapiro::engine {
class Cursor;
}

namespace lapiro::bookkeeping {

using engine::Money;

// Kontoart: 0 category, 1 bank account, 2 cash; the account views take kinds 1 to 3.
inline constexpr int kKindCategory = 0;
inline constexpr int kKindBank = 1;
inline constexpr int kKindCash = 2;
inline bool isMoneyAccount(qint64 kind) { return kind >= 1 && kind <= 3; }

// Message numbers of the catalogue: save question for accounts/categories, for a booking,
// delete question for a booking and for an account.
inline constexpr int kMsgSaveAccount = 133;
inline constexpr int kMsgDeleteBooking = 134;
inline constexpr int kMsgSaveBooking = 135;
inline constexpr int kMsgDeleteAccount = 136;

struct Account {
  qint64 nr = 0;  // LaufendeNummer
  qint64 kind = 0;
  QString name;
  Money opening;
  QDate openedOn;  // Zum
  Money balance;   // Kontostand
  QString einAus;  // "Einnahme", "Ausgabe" or empty
};

// A booking as the user enters it: the amount as typed (sign not yet set by the category).
struct BookingEntry {
  qint64 account = 0;  // Kontoname: the account's LaufendeNummer
  QDate date;
  QString category;
  std::optional<Money> amount;
  QString description;
};

struct Booking {
  qint64 nr = 0;  // BuchungsNr
  qint64 account = 0;
  QDate date;
  QString category;
  Money amount;  // as stored: expenses negative
  QString description;
  qint64 counter = 0;  // Gegenbuchung, 0 when none
};

class Ledger {
 public:
  // The tables are found through the engine's data directory; they need not be open.
  explicit Ledger(engine::Engine& engine);

  // Every row of KONTEN.DB (accounts and categories), by name; throws EngineError.
  std::vector<Account> rows();
  std::vector<Account> moneyAccounts();  // kinds 1 to 3, by kind and name
  std::optional<Account> account(qint64 nr);
  // The row named `name` (the lowest LaufendeNummer when names repeat).
  std::optional<Account> byName(const QString& name);

  // Bookings of an account in the order Buchungsdatum, BuchungsNr.
  std::vector<Booking> bookings(qint64 account);
  std::optional<Booking> booking(qint64 nr);

  enum class SaveResult {
    Saved,
    Declined,      // the save question was answered "Nein": nothing written
    MissingField,  // a required field is empty: the engine's message was shown, nothing written
    Failed,        // the account is unknown or the write failed: message shown, nothing written
  };
  struct SaveOutcome {
    SaveResult result = SaveResult::Failed;
    qint64 bookingNr = 0;
    qint64 counterNr = 0;  // the counter booking of a transfer
  };

  // Saves a new booking. Checks the required fields (date, category, amount) first; asks
  // message 135 when `askFirst`; sets the sign once (an expense category stores the amount
  // negated); then writes the booking, the account's balance and, for a transfer (the
  // category names a money account), the counter booking with the negated amount, the counter
  // account's balance and the two links, all in one transaction. A refused save leaves
  // everything as it was, so saving the same entry again gives the same result as one save.
  // A booking whose category names the booked account itself is refused with "Eine
  // Umbuchung auf dasselbe Konto ist nicht möglich" (Failed), before the question.
  SaveOutcome saveBooking(const BookingEntry& entry, bool askFirst);

  // Deletes booking `nr` after message 134 ("Nein": false, nothing changed). A counter
  // booking is found by its key (Gegenbuchung) and deleted with it; each account's balance
  // loses the amount of its own booking. One transaction. False also when the booking does
  // not exist or the write failed (message shown).
  bool deleteBooking(qint64 nr, bool ask = true);

  // Sum of the stored amounts of an account's bookings (for checks and repair).
  Money bookedSum(qint64 account);

  // The rules of a cursor on KONTEN.DB: a new account's balance starts at its opening balance
  // (0 when empty); a change of the opening balance moves the balance by the difference,
  // taken against the values stored at that moment.
  static void attachAccountRules(engine::Cursor& konten);

 private:
  engine::Engine& engine_;
};

}  // namespace lapiro::bookkeeping
