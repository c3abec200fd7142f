// Spreadsheets: an animal list read from CSV (separator and encoding detected, columns mapped,
// every row checked by the record rules before anything is written) and turned into an
// exchange file for the import's control view; and the animal list as shown written to CSV
// and to XLSX.
#pragma once

#include "engine/dataset.h"
#include "engine/engine.h"
#include "exchange/exchange_format.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace lapiro::exchange {

enum class TextEncoding { Utf8, Windows1252 };

struct CsvTable {
  QChar separator = u';';
  TextEncoding encoding = TextEncoding::Utf8;
  std::vector<QStringList> rows;  // the first row is the header
};

// Decodes Windows-1252 (the encoding of spreadsheets saved on German Windows).
QString decodeWindows1252(const QByteArray& bytes);

// Reads CSV: UTF-8 (with or without byte order mark) when the bytes are valid UTF-8, else
// Windows-1252; the separator is the one of ";", "," and tab that the header line holds most
// often outside quotes. Quoted fields may hold separators, doubled quotes and line breaks.
// Rows that are entirely empty are dropped.
CsvTable readCsv(const QByteArray& bytes);

// What a CSV column holds.
enum class CsvColumn {
  Ignore, TatoRechts, TatoLinks, Geburtstag, Geschlecht, Rasse, Farbe, Name, Erbformel,
  Wurfgroesse, VaterRechts, VaterLinks, MutterRechts, MutterLinks, Genotyp,
};
inline constexpr int kCsvColumnCount = 15;
// German captions offered in the mapping ("(nicht übernehmen)", "Täto rechts", ...).
QString csvColumnCaption(CsvColumn column);
// A first mapping from the header texts (captions, field names and common spellings,
// case ignored); columns it does not know are ignored.
std::vector<CsvColumn> guessMapping(const QStringList& header);

struct CsvRowError {
  int line = 0;  // line of the table, the header being line 1
  QString message;
};

struct CsvImport {
  ExchangeFile file;                 // valid only when `errors` is empty
  std::vector<CsvRowError> errors;  // every row's errors, in row order
  int rows = 0;                      // data rows read
};

// Checks every data row by the record rules (tattoo format and lengths, dates, sex codes,
// breed and colour, parents by tattoo found in the table or the stock, no animal twice, no
// parentage loop; a genotype is only checked for its length: the import's plan names one the
// genetics cannot read and imports the row without it) and builds an exchange file of the rows and of the stock parents they name
// (those are matched, never changed, by the import). Reads the stock of `engine`; writes
// nothing. Throws engine::EngineError when a table cannot be read.
CsvImport csvToExchange(engine::Engine& engine, const CsvTable& table, const std::vector<CsvColumn>& mapping);

// A table for writing: header and rows of texts.
struct Sheet {
  QStringList header;
  std::vector<QStringList> rows;
};

// The rows of `data` in its current order and filter (from the first), with one column per
// (field, title) pair; dates as "dd.MM.yyyy".
Sheet sheetOf(engine::DataSet& data, const std::vector<std::pair<QString, QString>>& columns);

// Writes CSV for German spreadsheets: UTF-8 with byte order mark, ";" separated, quoted where
// needed. Written atomically. Returns an empty text on success, else a German message.
QString writeCsv(const Sheet& sheet, const QString& path);
// Writes an XLSX workbook with one sheet "Tiere" (header bold and frozen). Written to a
// temporary file renamed when complete. Returns an empty text on success, else a German message.
QString writeXlsx(const Sheet& sheet, const QString& path);

}  // namespace lapiro::exchange
