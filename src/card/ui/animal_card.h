// TLapiroStamm, the animal card "Rund um das Tier": a child window of the main window beside
// the animal list that always shows the current animal of the data module's cursor "Hasen".
// The frame holds eight tabs; the master-data tab "Stammdaten" binds its fields to the
// record, and the navigator, "Speichern" and "R&ückgängig" act through CardController.
//
// The card implements the data module's TCardState: it registers itself on construction and
// unregisters on destruction, so the record rules reach it exactly while it exists.
//
// Dialogs the card opens (animal search, address search, calendar) and windows it asks for
// (address book, help) come in as CardServices, so tests can answer them.
#pragma once

#include "card/card_controller.h"
#include "shell/ui/host.h"
#include "store/animal_search.h"
#include "store/card_state.h"

#include <QDate>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QButtonGroup;
class QComboBox;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::card::ui {

class TPedigreePage;

class TBildergalerie;
class TLapiroStamm;
class TZusatzinfoSeite;

struct CardServices {
  // The animal search dialog; the chosen Nummer or nullopt when cancelled.
  std::function<std::optional<qint64>(const store::SearchRequest&)> searchAnimal;
  // The address search dialog; the chosen LaufendeNr or nullopt when cancelled.
  std::function<std::optional<qint64>()> searchAddress;
  // The calendar dialog on `initial`; the chosen date or nullopt when cancelled.
  std::function<std::optional<QDate>(const QDate& initial)> pickDate;
  // Records a shown animal in the recently-shown list; true when the list changed.
  CardController::NoteShown noteShown;
  // "Adressen" beside the breeder (true) or owner (false) box: the address book.
  std::function<void(bool breeder)> openAddressBook;
  // The help page of a context number.
  std::function<void(int context)> showHelp;
  // The main window's animal list: read anew / stand on an animal / count its rows.
  std::function<void()> refreshAnimalList;
  std::function<void(qint64 nummer)> positionAnimalList;
  std::function<void()> updateRecordCounter;
};

// A tab of the card that a feature module contributes (the card itself knows none of them):
// its page and what the card tells it. Unset hooks do nothing; an unset `leaving` lets the
// card leave the tab.
struct CardPage {
  QWidget* widget = nullptr;
  std::function<bool()> leaving;                           // false keeps the tab open
  std::function<void(const QDate& today)> animalChanged;   // another animal became current
  std::function<void()> reshow;                            // the current animal's data changed
  std::function<void()> focusDate;                         // a new record: focus the date field
  std::function<void()> rebuildYoungRows;                  // young-animal rows to be built anew
};
struct CardPageContext {
  store::TDatenStamm& dm;
  shell::tsysteminfo& settings;
  const CardServices& services;
  TLapiroStamm& card;
};
// Makes the page of the tab `tab` (a TLapiroStamm::Tab contributed from outside).
struct CardPageFactory {
  int tab = 0;
  std::function<CardPage(const CardPageContext&)> create;
};
using CardPageFactories = std::vector<CardPageFactory>;

class TLapiroStamm : public QWidget, public store::TCardState, public shell::ui::HostedCard {
  Q_OBJECT

 public:
  // Tab indexes in their fixed order.
  enum Tab {
    TabStammdaten,
    TabStammbaum,
    TabZusatzinfo,
    TabStallhygiene,
    TabZuchtbuch,
    TabAusstellung,
    TabBilder,
    TabLeistungsnachweis,
  };

  // Client heights below this use the compact arrangement.
  static constexpr int kCompactHeight = 550;

  // The tabs Stallhygiene, Wurfbuch/Körung, Ausstellung and Angora Leistungsnachweis come
  // from `pages`; a tab without a factory shows an empty page.
  TLapiroStamm(store::TDatenStamm& dm, shell::tsysteminfo& settings, CardServices services,
               const CardPageFactories& pages = {}, QWidget* parent = nullptr);
  ~TLapiroStamm() override;

  CardController& controller() { return controller_; }

  // Rebuilds the caption, the address boxes and the fields from the current animal and
  // disables "Speichern" and "R&ückgängig"; `byCommand` also records the animal in the
  // recently-shown list.
  void refreshCard(bool byCommand);
  // Applies the settings that shape the card (left tattoo in parts).
  void applySettings() override;
  // Builds the pedigree of the tab "Stammbaum" anew (focus to box 1 when `moveFocus`).
  void showPedigree(bool moveFocus = true);
  TPedigreePage* pedigreePage() const { return pedigree_; }
  // The page of a tab (not its scroll area); null for a tab without a page.
  QWidget* page(Tab tab) const;
  // Turns to "Stammdaten" and puts the focus on the right tattoo.
  void showStammdaten();
  // Compact arrangement when `compact`, else the normal one.
  void applyLayout(bool compact);
  bool isCompact() const { return compact_; }

