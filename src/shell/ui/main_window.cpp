#include "shell/ui/main_window.h"

#include "engine/cursor_model.h"
#include "shell/animal_commands.h"
#include "shell/animal_list.h"
#include "shell/paths.h"
#include "shell/placement.h"
#include "shell/word_processor.h"
#include "shell/ui/application.h"
#include "shell/ui/calendar_dialog.h"
#include "shell/ui/help_window.h"
#include "shell/ui/info_window.h"
#include "shell/ui/keyword_search_window.h"
#include "store/dialog_service.h"
#include "store/keyword_index.h"
#include "store/messages.h"
#include "store/ui/index_rebuild_window.h"
#include "store/ui/lookup_list_windows.h"
#include "store/ui/animal_search_dialog.h"
#include "store/data_module.h"

#include <QAction>
#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace lapiro::shell::ui {

namespace {

// The animal list's model: the cursor's rows, and a row can be dragged to the windows that
// take an animal.
class AnimalListModel : public engine::CursorModel {
 public:
  using engine::CursorModel::CursorModel;

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return engine::CursorModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
  }
  QStringList mimeTypes() const override { return {QString::fromLatin1(kAnimalMimeType)}; }
  QMimeData* mimeData(const QModelIndexList& indexes) const override {
    if (indexes.isEmpty()) return nullptr;
    const int row = indexes.first().row();
    DraggedAnimal animal;
    animal.nummer = value(row, QStringLiteral("Nummer")).toLongLong();
    animal.tatoRechts = value(row, QStringLiteral("TatoRechts")).toString();
    animal.tatoLinks = value(row, QStringLiteral("TatoLinks")).toString();
    if (animal.nummer <= 0) return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kAnimalMimeType), encodeDraggedAnimal(animal));
    data->setText(animal.tatoRechts + u' ' + animal.tatoLinks);
    return data;
  }
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
};

// Short hint (at the pointer) and long hint (status line) of a hint text "short|long"; a
// text without "|" is both.
QString shortHint(const QString& hint) { return hint.section(u'|', 0, 0); }
QString longHint(const QString& hint) { return hint.contains(u'|') ? hint.section(u'|', 1) : hint; }

}  // namespace

TFormLapiroManager::TFormLapiroManager(ShellSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
  setObjectName(QStringLiteral("TFormLapiroManager"));
  // Dialogs opened from here on stay inside the work area (the program's application object
  // installs this too; a host on a plain QApplication gets it here).
  installKeepOnScreen();
  setWindowTitle(QStringLiteral("Lapiro Manager"));
  if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(tileIcon(QStringLiteral("LM"), QColor(0x6b, 0x3e, 0x1e)));
  createToolBar();
  registerOwnCommands();
  if (ModuleRegistration registration = moduleRegistration()) registration(*this);
  layOutCommands();
  createListPanel();

  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("ClientArea"));
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setBackground(QColor(0x80, 0x80, 0x80));
  // A maximised child window stays alone in that state: the card, activated after it, keeps
  // its own arrangement with caption.
  mdi_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
  // The card follows the area when the splitter moves as well as when the window resizes.
  mdi_->viewport()->installEventFilter(this);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("Splitter"));
  splitter_->addWidget(listPanel_);
  splitter_->addWidget(mdi_);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setChildrenCollapsible(false);
  setCentralWidget(splitter_);

  count_ = new QLabel(QStringLiteral("Anzahl Kaninchen: 0"), this);
  count_->setObjectName(QStringLiteral("AnzahlKaninchen"));
  count_->setMinimumWidth(160);
  statusBar()->addPermanentWidget(count_);
  statusBar()->setSizeGripEnabled(true);
  reservedHeight_ = toolBar_->sizeHint().height() + statusBar()->sizeHint().height() + 4;
}

TFormLapiroManager::~TFormLapiroManager() {
  // The child windows go while this window is still whole: their closing handlers reach back
  // into it (an office window shows the list panel again).
  if (cardWindow_) cardWindow_->removeEventFilter(this);
  if (mdi_)
    for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
  if (help_) delete help_.data();
  // The model listens to the list's cursor, which the session owns beyond this window.
  if (model_) model_->setDataSet(nullptr);
}

// ------------------------------------------------------------------ building

namespace {

// The menus in their order; a submenu stands at `position` in its parent menu.
struct MenuSlot {
  const char16_t* path;
  int position;
};
constexpr MenuSlot kMenus[] = {
    {u"Kaninchen", 0},        {u"Kaninchen/Nachkommen", 210},    {u"Infobox", 0},
    {u"Genmodul", 0},         {u"Büro", 0},                      {u"System", 0},
    {u"System/Systemverwaltung", 110}, {u"System/Datenverwaltung", 120}, {u"Drucker", 0},
    {u"Fenster", 0},          {u"Hilfe", 0},
};

QString parentPath(const QString& path) { return path.contains(u'/') ? path.section(u'/', 0, -2) : QString(); }

}  // namespace

void TFormLapiroManager::addCommand(MenuCommand command) {
  commands_.push_back(std::move(command));
  if (laidOut_) layOutCommands();
}

void TFormLapiroManager::addToolButton(ToolButton button) {
  toolButtons_.push_back(std::move(button));
  if (laidOut_) layOutToolBar();
}

void TFormLapiroManager::setCardFactory(CardFactory factory) { cardFactory_ = std::move(factory); }

