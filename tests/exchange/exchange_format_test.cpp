#include "exchange/exchange_format.h"
#include "exchange/passport.h"

#include "support/temp_dir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace lapiro::exchange;

namespace {

ExchangeFile sampleFile() {
  ExchangeFile f;
  f.program = QStringLiteral("Lapiro Manager test");
  f.created = QDateTime(QDate(2026, 3, 1), QTime(10, 30), Qt::UTC);
  f.breeds.push_back({QStringLiteral("DR"), QStringLiteral("Deutsche Riesen"), QStringLiteral("Große Rassen")});
  ExAddress z;
  z.id = QStringLiteral("a1");
  z.name = QStringLiteral("Müller");
  z.vorname = QStringLiteral("Jürgen");
  z.ort = QStringLiteral("Göttingen");
  z.hbnr = QStringLiteral("HB-7");
  f.addresses.push_back(z);
  ExAnimal father;
  father.id = QStringLiteral("t1");
  father.tatoRechts = QStringLiteral("H 12");
  father.tatoLinks = QStringLiteral("3.5.1");
  father.sex = QStringLiteral("1");
  father.breedCode = QStringLiteral("DR");
  father.colourName = QStringLiteral("grau");
  f.animals.push_back(father);
  ExAnimal child;
  child.id = QStringLiteral("t2");
  child.tatoRechts = QStringLiteral("H 12");
  child.tatoLinks = QStringLiteral("4.6.2");
  child.birthDate = QDate(2026, 4, 1);
  child.sex = QStringLiteral("2");
  child.breedCode = QStringLiteral("DR");
  child.geneticFormula = QStringLiteral("A1B1");
  child.litterSize = QStringLiteral("6");
  child.koernote = 93;
  child.name = QStringLiteral("Grete");
  child.info = QStringLiteral("ruhig, „zahm“");
  child.anomalies = QStringLiteral("keine");
  child.status = QStringLiteral("Zucht");
  child.sireId = QStringLiteral("t1");
  child.breederId = QStringLiteral("a1");
  ExShow s;
  s.date = QDate(2026, 11, 2);
  s.title = QStringLiteral("Kreisschau");
  s.weight = 6.5;
  s.scores[0] = 19.5;
  s.scores[6] = 9.5;
  child.shows.push_back(s);
  f.animals.push_back(child);
  return f;
}

// A minimal valid file with one animal whose members are replaced by `animal`.
QByteArray withAnimal(const QByteArray& animal, const QByteArray& head = R"("format":"lapiro-exchange","version":"1.0")") {
  return "{" + head + R"(,"breeds":[{"code":"DR","name":"Deutsche Riesen"}],"animals":[)" + animal + "]}";
}

}  // namespace

TEST(ExchangeFormat, WrittenFileReadsBackWithEveryField) {
  const ExchangeFile f = sampleFile();
  const ReadResult r = readExchange(writeExchange(f));
  ASSERT_TRUE(r.file) << r.error.toStdString();
  const ExchangeFile& g = *r.file;
  EXPECT_EQ(g.program, f.program);
  EXPECT_EQ(g.created, f.created);
  ASSERT_EQ(g.animals.size(), 2u);
  const ExAnimal& c = g.animals[1];
  EXPECT_EQ(c.tatoRechts, QStringLiteral("H 12"));
  EXPECT_EQ(c.tatoLinks, QStringLiteral("4.6.2"));
  EXPECT_EQ(c.birthDate, QDate(2026, 4, 1));
  EXPECT_EQ(c.sex, QStringLiteral("2"));
  EXPECT_EQ(g.animals[0].sex, QStringLiteral("1"));
  EXPECT_EQ(g.animals[0].colourName, QStringLiteral("grau"));
  EXPECT_EQ(c.koernote, 93);
  EXPECT_EQ(c.info, QStringLiteral("ruhig, „zahm“"));
  EXPECT_EQ(c.sireId, QStringLiteral("t1"));
  EXPECT_TRUE(c.damId.isEmpty());
  EXPECT_EQ(c.breederId, QStringLiteral("a1"));
  ASSERT_EQ(c.shows.size(), 1u);
  EXPECT_EQ(c.shows[0].scores[0], 19.5);
  EXPECT_FALSE(c.shows[0].scores[1].has_value());
  EXPECT_EQ(c.shows[0].scores[6], 9.5);
  ASSERT_EQ(g.addresses.size(), 1u);
  EXPECT_EQ(g.addresses[0].ort, QStringLiteral("Göttingen"));
  // Compact and indented forms carry the same content.
  EXPECT_EQ(writeExchange(*readExchange(writeExchange(f, true)).file), writeExchange(f));
}

TEST(ExchangeFormat, IdentifiersCarryTheirSchemeAndParentageIsTyped) {
  const QByteArray json = writeExchange(sampleFile(), true);
  EXPECT_TRUE(json.contains(R"({"id":"4.6.2","scheme":"tattoo-left"})")) << json.toStdString();
  EXPECT_TRUE(json.contains(R"({"animal":"t1","type":"Sire"})"));
  // Identifiers of schemes other programs use are accepted and left aside.
  const ReadResult r = readExchange(withAnimal(
      R"({"id":"x","sex":"Male","identifiers":[{"scheme":"eu-chip","id":"276000"},{"scheme":"tattoo-right","id":"A1"}]})"));
  ASSERT_TRUE(r.file) << r.error.toStdString();
  EXPECT_EQ(r.file->animals[0].tatoRechts, QStringLiteral("A1"));
}

