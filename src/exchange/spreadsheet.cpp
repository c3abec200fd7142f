#include "exchange/spreadsheet.h"

#include "exchange/stock_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lapiro::exchange {

// ------------------------------------------------------------------------------ reading CSV

QString decodeWindows1252(const QByteArray& bytes) {
  // 0x80..0x9F differ from Latin-1; 0 marks the five unassigned codes (kept as U+FFFD).
  static const char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  QString out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0)
      out += QChar(high[b - 0x80] ? high[b - 0x80] : char16_t(0xFFFD));
    else
      out += QChar(char16_t(b));
  }
  return out;
}

CsvTable readCsv(const QByteArray& raw) {
  CsvTable t;
  QByteArray bytes = raw;
  QString text;
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  text = utf8.decode(bytes);
  if (utf8.hasError()) {
    text = decodeWindows1252(bytes);
    t.encoding = TextEncoding::Windows1252;
  }
  // The separator: the candidate found most often in the first line, outside quotes.
  {
    int counts[3] = {0, 0, 0};
    const QChar candidates[3] = {u';', u',', u'\t'};
    bool quoted = false;
    for (QChar c : text) {
      if (c == u'"') quoted = !quoted;
      if (!quoted && (c == u'\n' || c == u'\r')) break;
      if (quoted) continue;
      for (int i = 0; i < 3; ++i)
        if (c == candidates[i]) ++counts[i];
    }
    int best = 0;
    for (int i = 1; i < 3; ++i)
      if (counts[i] > counts[best]) best = i;
    t.separator = candidates[best];
  }
  QStringList row;
  QString field;
  bool quoted = false;
  bool fieldStarted = false;
  auto endRow = [&] {
    row << field;
    field.clear();
    fieldStarted = false;
    bool empty = true;
    for (const QString& f : row) empty = empty && f.trimmed().isEmpty();
    if (!empty) t.rows.push_back(row);
    row.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == u'"') {
        if (i + 1 < text.size() && text[i + 1] == u'"') {
          field += u'"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        field += c;
      }
      continue;
    }
    if (c == u'"' && !fieldStarted) {
      quoted = true;
      fieldStarted = true;
    } else if (c == t.separator) {
      row << field;
      field.clear();
      fieldStarted = false;
    } else if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      endRow();
    } else if (c == u'\n') {
      endRow();
    } else {
      field += c;
      fieldStarted = true;
    }
  }
  if (!field.isEmpty() || !row.isEmpty()) endRow();
  return t;
}

QString csvColumnCaption(CsvColumn column) {
  switch (column) {
    case CsvColumn::Ignore: return QStringLiteral("(nicht übernehmen)");
    case CsvColumn::TatoRechts: return QStringLiteral("Täto rechts");
    case CsvColumn::TatoLinks: return QStringLiteral("Täto links");
    case CsvColumn::Geburtstag: return QStringLiteral("Geburtstag");
    case CsvColumn::Geschlecht: return QStringLiteral("Geschlecht");
    case CsvColumn::Rasse: return QStringLiteral("Rasse");
    case CsvColumn::Farbe: return QStringLiteral("Farbe");
    case CsvColumn::Name: return QStringLiteral("Name");
    case CsvColumn::Erbformel: return QStringLiteral("Erbformel");
    case CsvColumn::Wurfgroesse: return QStringLiteral("Wurfgröße");
    case CsvColumn::VaterRechts: return QStringLiteral("Vater Täto rechts");
    case CsvColumn::VaterLinks: return QStringLiteral("Vater Täto links");
    case CsvColumn::MutterRechts: return QStringLiteral("Mutter Täto rechts");
    case CsvColumn::MutterLinks: return QStringLiteral("Mutter Täto links");
    case CsvColumn::Genotyp: return QStringLiteral("Genotyp");
  }
  return {};
}

