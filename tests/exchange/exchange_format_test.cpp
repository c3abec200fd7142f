#include "exchange/exchange_format.h"
#include "exchange/passport.h"

#include "support/temp_dir.h"

#include <QFile>

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
