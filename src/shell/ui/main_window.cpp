#include "shell/ui/main_window.h"

#include "bookkeeping/ui/bookkeeping_window.h"
#include "breeding/ui/matings_window.h"
#include "breeding/ui/weight_windows.h"
#include "breeding/ui/wool_tab.h"
#include "breeding/ui/litter_report_window.h"
#include "card/ui/animal_card.h"
#include "card/ui/pedigree_print.h"
#include "contacts/ui/address_dialogs.h"
#include "contacts/ui/contacts_windows.h"
#include "exchange/ui/exchange_windows.h"
#include "contacts/ui/register_windows.h"
#include "lineage/ui/lineage_windows.h"
#include "output/ui/output_windows.h"
#include "safety/ui/safety_windows.h"
#include "output/ui/printout_commands.h"
#include "engine/cursor_model.h"
#include "health/ui/health_windows.h"
#include "lineage/ui/descendants_windows.h"
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
#include "shows/ui/show_windows.h"
#include "store/dialog_service.h"
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

// A small tool-bar picture: a rounded tile in `colour` with one or two letters.
QIcon tileIcon(const QString& letters, const QColor& colour) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
  p.fillPath(path, colour);
  p.setPen(colour.darker(150));
  p.drawPath(path);
  QFont font = QApplication::font();
  font.setBold(true);
  font.setPixelSize(letters.size() > 1 ? 12 : 16);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, letters);
  return QIcon(pixmap);
}

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
  createMenus();
  createToolBar();
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
  if (mdi_)
    for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
  if (help_) delete help_.data();
  // The model listens to the list's cursor, which the session owns beyond this window.
  if (model_) model_->setDataSet(nullptr);
}

// ------------------------------------------------------------------ building

QAction* TFormLapiroManager::addCommand(QMenu* menu, const QString& caption,
                                        void (TFormLapiroManager::*handler)()) {
  QAction* action = menu->addAction(caption);
  if (handler)
    connect(action, &QAction::triggered, this, handler);
  else
    // The window of this command is not part of the program yet.
    action->setEnabled(false);
  return action;
}

