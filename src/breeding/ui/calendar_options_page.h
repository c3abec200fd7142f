// The "Zuchtkalender" tab of the options window: every interval of the breeding calendar, the
// weighing days and "Beim Start anzeigen". Intervals accept 0 to 999 so that a wrong value
// reaches the check and its German message rather than being clipped silently.
#pragma once

#include <QWidget>

#include <map>

#include "breeding/breeding_calendar.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace lapiro::breeding::ui {

class CalendarOptionsPage : public QWidget {
  Q_OBJECT
 public:
  explicit CalendarOptionsPage(const CalendarSettings& settings, QWidget* parent = nullptr);

  // Shows `settings` in the controls.
  void setSettings(const CalendarSettings& settings);
  // What the controls hold (unchecked: see CalendarSettings::problems()).
  CalendarSettings settings() const;

  // The box of the interval stored under `key` in [Zuchtkalender] ("Abtasten", ...).
  QSpinBox* intervalBox(const QString& key) const;
  QLineEdit* weighingDaysEdit() const { return wiegetage_; }
  QCheckBox* showAtStartBox() const { return beimStart_; }

 private:
  std::map<QString, QSpinBox*> intervals_;
  QLineEdit* wiegetage_ = nullptr;
  QCheckBox* beimStart_ = nullptr;
};

}  // namespace lapiro::breeding::ui
