// The main window TFormLapiroManager: menu, tool bar, the animal list on the left, the area
// of child windows beside it and the status line. It shows the data of a ShellSession and
// decides which child window may open (OfficeRule) and how child windows are sized.
#pragma once

#include "shell/animal_commands.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "shell/ui/office_rule.h"

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QTableView;
class QToolBar;

namespace lapiro::engine {
class CursorModel;
}

namespace lapiro::store::ui {
class TsuchenDlg;
}

namespace lapiro::shell::ui {

class HelpWindow;
class TKalenderDlg;

// The menus, submenus and tool bar are laid out from the commands registered through the
// Host interface: the window's own (the animal commands, lookup lists, printer set-up,
// window arrangement, help) and those of the feature modules (moduleRegistration()).
class TFormLapiroManager : public QMainWindow, public Host {
  Q_OBJECT

 public:
  explicit TFormLapiroManager(ShellSession& session, QWidget* parent = nullptr);
  ~TFormLapiroManager() override;

  // Start-up steps 5 to 9 (ShellSession::start) and what the window makes of them: the
  // recently-shown menu entries, the caption from the own user data and the visible menu
  // item "Angora Leistungsnachweis". Returns false when the program must end.
  bool startUp(const QRect& workArea);

  // Applies the settings (start-up step 10 and after the options were saved): the animal
  // list's panel, columns, order and filter, the pedigree item orders, hints at the pointer
  // and the placement of the window.
  void applySettings() override;

  // Start-up step 4 at 40: creates the animal card "Rund um das Tier" beside the list, over
  // the data module (which must exist), by the registered card factory. Call once.
  void createCard();
  // Start-up step 4 from 50: the dialogs shared by every window (calendar, animal search),
  // each created once; `progress` receives the splash steps.
  void createSharedDialogs(const std::function<void(int)>& progress = {});
  TKalenderDlg& calendar() override;

  // The animal card's widget; null before createCard() and after it was closed.
  QWidget* cardWidget() const override;

  // Places the window from System/Aufloesung on the screen's work area.
  void placeWindow();

  // Makes the animal with `nummer` the current one of the list and of the card, lets the card
  // show it and records it in the recently-shown list. Returns false when the list does not
  // hold it.
  bool showAnimal(qlonglong nummer) override;

  // Rebuilds the recently-shown entries of the menu "Kaninchen" from the settings.
  void rebuildRecentMenu();

  // Updates "Anzahl Kaninchen:" in the status line.
  void updateAnimalCount() override;

  // Shows the help page of a context number in the help window.
  void showHelp(int context) override;

  // --- opening child windows: every window of the program opens through one of these ------

  // Opens `window` as a normal child window: its frame closes with it and is deleted, it is
  // `wanted` large (frame included; its size hint when invalid) but never beyond the client
  // area, and when System/Fenster is set every child window is cascaded while the card keeps
  // its size. The window is shown and made active. `window` must not be in the area yet.
  QMdiSubWindow* openNormalWindow(QWidget* window, const QSize& wanted = QSize(), Qt::WindowFlags flags = {}) override;
  // Opens `window` as office window `which`: frameless, filling the client area, registered
  // with the office rule; the list panel is hidden while it is open. The caller has asked the
  // office rule before.
  QMdiSubWindow* openOfficeWindow(QWidget* window, OfficeWindow which) override;
  // Brings an open child window to the front; false when `sub` is null (closed).
  bool bringForward(QMdiSubWindow* sub) override;
  // Keeps every child window inside the client area: a window larger than the area shrinks to
  // it, one reaching beyond an edge moves back in. Runs after every opening and resize.
  void keepChildWindowsInside();

  // --- registration (Host) ---
  void addCommand(MenuCommand command) override;
  void addToolButton(ToolButton button) override;
  void setCardFactory(CardFactory factory) override;
  void addKeywordTarget(store::KeywordKind kind, std::function<void(qint64 target)> open) override;
  std::function<void(qint64 target)> keywordTarget(store::KeywordKind kind) const override;
  void addFirstShowAction(std::function<void()> action) override;
  void addAnimalOpenedListener(std::function<void(qint64 nummer)> listener) override;
  void addOptionsPage(OptionsPage page) override;
  const std::vector<OptionsPage>& optionsPages() const override { return optionsPages_; }

