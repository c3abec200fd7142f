#include "store/animal_dependants.h"

#include "engine/engine.h"
#include "engine/query.h"

#include <QStringList>

namespace lapiro::store {

namespace {

int count(engine::Engine& engine, const QString& table, const QString& where, qint64 nummer) {
  if (!engine.tableExists(table)) return 0;
  engine::Query q(engine, QStringLiteral("Abhaengige"));
  q.setSql(QStringLiteral("SELECT count(*) AS Anzahl FROM \"%1\" WHERE %2").arg(table, where));
  q.setParam(QStringLiteral("n"), nummer);
  q.open();
  return q.hasRecord() ? static_cast<int>(q.field(QStringLiteral("Anzahl")).asInteger()) : 0;
}

QString counted(int n, const char16_t* one, const char16_t* many) {
  return QString::number(n) + u' ' + QString::fromUtf16(n == 1 ? one : many);
}

}  // namespace

AnimalDependants dependantsOf(engine::Engine& engine, qint64 nummer) {
  AnimalDependants d;
  d.young = count(engine, QStringLiteral("Hasen.db"), QStringLiteral("Vater = :n OR Mutter = :n"), nummer);
  d.litters = count(engine, QStringLiteral("Wurfbuch.DB"), QStringLiteral("Katze = :n OR Kater = :n"), nummer);
  d.judgings = count(engine, QStringLiteral("Koernote.db"),
                     QStringLiteral("Hase = :n OR Haesin1 = :n OR Haesin2 = :n"), nummer);
  return d;
}

QString deleteQuestion(bool buck, const AnimalDependants& d) {
  if (!d.any()) return {};
  QString text = QString::fromUtf16(buck ? u"Dieser Rammler" : u"Diese Häsin");
  QStringList places;
  if (d.litters > 0) places << counted(d.litters, u"Wurf", u"Würfen");
  if (d.judgings > 0) places << counted(d.judgings, u"Körung", u"Körungen");
  const QString where = places.join(QStringLiteral(" und "));
  if (d.young > 0) {
    text += QString::fromUtf16(buck ? u" ist Vater von " : u" ist Mutter von ") + counted(d.young, u"Tier", u"Tieren");
    if (!where.isEmpty()) text += (places.size() > 1 ? QStringLiteral(", steht in ") : QStringLiteral(" und steht in ")) + where;
  } else {
    text += QStringLiteral(" steht in ") + where;
  }
  return text + QStringLiteral(". Trotzdem löschen?");
}

QString deletedAnimalText(qint64 nummer) {
  return QStringLiteral("gelöscht (Nr. %1)").arg(nummer);
}

}  // namespace lapiro::store