void TFormLapiroManager::createMenus() {
  QMenuBar* bar = menuBar();

  kaninchenMenu_ = bar->addMenu(QStringLiteral("Kaninchen"));
  QMenu* m = kaninchenMenu_;
  addCommand(m, QStringLiteral("Neuaufnahme"), &TFormLapiroManager::NeuaufnahmeClick);
  addCommand(m, QStringLiteral("Duplizieren"), &TFormLapiroManager::DuplizierenClick);
  addCommand(m, QStringLiteral("Suchen"), &TFormLapiroManager::SuchenClick);
  addCommand(m, QStringLiteral("Speichern"), &TFormLapiroManager::SpeichernClick)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  addCommand(m, QStringLiteral("Kaninchen löschen"), &TFormLapiroManager::LoeschenClick);
  m->addSeparator();
  QMenu* nachkommen = m->addMenu(QStringLiteral("Nachkommen"));
  QAction* direkte = addCommand(nachkommen, QStringLiteral("Direkte Nachkommen"));
  direkte->setEnabled(true);
  connect(direkte, &QAction::triggered, this, [this] { lineage::ui::openDirekteNachkommen(*this); });
  QAction* gesamte = addCommand(nachkommen, QStringLiteral("Gesamte Nachkommen"));
  gesamte->setEnabled(true);
  connect(gesamte, &QAction::triggered, this, [this] { lineage::ui::openGesamteNachkommen(*this); });
  QAction* verpaarungen = addCommand(m, QStringLiteral("Verpaarungen und Würfe"));
  verpaarungen->setEnabled(true);
  connect(verpaarungen, &QAction::triggered, this, [this] { breeding::ui::openVerpaarungenUndWuerfe(*this); });
  m->addSeparator();
  recentEnd_ = m->addSeparator();
  addCommand(m, QStringLiteral("Beenden"), &TFormLapiroManager::BeendenClick);

  m = bar->addMenu(QStringLiteral("Infobox"));
  QAction* register_ = addCommand(m, QStringLiteral("Züchterregister"));
  register_->setEnabled(true);
  connect(register_, &QAction::triggered, this, [this] { contacts::ui::openZuechterregister(*this); });
  QAction* termine = addCommand(m, QStringLiteral("Ausstellungstermine"));
  termine->setEnabled(true);
  connect(termine, &QAction::triggered, this, [this] { shows::ui::openAusstellungstermine(*this); });
  QAction* vereine = addCommand(m, QStringLiteral("Vereine"));
  vereine->setEnabled(true);
  connect(vereine, &QAction::triggered, this, [this] { contacts::ui::openVereine(*this); });

  m = bar->addMenu(QStringLiteral("Genmodul"));
  QAction* inzucht = addCommand(m, QStringLiteral("Inzuchtgrad"));
  inzucht->setEnabled(true);
  connect(inzucht, &QAction::triggered, this, [this] { lineage::ui::openInzuchtgrad(*this); });
  QAction* planung = addCommand(m, QStringLiteral("Anpaarungsplanung"));
  planung->setEnabled(true);
  connect(planung, &QAction::triggered, this, [this] { lineage::ui::openAnpaarungsplanung(*this); });

  m = bar->addMenu(QStringLiteral("Büro"));
  QAction* buchfuehrung = addCommand(m, QStringLiteral("Buchführung"));
  buchfuehrung->setEnabled(true);
  connect(buchfuehrung, &QAction::triggered, this, [this] { bookkeeping::ui::openBuchfuehrung(*this); });
  addCommand(m, QStringLiteral("Textverarbeitung"), &TFormLapiroManager::TextverarbeitungClick);

  m = bar->addMenu(QStringLiteral("System"));
  QMenu* verwaltung = m->addMenu(QStringLiteral("Systemverwaltung"));
  QAction* optionen = addCommand(verwaltung, QStringLiteral("Systemparameter"));
  optionen->setEnabled(true);
  connect(optionen, &QAction::triggered, this, [this] { output::ui::openSystemparameter(*this); });
  verwaltung->addSeparator();
  QAction* anwender = addCommand(verwaltung, QStringLiteral("Anwenderdaten"));
  anwender->setEnabled(true);
  connect(anwender, &QAction::triggered, this, [this] { output::ui::openAnwenderdaten(*this); });
  QMenu* daten = m->addMenu(QStringLiteral("Datenverwaltung"));
  addCommand(daten, QStringLiteral("Rassen"), &TFormLapiroManager::RassenClick);
  addCommand(daten, QStringLiteral("Farben"), &TFormLapiroManager::FarbenClick);
  addCommand(daten, QStringLiteral("Status"), &TFormLapiroManager::StatusClick);
  QAction* titel = addCommand(daten, QStringLiteral("Ausstellungstitel"));
  titel->setEnabled(true);
  connect(titel, &QAction::triggered, this, [this] { shows::ui::openAusstellungstitel(*this); });
  daten->addSeparator();
  // Address book windows (contacts).
  QAction* adressen = addCommand(daten, QStringLiteral("Adressenverwaltung"));
  adressen->setEnabled(true);
  connect(adressen, &QAction::triggered, this, [this] { contacts::ui::openAdressenverwaltung(*this); });
  QAction* statusAdressen = addCommand(daten, QStringLiteral("Status Adressen"));
  statusAdressen->setEnabled(true);
  connect(statusAdressen, &QAction::triggered, this, [this] { contacts::ui::openStatusAdressen(*this); });
  daten->addSeparator();
  QAction* apotheke = addCommand(daten, QStringLiteral("Apotheke / Hygiene"));
  apotheke->setEnabled(true);
  connect(apotheke, &QAction::triggered, this, [this] { health::ui::openApotheke(*this); });
  m->addSeparator();
  QAction* austausch = addCommand(m, QStringLiteral("Datenaustausch"));
  austausch->setEnabled(true);
  connect(austausch, &QAction::triggered, this, [this] { exchange::ui::openDatenaustausch(*this); });
  QAction* sicherung = addCommand(m, QStringLiteral("Datensicherung"));
  sicherung->setEnabled(true);
  connect(sicherung, &QAction::triggered, this, [this] { safety::ui::openDatensicherung(*this); });
  QAction* ruecksicherung = addCommand(m, QStringLiteral("Datenrücksicherung"));
  ruecksicherung->setEnabled(true);
  connect(ruecksicherung, &QAction::triggered, this, [this] { safety::ui::openDatenruecksicherung(*this); });
  addCommand(m, QStringLiteral("Indexrekonstruktion"), &TFormLapiroManager::IndexrekonstruktionClick);

  m = bar->addMenu(QStringLiteral("Drucker"));
  QAction* drucken = addCommand(m, QStringLiteral("Drucken"));
  drucken->setEnabled(true);
  connect(drucken, &QAction::triggered, this, [this] { output::ui::printByCardTab(*this); });
  addCommand(m, QStringLiteral("Druckereinrichtung"), &TFormLapiroManager::DruckereinrichtungClick);
  addCommand(m, QStringLiteral("Schriftart"), &TFormLapiroManager::SchriftartClick);
  m->addSeparator();
  QAction* kaninchendaten = addCommand(m, QStringLiteral("Kaninchendaten"));
  kaninchendaten->setEnabled(true);
  connect(kaninchendaten, &QAction::triggered, this, [this] { output::ui::printKaninchendaten(*this); });
  QAction* datenListe = addCommand(m, QStringLiteral("Kaninchendaten - Liste"));
  datenListe->setEnabled(true);
  connect(datenListe, &QAction::triggered, this, [this] { output::ui::printKaninchendatenListe(*this); });
  QAction* abstammung = addCommand(m, QStringLiteral("Abstammungsnachweis"));
  abstammung->setEnabled(true);
  connect(abstammung, &QAction::triggered, this, [this] {
    if (card_ && session_.dataModule())
      card::ui::AbstammungsnachweisClick(this, *card_, *session_.dataModule(), session_.settings());
  });
  QAction* wurfmeldung = addCommand(m, QStringLiteral("Wurfmeldung"));
  wurfmeldung->setEnabled(true);
  connect(wurfmeldung, &QAction::triggered, this, [this] { breeding::ui::openWurfmeldung(*this); });
  QAction* stallkarte = addCommand(m, QStringLiteral("Stallkarte DIN A6"));
  stallkarte->setEnabled(true);
  connect(stallkarte, &QAction::triggered, this, [this] { output::ui::printStallkarteA6(*this); });
  QAction* gewicht = addCommand(m, QStringLiteral("Gewichtstabelle"));
  gewicht->setEnabled(true);
  connect(gewicht, &QAction::triggered, this, [this] { breeding::ui::printGewichtstabelle(*this); });
  QAction* liste = addCommand(m, QStringLiteral("Ausstellungsliste"));
  liste->setEnabled(true);
  connect(liste, &QAction::triggered, this, [this] { shows::ui::printAusstellungsliste(*this); });
  m->addSeparator();
  angora_ = addCommand(m, QStringLiteral("Angora Leistungsnachweis"));
  angora_->setVisible(false);  // made visible once the tables are open
  angora_->setEnabled(true);
  connect(angora_, &QAction::triggered, this, [this] {
    if (card_ && session_.dataModule())
      breeding::ui::Leistungsnachweis1Click(this, *card_, *session_.dataModule(), session_.settings());
  });
  m->addSeparator();
  QAction* jungtierliste = addCommand(m, QStringLiteral("Jungtierliste"));
  jungtierliste->setEnabled(true);
  connect(jungtierliste, &QAction::triggered, this, [this] { breeding::ui::printJungtierliste(*this); });
  QAction* impf = addCommand(m, QStringLiteral("Impfbescheinigung"));
  impf->setEnabled(true);
  connect(impf, &QAction::triggered, this, [this] { health::ui::openImpfbescheinigung(*this); });
  QAction* anmeldung = addCommand(m, QStringLiteral("Ausstellungsanmeldung"));
  anmeldung->setEnabled(true);
  connect(anmeldung, &QAction::triggered, this, [this] { shows::ui::openAusstellungsanmeldung(*this); });
  QAction* aufkleber = addCommand(m, QStringLiteral("Transportaufkleber / Stallkarten"));
  aufkleber->setEnabled(true);
  connect(aufkleber, &QAction::triggered, this, [this] { output::ui::openTransportaufkleber(*this); });
  m->addSeparator();
  QAction* formulare = addCommand(m, QStringLiteral("Gewichtstabellen -Formulare-"));
  formulare->setEnabled(true);
  connect(formulare, &QAction::triggered, this, [this] { breeding::ui::openGewichtstabellenFormulare(*this); });

  m = bar->addMenu(QStringLiteral("Fenster"));
  addCommand(m, QStringLiteral("Übereinander"), &TFormLapiroManager::UebereinanderClick);
  addCommand(m, QStringLiteral("Symbole anordnen"), &TFormLapiroManager::SymboleAnordnenClick);

  m = bar->addMenu(QStringLiteral("Hilfe"));
  addCommand(m, QStringLiteral("Inhalt"), &TFormLapiroManager::InhaltClick);
  m->addSeparator();
  addCommand(m, QStringLiteral("Info"), &TFormLapiroManager::InfoClick);
}

