// The dialog "Tier suchen" (TsuchenDlg): search boxes, the buttons "&Suchen", "&OK",
// "&Abbruch" and "&Hilfe", and the result grid that appears when several animals match.
// The search itself is AnimalSearch; this window only shows it.
//
// Lifetime: created once and shown modally as often as needed. Callers set the search mode
// with prepareForShow() (or exec(request)) and read chosenNummer() after it ended with OK.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "store/animal_search.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QLabel;
class QTableView;

namespace lapiro::store::ui {

class TsuchenDlg : public QDialog {
  Q_OBJECT

 public:
  // Prepares the search (status list index and names; message 11 on failure).
  explicit TsuchenDlg(engine::Engine& engine, QWidget* parent = nullptr);
  ~TsuchenDlg() override;

  // Takes the caller's search mode, empties every box, closes a previous result and puts
  // the focus on the right tattoo.
  void prepareForShow(const SearchRequest& request);
  // prepareForShow() and then modal exec(); returns QDialog::Accepted for "&OK". The result
  // is closed afterwards; chosenNummer() keeps the animal chosen with "&OK".
  int exec(const SearchRequest& request);
  using QDialog::exec;

  // Nummer of the result's current row while a result is open, else the animal chosen by the
  // last exec(request) that ended with "&OK"; nullopt without one.
  std::optional<qint64> chosenNummer();

  bool gridShown() const;
  QTableView* grid() const { return grid_; }
  QLabel* hitCount() const { return hits_; }  // "12 Tiere gefunden" above the result
  AnimalSearch& search() { return search_; }

 signals:
  // "&Hilfe": the help page of this context number should be shown.
  void helpRequested(int context);

 private:
  void SuchenClick();
  void OKClick();
  void AbbruchClick();
  void DBGridDblClick(const QModelIndex& index);
  void gridTitleClick(int section);
  void EditTatoLinksChange(const QString& text);

  SearchBoxes boxes() const;
  void fillBoxes(const SearchBoxes& b);
  void showGrid();
  void hideGrid(bool minimumSize);

  AnimalSearch search_;
  SearchRequest request_;
  QLineEdit* tatoRechts_;
  QLineEdit* tatoLinks_;
  QLineEdit* rasse_;
  QLineEdit* farbe_;
  QLineEdit* zuechter_;
  QLineEdit* besitzer_;
  QLineEdit* stallnummer_;
  QComboBox* status_;
  QPushButton* suchen_;
  QTableView* grid_;
  QLabel* hits_;
  std::unique_ptr<engine::CursorModel> model_;
  QRect formerPlace_;
  std::optional<qint64> chosen_;
};

}  // namespace lapiro::store::ui
