#include "output/options.h"

#include "shell/system_info.h"

#include <QRegularExpression>

namespace lapiro::output {

const std::vector<CardOrder>& cardOrders() {
  static const std::vector<CardOrder> orders{
      {QStringLiteral("&Täto rechts"), QStringLiteral("Tato")},
      {QStringLiteral("&Täto links"), QStringLiteral("TatoLinksRechts")},
      {QStringLiteral("R&asse/Täto rechts"), QStringLiteral("RasseTato")},
      {QStringLiteral("&Status/Täto rechts"), QStringLiteral("StatusTato")},
      {QStringLiteral("Täto re/Geb./Täto li"), QStringLiteral("TatoReGebTatoLi")},
      {QStringLiteral("Status/Täto re/Geb./Täto li"), QStringLiteral("StatusTatoReGebTatoLi")},
  };
  return orders;
}

QStringList aufloesungChoices(const QRect& workArea) {
  QStringList out{QStringLiteral("Maximized"), QStringLiteral("Angepasst"), QStringLiteral("640x480")};
  const int right = workArea.isEmpty() ? 0 : workArea.x() + workArea.width();
  const int bottom = workArea.isEmpty() ? 0 : workArea.y() + workArea.height();
  if (right > 640 && bottom > 480) out << QStringLiteral("800x600");
  if (right > 800 && bottom > 600) out << QStringLiteral("1024x768");
  if (right > 1024 && bottom > 768) out << QStringLiteral("1152x864");
  return out;
}

QString aufloesungShown(const QString& setting) {
  return setting.contains(QStringLiteral("Angepasst")) ? QStringLiteral("Angepasst") : setting;
}

QString statusSetting(bool alle, const std::vector<qint64>& ticked) {
  if (alle) return QStringLiteral("alle");
  QString out;
  for (qint64 n : ticked) out += u'/' + QString::number(n) + u'/';
  return out;
}

QSet<qint64> statusNumbers(const QString& setting) {
  QSet<qint64> out;
  static const QRegularExpression group(QStringLiteral(R"(/(\d+)/)"));
  for (auto it = group.globalMatch(setting); it.hasNext();) out.insert(it.next().captured(1).toLongLong());
  return out;
}

QStringList pedigreeItemsOf(const QString& setting) {
  QStringList out;
  for (int item : shell::pedigreeItemOrder(setting))
    if (item > 0) out << shell::pedigreeItemNames().at(item - 1);
  return out;
}

QString pedigreeSettingOf(const QStringList& items) { return items.join(QString()); }

}  // namespace lapiro::output
