// "Suche nach Schlüsselwort": a search box over the keyword index and the ranked hits with
// their kind and best passage. Enter or a double click on a hit shows the animal on the card
// (also for a show result) or opens the address book on the address.
#pragma once

#include "store/keyword_index.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QTableWidget;
class QTimer;

namespace lapiro::shell::ui {

class Host;

class TFormSchluesselwortsuche : public QWidget {
  Q_OBJECT

 public:
  TFormSchluesselwortsuche(store::KeywordIndex& index, QWidget* parent = nullptr);

  // Searches for `text` and lists the hits (the box shows the text).
  void search(const QString& text);

  QLineEdit* searchBox() const { return box_; }
  QTableWidget* hitTable() const { return table_; }
  QLabel* countLabel() const { return count_; }
  const std::vector<store::KeywordHit>& hits() const { return hits_; }

 signals:
  // The user chose a hit (Enter or double click).
  void hitChosen(const store::KeywordHit& hit);

 private:
  void runSearch();
  void choose(int row);

  store::KeywordIndex& index_;
  QLineEdit* box_;
  QLabel* count_;
  QTableWidget* table_;
  QTimer* typing_;
  std::vector<store::KeywordHit> hits_;
};

// The snippet as rich text: escaped, the matched terms bold.
QString keywordSnippetHtml(const QString& snippet);

// Opens the window (or brings it to the front) beside the card; chosen hits lead to the animal
// or the address.
void openSchluesselwortsuche(Host& main);

}  // namespace lapiro::shell::ui
