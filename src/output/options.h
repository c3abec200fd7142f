// What the options window "Systemparameter" computes besides reading and writing controls:
// the choices of the window size, the status filter text and the pedigree item lists.
#pragma once

#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

namespace lapiro::output {

// The orders of browsing on the animal card: captions and the index names stored in
// Stammdaten/Sortierung.
struct CardOrder {
  QString caption;
  QString index;
};
const std::vector<CardOrder>& cardOrders();

// "Maximized", "Angepasst", "640x480", then "800x600" when the work area's right and bottom
// edges lie beyond 640 and 480, "1024x768" beyond 800 and 600, "1152x864" beyond 1024 and 768.
QStringList aufloesungChoices(const QRect& workArea);
// The entry the drop-down shows for a setting: "Angepasst" for any "Angepasst …" value.
QString aufloesungShown(const QString& setting);

// Auswahlfenster/Status from the check boxes: "alle", or "/n/" per ticked status in box order.
QString statusSetting(bool alle, const std::vector<qint64>& ticked);
// The status numbers found between slashes of a setting ("/1//12/" gives 1 and 12).
QSet<qint64> statusNumbers(const QString& setting);

// The chosen pedigree items of a setting, in display order (names of pedigreeItemNames()).
QStringList pedigreeItemsOf(const QString& setting);
// The stored text of a list of items: the names joined without separators.
QString pedigreeSettingOf(const QStringList& items);

// "&Grundeinstellung laden": the margins left, right, bottom, top.
inline constexpr int kDefaultMargins[4] = {10, 125, 40, 0};

}  // namespace lapiro::output