  QWidget* widget() override { return this; }
  ShellSession& session() override { return session_; }
  QMdiArea* mdiArea() const override { return mdi_; }
  QTableView* animalGrid() const { return grid_; }
  engine::CursorModel* animalModel() const { return model_.get(); }
  QWidget* listPanel() const { return listPanel_; }
  QLabel* countLabel() const { return count_; }
  QToolBar* toolBar() const { return toolBar_; }
  OfficeRule& officeRule() override { return office_; }
  const QList<QAction*>& recentActions() const { return recentActions_; }
  HelpWindow* helpWindow() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The window's own commands and tool buttons.
  void registerOwnCommands();
  // Builds the menu bar and the tool bar from the registered commands (again after a late
  // registration).
  void layOutCommands();
  void layOutMenu(QMenu* menu, const QString& path);
  void layOutToolBar();
  void createToolBar();
  void createListPanel();
  void setUpListColumns();
  // A click on a column header of the list: sorts by the column's index (again: reversed).
  void sortByColumn(int column);
  void showSortIndicator();
  void syncGridToCursor();
  void fitChildWindows();
  void fitCard();
  // Width of the list panel beside the card in the compact / normal arrangement.
  int cardListWidth(bool compact) const;
  // Width the list panel gets beside the card: the compact width while the card is compact,
  // otherwise every column of the list when the card keeps kCardNormalWidth beside it, and
  // else the normal width.
  int listPanelWidth() const;
  // Gives the list panel listPanelWidth() when that differs from the width last given.
  void fitListPanel();
  void focusCardTab();
  HostedCard* hostedCard() const { return cardWidget_ ? card_ : nullptr; }
  void cascadeChildWindows();

  // Command handlers.
  void BeendenClick();
  void InfoClick();
  void InhaltClick();
  void TextverarbeitungClick();
  void DruckereinrichtungClick();
  void SchriftartClick();
  void UebereinanderClick();
  void SymboleAnordnenClick();
  void DBGridHasenfeldDblClick(const QModelIndex& index);
  void SuchenClick();  // "Suchen": the animal search, then show the chosen animal
  void SpeichernClick();  // "Speichern": saves the card's animal
  // New animal (menu and tool-bar variants), duplicate and delete on the data module, with the
  // card on "Stammdaten"; none of them acts while an office window is open.
  bool prepareCardForEntry();
  void newAnimal(NewAnimalVariant variant);
  void NeuaufnahmeClick();
  void NeuesKaninchenClick();
  void DuplizierenClick();
  void LoeschenClick();
  void recentEntryClick(QAction* action);

  // Lookup lists and index rebuild (normal windows, at most once each).
  void openOnce(QPointer<QMdiSubWindow>& slot, const std::function<QWidget*()>& create);
  void RassenClick();
  void FarbenClick();
  void StatusClick();
  void IndexrekonstruktionClick();

  ShellSession& session_;
  OfficeRule office_;
  QSplitter* splitter_ = nullptr;
  QWidget* listPanel_ = nullptr;
  QTableView* grid_ = nullptr;
  std::unique_ptr<engine::CursorModel> model_;
  QMdiArea* mdi_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* count_ = nullptr;
  std::vector<MenuCommand> commands_;
  std::vector<ToolButton> toolButtons_;
  CardFactory cardFactory_;
  std::map<int, std::function<void(qint64)>> keywordTargets_;
  std::vector<std::function<void()>> firstShowActions_;
  std::vector<std::function<void(qint64)>> animalOpenedListeners_;
  std::vector<OptionsPage> optionsPages_;
  bool laidOut_ = false;
  bool started_ = false;                  // start-up opened the tables
  QList<QAction*> hiddenUntilStartUp_;
  QMenu* kaninchenMenu_ = nullptr;
  QAction* recentEnd_ = nullptr;  // the separator after the recently-shown entries
  QList<QAction*> recentActions_;
  QList<QWidget*> hintWidgets_;   // tool buttons whose pointer hints follow System/Hilfe
  QPointer<HelpWindow> help_;
  QPointer<QMdiSubWindow> info_;
  QPointer<QMdiSubWindow> rassen_;
  QPointer<QMdiSubWindow> farben_;
  QPointer<QMdiSubWindow> status_;
  QPointer<QMdiSubWindow> indexrekonstruktion_;
  QPointer<store::ui::TsuchenDlg> suchen_;  // the animal search, created on first use
  store::ui::TsuchenDlg& animalSearch();
  QPointer<QWidget> cardWidget_;
  HostedCard* card_ = nullptr;  // the card's host interface while cardWidget_ lives
  QPointer<QMdiSubWindow> cardWindow_;
  QPointer<TKalenderDlg> kalender_;  // the shared calendar, created on first use
  // Width the card's normal arrangement needs beside the list to show its fields uncut.
  static constexpr int kCardNormalWidth = 880;
  bool listCompact_ = false;    // the card's arrangement the list panel was last fitted for
  int listFullWidth_ = 0;       // width of the list panel showing every visible column
  int listWidthApplied_ = -1;   // width last given to the list panel; -1 before the first
  QPrinter printer_;
  bool syncing_ = false;
  bool firstShow_ = true;
  int reservedHeight_ = 0;
};

}  // namespace lapiro::shell::ui