TEST(ExchangeFormat, BadInputIsRefusedWithAMessageNamingThePlace) {
  const QByteArray ok = R"({"id":"t1","sex":"Male","identifiers":[{"scheme":"tattoo-right","id":"A"}]})";
  struct Case {
    const char* what;
    QByteArray bytes;
    const char* expected;  // part of the message
  };
  const Case cases[] = {
      {"invalid JSON", R"({"format": "lapiro-exchange", )", "kein gültiges JSON"},
      {"invalid JSON position", "{\n\n  \"format\" \"x\"}", "Zeile 3"},
      {"not an object", "[1,2]", "kein JSON-Objekt"},
      {"wrong format name", R"({"format":"other","version":"1.0","animals":[]})", "an der Stelle format"},
      {"newer major version", R"({"format":"lapiro-exchange","version":"2.0","animals":[]})", "neuere Formatversion 2.0"},
      {"missing animals", R"({"format":"lapiro-exchange","version":"1.0"})", "Pflichtangabe fehlt (an der Stelle animals)"},
      {"missing sex", withAnimal(R"({"id":"t1","identifiers":[]})"), "animals[0].sex"},
      {"unknown sex", withAnimal(R"({"id":"t1","sex":"m","identifiers":[]})"), "Unbekanntes Geschlecht"},
      {"impossible date", withAnimal(R"({"id":"t1","sex":"Male","identifiers":[],"birthDate":"2025-02-30"})"),
       "Unmögliches Datum \"2025-02-30\" (an der Stelle animals[0].birthDate)"},
      {"unknown breed", withAnimal(R"({"id":"t1","sex":"Male","identifiers":[],"breed":"XY"})"),
       "Unbekannter Rassecode \"XY\" (an der Stelle animals[0].breed)"},
      {"duplicate id", withAnimal(ok + "," + ok), "Kennung \"t1\" ist doppelt"},
      {"same animal twice",
       withAnimal(ok + R"(,{"id":"t2","sex":"Male","identifiers":[{"scheme":"tattoo-right","id":"A"}]})"),
       "steht zweimal in der Datei"},
      {"parent not in file",
       withAnimal(R"({"id":"t1","sex":"Male","identifiers":[],"parentage":[{"type":"Sire","animal":"t9"}]})"),
       "\"t9\" ist nicht in der Datei (an der Stelle animals[0].parentage)"},
      {"doe as sire",
       withAnimal(R"({"id":"t1","sex":"Female","identifiers":[]},{"id":"t2","sex":"Male","identifiers":[],"parentage":[{"type":"Sire","animal":"t1"}]})"),
       "kein Rammler"},
      {"parent loop",
       withAnimal(R"({"id":"t1","sex":"Male","identifiers":[],"parentage":[{"type":"Dam","animal":"t3"}]},)"
                  R"({"id":"t2","sex":"Female","identifiers":[],"parentage":[{"type":"Sire","animal":"t1"}]},)"
                  R"({"id":"t3","sex":"Female","identifiers":[],"parentage":[{"type":"Dam","animal":"t2"}]})"),
       "Kreis"},
      {"own parent", withAnimal(R"({"id":"t1","sex":"Male","identifiers":[],"parentage":[{"type":"Sire","animal":"t1"}]})"),
       "sein eigenes Elternteil"},
      {"text too long", withAnimal(R"({"id":"t1","sex":"Male","identifiers":[{"scheme":"tattoo-right","id":"123456789"}]})"),
       "länger als 8 Zeichen (an der Stelle animals[0].identifiers[0].id)"},
      {"wrong type", withAnimal(R"({"id":"t1","sex":"Male","identifiers":[],"koernote":"gut"})"),
       "Zahl erwartet (an der Stelle animals[0].koernote)"},
      {"deep nesting", QByteArray(5000, '[') + QByteArray(5000, ']'), "zu tief verschachtelt"},
  };
  for (const Case& c : cases) {
    const ReadResult r = readExchange(c.bytes);
    EXPECT_FALSE(r.file) << c.what;
    EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.expected))) << c.what << ": " << r.error.toStdString();
  }
}

