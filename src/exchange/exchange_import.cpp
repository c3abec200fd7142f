#include "exchange/exchange_import.h"

#include "core/safe_write.h"
#include "exchange/stock_connection.h"
#include "genetics/genotype_field.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

namespace lapiro::exchange {

namespace {

const QString kHasen = QStringLiteral("Hasen");
const QString kRasse = QStringLiteral("Rasse");
const QString kFarbe = QStringLiteral("Farbe");
const QString kAdresse = QStringLiteral("Adresse");
const QString kAusstellung = QStringLiteral("Ausstellung");
const QString kEigen = QStringLiteral("eigen.DB");
// The id under which an export writes the exporting breeder's own data.
const QString kOwnAddressId = QStringLiteral("eigen");

// The marker line before the machine-readable records of a log, and the line an undo adds.
const QString kUndoMarker = QStringLiteral("Rücknahmedaten (für \"Rückgängig\"; bitte nicht ändern):");
const QString kUndoneLine = QStringLiteral("Rückgängig gemacht am ");
// A log written before its import is committed names this version in its head, and gets
// kCommittedLine once the import is committed. Logs without the version line are older ones,
// written only after their import was committed.
const QString kLogVersionLine = QStringLiteral("Protokollversion: 2");
const QString kCommittedLine = QStringLiteral("Eingelagert und abgeschlossen am ");

// Adds the closing line to a log whose import is committed. A failure here leaves the log
// without it; the next start finds the import committed and adds the line then.
void markCommitted(const QString& logPath, const QByteArray& content) {
  const QByteArray line =
      (kCommittedLine + QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + u'\n').toUtf8();
  core::writeFileSafely(logPath, content + line);
}

QString keyField(const QString& table) {
  return table == kAdresse ? QStringLiteral("LaufendeNr") : QStringLiteral("Nummer");
}

QString identityOf(const QString& rechts, const QString& links, const QDate& birth) {
  return rechts.trimmed() + u'\x1f' + links.trimmed() + u'\x1f' + birth.toString(Qt::ISODate);
}

QString tattoos(const QString& rechts, const QString& links) { return rechts + QStringLiteral("  ") + links; }

// A stored or incoming value in one comparable form: empty and NULL are alike, numbers compare
// by value whether stored as integer or real.
QString canonical(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return {};
  switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate);
    default: return v.toString().trimmed();
  }
}

bool isEmptyValue(const QVariant& v) { return canonical(v).isEmpty(); }

QVariant textOrNull(const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); }
QVariant keyOrNull(qint64 k) { return k == 0 ? QVariant() : QVariant(static_cast<qlonglong>(k)); }

// The fields of an animal the import compares and writes, with their captions.
struct AnimalField {
  const char16_t* field;
  const char16_t* caption;
  enum Kind { Text, Number, Breed, Colour, Animal, Address } kind;
};
const AnimalField kAnimalFields[] = {
    {u"Geschlecht", u"Geschlecht", AnimalField::Text},   {u"Rasse", u"Rasse", AnimalField::Breed},
    {u"Farbe", u"Farbe", AnimalField::Colour},           {u"Vater", u"Vater", AnimalField::Animal},
    {u"Mutter", u"Mutter", AnimalField::Animal},         {u"Zuechter", u"Züchter", AnimalField::Address},
    {u"Besitzer", u"Besitzer", AnimalField::Address},    {u"Erbformel", u"Erbformel", AnimalField::Text},
    {u"Wurfgroesse", u"Wurfgröße", AnimalField::Text},   {u"Körnote", u"Körnote", AnimalField::Number},
    {u"IDCode", u"Name", AnimalField::Text},             {u"Info", u"Info", AnimalField::Text},
    {u"Anomalien", u"Anomalien", AnimalField::Text},     {u"Genotyp", u"Genotyp", AnimalField::Text},
};
constexpr int kAnimalFieldCount = static_cast<int>(std::size(kAnimalFields));

const QString kGenotyp = QStringLiteral("Genotyp");

// True when the stock's animals have the genotype field (a stock not yet upgraded has not).
bool hasGenotypeField(engine::Engine& engine) { return engine.tableDef(kHasen).field(kGenotyp) != nullptr; }

// The German line of the control view and the log for a refused genotype.
QString genotypeRefusal(const QString& text, const QString& reason) {
  return QStringLiteral("Genotyp „%1“ nicht übernommen: %2").arg(text, reason);
}

const std::pair<const char16_t*, const char16_t*> kAddressFields[] = {
    {u"Name", u"Name"},         {u"Vorname", u"Vorname"}, {u"Straße", u"Straße"},
    {u"PLZ", u"PLZ"},           {u"Ort", u"Ort"},         {u"Land", u"Land"},
    {u"Telefon", u"Telefon"},   {u"EMail", u"E-Mail"},    {u"Vereinskennzeichen", u"Vereinskennzeichen"},
    {u"HBNr", u"Herdbuchnummer"},
};

QString addressValue(const ExAddress& a, int i) {
  switch (i) {
    case 0: return a.name;
    case 1: return a.vorname;
    case 2: return a.strasse;
    case 3: return a.plz;
    case 4: return a.ort;
    case 5: return a.land;
    case 6: return a.telefon;
    case 7: return a.email;
    case 8: return a.vereinskennzeichen;
    default: return a.hbnr;
  }
}

QString addressDisplay(const QString& name, const QString& vorname, const QString& ort) {
  QString s = vorname.isEmpty() ? name : vorname + u' ' + name;
  if (!ort.isEmpty()) s += QStringLiteral(", ") + ort;
  return s;
}

bool applies(MergeMode mode, const QVariant& stored) {
  switch (mode) {
    case MergeMode::FillEmpty: return isEmptyValue(stored);
    case MergeMode::AppendOnly: return false;
    case MergeMode::Overwrite: return true;
  }
  return false;
}

// Texts of stored keys for the control view and the log, read on demand.
class Names {
 public:
  explicit Names(StockConnection& c) : c_(c) {}
  QString breed(qint64 k) { return lookup(kRasse, QStringLiteral("Name"), k); }
  QString colour(qint64 k) { return lookup(kFarbe, QStringLiteral("Name"), k); }
  QString address(qint64 k) {
    engine::Statement& st = c_.prepare(
        QStringLiteral("SELECT Name, Vorname, Ort FROM %1 WHERE LaufendeNr = ?").arg(c_.table(kAdresse)));
    st.bind(1, k);
    QString s = st.step() ? addressDisplay(st.column(0).toString(), st.column(1).toString(), st.column(2).toString())
                          : QString();
    st.reset();
    return s;
  }
  QString animal(qint64 k) {
    engine::Statement& st =
        c_.prepare(QStringLiteral("SELECT TatoRechts, TatoLinks FROM %1 WHERE Nummer = ?").arg(c_.table(kHasen)));
    st.bind(1, k);
    QString s = st.step() ? tattoos(st.column(0).toString(), st.column(1).toString()) : QString();
    st.reset();
    return s;
  }

