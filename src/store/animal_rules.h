// The animal record rules that do not depend on the data module's state: tattoo handling,
// the birth date read from the left tattoo, the display values of an animal and the filter
// of a buck's covered does. The rule hooks of TDatenStamm that act on its cursors are
// declared in data_module.h and implemented in data_module_rules.cpp on top of these functions.
//
// Everything here is pure: no dialogs, no cursors moved.
#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace lapiro::engine {
class DataSet;
}

namespace lapiro::store {

// The breed group whose animals have wool performance records.
inline constexpr char16_t kLanghaarrassen[] = u"Langhaarrassen";

// The three parts of a left tattoo "month.year.number": the text before the first ".", the
// text between the first and the second ".", and the rest. A missing part is empty.
struct TattooParts {
  QString month;
  QString year;
  QString number;
};
TattooParts splitLeftTattoo(const QString& tatoLinks);

// The birth date that a left tattoo implies: the first day of its month and year, with the
// century taken from `today`:
//   - month: the digits before the first "."; the year part (one or two digits) follows it
//     and must itself be followed by a second ".";
//   - month 0 stands for the end of the year before the year part: month 11 when `today` is
//     in November, else 12, and the year part counts one year back (0 → 9, 00 → 99);
//   - a year part y of two digits gets the century of `today` when y is not above today's
//     last two digits, else the century before; a one-digit y likewise with today's decade.
// So read in 2006: "3.5.12" → 1.3.2005, "3.8.12" → 1.3.1998, "4.15.2" → 1.4.1915; in
// December 2006 "0.6.4" → 1.12.2005. Returns nullopt, never throws, for a tattoo without a
// second ".", a non-numeric part or an impossible date ("13.5.1").
std::optional<QDate> birthDateFromTattoo(const QString& tatoLinks, const QDate& today);

// The earliest year a birth date may have; earlier years are typing slips ("20.02.0025").
inline constexpr int kEarliestBirthYear = 1900;
// The message that refuses a birth date before kEarliestBirthYear for the box captioned
// `label`; empty for an empty or acceptable date.
QString birthDateRefusal(const QDate& date, const QString& label);

// Right tattoo, two blanks, left tattoo (the animal's calculated Name, card caption).
QString tattooDisplay(const QString& rechts, const QString& links);
// Right tattoo, one blank, left tattoo (recently-shown list, doe lookup of the litter book).
QString tattooShortDisplay(const QString& rechts, const QString& links);

// "Vorname Name", or the name alone when the first name is empty.
QString personDisplay(const QString& vorname, const QString& name);
// `person`, then ", " + street when the street is present, then ", " + postcode + " " +
// place when either of them is present (the blank stays when the postcode is empty).
QString addressDisplay(const QString& person, const QString& street, const QString& plz, const QString& ort);

// Sex codes: "1" is a buck, every other value a doe.
bool isBuck(const QString& geschlecht);
QString genderDisplay(const QString& geschlecht);       // "Rammler 1.0" / "Häsin 0.1"
QString genderDisplayShort(const QString& geschlecht);  // "1.0" / "0.1"

bool isLonghairGroup(const QString& rassegruppe);

// The filter of the cursor GedeckteHaesinnen for the buck `nummer`: this year's litters of the
// buck (Wurftag from 1 January of `year`) with at least three reared young.
QString coveredDoesFilter(qint64 nummer, int year);

// The own user (the single record of eigen.DB) as far as the animal's owner display needs it.
struct OwnUser {
  QString name;
  QString vorname;
  QString strasse;
  QString plz;
  QString ort;
};

// The calculated fields of a cursor on Hasen that carries the lookup fields of the animal
// card (see TDatenStamm): Name, VaterAnzeige, MutterAnzeige, ZuechterAnzeige,
// ZuechterAnzeigeAdresse, BesitzerAnzeige, BesitzerAnzeigeAdresse, GeschlechtAnzeige,
// GeschlechtAnzeige2. An animal of status 1 shows `own` as its owner. Must be called from
// the data set's calculation hook (the only time calculated fields may be set).
void computeAnimalDisplayFields(engine::DataSet& hasen, const OwnUser& own);

}  // namespace lapiro::store