  // Runs the leave-checks of the field being edited (formula, date) before a command;
  // false when a check failed and the command must not go on.
  bool finishFieldEntry() override;

  // "Speichern" and "R&ückgängig" (also the menu's "Speichern").
  void SpeichernClick();
  void RueckgaengigClick();

  QTabWidget* tabs() const { return tabs_; }
  QPushButton* saveButton() const { return speichern_; }
  QPushButton* undoButton() const { return rueckgaengig_; }
  QFrame* parentPanel() const { return panel_; }
  QPlainTextEdit* parentPanelText() const { return panelText_; }
  QPlainTextEdit* breederBox() const { return zuechterBox_; }
  QPlainTextEdit* ownerBox() const { return besitzerBox_; }
  QLineEdit* rightTattoo() const { return tatoRechts_; }
  QLineEdit* leftTattoo() const { return tatoLinks_; }
  QLineEdit* tattooPart(int i) const { return parts_[i]; }
  QLineEdit* formulaEdit() const { return erbformel_; }
  QLineEdit* birthEdit() const { return geboren_; }
  QLineEdit* koernoteEdit() const { return koernote_; }
  QComboBox* breedBox() const { return rasse_; }
  QComboBox* colourBox() const { return farbe_; }
  QLineEdit* genotypeEdit() const { return genotyp_; }
  QLabel* genotypeHint() const { return genotypHinweis_; }
  QComboBox* statusBox() const { return status_; }
  QLineEdit* fatherEdit() const { return vater_; }
  QLineEdit* motherEdit() const { return mutter_; }
  QLabel* pictureBox() const { return bild_; }
  // The representative picture on "Stammdaten" ("kein Bild" for an empty or missing path).
  void showRepresentativePicture(const QString& path);
  const QString& representativePicture() const { return picturePath_; }
  TBildergalerie* gallery() const { return galerie_; }
  TZusatzinfoSeite* additionalInfo() const { return zusatzinfo_; }

  // Opens the information panel of the father / mother over its field.
  void showParentPanel(bool father);
  // The search and address buttons.
  void chooseParent(bool father);
  void chooseAddress(bool breeder);
  // The date button of "Geboren".
  void pickBirthDate();

  // --- HostedCard ---
  QWidget* cardWidget() override { return this; }
  void showCurrentRecord() override;
  void reload() override { refreshCard(false); }
  void focusCurrentTab() override;
  void turnToMasterData() override { showStammdaten(); }
  void selectMasterDataTab() override;
  void save() override { SpeichernClick(); }
  void arrange(bool compact) override { applyLayout(compact); }
  int compactHeight() const override { return kCompactHeight; }

  // --- TCardState ---
  void setEditButtonsEnabled(bool enabled) override;
  void setUndoButtonEnabled(bool enabled) override;
  void setCaption(const QString& caption) override;
  void refreshAnimalList() override;
  void positionAnimalList(qint64 nummer) override;
  void updateDisplays() override;
  void clearAddressBoxes() override;
  bool leftTattooInParts() const override;
  void setTattooParts(const QString& month, const QString& year, const QString& number) override;
  void hideParentPanels() override;
  void showParents() override;
  void resetEvaluationDates(const QDate& today) override;
  void reshowBreedingTab() override;
  void focusHygieneDate() override;
  void setWoolTabVisible(bool visible) override;
  void rebuildYoungAnimalRows() override;
  void refreshColourBox() override;
  void setColourBoxEnabled(bool enabled) override;
  void setPictureHint(const QString& hint) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // "Stammdaten": the page, and its parts one group of fields each (widgets, layout and
  // what they write into the record).
  QWidget* buildStammdaten();
  QGridLayout* buildOwnDataFields(QWidget* p);
  QWidget* buildIdentityFields(QWidget* p);  // tattoos (the left one also in parts), name
  void buildBreedFields(QWidget* p);         // breed, colour, genotype and its hint
  QWidget* buildSexChoice(QWidget* p);
  void buildBreedingFields(QWidget* p);      // stall number, formula, litter size, Körnote, status
  QWidget* buildBirthRow(QWidget* p);
  QGridLayout* buildParentAndAddressFields(QWidget* p);  // parents, remarks, breeder, owner
  void buildPictureBox(QWidget* p);
  QHBoxLayout* buildCommandBar(QWidget* p);  // navigator, save, undo, help
  QWidget* placeholderPage(const QString& caption);
  void loadFields();
  void loadBreedBox();
  void loadColourBox(qint64 rasse);
  void loadStatusBox();
  // Reads the drop-down lists anew when their tables changed (the lookup-list windows).
  void reloadChangedLists();
  void loadAddressBoxes();
  // The looked-up data changed: the lists, address boxes and caption are read anew (once,
  // after the change that caused it).
  void scheduleLookupRefresh();
  void refreshLookedUpData();
  void loadPicture();
  void updateRepresentativePicture();
  void updateCounter();
  void afterMove();
  void navigate(CardController::Move m);
  void writeText(const QString& field, const QString& text);
  void tattooPartEdited(int part);
  void tattooPartLeft();
  bool formulaLeft();
  // Commits of the checked boxes (FieldEdit): false when the record refused the value.
  bool writeValue(const QString& field, const QVariant& value);
  bool birthDateWritten(const QVariant& value);

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  CardServices services_;
  CardController controller_;
  int hasenListener_ = -1;
  std::vector<std::pair<engine::Cursor*, int>> lookupListeners_;  // cursor (null once destroyed), listener
  bool lookupRefreshPending_ = false;