 private:
  QString lookup(const QString& table, const QString& field, qint64 k) {
    engine::Statement& st =
        c_.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE Nummer = ?").arg(engine::quoteIdent(field), c_.table(table)));
    st.bind(1, k);
    QString s = st.step() ? st.column(0).toString() : QString();
    st.reset();
    return s;
  }
  StockConnection& c_;
};

QStringList importTables() { return {kHasen, kRasse, kFarbe, kAdresse, kAusstellung}; }

}  // namespace

QString mergeModeCaption(MergeMode mode) {
  switch (mode) {
    case MergeMode::FillEmpty: return QStringLiteral("Aktualisieren leerer Felder");
    case MergeMode::AppendOnly: return QStringLiteral("nur Anhängen");
    case MergeMode::Overwrite: return QStringLiteral("Überschreiben");
  }
  return {};
}

QString recordStateText(RecordState state) {
  switch (state) {
    case RecordState::New: return QStringLiteral("neu");
    case RecordState::Present: return QStringLiteral("vorhanden");
    case RecordState::Differing: return QStringLiteral("abweichend");
    case RecordState::Doubtful: return QStringLiteral("zweifelhaft");
  }
  return {};
}

QString FieldDiff::actionText() const {
  if (!apply) return QStringLiteral("bleibt");
  return isEmptyValue(stored) ? QStringLiteral("wird ergänzt") : QStringLiteral("wird überschrieben");
}

int ImportPlan::count(RecordState state) const {
  return static_cast<int>(std::count_if(animals.begin(), animals.end(), [state](const RecordPlan& p) { return p.state == state; }));
}

// ------------------------------------------------------------------------------ planning

namespace {

// Breeds: by code, then by name. Returns the file's breeds by upper-case code -> index.
QHash<QString, int> planBreeds(StockConnection& c, const ExchangeFile& file, ImportPlan& plan) {
  QHash<QString, qint64> breedByCode, breedByName;
  {
    engine::Statement& st = c.prepare(QStringLiteral("SELECT Nummer, Name, Code FROM %1 ORDER BY Nummer").arg(c.table(kRasse)));
    while (st.step()) {
      const qint64 k = st.column(0).toLongLong();
      const QString name = st.column(1).toString().trimmed().toUpper();
      const QString code = st.column(2).toString().trimmed().toUpper();
      if (!code.isEmpty() && !breedByCode.contains(code)) breedByCode.insert(code, k);
      if (!name.isEmpty() && !breedByName.contains(name)) breedByName.insert(name, k);
    }
  }
  QHash<QString, int> breedIndex;  // upper code -> index
  for (int i = 0; i < static_cast<int>(file.breeds.size()); ++i) {
    const ExBreed& b = file.breeds[i];
    RecordPlan p;
    p.fileIndex = i;
    p.existing = breedByCode.value(b.code.toUpper(), breedByName.value(b.name.toUpper(), 0));
    p.state = p.existing ? RecordState::Present : RecordState::New;
    p.display = b.name + QStringLiteral(" (") + b.code + u')';
    plan.breeds.push_back(p);
    breedIndex.insert(b.code.toUpper(), i);
  }
  return breedIndex;
}

// Colours: within their breed, by name, then by code.
void planColours(StockConnection& c, const ExchangeFile& file, const QHash<QString, int>& breedIndex, ImportPlan& plan) {
  QHash<QString, qint64> colourByName, colourByCode;  // "<Rasse>|<NAME>"
  {
    engine::Statement& st =
        c.prepare(QStringLiteral("SELECT Nummer, Rasse, Name, Code FROM %1 ORDER BY Nummer").arg(c.table(kFarbe)));
    while (st.step()) {
      const QString r = QString::number(st.column(1).toLongLong()) + u'|';
      const QString name = st.column(2).toString().trimmed().toUpper();
      const QString code = st.column(3).toString().trimmed().toUpper();
      if (!name.isEmpty() && !colourByName.contains(r + name)) colourByName.insert(r + name, st.column(0).toLongLong());
      if (!code.isEmpty() && !colourByCode.contains(r + code)) colourByCode.insert(r + code, st.column(0).toLongLong());
    }
  }
  QHash<QString, int> colourIndex;  // "<breed index>|<NAME or CODE>"
  plan.animalColour.assign(file.animals.size(), -1);
  for (int i = 0; i < static_cast<int>(file.animals.size()); ++i) {
    const ExAnimal& a = file.animals[i];
    if (a.breedCode.isEmpty() || (a.colourName.isEmpty() && a.colourCode.isEmpty())) continue;
    const int b = breedIndex.value(a.breedCode.toUpper(), -1);
    if (b < 0) continue;
    const QString key = QString::number(b) + u'|' + (a.colourName.isEmpty() ? u'#' + a.colourCode : a.colourName).toUpper();
    if (const auto it = colourIndex.constFind(key); it != colourIndex.constEnd()) {
      plan.animalColour[i] = *it;
      continue;
    }
    ColourPlan cp;
    cp.breed = b;
    cp.name = a.colourName.isEmpty() ? a.colourCode : a.colourName;
    cp.code = a.colourCode;
    if (const qint64 stockBreed = plan.breeds[b].existing) {
      const QString r = QString::number(stockBreed) + u'|';
      cp.existing = colourByName.value(r + cp.name.toUpper(), 0);
      if (!cp.existing && !cp.code.isEmpty()) cp.existing = colourByCode.value(r + cp.code.toUpper(), 0);
    }
    cp.display = cp.name + QStringLiteral(" (") + file.breeds[b].name + u')';
    colourIndex.insert(key, static_cast<int>(plan.colours.size()));
    plan.animalColour[i] = static_cast<int>(plan.colours.size());
    plan.colours.push_back(cp);
  }
}

// The stock's own user (its address key, empty without a name), and whether the file comes
// from this very stock.
QString planOwnUser(StockConnection& c, const ExchangeFile& file, ImportPlan& plan) {
  QString ownKey;
  QString ownIdentity;
  {
    engine::Statement& st = c.prepare(
        QStringLiteral("SELECT Name, Vorname, Strasse, Plz, Ort FROM %1 LIMIT 1").arg(c.table(kEigen)));
    if (st.step() && !st.column(0).toString().trimmed().isEmpty()) {
      ownKey = addressKey(st.column(0).toString(), st.column(1).toString(), st.column(2).toString(), st.column(4).toString());
      ownIdentity = stockIdentity(st.column(0).toString(), st.column(1).toString(), st.column(2).toString(),
                                  st.column(3).toString(), st.column(4).toString());
    }
    st.reset();
  }
  if (!file.stock.isEmpty()) {
    plan.sameStock = file.stock == ownIdentity;
  } else if (!ownKey.isEmpty()) {
    // Older files carry no identity; their own address "eigen" is the exporting breeder.
    for (const ExAddress& a : file.addresses)
      if (a.id == kOwnAddressId && addressKey(a.name, a.vorname, a.strasse, a.ort) == ownKey) plan.sameStock = true;
  }
  return ownKey;
}

}  // namespace