void TFormLapiroManager::addKeywordTarget(store::KeywordKind kind, std::function<void(qint64)> open) {
  keywordTargets_[static_cast<int>(kind)] = std::move(open);
}

std::function<void(qint64)> TFormLapiroManager::keywordTarget(store::KeywordKind kind) const {
  const auto it = keywordTargets_.find(static_cast<int>(kind));
  return it == keywordTargets_.end() ? std::function<void(qint64)>() : it->second;
}

void TFormLapiroManager::addFirstShowAction(std::function<void()> action) { firstShowActions_.push_back(std::move(action)); }

void TFormLapiroManager::addAnimalOpenedListener(std::function<void(qint64)> listener) {
  animalOpenedListeners_.push_back(std::move(listener));
}

void TFormLapiroManager::addOptionsPage(OptionsPage page) { optionsPages_.push_back(std::move(page)); }

void TFormLapiroManager::registerOwnCommands() {
  auto own = [this](const QString& menu, int position, const QString& text, void (TFormLapiroManager::*handler)(),
                    const QKeySequence& shortcut = {}) {
    addCommand({menu, position, text, [this, handler] { (this->*handler)(); }, shortcut});
  };
  const QString kaninchen = QStringLiteral("Kaninchen");
  own(kaninchen, 110, QStringLiteral("Neuaufnahme"), &TFormLapiroManager::NeuaufnahmeClick);
  own(kaninchen, 120, QStringLiteral("Duplizieren"), &TFormLapiroManager::DuplizierenClick);
  own(kaninchen, 130, QStringLiteral("Suchen"), &TFormLapiroManager::SuchenClick);
  own(kaninchen, 140, QStringLiteral("Speichern"), &TFormLapiroManager::SpeichernClick, QKeySequence(Qt::CTRL | Qt::Key_S));
  own(kaninchen, 150, QStringLiteral("Kaninchen löschen"), &TFormLapiroManager::LoeschenClick);
  // The recently-shown animals stand between two separators before "Beenden".
  own(kaninchen, 910, QStringLiteral("Beenden"), &TFormLapiroManager::BeendenClick);
  own(QStringLiteral("Büro"), 120, QStringLiteral("Textverarbeitung"), &TFormLapiroManager::TextverarbeitungClick);
  const QString daten = QStringLiteral("System/Datenverwaltung");
  own(daten, 110, QStringLiteral("Rassen"), &TFormLapiroManager::RassenClick);
  own(daten, 120, QStringLiteral("Farben"), &TFormLapiroManager::FarbenClick);
  own(daten, 130, QStringLiteral("Status"), &TFormLapiroManager::StatusClick);
  own(QStringLiteral("System"), 240, QStringLiteral("Indexrekonstruktion"), &TFormLapiroManager::IndexrekonstruktionClick);
  own(QStringLiteral("Drucker"), 120, QStringLiteral("Druckereinrichtung"), &TFormLapiroManager::DruckereinrichtungClick);
  own(QStringLiteral("Drucker"), 130, QStringLiteral("Schriftart"), &TFormLapiroManager::SchriftartClick);
  own(QStringLiteral("Fenster"), 110, QStringLiteral("Übereinander"), &TFormLapiroManager::UebereinanderClick);
  own(QStringLiteral("Fenster"), 120, QStringLiteral("Symbole anordnen"), &TFormLapiroManager::SymboleAnordnenClick);
  own(QStringLiteral("Hilfe"), 110, QStringLiteral("Inhalt"), &TFormLapiroManager::InhaltClick);
  own(QStringLiteral("Hilfe"), 210, QStringLiteral("Info"), &TFormLapiroManager::InfoClick);

  QStyle* s = style();
  auto button = [this](int position, const QIcon& icon, const QString& hint, void (TFormLapiroManager::*handler)()) {
    addToolButton({position, icon, hint, [this, handler] { (this->*handler)(); }});
  };
  button(110, tileIcon(QStringLiteral("+"), QColor(0x3a, 0x8a, 0x3a)), QStringLiteral("Neues Kaninchen anlegen"),
         &TFormLapiroManager::NeuesKaninchenClick);
  button(120, s->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("Kaninchen suchen"),
         &TFormLapiroManager::SuchenClick);
  button(130, tileIcon(QStringLiteral("2×"), QColor(0x3a, 0x6a, 0x9a)), QStringLiteral("Kaninchen suchen"),
         &TFormLapiroManager::DuplizierenClick);
  button(230, tileIcon(QStringLiteral("R"), QColor(0x6a, 0x4a, 0x8a)), QStringLiteral("Rassen"), &TFormLapiroManager::RassenClick);
  button(240, tileIcon(QStringLiteral("F"), QColor(0x6a, 0x4a, 0x8a)), QStringLiteral("Fellfarben"),
         &TFormLapiroManager::FarbenClick);
  button(340, s->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Textverarbeitung"),
         &TFormLapiroManager::TextverarbeitungClick);
  addToolButton({420, s->standardIcon(QStyle::SP_MessageBoxQuestion), QStringLiteral("Suche nach Schlüsselwort|"),
                 [this] { openSchluesselwortsuche(*this); }});
  addToolButton({510, s->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Programm beenden"),
                 [this] { BeendenClick(); }, QStringLiteral("ENDE")});
}

