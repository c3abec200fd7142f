// The windows "Datensicherung" (TFormDatensicherung) and "Datenrücksicherung"
// (TFormDatenruecksicherung): a drive list and a folder tree choose the folder, "&Start" runs
// the backup or restore of safety/data_safety.h with the progress panel, "&Abbruch" stops it.
// The restore window also offers "Sicherheitskopie zurückholen" (the data before the last
// restore back from "Datensik").
#pragma once

#include "safety/data_safety.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;
class QFileSystemModel;

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::safety::ui {

// What both windows share: the folder choice, the progress panel and the buttons.
class FolderRunWindow : public QWidget {
  Q_OBJECT

 public:
  explicit FolderRunWindow(const QString& title, int helpContext, QWidget* parent = nullptr);

  // The chosen folder; selectFolder() chooses one (and its drive).
  QString folder() const;
  void selectFolder(const QString& path);

  QPushButton* startButton() const { return start_; }
  QPushButton* abortButton() const { return abort_; }
  QGroupBox* progressPanel() const { return progress_; }

  std::function<void(int)> onHelp;

 protected:
  // Runs the work of "&Start".
  virtual void run() = 0;
  // Progress that shows the panel, lets pending events run before each file and reports
  // "&Abbruch".
  Progress progress();
  void setRunning(bool running);
  // Runs `work` as "&Start" does: buttons and panel switched for the run, "&Abbruch" reset.
  void runWork(const std::function<void()>& work);
  void closeEvent(class QCloseEvent* event) override;

  QWidget* extraArea_ = nullptr;  // room for window-specific controls under the tree

 private:
  QComboBox* drives_ = nullptr;
  QTreeView* tree_ = nullptr;
  QFileSystemModel* model_ = nullptr;
  QLabel* path_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* abort_ = nullptr;
  QGroupBox* progress_ = nullptr;
  QLabel* fileLabel_ = nullptr;
  QLabel* numberLabel_ = nullptr;
  QLabel* totalLabel_ = nullptr;
  QProgressBar* bar_ = nullptr;
  bool cancelled_ = false;
  bool running_ = false;
};

class TFormDatensicherung : public FolderRunWindow {
  Q_OBJECT

 public:
  // Backs up `dataDir`.
  explicit TFormDatensicherung(const QString& dataDir, QWidget* parent = nullptr);

  // "Neues Verzeichnis anlegen" panel: its name box and "&OK".
  void newFolder(const QString& name);
  QWidget* newFolderPanel() const { return newPanel_; }
  const BackupResult& lastResult() const { return last_; }

 protected:
  void run() override;

 private:
  QString dataDir_;
  QWidget* newPanel_ = nullptr;
  QLineEdit* newName_ = nullptr;
  BackupResult last_;
};

class TFormDatenruecksicherung : public FolderRunWindow {
  Q_OBJECT

 public:
  // Restores into the program directory's "daten"; the callbacks close and reopen every
  // table of the program around the run.
  TFormDatenruecksicherung(const QString& programDir, std::function<bool()> closeTables,
                           std::function<void()> reopenTables, QWidget* parent = nullptr);
  const RestoreResult& lastResult() const { return last_; }
  // "Sicherheitskopie zurückholen": the safety copy "Datensik" becomes the data again.
  void recoverSafetyCopy();
  QPushButton* safetyCopyButton() const { return safetyCopy_; }

 protected:
  void run() override;

 private:
  void report();

  QPushButton* safetyCopy_ = nullptr;
  QString programDir_;
  std::function<bool()> closeTables_;
  std::function<void()> reopenTables_;
  RestoreResult last_;
};

// Openers for the main window's menu: normal child windows, each once, not while an office
// window is open.
void openDatensicherung(shell::ui::Host& main);
void openDatenruecksicherung(shell::ui::Host& main);

}  // namespace lapiro::safety::ui
