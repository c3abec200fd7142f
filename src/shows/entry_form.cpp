#include "shows/entry_form.h"

#include "engine/cursor.h"
#include "engine/engine.h"
#include "shows/show_input.h"
#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace lapiro::shows {

using engine::Cursor;
using engine::FieldType;
using engine::Money;

namespace {

const QString kMeldebogen = QStringLiteral("Meldebogen");
const QString kScratch = QStringLiteral("RasseFarbeTMP");
constexpr int kMsgFileExists = 132;

engine::TableDef savedFormLayout() {
  using F = engine::FieldDef;
  engine::TableDef def;
  def.fields = {F{QStringLiteral("Verein_Geschl"), FieldType::Alpha, 20},
                F{QStringLiteral("Name_TaetoR"), FieldType::Alpha, 80},
                F{QStringLiteral("Nummer_TaetoL"), FieldType::Alpha, 20},
                F{QStringLiteral("Ausstellung"), FieldType::Alpha, 50},
                F{QStringLiteral("Datum"), FieldType::Date, 0},
                F{QStringLiteral("Rasse_Jungtier"), FieldType::Long, 0},
                F{QStringLiteral("Farbe_EZT"), FieldType::Long, 0},
                F{QStringLiteral("Kosten_Preis"), FieldType::Money, 0},
                F{QStringLiteral("Futter"), FieldType::Money, 0},
                F{QStringLiteral("ZGAnz_ZG1"), FieldType::Long, 0},
                F{QStringLiteral("proZG"), FieldType::Money, 0},
                F{QStringLiteral("SZANZ_ZG2"), FieldType::Long, 0},
                F{QStringLiteral("SZproTier"), FieldType::Money, 0},
                F{QStringLiteral("FBAnz_ZG3"), FieldType::Long, 0},
                F{QStringLiteral("proFB"), FieldType::Money, 0},
                F{QStringLiteral("Text"), FieldType::Alpha, 100},
                F{QStringLiteral("TextBetrag"), FieldType::Money, 0},
                F{QStringLiteral("ESA"), FieldType::Money, 0},
                F{QStringLiteral("ESJ"), FieldType::Money, 0},
                F{QStringLiteral("Porto"), FieldType::Money, 0},
                F{QStringLiteral("Katalog"), FieldType::Money, 0},
                F{QStringLiteral("Karte"), FieldType::Money, 0}};
  return def;
}

// Field access that tolerates fields an older file lacks.
struct Reader {
  Cursor& c;
  QString text(const QString& name) const {
    const auto f = c.findField(name);
    return f ? f->asString() : QString();
  }
  qint64 integer(const QString& name) const {
    const auto f = c.findField(name);
    return f ? f->asInteger() : 0;
  }
  std::optional<Money> money(const QString& name) const {
    const auto f = c.findField(name);
    if (!f || f->isNull()) return std::nullopt;
    return f->asMoney();
  }
  Money amount(const QString& name) const { return money(name).value_or(Money()); }
  bool flag(const QString& name) const {
    const auto f = c.findField(name);
    return f && !f->isNull() && f->asInteger() == 1;
  }
};

void setMoney(Cursor& c, const QString& name, const std::optional<Money>& m) {
  if (m)
    c.field(name).setMoney(*m);
  else
    c.field(name).clear();
}

// Closes a cursor on leaving a scope, also when an exception passes.
struct CloseGuard {
  Cursor& c;
  ~CloseGuard() {
    try {
      if (c.isOpen()) {
        if (c.isEditing()) c.cancel();
        c.close();
      }
    } catch (...) {
    }
  }
};

}  // namespace

// ------------------------------------------------------------------ the form

int EntryForm::animalCount() const {
  int n = 0;
  for (const EntryLine& l : lines)
    if (l.hasAnimal()) ++n;
  return n;
}

Money times(Money amount, qint64 count) { return Money::fromUnits(amount.units() * count); }

void EntryForm::recomputeFees() {
  const int n = animalCount();
  header.unkosten = times(header.unkostenTier, n);
  header.futter = times(header.futterTier, n);
}

