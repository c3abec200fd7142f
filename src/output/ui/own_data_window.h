// The window "Anwenderdaten" (TAnwenderdaten): the own user's record of eigen.DB and the
// default breed and colour of new animals.
//
// The record is read into the boxes when the window opens and written when it closes (with
// message 33 first while System/Speichern is false; "Nein" discards). A window whose name is
// empty does not close: message 51, focus on the name.
#pragma once

#include "shell/system_info.h"

#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace lapiro::engine {
class Engine;
}

namespace lapiro::output::ui {

class TAnwenderdaten : public QWidget {
  Q_OBJECT

 public:
  struct Choice {
    qint64 key = 0;
    QString name;
  };
  struct Lists {
    std::vector<Choice> breeds;  // table order
    std::function<std::vector<Choice>(qint64 breed)> colours;
  };

  // Opens eigen.DB through `engine`. `saveDefaults` writes Stammdaten/Rasse and Farbe keys
  // to the settings file (called with which changed).
  TAnwenderdaten(engine::Engine& engine, shell::tsysteminfo& settings, Lists lists, QWidget* parent = nullptr);
  ~TAnwenderdaten() override;

  bool isUsable() const { return usable_; }

  // Runs after the record was written (the opener reopens the main window's cursor).
  std::function<void()> onSaved;
  // Writes the settings keys: (rasseChanged, farbeChanged).
  std::function<void(bool, bool)> saveDefaults;
  std::function<void(int)> onHelp;

  // "O&K": default breed and colour, then close.
  void OKClick();
  // "R&ückgängig": the record as stored.
  void RueckgaengigClick();

  QLineEdit* edit(const QString& field) const;
  QComboBox* breedBox() const { return rasse_; }
  QComboBox* colourBox() const { return farbe_; }
  QPushButton* undoButton() const { return undo_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void load();
  bool save();
  void fillColours();
  void setEdited(bool edited);

  engine::Engine& engine_;
  shell::tsysteminfo& settings_;
  Lists lists_;
  bool usable_ = false;
  bool edited_ = false;
  std::map<QString, QLineEdit*> edits_;
  QComboBox* rasse_ = nullptr;
  QComboBox* farbe_ = nullptr;
  QPushButton* undo_ = nullptr;
  QTabWidget* tabs_ = nullptr;
};

}  // namespace lapiro::output::ui
