#include "exchange/exchange_export.h"

#include "exchange/stock_connection.h"
#include "shell/version.h"

#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace lapiro::exchange {

namespace {

// The animal columns read; a stock not yet upgraded has no Genotyp and gives NULL for it.
QString animalColumns(bool withGenotype) {
  return QStringLiteral(
             "Nummer, TatoRechts, TatoLinks, Geburtstag, Geschlecht, Rasse, Farbe, Vater, Mutter, Zuechter, Besitzer, "
             "Status, Info, Erbformel, Wurfgroesse, Anomalien, IDCode, \"Körnote\", ") +
         (withGenotype ? QStringLiteral("Genotyp") : QStringLiteral("NULL"));
}

struct StockAnimal {
  qint64 nummer = 0;
  QString tatoRechts, tatoLinks;
  QDate birth;
  QString sex;
  qint64 rasse = 0, farbe = 0, vater = 0, mutter = 0, zuechter = 0, besitzer = 0, status = 0;
  QString info, erbformel, wurfgroesse, anomalien, idcode, genotyp;
  std::optional<qint64> koernote;
};

StockAnimal animalFrom(const engine::Statement& st) {
  StockAnimal a;
  a.nummer = st.column(0).toLongLong();
  a.tatoRechts = st.column(1).toString().trimmed();
  a.tatoLinks = st.column(2).toString().trimmed();
  a.birth = QDate::fromString(st.column(3).toString(), Qt::ISODate);
  a.sex = st.column(4).toString().trimmed();
  a.rasse = st.column(5).toLongLong();
  a.farbe = st.column(6).toLongLong();
  a.vater = st.column(7).toLongLong();
  a.mutter = st.column(8).toLongLong();
  a.zuechter = st.column(9).toLongLong();
  a.besitzer = st.column(10).toLongLong();
  a.status = st.column(11).toLongLong();
  a.info = st.column(12).toString();
  a.erbformel = st.column(13).toString().trimmed();
  a.wurfgroesse = st.column(14).toString().trimmed();
  a.anomalien = st.column(15).toString();
  a.idcode = st.column(16).toString().trimmed();
  if (!st.column(17).isNull()) a.koernote = st.column(17).toLongLong();
  a.genotyp = st.column(18).toString().trimmed();
  return a;
}

QString animalId(qint64 nummer) { return QStringLiteral("t%1").arg(nummer); }
QString addressId(qint64 nummer) { return QStringLiteral("a%1").arg(nummer); }
const QString kOwnUserId = QStringLiteral("eigen");

std::optional<double> optionalNumber(const QVariant& v) {
  if (v.isNull()) return std::nullopt;
  return v.toDouble();
}

}  // namespace