void TFormLapiroManager::layOutCommands() {
  laidOut_ = true;
  QMenuBar* bar = menuBar();
  for (QAction* action : bar->actions())
    if (action->menu()) action->menu()->deleteLater();
  bar->clear();
  hiddenUntilStartUp_.clear();
  recentActions_.clear();
  for (const MenuSlot& slot : kMenus) {
    const QString path = QString::fromUtf16(slot.path);
    if (!parentPath(path).isEmpty()) continue;
    QMenu* menu = bar->addMenu(path);
    layOutMenu(menu, path);
    if (path == u"Kaninchen") kaninchenMenu_ = menu;
  }
  // The recently-shown entries go between the separator after the last group and one of
  // their own before "Beenden".
  recentEnd_ = nullptr;
  const QList<QAction*> actions = kaninchenMenu_->actions();
  if (!actions.isEmpty()) recentEnd_ = kaninchenMenu_->insertSeparator(actions.last());
  rebuildRecentMenu();
  layOutToolBar();
}

void TFormLapiroManager::layOutMenu(QMenu* menu, const QString& path) {
  // The entries of one menu by position: its commands and its submenus.
  struct Entry {
    int position;
    const MenuCommand* command;
    QString submenu;
  };
  std::vector<Entry> entries;
  for (const MenuCommand& c : commands_)
    if (c.menu == path) entries.push_back({c.position, &c, {}});
  for (const MenuSlot& slot : kMenus) {
    const QString sub = QString::fromUtf16(slot.path);
    if (parentPath(sub) == path) entries.push_back({slot.position, nullptr, sub});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.position < b.position; });
  int group = -1;
  for (const Entry& e : entries) {
    if (group >= 0 && e.position / 100 != group) menu->addSeparator();
    group = e.position / 100;
    if (!e.command) {
      QMenu* sub = menu->addMenu(e.submenu.section(u'/', -1));
      layOutMenu(sub, e.submenu);
      continue;
    }
    const MenuCommand& c = *e.command;
    QAction* action = menu->addAction(c.text);
    if (!c.shortcut.isEmpty()) action->setShortcut(c.shortcut);
    if (c.handler)
      connect(action, &QAction::triggered, this, [handler = c.handler] { handler(); });
    else
      action->setEnabled(false);  // a command without its window
    if (c.enabled) {
      connect(menu, &QMenu::aboutToShow, action, [action, rule = c.enabled] { action->setEnabled(rule()); });
      action->setEnabled(c.enabled());
    }
    if (c.hiddenUntilStartUp) {
      action->setVisible(started_);
      hiddenUntilStartUp_ << action;
    }
  }
}

void TFormLapiroManager::layOutToolBar() {
  toolBar_->clear();
  for (QWidget* w : hintWidgets_)
    if (w) w->removeEventFilter(this);
  hintWidgets_.clear();
  std::vector<const ToolButton*> buttons;
  for (const ToolButton& b : toolButtons_) buttons.push_back(&b);
  std::stable_sort(buttons.begin(), buttons.end(),
                   [](const ToolButton* a, const ToolButton* b) { return a->position < b->position; });
  int group = -1;
  for (const ToolButton* b : buttons) {
    if (group >= 0 && b->position / 100 != group) toolBar_->addSeparator();
    group = b->position / 100;
    QAction* action = toolBar_->addAction(b->icon, shortHint(b->hint));
    action->setToolTip(shortHint(b->hint));
    action->setStatusTip(longHint(b->hint));
    if (b->handler)
      connect(action, &QAction::triggered, this, [handler = b->handler] { handler(); });
    else
      action->setEnabled(false);
    if (QWidget* button = toolBar_->widgetForAction(action)) {
      button->installEventFilter(this);
      hintWidgets_ << button;
    }
    if (!b->textBesideIcon.isEmpty()) {
      action->setText(b->textBesideIcon);
      if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(action)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
  }
}

void TFormLapiroManager::createToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Werkzeuge"));
  toolBar_->setObjectName(QStringLiteral("ToolBar"));
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(28, 28));
}

void TFormLapiroManager::createListPanel() {
  listPanel_ = new QWidget(this);
  listPanel_->setObjectName(QStringLiteral("Auswahlfenster"));
  grid_ = new QTableView(listPanel_);
  grid_->setObjectName(QStringLiteral("DBGridHasenfeld"));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setAlternatingRowColors(true);
  grid_->verticalHeader()->setVisible(false);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setWordWrap(false);
  grid_->installEventFilter(this);
  model_ = std::make_unique<AnimalListModel>(&session_.animalList().cursor());
  grid_->setDragEnabled(true);
  grid_->setDragDropMode(QAbstractItemView::DragOnly);
  grid_->setDefaultDropAction(Qt::CopyAction);
  grid_->setModel(model_.get());
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (syncing_ || !current.isValid()) return;
            syncing_ = true;
            model_->moveTo(current.row());
            syncing_ = false;
          });
  connect(model_.get(), &engine::CursorModel::currentChanged, this, [this] { syncGridToCursor(); });
  connect(model_.get(), &QAbstractItemModel::modelReset, this, [this] {
    syncGridToCursor();
    updateAnimalCount();
  });
  connect(grid_, &QTableView::doubleClicked, this, &TFormLapiroManager::DBGridHasenfeldDblClick);
  grid_->horizontalHeader()->setSectionsClickable(true);
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TFormLapiroManager::sortByColumn);
  auto* layout = new QVBoxLayout(listPanel_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grid_);
}

