// The window "Indexrekonstruktion" (TFormIndexrekonstruktion): one check box per table group,
// "&Start" runs store::rebuildIndexes() for the ticked groups. The cursors of a group are
// closed and reopened on behalf of their owners: the data module's by name, the main window's
// (animal list, breed and status lists, message catalogue) through the ShellSession.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "store/index_rebuild.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace lapiro::shell {
class ShellSession;
}

namespace lapiro::store::ui {

// Closes and reopens the cursors a group names: data module cursors by their names, the main
// window's by their mainCursor names (the message catalogue is closed and reopened as a whole;
// a name nobody owns is skipped). Every cursor goes back to the record it stood on; the data
// module's "Hasen" goes back to its animal through the data module, so its rules run, and the
// animal card then shows that animal anew.
class SessionGroupCursors : public GroupCursors {
 public:
  using ProgressFn = std::function<void(int done, int total)>;
  SessionGroupCursors(shell::ShellSession& session, std::function<void()> redraw, ProgressFn progress = {});
  bool close(const QStringList& names) override;
  void reopen(const QStringList& names) override;
  void redraw() override;
  void progress(int done, int total) override;

 private:
  engine::Cursor* find(const QString& name);
  shell::ShellSession& session_;
  ProgressFn progress_;
  std::map<engine::Cursor*, QVariant> marks_;  // the record each closed cursor stood on
  qint64 animal_ = 0;                          // Nummer of the data module's current animal
  // Further data module cursors on the group's tables that a group's list does not name
  // (e.g. "TMPAusstellung"), closed with it so that its tables can be rebuilt.
  QStringList extra_;
  std::function<void()> redraw_;
};

class TFormIndexrekonstruktion : public QWidget {
  Q_OBJECT

 public:
  using HelpFn = std::function<void(int context)>;
  TFormIndexrekonstruktion(shell::ShellSession& session, HelpFn help, QWidget* parent = nullptr);

  QCheckBox* box(IndexGroup group) const { return boxes_.at(group); }
  QPushButton* startButton() const { return start_; }
  QPushButton* abbruchButton() const { return abbruch_; }
  QProgressBar* progress() const { return progress_; }
  bool running() const { return running_; }
  // The result of the last run.
  const IndexRebuildResult& lastResult() const { return result_; }

  // "&Start": rebuilds the ticked groups. Does nothing while a run is active.
  void StartClick();
  // "&Abbruch": swaps the enabled states of "&Start" and "&Abbruch" back; the run goes on.
  void AbbruchClick();

 protected:
  // A run lets events through between its steps: the window does not close while it runs.
  void closeEvent(QCloseEvent* event) override;

 signals:
  // A run is about to treat its next step (the window has just been redrawn).
  void stepDone();

 private:
  void ZurueckClick();

  shell::ShellSession& session_;
  HelpFn help_;
  std::map<IndexGroup, QCheckBox*> boxes_;
  QPushButton* start_ = nullptr;
  QPushButton* abbruch_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  bool running_ = false;
  IndexRebuildResult result_;
};

}  // namespace lapiro::store::ui
