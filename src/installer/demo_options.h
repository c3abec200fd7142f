// The options of a demo stock, shared by the writers of its parts (animals, health, judgings).
#pragma once

#include <QDate>
#include <QtGlobal>

namespace lapiro::installer {

struct DemoStockOptions {
  int animals = 300;
  quint64 seed = 0x4C617069726FULL;
  // The day the demo stock is "as of": no record is dated later. Fixed, so that the stock
  // does not depend on the day it is generated.
  QDate lastDay = QDate(2026, 10, 31);
};

}  // namespace lapiro::installer
