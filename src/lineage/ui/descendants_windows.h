// The windows "Nachkommen" (direct offspring in a grid) and "Liste der Nachkommen" (all
// descendants as a tree loaded node by node), and how the main window opens them.
#pragma once

#include "lineage/descendants.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace lapiro::shell {
class tsysteminfo;
}
namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::lineage::ui {

// What the windows ask of the program around them.
struct DescendantServices {
  // Makes the animal the current one of the card and the main list and lets the card show it
  // (focus on the right tattoo or the pedigree built anew, by the card's tab).
  std::function<void(qint64 nummer)> gotoAnimal;
  std::function<void(int context)> showHelp;
  // Shows the report preview of the list.
  std::function<void(QWidget* parent)> printList;
};

// "Nachkommen": the direct offspring of the card's current animal.
class TFormNachkommen : public QWidget {
  Q_OBJECT

 public:
  // Reads the offspring of the current animal of "Hasen". A table that cannot be read shows
  // message 11, a blank and the table name; the grid then stays empty.
  TFormNachkommen(store::TDatenStamm& dm, DescendantServices services, QWidget* parent = nullptr);

  QTableWidget* grid() const { return grid_; }
  QLabel* heading() const { return heading_; }
  const std::vector<OffspringRow>& rows() const { return rows_; }
  bool parentIsBuck() const { return buck_; }

  // Double click on a row: goes to that animal and closes the window.
  void DBGridNachkommenDblClick(int row);

 private:
  store::TDatenStamm& dm_;
  DescendantServices services_;
  std::vector<OffspringRow> rows_;
  bool buck_ = false;
  QLabel* heading_ = nullptr;
  QTableWidget* grid_ = nullptr;
};

// "Liste der Nachkommen": every descendant of the card's current animal.
class TFormListeNachkommen : public QWidget {
  Q_OBJECT

 public:
  TFormListeNachkommen(store::TDatenStamm& dm, DescendantServices services, QWidget* parent = nullptr);

  QTreeWidget* tree() const { return tree_; }
  QPlainTextEdit* info() const { return info_; }
  TDescendantTree& model() { return *model_; }

  // Expanding a node loads its offspring (once); selecting one shows its information.
  void expandItem(QTreeWidgetItem* item);
  void selectItem(QTreeWidgetItem* item);

 private:
  void addChildren(QTreeWidgetItem* item, const DescendantNode& node);
  void showInfo(const QString& nodeText);

  store::TDatenStamm& dm_;
  DescendantServices services_;
  std::unique_ptr<TDescendantTree> model_;
  QTreeWidget* tree_ = nullptr;
  QPlainTextEdit* info_ = nullptr;
  bool filling_ = false;
};

// Menu "Direkte Nachkommen" / "Gesamte Nachkommen": saves a pending edit of the current
// animal, applies the rule for normal windows and opens the window (or brings it forward).
void openDirekteNachkommen(shell::ui::Host& main);
void openGesamteNachkommen(shell::ui::Host& main);

}  // namespace lapiro::lineage::ui
