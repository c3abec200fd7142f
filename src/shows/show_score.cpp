#include "shows/show_score.h"

#include "core/number_input.h"
#include "engine/dataset.h"

namespace lapiro::shows {

bool isYoungAnimalTitle(const QString& title) { return title == youngAnimalTitle(); }
bool isOwnJudgingTitle(const QString& title) { return title == ownJudgingTitle(); }

const std::array<QString, 7>& positionFieldNames() {
  static const std::array<QString, 7> names{
      QStringLiteral("Gewicht1"), QStringLiteral("Koerper2"), QStringLiteral("Fell3"),
      QStringLiteral("Kopf4"),    QStringLiteral("Farbe5"),   QStringLiteral("Unterfarbe6"),
      QStringLiteral("Pflege7")};
  return names;
}

bool isPositionField(const QString& fieldName) {
  for (const QString& n : positionFieldNames())
    if (n.compare(fieldName, Qt::CaseInsensitive) == 0) return true;
  return false;
}

namespace {

std::optional<core::Points> optionalNumber(engine::DataSet& ds, const QString& name) {
  const int i = ds.fieldIndex(name);
  if (i < 0) return std::nullopt;
  const engine::Field f = ds.field(i);
  if (f.isNull()) return std::nullopt;
  return core::Points::fromDouble(f.asFloat());
}

QString text(engine::DataSet& ds, const QString& name) {
  const int i = ds.fieldIndex(name);
  return i < 0 ? QString() : ds.field(i).asString();
}

core::Points valueOr0(const std::optional<core::Points>& v) { return v.value_or(core::Points()); }

}  // namespace

ShowPoints showPointsOf(engine::DataSet& showRows) {
  ShowPoints p;
  p.titel = text(showRows, QStringLiteral("Titel"));
  const auto& names = positionFieldNames();
  for (std::size_t i = 0; i < names.size(); ++i) p.positions[i] = optionalNumber(showRows, names[i]);
  p.eigeneBewertung = optionalNumber(showRows, QStringLiteral("EigeneBewertung"));
  p.bewertJungtier = text(showRows, QStringLiteral("BewertJungtier"));
  return p;
}

core::Points positionSum(const ShowPoints& row) {
  core::Points sum;
  for (const auto& v : row.positions) sum += valueOr0(v);
  return sum;
}

bool hasNonZeroPosition(const ShowPoints& row) {
  for (const auto& v : row.positions)
    if (v && !v->isZero()) return true;
  return false;
}

std::optional<core::Points> showTotal(const ShowPoints& row) {
  if (isYoungAnimalTitle(row.titel)) return std::nullopt;
  if (row.eigeneBewertung && !row.eigeneBewertung->isZero()) return *row.eigeneBewertung;
  return positionSum(row);
}

QString gradeForTotal(core::Points total) {
  using core::Points;
  if (total >= Points::whole(97)) return QStringLiteral("vorzüglich");
  if (total >= Points::whole(96)) return QStringLiteral("hervorragend");
  if (total >= Points::whole(94)) return QStringLiteral("sehr gut");
  if (total >= Points::whole(92)) return QStringLiteral("gut");
  if (total >= Points::whole(90)) return QStringLiteral("befriedigend");
  return QStringLiteral("nicht befriedigend");
}

QString gradeForYoungAnimalCode(const QString& code) {
  if (code.isEmpty()) return {};
  static const QString veryGood[] = {QStringLiteral("8/3"), QStringLiteral("8/4"), QStringLiteral("8/5"),
                                     QStringLiteral("8/6"), QStringLiteral("8/7")};
  static const QString good[] = {QStringLiteral("6/2"), QStringLiteral("6/1"), QStringLiteral("6/0")};
  for (const QString& c : veryGood)
    if (code == c) return QStringLiteral("sehr gut");
  for (const QString& c : good)
    if (code == c) return QStringLiteral("gut");
  if (code == QLatin1String("4")) return QStringLiteral("befriedigend");
  if (code == QLatin1String("NB")) return QStringLiteral("nicht befriedigend");
  return {};
}

QString gradeText(const ShowPoints& row) {
  if (isYoungAnimalTitle(row.titel)) return gradeForYoungAnimalCode(row.bewertJungtier);
  return gradeForTotal(*showTotal(row));
}

QString formatPoints(core::Points value, QChar decimalSeparator) { return value.text(decimalSeparator); }

QString formatPoints(double value, QChar decimalSeparator) {
  return core::Points::fromDouble(value).text(decimalSeparator);
}

QString missingPoints(const ShowPoints& row, QChar decimalSeparator) {
  using P = ShowPoints;
  const auto& pos = row.positions;
  if (!pos[P::Gewicht1] && !pos[P::Fell3] && !pos[P::Kopf4] && !pos[P::Farbe5] && !pos[P::Unterfarbe6])
    return {};
  using core::Points;
  const Points body = Points::whole(20) - valueOr0(pos[P::Koerper2]);
  const Points fur = Points::whole(15) - valueOr0(pos[P::Fell3]);
  const Points group =
      Points::whole(40) - (valueOr0(pos[P::Kopf4]) + valueOr0(pos[P::Farbe5]) + valueOr0(pos[P::Unterfarbe6]));
  const QString slash = QStringLiteral("/");
  return formatPoints(body, decimalSeparator) + slash + formatPoints(fur, decimalSeparator) + slash +
         formatPoints(group, decimalSeparator);
}

QString displayPoints(const ShowPoints& row, QChar decimalSeparator) {
  const auto total = showTotal(row);
  const QString s = total ? formatPoints(*total, decimalSeparator) : row.bewertJungtier;
  return s.left(5);
}

std::optional<core::Points> parsePoints(const QString& text) {
  const core::NumberReading r = core::readTypedNumber(text);
  if (!r.isNumber() || r.number->negative || r.number->fraction.size() > 2 || r.number->whole.size() > 9)
    return std::nullopt;
  return core::Points::fromHundredths(*r.number->scaled(2));
}

bool acceptsCodeKey(QChar key, bool youngAnimalTitle) {
  if (key == QLatin1Char('\b')) return true;
  if (key >= QLatin1Char('0') && key <= QLatin1Char('9')) return true;
  if (youngAnimalTitle)
    return key == QLatin1Char('/') || key == QLatin1Char('B') || key == QLatin1Char('N');
  return key == QLatin1Char('.');
}

ShowScore scoreOf(const ShowPoints& row, QChar decimalSeparator) {
  ShowScore s;
  s.total = showTotal(row);
  s.display = displayPoints(row, decimalSeparator);
  s.grade = gradeText(row);
  s.missing = missingPoints(row, decimalSeparator);
  return s;
}

}  // namespace lapiro::shows