Money EntryForm::zgGesamt() const { return times(header.zgBetrag, header.zgZuschlag); }
Money EntryForm::sonderzGesamt() const { return times(header.sonderzTier, header.sonderz); }
Money EntryForm::futterbecherGesamt() const { return times(header.futterbecherTier, header.futterbecher); }

Money EntryForm::summe() const {
  const EntryHeader& h = header;
  return h.unkosten + h.futter + h.porto + h.katalog + h.karte + h.spendeAlt + h.spendeJung + zgGesamt() +
         sonderzGesamt() + futterbecherGesamt() + h.freitextBetrag;
}

int EntryForm::fillFirstEmptyLine(const QString& rechts, const QString& links, const QString& geschlechtCode) {
  for (int i = 0; i < kEntryLines; ++i) {
    EntryLine& l = lines[i];
    if (l.taetoRechts.trimmed().isEmpty() && l.taetoLinks.trimmed().isEmpty()) {
      l.taetoRechts = rechts.left(8);
      l.taetoLinks = links.left(10);
      l.geschlecht = geschlechtCode.trimmed() == QLatin1String("1") ? QStringLiteral("M") : QStringLiteral("W");
      return i;
    }
  }
  return -1;
}

const QStringList& showKinds() {
  static const QStringList kinds{QStringLiteral("Allgemeine Tierschau"),
                                 QStringLiteral("Bundesschau"),
                                 QStringLiteral("Eigene Bewertung"),
                                 QStringLiteral("Gemeinschaftsschau auf örtlicher Basis"),
                                 QStringLiteral("Gemeinschaftsschau auf überörtlicher Grundlage"),
                                 QStringLiteral("Herdbuchschau"),
                                 QStringLiteral("Herdbuch-Vergleichsschau"),
                                 QStringLiteral("Kleintierschau"),
                                 QStringLiteral("Klubschau"),
                                 QStringLiteral("Klub-Vergleichsschau"),
                                 QStringLiteral("Körung vom Herdbuch"),
                                 QStringLiteral("Kreisschau"),
                                 QStringLiteral("Landesschau"),
                                 QStringLiteral("Ortsschau"),
                                 QStringLiteral("Pokalschau"),
                                 QStringLiteral("Verkaufsschau"),
                                 QString()};
  return kinds;
}

QString suggestedEntryFileName(const QString& ausstellung, const QDate& showDate, const QDate& today) {
  const QDate d = showDate.isValid() ? showDate : today;
  QString kind = ausstellung;
  if (kind == QStringLiteral("Gemeinschaftsschau auf örtlicher Basis"))
    kind = QStringLiteral("Gemeinschaftsschau örtlich");
  else if (kind == QStringLiteral("Gemeinschaftsschau auf überörtlicher Grundlage"))
    kind = QStringLiteral("Gemeinschaftsschau überörtlich");
  return QStringLiteral("%1_%2_%3 %4").arg(d.year()).arg(d.month()).arg(d.day()).arg(kind).trimmed();
}

QString entryFilePath(const QString& chosenPath) {
  QString p = chosenPath.trimmed();
  if (!p.endsWith(QLatin1String(".mel"), Qt::CaseInsensitive)) p += QStringLiteral(".mel");
  return QFileInfo(p).absoluteFilePath();
}

bool isProtectedDataFile(const QString& path, const QString& dataDirectory) {
  if (dataDirectory.isEmpty()) return false;
  const QFileInfo target(path);
  const QString dir = QDir(target.absolutePath()).canonicalPath();
  const QString data = QDir(dataDirectory).canonicalPath();
  if (dir.isEmpty() || data.isEmpty() || dir != data) return false;
  if (store::findTable(target.fileName())) return true;
  return target.suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) == 0;
}

// ------------------------------------------------------------------ files

