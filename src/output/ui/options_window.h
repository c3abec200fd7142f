// The options window "Systemparameter" (TFOptionen): edits the settings record on seven tabs.
// "&Speichern" reads the controls into the record and hands over to the opener, which applies
// the settings and writes the settings file; "&Zurück" closes without changes. Feature modules
// add tabs of their own (shell::ui::OptionsPage) after the seven; their problems keep the
// window open with a message and nothing is written.
#pragma once

#include "shell/system_info.h"
#include "shell/ui/host.h"

#include <QRect>
#include <QWidget>

#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace lapiro::output::ui {

// The lists the window offers, read by the opener (the data module's lookup lists).
struct OptionLists {
  struct Choice {
    qint64 key = 0;
    QString name;
  };
  std::vector<Choice> breeds;  // by name
  std::function<std::vector<Choice>(qint64 breed)> colours;
  std::vector<Choice> states;  // in table order
};

class TFOptionen : public QWidget {
  Q_OBJECT

 public:
  TFOptionen(shell::tsysteminfo& settings, OptionLists lists, const QRect& workArea, QWidget* parent = nullptr);

  // Runs when "&Speichern" is pressed, before the controls are read.
  std::function<void()> beforeSave;
  // Runs after "&Speichern" has read the controls into the settings record.
  std::function<void()> onSaved;
  // Help topic of "&Hilfe".
  std::function<void(int)> onHelp;

  // Adds the feature tabs `pages` after the window's own, each built from `ini`; "&Speichern"
  // writes them into `ini`, which must outlive the window.
  void addPages(const std::vector<shell::ui::OptionsPage>& pages, shell::ProfileFile& ini);

  // "&Speichern": when a feature tab reports problems, shows them through the dialog service,
  // turns to that tab and returns false with nothing written. Otherwise the controls go into
  // the record, the feature tabs into the settings file, onSaved runs and the window closes.
  bool SpeichernClick();
  // Reads the controls into the record (the part of "&Speichern" that tests check).
  void readInto(shell::tsysteminfo& s);

  // Wide enough for every tab's caption, the feature tabs included (no scroll arrows).
  QSize sizeHint() const override;

  // Controls, for tests and the opener.
  QTabWidget* tabs() const { return tabs_; }
  QCheckBox* alleBox() const { return alle_; }
  const std::vector<QCheckBox*>& statusBoxes() const { return statusBoxes_; }
  QComboBox* breedBox() const { return rasse_; }
  QComboBox* colourBox() const { return farbe_; }
  QListWidget* pedigreeList() const { return itemList_; }
  QListWidget* choiceList() const { return choiceList_; }
  QTabWidget* pedigreeTabs() const { return pedigreeTabs_; }
  QWidget* choicePanel() const { return choicePanel_; }
  QPushButton* addItemButton() const { return add_; }
  QPushButton* removeItemButton() const { return remove_; }
  QPushButton* choiceOkButton() const { return choiceOk_; }
  QPushButton* defaultsButton() const { return defaults_; }
  QSpinBox* marginBox(int i) const { return margins_[i]; }
  QSpinBox* gestationBox() const { return traechtigkeit_; }
  QCheckBox* titelRotBox() const { return titelRot_; }
  QButtonGroup* group(const QString& name) const;

 private:
  void fill();
  void fillColours();
  void alleToggled();
  void anzeigeToggled();
  void storePedigreeList(int tab);
  void showPedigreeList(int tab);
  void openChoice();
  void acceptChoice();
  void removeItems();
  void loadDefaults();

  shell::tsysteminfo& settings_;
  OptionLists lists_;
  QRect workArea_;
  QTabWidget* tabs_ = nullptr;
  std::map<QString, QButtonGroup*> groups_;
  QComboBox* rasse_ = nullptr;
  QComboBox* farbe_ = nullptr;
  QComboBox* status_ = nullptr;
  QSpinBox* traechtigkeit_ = nullptr;
  QSpinBox* wurfmeldung_ = nullptr;
  QCheckBox* alle_ = nullptr;
  std::vector<QCheckBox*> statusBoxes_;
  std::vector<qint64> statusNumbers_;
  QTabWidget* pedigreeTabs_ = nullptr;
  QListWidget* itemList_ = nullptr;
  QWidget* choicePanel_ = nullptr;
  QListWidget* choiceList_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* choiceOk_ = nullptr;
  QStringList pedigree_[2];  // Anzeige, Druck
  int pedigreeTab_ = 0;
  QLineEdit* textverarbeitung_ = nullptr;
  QComboBox* aufloesung_ = nullptr;
  QCheckBox* verfallsdatum_ = nullptr;
  QSpinBox* margins_[4] = {};
  QCheckBox* titelRot_ = nullptr;
  QPushButton* defaults_ = nullptr;
  struct AddedPage {
    shell::ui::OptionsPage page;
    QWidget* widget;
  };
  std::vector<AddedPage> added_;
  shell::ProfileFile* ini_ = nullptr;
};

}  // namespace lapiro::output::ui