std::vector<CsvColumn> guessMapping(const QStringList& header) {
  // Header texts without blanks, dots and case.
  auto norm = [](QString s) {
    s = s.toLower();
    s.remove(QRegularExpression(QStringLiteral("[\\s._\\-]")));
    s.replace(u'ä', u'a');
    s.replace(u'ö', u'o');
    s.replace(u'ü', u'u');
    s.replace(QStringLiteral("ß"), QStringLiteral("ss"));
    return s;
  };
  static const QHash<QString, CsvColumn> known = [&] {
    QHash<QString, CsvColumn> h;
    for (int i = 1; i < kCsvColumnCount; ++i) h.insert(norm(csvColumnCaption(CsvColumn(i))), CsvColumn(i));
    const std::pair<const char*, CsvColumn> more[] = {
        {"tatorechts", CsvColumn::TatoRechts}, {"tatore", CsvColumn::TatoRechts},   {"rechts", CsvColumn::TatoRechts},
        {"tatolinks", CsvColumn::TatoLinks},   {"tatoli", CsvColumn::TatoLinks},    {"links", CsvColumn::TatoLinks},
        {"geburtsdatum", CsvColumn::Geburtstag}, {"geboren", CsvColumn::Geburtstag}, {"geschl", CsvColumn::Geschlecht},
        {"sex", CsvColumn::Geschlecht},        {"idcode", CsvColumn::Name},         {"wurfgrosse", CsvColumn::Wurfgroesse},
        {"wurfgroesse", CsvColumn::Wurfgroesse}, {"vatertatorechts", CsvColumn::VaterRechts},
        {"vatertatolinks", CsvColumn::VaterLinks}, {"muttertatorechts", CsvColumn::MutterRechts},
        {"muttertatolinks", CsvColumn::MutterLinks}, {"vaterrechts", CsvColumn::VaterRechts},
        {"vaterlinks", CsvColumn::VaterLinks}, {"mutterrechts", CsvColumn::MutterRechts},
        {"mutterlinks", CsvColumn::MutterLinks}, {"fellfarbe", CsvColumn::Farbe},
    };
    for (const auto& [k, v] : more) h.insert(QString::fromLatin1(k), v);
    return h;
  }();
  std::vector<CsvColumn> out;
  for (const QString& h : header) {
    CsvColumn c = known.value(norm(h), CsvColumn::Ignore);
    // A column already taken stays with its first.
    if (std::find(out.begin(), out.end(), c) != out.end()) c = CsvColumn::Ignore;
    out.push_back(c);
  }
  return out;
}

// ------------------------------------------------------------------------------ checking rows

namespace {

std::optional<QString> parseSex(const QString& s) {
  const QString v = s.trimmed().toLower();
  if (v == u"1" || v == u"1.0" || v == u"1,0" || v == u"rammler" || v == u"r" || v == u"m" || v == u"männlich")
    return QStringLiteral("1");
  if (v == u"2" || v == u"0.1" || v == u"0,1" || v == u"häsin" || v == u"h" || v == u"w" || v == u"weiblich")
    return QStringLiteral("2");
  return std::nullopt;
}

// The left tattoo: month (0..12), "." year (one or two digits), "." running number.
bool leftTattooValid(const QString& s) {
  static const QRegularExpression re(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\S+)$"));
  const auto m = re.match(s);
  return m.hasMatch() && m.captured(1).toInt() <= 12;
}

QString tattooKey(const QString& r, const QString& l) { return r.trimmed().toUpper() + u'\x1f' + l.trimmed().toUpper(); }

}  // namespace