void saveEntryForm(engine::Engine& engine, const QString& path, const EntryForm& form, bool* dateRefused) {
  if (dateRefused) *dateRefused = false;
  const QFileInfo target(path);
  // Written complete into a temporary folder beside the target, then moved over it: a failed
  // save leaves an older form of that name as it was.
  QTemporaryDir work(target.absolutePath() + QStringLiteral("/.Meldebogen-XXXXXX"));
  if (!work.isValid())
    throw engine::EngineError(engine::EngineError::Kind::General,
                              QStringLiteral("Der Meldebogen kann in %1 nicht gespeichert werden.")
                                  .arg(QDir::toNativeSeparators(target.absolutePath())));
  const QString temp = work.filePath(target.fileName());
  engine.createTable(temp, savedFormLayout());
  {
    Cursor c(engine, QStringLiteral("Meldebogendatei"));
    c.setTableName(temp);
    c.open();
    CloseGuard guard{c};
    const EntryHeader& h = form.header;
    c.append();
    c.field(QStringLiteral("Verein_Geschl")).setValue(h.verein);
    c.field(QStringLiteral("Name_TaetoR")).setValue(h.von);
    c.field(QStringLiteral("Nummer_TaetoL")).setValue(h.nummer);
    c.field(QStringLiteral("Ausstellung")).setValue(h.ausstellung);
    const TypedDate date = readTypedDate(h.datumText, QStringLiteral("Datum"));
    if (date.date.isValid()) c.field(QStringLiteral("Datum")).setDate(date.date);
    if (!date.accepted() && dateRefused) *dateRefused = true;
    c.field(QStringLiteral("Rasse_Jungtier")).setInteger(h.rasse);
    c.field(QStringLiteral("Farbe_EZT")).setInteger(h.farbe);
    c.field(QStringLiteral("Kosten_Preis")).setMoney(h.unkostenTier);
    c.field(QStringLiteral("Futter")).setMoney(h.futterTier);
    c.field(QStringLiteral("ZGAnz_ZG1")).setInteger(h.zgZuschlag);
    c.field(QStringLiteral("proZG")).setMoney(h.zgBetrag);
    c.field(QStringLiteral("SZANZ_ZG2")).setInteger(h.sonderz);
    c.field(QStringLiteral("SZproTier")).setMoney(h.sonderzTier);
    c.field(QStringLiteral("FBAnz_ZG3")).setInteger(h.futterbecher);
    c.field(QStringLiteral("proFB")).setMoney(h.futterbecherTier);
    c.field(QStringLiteral("Text")).setValue(h.freitext);
    c.field(QStringLiteral("TextBetrag")).setMoney(h.freitextBetrag);
    c.field(QStringLiteral("ESA")).setMoney(h.spendeAlt);
    c.field(QStringLiteral("ESJ")).setMoney(h.spendeJung);
    c.field(QStringLiteral("Porto")).setMoney(h.porto);
    c.field(QStringLiteral("Katalog")).setMoney(h.katalog);
    c.field(QStringLiteral("Karte")).setMoney(h.karte);
    c.post();

    // Lines keep their places: everything up to the last filled line, gaps as empty rows.
    int last = -1;
    for (int i = 0; i < kEntryLines; ++i)
      if (form.lines[i].hasAnimal()) last = i;
    for (int i = 0; i <= last; ++i) {
      const EntryLine& l = form.lines[i];
      c.append();
      c.field(QStringLiteral("Verein_Geschl")).setValue(l.geschlecht);
      c.field(QStringLiteral("Name_TaetoR")).setValue(l.taetoRechts);
      c.field(QStringLiteral("Nummer_TaetoL")).setValue(l.taetoLinks);
      c.field(QStringLiteral("Rasse_Jungtier")).setInteger(l.jungtier ? 1 : 0);
      c.field(QStringLiteral("Farbe_EZT")).setInteger(l.ezt ? 1 : 0);
      setMoney(c, QStringLiteral("Kosten_Preis"), l.verkaufspreis);
      c.field(QStringLiteral("ZGAnz_ZG1")).setInteger(l.zg1 ? 1 : 0);
      c.field(QStringLiteral("SZANZ_ZG2")).setInteger(l.zg2 ? 1 : 0);
      c.field(QStringLiteral("FBAnz_ZG3")).setInteger(l.zg3 ? 1 : 0);
      c.post();
    }
  }
  QFile::remove(path);
  if (!QFile::rename(temp, path))
    throw engine::EngineError(engine::EngineError::Kind::General,
                              QStringLiteral("Der Meldebogen %1 kann nicht geschrieben werden.")
                                  .arg(QDir::toNativeSeparators(path)));
}

