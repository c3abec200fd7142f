// The office windows "Züchterregister" (TFormZuechterregister, with the search dialog
// "Suche im Züchterregister") and "Vereine" (TFormVereine), and how the main window opens
// them.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "contacts/breeder_register.h"
#include "engine/cursor_model.h"
#include "engine/query.h"
#include "store/ui/record_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::contacts::ui {

// "Suche im Züchterregister".
class TFormSucheZuechter : public QDialog {
  Q_OBJECT

 public:
  TFormSucheZuechter(engine::Engine& engine, std::function<void(int)> showHelp, QWidget* parent = nullptr);
  ~TFormSucheZuechter() override;

  // Empties the boxes, closes a previous result and puts the focus on "&Vereinsnr.".
  void prepareForShow();
  // The LaufendeNummer chosen with "&OK", nullopt without one.
  std::optional<qint64> chosenNumber() const { return chosen_; }

  RegisterSearchBoxes boxes() const;
  void setBoxes(const RegisterSearchBoxes& b);
  QLineEdit* box(int i) const { return boxes_[i]; }  // 0 Vereinsnr., 1 Züchter, 2 PLZ, 3 Ort, 4 Rasse
  bool listShown() const;
  QTableView* list() const { return list_; }
  engine::Query& result() { return result_; }

  void SuchenClick();
  void OKClick();
  void ListDblClick(const QModelIndex& index);

 private:
  void showList(bool shown);

  engine::Query result_;
  std::unique_ptr<engine::CursorModel> model_;
  std::function<void(int)> showHelp_;
  QLineEdit* boxes_[5] = {};
  QTableView* list_ = nullptr;
  std::optional<qint64> chosen_;
  bool haveResult_ = false;
};

// Shared by both windows: "E-Mail schreiben" and the homepage link.
class TRegisterWindowBase : public store::ui::TRecordWindow {
  Q_OBJECT

 public:
  using TRecordWindow::TRecordWindow;
  QLabel* homepageLink() const { return homepage_; }
  void EMailClick();

 protected:
  void addContactCommands(int homepageRow);
  void fillFromRecord() override;

 private:
  QLabel* homepage_ = nullptr;
};

class TFormZuechterregister : public TRegisterWindowBase {
  Q_OBJECT

 public:
  TFormZuechterregister(engine::Engine& engine, std::function<bool()> speichernOhneFrage,
                        std::function<void(int)> showHelp, QWidget* parent = nullptr);

  QComboBox* sortBox() const { return sort_; }
  TFormSucheZuechter& searchDialog() { return *search_; }
  void SortChange(int index);
  // "&Suche": the dialog; on OK the register goes to the record found (order kept).
  void SucheClick();
  // Goes to the breeder with this LaufendeNummer in the current order.
  bool gotoBreeder(qint64 laufendeNummer);

 private:
  QComboBox* sort_ = nullptr;
  std::unique_ptr<TFormSucheZuechter> search_;
};

class TFormVereine : public TRegisterWindowBase {
  Q_OBJECT

 public:
  TFormVereine(engine::Engine& engine, std::function<bool()> speichernOhneFrage, std::function<void(int)> showHelp,
               QWidget* parent = nullptr);
};

// Open the windows as office windows filling the main window's area (or bring them
// forward). Refused with the office rule's messages while another office window is open.
void openZuechterregister(shell::ui::Host& main);
void openVereine(shell::ui::Host& main);

}  // namespace lapiro::contacts::ui