QAction* TFormLapiroManager::addToolButton(const QIcon& icon, const QString& hint,
                                           void (TFormLapiroManager::*handler)()) {
  QAction* action = toolBar_->addAction(icon, shortHint(hint));
  action->setToolTip(shortHint(hint));
  action->setStatusTip(longHint(hint));
  if (handler)
    connect(action, &QAction::triggered, this, handler);
  else
    action->setEnabled(false);
  if (QWidget* button = toolBar_->widgetForAction(action)) {
    button->installEventFilter(this);
    hintWidgets_ << button;
  }
  return action;
}

void TFormLapiroManager::createToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Werkzeuge"));
  toolBar_->setObjectName(QStringLiteral("ToolBar"));
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(28, 28));
  QStyle* s = style();
  addToolButton(tileIcon(QStringLiteral("+"), QColor(0x3a, 0x8a, 0x3a)), QStringLiteral("Neues Kaninchen anlegen"),
                &TFormLapiroManager::NeuesKaninchenClick);
  addToolButton(s->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("Kaninchen suchen"),
                &TFormLapiroManager::SuchenClick);
  addToolButton(tileIcon(QStringLiteral("2×"), QColor(0x3a, 0x6a, 0x9a)), QStringLiteral("Kaninchen suchen"),
                &TFormLapiroManager::DuplizierenClick);
  toolBar_->addSeparator();
  QAction* adressen =
      addToolButton(tileIcon(QStringLiteral("Ad"), QColor(0x8a, 0x5a, 0x2a)), QStringLiteral("Adressenverwaltung"));
  adressen->setEnabled(true);
  connect(adressen, &QAction::triggered, this, [this] { contacts::ui::openAdressenverwaltung(*this); });
  QAction* register_ =
      addToolButton(tileIcon(QStringLiteral("Zr"), QColor(0x8a, 0x5a, 0x2a)), QStringLiteral("Züchterregister"));
  register_->setEnabled(true);
  connect(register_, &QAction::triggered, this, [this] { contacts::ui::openZuechterregister(*this); });
  addToolButton(tileIcon(QStringLiteral("R"), QColor(0x6a, 0x4a, 0x8a)), QStringLiteral("Rassen"),
                &TFormLapiroManager::RassenClick);
  addToolButton(tileIcon(QStringLiteral("F"), QColor(0x6a, 0x4a, 0x8a)), QStringLiteral("Fellfarben"),
                &TFormLapiroManager::FarbenClick);
  QAction* apotheke =
      addToolButton(tileIcon(QStringLiteral("Ap"), QColor(0xb0, 0x30, 0x30)), QStringLiteral("Apotheke"));
  apotheke->setEnabled(true);
  connect(apotheke, &QAction::triggered, this, [this] { health::ui::openApotheke(*this); });
  QAction* inzucht =
      addToolButton(tileIcon(QStringLiteral("IZ"), QColor(0x2a, 0x7a, 0x7a)), QStringLiteral("Inzuchtgrad"));
  inzucht->setEnabled(true);
  connect(inzucht, &QAction::triggered, this, [this] { lineage::ui::openInzuchtgrad(*this); });
  QAction* planung =
      addToolButton(tileIcon(QStringLiteral("AP"), QColor(0x2a, 0x7a, 0x7a)), QStringLiteral("Anpaarungsplanung"));
  planung->setEnabled(true);
  connect(planung, &QAction::triggered, this, [this] { lineage::ui::openAnpaarungsplanung(*this); });
  QAction* verpaarungenButton =
      addToolButton(tileIcon(QStringLiteral("VW"), QColor(0x2a, 0x7a, 0x7a)), QStringLiteral("Verpaarungen und Würfe"));
  verpaarungenButton->setEnabled(true);
  connect(verpaarungenButton, &QAction::triggered, this, [this] { breeding::ui::openVerpaarungenUndWuerfe(*this); });
  toolBar_->addSeparator();
  QAction* vereine = addToolButton(tileIcon(QStringLiteral("V"), QColor(0x5a, 0x6a, 0x7a)), QStringLiteral("Vereine"));
  vereine->setEnabled(true);
  connect(vereine, &QAction::triggered, this, [this] { contacts::ui::openVereine(*this); });
  QAction* termineButton =
      addToolButton(tileIcon(QStringLiteral("At"), QColor(0x5a, 0x6a, 0x7a)), QStringLiteral("Ausstellungstermine"));
  termineButton->setEnabled(true);
  connect(termineButton, &QAction::triggered, this, [this] { shows::ui::openAusstellungstermine(*this); });
  QAction* buchfuehrungButton =
      addToolButton(tileIcon(QStringLiteral("€"), QColor(0x5a, 0x6a, 0x7a)), QStringLiteral("Buchführung"));
  buchfuehrungButton->setEnabled(true);
  connect(buchfuehrungButton, &QAction::triggered, this, [this] { bookkeeping::ui::openBuchfuehrung(*this); });
  addToolButton(s->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Textverarbeitung"),
                &TFormLapiroManager::TextverarbeitungClick);
  toolBar_->addSeparator();
  QAction* druckenButton =
      addToolButton(tileIcon(QStringLiteral("Dr"), QColor(0x40, 0x40, 0x40)), QStringLiteral("Drucken|"));
  druckenButton->setEnabled(true);
  connect(druckenButton, &QAction::triggered, this, [this] { output::ui::printByCardTab(*this); });
  QAction* schluesselwort =
      addToolButton(s->standardIcon(QStyle::SP_MessageBoxQuestion), QStringLiteral("Suche nach Schlüsselwort|"));
  schluesselwort->setEnabled(true);
  connect(schluesselwort, &QAction::triggered, this, [this] { openSchluesselwortsuche(*this); });
  toolBar_->addSeparator();
  QAction* ende = addToolButton(s->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Programm beenden"),
                                &TFormLapiroManager::BeendenClick);
  ende->setText(QStringLiteral("ENDE"));
  if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(ende)))
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
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
  angora_->setVisible(true);
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
  if (card_) card_->applySettings();
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
  if (card_)
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
  if (card_) {
    card_->newRecord = false;
    card_->refreshCard(false);
    if (cardWindow_) {
      cardWindow_->show();
      mdi_->setActiveSubWindow(cardWindow_);
    }
  }
  syncGridToCursor();
  return true;
}