std::optional<EntryForm> loadEntryForm(engine::Engine& engine, const QString& path) {
  Cursor c(engine, QStringLiteral("Meldebogendatei"));
  c.setTableName(QFileInfo(path).absoluteFilePath());
  c.setReadOnly(true);
  c.open();
  CloseGuard guard{c};
  c.first();
  if (!c.hasRecord()) return std::nullopt;
  const Reader r{c};
  EntryForm form;
  EntryHeader& h = form.header;
  h.verein = r.text(QStringLiteral("Verein_Geschl"));
  h.von = r.text(QStringLiteral("Name_TaetoR"));
  h.nummer = r.text(QStringLiteral("Nummer_TaetoL"));
  h.ausstellung = r.text(QStringLiteral("Ausstellung"));
  h.datumText = r.text(QStringLiteral("Datum"));
  h.rasse = r.integer(QStringLiteral("Rasse_Jungtier"));
  h.farbe = r.integer(QStringLiteral("Farbe_EZT"));
  h.unkostenTier = r.amount(QStringLiteral("Kosten_Preis"));
  h.futterTier = r.amount(QStringLiteral("Futter"));
  h.zgZuschlag = r.integer(QStringLiteral("ZGAnz_ZG1"));
  h.zgBetrag = r.amount(QStringLiteral("proZG"));
  h.sonderz = r.integer(QStringLiteral("SZANZ_ZG2"));
  h.sonderzTier = r.amount(QStringLiteral("SZproTier"));
  h.futterbecher = r.integer(QStringLiteral("FBAnz_ZG3"));
  h.futterbecherTier = r.amount(QStringLiteral("proFB"));
  h.freitext = r.text(QStringLiteral("Text"));
  h.freitextBetrag = r.amount(QStringLiteral("TextBetrag"));
  h.spendeAlt = r.amount(QStringLiteral("ESA"));
  h.spendeJung = r.amount(QStringLiteral("ESJ"));
  h.porto = r.amount(QStringLiteral("Porto"));
  h.katalog = r.amount(QStringLiteral("Katalog"));
  h.karte = r.amount(QStringLiteral("Karte"));
  for (int i = 0; i < kEntryLines; ++i) {
    c.next();
    if (c.eof()) break;
    EntryLine& l = form.lines[i];
    l.geschlecht = r.text(QStringLiteral("Verein_Geschl")).left(1);
    l.taetoRechts = r.text(QStringLiteral("Name_TaetoR")).left(8);
    l.taetoLinks = r.text(QStringLiteral("Nummer_TaetoL")).left(10);
    l.jungtier = r.flag(QStringLiteral("Rasse_Jungtier"));
    l.ezt = r.flag(QStringLiteral("Farbe_EZT"));
    l.zg1 = r.flag(QStringLiteral("ZGAnz_ZG1"));
    l.zg2 = r.flag(QStringLiteral("SZANZ_ZG2"));
    l.zg3 = r.flag(QStringLiteral("FBAnz_ZG3"));
    l.verkaufspreis = r.money(QStringLiteral("Kosten_Preis"));
  }
  form.recomputeFees();
  return form;
}

QString saveEntryFormAs(engine::Engine& engine, const QString& chosenPath, const QString& dataDirectory,
                        const EntryForm& form) {
  const QString path = entryFilePath(chosenPath);
  if (isProtectedDataFile(path, dataDirectory)) {
    store::dialogs().error(QStringLiteral("Unter dem Namen %1 liegt eine Tabelle des Datenbestands. "
                                          "Bitte wählen Sie einen anderen Namen für den Meldebogen.")
                               .arg(QFileInfo(path).fileName()));
    return {};
  }
  if (QFileInfo::exists(path) &&
      store::dialogs().show(store::DialogKind::Information, store::messageText(kMsgFileExists),
                            store::DialogButtons::YesNo) != store::DialogAnswer::Yes)
    return {};
  bool dateRefused = false;
  try {
    saveEntryForm(engine, path, form, &dateRefused);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return {};
  }
  if (dateRefused)
    store::dialogs().warn(QStringLiteral("»%1« ist kein gültiges Datum. Der Meldebogen wurde ohne Datum der "
                                         "Ausstellung gespeichert.")
                              .arg(form.header.datumText.trimmed()));
  return path;
}