CsvImport csvToExchange(engine::Engine& engine, const CsvTable& table, const std::vector<CsvColumn>& mapping) {
  CsvImport out;
  ExchangeFile& f = out.file;
  f.program = QStringLiteral("CSV");
  f.created = QDateTime::currentDateTimeUtc();
  auto column = [&](CsvColumn c) -> int {
    for (int i = 0; i < static_cast<int>(mapping.size()); ++i)
      if (mapping[i] == c) return i;
    return -1;
  };
  if (column(CsvColumn::TatoRechts) < 0 && column(CsvColumn::TatoLinks) < 0) {
    out.errors.push_back({1, QStringLiteral("Keine Spalte ist als \"Täto rechts\" oder \"Täto links\" zugeordnet.")});
    return out;
  }
  if (column(CsvColumn::Geschlecht) < 0) {
    out.errors.push_back({1, QStringLiteral("Keine Spalte ist als \"Geschlecht\" zugeordnet.")});
    return out;
  }

  StockConnection c(engine, {QStringLiteral("Hasen"), QStringLiteral("Rasse"), QStringLiteral("Farbe")});
  engine::execSql(c.db(), QStringLiteral("BEGIN"));
  // Stock breeds by code and by name; stock animals by their two tattoos.
  QHash<QString, ExBreed> breeds;
  {
    engine::Statement& st = c.prepare(QStringLiteral("SELECT Nummer, Name, Code, Rassegruppe FROM %1").arg(c.table(QStringLiteral("Rasse"))));
    while (st.step()) {
      ExBreed b{st.column(2).toString().trimmed(), st.column(1).toString().trimmed(), st.column(3).toString().trimmed()};
      if (b.name.isEmpty()) continue;
      if (b.code.isEmpty()) b.code = QStringLiteral("#%1").arg(st.column(0).toLongLong());
      if (!b.code.startsWith(u'#') && !breeds.contains(b.code.toUpper())) breeds.insert(b.code.toUpper(), b);
      if (!breeds.contains(b.name.toUpper())) breeds.insert(b.name.toUpper(), b);
    }
  }
  struct StockAnimal {
    qint64 nummer;
    QString rechts, links, sex;
    QDate birth;
  };
  QHash<QString, std::vector<StockAnimal>> stock;
  {
    engine::Statement& st = c.prepare(
        QStringLiteral("SELECT Nummer, TatoRechts, TatoLinks, Geschlecht, Geburtstag FROM %1").arg(c.table(QStringLiteral("Hasen"))));
    while (st.step()) {
      StockAnimal a{st.column(0).toLongLong(), st.column(1).toString().trimmed(), st.column(2).toString().trimmed(),
                    st.column(3).toString().trimmed() == u"1" ? QStringLiteral("1") : QStringLiteral("2"),
                    QDate::fromString(st.column(4).toString(), Qt::ISODate)};
      stock[tattooKey(a.rechts, a.links)].push_back(a);
    }
  }
  engine::execSql(c.db(), QStringLiteral("COMMIT"));

  QHash<QString, int> breedInFile;  // upper code -> index in f.breeds
  QHash<QString, std::vector<int>> rowsByTattoo;  // tattoo key -> animal indexes of the rows with it
  QHash<QString, int> lineByIdentity;              // tattoos and birth date -> line of the first row
  QHash<QString, int> stockParent;  // "s<Nummer>" -> animal index
  struct Pending {
    int animal;
    int line;
    QString rechts, links;
    bool father;
  };
  std::vector<Pending> parents;
  auto cell = [&](const QStringList& row, CsvColumn col) {
    const int i = column(col);
    return i < 0 ? QString() : row.value(i).trimmed();
  };

  for (std::size_t r = 1; r < table.rows.size(); ++r) {
    const QStringList& row = table.rows[r];
    const int line = static_cast<int>(r) + 1;
    ++out.rows;
    QStringList errors;
    ExAnimal a;
    a.id = QStringLiteral("z%1").arg(line);
    a.tatoRechts = cell(row, CsvColumn::TatoRechts);
    a.tatoLinks = cell(row, CsvColumn::TatoLinks);
    if (a.tatoRechts.isEmpty() && a.tatoLinks.isEmpty()) errors << QStringLiteral("keine Tätowierung");
    if (a.tatoRechts.size() > 8) errors << QStringLiteral("Täto rechts \"%1\" ist länger als 8 Zeichen").arg(a.tatoRechts);
    if (!a.tatoLinks.isEmpty() && (a.tatoLinks.size() > 10 || !leftTattooValid(a.tatoLinks)))
      errors << QStringLiteral("Täto links \"%1\" hat nicht die Form Monat.Jahr.Nummer (höchstens 10 Zeichen)").arg(a.tatoLinks);
    const QString date = cell(row, CsvColumn::Geburtstag);
    if (!date.isEmpty()) {
      if (const auto d = exchangeDate(date, false))
        a.birthDate = *d;
      else
        errors << QStringLiteral("Geburtstag \"%1\" ist kein Datum").arg(date);
    }
    const QString sex = cell(row, CsvColumn::Geschlecht);
    if (const auto s = parseSex(sex))
      a.sex = *s;
    else
      errors << (sex.isEmpty() ? QStringLiteral("Geschlecht fehlt")
                               : QStringLiteral("Geschlecht \"%1\" ist unbekannt (1 oder 1.0 Rammler, 2 oder 0.1 Häsin)").arg(sex));
    const QString breed = cell(row, CsvColumn::Rasse);
    if (!breed.isEmpty()) {
      const auto it = breeds.constFind(breed.toUpper());
      if (it == breeds.constEnd()) {
        errors << QStringLiteral("Rasse \"%1\" ist nicht in der Rassenliste").arg(breed);
      } else {
        if (!breedInFile.contains(it->code.toUpper())) {
          breedInFile.insert(it->code.toUpper(), static_cast<int>(f.breeds.size()));
          f.breeds.push_back(*it);
        }
        a.breedCode = it->code;
      }
    }
    a.colourName = cell(row, CsvColumn::Farbe).left(25);
    if (!a.colourName.isEmpty() && breed.isEmpty()) errors << QStringLiteral("Farbe ohne Rasse");
    a.name = cell(row, CsvColumn::Name);
    if (a.name.size() > 20) errors << QStringLiteral("Name ist länger als 20 Zeichen");
    a.geneticFormula = cell(row, CsvColumn::Erbformel);
    if (a.geneticFormula.size() > 40) errors << QStringLiteral("Erbformel ist länger als 40 Zeichen");
    a.litterSize = cell(row, CsvColumn::Wurfgroesse);
    if (a.litterSize.size() > 10) errors << QStringLiteral("Wurfgröße ist länger als 10 Zeichen");
    a.genotype = cell(row, CsvColumn::Genotyp);
    if (a.genotype.size() > 80) errors << QStringLiteral("Genotyp ist länger als 80 Zeichen");
    // Every text taken over must be storable: no control characters, no line breaks (the
    // table has no memo column).
    for (int i = 0; i < static_cast<int>(mapping.size()); ++i) {
      if (mapping[i] == CsvColumn::Ignore) continue;
      const QString bad = forbiddenControl(row.value(i), false);
      if (!bad.isEmpty()) errors << QStringLiteral("%1 in der Spalte \"%2\"").arg(bad, csvColumnCaption(mapping[i]));
    }
    const QString key = tattooKey(a.tatoRechts, a.tatoLinks);
    // The same tattoos and birth date name the same animal: each row is compared with every
    // earlier one, not only with the first row of those tattoos.
    const QString identity = key + u'\x1f' + a.birthDate.toString(Qt::ISODate);
    // An animal without any tattoo is always a new one.
    if (const auto twin = lineByIdentity.constFind(identity); twin != lineByIdentity.constEnd())
      errors << QStringLiteral("das Tier steht zweimal in der Datei (auch in Zeile %1)").arg(*twin);
    else if (!a.tatoRechts.isEmpty() || !a.tatoLinks.isEmpty())
      lineByIdentity.insert(identity, line);
    for (bool father : {true, false}) {
      const QString pr = cell(row, father ? CsvColumn::VaterRechts : CsvColumn::MutterRechts);
      const QString pl = cell(row, father ? CsvColumn::VaterLinks : CsvColumn::MutterLinks);
      if (!pr.isEmpty() || !pl.isEmpty()) parents.push_back({static_cast<int>(f.animals.size()), line, pr, pl, father});
    }
    for (const QString& e : errors) out.errors.push_back({line, e});
    rowsByTattoo[key].push_back(static_cast<int>(f.animals.size()));
    f.animals.push_back(a);
  }

  // Parents: a row of the table first, else exactly one animal of the stock.
  for (const Pending& p : parents) {
    const QString what = p.father ? QStringLiteral("Vater") : QStringLiteral("Mutter");
    const QString shown = (p.rechts + QStringLiteral("  ") + p.links).trimmed();
    const QString key = tattooKey(p.rechts, p.links);
    const std::vector<int> inTable = rowsByTattoo.value(key);
    if (inTable.size() > 1) {
      out.errors.push_back(
          {p.line, QStringLiteral("%1 \"%2\" ist in der Tabelle mehrdeutig (%3 Zeilen)").arg(what, shown).arg(inTable.size())});
      continue;
    }
    int parent = inTable.empty() ? -1 : inTable.front();
    if (parent < 0) {
      const auto it = stock.constFind(key);
      if (it == stock.constEnd()) {
        out.errors.push_back({p.line, QStringLiteral("%1 \"%2\" ist weder in der Tabelle noch im Bestand").arg(what, shown)});
        continue;
      }
      if (it->size() > 1) {
        out.errors.push_back({p.line, QStringLiteral("%1 \"%2\" ist im Bestand mehrdeutig (%3 Tiere)").arg(what, shown).arg(it->size())});
        continue;
      }
      const StockAnimal& s = it->front();
      const QString id = QStringLiteral("s%1").arg(s.nummer);
      parent = stockParent.value(id, -1);
      if (parent < 0) {
        ExAnimal a;
        a.id = id;
        a.tatoRechts = s.rechts;
        a.tatoLinks = s.links;
        a.birthDate = s.birth;
        a.sex = s.sex;
        parent = static_cast<int>(f.animals.size());
        stockParent.insert(id, parent);
        f.animals.push_back(a);
      }
    }
    if (parent == p.animal) {
      out.errors.push_back({p.line, QStringLiteral("das Tier ist als sein eigener %1 angegeben").arg(what)});
      continue;
    }
    if ((f.animals[parent].sex == u"1") != p.father) {
      out.errors.push_back({p.line, p.father ? QStringLiteral("Vater \"%1\" ist kein Rammler").arg(shown)
                                             : QStringLiteral("Mutter \"%1\" ist keine Häsin").arg(shown)});
      continue;
    }
    (p.father ? f.animals[p.animal].sireId : f.animals[p.animal].damId) = f.animals[parent].id;
  }
  if (out.errors.empty()) {
    QString loop;
    if (!parentsFirstOrder(f, &loop))
      out.errors.push_back({0, QStringLiteral("Die Abstammung in der Tabelle bildet einen Kreis.")});
  }
  std::stable_sort(out.errors.begin(), out.errors.end(),
                   [](const CsvRowError& x, const CsvRowError& y) { return x.line < y.line; });
  return out;
}

