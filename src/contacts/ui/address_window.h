// "Adressenverwaltung" (Tadressenverwaltung): the address book, an office window of the main
// window. Page "&Felder" edits the current address, page "&Tabelle" lists the addresses; the
// tab strip along the bottom chooses letters, categories, the search and a new entry.
//
// The window opens its own views of Adresse and Rasse and closes them when it closes; a
// pending change is posted first.
#pragma once

#include <QHash>
#include <QWidget>
#include <memory>

#include "contacts/ui/address_dialogs.h"
#include "engine/cursor.h"
#include "engine/cursor_model.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedLayout;
class QTabBar;
class QTabWidget;
class QTableView;

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::contacts::ui {

class Tadressenverwaltung : public QWidget {
  Q_OBJECT

 public:
  // `shared` is the data module's view of Adresse (closed and reopened by the membership
  // upgrade); may be null.
  Tadressenverwaltung(engine::Engine& engine, shell::tsysteminfo& settings, engine::Cursor* shared,
                      QWidget* parent = nullptr);
  ~Tadressenverwaltung() override;

  // Whether the address table could be opened (message 11 was shown otherwise).
  bool isUsable() const { return adressen_.isOpen(); }
  engine::Cursor& adressen() { return adressen_; }

  // Goes to the address with this number (index AdrName, no range). False when none.
  bool gotoAddress(qint64 laufendeNr);
  // Tab "A-Z" and the first address by name.
  void showAll();

  // The default web address of the homepage link while Homepage is empty.
  static QString defaultHomepage();

  void HinzufuegenClick();
  void SpeichernClick();
  void AbbruchClick();
  void LoeschenClick();
  void BemerkungClick();
  void EMailClick();
  void DruckenlisteClick();
  void DruckenSatzClick();
  void TabSet1Click(int tab);
  // The duplicate-name check when the name or first-name box loses the focus.
  void NameExit();

  QTabBar* tabSet() const { return tabSet_; }
  QLineEdit* box(const QString& field) const { return boxes_.value(field); }
  QPushButton* speichernButton() const { return speichern_; }
  QPushButton* abbruchButton() const { return abbruch_; }
  QWidget* remarkPanel() const { return remarkPanel_; }
  QLabel* homepageLink() const { return homepage_; }
  TSuchenAdrDlg& searchDialog() { return *search_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildFields(QWidget* page);
  void fillFromRecord();
  void updateButtons();
  bool fieldEdited(const QString& field, const QVariant& value);  // false when refused
  void hideRemark();
  void chooseBirthday();

  engine::Engine& engine_;
  shell::tsysteminfo& settings_;
  engine::Cursor* shared_;
  engine::Cursor adressen_;
  engine::Cursor view_;
  engine::Cursor rasse_;
  std::unique_ptr<engine::CursorModel> model_;
  std::unique_ptr<TSuchenAdrDlg> search_;
  int listener_ = 0;
  bool filling_ = false;
  bool checkingName_ = false;
  QStringList categories_;
  QList<qint64> breedNumbers_;
  QVariant mark_;

  QTabWidget* pages_ = nullptr;
  QHash<QString, QLineEdit*> boxes_;
  QComboBox* rasseBox_ = nullptr;
  QButtonGroup* statusGroup_ = nullptr;
  QLabel* homepage_ = nullptr;
  QWidget* remarkPanel_ = nullptr;
  QStackedLayout* remarkStack_ = nullptr;  // the fields (index 0) or the remark panel
  QPlainTextEdit* remark_ = nullptr;
  QTableView* grid_ = nullptr;
  QTabBar* tabSet_ = nullptr;
  QPushButton* speichern_ = nullptr;
  QPushButton* abbruch_ = nullptr;
};

}  // namespace lapiro::contacts::ui