TEST(ExchangeFormat, OversizedFileIsRefusedWithoutBeingRead) {
  lapiro::test::TempDir dir;
  const QString path = dir.file(QStringLiteral("gross.json"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(f.resize(kMaxFileSize + 1));  // sparse: costs no disk
  f.close();
  const ReadResult r = readExchangeFile(path);
  EXPECT_FALSE(r.file);
  EXPECT_TRUE(r.error.contains(QStringLiteral("zu groß"))) << r.error.toStdString();
}

TEST(ExchangeFormat, ParentsComeBeforeTheirYoung) {
  ExchangeFile f = sampleFile();
  std::swap(f.animals[0], f.animals[1]);  // the child first in the file
  const auto order = parentsFirstOrder(f);
  ASSERT_TRUE(order);
  EXPECT_EQ(*order, (std::vector<int>{1, 0}));
}

// Hostile texts, dates and numbers: refused with their place, whether from a file or a QR code.
TEST(ExchangeFormat, ControlCharactersOutOfRangeDatesAndHugeMarksAreRefused) {
  const QByteArray animal = R"({"id":"t1","sex":"Male","identifiers":[{"scheme":"tattoo-right","id":"A"}]})";
  struct Case {
    const char* what;
    QByteArray members;
    const char* expected;  // part of the message, empty when the file is accepted
  };
  const Case cases[] = {
      {"NUL in a tattoo", R"(,"identifiers":[{"scheme":"tattoo-left","id":"N\u0000X"}])",
       "Steuerzeichen U+0000 (an der Stelle animals[0].identifiers[0].id)"},
      {"escape in a name", R"(,"name":"Gr\u001bete")", "Steuerzeichen U+001B (an der Stelle animals[0].name)"},
      {"C1 control in a formula", R"(,"geneticFormula":"A\u0085B")", "Steuerzeichen U+0085"},
      // The ends of both control ranges, and the first characters after them.
      {"unit separator", R"(,"name":"A\u001fB")", "Steuerzeichen U+001F"},
      {"delete", R"(,"name":"A\u007fB")", "Steuerzeichen U+007F"},
      {"last C1 control", R"(,"name":"A\u009fB")", "Steuerzeichen U+009F"},
      {"space and no-break space", R"(,"name":"A \u00a0B~")", ""},
      {"line break in a name", R"(,"name":"Gre\nte")", "Zeilenumbruch in einem einzeiligen Feld (an der Stelle animals[0].name)"},
      {"line break in notes", R"(,"features":{"notes":"ruhig\r\nzahm","anomalies":"a\tb"})", ""},
      {"tab in a name", R"(,"name":"Gre\tte")", ""},
      {"NUL in notes", R"(,"features":{"notes":"a\u0000b"})", "an der Stelle animals[0].features.notes"},
      {"year 22", R"(,"birthDate":"0022-01-01")", "Unmögliches Datum \"0022-01-01\""},
      {"year 9999", R"(,"birthDate":"9999-12-31")", "Unmögliches Datum \"9999-12-31\""},
      {"German date form", R"(,"birthDate":"01.03.2025")", "Unmögliches Datum"},
      {"first day of 1900", R"(,"birthDate":"1900-01-01")", ""},
      {"koernote 1e300", R"(,"koernote":1e300)", "Ganze Zahl erwartet (an der Stelle animals[0].koernote)"},
      {"koernote 1e71", R"(,"koernote":-1e71)", "Ganze Zahl erwartet"},
      {"koernote fraction", R"(,"koernote":93.5)", "Ganze Zahl erwartet"},
      {"koernote in range", R"(,"koernote":2000000000)", ""},
  };
  for (const Case& c : cases) {
    QByteArray a = animal;
    // Later members replace the earlier ones of the same name.
    a.insert(a.size() - 1, c.members);
    const ReadResult r = readExchange(withAnimal(a));
    if (*c.expected == 0) {
      EXPECT_TRUE(r.file) << c.what << ": " << r.error.toStdString();
    } else {
      EXPECT_FALSE(r.file) << c.what;
      EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.expected))) << c.what << ": " << r.error.toStdString();
    }
  }
  // A NUL in a QR payload is refused like one in a file.
  const QByteArray payload = qCompress(
      R"({"format":"lapiro-exchange","version":"1.0","passport":{"breeds":[],"slots":[[0,"N\u0000X","1.2.3","2024-01-01","1"]]}})");
  const PassportRead p = readPassportPayload(payload);
  EXPECT_FALSE(p.file);
  EXPECT_TRUE(p.error.contains(QStringLiteral("Steuerzeichen U+0000"))) << p.error.toStdString();
}