// ------------------------------------------------------------------------------ writing

Sheet sheetOf(engine::DataSet& data, const std::vector<std::pair<QString, QString>>& columns) {
  Sheet s;
  std::vector<int> index;
  for (const auto& [field, title] : columns) {
    s.header << title;
    index.push_back(data.fieldIndex(field));
  }
  const qint64 count = data.recordCount();
  for (qint64 offset = 0; offset < count; offset += 1000) {
    for (const auto& row : data.readRows(offset, 1000)) {
      QStringList out;
      for (int i : index) {
        const QVariant v = i >= 0 && i < static_cast<int>(row.size()) ? row[i] : QVariant();
        out << (v.typeId() == QMetaType::QDate ? v.toDate().toString(QStringLiteral("dd.MM.yyyy")) : v.toString());
      }
      s.rows.push_back(out);
    }
  }
  return s;
}

namespace {
// A cell a spreadsheet would take as a formula (=, +, -, @, or a leading tab or carriage
// return that it strips before looking) gets an apostrophe in front, so that it stays text;
// plain numbers such as "-12" or "+3,5" are left as they are.
QString neutralised(const QString& s) {
  if (s.isEmpty()) return s;
  const QChar first = s.front();
  if (first != u'=' && first != u'+' && first != u'-' && first != u'@' && first != u'\t' && first != u'\r') return s;
  static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+|\\d{1,3}(\\.\\d{3})+)([.,]\\d+)?$"));
  if (number.match(s).hasMatch()) return s;
  return u'\'' + s;
}

