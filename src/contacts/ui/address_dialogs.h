// The address book's dialogs: "Suche aus der Adressendatei" (TSuchenAdrDlg), used by the
// address book and the animal card to pick an address, and "Name gefunden"
// (TFormAdressegefunden), the duplicate-name warning while a new address is entered.
#pragma once

#include <QDialog>
#include <memory>

#include "contacts/address_search.h"
#include "engine/cursor_model.h"
#include "engine/query.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace lapiro::contacts::ui {

class TSuchenAdrDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TSuchenAdrDlg(engine::Engine& engine, QWidget* parent = nullptr);
  ~TSuchenAdrDlg() override;

  // Shows the dialog modally with the focus on the name box. Each showing clears the boxes,
  // reloads the categories and discards the previous result. Returns Accepted only when a
  // result row is current: "&OK" before any search found a row counts as cancel.
  int exec() override;

  // The chosen address after Accepted: the current row of the result set (LaufendeNr,
  // Anzeige, Straße, PLZ, Ort, Telefon, Telefax and the other address fields).
  // REQUIRES: hasResult().
  engine::Query& result() { return *query_; }
  bool hasResult() const;
  // LaufendeNr of the chosen address; 0 when there is none.
  qint64 chosenNumber() const;

  // "&Suchen": runs the search, or only closes the result list while it is shown.
  void SuchenClick();

  AddressSearchBoxes boxes() const;
  void setBoxes(const AddressSearchBoxes& boxes);
  QLineEdit* nameBox() const { return name_; }
  QComboBox* statusBox() const { return status_; }
  QTableView* resultList() const { return list_; }
  QPushButton* searchButton() const { return suchen_; }

 private:
  void prepareShowing();
  void takeRow(const QModelIndex& index);
  void OkClick();

  engine::Engine& engine_;
  std::unique_ptr<engine::Query> query_;
  std::unique_ptr<engine::CursorModel> model_;
  QLineEdit* name_ = nullptr;
  QLineEdit* vorname_ = nullptr;
  QLineEdit* telefon_ = nullptr;
  QLineEdit* rasse_ = nullptr;
  QLineEdit* ort_ = nullptr;
  QLineEdit* plz_ = nullptr;
  QLineEdit* land_ = nullptr;
  QComboBox* status_ = nullptr;
  QTableView* list_ = nullptr;
  QPushButton* suchen_ = nullptr;
};

// "Name gefunden": "Neuaufnehmen" accepts (the entry goes on), "Abbrechen" rejects.
class TFormAdressegefunden : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAdressegefunden(QWidget* parent = nullptr);
};

}  // namespace lapiro::contacts::ui
