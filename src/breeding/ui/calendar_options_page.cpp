#include "breeding/ui/calendar_options_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lapiro::breeding::ui {

CalendarOptionsPage::CalendarOptionsPage(const CalendarSettings& settings, QWidget* parent) : QWidget(parent) {
  auto* form = new QFormLayout;
  auto withUnit = [](QWidget* field, const QString& unit) {
    auto* l = new QHBoxLayout;
    l->addWidget(field);
    l->addWidget(new QLabel(unit));
    l->addStretch();
    return l;
  };
  for (const CalendarInterval& i : calendarIntervals()) {
    auto* box = new QSpinBox;
    box->setRange(0, 999);
    box->setObjectName(i.key);
    intervals_[i.key] = box;
    form->addRow(i.label, withUnit(box, QStringLiteral("Tage")));
  }
  wiegetage_ = new QLineEdit;
  wiegetage_->setObjectName(QStringLiteral("Wiegetage"));
  wiegetage_->setToolTip(QStringLiteral("Lebenstage des Wurfs, durch Komma getrennt, z. B. 21,28,35,42,56"));
  form->addRow(QStringLiteral("Wiegetage (Lebenstage)"), wiegetage_);
  beimStart_ = new QCheckBox(QStringLiteral("Beim Start anzeigen"));
  beimStart_->setToolTip(QStringLiteral("Öffnet den Zuchtkalender nach dem Start, wenn etwas überfällig oder heute fällig ist"));
  form->addRow(QString(), beimStart_);

  auto* defaults = new QPushButton(QStringLiteral("Grundeinstellung &laden"));
  connect(defaults, &QPushButton::clicked, this, [this] { setSettings(CalendarSettings{}); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(defaults);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch();
  layout->addLayout(buttons);
  setSettings(settings);
}

void CalendarOptionsPage::setSettings(const CalendarSettings& settings) {
  for (const CalendarInterval& i : calendarIntervals()) intervals_.at(i.key)->setValue(settings.*i.value);
  wiegetage_->setText(settings.wiegetage);
  beimStart_->setChecked(settings.beimStart);
}

CalendarSettings CalendarOptionsPage::settings() const {
  CalendarSettings s;
  for (const CalendarInterval& i : calendarIntervals()) s.*i.value = intervals_.at(i.key)->value();
  s.wiegetage = wiegetage_->text().trimmed();
  s.beimStart = beimStart_->isChecked();
  return s;
}

QSpinBox* CalendarOptionsPage::intervalBox(const QString& key) const {
  const auto it = intervals_.find(key);
  return it == intervals_.end() ? nullptr : it->second;
}

}  // namespace lapiro::breeding::ui
