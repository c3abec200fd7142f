// "Apotheke" (TFormApotheke): the pharmacy list of medicines, a normal child window of the
// main window with its own view of APOTHEKE.
#pragma once

#include <QDate>
#include <functional>
#include <optional>

#include "store/ui/record_window.h"

class QComboBox;

namespace lapiro::health::ui {

class TFormApotheke : public store::ui::TRecordWindow {
  Q_OBJECT

 public:
  TFormApotheke(engine::Engine& engine, std::function<bool()> speichernOhneFrage, std::function<void(int)> showHelp,
                std::function<std::optional<QDate>(const QDate&)> pickDate, QWidget* parent = nullptr);

  QComboBox* sortBox() const { return sort_; }
  // The drop-down's change: the order of entry `index` (the empty fourth changes nothing).
  void ComboBoxSortChange(int index);
  // Asks message 28, naming the treatments that still refer to the medicine.
  void LoeschenClick() override;

 private:
  QComboBox* sort_ = nullptr;
  std::function<std::optional<QDate>(const QDate&)> pickDate_;
};

}  // namespace lapiro::health::ui
