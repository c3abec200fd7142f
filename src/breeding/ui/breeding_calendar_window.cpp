#include "breeding/ui/breeding_calendar_window.h"

#include "breeding/calendar_export.h"
#include "breeding/week_plan_report.h"
#include "reports/ui/report_preview.h"
#include "engine/types.h"
#include "store/dialog_service.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lapiro::breeding {

namespace {
constexpr int kTaskRole = Qt::UserRole + 1;  // index into tasks_, -1 for a group row
}

BreedingCalendarWindow::BreedingCalendarWindow(engine::Engine& engine, store::DialogService& dialogs,
                                               CalendarSettings settings, int gestationDays, OpenAnimal openAnimal,
                                               QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      dialogs_(dialogs),
      settings_(std::move(settings)),
      gestation_(gestationDays),
      openAnimal_(std::move(openAnimal)) {
  setWindowTitle(QStringLiteral("Zuchtkalender"));
  askPath_ = [this] {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Zuchtkalender exportieren"),
                                        QStringLiteral("zuchtkalender.ics"),
                                        QStringLiteral("iCalendar-Dateien (*.ics)"));
  };
  list_ = new QTreeWidget(this);
  list_->setColumnCount(4);
  list_->setHeaderLabels({QStringLiteral("Datum"), QStringLiteral("Aufgabe"), QStringLiteral("Tier"),
                          QStringLiteral("Hinweis")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  // Column widths measured on the first rows only: the dates and titles repeat.
  list_->header()->setResizeContentsPrecision(200);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { open(item); });

  summary_ = new QLabel(this);
  auto* done = new QPushButton(QStringLiteral("&Erledigt"), this);
  auto* later = new QPushButton(QStringLiteral("&Verschieben…"), this);
  auto* exportButton = new QPushButton(QStringLiteral("E&xportieren…"), this);
  auto* plan = new QPushButton(QStringLiteral("&Wochenplan drucken"), this);
  auto* refresh = new QPushButton(QStringLiteral("&Aktualisieren"), this);
  reportSink = [this](const reports::Report& r, const reports::ReportDataSource& d) { reports::showReportPreview(this, r, d); };
  connect(plan, &QPushButton::clicked, this, &BreedingCalendarWindow::printWeekPlan);
  connect(done, &QPushButton::clicked, this, &BreedingCalendarWindow::tickSelected);
  connect(later, &QPushButton::clicked, this, &BreedingCalendarWindow::postponeSelected);
  connect(exportButton, &QPushButton::clicked, this, &BreedingCalendarWindow::exportCalendar);
  connect(refresh, &QPushButton::clicked, this, &BreedingCalendarWindow::reload);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {done, later, exportButton, plan, refresh}) buttons->addWidget(b);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  resize(760, 480);
  reload();
}

void BreedingCalendarWindow::printWeekPlan() {
  const TReportWochenplan report(today_);
  const reports::MemoryDataSource rows = TReportWochenplan::rows(tasks_, today_);
  if (reportSink) reportSink(report, rows);
}

void BreedingCalendarWindow::setToday(const QDate& today) {
  today_ = today;
  reload();
}

void BreedingCalendarWindow::setSettings(const CalendarSettings& settings, int gestationDays) {
  settings_ = settings;
  gestation_ = gestationDays;
  reload();
}