  bool loading_ = false;   // fields are being filled from the record
  bool writing_ = false;   // a field is being written from a widget
  bool compact_ = false;
  bool layoutApplied_ = false;
  qint64 colourBoxBreed_ = -1;
  // What the drop-down lists were read from: table and its change count.
  std::pair<const void*, quint64> breedStamp_{}, colourStamp_{}, statusStamp_{};
  QString picturePath_;

  QTabWidget* tabs_ = nullptr;
  int shownTab_ = 0;  // the tab shown before the last change
  TPedigreePage* pedigree_ = nullptr;
  std::vector<std::pair<int, CardPage>> pages_;  // the contributed tabs by Tab
  const CardPage* contributed(Tab tab) const;
  QWidget* stammdaten_ = nullptr;
  QGridLayout* stammGrid_ = nullptr;
  QLineEdit* tatoRechts_ = nullptr;
  QLineEdit* tatoLinks_ = nullptr;
  QWidget* partsRow_ = nullptr;
  QLineEdit* parts_[3] = {nullptr, nullptr, nullptr};
  QLineEdit* idCode_ = nullptr;
  QComboBox* rasse_ = nullptr;
  QComboBox* farbe_ = nullptr;
  QLineEdit* genotyp_ = nullptr;
  QLabel* genotypHinweis_ = nullptr;
  QRadioButton* rammler_ = nullptr;
  QRadioButton* haesin_ = nullptr;
  QButtonGroup* geschlecht_ = nullptr;
  QLineEdit* stallnummer_ = nullptr;
  QLineEdit* erbformel_ = nullptr;
  QLineEdit* wurfgroesse_ = nullptr;
  QLineEdit* koernote_ = nullptr;
  QPlainTextEdit* anomalien_ = nullptr;
  QLineEdit* geboren_ = nullptr;
  QToolButton* kalender_ = nullptr;
  QComboBox* status_ = nullptr;
  QLineEdit* vater_ = nullptr;
  QLineEdit* mutter_ = nullptr;
  QToolButton* vaterSuchen_ = nullptr;
  QToolButton* mutterSuchen_ = nullptr;
  QPlainTextEdit* zuechterBox_ = nullptr;
  QPlainTextEdit* besitzerBox_ = nullptr;
  QLabel* bild_ = nullptr;
  QWidget* pictureNormalSlot_ = nullptr;
  QWidget* pictureCompactSlot_ = nullptr;
  QToolButton* nav_[6] = {};
  QPushButton* speichern_ = nullptr;
  QPushButton* rueckgaengig_ = nullptr;
  QFrame* panel_ = nullptr;
  QPlainTextEdit* panelText_ = nullptr;
  bool panelEntered_ = false;
  TBildergalerie* galerie_ = nullptr;              // the tab "Bildergalerie"
  TZusatzinfoSeite* zusatzinfo_ = nullptr;         // the tab "Gewichtstabelle/Zusatzinfo"
};

// The card the host shows; null before it is created and after it closed.
TLapiroStamm* cardOf(shell::ui::Host& host);

}  // namespace lapiro::card::ui