TEST(ExchangeFormat, ThePassportStatusNamesNoDateItDoesNotHave) {
  ExchangeFile f = sampleFile();
  EXPECT_EQ(originText(f), QStringLiteral("Lapiro Manager test am %1")
                               .arg(f.created.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"))));
  f.program = QStringLiteral("Abstammungspass");
  f.created = {};
  EXPECT_EQ(originText(f), QStringLiteral("Abstammungspass"));
}

// ------------------------------------------------------------------ limits and places

namespace {

// `node` with the member at `path` ("animals[0].identifiers[1].id") set to `value`.
QJsonValue setAt(const QJsonValue& node, const QString& path, const QJsonValue& value) {
  if (path.isEmpty()) return value;
  if (path.startsWith(u'[')) {
    const int close = int(path.indexOf(u']'));
    const int i = path.mid(1, close - 1).toInt();
    QString rest = path.mid(close + 1);
    if (rest.startsWith(u'.')) rest.remove(0, 1);
    QJsonArray a = node.toArray();
    a[i] = setAt(a.at(i), rest, value);
    return a;
  }
  int end = 0;
  while (end < path.size() && path[end] != u'.' && path[end] != u'[') ++end;
  QString rest = path.mid(end);
  if (rest.startsWith(u'.')) rest.remove(0, 1);
  QJsonObject o = node.toObject();
  o.insert(path.left(end), setAt(o.value(path.left(end)), rest, value));
  return o;
}

// A valid file in which every text field of the format is filled.
QJsonObject fullDocument() {
  return QJsonDocument::fromJson(R"({"format":"lapiro-exchange","version":"1.1",
    "exportedBy":{"program":"Lapiro Manager","stock":"4f2a"},
    "breeds":[{"code":"DR","name":"Deutsche Riesen","group":"Große Rassen"}],
    "addresses":[{"id":"a1","name":"Müller","firstName":"Jürgen","street":"Weg 1","postcode":"37073",
                  "place":"Göttingen","country":"D","phone":"0551 1","email":"m@example.org","clubMark":"H 12",
                  "herdBookNumber":"HB-7"}],
    "animals":[{"id":"t1","sex":"Female","identifiers":[{"scheme":"tattoo-right","id":"H 12"},
                                                        {"scheme":"tattoo-left","id":"3.5.1"}],
                "breed":"DR","colour":{"name":"grau","code":"g"},"geneticFormula":"A1B1","genotype":"A a",
                "litterSize":"6","name":"Grete","features":{"notes":"ruhig","anomalies":"keine"},"status":"Zucht",
                "parentage":[{"type":"Sire","animal":"t2"}],"breeder":"a1","owner":"a1",
                "shows":[{"date":"2026-11-02","title":"Kreisschau","place":"Halle 1","prize":"E","remark":"gut"}]},
               {"id":"t2","sex":"Male","identifiers":[]}]})")
      .object();
}

ReadResult readWith(const QString& path, const QJsonValue& value) {
  return readExchange(QJsonDocument(setAt(fullDocument(), path, value).toObject()).toJson(QJsonDocument::Compact));
}

// The animal of withAnimal() with `members` added (later members replace earlier ones).
QByteArray animalWith(const QByteArray& members) {
  QByteArray a = R"({"id":"t1","sex":"Male","identifiers":[{"scheme":"tattoo-right","id":"A"}]})";
  a.insert(a.size() - 1, members);
  return withAnimal(a);
}

ExAnimal plainAnimal(const char* id, const char* sex, const char* sire = "", const char* dam = "") {
  ExAnimal a;
  a.id = QString::fromUtf8(id);
  a.sex = QString::fromUtf8(sex);
  a.sireId = QString::fromUtf8(sire);
  a.damId = QString::fromUtf8(dam);
  return a;
}

}  // namespace

TEST(ExchangeFormat, EveryTextIsReadUpToItsLengthAndRefusedBeyond) {
  ASSERT_TRUE(readExchange(QJsonDocument(fullDocument()).toJson()).file);
  const std::pair<const char*, int> limits[] = {
      {"exportedBy.program", 200},         {"exportedBy.stock", 64},
      {"breeds[0].code", 9},               {"breeds[0].name", 25},
      {"breeds[0].group", 25},             {"addresses[0].id", 40},
      {"addresses[0].name", 40},           {"addresses[0].firstName", 40},
      {"addresses[0].street", 50},         {"addresses[0].postcode", 8},
      {"addresses[0].place", 50},          {"addresses[0].country", 20},
      {"addresses[0].phone", 20},          {"addresses[0].email", 40},
      {"addresses[0].clubMark", 10},       {"addresses[0].herdBookNumber", 20},
      {"animals[0].id", 40},               {"animals[0].identifiers[0].id", 8},
      {"animals[0].identifiers[1].id", 10}, {"animals[0].breed", 9},
      {"animals[0].colour.name", 25},      {"animals[0].colour.code", 9},
      {"animals[0].geneticFormula", 40},   {"animals[0].genotype", 80},
      {"animals[0].litterSize", 10},       {"animals[0].name", 20},
      {"animals[0].features.notes", 100000}, {"animals[0].features.anomalies", 100000},
      {"animals[0].status", 25},           {"animals[0].parentage[0].animal", 40},
      {"animals[0].breeder", 40},          {"animals[0].owner", 40},
      {"animals[0].shows[0].title", 40},   {"animals[0].shows[0].place", 40},
      {"animals[0].shows[0].prize", 20},   {"animals[0].shows[0].remark", 4000},
      {"animals[0].sex", 4000},  // any other text
  };
  for (const auto& [path, limit] : limits) {
    const QString where = QString::fromUtf8(path);
    // At the limit the text is no reason to refuse (a code or id may still be unknown).
    const ReadResult at = readWith(where, QString(limit, u'x'));
    EXPECT_FALSE(at.error.contains(QStringLiteral("länger als"))) << path << ": " << at.error.toStdString();
    const ReadResult beyond = readWith(where, QString(limit + 1, u'x'));
    EXPECT_FALSE(beyond.file) << path;
    EXPECT_EQ(beyond.error, QStringLiteral("Text länger als %1 Zeichen (an der Stelle %2).").arg(limit).arg(where));
  }
  // Fields whose value refers to nothing else are read in full at the limit.
  const ReadResult name = readWith(QStringLiteral("animals[0].name"), QString(20, u'x'));
  ASSERT_TRUE(name.file) << name.error.toStdString();
  EXPECT_EQ(name.file->animals[0].name, QString(20, u'x'));
}

// A value of JSON null is "not given" like a missing member; what is required must be there
// and not blank, and every member must have its type.
TEST(ExchangeFormat, NullIsNotGivenAndRequiredMembersMustHaveAValueOfTheirType) {
  struct Case {
    const char* what;
    QByteArray bytes;
    const char* error;  // the whole message, empty when the file is accepted
  };
  const Case cases[] = {
      {"null name", animalWith(R"(,"name":null)"), ""},
      {"empty name", animalWith(R"(,"name":"")"), ""},
      {"null colour", animalWith(R"(,"colour":null)"), ""},
      {"null features", animalWith(R"(,"features":null)"), ""},
      {"null mark", animalWith(R"(,"koernote":null)"), ""},
      {"null shows", animalWith(R"(,"shows":null)"), ""},
      {"null parentage", animalWith(R"(,"parentage":null)"), ""},
      {"null birth date", animalWith(R"(,"birthDate":null)"), ""},
      {"show without weight", animalWith(R"(,"shows":[{"title":"Kreisschau"}])"), ""},
      {"null breeds and exporter",
       R"({"format":"lapiro-exchange","version":"1.0","exportedBy":null,"breeds":null,"addresses":null,"animals":[]})", ""},
      {"missing sex", withAnimal(R"({"id":"t1","identifiers":[]})"), "Pflichtangabe fehlt (an der Stelle animals[0].sex)."},
      {"null sex", animalWith(R"(,"sex":null)"), "Pflichtangabe fehlt (an der Stelle animals[0].sex)."},
      {"blank sex", animalWith(R"(,"sex":"  ")"), "Pflichtangabe ist leer (an der Stelle animals[0].sex)."},
      {"null animals", R"({"format":"lapiro-exchange","version":"1.0","animals":null})",
       "Pflichtangabe fehlt (an der Stelle animals)."},
      {"sex as number", animalWith(R"(,"sex":1)"), "Text erwartet (an der Stelle animals[0].sex)."},
      {"colour as text", animalWith(R"(,"colour":"grau")"), "Objekt erwartet (an der Stelle animals[0].colour)."},
      {"shows as object", animalWith(R"(,"shows":{})"), "Liste erwartet (an der Stelle animals[0].shows)."},
      {"show as text", animalWith(R"(,"shows":["Kreisschau"])"), "Objekt erwartet (an der Stelle animals[0].shows[0])."},
      {"weight as text", animalWith(R"(,"shows":[{"weight":"6,5"}])"),
       "Zahl erwartet (an der Stelle animals[0].shows[0].weight)."},
      {"score as text", animalWith(R"(,"shows":[{"scores":[1,"2"]}])"),
       "Zahl erwartet (an der Stelle animals[0].shows[0].scores[1])."},
      {"seven scores", animalWith(R"(,"shows":[{"scores":[1,2,3,4,5,6,7]}])"), ""},
      {"eight scores", animalWith(R"(,"shows":[{"scores":[1,2,3,4,5,6,7,8]}])"),
       "Mehr als 7 Bewertungspositionen (an der Stelle animals[0].shows[0].scores)."},
      {"unknown parentage type", animalWith(R"(,"parentage":[{"type":"Father","animal":"t9"}])"),
       "Unbekannte Abstammungsart \"Father\" (erlaubt: Sire, Dam) (an der Stelle animals[0].parentage[0].type)."},
      {"two sires", withAnimal(R"({"id":"t2","sex":"Male","identifiers":[]},{"id":"t1","sex":"Male","identifiers":[],)"
                               R"("parentage":[{"type":"Sire","animal":"t2"},{"type":"Sire","animal":"t2"}]})"),
       "Elternteil doppelt angegeben (an der Stelle animals[1].parentage[1])."},
      {"breed code twice",
       R"({"format":"lapiro-exchange","version":"1.0","breeds":[{"code":"DR","name":"a"},{"code":"dr","name":"b"}],"animals":[]})",
       "Rassecode \"dr\" doppelt (an der Stelle breeds[1].code)."},
      {"address id twice",
       R"({"format":"lapiro-exchange","version":"1.0","addresses":[{"id":"a1","name":"A"},{"id":"a1","name":"B"}],"animals":[]})",
       "Die Kennung \"a1\" ist doppelt vergeben (an der Stelle addresses[1].id)."},
      {"bad time", R"({"format":"lapiro-exchange","version":"1.0","exportedAt":"gestern","animals":[]})",
       "Unmöglicher Zeitpunkt \"gestern\" (an der Stelle exportedAt)."},
  };
  for (const Case& c : cases) {
    const ReadResult r = readExchange(c.bytes);
    EXPECT_EQ(r.error, QString::fromUtf8(c.error)) << c.what;
    EXPECT_EQ(bool(r.file), *c.error == 0) << c.what;
  }
  // Seven scores are read into the seven positions; the remark after them stays intact.
  const ReadResult seven = readExchange(animalWith(R"(,"shows":[{"scores":[1,2,3,4,5,6,7],"remark":"gut"}])"));
  ASSERT_TRUE(seven.file);
  const ExShow& show = seven.file->animals[0].shows[0];
  for (int i = 0; i < 7; ++i) EXPECT_EQ(show.scores[i], i + 1.0);
  EXPECT_EQ(show.remark, QStringLiteral("gut"));
  EXPECT_FALSE(show.weight.has_value());
  EXPECT_TRUE(readExchange(animalWith(R"(,"name":"  ")")).file->animals[0].name.isEmpty());
}

TEST(ExchangeFormat, TheVersionIsMajorDotMinorAndOnlyANewerMajorIsRefused) {
  const auto version = [](const char* v) {
    return readExchange(QByteArray(R"({"format":"lapiro-exchange","version":")") + v + R"(","animals":[]})");
  };
  const ReadResult v10 = version("1.0");
  ASSERT_TRUE(v10.file) << v10.error.toStdString();
  EXPECT_EQ(v10.file->major, 1);
  EXPECT_EQ(v10.file->minor, 0);
  const ReadResult v17 = version("1.7");
  ASSERT_TRUE(v17.file) << v17.error.toStdString();
  EXPECT_EQ(v17.file->minor, 7);
  const ReadResult v05 = version("0.5");
  ASSERT_TRUE(v05.file) << v05.error.toStdString();
  EXPECT_EQ(v05.file->major, 0);
  for (const char* bad : {"x.1", "1.x", "1", "1.0.0", ""}) {
    const ReadResult r = version(bad);
    EXPECT_FALSE(r.file) << bad;
    if (*bad) {
      EXPECT_EQ(r.error, QStringLiteral("Ungültige Formatversion \"%1\" (an der Stelle version).").arg(QString::fromUtf8(bad)));
    }
  }
  EXPECT_EQ(version("2.0").error,
            QStringLiteral("Die Datei hat die neuere Formatversion 2.0; dieses Programm liest Version 1.x (an der Stelle version)."));
}

// Nesting is counted on brackets and braces outside strings; the message names the line and
// column where the limit is passed.
TEST(ExchangeFormat, NestingIsCountedOutsideStringsAndRefusedWhereItPassesTheLimit) {
  const auto deep = [](const QByteArray& bytes) { return readExchange(bytes).error.contains(QStringLiteral("verschachtelt")); };
  EXPECT_FALSE(deep(QByteArray(16, '[') + QByteArray(16, ']')));
  EXPECT_EQ(readExchange(QByteArray(17, '[') + QByteArray(17, ']')).error,
            QStringLiteral("Die Datei ist zu tief verschachtelt (mehr als 16 Ebenen) in Zeile 1, Spalte 17."));
  EXPECT_EQ(readExchange("{\"a\":\n  " + QByteArray(16, '[') + QByteArray(16, ']') + "}").error,
            QStringLiteral("Die Datei ist zu tief verschachtelt (mehr als 16 Ebenen) in Zeile 2, Spalte 18."));
  // Objects count like arrays, also with blanks between.
  EXPECT_TRUE(deep(QByteArray("{\"a\":").repeated(17) + "1" + QByteArray(17, '}')));
  EXPECT_TRUE(deep(QByteArray("[ ").repeated(17) + QByteArray(" ]").repeated(17)));
  // Closed arrays and objects give their level back.
  EXPECT_FALSE(deep(QByteArray(15, '[') + QByteArray("[],").repeated(20) + "[]" + QByteArray(15, ']')));
  EXPECT_FALSE(deep(QByteArray(15, '[') + QByteArray("{},").repeated(20) + "{}" + QByteArray(15, ']')));
  // Brackets inside strings are text, also after an escaped quote; an escaped backslash ends
  // no string.
  EXPECT_FALSE(deep("{\"a\":\"" + QByteArray(20, '[') + "\"}"));
  EXPECT_FALSE(deep("{\"a\":\"\\\"" + QByteArray(20, '[') + "\"}"));
  EXPECT_TRUE(deep("{\"a\":\"x\\\\\",\"b\":" + QByteArray(17, '[') + QByteArray(17, ']') + "}"));
  EXPECT_TRUE(deep("{\"a\":\"x\",\"b\":" + QByteArray(17, '[') + QByteArray(17, ']') + "}"));
}

TEST(ExchangeFormat, ASyntaxErrorNamesItsLineAndColumn) {
  EXPECT_TRUE(readExchange("{\n\n  \"format\" \"x\"}").error.endsWith(QStringLiteral(" in Zeile 3, Spalte 13.")))
      << readExchange("{\n\n  \"format\" \"x\"}").error.toStdString();
  EXPECT_TRUE(readExchange(R"({"a":[1,2,})").error.endsWith(QStringLiteral(" in Zeile 1, Spalte 12.")))
      << readExchange(R"({"a":[1,2,})").error.toStdString();
}

TEST(ExchangeFormat, ColoursAndFeaturesGivenInPartAreWrittenAndReadBack) {
  ExchangeFile f;
  ExAnimal a = plainAnimal("t1", "1");
  a.colourCode = QStringLiteral("g");
  a.info = QStringLiteral("ruhig");
  ExAnimal b = plainAnimal("t2", "2");
  b.anomalies = QStringLiteral("Zahnfehler");
  f.animals = {a, b};
  const ReadResult r = readExchange(writeExchange(f));
  ASSERT_TRUE(r.file) << r.error.toStdString();
  EXPECT_EQ(r.file->animals[0].colourCode, QStringLiteral("g"));
  EXPECT_EQ(r.file->animals[0].info, QStringLiteral("ruhig"));
  EXPECT_TRUE(r.file->animals[0].anomalies.isEmpty());
  EXPECT_EQ(r.file->animals[1].anomalies, QStringLiteral("Zahnfehler"));
  EXPECT_TRUE(r.file->animals[1].info.isEmpty());
}

// Who is who: the animals a file names must be in it with the right sex, the addresses too,
// and the same tattoos and birth date may not stand twice.
TEST(ExchangeFormat, ReferencesAndTwinsAreCheckedForEveryAnimal) {
  const QByteArray tattooed = R"("identifiers":[{"scheme":"tattoo-right","id":"H 1"},{"scheme":"tattoo-left","id":"3.5"}])";
  const QByteArray leftOnly = R"("identifiers":[{"scheme":"tattoo-left","id":"3.5"}])";
  struct Case {
    const char* what;
    QByteArray animals;
    const char* error;
  };
  const Case cases[] = {
      {"buck as dam", R"({"id":"t1","sex":"Female","identifiers":[],"parentage":[{"type":"Dam","animal":"t2"}]},)"
                      R"({"id":"t2","sex":"Male","identifiers":[]})",
       "Die Mutter \"t2\" ist keine Häsin (an der Stelle animals[0].parentage)."},
      {"doe as sire of the first", R"({"id":"t1","sex":"Female","identifiers":[],"parentage":[{"type":"Sire","animal":"t2"}]},)"
                                   R"({"id":"t2","sex":"Female","identifiers":[]})",
       "Der Vater \"t2\" ist kein Rammler (an der Stelle animals[0].parentage)."},
      {"doe as dam", R"({"id":"t1","sex":"Female","identifiers":[],"parentage":[{"type":"Dam","animal":"t2"}]},)"
                     R"({"id":"t2","sex":"Female","identifiers":[]})",
       ""},
      {"same tattoos twice", "{\"id\":\"t1\",\"sex\":\"Male\"," + tattooed + "},{\"id\":\"t2\",\"sex\":\"Male\"," + tattooed + "}",
       "Das Tier \"H 1  3.5\" steht zweimal in der Datei (auch an der Stelle animals[0]) (an der Stelle animals[1])."},
      {"same left tattoo twice", "{\"id\":\"t1\",\"sex\":\"Male\"," + leftOnly + "},{\"id\":\"t2\",\"sex\":\"Male\"," + leftOnly + "}",
       "Das Tier \"  3.5\" steht zweimal in der Datei (auch an der Stelle animals[0]) (an der Stelle animals[1])."},
      {"same tattoos, other birth days",
       "{\"id\":\"t1\",\"sex\":\"Male\",\"birthDate\":\"2025-01-01\"," + tattooed + "},{\"id\":\"t2\",\"sex\":\"Male\"," + tattooed + "}",
       ""},
  };
  for (const Case& c : cases) {
    const ReadResult r = readExchange(withAnimal(c.animals));
    EXPECT_EQ(r.error, QString::fromUtf8(c.error)) << c.what;
    EXPECT_EQ(bool(r.file), *c.error == 0) << c.what;
  }
  // Breeder and owner name an address of the file.
  ExchangeFile f = sampleFile();
  f.animals[1].ownerId = QStringLiteral("a1");
  const ReadResult owned = readExchange(writeExchange(f));
  ASSERT_TRUE(owned.file) << owned.error.toStdString();
  EXPECT_EQ(owned.file->animals[1].ownerId, QStringLiteral("a1"));
  f.animals[1].ownerId = QStringLiteral("a9");
  EXPECT_EQ(readExchange(writeExchange(f)).error, QStringLiteral("Unbekannte Adresse \"a9\" (an der Stelle animals[1].owner)."));
  f.animals[1].ownerId.clear();
  f.animals[1].breederId = QStringLiteral("a9");
  EXPECT_EQ(readExchange(writeExchange(f)).error, QStringLiteral("Unbekannte Adresse \"a9\" (an der Stelle animals[1].breeder)."));
}

TEST(ExchangeFormat, ParentsComeBeforeTheirYoungOverGenerationsAndLoopsAreFoundAnywhere) {
  // Every parent before its young, every animal once.
  const auto parentsFirst = [](const ExchangeFile& f, const std::vector<int>& order) {
    std::vector<int> position(f.animals.size(), -1);
    for (int k = 0; k < int(order.size()); ++k) position[order[k]] = k;
    for (int i = 0; i < int(f.animals.size()); ++i) {
      if (position[i] < 0) return false;
      for (const QString& parent : {f.animals[i].sireId, f.animals[i].damId})
        for (int p = 0; p < int(f.animals.size()); ++p)
          if (!parent.isEmpty() && f.animals[p].id == parent && position[p] > position[i]) return false;
    }
    return order.size() == f.animals.size();
  };
  ExchangeFile dam;
  dam.animals = {plainAnimal("c", "2", "", "d"), plainAnimal("d", "2")};
  EXPECT_EQ(parentsFirstOrder(dam), (std::vector<int>{1, 0}));
  ExchangeFile generations;
  generations.animals = {plainAnimal("c", "2", "s"), plainAnimal("s", "1", "g"), plainAnimal("g", "1")};
  EXPECT_EQ(parentsFirstOrder(generations), (std::vector<int>{2, 1, 0}));
  ExchangeFile litter;  // two young of the same parents, the parents last
  litter.animals = {plainAnimal("c1", "1", "s", "d"), plainAnimal("c2", "2", "s", "d"), plainAnimal("s", "1"),
                    plainAnimal("d", "2")};
  const auto litterOrder = parentsFirstOrder(litter);
  ASSERT_TRUE(litterOrder);
  EXPECT_TRUE(parentsFirst(litter, *litterOrder));
  ExchangeFile stranger;  // a parent the file does not hold is no obstacle
  stranger.animals = {plainAnimal("c", "2", "zz"), plainAnimal("x", "1")};
  EXPECT_EQ(parentsFirstOrder(stranger), (std::vector<int>{0, 1}));

  // A loop that the first animal only leads into.
  ExchangeFile loop;
  loop.animals = {plainAnimal("x", "2", "a"), plainAnimal("a", "1", "", "b"), plainAnimal("b", "2", "a")};
  QString error;
  EXPECT_FALSE(parentsFirstOrder(loop, &error));
  EXPECT_EQ(error, QStringLiteral("Die Abstammung bildet einen Kreis: \"a\" ist sein eigener Vorfahr (an der Stelle "
                                  "animals[2].parentage)."));
  // A loop through the first animal is named by the animal the walk started from.
  ExchangeFile rootLoop;
  rootLoop.animals = {plainAnimal("t1", "1", "", "t3"), plainAnimal("t2", "2", "t1"), plainAnimal("t3", "2", "", "t2")};
  EXPECT_FALSE(parentsFirstOrder(rootLoop, &error));
  EXPECT_EQ(error, QStringLiteral("Die Abstammung bildet einen Kreis: \"t1\" ist sein eigener Vorfahr (an der Stelle "
                                  "animals[1].parentage)."));
}

TEST(ExchangeFormat, DatesOfImportsLieBetween1900And2999) {
  const std::tuple<const char*, bool, QDate> cases[] = {
      {"1899-12-31", true, {}},
      {"1900-01-01", true, QDate(1900, 1, 1)},
      {"2999-12-31", true, QDate(2999, 12, 31)},
      {"3000-01-01", true, {}},
      {" 2025-03-01 ", true, QDate(2025, 3, 1)},
      {"2025-02-29", true, {}},
      {"01.03.2025", true, {}},
      {"01.03.2025", false, QDate(2025, 3, 1)},
      {"31.12.2999", false, QDate(2999, 12, 31)},
      {"1.1.1900", false, QDate(1900, 1, 1)},
      {"31.12.1899", false, {}},
  };
  for (const auto& [text, isoOnly, expected] : cases)
    EXPECT_EQ(exchangeDate(QString::fromUtf8(text), isoOnly).value_or(QDate()), expected) << text << " " << isoOnly;
  // A carriage return is a line break too.
  EXPECT_EQ(forbiddenControl(QStringLiteral("a\rb"), false), QStringLiteral("Zeilenumbruch in einem einzeiligen Feld"));
  EXPECT_EQ(forbiddenControl(QStringLiteral("a\r\nb"), true), QString());
  EXPECT_EQ(forbiddenControl(QStringLiteral("a\x01"), true), QStringLiteral("Unzulässiges Steuerzeichen U+0001"));
}

TEST(ExchangeFormat, TheStockIdentityIsADigestOfTheNormalisedOwnAddress) {
  // SHA-256 of "MÜLLER␟JÜRGEN␟WEG 1␟37073␟GÖTTINGEN␟" (␟ the unit separator), its first 32 hex digits.
  const QString expected = QStringLiteral("23a0850fbfb27b4a700d2f30269f7547");
  EXPECT_EQ(stockIdentity(QStringLiteral("Müller"), QStringLiteral("Jürgen"), QStringLiteral("Weg 1"), QStringLiteral("37073"),
                          QStringLiteral("Göttingen")),
            expected);
  EXPECT_EQ(stockIdentity(QStringLiteral(" müller "), QStringLiteral("JÜRGEN"), QStringLiteral("Weg   1"),
                          QStringLiteral("37073"), QStringLiteral("göttingen ")),
            expected);
  EXPECT_TRUE(stockIdentity(QStringLiteral("  "), QStringLiteral("Jürgen"), {}, {}, {}).isEmpty());
  EXPECT_EQ(addressKey(QStringLiteral(" Müller"), QStringLiteral("jürgen"), QStringLiteral("Weg  1"), QStringLiteral("Göttingen")),
            QStringLiteral("MÜLLER\x1fJÜRGEN\x1fWEG 1\x1fGÖTTINGEN"));
}

// The size limit on both sides: a file of exactly the limit is read, one byte more is not.
TEST(ExchangeFormat, AFileOfExactlyTheLimitIsReadAndOneByteMoreIsRefused) {
  lapiro::test::TempDir dir;
  const QString path = dir.file(QStringLiteral("grenze.json"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(kMaxFileSize));  // sparse, NUL bytes: read, then refused as JSON
  }
  const ReadResult atLimit = readExchangeFile(path);
  EXPECT_FALSE(atLimit.file);
  EXPECT_TRUE(atLimit.error.startsWith(QStringLiteral("Die Datei ist kein gültiges JSON"))) << atLimit.error.toStdString();
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(kMaxFileSize + 1));
  }
  EXPECT_EQ(readExchangeFile(path).error, QStringLiteral("Die Datei \"grenze.json\" ist zu groß (mehr als 256 MB)."));
  EXPECT_EQ(readExchange(QByteArray(kMaxFileSize + 1, ' ')).error, QStringLiteral("Die Datei ist zu groß (mehr als 256 MB)."));
  EXPECT_EQ(readExchangeFile(dir.file(QStringLiteral("fehlt.json"))).error,
            QStringLiteral("Die Datei \"%1\" gibt es nicht.").arg(dir.file(QStringLiteral("fehlt.json"))));
}