void BreedingCalendarWindow::reload() {
  try {
    tasks_ = calendarTasks(engine_, settings_, gestation_, today_);
  } catch (const engine::EngineError& e) {
    tasks_.clear();
    dialogs_.error(QStringLiteral("Der Zuchtkalender kann nicht gelesen werden: ") + e.message());
  }
  // Thousands of rows on a large stock: the items are made detached and inserted at once, the
  // rows share one height and the columns are fitted once afterwards.
  list_->setUpdatesEnabled(false);
  list_->clear();
  static const QLocale german(QLocale::German);
  const QString dateFormat = QStringLiteral("ddd dd.MM.yyyy");
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(tasks_.size()) + 4);
  QList<QTreeWidgetItem*> groups;
  QFont bold = list_->font();
  bold.setBold(true);
  TaskGroup current = TaskGroup::Spaeter;
  int open = 0;
  for (size_t i = 0; i < tasks_.size(); ++i) {
    const CalendarTask& t = tasks_[i];
    if (groups.isEmpty() || t.group != current) {
      current = t.group;
      auto* group = new QTreeWidgetItem(QStringList{groupTitle(current)});
      group->setFont(0, bold);
      group->setData(0, kTaskRole, -1);
      groups << group;
      items << group;
    }
    auto* item = new QTreeWidgetItem(QStringList{german.toString(t.day, dateFormat), t.title, t.animalText, t.detail});
    item->setData(0, kTaskRole, static_cast<int>(i));
    item->setCheckState(0, t.done ? Qt::Checked : Qt::Unchecked);
    if (t.kind == TaskKind::Datenproblem) item->setForeground(1, QBrush(Qt::red));
    if (!t.done) ++open;
    items << item;
  }
  list_->addTopLevelItems(items);
  for (QTreeWidgetItem* group : groups) group->setFirstColumnSpanned(true);
  for (int c = 0; c < list_->columnCount(); ++c) list_->resizeColumnToContents(c);
  list_->setUpdatesEnabled(true);
  summary_->setText(QStringLiteral("%1 offene Aufgaben bis %2")
                        .arg(open)
                        .arg(today_.addDays(7 * kCalendarWeeks).toString(QStringLiteral("dd.MM.yyyy"))));
}

const CalendarTask* BreedingCalendarWindow::selected() const {
  const QTreeWidgetItem* item = list_->currentItem();
  if (!item) return nullptr;
  const int i = item->data(0, kTaskRole).toInt();
  return i >= 0 && static_cast<size_t>(i) < tasks_.size() ? &tasks_[static_cast<size_t>(i)] : nullptr;
}

void BreedingCalendarWindow::open(QTreeWidgetItem* item) {
  const int i = item ? item->data(0, kTaskRole).toInt() : -1;
  if (i < 0 || static_cast<size_t>(i) >= tasks_.size()) return;
  const CalendarTask& t = tasks_[static_cast<size_t>(i)];
  if (t.animal != 0 && openAnimal_) openAnimal_(t.animal, t.tab);
}

void BreedingCalendarWindow::tickSelected() {
  const CalendarTask* t = selected();
  if (!t) return;
  try {
    CalendarState(engine_).setDone(*t, !t->done);
  } catch (const engine::EngineError& e) {
    dialogs_.error(QStringLiteral("Die Aufgabe kann nicht gespeichert werden: ") + e.message());
  }
  reload();
}

void BreedingCalendarWindow::postponeSelected() {
  const CalendarTask* t = selected();
  if (!t) return;
  const int choice = dialogs_.choose(QStringLiteral("Aufgabe verschieben um:"),
                                     {QStringLiteral("1 Tag"), QStringLiteral("3 Tage"), QStringLiteral("1 Woche")},
                                     QStringLiteral("Verschieben"));
  static constexpr int kDays[] = {1, 3, 7};
  if (choice < 0 || choice > 2) return;
  try {
    CalendarState(engine_).postpone(*t, std::max(t->day, today_).addDays(kDays[choice]));
  } catch (const engine::EngineError& e) {
    dialogs_.error(QStringLiteral("Die Aufgabe kann nicht gespeichert werden: ") + e.message());
  }
  reload();
}

void BreedingCalendarWindow::exportCalendar() {
  const QString path = askPath_ ? askPath_() : QString();
  if (path.isEmpty()) return;
  QString error;
  if (breeding::exportCalendar(path, tasks_, today_, QDateTime::currentDateTimeUtc(), &error))
    dialogs_.inform(QStringLiteral("Der Zuchtkalender wurde nach %1 exportiert.").arg(path));
  else
    dialogs_.error(error);
}

}  // namespace lapiro::breeding