// ------------------------------------------------------------------ start-up and settings

bool TFormLapiroManager::startUp(const QRect& workArea) {
  if (!session_.start(workArea)) return false;
  rebuildRecentMenu();
  setWindowTitle(session_.caption());
  started_ = true;
  for (QAction* action : hiddenUntilStartUp_) action->setVisible(true);
  return true;
}

void TFormLapiroManager::applySettings() {
  tsysteminfo& s = session_.settings();
  AnimalList& list = session_.animalList();
  const bool panel = s.Auswahlfenster.Anzeigen;
  listPanel_->setVisible(panel && !office_.anyOpen());
  list.setUp(s);
  if (panel) setUpListColumns();
  s.updateDerived();
  if (HostedCard* card = hostedCard()) card->applySettings();
  // With hints off they show in the status line only (the tool buttons swallow tool tips).
  placeWindow();
  updateAnimalCount();
  syncGridToCursor();
}

void TFormLapiroManager::sortByColumn(int column) {
  const std::vector<ListColumn> columns = listColumns(session_.settings());
  if (column < 0 || column >= static_cast<int>(columns.size())) return;
  tsysteminfo& s = session_.settings();
  const QString before = s.Auswahlfenster.Sortierung;
  if (!session_.animalList().sortByColumn(columns[column].field, s)) return;
  if (s.Auswahlfenster.Sortierung != before) {
    s.save(session_.settingsFile());
    session_.saveSettingsFile();
    setUpListColumns();  // the left tattoo leads its own order
  }
  showSortIndicator();
  syncGridToCursor();
}

void TFormLapiroManager::showSortIndicator() {
  const AnimalList& list = session_.animalList();
  const std::vector<ListColumn> columns = listColumns(session_.settings());
  QHeaderView* header = grid_->horizontalHeader();
  for (int i = 0; i < static_cast<int>(columns.size()); ++i)
    if (!list.sortIndex().isEmpty() && AnimalList::indexForColumn(columns[i].field) == list.sortIndex()) {
      header->setSortIndicatorShown(true);
      header->setSortIndicator(i, list.descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
      return;
    }
  header->setSortIndicatorShown(false);
}

void TFormLapiroManager::setUpListColumns() {
  const std::vector<ListColumn> columns = listColumns(session_.settings());
  std::vector<engine::CursorModel::Column> modelColumns;
  for (const ListColumn& c : columns) modelColumns.push_back({c.field, c.title, 0});
  model_->setColumns(std::move(modelColumns));
  // The designed widths at the screen's scale, but never narrower than the column's caption
  // (with room for the sort mark), so every column shows whole in the least room.
  const double scale = std::max(1.0, logicalDpiX() / 96.0);
  const QFontMetrics headerFont(grid_->horizontalHeader()->font());
  int width = 0;
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    grid_->setColumnHidden(i, !columns[i].visible);
    const int w = std::max(static_cast<int>(columns[i].width * scale),
                           headerFont.horizontalAdvance(columns[i].title) + 14);
    grid_->setColumnWidth(i, w);
    if (columns[i].visible) width += w;
  }
  width += grid_->verticalScrollBar()->sizeHint().width() + 2 * grid_->frameWidth() + 2;
  listPanel_->setMinimumWidth(std::min(width, 160));
  listFullWidth_ = width;
  if (hostedCard())
    fitListPanel();
  else
    splitter_->setSizes({width, std::max(1, splitter_->width() - width)});
  showSortIndicator();
}

void TFormLapiroManager::placeWindow() {
  const QScreen* screen = QApplication::primaryScreen();
  const QRect workArea = screen ? screen->availableGeometry() : QRect();
  const MainWindowPlacement placement = placeMainWindow(session_.settings().System.Aufloesung, workArea);
  if (placement.workAreaUnavailable) {
    store::dialogs().error(workAreaErrorText(QStringLiteral("Es ist kein Bildschirm verfügbar.")));
    return;
  }
  if (placement.maximized) {
    setGeometry(workArea);
    setWindowState(windowState() | Qt::WindowMaximized);
    return;
  }
  setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
  if (placement.geometry) {
    resize(placement.geometry->size());
    move(placement.geometry->topLeft());
  }
}

void TFormLapiroManager::updateAnimalCount() {
  qint64 count = 0;
  try {
    count = session_.animalList().count();
  } catch (const engine::EngineError&) {
    // A damaged table cannot be counted: show the rows the list can read.
    count = model_ ? model_->rowCount() : 0;
  }
  count_->setText(QStringLiteral("Anzahl Kaninchen: ") + QString::number(count));
}

