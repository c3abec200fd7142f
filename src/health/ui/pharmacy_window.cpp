#include "health/ui/pharmacy_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "health/health_rules.h"

namespace lapiro::health::ui {

TFormApotheke::TFormApotheke(engine::Engine& engine, std::function<bool()> speichernOhneFrage,
                             std::function<void(int)> showHelp,
                             std::function<std::optional<QDate>(const QDate&)> pickDate, QWidget* parent)
    : TRecordWindow(engine, QStringLiteral("Apotheke"), std::move(speichernOhneFrage), std::move(showHelp), parent),
      pickDate_(std::move(pickDate)) {
  setObjectName(QStringLiteral("TFormApotheke"));
  configurePharmacyCursor(cursor());
  if (!openTable(QStringLiteral("APOTHEKE"))) return;
  guarded([&] { applyPharmacyOrder(engine_, cursor(), 0); });

  addBox(QStringLiteral("Medikament"), QStringLiteral("Medikament"), 50, 0, 0, 3);
  QLineEdit* verfall = addDateBox(QStringLiteral("Verfallsdatum"), QStringLiteral("Verfallsdatum"), 1);
  verfall->setMaximumWidth(110);
  auto* kalender = new QToolButton(this);
  kalender->setText(QStringLiteral("…"));
  kalender->setToolTip(QStringLiteral("Datum laden"));
  connect(kalender, &QToolButton::clicked, this, [this] {
    if (!pickDate_ || !cursor().isOpen()) return;
    const QDate initial = cursor().hasRecord() || cursor().isEditing()
                              ? cursor().field(QStringLiteral("Verfallsdatum")).asDate()
                              : QDate();
    if (const std::optional<QDate> d = pickDate_(initial)) {
      fieldEdited(QStringLiteral("Verfallsdatum"), *d);
      fillFromRecord();
    }
  });
  fieldsGrid()->addWidget(kalender, 1, 2, Qt::AlignLeft);
  addBox(QStringLiteral("Gruppe"), QStringLiteral("Bereich"), 50, 2, 0, 3);
  addBox(QStringLiteral("Krankheit"), QStringLiteral("Krankheit"), 100, 3, 0, 3);
  // A vaccine with a repeat interval gives "Impfung fällig" in the breeding calendar.
  QLineEdit* wiederholung =
      addBox(QStringLiteral("Wiederholung (Monate)"), QStringLiteral("WiederholungMonate"), 3, 4);
  wiederholung->setMaximumWidth(60);
  wiederholung->setToolTip(QStringLiteral("Impfstoffe: nach wie vielen Monaten die Impfung wiederholt wird (z. B. RHD 12, Myxomatose 6)"));
  addMemo(QStringLiteral("Info"), QStringLiteral("Info"), 5, 0, 3);
  fieldsGrid()->setColumnStretch(3, 1);
  fieldsGrid()->setRowStretch(5, 1);

  sort_ = new QComboBox(this);
  sort_->setToolTip(QStringLiteral("Sortierreihenfolge bestimmen"));
  for (const PharmacyOrder& o : pharmacyOrders()) sort_->addItem(o.caption);
  sort_->addItem(QString());
  connect(sort_, &QComboBox::activated, this, &TFormApotheke::ComboBoxSortChange);
  commandColumn()->addWidget(new QLabel(QStringLiteral("Sortierung"), this));
  commandColumn()->addWidget(sort_);

  // Narrow enough that the expiry date stays in view beside the other three columns.
  buildFrame({{QStringLiteral("Bereich"), QStringLiteral("Gruppe"), 14},
              {QStringLiteral("Krankheit"), QStringLiteral("Krankheit"), 22},
              {QStringLiteral("Medikament"), QStringLiteral("Medikament"), 18},
              {QStringLiteral("Verfallsdatum"), QStringLiteral("Verfallsdatum"), 12}},
             QStringLiteral("Medikament"), kHilfeApotheke);
}

void TFormApotheke::ComboBoxSortChange(int index) {
  if (!cursor().isOpen()) return;
  guarded([&] { applyPharmacyOrder(engine_, cursor(), index); });
  fillFromRecord();
}

void TFormApotheke::LoeschenClick() {
  if (!cursor().isOpen()) return;
  guarded([&] { deleteMedicine(engine_, cursor()); });
  fillFromRecord();
}

}  // namespace lapiro::health::ui
