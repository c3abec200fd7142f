#include "store/animal_rules.h"

#include "engine/dataset.h"

namespace lapiro::store {

namespace {

bool allDigits(const QString& s) {
  if (s.isEmpty()) return false;
  for (QChar ch : s)
    if (ch < u'0' || ch > u'9') return false;
  return true;
}

QString str(engine::DataSet& ds, const char16_t* field) { return ds.field(QString::fromUtf16(field)).asString(); }

void setStr(engine::DataSet& ds, const char16_t* field, const QString& value) {
  ds.field(QString::fromUtf16(field)).setString(value);
}

}  // namespace

TattooParts splitLeftTattoo(const QString& tatoLinks) {
  TattooParts parts;
  const int first = tatoLinks.indexOf(u'.');
  if (first < 0) {
    parts.month = tatoLinks;
    return parts;
  }
  parts.month = tatoLinks.left(first);
  const int second = tatoLinks.indexOf(u'.', first + 1);
  if (second < 0) {
    parts.year = tatoLinks.mid(first + 1);
    return parts;
  }
  parts.year = tatoLinks.mid(first + 1, second - first - 1);
  parts.number = tatoLinks.mid(second + 1);
  return parts;
}

std::optional<QDate> birthDateFromTattoo(const QString& tatoLinks, const QDate& today) {
  const int first = tatoLinks.indexOf(u'.');
  if (first < 0 || !today.isValid()) return std::nullopt;
  const QString monthText = tatoLinks.left(first);
  const QString rest = tatoLinks.mid(first + 1);
  // Only a tattoo with a second "." carries a year.
  if (!rest.contains(u'.')) return std::nullopt;
  if (!allDigits(monthText)) return std::nullopt;
  int month = monthText.toInt();

  QString yearText = rest.left(1);
  if (rest.size() > 1 && rest.at(1) != u'.') yearText += rest.at(1);
  if (!allDigits(yearText)) return std::nullopt;
  int y = yearText.toInt();

  if (month == 0) {
    // Month 0: the end of the year before the year part.
    month = today.month() == 11 ? 11 : 12;
    if (y > 0)
      --y;
    else
      y = yearText.size() == 2 ? 99 : 9;  // the year before year 0 (or 00) ends in 9 (or 99)
  }

  const int current = today.year();
  const int base = y >= 10 ? 100 : 10;  // two-digit year parts replace the last two digits
  const int c = current / base;
  const int z = current % base;
  const int year = (y <= z ? c : c - 1) * base + y;
  const QDate date(year, month, 1);
  if (!date.isValid()) return std::nullopt;
  return date;
}

QString birthDateRefusal(const QDate& date, const QString& label) {
  if (!date.isValid() || date.year() >= kEarliestBirthYear) return {};
  return QStringLiteral("»%1« ist kein gültiger Wert für das Feld %2. Ein Geburtstag muss im Jahr %3 oder später liegen.")
      .arg(date.toString(QStringLiteral("dd.MM.yyyy")), label, QString::number(kEarliestBirthYear));
}

QString tattooDisplay(const QString& rechts, const QString& links) { return rechts + QStringLiteral("  ") + links; }

QString tattooShortDisplay(const QString& rechts, const QString& links) { return rechts + u' ' + links; }

QString personDisplay(const QString& vorname, const QString& name) {
  return vorname.isEmpty() ? name : vorname + u' ' + name;
}

QString addressDisplay(const QString& person, const QString& street, const QString& plz, const QString& ort) {
  QString result = person;
  if (!street.isEmpty()) result += QStringLiteral(", ") + street;
  if (!plz.isEmpty() || !ort.isEmpty()) result += QStringLiteral(", ") + plz + u' ' + ort;
  return result;
}

bool isBuck(const QString& geschlecht) { return geschlecht == u"1"; }

QString genderDisplay(const QString& geschlecht) {
  return isBuck(geschlecht) ? QStringLiteral("Rammler 1.0") : QStringLiteral("Häsin 0.1");
}

QString genderDisplayShort(const QString& geschlecht) {
  return isBuck(geschlecht) ? QStringLiteral("1.0") : QStringLiteral("0.1");
}

bool isLonghairGroup(const QString& rassegruppe) { return rassegruppe == QStringView(kLanghaarrassen); }

QString coveredDoesFilter(qint64 nummer, int year) {
  return QStringLiteral("(Kater = ") + QString::number(nummer) + QStringLiteral(") and") +
         QStringLiteral("(Wurftag >= '") + QStringLiteral("01.01.") + QString::number(year) +
         QStringLiteral("')and") + QStringLiteral("(((WurfStMaennlich>=1)and(WurfStWeiblich>=2))or") +
         QStringLiteral("((WurfStMaennlich>=2)and(WurfStWeiblich>=1))or") + QStringLiteral("(WurfStWeiblich>=3)or") +
         QStringLiteral("(WurfStMaennlich>=3))");
}

void computeAnimalDisplayFields(engine::DataSet& h, const OwnUser& own) {
  setStr(h, u"Name", tattooDisplay(str(h, u"TatoRechts"), str(h, u"TatoLinks")));
  setStr(h, u"VaterAnzeige",
         h.field(QStringLiteral("Vater")).isNull() ? QString()
                                                   : tattooDisplay(str(h, u"VaterTatoRechts"), str(h, u"VaterTatoLinks")));
  setStr(h, u"MutterAnzeige",
         h.field(QStringLiteral("Mutter")).isNull()
             ? QString()
             : tattooDisplay(str(h, u"MutterTatoRechts"), str(h, u"MutterTatoLinks")));

  QString zuechter, zuechterAdresse;
  if (!h.field(QStringLiteral("Zuechter")).isNull()) {
    zuechter = personDisplay(str(h, u"ZuechterVorname"), str(h, u"ZuechterName"));
    zuechterAdresse = addressDisplay(zuechter, str(h, u"ZuechterStrasse"), str(h, u"ZuechterPLZ"), str(h, u"ZuechterOrt"));
  }
  setStr(h, u"ZuechterAnzeige", zuechter);
  setStr(h, u"ZuechterAnzeigeAdresse", zuechterAdresse);

  QString besitzer, besitzerAdresse;
  const engine::Field status = h.field(QStringLiteral("Status"));
  if (!status.isNull() && status.asInteger() == 1) {
    // The own stock belongs to the own user, whatever owner the record names.
    besitzer = personDisplay(own.vorname, own.name);
    besitzerAdresse = addressDisplay(besitzer, own.strasse, own.plz, own.ort);
  } else if (!h.field(QStringLiteral("Besitzer")).isNull()) {
    besitzer = personDisplay(str(h, u"BesitzerVorname"), str(h, u"BesitzerName"));
    besitzerAdresse = addressDisplay(besitzer, str(h, u"BesitzerStrasse"), str(h, u"BesitzerPLZ"), str(h, u"BesitzerOrt"));
  }
  setStr(h, u"BesitzerAnzeige", besitzer);
  setStr(h, u"BesitzerAnzeigeAdresse", besitzerAdresse);

  const QString geschlecht = str(h, u"Geschlecht");
  setStr(h, u"GeschlechtAnzeige", genderDisplay(geschlecht));
  setStr(h, u"GeschlechtAnzeige2", genderDisplayShort(geschlecht));
}

}  // namespace lapiro::store
