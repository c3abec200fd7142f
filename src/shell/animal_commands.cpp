#include "shell/animal_commands.h"

#include "store/animal_dependants.h"
#include "store/animal_rules.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"

#include <QVariant>

namespace lapiro::shell {

using engine::Cursor;
using engine::DataSetState;
using engine::EngineError;

namespace {

// Message numbers of the catalogue.
enum Meldung { kNeuaufnahme = 14, kLoeschen = 15 };

bool onlyDigits(QStringView s) {
  if (s.isEmpty()) return false;
  for (QChar ch : s)
    if (ch < u'0' || ch > u'9') return false;
  return true;
}

// Decimal text plus one, without leading zeros. REQUIRES: onlyDigits(digits).
QString plusOne(QStringView digits) {
  qsizetype start = 0;
  while (start < digits.size() - 1 && digits[start] == u'0') ++start;
  QString result = digits.mid(start).toString();
  qsizetype i = result.size() - 1;
  while (i >= 0 && result[i] == u'9') result[i--] = u'0';
  if (i < 0)
    result.prepend(u'1');
  else
    result[i] = QChar(result[i].unicode() + 1);
  return result;
}

qint64 currentNummer(Cursor& hasen) {
  if (!hasen.hasRecord()) return 0;
  const engine::Field nummer = hasen.field(QStringLiteral("Nummer"));
  return nummer.isNull() ? 0 : nummer.asInteger();
}

// Saves the animal when it is being edited; an edit without changes is simply ended. Returns
// false when the record was not saved: a rule of "Hasen" stopped the save (it has said why, or
// the user declined the save question and the change is gone) or the engine refused (shown).
bool saveAnimal(Cursor& hasen) {
  if (!hasen.isEditing()) return true;
  if (hasen.state() == DataSetState::Edit && !hasen.modified()) {
    hasen.cancel();
    return true;
  }
  return store::guarded([&] { hasen.post(); });
}

// Saves the addition when it is being edited. Returns false when it was not saved (the
// engine's message shown, or a rule has said why).
bool saveAddition(Cursor& zusatz) {
  if (!zusatz.isOpen() || !zusatz.isEditing()) return true;
  return store::guarded([&] { zusatz.checkBrowseMode(); });
}

// Appends to "Hasen" after the animal the card showed is noted: appending does not pass the
// scroll rule that notes it otherwise, and the card's undo of the new record returns there.
bool appendAnimal(store::TDatenStamm& dm) {
  Cursor& hasen = dm.Hasen();
  const qint64 shown = currentNummer(hasen);
  // A detail's rule may keep its change (Abort); it has said why.
  if (!store::guarded([&] { hasen.append(); })) return false;
  if (store::TCardState* card = dm.card()) card->lastShownAnimal = shown;
  return true;
}

// A default from the settings; 0 or less means none. A value the field cannot hold is shown
// and leaves the field empty.
void setDefault(Cursor& hasen, const QString& field, int value) {
  if (value <= 0) return;
  try {
    hasen.field(field).setInteger(value);
  } catch (const EngineError& e) {
    store::dialogs().error(e.message());
  }
}

void markNewRecord(store::TCardState* card) {
  if (!card) return;
  card->setUndoButtonEnabled(true);
  card->newRecord = true;
}

QString notANumberText(const QString& tatoLinks) {
  return QStringLiteral(
             "Die laufende Nummer in der linken Tätowierung „%1“ ist keine Zahl; "
             "die Tätowierung wird unverändert übernommen.")
      .arg(tatoLinks);
}

QString tooLongText(const QString& tatoLinks, const QString& next, int size) {
  return QStringLiteral(
             "Die nächste linke Tätowierung „%1“ ist länger als %2 Zeichen; "
             "die Tätowierung „%3“ wird unverändert übernommen.")
      .arg(next)
      .arg(size)
      .arg(tatoLinks);
}

// The left tattoo for the copy of an animal with `tatoLinks`; a warning when the running
// number cannot be carried on.
QString leftTattooOfCopy(const QString& tatoLinks, int fieldSize) {
  const std::optional<QString> next = incrementLeftTattoo(tatoLinks);
  if (!next) {
    store::dialogs().warn(notANumberText(tatoLinks));
    return tatoLinks;
  }
  if (fieldSize > 0 && next->size() > fieldSize) {
    // The field would cut the number off and give another animal's tattoo.
    store::dialogs().warn(tooLongText(tatoLinks, *next, fieldSize));
    return tatoLinks;
  }
  return *next;
}

}  // namespace

std::optional<QString> incrementLeftTattoo(const QString& tatoLinks) {
  const QStringView head = QStringView(tatoLinks).left(qMax<qsizetype>(tatoLinks.size() - 1, 0));
  const qsizetype first = head.indexOf(u'.');
  const qsizetype second = first < 0 ? -1 : head.indexOf(u'.', first + 1);
  if (second < 0) return tatoLinks;
  const QStringView number = QStringView(tatoLinks).mid(second + 1);  // not empty: see head
  if (!onlyDigits(number)) return std::nullopt;
  return tatoLinks.left(second + 1) + plusOne(number);
}

bool newAnimal(store::TDatenStamm& dm, const tsysteminfo& settings, NewAnimalVariant variant) {
  Cursor& hasen = dm.Hasen();
  if (!hasen.isOpen()) return false;
  if (!saveAnimal(hasen) || !appendAnimal(dm)) return false;

  store::TCardState* card = dm.card();
  if (card) card->setCaption(store::messageText(kNeuaufnahme));
  setDefault(hasen, QStringLiteral("Rasse"), settings.Stammdaten.Rasse);
  if (variant == NewAnimalVariant::ToolBar) {
    setDefault(hasen, QStringLiteral("Farbe"), settings.Stammdaten.Farbe);
    setDefault(hasen, QStringLiteral("Status"), settings.Stammdaten.Status);
  } else {
    setDefault(hasen, QStringLiteral("Status"), 2);
  }
  if (card) card->clearAddressBoxes();
  markNewRecord(card);
  return true;
}

bool duplicateAnimal(store::TDatenStamm& dm) {
  Cursor& hasen = dm.Hasen();
  if (!hasen.isOpen() || !hasen.hasRecord()) return false;
  // The animal first: a new animal's save also saves the addition entered with it. Were the
  // addition saved first, the rules would hold it for an animal whose save may still fail.
  if (!saveAnimal(hasen) || !hasen.hasRecord()) return false;
  if (Cursor* zusatz = dm.cursor(QStringLiteral("HasenZusatz")); zusatz && !saveAddition(*zusatz))
    return false;

  // Copied in this order: Rasse empties Farbe, and Vater/Mutter may derive an Erbformel.
  static const QStringList copied{
      QStringLiteral("TatoRechts"), QStringLiteral("Geschlecht"), QStringLiteral("Rasse"),
      QStringLiteral("Farbe"),      QStringLiteral("Vater"),      QStringLiteral("Mutter"),
      QStringLiteral("Erbformel"),  QStringLiteral("Zuechter"),   QStringLiteral("Besitzer"),
      QStringLiteral("Status"),     QStringLiteral("Wurfgroesse")};
  QVariantList values;
  for (const QString& name : copied) values << hasen.field(name).value();
  const engine::Field links = hasen.field(QStringLiteral("TatoLinks"));
  const QString tatoLinks = links.asString();
  const int linksSize = links.size();
  const QDate geburtstag = hasen.field(QStringLiteral("Geburtstag")).asDate();

  if (!appendAnimal(dm)) return false;
  store::TCardState* card = dm.card();
  try {
    for (int i = 0; i < copied.size(); ++i) hasen.field(copied[i]).setValue(values[i]);
    if (geburtstag.isValid()) hasen.field(QStringLiteral("Geburtstag")).setDate(geburtstag);
    hasen.field(QStringLiteral("TatoLinks")).setString(leftTattooOfCopy(tatoLinks, linksSize));
    // "Nein" has discarded the copy and shows the animal found.
    if (dm.duplicateCheck()) return false;
  } catch (const engine::Abort&) {
    // A rule stopped a step and has said why; no half-filled record is left behind.
    if (hasen.state() == DataSetState::Insert) hasen.cancel();
    return false;
  } catch (const EngineError& e) {
    store::dialogs().error(e.message());
    if (hasen.state() == DataSetState::Insert) hasen.cancel();
    return false;
  }
  if (card) card->setCaption(store::messageText(kNeuaufnahme));
  markNewRecord(card);
  return true;
}

bool deleteAnimal(store::TDatenStamm& dm) {
  Cursor& hasen = dm.Hasen();
  if (!hasen.isOpen() || !hasen.hasRecord()) return false;
  // A stored animal that others refer to: the question says what will point to its number
  // (the references are kept). Otherwise the plain delete question.
  QString question;
  if (hasen.state() != DataSetState::Insert && !hasen.field(QStringLiteral("Nummer")).isNull()) {
    store::guarded([&] {
      question = store::deleteQuestion(store::isBuck(hasen.field(QStringLiteral("Geschlecht")).asString()),
                                       store::dependantsOf(hasen.engine(), hasen.field(QStringLiteral("Nummer")).asInteger()));
    });
  }
  if (!store::dialogs().askDelete(question.isEmpty() ? store::messageText(kLoeschen) : question)) return false;
  // A detail's rule may keep its change (Abort); it has said why.
  const bool done = store::guarded([&] {
    if (hasen.state() == DataSetState::Insert)
      hasen.cancel();  // never stored: nothing to delete
    else
      hasen.deleteRecord();
  });
  if (!done) return false;
  if (store::TCardState* card = dm.card()) {
    card->refreshAnimalList();
    card->updateDisplays();
    card->newRecord = false;
    card->listRefreshPending = false;
  }
  return true;
}

}  // namespace lapiro::shell
