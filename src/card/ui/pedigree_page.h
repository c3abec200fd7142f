// The card's tab "Stammbaum": 62 read-only boxes over five generations, repeated ancestors in
// shared colours, a panel with a box's full text, and the context menu "Stammbaum laden" /
// "Rücksprung" that re-centres the pedigree on an ancestor and goes back one step.
//
// The page reads the data module; the card's own refresh and the main list's positioning
// come in as hooks, so the page never reaches into the main window.
#pragma once

#include "card/pedigree.h"

#include <QFont>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>

class QFrame;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace lapiro::store {
class TDatenStamm;
}
namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::card::ui {

class TPedigreePage : public QWidget {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<void()> refreshCard;                  // the card's refresh after a move
    std::function<void(qint64 nummer)> positionList;    // the main list stands on an animal
    std::function<void(int context)> showHelp;
  };

  // While the page is visible, a move of "Hasen" from elsewhere (the card's navigator, the
  // list's quick search) rebuilds the pedigree once control returns to the event loop, unless
  // a caller rebuilt it meanwhile.
  TPedigreePage(store::TDatenStamm& dm, shell::tsysteminfo& settings, Hooks hooks, QWidget* parent = nullptr);
  ~TPedigreePage() override;

  // Builds the pedigree of the current animal of "Hasen" anew: clears and fills the boxes,
  // colours repeated ancestors and lays them out. `moveFocus` puts the focus on box 1.
  void showPedigree(bool moveFocus = true);

  const PedigreeBoxes& boxes() const { return boxes_; }
  QPlainTextEdit* box(int slot) const { return edits_[slot]; }
  QFrame* boxPanel(int slot) const { return panels_[slot]; }
  QFrame* infoPanel() const { return info_; }
  QPlainTextEdit* infoText() const { return infoText_; }
  QMenu* contextMenu() const { return menu_; }
  bool fifthGenerationShown() const { return fifthShown_; }

  // The box the last mouse press went to (0: none).
  int clickedBox() const { return clicked_; }
  void setClickedBox(int slot) { clicked_ = slot; }
  // Opens the panel with every line of box `slot` at the box, kept inside the page.
  void openInfo(int slot);
  void closeInfo();

  // "Stammbaum laden": the clicked box's animal becomes the card's animal; the previous
  // position becomes the return point. An empty box keeps the animal (and makes it the
  // return point).
  void loadClickedAncestor();
  // "Rücksprung": back to the return point, which is then discarded.
  void goBack();
  bool hasReturnPoint() const { return returnPoint_.isValid(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void layoutBoxes();
  // Puts the lines of box `slot` into its text, fitted to the box's size while `shown`.
  void fillBox(int slot, bool shown);
  void focusFirstBox();
  void afterMove();

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  Hooks hooks_;
  PedigreeBoxes boxes_;
  std::array<QFrame*, kPedigreeBoxes + 1> panels_{};
  std::array<QPlainTextEdit*, kPedigreeBoxes + 1> edits_{};
  QFrame* info_ = nullptr;
  QPlainTextEdit* infoText_ = nullptr;
  QMenu* menu_ = nullptr;
  QAction* loadAction_ = nullptr;
  QAction* backAction_ = nullptr;
  QPushButton* help_ = nullptr;
  QFont smallFont_;  // the boxes from the third generation on
  int clicked_ = 0;
  bool fifthShown_ = false;
  int hasenListener_ = -1;
  bool rebuildPending_ = false;
  // The return point: a bookmark in "Hasen" and the animal the main list stood on.
  QVariant returnPoint_;
  qint64 returnNummer_ = 0;
};

}  // namespace lapiro::card::ui