void TFormLapiroManager::focusCardTab() {
  // The tab-dependent focus after a search or a double-click; the other tabs follow once
  // they are part of the card.
  if (card_ && card_->tabs()->currentIndex() == card::ui::TLapiroStamm::TabStammdaten) card_->showStammdaten();
  if (card_ && card_->tabs()->currentIndex() == card::ui::TLapiroStamm::TabStammbaum) card_->showPedigree();
}

TKalenderDlg& TFormLapiroManager::calendar() {
  if (!kalender_) {
    kalender_ = new TKalenderDlg(this);
    connect(kalender_.data(), &TKalenderDlg::helpRequested, this, &TFormLapiroManager::showHelp);
  }
  return *kalender_;
}

contacts::ui::TSuchenAdrDlg& TFormLapiroManager::addressSearch() {
  if (!suchenAdr_) suchenAdr_ = new contacts::ui::TSuchenAdrDlg(session_.engine(), this);
  return *suchenAdr_;
}

void TFormLapiroManager::createSharedDialogs(const std::function<void(int)>& progress) {
  if (progress) progress(50);
  calendar();
  animalSearch();
  if (progress) progress(60);
  addressSearch();
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

card::ui::TLapiroStamm* TFormLapiroManager::card() const { return card_.data(); }

void TFormLapiroManager::createCard() {
  store::TDatenStamm* dm = session_.dataModule();
  if (card_ || !dm) return;
  card::ui::CardServices services;
  services.searchAnimal = [this](const store::SearchRequest& request) -> std::optional<qint64> {
    store::ui::TsuchenDlg& dialog = animalSearch();
    if (dialog.exec(request) != QDialog::Accepted) return std::nullopt;
    return dialog.chosenNummer();
  };
  services.searchAddress = [this]() -> std::optional<qint64> {
    addressSearch();
    if (suchenAdr_->exec() != QDialog::Accepted || suchenAdr_->chosenNumber() <= 0) return std::nullopt;
    return suchenAdr_->chosenNumber();
  };
  services.pickDate = [this](const QDate& initial) -> std::optional<QDate> { return calendar().pick(initial); };
  services.noteShown = [this](const QString& rechts, const QString& links, qint64 nummer) {
    const bool changed = session_.noteAnimalShown(rechts, links, nummer);
    if (changed) rebuildRecentMenu();
    return changed;
  };
  services.openAddressBook = [this](bool breeder) {
    contacts::ui::openAdressenverwaltung(*this, breeder ? contacts::ui::AddressOpening::Breeder
                                                        : contacts::ui::AddressOpening::Owner);
  };
  services.showHelp = [this](int context) { showHelp(context); };
  services.refreshAnimalList = [this] {
    session_.animalList().refresh();
    updateAnimalCount();
  };
  services.positionAnimalList = [this](qint64 nummer) {
    session_.animalList().positionOn(nummer);
    syncGridToCursor();
  };
  services.updateRecordCounter = [this] { updateAnimalCount(); };

  card_ = new card::ui::TLapiroStamm(*dm, session_.settings(), std::move(services));
  cardWindow_ = mdi_->addSubWindow(card_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
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
  const bool compact = area.height() - frame.top() - frame.bottom() < card::ui::TLapiroStamm::kCompactHeight;
  card_->applyLayout(compact);
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
  if (const auto nummer = recentNummer(action->data().toString()); nummer && showAnimal(*nummer) && card_)
    card_->tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabStammdaten);
}

void TFormLapiroManager::DBGridHasenfeldDblClick(const QModelIndex& index) {
  if (!index.isValid() || !model_->moveTo(index.row())) return;
  const QVariant nummer = model_->value(index.row(), QStringLiteral("Nummer"));
  if (nummer.isValid() && showAnimal(nummer.toLongLong())) focusCardTab();
  if (nummer.isValid()) breeding::ui::reloadVerpaarungen(nummer.toLongLong());
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
  if (office_.anyOpen() || !card_ || !session_.dataModule()) return false;
  if (!card_->finishFieldEntry()) return false;
  if (cardWindow_) {
    cardWindow_->show();
    mdi_->setActiveSubWindow(cardWindow_);
  }
  card_->showStammdaten();
  return true;
}

void TFormLapiroManager::newAnimal(NewAnimalVariant variant) {
  if (!prepareCardForEntry()) return;
  shell::newAnimal(*session_.dataModule(), session_.settings(), variant);
  card_->showStammdaten();
}

void TFormLapiroManager::NeuaufnahmeClick() { newAnimal(NewAnimalVariant::Menu); }

void TFormLapiroManager::NeuesKaninchenClick() { newAnimal(NewAnimalVariant::ToolBar); }

void TFormLapiroManager::DuplizierenClick() {
  if (!prepareCardForEntry()) return;
  shell::duplicateAnimal(*session_.dataModule());
  card_->showStammdaten();
}

void TFormLapiroManager::LoeschenClick() {
  if (office_.anyOpen() || !card_ || !session_.dataModule()) return;
  engine::Cursor& hasen = session_.dataModule()->Hasen();
  const qlonglong deleted = hasen.isOpen() && hasen.hasRecord() && !hasen.field(QStringLiteral("Nummer")).isNull()
                                ? hasen.field(QStringLiteral("Nummer")).asInteger()
                                : 0;
  if (shell::deleteAnimal(*session_.dataModule())) {
    if (deleted > 0 && session_.forgetAnimalShown(deleted)) rebuildRecentMenu();
    session_.animalList().refresh();
    updateAnimalCount();
    card_->refreshCard(false);
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
  if (card_) card_->SpeichernClick();
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
  QPointer<TFormLapiroManager> owner(this);
  connect(window, &QObject::destroyed, this, [owner] {
    if (owner) owner->listPanel_->setVisible(owner->session_.settings().Auswahlfenster.Anzeigen);
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
  // Without the own user's name the own user data window asks for it.
  if (session_.ownNameEmpty()) output::ui::openAnwenderdaten(*this);
}

void TFormLapiroManager::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) session_.animalList().clearQuickSearch();
  QMainWindow::changeEvent(event);
}

bool TFormLapiroManager::eventFilter(QObject* watched, QEvent* event) {
  // The area changes with the window, the splitter and the list panel shown or hidden (office
  // windows hide it): the card and the office windows follow it.
  if (mdi_ && watched == mdi_->viewport() && event->type() == QEvent::Resize) {
    if (office_.anyOpen()) {
      fitChildWindows();
    } else {
      fitCard();
      keepChildWindowsInside();
    }
  }
  // The card is never maximised or minimised (it has no button to come back with): a double
  // click on its caption or a maximised window before it leaves it filling the area.
  if (cardWindow_ && watched == cardWindow_ && event->type() == QEvent::WindowStateChange &&
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
