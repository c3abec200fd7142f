// "Status Adressen" (TFormStatusAdressen): the list of at most 10 address categories, one
// edit box per row. A changed row is saved when the focus leaves it or the window closes.
#pragma once

#include <QWidget>
#include <vector>

#include "engine/cursor.h"

class QLineEdit;
class QVBoxLayout;

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::contacts::ui {

class TFormStatusAdressen : public QWidget {
  Q_OBJECT

 public:
  TFormStatusAdressen(engine::Engine& engine, shell::tsysteminfo& settings, QWidget* parent = nullptr);
  ~TFormStatusAdressen() override;

  // Whether StatusAdressen could be opened (message 11 was shown otherwise).
  bool isUsable() const { return cursor_.isOpen(); }
  const std::vector<QLineEdit*>& rows() const { return rows_; }
  engine::Cursor& cursor() { return cursor_; }

  void HinzufuegenClick();
  void RueckgaengigClick();
  void LoeschenClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void reload();
  bool moveToRow(int row);
  void rowEdited(int row, const QString& text);
  bool saveRow();

  engine::Cursor cursor_;
  shell::tsysteminfo& settings_;
  QVBoxLayout* rowLayout_ = nullptr;
  std::vector<QLineEdit*> rows_;
  int currentRow_ = -1;
};

}  // namespace lapiro::contacts::ui