ImportPlan planImport(engine::Engine& engine, const ExchangeFile& file, const ImportOptions& options) {
  const bool withGenotype = hasGenotypeField(engine);
  StockConnection c(engine, importTables() << kEigen);
  engine::execSql(c.db(), QStringLiteral("BEGIN"));
  Names names(c);
  ImportPlan plan;

  const QHash<QString, int> breedIndex = planBreeds(c, file, plan);
  planColours(c, file, breedIndex, plan);
  const QString ownKey = planOwnUser(c, file, plan);

  // Addresses: by name, first name, street and place; name, first name and place alone only
  // make a doubtful candidate.
  QHash<QString, qint64> addressByKey;
  QHash<QString, qint64> addressByNamePlace;
  {
    engine::Statement& st = c.prepare(
        QStringLiteral("SELECT LaufendeNr, Name, Vorname, \"Straße\", Ort FROM %1 ORDER BY LaufendeNr").arg(c.table(kAdresse)));
    while (st.step()) {
      const qint64 k = st.column(0).toLongLong();
      const QString name = st.column(1).toString();
      const QString vorname = st.column(2).toString();
      const QString ort = st.column(4).toString();
      const QString key = addressKey(name, vorname, st.column(3).toString(), ort);
      if (!addressByKey.contains(key)) addressByKey.insert(key, k);
      const QString namePlace = addressKey(name, vorname, QString(), ort);
      if (!addressByNamePlace.contains(namePlace)) addressByNamePlace.insert(namePlace, k);
    }
  }
  QHash<QString, int> addressIndex;  // file id -> index
  {
    engine::Statement& st = c.prepare(
        QStringLiteral("SELECT Name, Vorname, \"Straße\", PLZ, Ort, Land, Telefon, EMail, Vereinskennzeichen, HBNr "
                       "FROM %1 WHERE LaufendeNr = ?")
            .arg(c.table(kAdresse)));
    QHash<QString, int> fileKeys;  // key -> first index in the file
    for (int i = 0; i < static_cast<int>(file.addresses.size()); ++i) {
      const ExAddress& a = file.addresses[i];
      RecordPlan p;
      p.fileIndex = i;
      p.display = addressDisplay(a.name, a.vorname, a.ort);
      addressIndex.insert(a.id, i);
      const QString key = addressKey(a.name, a.vorname, a.strasse, a.ort);
      p.own = !ownKey.isEmpty() && key == ownKey;
      if (const auto first = fileKeys.constFind(key); first != fileKeys.constEnd()) {
        // The same person twice in the file (the breeder as an address and as "eigen"): one record.
        const RecordPlan& twin = plan.addresses[*first];
        p.sameAs = *first;
        p.existing = twin.existing;
        p.state = twin.existing ? RecordState::Present : RecordState::New;
        p.note = QStringLiteral("dieselbe Adresse wie %1").arg(twin.display);
        plan.addresses.push_back(p);
        continue;
      }
      fileKeys.insert(key, i);
      if (plan.sameStock && a.id.startsWith(u'a')) {
        // Re-import into the stock that exported it: the file's id is the stored number.
        bool ok = false;
        const qint64 k = a.id.mid(1).toLongLong(&ok);
        st.reset();
        if (ok) st.bind(1, k);
        if (ok && st.step() && st.column(0).toString().trimmed().compare(a.name, Qt::CaseInsensitive) == 0) {
          p.existing = k;
          p.state = RecordState::Present;
          st.reset();
          plan.addresses.push_back(p);
          continue;
        }
        st.reset();
      }
      p.existing = addressByKey.value(key, 0);
      p.state = RecordState::New;
      if (!p.existing) {
        p.candidate = addressByNamePlace.value(addressKey(a.name, a.vorname, QString(), a.ort), 0);
        if (p.candidate) {
          p.state = RecordState::Doubtful;
          p.note = QStringLiteral("gleicher Name und Ort wie %1, aber andere Straße: wird nicht zusammengeführt")
                       .arg(names.address(p.candidate));
        }
      }
      if (p.existing) {
        p.state = RecordState::Present;
        st.reset();
        st.bind(1, p.existing);
        if (st.step()) {
          for (int f = 0; f < 10; ++f) {
            const QString incoming = addressValue(a, f);
            const QVariant stored = st.column(f);
            if (incoming.isEmpty() || canonical(stored) == incoming) continue;
            FieldDiff d;
            d.field = QString::fromUtf16(kAddressFields[f].first);
            d.caption = QString::fromUtf16(kAddressFields[f].second);
            d.stored = stored;
            d.incoming = incoming;
            d.storedText = canonical(stored);
            d.incomingText = incoming;
            d.apply = applies(options.addressMode, stored);
            p.diffs.push_back(d);
          }
        }
        st.reset();
        if (!p.diffs.empty()) p.state = RecordState::Differing;
      }
      if (p.own) p.note = p.note.isEmpty() ? QStringLiteral("eigene Anwenderdaten: nie Besitzer") : p.note;
      plan.addresses.push_back(p);
    }
  }

  // Animals: identity of the stock, then the fields of the matched ones.
  QHash<QString, qint64> stockByIdentity;
  QHash<qint64, QString> identityByNummer;
  {
    engine::Statement& st = c.prepare(
        QStringLiteral("SELECT Nummer, TatoRechts, TatoLinks, Geburtstag FROM %1 ORDER BY Nummer").arg(c.table(kHasen)));
    while (st.step()) {
      const QString r = st.column(1).toString();
      const QString l = st.column(2).toString();
      if (r.trimmed().isEmpty() && l.trimmed().isEmpty()) continue;
      const QString key = identityOf(r, l, QDate::fromString(st.column(3).toString(), Qt::ISODate));
      if (!stockByIdentity.contains(key)) stockByIdentity.insert(key, st.column(0).toLongLong());
      if (plan.sameStock) identityByNummer.insert(st.column(0).toLongLong(), key);
    }
  }
  QHash<QString, int> animalIndex;
  for (int i = 0; i < static_cast<int>(file.animals.size()); ++i) animalIndex.insert(file.animals[i].id, i);
  plan.animals.resize(file.animals.size());
  for (int i = 0; i < static_cast<int>(file.animals.size()); ++i) {
    const ExAnimal& a = file.animals[i];
    RecordPlan& p = plan.animals[i];
    p.fileIndex = i;
    p.display = tattoos(a.tatoRechts, a.tatoLinks);
    if (!a.tatoRechts.isEmpty() || !a.tatoLinks.isEmpty()) {
      const QString identity = identityOf(a.tatoRechts, a.tatoLinks, a.birthDate);
      p.existing = stockByIdentity.value(identity, 0);
      // Re-import into the exporting stock: the file's id names the stored animal, which
      // matters where the stock holds one animal twice.
      if (plan.sameStock && a.id.startsWith(u't')) {
        bool ok = false;
        const qint64 k = a.id.mid(1).toLongLong(&ok);
        if (ok && identityByNummer.value(k) == identity) p.existing = k;
      }
    }
    p.state = p.existing ? RecordState::Present : RecordState::New;
  }

  // Genotypes: stored in their written form; one the genetics refuses is left out and named.
  plan.animalGenotype.assign(file.animals.size(), QString());
  for (int i = 0; withGenotype && i < static_cast<int>(file.animals.size()); ++i) {
    const QString& text = file.animals[i].genotype;
    if (text.isEmpty()) continue;
    QString reason;
    if (const std::optional<QString> normal = genetics::normalisedGenotypeText(text, &reason))
      plan.animalGenotype[i] = *normal;
    else
      plan.animals[i].note = genotypeRefusal(text, reason);
  }

  // A reference in stock terms: the matched record's key, or -(index + 1) of a created one.
  auto breedRef = [&](int animal) -> qint64 {
    const int b = breedIndex.value(file.animals[animal].breedCode.toUpper(), -1);
    if (b < 0) return 0;
    return plan.breeds[b].existing ? plan.breeds[b].existing : -(b + 1);
  };
  auto colourRef = [&](int animal) -> qint64 {
    const int k = plan.animalColour[animal];
    if (k < 0) return 0;
    return plan.colours[k].existing ? plan.colours[k].existing : -(k + 1);
  };
  auto animalRef = [&](const QString& id) -> qint64 {
    const int k = animalIndex.value(id, -1);
    if (id.isEmpty() || k < 0) return 0;
    return plan.animals[k].existing ? plan.animals[k].existing : -(k + 1);
  };
  // The stock's own user is never an owner: an animal owned by it is the stock's own.
  auto addressRef = [&](const QString& id, bool owner) -> qint64 {
    int k = addressIndex.value(id, -1);
    if (id.isEmpty() || k < 0) return 0;
    if (owner && plan.addresses[k].own) return 0;
    if (plan.addresses[k].sameAs >= 0) k = plan.addresses[k].sameAs;
    return plan.addresses[k].existing ? plan.addresses[k].existing : -(k + 1);
  };
  auto refText = [&](AnimalField::Kind kind, qint64 k) -> QString {
    if (k == 0) return {};
    switch (kind) {
      case AnimalField::Breed: return k > 0 ? names.breed(k) : file.breeds[-k - 1].name;
      case AnimalField::Colour: return k > 0 ? names.colour(k) : plan.colours[-k - 1].name;
      case AnimalField::Animal: return k > 0 ? names.animal(k) : plan.animals[-k - 1].display;
      case AnimalField::Address: return k > 0 ? names.address(k) : plan.addresses[-k - 1].display;
      default: return QString::number(k);
    }
  };

  engine::Statement& row = c.prepare(
      QStringLiteral("SELECT Geschlecht, Rasse, Farbe, Vater, Mutter, Zuechter, Besitzer, Erbformel, Wurfgroesse, "
                     "\"Körnote\", IDCode, Info, Anomalien, %2 FROM %1 WHERE Nummer = ?")
          .arg(c.table(kHasen), withGenotype ? kGenotyp : QStringLiteral("NULL")));
  for (int i = 0; i < static_cast<int>(file.animals.size()); ++i) {
    RecordPlan& p = plan.animals[i];
    if (!p.existing || plan.sameStock) continue;
    const ExAnimal& a = file.animals[i];
    const QVariant incoming[] = {
        a.sex,
        keyOrNull(breedRef(i)),
        keyOrNull(colourRef(i)),
        keyOrNull(animalRef(a.sireId)),
        keyOrNull(animalRef(a.damId)),
        keyOrNull(addressRef(a.breederId, false)),
        keyOrNull(addressRef(a.ownerId, true)),
        textOrNull(a.geneticFormula),
        textOrNull(a.litterSize),
        a.koernote ? QVariant(static_cast<qlonglong>(*a.koernote)) : QVariant(),
        textOrNull(a.name),
        textOrNull(a.info),
        textOrNull(a.anomalies),
        textOrNull(plan.animalGenotype[i]),
    };
    static_assert(sizeof(incoming) / sizeof(incoming[0]) == std::size(kAnimalFields));
    row.reset();
    row.bind(1, p.existing);
    if (!row.step()) continue;
    for (int f = 0; f < kAnimalFieldCount; ++f) {
      const AnimalField& af = kAnimalFields[f];
      const QVariant stored = row.column(f);
      if (isEmptyValue(incoming[f]) || canonical(stored) == canonical(incoming[f])) continue;
      // A stored genotype written otherwise ("achi A") is the same genotype.
      if (std::u16string_view(af.field) == u"Genotyp" &&
          genetics::normalisedGenotypeText(canonical(stored)) == canonical(incoming[f]))
        continue;
      // A stored sex other than "1" is a doe, like the file's "2".
      if (f == 0 && (canonical(stored) == u"1") == (a.sex == u"1")) continue;
      FieldDiff d;
      d.field = QString::fromUtf16(af.field);
      d.caption = QString::fromUtf16(af.caption);
      d.stored = stored;
      d.incoming = incoming[f];
      if (af.kind == AnimalField::Text || af.kind == AnimalField::Number) {
        d.storedText = canonical(stored);
        d.incomingText = canonical(incoming[f]);
        if (f == 0) {
          d.storedText = d.storedText == u"1" ? QStringLiteral("1.0") : QStringLiteral("0.1");
          d.incomingText = d.incomingText == u"1" ? QStringLiteral("1.0") : QStringLiteral("0.1");
        }
      } else {
        d.storedText = refText(af.kind, stored.toLongLong());
        d.incomingText = refText(af.kind, incoming[f].toLongLong());
      }
      d.apply = applies(options.animalMode, stored);
      p.diffs.push_back(d);
    }
    row.reset();
    if (!p.diffs.empty()) p.state = RecordState::Differing;
  }
  engine::execSql(c.db(), QStringLiteral("COMMIT"));
  return plan;
}