void TFormLapiroManager::syncGridToCursor() {
  if (syncing_) return;
  const int row = model_->currentRow();
  if (row < 0) return;
  syncing_ = true;
  grid_->selectionModel()->setCurrentIndex(model_->index(row, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  grid_->scrollTo(model_->index(row, 0));
  syncing_ = false;
}

// ------------------------------------------------------------------ animals

bool TFormLapiroManager::showAnimal(qlonglong nummer) {
  bool recentChanged = false;
  if (!session_.showAnimal(nummer, &recentChanged)) return false;
  if (recentChanged) rebuildRecentMenu();
  if (HostedCard* card = hostedCard()) {
    card->showCurrentRecord();
    if (cardWindow_) {
      cardWindow_->show();
      mdi_->setActiveSubWindow(cardWindow_);
    }
  }
  syncGridToCursor();
  return true;
}

void TFormLapiroManager::focusCardTab() {
  if (HostedCard* card = hostedCard()) card->focusCurrentTab();
}

TKalenderDlg& TFormLapiroManager::calendar() {
  if (!kalender_) {
    kalender_ = new TKalenderDlg(this);
    connect(kalender_.data(), &TKalenderDlg::helpRequested, this, &TFormLapiroManager::showHelp);
  }
  return *kalender_;
}

void TFormLapiroManager::createSharedDialogs(const std::function<void(int)>& progress) {
  if (progress) progress(50);
  calendar();
  animalSearch();
  if (progress) progress(60);
}

store::ui::TsuchenDlg& TFormLapiroManager::animalSearch() {
  if (!suchen_) {
    suchen_ = new store::ui::TsuchenDlg(session_.engine(), this);
    connect(suchen_.data(), &store::ui::TsuchenDlg::helpRequested, this, &TFormLapiroManager::showHelp);
  }
  return *suchen_;
}

int TFormLapiroManager::cardListWidth(bool compact) const {
  // 193 and 240 pixels at the classic small dialog font; scaled like the list's columns.
  return static_cast<int>((compact ? 193 : 240) * std::max(1.0, logicalDpiX() / 96.0) * 1.25);
}

QWidget* TFormLapiroManager::cardWidget() const { return cardWidget_.data(); }

void TFormLapiroManager::createCard() {
  if (cardWidget_ || !session_.dataModule() || !cardFactory_) return;
  CardHooks hooks;
  hooks.searchAnimal = [this](const store::SearchRequest& request) -> std::optional<qint64> {
    store::ui::TsuchenDlg& dialog = animalSearch();
    if (dialog.exec(request) != QDialog::Accepted) return std::nullopt;
    return dialog.chosenNummer();
  };
  hooks.noteShown = [this](const QString& rechts, const QString& links, qint64 nummer) {
    const bool changed = session_.noteAnimalShown(rechts, links, nummer);
    if (changed) rebuildRecentMenu();
    return changed;
  };
  hooks.refreshAnimalList = [this] {
    session_.animalList().refresh();
    updateAnimalCount();
  };
  hooks.positionAnimalList = [this](qint64 nummer) {
    session_.animalList().positionOn(nummer);
    syncGridToCursor();
  };
  hooks.updateRecordCounter = [this] { updateAnimalCount(); };

  card_ = cardFactory_(hooks);
  if (!card_) return;
  cardWidget_ = card_->cardWidget();
  cardWindow_ = mdi_->addSubWindow(cardWidget_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // The card stays open and fitted into the main window: no restore, minimise or close.
  cardWindow_->setSystemMenu(nullptr);
  cardWindow_->installEventFilter(this);
  cardWindow_->show();
  fitCard();
}

void TFormLapiroManager::fitCard() {
  if (!cardWindow_ || office_.anyOpen()) return;
  const QSize area = mdi_->viewport()->size();
  cardWindow_->setGeometry(QRect(QPoint(0, 0), area));
  // The card itself takes the sub-window's size only when the sub-window's layout runs, which
  // for a window not yet shown happens later: judge by the area less the sub-window's frame.
  const QMargins frame = cardWindow_->contentsMargins();
  HostedCard* card = hostedCard();
  if (!card) return;
  const bool compact = area.height() - frame.top() - frame.bottom() < card->compactHeight();
  card->arrange(compact);
  listCompact_ = compact;
  fitListPanel();
}

namespace {

// Width the card needs beside the list to show its tabs and fields: in the compact
// arrangement (its pages scroll below that), and in the normal one.
constexpr int kCardCompactRoom = 400;
constexpr int kCardNormalRoom = 780;

}  // namespace

int TFormLapiroManager::listPanelWidth() const {
  // The whole list when the card keeps the room its arrangement needs beside it; otherwise
  // the arrangement's narrow width.
  const int narrow = cardListWidth(listCompact_);
  const int room = listCompact_ ? kCardCompactRoom : kCardNormalRoom;
  if (listFullWidth_ > narrow && splitter_->width() - listFullWidth_ >= room) return listFullWidth_;
  return narrow;
}

void TFormLapiroManager::fitListPanel() {
  // A hidden panel keeps no width; the splitter gives it one when it shows again.
  if (listPanel_->isHidden()) return;
  const int width = listPanelWidth();
  // Only a change of the arrangement moves the splitter, so the width the user dragged it to
  // stays while the window is resized within the same arrangement.
  if (width == listWidthApplied_) return;
  listWidthApplied_ = width;
  splitter_->setSizes({width, std::max(1, splitter_->width() - width)});
}

void TFormLapiroManager::rebuildRecentMenu() {
  for (QAction* a : recentActions_) {
    kaninchenMenu_->removeAction(a);
    a->deleteLater();
  }
  recentActions_.clear();
  for (const QString& entry : recentMenuEntries(session_.recentSlots())) {
    auto* action = new QAction(entry, kaninchenMenu_);
    // An "&" of a tattoo is text, not an accelerator.
    action->setText(QString(entry).replace(u'&', QStringLiteral("&&")));
    action->setData(entry);
    connect(action, &QAction::triggered, this, [this, action] { recentEntryClick(action); });
    kaninchenMenu_->insertAction(recentEnd_, action);
    recentActions_ << action;
  }
}

void TFormLapiroManager::recentEntryClick(QAction* action) {
  if (const auto nummer = recentNummer(action->data().toString()); nummer && showAnimal(*nummer) && hostedCard())
    hostedCard()->selectMasterDataTab();
}

void TFormLapiroManager::DBGridHasenfeldDblClick(const QModelIndex& index) {
  if (!index.isValid() || !model_->moveTo(index.row())) return;
  const QVariant nummer = model_->value(index.row(), QStringLiteral("Nummer"));
  if (nummer.isValid() && showAnimal(nummer.toLongLong())) focusCardTab();
  if (nummer.isValid())
    for (const auto& listener : animalOpenedListeners_) listener(nummer.toLongLong());
}

// ------------------------------------------------------------------ commands

void TFormLapiroManager::SuchenClick() {
  // Like the other animal commands, the search does nothing while an office window is open.
  if (office_.anyOpen()) return;
  store::ui::TsuchenDlg& dialog = animalSearch();
  if (dialog.exec(store::SearchRequest{}) != QDialog::Accepted) return;
  if (const auto nummer = dialog.chosenNummer(); nummer && showAnimal(*nummer)) focusCardTab();
}

bool TFormLapiroManager::prepareCardForEntry() {
  // Like the search, these commands do nothing at all while an office window is open.
  if (office_.anyOpen() || !hostedCard() || !session_.dataModule()) return false;
  if (!card_->finishFieldEntry()) return false;
  if (cardWindow_) {
    cardWindow_->show();
    mdi_->setActiveSubWindow(cardWindow_);
  }
  card_->turnToMasterData();
  return true;
}

void TFormLapiroManager::newAnimal(NewAnimalVariant variant) {
  if (!prepareCardForEntry()) return;
  shell::newAnimal(*session_.dataModule(), session_.settings(), variant);
  card_->turnToMasterData();
}

void TFormLapiroManager::NeuaufnahmeClick() { newAnimal(NewAnimalVariant::Menu); }

void TFormLapiroManager::NeuesKaninchenClick() { newAnimal(NewAnimalVariant::ToolBar); }

void TFormLapiroManager::DuplizierenClick() {
  if (!prepareCardForEntry()) return;
  shell::duplicateAnimal(*session_.dataModule());
  card_->turnToMasterData();
}

void TFormLapiroManager::LoeschenClick() {
  if (office_.anyOpen() || !hostedCard() || !session_.dataModule()) return;
  engine::Cursor& hasen = session_.dataModule()->Hasen();
  const qlonglong deleted = hasen.isOpen() && hasen.hasRecord() && !hasen.field(QStringLiteral("Nummer")).isNull()
                                ? hasen.field(QStringLiteral("Nummer")).asInteger()
                                : 0;
  if (shell::deleteAnimal(*session_.dataModule())) {
    if (deleted > 0 && session_.forgetAnimalShown(deleted)) rebuildRecentMenu();
    session_.animalList().refresh();
    updateAnimalCount();
    card_->reload();
  }
}

void TFormLapiroManager::SpeichernClick() {
  // "Speichern" (Ctrl+S) saves in the active window when it has a "Speichern" of its own;
  // otherwise it saves the card.
  QMdiSubWindow* active = mdi_->activeSubWindow();
  if (active && active != cardWindow_ && active->widget()) {
    for (QAbstractButton* button : active->widget()->findChildren<QAbstractButton*>()) {
      if (QString(button->text()).remove(u'&') != u"Speichern" || !button->isVisible()) continue;
      if (button->isEnabled()) button->click();
      return;
    }
  }
  if (HostedCard* card = hostedCard()) card->save();
}

void TFormLapiroManager::BeendenClick() { close(); }

HelpWindow* TFormLapiroManager::helpWindow() const { return help_.data(); }

void TFormLapiroManager::InhaltClick() { showHelp(kHelpContents); }

void TFormLapiroManager::showHelp(int context) {
  const bool created = help_.isNull();
  if (created) help_ = new HelpWindow(nullptr);
  if (!help_->showContext(context) && created) delete help_.data();
}

void TFormLapiroManager::InfoClick() {
  if (bringForward(info_)) return;
  if (!office_.mayOpenNormal()) return;
  info_ = openNormalWindow(new TFormInfo);
}

// ------------------------------------------------------------------ lookup lists, index rebuild

void TFormLapiroManager::openOnce(QPointer<QMdiSubWindow>& slot, const std::function<QWidget*()>& create) {
  if (bringForward(slot)) return;
  if (!office_.mayOpenNormal()) return;
  QWidget* window = nullptr;
  try {
    window = create();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  slot = openNormalWindow(window);
}

void TFormLapiroManager::RassenClick() {
  openOnce(rassen_, [this] {
    return new store::ui::TRassen(session_.engine(), session_.settings(), session_.dataModule(),
                                  [this](int context) { showHelp(context); });
  });
}

void TFormLapiroManager::FarbenClick() {
  openOnce(farben_, [this] {
    return new store::ui::TFarbeForm(session_.engine(), session_.settings(), session_.dataModule(),
                                     [this](int context) { showHelp(context); });
  });
}

void TFormLapiroManager::StatusClick() {
  openOnce(status_, [this] {
    return new store::ui::TStatusForm(session_.engine(), session_.settings(), session_.dataModule(),
                                      [this](int context) { showHelp(context); });
  });
}

void TFormLapiroManager::IndexrekonstruktionClick() {
  openOnce(indexrekonstruktion_, [this] {
    return new store::ui::TFormIndexrekonstruktion(session_, [this](int context) { showHelp(context); });
  });
}

namespace {

// The size a normal child window asked for when it opened; cascading and fitting start from it.
constexpr const char* kWantedSize = "lapiroWantedSize";

}  // namespace

QMdiSubWindow* TFormLapiroManager::openNormalWindow(QWidget* window, const QSize& wanted, Qt::WindowFlags flags) {
  QMdiSubWindow* sub = mdi_->addSubWindow(window, flags);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // A window that deletes itself takes its frame along.
  connect(window, &QObject::destroyed, sub, &QObject::deleteLater);
  // Content that needs more room than the area scrolls inside the window.
  const QSize frameSize = (sub->minimumSizeHint() - window->minimumSizeHint()).expandedTo(QSize(0, 0));
  scrollContentToFit(window, mdi_->viewport()->size() - frameSize);
  // Without a wish the window keeps the size it gave itself (plus the frame), or else its hint.
  QSize size = wanted;
  if (!size.isValid()) {
    const QSize frame = (sub->sizeHint() - window->sizeHint()).expandedTo(QSize(0, 0));
    size = window->testAttribute(Qt::WA_Resized) ? window->size() + frame : sub->sizeHint();
  }
  sub->setProperty(kWantedSize, size);
  const QRect area(QPoint(0, 0), mdi_->viewport()->size());
  sub->setGeometry(fitIntoArea(QRect(sub->pos(), size), area));
  sub->show();
  if (session_.settings().System.Fenster) {
    cascadeChildWindows();
    // The list windows take the free area from their place at once, as they do after every
    // resize.
    for (QMdiSubWindow* open : mdi_->subWindowList()) {
      if (open->isMinimized() || open->isMaximized() || !dynamic_cast<store::ui::LookupListWindow*>(open->widget()))
        continue;
      open->resize(std::max(open->minimumWidth(), area.width() - open->x()),
                   std::max(open->minimumHeight(), area.height() - open->y()));
    }
  }
  keepChildWindowsInside();
  sub->raise();
  mdi_->setActiveSubWindow(sub);
  return sub;
}

QMdiSubWindow* TFormLapiroManager::openOfficeWindow(QWidget* window, OfficeWindow which) {
  QMdiSubWindow* sub = mdi_->addSubWindow(window, Qt::FramelessWindowHint);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  office_.setOpen(which, window);
  listPanel_->setVisible(false);
  sub->setGeometry(QRect(QPoint(0, 0), mdi_->viewport()->size()));
  sub->show();
  connect(window, &QObject::destroyed, sub, &QObject::deleteLater);
  // The list panel comes back when the office window goes. Guarded by the panel itself, not by
  // this window: the office window may go while this window is being destroyed.
  QPointer<QWidget> panel(listPanel_);
  ShellSession* session = &session_;
  connect(window, &QObject::destroyed, listPanel_, [panel, session] {
    if (panel) panel->setVisible(session->settings().Auswahlfenster.Anzeigen);
  });
  return sub;
}

bool TFormLapiroManager::bringForward(QMdiSubWindow* sub) {
  if (!sub) return false;
  if (sub->isMinimized()) sub->showNormal();
  mdi_->setActiveSubWindow(sub);
  sub->raise();
  return true;
}

void TFormLapiroManager::cascadeChildWindows() {
  // The card fills the area behind the others; every other window steps down by one title
  // bar from the one opened before it, as large as it asked to be where the room allows.
  const QRect area(QPoint(0, 0), mdi_->viewport()->size());
  const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
  int index = 0;
  for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (sub == cardWindow_ || sub->isHidden() || sub->isMinimized() || sub->isMaximized()) continue;
    QSize wanted = sub->property(kWantedSize).toSize();
    if (!wanted.isValid()) wanted = sub->size();
    sub->setGeometry(cascadeRect(index++, step, wanted, sub->minimumSizeHint(), area));
  }
  fitCard();
}

void TFormLapiroManager::keepChildWindowsInside() {
  const QRect area(QPoint(0, 0), mdi_->viewport()->size());
  if (area.isEmpty()) return;
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    if (sub == cardWindow_ || sub->isMinimized() || sub->isMaximized()) continue;
    const QRect fitted = fitIntoArea(sub->geometry(), area);
    if (fitted != sub->geometry()) sub->setGeometry(fitted);
  }
}

void TFormLapiroManager::TextverarbeitungClick() {
  if (!office_.mayOpenNormal()) return;
  const WordProcessorLaunch launch = resolveWordProcessor(session_.settings().System.Textverarbeitung, paths::documentsDir());
  if (!launch.ok())
    store::dialogs().error(launch.error);
  else if (!QProcess::startDetached(launch.program, launch.args))
    store::dialogs().error(wordProcessorStartFailed(launch.program));
}

void TFormLapiroManager::DruckereinrichtungClick() {
  QPrintDialog dialog(&printer_, this);
  dialog.setWindowTitle(QStringLiteral("Druckereinrichtung"));
  dialog.exec();
}

void TFormLapiroManager::SchriftartClick() {
  tsysteminfo& s = session_.settings();
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, QFont(s.Drucken.Schriftart, s.Drucken.Schriftgroese), this,
                                            QStringLiteral("Schriftart"));
  if (!ok) return;
  s.Drucken.Schriftart = chosen.family();
  s.Drucken.Schriftgroese = chosen.pointSize() > 0 ? chosen.pointSize() : s.Drucken.Schriftgroese;
  s.save(session_.settingsFile());
  if (!session_.saveSettingsFile())
    store::dialogs().error(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden.\r") +
                           session_.settingsFile().errorString());
}

void TFormLapiroManager::UebereinanderClick() {
  cascadeChildWindows();
  // The card keeps filling the area behind the cascaded windows.
  if (cardWindow_) cardWindow_->lower();
}

void TFormLapiroManager::SymboleAnordnenClick() {
  // Minimised windows line up along the bottom edge of the area, left to right.
  const QRect area = mdi_->viewport()->rect();
  int x = 0;
  int y = area.bottom();
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    if (!sub->isMinimized()) continue;
    if (x > 0 && x + sub->width() > area.width()) {
      x = 0;
      y -= sub->height();
    }
    sub->move(x, y - sub->height() + 1);
    x += sub->width();
  }
}

