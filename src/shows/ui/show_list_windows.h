// The show calendar "Ausstellungstermine" (TFormAusstellungstermine, an office window) and the
// title list "Ausstellungstitel" (TFormAusstellungstitel), thin views over the lists of
// shows/show_lists.h built on the lookup-list windows of the data store.
#pragma once

#include "shows/show_lists.h"
#include "store/ui/lookup_list_windows.h"

#include <QDate>

#include <functional>
#include <optional>

class QComboBox;
class QPlainTextEdit;

namespace lapiro::shows::ui {

// Grid model of the title list: the two protected titles are drawn on the dialog background.
class TitleGridModel : public store::ui::EditableCursorModel {
  Q_OBJECT

 public:
  using EditableCursorModel::EditableCursorModel;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

class TFormAusstellungstitel : public store::ui::LookupListWindow {
  Q_OBJECT

 public:
  // Opens the list; throws engine::EngineError when it cannot be opened.
  TFormAusstellungstitel(engine::Engine& engine, const shell::tsysteminfo& settings, store::TDatenStamm* module,
                         HelpFn help, QWidget* parent = nullptr);
  ShowTitleList& titles() { return static_cast<ShowTitleList&>(*list_); }
  QTableView* grid() const { return grid_; }
  // True while the grid accepts edits (the current row is not a protected title).
  bool gridEditable() const;

 protected:
  void updateView() override;

 private:
  QTableView* grid_ = nullptr;
  std::unique_ptr<TitleGridModel> model_;
};

class TFormAusstellungstermine : public store::ui::FieldsAndTableWindow {
  Q_OBJECT

 public:
  using PickDate = std::function<std::optional<QDate>(const QDate& initial)>;
  // Opens the calendar on the first show from `today` on; throws engine::EngineError when it
  // cannot be opened.
  TFormAusstellungstermine(engine::Engine& engine, const shell::tsysteminfo& settings, store::TDatenStamm* module,
                           QDate today, HelpFn help, PickDate pickDate, QWidget* parent = nullptr);
  ShowCalendarList& calendar() { return static_cast<ShowCalendarList&>(*list_); }
  QComboBox* orderBox() const { return order_; }
  QLineEdit* dateEdit(bool last) const { return last ? datum2_ : datum_; }
  QTableView* grid() const { return grid_; }

  // "Sortierung nach" was set to entry `index`.
  void SortierungChange(int index);

 protected:
  void updateView() override;
  void focusFirstField() override;

 private:
  bool writeDate(QLineEdit* edit, const QString& field);
  void pick(QLineEdit* edit, const QString& field);

  PickDate pickDate_;
  QComboBox* order_ = nullptr;
  QLineEdit* datum_ = nullptr;
  QLineEdit* datum2_ = nullptr;
  QPlainTextEdit* info_ = nullptr;
  bool infoModified_ = false;
  QTableView* grid_ = nullptr;
  std::unique_ptr<store::ui::EditableCursorModel> model_;
};

}  // namespace lapiro::shows::ui