// ------------------------------------------------------------------------------ writing

namespace {

// Writes rows, recording every insert and update for the log's undo records.
class Writer {
 public:
  explicit Writer(StockConnection& c) : c_(c) {}

  qint64 insert(const QString& table, const QStringList& fields, const QVariantList& values) {
    // The statement text is built once per table and field list.
    const QString sqlKey = table + u'|' + fields.join(u'|');
    auto sql = insertSql_.find(sqlKey);
    if (sql == insertSql_.end()) {
      QStringList cols;
      QStringList marks;
      for (const QString& f : fields) {
        cols << engine::quoteIdent(f);
        marks << QStringLiteral("?");
      }
      sql = insertSql_.insert(sqlKey, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(c_.table(table), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    }
    engine::Statement& st = c_.prepare(*sql);
    st.bindAll(values);
    st.step();
    st.reset();
    const qint64 key = sqlite3_last_insert_rowid(c_.db());
    // The undo record, written straight as one line of JSON (an import may write 100,000).
    QString rec = QStringLiteral("{\"op\":\"insert\",\"table\":") + jsonText(table) + QStringLiteral(",\"key\":") +
                  QString::number(key) + QStringLiteral(",\"values\":{");
    for (int i = 0; i < fields.size(); ++i) {
      if (i) rec += u',';
      rec += jsonText(fields[i]) + u':' + jsonValue(values[i]);
    }
    rec += QStringLiteral("}}");
    records_.push_back(std::move(rec));
    return key;
  }

  void update(const QString& table, qint64 key, const QString& field, const QVariant& oldValue, const QVariant& newValue) {
    engine::Statement& st = c_.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                                           .arg(c_.table(table), engine::quoteIdent(field), engine::quoteIdent(keyField(table))));
    st.bind(1, newValue);
    st.bind(2, key);
    st.step();
    st.reset();
    records_.push_back(QStringLiteral("{\"op\":\"update\",\"table\":") + jsonText(table) + QStringLiteral(",\"key\":") +
                       QString::number(key) + QStringLiteral(",\"field\":") + jsonText(field) +
                       QStringLiteral(",\"old\":") + jsonValue(oldValue) + QStringLiteral(",\"new\":") + jsonValue(newValue) +
                       u'}');
  }

  const std::vector<QString>& records() const { return records_; }

 private:
  // A JSON string literal.
  static QString jsonText(const QString& s) {
    QString out;
    out.reserve(s.size() + 2);
    out += u'"';
    for (QChar ch : s) {
      if (ch == u'"' || ch == u'\\') {
        out += u'\\';
        out += ch;
      } else if (ch.unicode() < 0x20) {
        out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
      } else {
        out += ch;
      }
    }
    out += u'"';
    return out;
  }
  // A stored value as JSON: null, a number or a string.
  static QString jsonValue(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return QStringLiteral("null");
    switch (v.typeId()) {
      case QMetaType::LongLong:
      case QMetaType::Int:
      case QMetaType::Short:
      case QMetaType::UInt:
      case QMetaType::ULongLong: return QString::number(v.toLongLong());
      case QMetaType::Double: return QString::number(v.toDouble(), 'g', 17);
      default: return jsonText(v.toString());
    }
  }

  StockConnection& c_;
  std::vector<QString> records_;
  QHash<QString, QString> insertSql_;
};

QString quoted(const QString& s) { return u'"' + s + u'"'; }

}  // namespace

ImportResult runImport(engine::Engine& engine, const ExchangeFile& file, const ImportPlan& plan,
                       const ImportOptions& options, const QString& logDir, const QString& source,
                       const std::function<void(int)>& afterAnimal, const std::function<void(ImportStep)>& atStep) {
  ImportResult result;
  QStringList log;
  QString logPath;
  bool committed = false;
  auto finished = [&] {
    result.ok = true;
    result.logPath = logPath;
    return result;
  };
  const QDateTime now = QDateTime::currentDateTime();
  log << QStringLiteral("Lapiro Manager – Einlagerung") << kLogVersionLine
      << QStringLiteral("Datei: %1").arg(source)
      << QStringLiteral("Exportiert von: %1").arg(originText(file))
      << QStringLiteral("Eingelagert am: %1").arg(now.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))
      << QStringLiteral("Modus Tiere: %1").arg(mergeModeCaption(options.animalMode))
      << QStringLiteral("Modus Adressen: %1").arg(mergeModeCaption(options.addressMode))
      << QStringLiteral("Status neuer Tiere: %1").arg(options.newStatus) << QString();