// ------------------------------------------------------------------ the window's tables

void EntryFormTables::reset(qint64 rasse) {
  {
    Cursor m(engine_, kMeldebogen);
    m.setTableName(kMeldebogen);
    m.setIndexFieldNames(QStringLiteral("Nummer"));
    m.open();
    CloseGuard guard{m};
    // The 12 lines numbered 1 to 12, each once; any other state is rebuilt from scratch.
    std::array<int, kEntryLines> seen{};
    bool stray = false;
    for (m.first(); m.hasRecord() && !m.eof(); m.next()) {
      const double n = m.field(QStringLiteral("Nummer")).asFloat();
      const int i = static_cast<int>(n) - 1;
      if (n != static_cast<double>(i + 1) || i < 0 || i >= kEntryLines)
        stray = true;
      else
        ++seen[i];
    }
    bool complete = !stray;
    for (int count : seen) complete = complete && count == 1;
    if (!complete) {
      m.emptyTable();
      for (int i = 0; i < kEntryLines; ++i) {
        m.append();
        m.field(QStringLiteral("Nummer")).setFloat(i + 1);
        m.post();
      }
    }
  }
  for (int i = 0; i < kEntryLines; ++i) writeLine(i, EntryLine{});

  if (engine_.tableExists(kScratch)) engine_.deleteTable(kScratch);
  const store::CatalogueTable* t = store::findTable(kScratch);
  engine_.createTable(kScratch, t ? store::currentLayout(*t) : engine::TableDef{});
  EntryHeader h;
  h.rasse = rasse;
  Cursor s(engine_, kScratch);
  s.setTableName(kScratch);
  s.open();
  CloseGuard guard{s};
  s.append();
  s.post();
  writeFees(h);
}

EntryForm EntryFormTables::read() {
  EntryForm form;
  {
    Cursor m(engine_, kMeldebogen);
    m.setTableName(kMeldebogen);
    m.setReadOnly(true);
    m.setIndexFieldNames(QStringLiteral("Nummer"));
    m.open();
    CloseGuard guard{m};
    const Reader r{m};
    for (m.first(); m.hasRecord() && !m.eof(); m.next()) {
      const int i = static_cast<int>(m.field(QStringLiteral("Nummer")).asFloat()) - 1;
      if (i < 0 || i >= kEntryLines) continue;
      EntryLine& l = form.lines[i];
      l.taetoRechts = r.text(QStringLiteral("TaetoRechts"));
      l.taetoLinks = r.text(QStringLiteral("TaetoLinks"));
      l.geschlecht = r.text(QStringLiteral("Geschlecht"));
      l.jungtier = m.field(QStringLiteral("Jungtier")).asBool();
      l.zg1 = m.field(QStringLiteral("ZG1")).asBool();
      l.zg2 = m.field(QStringLiteral("ZG2")).asBool();
      l.zg3 = m.field(QStringLiteral("ZG3")).asBool();
      l.ezt = m.field(QStringLiteral("EZT")).asBool();
      l.verkaufspreis = r.money(QStringLiteral("Verkaufspreis"));
    }
  }
  Cursor s(engine_, kScratch);
  s.setTableName(kScratch);
  s.setReadOnly(true);
  s.open();
  CloseGuard guard{s};
  s.first();
  if (s.hasRecord()) {
    const Reader r{s};
    EntryHeader& h = form.header;
    h.rasse = r.integer(QStringLiteral("Rasse"));
    h.farbe = r.integer(QStringLiteral("Farbe"));
    h.unkostenTier = r.amount(QStringLiteral("UnkostenTier"));
    h.futterTier = r.amount(QStringLiteral("FutterTier"));
    h.porto = r.amount(QStringLiteral("Porto"));
    h.katalog = r.amount(QStringLiteral("Katalog"));
    h.karte = r.amount(QStringLiteral("Karte"));
    h.spendeAlt = r.amount(QStringLiteral("SpendeAlt"));
    h.spendeJung = r.amount(QStringLiteral("SpendeJung"));
    h.unkosten = r.amount(QStringLiteral("Unkosten"));
    h.futter = r.amount(QStringLiteral("Futter"));
    h.zgZuschlag = r.integer(QStringLiteral("ZGZuschlag"));
    h.zgBetrag = r.amount(QStringLiteral("ZGBetrag"));
    h.sonderz = r.integer(QStringLiteral("Sonderz"));
    h.sonderzTier = r.amount(QStringLiteral("SonderzTier"));
    h.futterbecher = r.integer(QStringLiteral("Futterbecher"));
    h.futterbecherTier = r.amount(QStringLiteral("FutterbecherTier"));
    h.freitext = r.text(QStringLiteral("Freitext"));
    h.freitextBetrag = r.amount(QStringLiteral("FreitextBetrag"));
  }
  return form;
}

