// The exchange file: animals with their parentage, breeds, colours, addresses and optionally
// show results, as UTF-8 JSON (docs/exchange-format.md, docs/exchange-format.schema.json).
//
// Identifiers carry their scheme and parentage is typed (sire, dam), after the concepts of
// the ICAR Animal Data Exchange JSON; the file does not claim conformance to it. Ids inside
// the file ("id" of animals and addresses) are local to the file and link its records.
//
// The reader treats the file as untrusted: it refuses files above kMaxFileSize, nesting deeper
// than kMaxDepth, invalid JSON, another format name, a newer major version, missing required
// fields, impossible dates, unknown breed codes, duplicate ids, parents that are not in the
// file and parentage loops, each with a German message that names the place in the file.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace lapiro::exchange {

inline constexpr char16_t kFormatName[] = u"lapiro-exchange";
inline constexpr int kFormatMajor = 1;
inline constexpr int kFormatMinor = 1;
// Files above this size are refused before they are read.
inline constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;
// JSON nested deeper than this is refused before it is parsed.
inline constexpr int kMaxDepth = 16;
// Dates of an imported file (JSON, CSV, passport) lie in these years; others are refused.
inline constexpr int kMinYear = 1900;
inline constexpr int kMaxYear = 2999;

// One show result (a row of Ausstellung).
struct ExShow {
  QDate date;
  QString title;
  QString place;
  QString prize;
  std::optional<double> weight;
  // The seven score positions Gewicht1 .. Pflege7 (empty when not judged).
  std::optional<double> scores[7];
  QString remark;
};

// One animal. Empty texts and unset optionals mean "not given".
struct ExAnimal {
  QString id;            // local to the file
  QString tatoRechts;    // scheme "tattoo-right"
  QString tatoLinks;     // scheme "tattoo-left"
  QDate birthDate;       // null when unknown
  QString sex;           // "1" buck, "2" doe (file: "Male" / "Female")
  QString breedCode;     // a code of the file's breeds list
  QString colourName;    // a colour of that breed
  QString colourCode;
  QString geneticFormula;
  QString genotype;      // colour genotype as written ("A achi/B b"); read unchecked, the import checks it
  QString litterSize;
  std::optional<qint64> koernote;
  QString name;          // IDCode
  QString info;          // features: notes
  QString anomalies;     // features: anomalies
  QString status;        // status name in the exporting stock (information)
  QString sireId;        // parentage "Sire"
  QString damId;         // parentage "Dam"
  QString breederId;     // an address id
  QString ownerId;       // an address id
  std::vector<ExShow> shows;
};

struct ExBreed {
  QString code;
  QString name;
  QString group;
};

struct ExAddress {
  QString id;
  QString name, vorname, strasse, plz, ort, land, telefon, email, vereinskennzeichen, hbnr;
};

struct ExchangeFile {
  int major = kFormatMajor;
  int minor = kFormatMinor;
  QString program;     // exporting program and version
  QString stock;       // identity of the exporting stock (stockIdentity); empty in older files
  QDateTime created;   // UTC
  std::vector<ExBreed> breeds;
  std::vector<ExAnimal> animals;
  std::vector<ExAddress> addresses;
};

// Writes the file as UTF-8 JSON. `compact` leaves out indentation (the passport's payload).
QByteArray writeExchange(const ExchangeFile& file, bool compact = false);

// The outcome of reading: the file, or a German message naming the place in the file.
struct ReadResult {
  std::optional<ExchangeFile> file;
  QString error;
};

// Reads and checks a file's content (see the header comment). Never throws.
ReadResult readExchange(const QByteArray& bytes);
// Reads a file from disk; refuses files above kMaxFileSize without reading them.
ReadResult readExchangeFile(const QString& path);

// The identity of a stock written into its exports: a digest of the own user's name, first
// name, street, postcode and place (eigen.DB), so that an import recognises a file exported by
// the same stock without the file carrying the address. Empty when the own name is empty.
QString stockIdentity(const QString& name, const QString& vorname, const QString& strasse, const QString& plz,
                      const QString& ort);

// The key by which an address is the same person: name, first name, street and place, blanks
// simplified and case ignored. Never name and place alone.
QString addressKey(const QString& name, const QString& vorname, const QString& strasse, const QString& ort);

// Who exported the file and when, for the control view and the log: "Lapiro Manager 3.0 am
// 01.02.2026 10:00", or only the program when the file carries no time (a passport, a table).
QString originText(const ExchangeFile& file);

// The one date rule of every import (exchange file, CSV table, passport): a real calendar day
// as the engine reads dates ("dd.MM.yyyy", "d.M.yy", "yyyy-MM-dd"; only "yyyy-MM-dd" when
// `isoOnly`) in the years kMinYear..kMaxYear. nullopt for anything else.
std::optional<QDate> exchangeDate(const QString& text, bool isoOnly);

// The German reason why an imported text may not be stored, or empty when it may: control
// characters other than tab are refused, line breaks too unless `lineBreaksAllowed` (memo
// fields: notes, anomalies, remarks).
QString forbiddenControl(const QString& text, bool lineBreaksAllowed);

// The animals of `file` in an order in which every parent comes before its young, or the
// message about the first loop found. Used by the reader's check and by the import.
std::optional<std::vector<int>> parentsFirstOrder(const ExchangeFile& file, QString* error = nullptr);

}  // namespace lapiro::exchange