  if (plan.sameStock) {
    // A file this stock exported holds nothing the stock lacks: nothing is written.
    result.ok = true;
    result.matched = static_cast<int>(file.animals.size());
    return result;
  }

  try {
    // Read before the import's own connection holds its tables.
    const bool withGenotype = hasGenotypeField(engine);
    StockConnection c(engine, importTables());
    Writer w(c);
    {
      StockTransaction tx(c);

      // Breeds and colours.
      std::vector<qint64> breedKey(plan.breeds.size());
      for (std::size_t i = 0; i < plan.breeds.size(); ++i) {
        const ExBreed& b = file.breeds[i];
        if (plan.breeds[i].existing) {
          breedKey[i] = plan.breeds[i].existing;
          log << QStringLiteral("Rasse zugeordnet: %1 {%2}").arg(plan.breeds[i].display).arg(breedKey[i]);
          continue;
        }
        breedKey[i] = w.insert(kRasse, {QStringLiteral("Name"), QStringLiteral("Code"), QStringLiteral("Rassegruppe")},
                               {b.name, b.code.startsWith(u'#') ? QVariant() : QVariant(b.code), textOrNull(b.group)});
        log << QStringLiteral("Rasse angelegt: %1 {%2}").arg(plan.breeds[i].display).arg(breedKey[i]);
        ++result.created;
      }
      std::vector<qint64> colourKey(plan.colours.size());
      for (std::size_t i = 0; i < plan.colours.size(); ++i) {
        const ColourPlan& cp = plan.colours[i];
        if (cp.existing) {
          colourKey[i] = cp.existing;
          log << QStringLiteral("Farbe zugeordnet: %1 {%2}").arg(cp.display).arg(colourKey[i]);
          continue;
        }
        colourKey[i] = w.insert(kFarbe, {QStringLiteral("Rasse"), QStringLiteral("Name"), QStringLiteral("Code")},
                                {static_cast<qlonglong>(breedKey[cp.breed]), cp.name, textOrNull(cp.code)});
        log << QStringLiteral("Farbe angelegt: %1 {%2}").arg(cp.display).arg(colourKey[i]);
        ++result.created;
      }

      // Addresses.
      std::vector<qint64> addressKey(plan.addresses.size());
      for (std::size_t i = 0; i < plan.addresses.size(); ++i) {
        const RecordPlan& p = plan.addresses[i];
        const ExAddress& a = file.addresses[i];
        if (p.sameAs >= 0) {
          addressKey[i] = addressKey[p.sameAs];
          log << QStringLiteral("Adresse zugeordnet: %1 {%2} (%3)").arg(p.display).arg(addressKey[i]).arg(p.note);
          continue;
        }
        if (!p.existing) {
          QStringList fields;
          QVariantList values;
          for (int f = 0; f < 10; ++f) {
            fields << QString::fromUtf16(kAddressFields[f].first);
            values << textOrNull(addressValue(a, f));
          }
          addressKey[i] = w.insert(kAdresse, fields, values);
          log << QStringLiteral("Adresse angelegt: %1 {%2}").arg(p.display).arg(addressKey[i]) +
                     (p.state == RecordState::Doubtful ? QStringLiteral(" (zweifelhaft: %1)").arg(p.note) : QString());
          ++result.created;
          continue;
        }
        addressKey[i] = p.existing;
        bool changed = false;
        for (const FieldDiff& d : p.diffs) {
          if (d.apply) {
            w.update(kAdresse, p.existing, d.field, d.stored, d.incoming);
            log << QStringLiteral("Adresse %1: %2 {%3} – %4: %5 → %6")
                       .arg(d.actionText().mid(5), p.display)
                       .arg(p.existing)
                       .arg(d.caption, quoted(d.storedText), quoted(d.incomingText));
            changed = true;
          } else {
            log << QStringLiteral("Übersprungen: Adresse %1 {%2} – %3 bleibt %4 (Datei: %5; Modus %6)")
                       .arg(p.display)
                       .arg(p.existing)
                       .arg(d.caption, quoted(d.storedText), quoted(d.incomingText), mergeModeCaption(options.addressMode));
          }
        }
        if (!changed)
          log << QStringLiteral("Adresse zugeordnet: %1 {%2} (%3)").arg(p.display).arg(p.existing).arg(recordStateText(p.state));
      }

      // Animals, parents first.
      QString loop;
      const auto order = parentsFirstOrder(file, &loop);
      if (!order) throw engine::EngineError(engine::EngineError::Kind::General, loop);
      QHash<QString, int> index;
      for (int i = 0; i < static_cast<int>(file.animals.size()); ++i) index.insert(file.animals[i].id, i);
      std::vector<qint64> animalKey(file.animals.size(), 0);
      auto resolve = [](const QVariant& v, const std::vector<qint64>& created) -> QVariant {
        if (v.isNull()) return v;
        const qint64 k = v.toLongLong();
        return k < 0 ? QVariant(static_cast<qlonglong>(created[-k - 1])) : v;
      };
      auto parentKey = [&](const QString& id) -> QVariant {
        const int k = index.value(id, -1);
        return id.isEmpty() || k < 0 ? QVariant() : keyOrNull(animalKey[k]);
      };
      QHash<QString, int> addressIndex;  // file id -> index
      for (int k = 0; k < static_cast<int>(file.addresses.size()); ++k) addressIndex.insert(file.addresses[k].id, k);
      // The stock's own user is never an owner: the animal is the stock's own.
      auto addressFor = [&](const QString& id, bool owner) -> QVariant {
        const int k = addressIndex.value(id, -1);
        if (id.isEmpty() || k < 0 || (owner && plan.addresses[k].own)) return {};
        return keyOrNull(addressKey[k]);
      };
      QStringList animalFields{QStringLiteral("TatoRechts"), QStringLiteral("TatoLinks"), QStringLiteral("Geburtstag"),
                               QStringLiteral("Geschlecht"), QStringLiteral("Rasse"),     QStringLiteral("Farbe"),
                               QStringLiteral("Vater"),      QStringLiteral("Mutter"),    QStringLiteral("Zuechter"),
                               QStringLiteral("Besitzer"),   QStringLiteral("Status"),    QStringLiteral("Erbformel"),
                               QStringLiteral("Wurfgroesse"), QStringLiteral("Körnote"),  QStringLiteral("IDCode"),
                               QStringLiteral("Info"),       QStringLiteral("Anomalien")};
      if (withGenotype) animalFields << kGenotyp;
      const QStringList showFields{QStringLiteral("Hase"),     QStringLiteral("Datum"),    QStringLiteral("Titel"),
                                   QStringLiteral("Ort"),      QStringLiteral("Preis"),    QStringLiteral("Gewicht"),
                                   QStringLiteral("Gewicht1"), QStringLiteral("Koerper2"), QStringLiteral("Fell3"),
                                   QStringLiteral("Kopf4"),    QStringLiteral("Farbe5"),   QStringLiteral("Unterfarbe6"),
                                   QStringLiteral("Pflege7"),  QStringLiteral("Bemerkung")};
      for (int i : *order) {
        const ExAnimal& a = file.animals[i];
        const RecordPlan& p = plan.animals[i];
        const int b = [&] {
          for (std::size_t k = 0; k < file.breeds.size(); ++k)
            if (file.breeds[k].code.compare(a.breedCode, Qt::CaseInsensitive) == 0) return static_cast<int>(k);
          return -1;
        }();
        if (!p.existing) {
          const int colour = plan.animalColour[i];
          QVariantList values{textOrNull(a.tatoRechts),
                                    textOrNull(a.tatoLinks),
                                    a.birthDate.isValid() ? QVariant(a.birthDate.toString(Qt::ISODate)) : QVariant(),
                                    a.sex,
                                    b >= 0 ? keyOrNull(breedKey[b]) : QVariant(),
                                    colour >= 0 ? keyOrNull(colourKey[colour]) : QVariant(),
                                    parentKey(a.sireId),
                                    parentKey(a.damId),
                                    addressFor(a.breederId, false),
                                    addressFor(a.ownerId, true),
                                    static_cast<qlonglong>(options.newStatus),
                                    textOrNull(a.geneticFormula),
                                    textOrNull(a.litterSize),
                                    a.koernote ? QVariant(static_cast<qlonglong>(*a.koernote)) : QVariant(),
                                    textOrNull(a.name),
                                    textOrNull(a.info),
                                    textOrNull(a.anomalies)};
          if (withGenotype)
            values << (static_cast<std::size_t>(i) < plan.animalGenotype.size() ? textOrNull(plan.animalGenotype[i]) : QVariant());
          animalKey[i] = w.insert(kHasen, animalFields, values);
          log << QStringLiteral("Tier angelegt: %1 {%2}").arg(p.display).arg(animalKey[i]);
          ++result.created;
        } else {
          animalKey[i] = p.existing;
          bool changed = false;
          bool skipped = false;
          for (const FieldDiff& d : p.diffs) {
            if (d.apply) {
              QVariant value = d.incoming;
              if (d.field == u"Rasse") value = resolve(value, breedKey);
              else if (d.field == u"Farbe") value = resolve(value, colourKey);
              else if (d.field == u"Vater" || d.field == u"Mutter") value = resolve(value, animalKey);
              else if (d.field == u"Zuechter" || d.field == u"Besitzer") value = resolve(value, addressKey);
              w.update(kHasen, p.existing, d.field, d.stored, value);
              log << QStringLiteral("Tier %1: %2 {%3} – %4: %5 → %6")
                         .arg(d.actionText().mid(5), p.display)
                         .arg(p.existing)
                         .arg(d.caption, quoted(d.storedText), quoted(d.incomingText));
              changed = true;
            } else {
              log << QStringLiteral("Übersprungen: Tier %1 {%2} – %3 bleibt %4 (Datei: %5; Modus %6)")
                         .arg(p.display)
                         .arg(p.existing)
                         .arg(d.caption, quoted(d.storedText), quoted(d.incomingText), mergeModeCaption(options.animalMode));
              skipped = true;
            }
          }
          if (changed)
            ++result.updated;
          else
            ++result.matched;
          if (skipped) ++result.skipped;
          if (!changed)
            log << QStringLiteral("Tier zugeordnet: %1 {%2} (%3)").arg(p.display).arg(p.existing).arg(recordStateText(p.state));
        }
        if (!p.note.isEmpty()) log << QStringLiteral("Hinweis: Tier %1 – %2").arg(p.display, p.note);
        // Show results the stock does not hold yet (same date and title).
        for (const ExShow& s : a.shows) {
          engine::Statement& has = c.prepare(
              QStringLiteral("SELECT 1 FROM %1 WHERE Hase = ? AND Datum IS ? AND Titel IS ?").arg(c.table(kAusstellung)));
          has.bind(1, animalKey[i]);
          has.bind(2, s.date.isValid() ? QVariant(s.date.toString(Qt::ISODate)) : QVariant());
          has.bind(3, textOrNull(s.title));
          const bool present = has.step();
          has.reset();
          if (present) continue;
          QVariantList values{static_cast<qlonglong>(animalKey[i]),
                              s.date.isValid() ? QVariant(s.date.toString(Qt::ISODate)) : QVariant(),
                              textOrNull(s.title), textOrNull(s.place), textOrNull(s.prize),
                              s.weight ? QVariant(*s.weight) : QVariant()};
          for (const auto& v : s.scores) values << (v ? QVariant(*v) : QVariant());
          values << textOrNull(s.remark);
          const qint64 k = w.insert(kAusstellung, showFields, values);
          log << QStringLiteral("Ausstellungsergebnis angelegt: %1 {%2}, %3 %4 {%5}")
                     .arg(p.display)
                     .arg(animalKey[i])
                     .arg(s.date.toString(QStringLiteral("dd.MM.yyyy")), s.title)
                     .arg(k);
        }
        if (afterAnimal) afterAnimal(i);
      }
      log << QString()
          << QStringLiteral("Ergebnis: %1 angelegt, %2 geändert, %3 zugeordnet, %4 mit übersprungenen Angaben")
                 .arg(result.created)
                 .arg(result.updated)
                 .arg(result.matched)
                 .arg(result.skipped)
          << QString();
      // Texts from the file (notes, names) must not break a line: a line of their own could
      // pose as the marker or as an undo record.
      for (QString& line : log) {
        line.replace(u'\n', u' ');
        line.replace(u'\r', u' ');
      }
      log << kUndoMarker;
      for (const QString& r : w.records()) log << u'#' + r;
      // The log with its undo records is on disk before the commit, so that every committed
      // import has its log; the line written after the commit marks it as committed. A log
      // without that line is settled at the next start (settleImportLogs).
      QString error;
      if (!QDir().mkpath(logDir))
        throw engine::EngineError(engine::EngineError::Kind::General,
                                  QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.").arg(logDir));
      QString name = QStringLiteral("Einlagerung-%1.log").arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
      for (int k = 2; QFileInfo::exists(QDir(logDir).filePath(name)); ++k)
        name = QStringLiteral("Einlagerung-%1-%2.log").arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss"))).arg(k);
      logPath = QDir(logDir).filePath(name);
      const QByteArray bytes = (log.join(u'\n') + u'\n').toUtf8();
      if (!core::writeFileSafely(logPath, bytes, &error)) {
        logPath.clear();
        throw engine::EngineError(engine::EngineError::Kind::General, error);
      }
      if (atStep) atStep(ImportStep::LogWritten);
      tx.commit();
      committed = true;
      if (atStep) atStep(ImportStep::Committed);
      markCommitted(logPath, bytes);
    }
    c.touched();
  } catch (const engine::EngineError& e) {
    if (committed) return finished();
    if (!logPath.isEmpty()) QFile::remove(logPath);
    result = ImportResult{};
    result.error = QStringLiteral("Die Einlagerung ist fehlgeschlagen; es wurde nichts gespeichert.\n%1").arg(e.message());
    return result;
  } catch (const std::exception& e) {
    if (committed) return finished();
    if (!logPath.isEmpty()) QFile::remove(logPath);
    result = ImportResult{};
    result.error = QStringLiteral("Die Einlagerung ist fehlgeschlagen; es wurde nichts gespeichert.\n%1")
                       .arg(QString::fromLocal8Bit(e.what()));
    return result;
  }

  return finished();
}

// ------------------------------------------------------------------------------ undo

QString undoImport(engine::Engine& engine, const QString& logPath) {
  QFile in(logPath);
  if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
    return QStringLiteral("Das Protokoll \"%1\" kann nicht gelesen werden.").arg(logPath);
  const QStringList lines = QString::fromUtf8(in.readAll()).split(u'\n');
  in.close();
  std::vector<QJsonObject> records;
  bool inRecords = false;
  for (const QString& line : lines) {
    if (line.startsWith(kUndoneLine)) return QStringLiteral("Diese Einlagerung wurde bereits rückgängig gemacht.");
    if (line == kUndoMarker) {
      inRecords = true;
      continue;
    }
    if (inRecords && line.startsWith(u'#')) {
      const QJsonDocument doc = QJsonDocument::fromJson(line.mid(1).toUtf8());
      if (!doc.isObject()) return QStringLiteral("Das Protokoll \"%1\" ist beschädigt.").arg(logPath);
      records.push_back(doc.object());
    }
  }
  if (!inRecords) return QStringLiteral("\"%1\" ist kein Protokoll einer Einlagerung.").arg(logPath);

  int removed = 0;
  int restored = 0;
  try {
    StockConnection c(engine, importTables());
    StockTransaction tx(c);
    QStringList conflicts;
    auto current = [&](const QString& table, qint64 key, const QString& field, bool* exists) -> QVariant {
      engine::Statement& st = c.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                            .arg(engine::quoteIdent(field), c.table(table), engine::quoteIdent(keyField(table))));
      st.bind(1, key);
      *exists = st.step();
      QVariant v = *exists ? st.column(0) : QVariant();
      st.reset();
      return v;
    };
    engine::execSql(c.db(), QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS exchange_created (tab TEXT, key INTEGER)"));
    engine::execSql(c.db(), QStringLiteral("DELETE FROM temp.exchange_created"));
    const QStringList known = importTables();
    for (const QJsonObject& r : records) {
      const QString table = r.value(QStringLiteral("table")).toString();
      const qint64 key = static_cast<qint64>(r.value(QStringLiteral("key")).toDouble());
      if (!known.contains(table)) return QStringLiteral("Das Protokoll \"%1\" ist beschädigt.").arg(logPath);
      bool exists = false;
      if (r.value(QStringLiteral("op")).toString() == u"insert") {
        const QJsonObject values = r.value(QStringLiteral("values")).toObject();
        for (auto it = values.begin(); it != values.end(); ++it) {
          const QVariant now = current(table, key, it.key(), &exists);
          if (!exists) {
            conflicts << QStringLiteral("%1 {%2} gibt es nicht mehr").arg(table).arg(key);
            break;
          }
          if (canonical(now) != canonical(it.value().toVariant())) {
            conflicts << QStringLiteral("%1 {%2}: %3 wurde seitdem geändert").arg(table).arg(key).arg(it.key());
            break;
          }
        }
        engine::Statement& st = c.prepare(QStringLiteral("INSERT INTO temp.exchange_created VALUES (?, ?)"));
        st.bind(1, table);
        st.bind(2, key);
        st.step();
        st.reset();
      } else {
        const QString field = r.value(QStringLiteral("field")).toString();
        const QVariant now = current(table, key, field, &exists);
        if (!exists)
          conflicts << QStringLiteral("%1 {%2} gibt es nicht mehr").arg(table).arg(key);
        else if (canonical(now) != canonical(r.value(QStringLiteral("new")).toVariant()))
          conflicts << QStringLiteral("%1 {%2}: %3 wurde seitdem geändert").arg(table).arg(key).arg(field);
      }
    }
    auto refused = [&] {
      const int shown = std::min<int>(conflicts.size(), 5);
      QString text = QStringLiteral("Die Einlagerung kann nicht rückgängig gemacht werden, weil Datensätze seitdem "
                                    "geändert wurden:\n") +
                     conflicts.mid(0, shown).join(u'\n');
      if (conflicts.size() > shown) text += QStringLiteral("\n… und %1 weitere").arg(conflicts.size() - shown);
      return text;
    };
    if (!conflicts.isEmpty()) return refused();
    // First restore what was overwritten (newest first), so that references the import itself
    // set on existing records are gone before the references are checked.
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
      const QJsonObject& r = *it;
      if (r.value(QStringLiteral("op")).toString() == u"insert") continue;
      const QString table = r.value(QStringLiteral("table")).toString();
      const qint64 key = static_cast<qint64>(r.value(QStringLiteral("key")).toDouble());
      const QString field = r.value(QStringLiteral("field")).toString();
      engine::Statement& st = c.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                                            .arg(c.table(table), engine::quoteIdent(field), engine::quoteIdent(keyField(table))));
      st.bind(1, r.value(QStringLiteral("old")).toVariant());
      st.bind(2, key);
      st.step();
      st.reset();
      ++restored;
    }
    // Records made since that refer to a created one would be left dangling.
    struct Reference {
      QString table, field, target;
    };
    const Reference references[] = {
        {kHasen, QStringLiteral("Vater"), kHasen},        {kHasen, QStringLiteral("Mutter"), kHasen},
        {kHasen, QStringLiteral("Zuechter"), kAdresse},   {kHasen, QStringLiteral("Besitzer"), kAdresse},
        {kHasen, QStringLiteral("Rasse"), kRasse},        {kHasen, QStringLiteral("Farbe"), kFarbe},
        {kFarbe, QStringLiteral("Rasse"), kRasse},        {kAusstellung, QStringLiteral("Hase"), kHasen},
    };
    for (const Reference& ref : references) {
      engine::Statement st(c.db(), QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (SELECT key FROM temp.exchange_created WHERE tab = ?) "
                                                  "AND %1 NOT IN (SELECT key FROM temp.exchange_created WHERE tab = ?) LIMIT 3")
                                       .arg(engine::quoteIdent(keyField(ref.table)), c.table(ref.table), engine::quoteIdent(ref.field)));
      st.bind(1, ref.target);
      st.bind(2, ref.table);
      while (st.step())
        conflicts << QStringLiteral("%1 {%2} verweist über %3 auf einen eingelagerten Datensatz")
                         .arg(ref.table)
                         .arg(st.column(0).toLongLong())
                         .arg(ref.field);
    }
    if (!conflicts.isEmpty()) return refused();  // the transaction rolls the restores back
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
      const QJsonObject& r = *it;
      if (r.value(QStringLiteral("op")).toString() != u"insert") continue;
      const QString table = r.value(QStringLiteral("table")).toString();
      const qint64 key = static_cast<qint64>(r.value(QStringLiteral("key")).toDouble());
      engine::Statement& st = c.prepare(
          QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(c.table(table), engine::quoteIdent(keyField(table))));
      st.bind(1, key);
      st.step();
      st.reset();
      ++removed;
    }
    tx.commit();
    c.touched();
  } catch (const engine::EngineError& e) {
    return QStringLiteral("Die Einlagerung konnte nicht rückgängig gemacht werden; es wurde nichts geändert.\n%1")
        .arg(e.message());
  }
  QFile out(logPath);
  if (out.open(QIODevice::Append | QIODevice::Text)) {
    out.write((kUndoneLine + QStringLiteral("%1: %2 Datensätze entfernt, %3 Angaben wiederhergestellt.\n")
                                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))
                                 .arg(removed)
                                 .arg(restored))
                  .toUtf8());
  }
  return {};
}