QString csvField(const QString& cell) {
  const QString s = neutralised(cell);
  if (!s.contains(u';') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r')) return s;
  QString q = s;
  q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return u'"' + q + u'"';
}
}  // namespace

QString writeCsv(const Sheet& sheet, const QString& path) {
  QString text;
  auto line = [&](const QStringList& cells) {
    QStringList quoted;
    for (const QString& c : cells) quoted << csvField(c);
    text += quoted.join(u';') + QStringLiteral("\r\n");
  };
  line(sheet.header);
  for (const QStringList& r : sheet.rows) line(r);
  QSaveFile out(path);
  const QByteArray bytes = "\xEF\xBB\xBF" + text.toUtf8();
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(path, out.errorString());
  return {};
}

QString writeXlsx(const Sheet& sheet, const QString& path) {
  const QFileInfo target(path);
  if (!target.dir().exists()) return QStringLiteral("Den Ordner \"%1\" gibt es nicht.").arg(target.path());
  // The temporary file is created with the mode every new file gets (0666 less the user's
  // umask), as the CSV's is; a QTemporaryFile would be private (0600) and stay so after the rename.
  QString temp;
  for (int attempt = 0; attempt < 100 && temp.isEmpty(); ++attempt) {
    const QString name = target.dir().filePath(
        QStringLiteral(".lapiro-%1.xlsx").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      temp = name;
    } else if (errno != EEXIST) {
      return QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
  }
  if (temp.isEmpty()) return QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden.").arg(path);
  const QByteArray tempName = QFile::encodeName(temp);
  lxw_workbook* book = workbook_new(tempName.constData());
  if (!book) {
    QFile::remove(temp);
    return QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden.").arg(path);
  }
  lxw_worksheet* ws = workbook_add_worksheet(book, "Tiere");
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);
  for (int c = 0; c < sheet.header.size(); ++c) {
    worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), sheet.header[c].toUtf8().constData(), bold);
    worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), 14, nullptr);
  }
  worksheet_freeze_panes(ws, 1, 0);
  for (std::size_t r = 0; r < sheet.rows.size(); ++r)
    for (int c = 0; c < sheet.rows[r].size(); ++c)
      worksheet_write_string(ws, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c),
                             sheet.rows[r][c].toUtf8().constData(), nullptr);
  const lxw_error err = workbook_close(book);
  if (err != LXW_NO_ERROR) {
    QFile::remove(temp);
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
        .arg(path, QString::fromUtf8(lxw_strerror(err)));
  }
  if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
    QFile::remove(temp);
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(path);
  }
  return {};
}

}  // namespace lapiro::exchange