// ------------------------------------------------------------------ window events

void TFormLapiroManager::fitChildWindows() {
  const QSize area = mdi_->viewport()->size();
  if (office_.anyOpen()) {
    for (QMdiSubWindow* sub : mdi_->subWindowList())
      if (sub->widget() && office_.anyOpen()) sub->setGeometry(QRect(QPoint(0, 0), area));
    return;
  }
  fitCard();
  if (!session_.settings().System.Fenster) {
    keepChildWindowsInside();
    return;
  }
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    if (sub->isMinimized() || sub->isMaximized() || sub == info_ || sub == indexrekonstruktion_ || sub == cardWindow_)
      continue;
    sub->resize(std::max(sub->minimumWidth(), area.width() - sub->x()),
                std::max(sub->minimumHeight(), area.height() - sub->y()));
  }
  keepChildWindowsInside();
}

void TFormLapiroManager::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  fitChildWindows();
}

void TFormLapiroManager::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShow_) return;
  firstShow_ = false;
  for (const auto& action : firstShowActions_) action();
}

void TFormLapiroManager::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) session_.animalList().clearQuickSearch();
  QMainWindow::changeEvent(event);
}

bool TFormLapiroManager::eventFilter(QObject* watched, QEvent* event) {
  // The area changes with the window, the splitter and the list panel shown or hidden (office
  // windows hide it): the card and the office windows follow it.
  // The event type is tested first: while a child window is being destroyed its events still
  // pass here, and a guarded pointer to it must not be read then.
  if (event->type() == QEvent::Resize && mdi_ && watched == mdi_->viewport()) {
    if (office_.anyOpen()) {
      fitChildWindows();
    } else {
      fitCard();
      keepChildWindowsInside();
    }
  }
  // The card is never maximised or minimised (it has no button to come back with): a double
  // click on its caption or a maximised window before it leaves it filling the area.
  if (event->type() == QEvent::WindowStateChange && cardWindow_ && watched == cardWindow_ &&
      (cardWindow_->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
    QTimer::singleShot(0, this, [this] {
      if (!cardWindow_) return;
      cardWindow_->setWindowState(cardWindow_->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
      fitCard();
    });
  }
  if (event->type() == QEvent::ToolTip && hintWidgets_.contains(qobject_cast<QWidget*>(watched)))
    return !session_.settings().System.Hilfe;
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      // Enter opens the highlighted animal as a double click does.
      DBGridHasenfeldDblClick(grid_->currentIndex().isValid() ? grid_->currentIndex()
                                                               : model_->index(std::max(0, model_->currentRow()), 0));
      return true;
    }
    if ((key->key() == Qt::Key_End || key->key() == Qt::Key_Home) && (key->modifiers() & Qt::ControlModifier)) {
      // Last / first animal; the tattoo columns stay in view (the view alone would also
      // go to the last column).
      const int rows = model_->rowCount();
      if (rows > 0) {
        const QModelIndex target = model_->index(key->key() == Qt::Key_End ? rows - 1 : 0, 0);
        grid_->setCurrentIndex(target);
        grid_->scrollTo(target);
        grid_->horizontalScrollBar()->setValue(grid_->horizontalScrollBar()->minimum());
      }
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      session_.animalList().typeKey(QChar(0x1b));
      return true;
    }
    const QString text = key->text();
    if (!text.isEmpty() && text.at(0).isPrint() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
      for (QChar c : text) session_.animalList().typeKey(c);
      syncGridToCursor();
      return true;
    }
  }
  if (watched == grid_ && event->type() == QEvent::FocusOut) {
    // A message box of a failed search takes the focus as well; only a real move away counts.
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && QApplication::activeModalWidget() == nullptr &&
        QApplication::activeWindow() != this)
      session_.animalList().clearQuickSearch();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormLapiroManager::closeEvent(QCloseEvent* event) {
  if (!store::dialogs().ask(store::messageText(16), store::DialogKind::Warning)) {
    event->ignore();
    return;
  }
  if (help_) help_->close();
  mdi_->closeAllSubWindows();
  const QSize size = isMaximized() ? this->size() : normalGeometry().size().isValid() ? normalGeometry().size() : this->size();
  session_.finish(size);
  event->accept();
}

}  // namespace lapiro::shell::ui
