// "Zuchtkalender": the breeding calendar's tasks by group and day. A double click opens the
// animal on the card at the tab the task comes from; tasks can be ticked done, postponed and
// exported for phone calendars. The window takes only the stock's engine, the dialog service
// and a callback to open an animal; whoever hosts it registers its command.
#pragma once

#include <QDate>
#include <QWidget>

#include <functional>
#include <vector>

#include "breeding/breeding_calendar.h"

namespace lapiro::reports {
class Report;
class ReportDataSource;
}  // namespace lapiro::reports

class QTreeWidget;
class QTreeWidgetItem;
class QLabel;

namespace lapiro::engine {
class Engine;
}
namespace lapiro::store {
class DialogService;
}

namespace lapiro::breeding {

class BreedingCalendarWindow : public QWidget {
  Q_OBJECT
 public:
  using OpenAnimal = std::function<void(qint64 animal, CardTab tab)>;
  // Asks where to write the export; empty cancels. The default offers a file dialog.
  using AskPath = std::function<QString()>;

  BreedingCalendarWindow(engine::Engine& engine, store::DialogService& dialogs, CalendarSettings settings,
                         int gestationDays, OpenAnimal openAnimal, QWidget* parent = nullptr);

  void setToday(const QDate& today);
  // Takes new intervals and gestation (after the options were saved) and reloads.
  void setSettings(const CalendarSettings& settings, int gestationDays);
  const CalendarSettings& settings() const { return settings_; }
  int gestationDays() const { return gestation_; }
  void setAskPath(AskPath ask) { askPath_ = std::move(ask); }
  // Reads the tasks anew and fills the list.
  void reload();

  const std::vector<CalendarTask>& tasks() const { return tasks_; }
  QTreeWidget* list() const { return list_; }

  // The actions of the buttons, on the selected task.
  void tickSelected();
  void postponeSelected();
  void exportCalendar();
  // "Wochenplan drucken": the open tasks of the coming week, overdue ones first, one line each
  // with a box to tick by hand, through the report sink (the preview, which also writes PDF).
  void printWeekPlan();

  // Shows a report; the default opens the preview. Tests replace it.
  std::function<void(const reports::Report&, const reports::ReportDataSource&)> reportSink;

 private:
  const CalendarTask* selected() const;
  void open(QTreeWidgetItem* item);

  engine::Engine& engine_;
  store::DialogService& dialogs_;
  CalendarSettings settings_;
  int gestation_;
  OpenAnimal openAnimal_;
  AskPath askPath_;
  QDate today_ = QDate::currentDate();
  std::vector<CalendarTask> tasks_;
  QTreeWidget* list_ = nullptr;
  QLabel* summary_ = nullptr;
};

}  // namespace lapiro::breeding