ExchangeFile collectExport(engine::Engine& engine, const ExportOptions& options) {
  QStringList tables{QStringLiteral("Hasen"), QStringLiteral("Rasse"), QStringLiteral("Farbe"),
                     QStringLiteral("Status"), QStringLiteral("Adresse"), QStringLiteral("eigen.DB")};
  if (options.withShows) tables << QStringLiteral("Ausstellung");
  const QString columns =
      animalColumns(engine.tableDef(QStringLiteral("Hasen")).field(QStringLiteral("Genotyp")) != nullptr);
  StockConnection c(engine, tables);
  engine::execSql(c.db(), QStringLiteral("BEGIN"));  // one consistent read of every table

  // The animals in the order they are added: chosen ones first, then each generation.
  std::vector<StockAnimal> animals;
  QHash<qint64, int> position;
  if (options.allAnimals) {
    engine::Statement& st =
        c.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY Nummer").arg(columns, c.table(QStringLiteral("Hasen"))));
    while (st.step()) {
      position.insert(st.column(0).toLongLong(), static_cast<int>(animals.size()));
      animals.push_back(animalFrom(st));
    }
  } else {
    engine::Statement& st =
        c.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE Nummer = ?").arg(columns, c.table(QStringLiteral("Hasen"))));
    auto add = [&](qint64 nummer) {
      if (nummer <= 0 || position.contains(nummer)) return;
      st.reset();
      st.bind(1, nummer);
      if (st.step()) {
        position.insert(nummer, static_cast<int>(animals.size()));
        animals.push_back(animalFrom(st));
      }
      st.reset();
    };
    for (qint64 n : options.animals) add(n);
    std::size_t generationStart = 0;
    for (int g = 0; g < std::clamp(options.generations, 0, 6); ++g) {
      const std::size_t generationEnd = animals.size();
      for (std::size_t i = generationStart; i < generationEnd; ++i) {
        const qint64 vater = animals[i].vater;
        const qint64 mutter = animals[i].mutter;
        add(vater);
        add(mutter);
      }
      generationStart = generationEnd;
    }
  }

  ExchangeFile file;
  file.program = QStringLiteral("Lapiro Manager %1").arg(shell::programVersion());
  file.created = QDateTime::currentDateTimeUtc();

  // Breeds and colours used.
  QHash<qint64, QString> breedCode;  // Rasse.Nummer -> code in the file
  {
    engine::Statement& st =
        c.prepare(QStringLiteral("SELECT Nummer, Name, Code, Rassegruppe FROM %1").arg(c.table(QStringLiteral("Rasse"))));
    QHash<qint64, ExBreed> all;
    while (st.step()) {
      ExBreed b{st.column(2).toString().trimmed(), st.column(1).toString().trimmed(), st.column(3).toString().trimmed()};
      // A breed without a code is named by its number; the import matches it by its name.
      if (b.code.isEmpty()) b.code = QStringLiteral("#%1").arg(st.column(0).toLongLong());
      all.insert(st.column(0).toLongLong(), b);
    }
    QSet<QString> codes;
    for (const StockAnimal& a : animals) {
      if (a.rasse <= 0 || breedCode.contains(a.rasse) || !all.contains(a.rasse)) continue;
      ExBreed b = all.value(a.rasse);
      if (b.name.isEmpty()) continue;
      // Two stock breeds sharing a code keep apart in the file.
      QString code = b.code;
      for (int k = 2; codes.contains(code.toUpper()); ++k) code = b.code.left(7) + QStringLiteral("~%1").arg(k);
      b.code = code;
      codes.insert(code.toUpper());
      breedCode.insert(a.rasse, code);
      file.breeds.push_back(b);
    }
  }
  QHash<qint64, std::pair<QString, QString>> colours;
  {
    engine::Statement& st = c.prepare(QStringLiteral("SELECT Nummer, Name, Code FROM %1").arg(c.table(QStringLiteral("Farbe"))));
    while (st.step())
      colours.insert(st.column(0).toLongLong(), {st.column(1).toString().trimmed(), st.column(2).toString().trimmed()});
  }
  QHash<qint64, QString> states;
  {
    engine::Statement& st = c.prepare(QStringLiteral("SELECT Nummer, Name FROM %1").arg(c.table(QStringLiteral("Status"))));
    while (st.step()) states.insert(st.column(0).toLongLong(), st.column(1).toString().trimmed());
  }

  {
    engine::Statement& own = c.prepare(
        QStringLiteral("SELECT Name, Vorname, Strasse, Plz, Ort FROM %1 LIMIT 1").arg(c.table(QStringLiteral("eigen.DB"))));
    if (own.step())
      file.stock = stockIdentity(own.column(0).toString(), own.column(1).toString(), own.column(2).toString(),
                                 own.column(3).toString(), own.column(4).toString());
    own.reset();
  }

  QSet<qint64> addressesUsed;
  bool ownUserUsed = false;
  file.animals.reserve(animals.size());
  for (const StockAnimal& s : animals) {
    ExAnimal a;
    a.id = animalId(s.nummer);
    a.tatoRechts = s.tatoRechts;
    a.tatoLinks = s.tatoLinks;
    a.birthDate = s.birth;
    a.sex = s.sex == u"1" ? QStringLiteral("1") : QStringLiteral("2");
    a.breedCode = breedCode.value(s.rasse);
    if (!a.breedCode.isEmpty() && colours.contains(s.farbe)) {
      a.colourName = colours.value(s.farbe).first;
      a.colourCode = colours.value(s.farbe).second;
    }
    a.geneticFormula = s.erbformel;
    a.genotype = s.genotyp;
    a.litterSize = s.wurfgroesse;
    a.koernote = s.koernote;
    a.name = s.idcode;
    a.info = s.info;
    a.anomalies = s.anomalien;
    a.status = states.value(s.status);
    // Parentage only within the file, and only where the sexes fit (a stock may hold errors).
    if (position.contains(s.vater) && animals[position.value(s.vater)].sex == u"1") a.sireId = animalId(s.vater);
    if (position.contains(s.mutter) && animals[position.value(s.mutter)].sex != u"1") a.damId = animalId(s.mutter);
    if (options.withAddresses) {
      if (s.zuechter > 0) {
        a.breederId = addressId(s.zuechter);
        addressesUsed.insert(s.zuechter);
      }
      if (s.status == 1) {
        a.ownerId = kOwnUserId;
        ownUserUsed = true;
      } else if (s.besitzer > 0) {
        a.ownerId = addressId(s.besitzer);
        addressesUsed.insert(s.besitzer);
      }
    }
    file.animals.push_back(std::move(a));
  }

  if (options.withAddresses) {
    QSet<qint64> found;
    engine::Statement& st = c.prepare(
        QStringLiteral("SELECT LaufendeNr, Name, Vorname, \"Straße\", PLZ, Ort, Land, Telefon, EMail, "
                       "Vereinskennzeichen, HBNr FROM %1 WHERE LaufendeNr = ?")
            .arg(c.table(QStringLiteral("Adresse"))));
    std::vector<qint64> sorted(addressesUsed.begin(), addressesUsed.end());
    std::sort(sorted.begin(), sorted.end());
    for (qint64 nr : sorted) {
      st.reset();
      st.bind(1, nr);
      if (st.step() && !st.column(1).toString().trimmed().isEmpty()) {
        ExAddress a;
        a.id = addressId(nr);
        a.name = st.column(1).toString().trimmed();
        a.vorname = st.column(2).toString().trimmed();
        a.strasse = st.column(3).toString().trimmed();
        a.plz = st.column(4).toString().trimmed();
        a.ort = st.column(5).toString().trimmed();
        a.land = st.column(6).toString().trimmed();
        a.telefon = st.column(7).toString().trimmed();
        a.email = st.column(8).toString().trimmed();
        a.vereinskennzeichen = st.column(9).toString().trimmed();
        a.hbnr = st.column(10).toString().trimmed();
        file.addresses.push_back(a);
        found.insert(nr);
      }
      st.reset();
    }
    if (ownUserUsed) {
      engine::Statement& own = c.prepare(
          QStringLiteral("SELECT Name, Vorname, Strasse, Plz, Ort, land, Telefon, EMail FROM %1 LIMIT 1")
              .arg(c.table(QStringLiteral("eigen.DB"))));
      if (own.step() && !own.column(0).toString().trimmed().isEmpty()) {
        ExAddress a;
        a.id = kOwnUserId;
        a.name = own.column(0).toString().trimmed();
        a.vorname = own.column(1).toString().trimmed();
        a.strasse = own.column(2).toString().trimmed();
        a.plz = own.column(3).toString().trimmed();
        a.ort = own.column(4).toString().trimmed();
        a.land = own.column(5).toString().trimmed().left(20);
        a.telefon = own.column(6).toString().trimmed();
        a.email = own.column(7).toString().trimmed();
        file.addresses.push_back(a);
      } else {
        ownUserUsed = false;
      }
      own.reset();
    }
    // References to addresses that are gone are dropped rather than written dangling.
    for (ExAnimal& a : file.animals) {
      if (!a.breederId.isEmpty() && !found.contains(a.breederId.mid(1).toLongLong())) a.breederId.clear();
      if (a.ownerId == kOwnUserId ? !ownUserUsed : (!a.ownerId.isEmpty() && !found.contains(a.ownerId.mid(1).toLongLong())))
        a.ownerId.clear();
    }
  }

  if (options.withShows) {
    engine::Statement& st = c.prepare(
        QStringLiteral("SELECT Datum, Titel, Ort, Preis, Gewicht, Gewicht1, Koerper2, Fell3, Kopf4, Farbe5, "
                       "Unterfarbe6, Pflege7, Bemerkung FROM %1 WHERE Hase = ? ORDER BY Datum, Nummer")
            .arg(c.table(QStringLiteral("Ausstellung"))));
    for (std::size_t i = 0; i < animals.size(); ++i) {
      st.reset();
      st.bind(1, animals[i].nummer);
      while (st.step()) {
        ExShow s;
        s.date = QDate::fromString(st.column(0).toString(), Qt::ISODate);
        s.title = st.column(1).toString().trimmed();
        s.place = st.column(2).toString().trimmed();
        s.prize = st.column(3).toString().trimmed();
        s.weight = optionalNumber(st.column(4));
        for (int k = 0; k < 7; ++k) s.scores[k] = optionalNumber(st.column(5 + k));
        s.remark = st.column(12).toString();
        file.animals[i].shows.push_back(s);
      }
      st.reset();
    }
  }
  engine::execSql(c.db(), QStringLiteral("COMMIT"));
  return file;
}

QString exportFileName(const QDateTime& when) {
  return QStringLiteral("Lapiro-Austausch-%1.json").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

QString saveExchangeFile(const ExchangeFile& file, const QString& path) {
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly))
    return QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden: %2").arg(path, out.errorString());
  const QByteArray bytes = writeExchange(file);
  if (out.write(bytes) != bytes.size()) {
    out.cancelWriting();
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(path, out.errorString());
  }
  if (!out.commit())
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(path, out.errorString());
  return {};
}

}  // namespace lapiro::exchange