void EntryFormTables::writeLine(int index, const EntryLine& line) {
  Cursor m(engine_, kMeldebogen);
  m.setTableName(kMeldebogen);
  m.setIndexFieldNames(QStringLiteral("Nummer"));
  m.open();
  CloseGuard guard{m};
  if (!m.locate(QStringLiteral("Nummer"), {QVariant(double(index + 1))})) return;
  m.edit();
  m.field(QStringLiteral("TaetoRechts")).setValue(line.taetoRechts);
  m.field(QStringLiteral("TaetoLinks")).setValue(line.taetoLinks);
  m.field(QStringLiteral("Geschlecht")).setValue(line.geschlecht);
  m.field(QStringLiteral("Jungtier")).setBool(line.jungtier);
  m.field(QStringLiteral("ZG1")).setBool(line.zg1);
  m.field(QStringLiteral("ZG2")).setBool(line.zg2);
  m.field(QStringLiteral("ZG3")).setBool(line.zg3);
  m.field(QStringLiteral("EZT")).setBool(line.ezt);
  setMoney(m, QStringLiteral("Verkaufspreis"), line.verkaufspreis);
  m.post();
}

void EntryFormTables::writeFees(const EntryHeader& h) {
  Cursor s(engine_, kScratch);
  s.setTableName(kScratch);
  s.open();
  CloseGuard guard{s};
  s.first();
  if (s.hasRecord())
    s.edit();
  else
    s.append();
  s.field(QStringLiteral("Rasse")).setInteger(h.rasse);
  s.field(QStringLiteral("Farbe")).setInteger(h.farbe);
  s.field(QStringLiteral("UnkostenTier")).setMoney(h.unkostenTier);
  s.field(QStringLiteral("FutterTier")).setMoney(h.futterTier);
  s.field(QStringLiteral("Porto")).setMoney(h.porto);
  s.field(QStringLiteral("Katalog")).setMoney(h.katalog);
  s.field(QStringLiteral("Karte")).setMoney(h.karte);
  s.field(QStringLiteral("SpendeAlt")).setMoney(h.spendeAlt);
  s.field(QStringLiteral("SpendeJung")).setMoney(h.spendeJung);
  s.field(QStringLiteral("Unkosten")).setMoney(h.unkosten);
  s.field(QStringLiteral("Futter")).setMoney(h.futter);
  s.field(QStringLiteral("ZGZuschlag")).setInteger(h.zgZuschlag);
  s.field(QStringLiteral("ZGBetrag")).setMoney(h.zgBetrag);
  s.field(QStringLiteral("Sonderz")).setInteger(h.sonderz);
  s.field(QStringLiteral("SonderzTier")).setMoney(h.sonderzTier);
  s.field(QStringLiteral("Futterbecher")).setInteger(h.futterbecher);
  s.field(QStringLiteral("FutterbecherTier")).setMoney(h.futterbecherTier);
  s.field(QStringLiteral("Freitext")).setValue(h.freitext);
  s.field(QStringLiteral("FreitextBetrag")).setMoney(h.freitextBetrag);
  s.post();
}

void EntryFormTables::write(const EntryForm& form) {
  for (int i = 0; i < kEntryLines; ++i) writeLine(i, form.lines[i]);
  writeFees(form.header);
}

}  // namespace lapiro::shows
