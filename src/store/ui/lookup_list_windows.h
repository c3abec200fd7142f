// The windows of the lookup lists: breeds ("Rassen", TRassen), colours ("Farbe", TFarbeForm)
// and status codes ("Status", TStatusForm). They are thin views over the lists of
// store/lookup_lists.h, shown as child windows of the main window. Each window opens its list
// when it is created and closes it when it closes (the list then reopens the data module's
// cursor). Messages go through store::dialogs().
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "engine/cursor_model.h"
#include "store/lookup_lists.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;

namespace lapiro::store::ui {

// A grid model over a list's cursor that shows the record being edited from its buffer (and a
// record being added as an extra last row) and writes edited cells into the record. Columns
// listed as read-only are not editable.
class EditableCursorModel : public engine::CursorModel {
  Q_OBJECT

 public:
  EditableCursorModel(engine::DataSet* dataSet, QStringList readOnlyFields, QObject* parent = nullptr);
  ~EditableCursorModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The row of the record being added, -1 when none.
  int insertRow() const;
  // The row of the current record (also the one being added), -1 when none.
  int activeRow() const;

 private:
  int storedRows() const;
  engine::DataSet* ds_;
  QStringList readOnly_;
  int listener_ = 0;
  bool insertShown_ = false;
};

// What the three windows have in common: the list, the help callback, the guarded actions and
// "&Zurück".
class LookupListWindow : public QWidget {
  Q_OBJECT

 public:
  using HelpFn = std::function<void(int context)>;
  ~LookupListWindow() override;

  LookupList& list() { return *list_; }
  QPushButton* button(const QString& objectName) const;

 protected:
  LookupListWindow(std::unique_ptr<LookupList> list, HelpFn help, int helpContext, QWidget* parent);

  // Runs an action: an engine error is shown with the engine's message, an abort ends it
  // silently. Then the buttons and boxes are brought up to date.
  void guarded(const std::function<void()>& action);
  virtual void updateView();
  void closeList();
  void closeEvent(QCloseEvent* event) override;
  void ZurueckClick();
  QPushButton* addButton(const QString& objectName, const QString& caption);

  std::unique_ptr<LookupList> list_;
  HelpFn help_;
  int helpContext_;
  bool closed_ = false;
  int listener_ = 0;
};

// Breeds and colours: tabs "Felder" and "Tabelle", a navigator and the buttons
// "H&inzufügen", "R&ückgängig", "L&öschen", "&Hilfe", "&Zurück".
class FieldsAndTableWindow : public LookupListWindow {
  Q_OBJECT

 public:
  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* edit(const QString& field) const;

 protected:
  FieldsAndTableWindow(std::unique_ptr<LookupList> list, HelpFn help, int helpContext, QWidget* parent);
  void buildCommon(QWidget* fieldsPage, QWidget* tablePage);
  QLineEdit* addEdit(QWidget* page, const QString& field, int maxLength);
  void updateView() override;
  virtual void focusFirstField();

  QTabWidget* tabs_ = nullptr;
  std::vector<std::pair<QString, QLineEdit*>> edits_;
  QVariant mark_;
  bool filling_ = false;
};

class TRassen : public FieldsAndTableWindow {
  Q_OBJECT

 public:
  // Opens the breed list; throws engine::EngineError when it cannot be opened.
  TRassen(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module, HelpFn help,
          QWidget* parent = nullptr);
  QComboBox* groupBox() const { return group_; }
  QTableView* grid() const { return grid_; }

 protected:
  void updateView() override;

 private:
  QComboBox* group_ = nullptr;
  QTableView* grid_ = nullptr;
  std::unique_ptr<EditableCursorModel> model_;
};

class TFarbeForm : public FieldsAndTableWindow {
  Q_OBJECT

 public:
  TFarbeForm(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module, HelpFn help,
             QWidget* parent = nullptr);
  ~TFarbeForm() override;
  TFarbeList& colours() { return static_cast<TFarbeList&>(*list_); }
  QComboBox* breedBox() const { return breed_; }
  QTableView* breedGrid() const { return breedGrid_; }
  QTableView* colourGrid() const { return colourGrid_; }

  // The drop-down "Rasse" was set to entry `index`: that breed becomes the current one.
  void RasseChange(int index);

 protected:
  void updateView() override;
  void focusFirstField() override;

 private:
  void fillBreedBox();
  QComboBox* breed_ = nullptr;
  QTableView* breedGrid_ = nullptr;
  QTableView* colourGrid_ = nullptr;
  std::unique_ptr<engine::CursorModel> breedModel_;
  std::unique_ptr<EditableCursorModel> colourModel_;
};

class TStatusForm : public LookupListWindow {
  Q_OBJECT

 public:
  TStatusForm(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module, HelpFn help,
              QWidget* parent = nullptr);
  QTableView* grid() const { return grid_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void updateView() override;

 private:
  QTableView* grid_ = nullptr;
  std::unique_ptr<EditableCursorModel> model_;
};

}  // namespace lapiro::store::ui
