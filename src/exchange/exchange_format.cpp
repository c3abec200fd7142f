#include "exchange/exchange_format.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>

#include "engine/field_input.h"

#include <cmath>

namespace lapiro::exchange {

namespace {

const QString kSchemeRight = QStringLiteral("tattoo-right");
const QString kSchemeLeft = QStringLiteral("tattoo-left");

void putText(QJsonObject& o, const QString& key, const QString& value) {
  if (!value.isEmpty()) o.insert(key, value);
}

QJsonObject showJson(const ExShow& s) {
  QJsonObject o;
  if (s.date.isValid()) o.insert(QStringLiteral("date"), s.date.toString(Qt::ISODate));
  putText(o, QStringLiteral("title"), s.title);
  putText(o, QStringLiteral("place"), s.place);
  putText(o, QStringLiteral("prize"), s.prize);
  if (s.weight) o.insert(QStringLiteral("weight"), *s.weight);
  bool anyScore = false;
  for (const auto& v : s.scores) anyScore = anyScore || v.has_value();
  if (anyScore) {
    QJsonArray scores;
    for (const auto& v : s.scores) scores.append(v ? QJsonValue(*v) : QJsonValue());
    o.insert(QStringLiteral("scores"), scores);
  }
  putText(o, QStringLiteral("remark"), s.remark);
  return o;
}

QJsonObject animalJson(const ExAnimal& a) {
  QJsonObject o;
  o.insert(QStringLiteral("id"), a.id);
  QJsonArray ids;
  if (!a.tatoRechts.isEmpty())
    ids.append(QJsonObject{{QStringLiteral("scheme"), kSchemeRight}, {QStringLiteral("id"), a.tatoRechts}});
  if (!a.tatoLinks.isEmpty())
    ids.append(QJsonObject{{QStringLiteral("scheme"), kSchemeLeft}, {QStringLiteral("id"), a.tatoLinks}});
  o.insert(QStringLiteral("identifiers"), ids);
  if (a.birthDate.isValid()) o.insert(QStringLiteral("birthDate"), a.birthDate.toString(Qt::ISODate));
  o.insert(QStringLiteral("sex"), a.sex == u"1" ? QStringLiteral("Male") : QStringLiteral("Female"));
  putText(o, QStringLiteral("breed"), a.breedCode);
  if (!a.colourName.isEmpty() || !a.colourCode.isEmpty()) {
    QJsonObject c;
    putText(c, QStringLiteral("name"), a.colourName);
    putText(c, QStringLiteral("code"), a.colourCode);
    o.insert(QStringLiteral("colour"), c);
  }
  putText(o, QStringLiteral("geneticFormula"), a.geneticFormula);
  putText(o, QStringLiteral("genotype"), a.genotype);
  putText(o, QStringLiteral("litterSize"), a.litterSize);
  if (a.koernote) o.insert(QStringLiteral("koernote"), *a.koernote);
  putText(o, QStringLiteral("name"), a.name);
  if (!a.info.isEmpty() || !a.anomalies.isEmpty()) {
    QJsonObject f;
    putText(f, QStringLiteral("notes"), a.info);
    putText(f, QStringLiteral("anomalies"), a.anomalies);
    o.insert(QStringLiteral("features"), f);
  }
  putText(o, QStringLiteral("status"), a.status);
  QJsonArray parentage;
  if (!a.sireId.isEmpty())
    parentage.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Sire")}, {QStringLiteral("animal"), a.sireId}});
  if (!a.damId.isEmpty())
    parentage.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Dam")}, {QStringLiteral("animal"), a.damId}});
  if (!parentage.isEmpty()) o.insert(QStringLiteral("parentage"), parentage);
  putText(o, QStringLiteral("breeder"), a.breederId);
  putText(o, QStringLiteral("owner"), a.ownerId);
  if (!a.shows.empty()) {
    QJsonArray shows;
    for (const ExShow& s : a.shows) shows.append(showJson(s));
    o.insert(QStringLiteral("shows"), shows);
  }
  return o;
}

QJsonObject addressJson(const ExAddress& a) {
  QJsonObject o;
  o.insert(QStringLiteral("id"), a.id);
  putText(o, QStringLiteral("name"), a.name);
  putText(o, QStringLiteral("firstName"), a.vorname);
  putText(o, QStringLiteral("street"), a.strasse);
  putText(o, QStringLiteral("postcode"), a.plz);
  putText(o, QStringLiteral("place"), a.ort);
  putText(o, QStringLiteral("country"), a.land);
  putText(o, QStringLiteral("phone"), a.telefon);
  putText(o, QStringLiteral("email"), a.email);
  putText(o, QStringLiteral("clubMark"), a.vereinskennzeichen);
  putText(o, QStringLiteral("herdBookNumber"), a.hbnr);
  return o;
}

// --- reading ------------------------------------------------------------------------------

// Thrown inside the reader with the German message; caught by readExchange().
struct ReadError {
  QString message;
};

[[noreturn]] void fail(const QString& message) { throw ReadError{message}; }

QString at(const QString& path) { return QStringLiteral(" (an der Stelle %1)").arg(path); }

// The deepest nesting of arrays and objects, found without parsing; reports the line and
// column where kMaxDepth is passed.
void checkDepth(const QByteArray& bytes) {
  int depth = 0;
  int line = 1;
  int column = 0;
  bool inString = false;
  bool escaped = false;
  for (char ch : bytes) {
    ++column;
    if (ch == '\n') {
      ++line;
      column = 0;
    }
    if (inString) {
      if (escaped)
        escaped = false;
      else if (ch == '\\')
        escaped = true;
      else if (ch == '"')
        inString = false;
      continue;
    }
    if (ch == '"') {
      inString = true;
    } else if (ch == '[' || ch == '{') {
      if (++depth > kMaxDepth)
        fail(QStringLiteral("Die Datei ist zu tief verschachtelt (mehr als %1 Ebenen) in Zeile %2, Spalte %3.")
                 .arg(kMaxDepth)
                 .arg(line)
                 .arg(column));
    } else if (ch == ']' || ch == '}') {
      --depth;
    }
  }
}

// Line and column of a byte offset, for JSON syntax errors.
QString lineColumn(const QByteArray& bytes, int offset) {
  int line = 1;
  int column = 1;
  for (int i = 0; i < offset && i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return QStringLiteral("Zeile %1, Spalte %2").arg(line).arg(column);
}

// Typed access to the members of one object, each failure naming its path.
class Reader {
 public:
  Reader(const QJsonObject& o, QString path) : o_(o), path_(std::move(path)) {}

  QString sub(const QString& key) const { return path_.isEmpty() ? key : path_ + u'.' + key; }

  // `memo` allows line breaks (free texts of several lines); every other control character
  // is refused in any text, since a NUL or an escape would be stored and shown unnoticed.
  QString text(const QString& key, bool required = false, int maxLength = 4000, bool memo = false) const {
    const QJsonValue v = o_.value(key);
    if (v.isUndefined() || v.isNull()) {
      if (required) fail(QStringLiteral("Pflichtangabe fehlt") + at(sub(key)) + u'.');
      return {};
    }
    if (!v.isString()) fail(QStringLiteral("Text erwartet") + at(sub(key)) + u'.');
    const QString s = v.toString().trimmed();
    if (required && s.isEmpty()) fail(QStringLiteral("Pflichtangabe ist leer") + at(sub(key)) + u'.');
    if (const QString bad = forbiddenControl(s, memo); !bad.isEmpty()) fail(bad + at(sub(key)) + u'.');
    if (s.size() > maxLength)
      fail(QStringLiteral("Text länger als %1 Zeichen").arg(maxLength) + at(sub(key)) + u'.');
    return s;
  }

  QDate date(const QString& key) const {
    const QString s = text(key);
    if (s.isEmpty()) return {};
    const auto d = exchangeDate(s, true);
    if (!d) fail(QStringLiteral("Unmögliches Datum \"%1\"").arg(s) + at(sub(key)) + u'.');
    return *d;
  }

  std::optional<double> number(const QString& key) const { return numberOf(o_.value(key), sub(key)); }

  static std::optional<double> numberOf(const QJsonValue& v, const QString& path) {
    if (v.isUndefined() || v.isNull()) return std::nullopt;
    if (!v.isDouble()) fail(QStringLiteral("Zahl erwartet") + at(path) + u'.');
    return v.toDouble();
  }

  QJsonObject object(const QString& key) const {
    const QJsonValue v = o_.value(key);
    if (v.isUndefined() || v.isNull()) return {};
    if (!v.isObject()) fail(QStringLiteral("Objekt erwartet") + at(sub(key)) + u'.');
    return v.toObject();
  }

  QJsonArray array(const QString& key, bool required = false) const {
    const QJsonValue v = o_.value(key);
    if (v.isUndefined() || v.isNull()) {
      if (required) fail(QStringLiteral("Pflichtangabe fehlt") + at(sub(key)) + u'.');
      return {};
    }
    if (!v.isArray()) fail(QStringLiteral("Liste erwartet") + at(sub(key)) + u'.');
    return v.toArray();
  }

  static QJsonObject element(const QJsonArray& a, int i, const QString& path) {
    if (!a.at(i).isObject()) fail(QStringLiteral("Objekt erwartet") + at(path) + u'.');
    return a.at(i).toObject();
  }

 private:
  QJsonObject o_;
  QString path_;
};

QString indexed(const QString& key, int i) { return QStringLiteral("%1[%2]").arg(key).arg(i); }

ExShow readShow(const Reader& r, const QString& path) {
  ExShow s;
  s.date = r.date(QStringLiteral("date"));
  s.title = r.text(QStringLiteral("title"), false, 40);
  s.place = r.text(QStringLiteral("place"), false, 40);
  s.prize = r.text(QStringLiteral("prize"), false, 20);
  s.weight = r.number(QStringLiteral("weight"));
  const QJsonArray scores = r.array(QStringLiteral("scores"));
  if (scores.size() > 7) fail(QStringLiteral("Mehr als 7 Bewertungspositionen") + at(path + QStringLiteral(".scores")) + u'.');
  for (int i = 0; i < scores.size(); ++i)
    s.scores[i] = Reader::numberOf(scores.at(i), indexed(path + QStringLiteral(".scores"), i));
  s.remark = r.text(QStringLiteral("remark"), false, 4000, true);
  return s;
}

ExAnimal readAnimal(const QJsonObject& o, const QString& path) {
  const Reader r(o, path);
  ExAnimal a;
  a.id = r.text(QStringLiteral("id"), true, 40);
  const QJsonArray ids = r.array(QStringLiteral("identifiers"), true);
  for (int i = 0; i < ids.size(); ++i) {
    const QString p = indexed(r.sub(QStringLiteral("identifiers")), i);
    const Reader ir(Reader::element(ids, i, p), p);
    const QString scheme = ir.text(QStringLiteral("scheme"), true);
    if (scheme == kSchemeRight)
      a.tatoRechts = ir.text(QStringLiteral("id"), true, 8);
    else if (scheme == kSchemeLeft)
      a.tatoLinks = ir.text(QStringLiteral("id"), true, 10);
    // Identifiers of other schemes are carried by other programs; they are not ours to keep.
  }
  a.birthDate = r.date(QStringLiteral("birthDate"));
  const QString sex = r.text(QStringLiteral("sex"), true);
  if (sex == u"Male")
    a.sex = QStringLiteral("1");
  else if (sex == u"Female")
    a.sex = QStringLiteral("2");
  else
    fail(QStringLiteral("Unbekanntes Geschlecht \"%1\" (erlaubt: Male, Female)").arg(sex) +
         at(r.sub(QStringLiteral("sex"))) + u'.');
  a.breedCode = r.text(QStringLiteral("breed"), false, 9);
  const QJsonObject colour = r.object(QStringLiteral("colour"));
  const Reader cr(colour, r.sub(QStringLiteral("colour")));
  a.colourName = cr.text(QStringLiteral("name"), false, 25);
  a.colourCode = cr.text(QStringLiteral("code"), false, 9);
  a.geneticFormula = r.text(QStringLiteral("geneticFormula"), false, 40);
  a.genotype = r.text(QStringLiteral("genotype"), false, 80);
  a.litterSize = r.text(QStringLiteral("litterSize"), false, 10);
  if (const auto k = r.number(QStringLiteral("koernote"))) {
    // The range first: converting a double beyond the integer's range is undefined.
    if (!std::isfinite(*k) || std::abs(*k) > 2.0e9 || *k != std::trunc(*k))
      fail(QStringLiteral("Ganze Zahl erwartet") + at(r.sub(QStringLiteral("koernote"))) + u'.');
    a.koernote = static_cast<qint64>(*k);
  }
  a.name = r.text(QStringLiteral("name"), false, 20);
  const Reader fr(r.object(QStringLiteral("features")), r.sub(QStringLiteral("features")));
  a.info = fr.text(QStringLiteral("notes"), false, 100000, true);
  a.anomalies = fr.text(QStringLiteral("anomalies"), false, 100000, true);
  a.status = r.text(QStringLiteral("status"), false, 25);
  const QJsonArray parentage = r.array(QStringLiteral("parentage"));
  for (int i = 0; i < parentage.size(); ++i) {
    const QString p = indexed(r.sub(QStringLiteral("parentage")), i);
    const Reader pr(Reader::element(parentage, i, p), p);
    const QString type = pr.text(QStringLiteral("type"), true);
    const QString parent = pr.text(QStringLiteral("animal"), true, 40);
    QString* slot = type == u"Sire" ? &a.sireId : type == u"Dam" ? &a.damId : nullptr;
    if (!slot)
      fail(QStringLiteral("Unbekannte Abstammungsart \"%1\" (erlaubt: Sire, Dam)").arg(type) +
           at(pr.sub(QStringLiteral("type"))) + u'.');
    if (!slot->isEmpty()) fail(QStringLiteral("Elternteil doppelt angegeben") + at(p) + u'.');
    if (parent == a.id) fail(QStringLiteral("Das Tier ist als sein eigenes Elternteil angegeben") + at(p) + u'.');
    *slot = parent;
  }
  a.breederId = r.text(QStringLiteral("breeder"), false, 40);
  a.ownerId = r.text(QStringLiteral("owner"), false, 40);
  const QJsonArray shows = r.array(QStringLiteral("shows"));
  for (int i = 0; i < shows.size(); ++i) {
    const QString p = indexed(r.sub(QStringLiteral("shows")), i);
    a.shows.push_back(readShow(Reader(Reader::element(shows, i, p), p), p));
  }
  return a;
}

ExAddress readAddress(const QJsonObject& o, const QString& path) {
  const Reader r(o, path);
  ExAddress a;
  a.id = r.text(QStringLiteral("id"), true, 40);
  a.name = r.text(QStringLiteral("name"), true, 40);
  a.vorname = r.text(QStringLiteral("firstName"), false, 40);
  a.strasse = r.text(QStringLiteral("street"), false, 50);
  a.plz = r.text(QStringLiteral("postcode"), false, 8);
  a.ort = r.text(QStringLiteral("place"), false, 50);
  a.land = r.text(QStringLiteral("country"), false, 20);
  a.telefon = r.text(QStringLiteral("phone"), false, 20);
  a.email = r.text(QStringLiteral("email"), false, 40);
  a.vereinskennzeichen = r.text(QStringLiteral("clubMark"), false, 10);
  a.hbnr = r.text(QStringLiteral("herdBookNumber"), false, 20);
  return a;
}

ExchangeFile readDocument(const QByteArray& bytes) {
  checkDepth(bytes);
  QJsonParseError err;
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
  if (err.error != QJsonParseError::NoError)
    fail(QStringLiteral("Die Datei ist kein gültiges JSON: %1 in %2.")
             .arg(err.errorString(), lineColumn(bytes, err.offset)));
  if (!doc.isObject()) fail(QStringLiteral("Die Datei enthält kein JSON-Objekt."));
  const Reader top(doc.object(), QString());
  const QString format = top.text(QStringLiteral("format"), true);
  if (format != QString::fromUtf16(kFormatName))
    fail(QStringLiteral("Das ist keine Austauschdatei von Lapiro Manager (Format \"%1\")").arg(format) +
         at(QStringLiteral("format")) + u'.');
  ExchangeFile f;
  const QString version = top.text(QStringLiteral("version"), true);
  const QStringList parts = version.split(u'.');
  bool okMajor = false;
  bool okMinor = parts.size() == 2;
  f.major = parts.value(0).toInt(&okMajor);
  if (okMinor) f.minor = parts.value(1).toInt(&okMinor);
  if (!okMajor || !okMinor)
    fail(QStringLiteral("Ungültige Formatversion \"%1\"").arg(version) + at(QStringLiteral("version")) + u'.');
  if (f.major > kFormatMajor)
    fail(QStringLiteral("Die Datei hat die neuere Formatversion %1; dieses Programm liest Version %2.x")
             .arg(version)
             .arg(kFormatMajor) +
         at(QStringLiteral("version")) + u'.');
  const Reader by(top.object(QStringLiteral("exportedBy")), QStringLiteral("exportedBy"));
  f.program = by.text(QStringLiteral("program"), false, 200);
  f.stock = by.text(QStringLiteral("stock"), false, 64);
  const QString created = top.text(QStringLiteral("exportedAt"));
  if (!created.isEmpty()) {
    f.created = QDateTime::fromString(created, Qt::ISODate);
    if (!f.created.isValid())
      fail(QStringLiteral("Unmöglicher Zeitpunkt \"%1\"").arg(created) + at(QStringLiteral("exportedAt")) + u'.');
  }

  QSet<QString> breedCodes;
  const QJsonArray breeds = top.array(QStringLiteral("breeds"));
  for (int i = 0; i < breeds.size(); ++i) {
    const QString p = indexed(QStringLiteral("breeds"), i);
    const Reader r(Reader::element(breeds, i, p), p);
    ExBreed b{r.text(QStringLiteral("code"), true, 9), r.text(QStringLiteral("name"), true, 25),
              r.text(QStringLiteral("group"), false, 25)};
    if (breedCodes.contains(b.code.toUpper()))
      fail(QStringLiteral("Rassecode \"%1\" doppelt").arg(b.code) + at(r.sub(QStringLiteral("code"))) + u'.');
    breedCodes.insert(b.code.toUpper());
    f.breeds.push_back(b);
  }

  QHash<QString, int> addressIds;
  const QJsonArray addresses = top.array(QStringLiteral("addresses"));
  for (int i = 0; i < addresses.size(); ++i) {
    const QString p = indexed(QStringLiteral("addresses"), i);
    ExAddress a = readAddress(Reader::element(addresses, i, p), p);
    if (addressIds.contains(a.id))
      fail(QStringLiteral("Die Kennung \"%1\" ist doppelt vergeben").arg(a.id) + at(p + QStringLiteral(".id")) + u'.');
    addressIds.insert(a.id, i);
    f.addresses.push_back(std::move(a));
  }

  QHash<QString, int> animalIds;
  QHash<QString, int> identities;  // the same tattoos and birth date name the same animal
  const QJsonArray animals = top.array(QStringLiteral("animals"), true);
  f.animals.reserve(animals.size());
  for (int i = 0; i < animals.size(); ++i) {
    const QString p = indexed(QStringLiteral("animals"), i);
    ExAnimal a = readAnimal(Reader::element(animals, i, p), p);
    if (animalIds.contains(a.id))
      fail(QStringLiteral("Die Kennung \"%1\" ist doppelt vergeben").arg(a.id) + at(p + QStringLiteral(".id")) + u'.');
    if (!a.breedCode.isEmpty() && !breedCodes.contains(a.breedCode.toUpper()))
      fail(QStringLiteral("Unbekannter Rassecode \"%1\"").arg(a.breedCode) + at(p + QStringLiteral(".breed")) + u'.');
    if (!a.breederId.isEmpty() && !addressIds.contains(a.breederId))
      fail(QStringLiteral("Unbekannte Adresse \"%1\"").arg(a.breederId) + at(p + QStringLiteral(".breeder")) + u'.');
    if (!a.ownerId.isEmpty() && !addressIds.contains(a.ownerId))
      fail(QStringLiteral("Unbekannte Adresse \"%1\"").arg(a.ownerId) + at(p + QStringLiteral(".owner")) + u'.');
    if (!a.tatoRechts.isEmpty() || !a.tatoLinks.isEmpty()) {
      const QString identity = a.tatoRechts + u'\x1f' + a.tatoLinks + u'\x1f' + a.birthDate.toString(Qt::ISODate);
      const auto twin = identities.constFind(identity);
      if (twin != identities.constEnd())
        fail(QStringLiteral("Das Tier \"%1  %2\" steht zweimal in der Datei (auch an der Stelle animals[%3])")
                 .arg(a.tatoRechts, a.tatoLinks)
                 .arg(*twin) +
             at(p) + u'.');
      identities.insert(identity, i);
    }
    animalIds.insert(a.id, i);
    f.animals.push_back(std::move(a));
  }
  for (int i = 0; i < static_cast<int>(f.animals.size()); ++i) {
    const ExAnimal& a = f.animals[i];
    const QString p = indexed(QStringLiteral("animals"), i);
    for (const QString& parent : {a.sireId, a.damId})
      if (!parent.isEmpty() && !animalIds.contains(parent))
        fail(QStringLiteral("Das Elternteil \"%1\" ist nicht in der Datei").arg(parent) + at(p + QStringLiteral(".parentage")) +
             u'.');
    const auto sire = animalIds.constFind(a.sireId);
    if (sire != animalIds.constEnd() && f.animals[*sire].sex != u"1")
      fail(QStringLiteral("Der Vater \"%1\" ist kein Rammler").arg(a.sireId) + at(p + QStringLiteral(".parentage")) + u'.');
    const auto dam = animalIds.constFind(a.damId);
    if (dam != animalIds.constEnd() && f.animals[*dam].sex == u"1")
      fail(QStringLiteral("Die Mutter \"%1\" ist keine Häsin").arg(a.damId) + at(p + QStringLiteral(".parentage")) + u'.');
  }
  QString loop;
  if (!parentsFirstOrder(f, &loop)) fail(loop);
  return f;
}

}  // namespace

QString stockIdentity(const QString& name, const QString& vorname, const QString& strasse, const QString& plz,
                      const QString& ort) {
  if (name.trimmed().isEmpty()) return {};
  const QString key = QStringList{name, vorname, strasse, plz, ort}.join(u'\x1f').toUpper();
  QString normal;
  for (const QString& part : key.split(u'\x1f')) normal += part.simplified() + u'\x1f';
  return QString::fromLatin1(QCryptographicHash::hash(normal.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
}

QString addressKey(const QString& name, const QString& vorname, const QString& strasse, const QString& ort) {
  return name.simplified().toUpper() + u'\x1f' + vorname.simplified().toUpper() + u'\x1f' + strasse.simplified().toUpper() +
         u'\x1f' + ort.simplified().toUpper();
}

QString originText(const ExchangeFile& file) {
  QString s = file.program.isEmpty() ? QStringLiteral("?") : file.program;
  if (file.created.isValid()) s += QStringLiteral(" am ") + file.created.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
  return s;
}

QString forbiddenControl(const QString& text, bool lineBreaksAllowed) {
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c == u'\t') continue;
    if ((c == u'\n' || c == u'\r') && lineBreaksAllowed) continue;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      if (c == u'\n' || c == u'\r')
        return QStringLiteral("Zeilenumbruch in einem einzeiligen Feld");
      return QStringLiteral("Unzulässiges Steuerzeichen U+%1")
          .arg(QString::number(int(c), 16).rightJustified(4, u'0').toUpper());
    }
  }
  return {};
}

std::optional<QDate> exchangeDate(const QString& text, bool isoOnly) {
  const QString t = text.trimmed();
  if (isoOnly && (t.size() != 10 || t[4] != u'-' || t[7] != u'-')) return std::nullopt;
  const auto d = engine::parseGermanDate(t);
  if (!d || d->year() < kMinYear || d->year() > kMaxYear) return std::nullopt;
  return d;
}

QByteArray writeExchange(const ExchangeFile& file, bool compact) {
  QJsonObject top;
  top.insert(QStringLiteral("format"), QString::fromUtf16(kFormatName));
  top.insert(QStringLiteral("version"), QStringLiteral("%1.%2").arg(file.major).arg(file.minor));
  QJsonObject by{{QStringLiteral("program"), file.program}};
  putText(by, QStringLiteral("stock"), file.stock);
  top.insert(QStringLiteral("exportedBy"), by);
  if (file.created.isValid())
    top.insert(QStringLiteral("exportedAt"), file.created.toUTC().toString(Qt::ISODate));
  QJsonArray breeds;
  for (const ExBreed& b : file.breeds) {
    QJsonObject o{{QStringLiteral("code"), b.code}, {QStringLiteral("name"), b.name}};
    putText(o, QStringLiteral("group"), b.group);
    breeds.append(o);
  }
  top.insert(QStringLiteral("breeds"), breeds);
  QJsonArray animals;
  for (const ExAnimal& a : file.animals) animals.append(animalJson(a));
  top.insert(QStringLiteral("animals"), animals);
  QJsonArray addresses;
  for (const ExAddress& a : file.addresses) addresses.append(addressJson(a));
  if (!addresses.isEmpty()) top.insert(QStringLiteral("addresses"), addresses);
  return QJsonDocument(top).toJson(compact ? QJsonDocument::Compact : QJsonDocument::Indented);
}

ReadResult readExchange(const QByteArray& bytes) {
  ReadResult result;
  if (bytes.size() > kMaxFileSize) {
    result.error = QStringLiteral("Die Datei ist zu groß (mehr als %1 MB).").arg(kMaxFileSize / (1024 * 1024));
    return result;
  }
  try {
    result.file = readDocument(bytes);
  } catch (const ReadError& e) {
    result.error = e.message;
  }
  return result;
}

ReadResult readExchangeFile(const QString& path) {
  ReadResult result;
  const QFileInfo info(path);
  if (!info.isFile()) {
    result.error = QStringLiteral("Die Datei \"%1\" gibt es nicht.").arg(path);
    return result;
  }
  if (info.size() > kMaxFileSize) {
    result.error = QStringLiteral("Die Datei \"%1\" ist zu groß (mehr als %2 MB).")
                       .arg(info.fileName())
                       .arg(kMaxFileSize / (1024 * 1024));
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2").arg(path, file.errorString());
    return result;
  }
  return readExchange(file.readAll());
}

std::optional<std::vector<int>> parentsFirstOrder(const ExchangeFile& file, QString* error) {
  const int n = static_cast<int>(file.animals.size());
  QHash<QString, int> index;
  index.reserve(n);
  for (int i = 0; i < n; ++i) index.insert(file.animals[i].id, i);
  // Depth-first walk towards the parents; an animal met again while still on the walk closes a loop.
  std::vector<char> state(n, 0);  // 0 new, 1 on the walk, 2 done
  std::vector<int> order;
  order.reserve(n);
  std::vector<std::pair<int, int>> stack;  // animal, next parent slot (0 sire, 1 dam, 2 done)
  for (int root = 0; root < n; ++root) {
    if (state[root]) continue;
    stack.push_back({root, 0});
    state[root] = 1;
    while (!stack.empty()) {
      auto& [i, slot] = stack.back();
      if (slot == 2) {
        state[i] = 2;
        order.push_back(i);
        stack.pop_back();
        continue;
      }
      const QString& parentId = slot == 0 ? file.animals[i].sireId : file.animals[i].damId;
      ++slot;
      const auto it = index.constFind(parentId);
      if (parentId.isEmpty() || it == index.constEnd()) continue;
      const int p = *it;
      if (state[p] == 1) {
        if (error)
          *error = QStringLiteral("Die Abstammung bildet einen Kreis: \"%1\" ist sein eigener Vorfahr"
                                  " (an der Stelle animals[%2].parentage).")
                       .arg(file.animals[p].id)
                       .arg(i);
        return std::nullopt;
      }
      if (state[p] == 0) {
        state[p] = 1;
        stack.push_back({p, 0});
      }
    }
  }
  return order;
}

}  // namespace lapiro::exchange
