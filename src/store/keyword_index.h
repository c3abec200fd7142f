// The keyword search ("Suche nach Schlüsselwort") over the texts the breeder wrote: tattoos,
// names, anomalies and info of animals; names, street, place and remarks of addresses; title,
// place, prize and remark of show results; disease and dose of treatments; vaccinations with
// vaccine, batch and veterinarian; the medicines of the pharmacy; category and description of
// bookings; the breeder register's entries with their animals, and the clubs.
//
// The index is a file of its own in the data directory (Suchindex.db), an SQLite FTS5 index
// with the original texts beside it for snippets. It is derived data: built on first use when
// missing, kept current from the engine's change observers, brought up to date when a source
// table file changed behind its back (size or time differs from what it last read), and built
// anew by the index rebuild. It is not a table of the catalogue and the backup leaves it out.
//
// Matching folds case and diacritics (ü as u) and ß as ss, the same way in the indexed text and
// in the query. Every word typed is a prefix; all words must occur. Typed text is never FTS
// syntax: quotes, '*', '-', NEAR, AND, OR and parentheses are ordinary characters.
#pragma once

#include "engine/engine.h"

#include <QString>

#include <array>
#include <vector>

struct sqlite3;

namespace lapiro::store {

enum class KeywordKind {
  Tier = 1,
  Adresse = 2,
  Ausstellung = 3,
  Behandlung = 4,       // a treatment (MedizienHase); leads to the animal
  Impfung = 5,          // a vaccination; leads to the animal
  Medikament = 6,       // a medicine of the pharmacy (APOTHEKE)
  Buchung = 7,          // a booking of the cash book
  Zuechterregister = 8, // an entry of the breeder register
  RegisterTier = 9,     // an animal of a breeder register entry; leads to the entry
  Verein = 10,          // a club
};
inline constexpr int kKeywordKinds = 10;

// "Tier", "Adresse", "Ausstellung", "Behandlung", "Impfung", "Medikament", "Buchung",
// "Züchterregister" (for both register kinds), "Verein".
QString keywordKindName(KeywordKind kind);

struct KeywordHit {
  KeywordKind kind = KeywordKind::Tier;
  // Where the hit leads: the animal's Hasen.Nummer (also for a show result, a treatment and a
  // vaccination), the address's Adresse.LaufendeNr, or the number (LaufendeNummer,
  // BuchungsNr) of the medicine, booking, register entry or club.
  qint64 target = 0;
  QString heading;  // tattoos and name, address name, or show title
  // The best matching passage; the matched terms are enclosed in kHitStart and kHitEnd.
  QString snippet;
};

inline constexpr QChar kHitStart = QChar(0x2);
inline constexpr QChar kHitEnd = QChar(0x3);

// The text as it is indexed and queried: ß becomes ss (FTS5's diacritic folding leaves it).
QString foldKeywordText(const QString& text);

// Turns typed text into an FTS5 query: each blank-separated word becomes a quoted prefix phrase
// of its letters and digits ("A-12.3" → "a 12 3"*), the words joined by AND. Empty when the text
// holds nothing searchable. At most 16 words of the first 200 characters are taken.
QString keywordMatchExpression(const QString& text);

class KeywordIndex {
 public:
  static constexpr const char16_t* kFileName = u"Suchindex.db";

  // Observes the engine's changes from now on; opens nothing until first needed. When `observe`
  // is false the index only works on request (the index rebuild uses such a one).
  explicit KeywordIndex(engine::Engine& engine, bool observe = true);
  ~KeywordIndex();
  KeywordIndex(const KeywordIndex&) = delete;
  KeywordIndex& operator=(const KeywordIndex&) = delete;

  // The ranked hits (best first, at most `limit`). Builds the index when it is missing and
  // brings stale parts up to date first. Returns nothing for text without a searchable word.
  // Throws engine::EngineError when the index cannot be built or read.
  std::vector<KeywordHit> search(const QString& text, int limit = 200);

  // Builds the index from scratch in one transaction (the file is created when missing).
  // Throws engine::EngineError; the index is then as it was.
  void rebuild();

  // Brings every part whose source changed behind its back up to date; builds a missing index.
  void ensureCurrent();

  // Path of the index file in the data directory of alias "Hase".
  QString path() const;

 private:
  struct Source;
  static const std::array<Source, kKeywordKinds>& sources();
  bool open(bool create);
  void close();
  void onChange(const engine::TableChange& change);
  void syncKind(const Source& source, bool wipe);
  void indexRow(const Source& source, engine::Table& table, qint64 rowid);
  void removeDocument(qint64 id);
  void addDocument(qint64 id, const Source& source, qint64 target, const QString& heading, const QString& text);
  void recordStamp(const Source& source);
  bool stampMatches(const Source& source);

  engine::Engine& engine_;
  int observer_ = 0;
  sqlite3* db_ = nullptr;
  QString openPath_;
  quint64 openIdentity_ = 0;
  std::array<bool, kKeywordKinds> dirty_{};
};

}  // namespace lapiro::store