// ------------------------------------------------------------------------------ settling

int settleImportLogs(engine::Engine& engine, const QString& logDir) {
  const QDir dir(logDir);
  if (!dir.exists()) return 0;
  int settled = 0;
  for (const QString& name : dir.entryList({QStringLiteral("Einlagerung-*.log")}, QDir::Files, QDir::Name)) {
    const QString path = dir.filePath(name);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) continue;
    const QByteArray content = in.readAll();
    in.close();
    const QStringList lines = QString::fromUtf8(content).split(u'\n');
    if (!lines.contains(kLogVersionLine)) continue;  // an older log, written after its commit
    bool closed = false;
    std::vector<QJsonObject> records;
    bool inRecords = false;
    for (const QString& line : lines) {
      if (line.startsWith(kCommittedLine) || line.startsWith(kUndoneLine)) closed = true;
      if (line == kUndoMarker) inRecords = true;
      else if (inRecords && line.startsWith(u'#')) records.push_back(QJsonDocument::fromJson(line.mid(1).toUtf8()).object());
    }
    if (closed) continue;
    // Killed between writing the log and marking it: the import is committed when its writes
    // are in the tables (the first start after the kill: nothing else has written since, and
    // an interrupted transaction is rolled back when the tables are opened).
    bool holds = records.empty() && inRecords;
    try {
      StockConnection c(engine, importTables());
      engine::execSql(c.db(), QStringLiteral("BEGIN"));
      for (const QJsonObject& r : records) {
        const QString table = r.value(QStringLiteral("table")).toString();
        if (!importTables().contains(table)) continue;
        const qint64 key = static_cast<qint64>(r.value(QStringLiteral("key")).toDouble());
        const bool insert = r.value(QStringLiteral("op")).toString() == u"insert";
        const QString field = insert ? keyField(table) : r.value(QStringLiteral("field")).toString();
        engine::Statement st(c.db(), QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                         .arg(engine::quoteIdent(field), c.table(table), engine::quoteIdent(keyField(table))));
        st.bind(1, key);
        if (!st.step()) continue;
        if (insert || canonical(st.column(0)) == canonical(r.value(QStringLiteral("new")).toVariant())) {
          holds = true;
          break;
        }
      }
      engine::execSql(c.db(), QStringLiteral("COMMIT"));
    } catch (const engine::EngineError&) {
      continue;  // tables that cannot be read: the log stays for a later start
    }
    if (holds) {
      const QByteArray line =
          (kCommittedLine + QFileInfo(path).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + u'\n').toUtf8();
      core::writeFileSafely(path, content.endsWith('\n') ? content + line : content + '\n' + line);
    } else {
      QFile::remove(path);
    }
    ++settled;
  }
  return settled;
}

}  // namespace lapiro::exchange
