#include "output/ui/options_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "output/options.h"
#include "shell/animal_list.h"
#include "shell/profile_file.h"
#include "store/dialog_service.h"

namespace lapiro::output::ui {

namespace {

QSpinBox* spin(int max) {
  auto* s = new QSpinBox;
  s->setRange(0, max);
  return s;
}

}  // namespace

QButtonGroup* TFOptionen::group(const QString& name) const {
  auto it = groups_.find(name);
  return it == groups_.end() ? nullptr : it->second;
}

TFOptionen::TFOptionen(shell::tsysteminfo& settings, OptionLists lists, const QRect& workArea, QWidget* parent)
    : QWidget(parent), settings_(settings), lists_(std::move(lists)), workArea_(workArea) {
  setWindowTitle(QStringLiteral("Systemparameter"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* outer = new QVBoxLayout(this);
  tabs_ = new QTabWidget;
  outer->addWidget(tabs_);

  // A titled group of radio buttons; ids are the captions' positions.
  auto radios = [this](const QString& key, const QString& title, const QStringList& captions, bool vertical = false) {
    auto* box = new QGroupBox(title);
    QBoxLayout* l = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    auto* g = new QButtonGroup(box);
    for (int i = 0; i < captions.size(); ++i) {
      auto* r = new QRadioButton(captions[i]);
      g->addButton(r, i);
      l->addWidget(r);
    }
    l->addStretch();
    groups_[key] = g;
    return box;
  };
  const QStringList jaNein{QStringLiteral("ja"), QStringLiteral("nein")};
  const QStringList JaNein{QStringLiteral("Ja"), QStringLiteral("Nein")};

  // --- Stammdaten
  {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    QStringList orders;
    for (const auto& o : cardOrders()) orders << o.caption;
    grid->addWidget(radios(QStringLiteral("StammSortierung"), QStringLiteral("So&rtierung"), orders, true), 0, 0, 4, 1);
    auto* form = new QFormLayout;
    rasse_ = new QComboBox;
    farbe_ = new QComboBox;
    status_ = new QComboBox;
    traechtigkeit_ = spin(999);
    wurfmeldung_ = spin(999999);
    auto* rasseLabel = new QLabel(QStringLiteral("&Rasse"));
    rasseLabel->setBuddy(rasse_);
    form->addRow(rasseLabel, rasse_);
    form->addRow(QStringLiteral("Farbe"), farbe_);
    auto* tage = new QHBoxLayout;
    tage->addWidget(traechtigkeit_);
    tage->addWidget(new QLabel(QStringLiteral("Tage")));
    tage->addStretch();
    form->addRow(QStringLiteral("Trächtigkeit"), tage);
    form->addRow(QStringLiteral("Laufende Nr. Wurfmeldung"), wurfmeldung_);
    form->addRow(QStringLiteral("Status für Neuaufnahme"), status_);
    grid->addLayout(form, 0, 1);
    grid->addWidget(radios(QStringLiteral("Suche"), QStringLiteral("Suche bei Neuaufnahme"), jaNein), 1, 1);
    grid->addWidget(radios(QStringLiteral("TaetoLinks"), QStringLiteral("Taeto links in 3 Felder"), jaNein), 2, 1);
    grid->addWidget(radios(QStringLiteral("BildAnpassen"), QStringLiteral("Bild anpassen"), jaNein), 3, 1);
    grid->setRowStretch(4, 1);
    tabs_->addTab(page, QStringLiteral("Stammdaten"));
    connect(rasse_, &QComboBox::currentIndexChanged, this, [this] { fillColours(); });
  }

  // --- Auswahlfenster
  {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(radios(QStringLiteral("Anzeige"), QStringLiteral("Anzeige"), {QStringLiteral("&Ja"), QStringLiteral("&Nein")}), 0, 0);
    QStringList orders;
    for (const auto& o : shell::listOrders()) orders << o.caption;
    grid->addWidget(radios(QStringLiteral("ListSortierung"), QStringLiteral("Sortierung"), orders, true), 1, 0, 3, 1);
    auto* statusBox = new QGroupBox(QStringLiteral("Status"));
    auto* sl = new QGridLayout(statusBox);
    alle_ = new QCheckBox(QStringLiteral("alle"));
    sl->addWidget(alle_, 0, 0);
    int i = 0;
    for (const auto& s : lists_.states) {
      auto* c = new QCheckBox(s.name);
      statusBoxes_.push_back(c);
      statusNumbers_.push_back(s.key);
      sl->addWidget(c, 1 + i / 2, i % 2);
      ++i;
    }
    sl->setRowStretch(2 + i / 2, 1);
    grid->addWidget(statusBox, 0, 1, 2, 1);
    grid->addWidget(radios(QStringLiteral("RasseAnzeigen"), QStringLiteral("Rasse anzeigen"), JaNein), 2, 1);
    grid->addWidget(radios(QStringLiteral("NameAnzeigen"), QStringLiteral("Name anzeigen"), JaNein), 3, 1);
    grid->setRowStretch(4, 1);
    tabs_->addTab(page, QStringLiteral("Auswahlfenster"));
    connect(alle_, &QCheckBox::toggled, this, [this] { alleToggled(); });
    connect(group(QStringLiteral("Anzeige")), &QButtonGroup::idToggled, this, [this] { anzeigeToggled(); });
  }

  // --- Stammbaum
  {
    auto* page = new QWidget;
    auto* l = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    pedigreeTabs_ = new QTabWidget;
    // The two tabs share one list: switching stores the list being left.
    pedigreeTabs_->addTab(new QWidget, QStringLiteral("A&nzeige"));
    pedigreeTabs_->addTab(new QWidget, QStringLiteral("&Druck"));
    pedigreeTabs_->setMaximumHeight(pedigreeTabs_->tabBar()->sizeHint().height() + 4);
    itemList_ = new QListWidget;
    itemList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    itemList_->setDragDropMode(QAbstractItemView::InternalMove);
    left->addWidget(pedigreeTabs_);
    left->addWidget(itemList_);
    auto* buttons = new QHBoxLayout;
    add_ = new QPushButton(QStringLiteral("H&inzufügen"));
    remove_ = new QPushButton(QStringLiteral("&Entfernen"));
    buttons->addWidget(add_);
    buttons->addWidget(remove_);
    buttons->addStretch();
    left->addLayout(buttons);
    auto* generations = new QLabel(QStringLiteral("Anzahl Generationen für Druck (3-6)"));
    generations->hide();
    left->addWidget(generations);
    l->addLayout(left, 1);
    choicePanel_ = new QGroupBox(QStringLiteral("Auswahl"));
    auto* cl = new QVBoxLayout(choicePanel_);
    choiceList_ = new QListWidget;
    choiceList_->setSelectionMode(QAbstractItemView::MultiSelection);
    choiceOk_ = new QPushButton(QStringLiteral("O&K"));
    cl->addWidget(choiceList_);
    cl->addWidget(choiceOk_);
    choicePanel_->hide();
    l->addWidget(choicePanel_, 1);
    tabs_->addTab(page, QStringLiteral("Stammbaum"));
    connect(pedigreeTabs_, &QTabWidget::currentChanged, this, [this](int tab) {
      storePedigreeList(pedigreeTab_);
      pedigreeTab_ = tab;
      showPedigreeList(tab);
    });
    connect(add_, &QPushButton::clicked, this, [this] { openChoice(); });
    connect(choiceOk_, &QPushButton::clicked, this, [this] { acceptChoice(); });
    connect(remove_, &QPushButton::clicked, this, [this] { removeItems(); });
  }

  // --- Allgemeines
  {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(radios(QStringLiteral("Speichern"), QStringLiteral("S&peichern"),
                           {QStringLiteral("A&utomatisch Speichern"), QStringLiteral("A&bfrage vor Speichern")}, true), 0, 0);
    grid->addWidget(radios(QStringLiteral("Fenster"), QStringLiteral("Fenstergröße"),
                           {QStringLiteral("immer Standard"), QStringLiteral("Größe beibehalten")}, true), 0, 1);
    grid->addWidget(radios(QStringLiteral("Hilfe"), QStringLiteral("S&chnellhilfe"),
                           {QStringLiteral("S&tatuszeile und Cursor"), QStringLiteral("nur &Statuszeile")}, true), 1, 0);
    auto* form = new QFormLayout;
    auto* tv = new QHBoxLayout;
    textverarbeitung_ = new QLineEdit;
    auto* suchen = new QPushButton(QStringLiteral("suchen"));
    tv->addWidget(textverarbeitung_);
    tv->addWidget(suchen);
    form->addRow(QStringLiteral("Textverarb."), tv);
    aufloesung_ = new QComboBox;
    aufloesung_->addItems(aufloesungChoices(workArea_));
    form->addRow(QStringLiteral("Auflösung"), aufloesung_);
    grid->addLayout(form, 1, 1);
    grid->setRowStretch(2, 1);
    tabs_->addTab(page, QStringLiteral("Allgemeines"));
    connect(suchen, &QPushButton::clicked, this, [this] {
      QFileDialog dlg(this, QStringLiteral("Textverarbeitung"));
      dlg.setDefaultSuffix(QStringLiteral("exe"));
      dlg.setFileMode(QFileDialog::ExistingFile);
      if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
        textverarbeitung_->setText(dlg.selectedFiles().first());
    });
  }

  // --- Warnungen
  {
    auto* page = new QWidget;
    auto* l = new QVBoxLayout(page);
    auto* box = new QGroupBox(QStringLiteral("Warnung bei Programmstart"));
    auto* bl = new QVBoxLayout(box);
    verfallsdatum_ = new QCheckBox(QStringLiteral("Verfallsdatum Medikamente"));
    bl->addWidget(verfallsdatum_);
    l->addWidget(box);
    l->addStretch();
    tabs_->addTab(page, QStringLiteral("Warnungen"));
  }

  // --- Druck-Stammbaum
  {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    auto* form = new QFormLayout;
    const QStringList labels{QStringLiteral("linker Rand :"), QStringLiteral("rechter Rand :"),
                             QStringLiteral("unterer Rand :"), QStringLiteral("oberer Rand :")};
    for (int i = 0; i < 4; ++i) {
      margins_[i] = spin(999);
      form->addRow(labels[i], margins_[i]);
    }
    grid->addLayout(form, 0, 0, 2, 1);
    titelRot_ = new QCheckBox(QStringLiteral("doppelte farbig"));
    grid->addWidget(titelRot_, 0, 1);
    grid->addWidget(radios(QStringLiteral("MitBild"), QStringLiteral("mit Bild"), JaNein), 1, 1);
    defaults_ = new QPushButton(QStringLiteral("&Grundeinstellung laden"));
    grid->addWidget(defaults_, 2, 1);
    grid->setRowStretch(3, 1);
    tabs_->addTab(page, QStringLiteral("Druck-Stammbaum"));
    connect(defaults_, &QPushButton::clicked, this, [this] { loadDefaults(); });
  }

  // --- Adressen
  {
    auto* page = new QWidget;
    auto* l = new QVBoxLayout(page);
    l->addWidget(radios(QStringLiteral("AdrSuche"), QStringLiteral("Suche bei Neuaufnahme"), jaNein));
    l->addStretch();
    tabs_->addTab(page, QStringLiteral("Adressen"));
  }

  auto* buttons = new QHBoxLayout;
  auto* speichern = new QPushButton(QStringLiteral("&Speichern"));
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  buttons->addStretch();
  buttons->addWidget(speichern);
  buttons->addWidget(zurueck);
  buttons->addWidget(hilfe);
  outer->addLayout(buttons);
  connect(speichern, &QPushButton::clicked, this, [this] { SpeichernClick(); });
  connect(zurueck, &QPushButton::clicked, this, [this] { close(); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (onHelp) onHelp(70);
  });

  fill();
}

QSize TFOptionen::sizeHint() const {
  const QMargins m = layout()->contentsMargins();
  return QWidget::sizeHint().expandedTo(QSize(tabs_->tabBar()->sizeHint().width() + m.left() + m.right() + 8, 0));
}

void TFOptionen::fill() {
  const shell::tsysteminfo& s = settings_;
  auto choose = [this](const QString& key, int id) {
    if (QAbstractButton* b = group(key)->button(id)) b->setChecked(true);
  };
  auto yesNo = [&](const QString& key, bool v) { choose(key, v ? 0 : 1); };

  const auto& cardOrderList = cardOrders();
  for (int i = 0; i < int(cardOrderList.size()); ++i)
    if (cardOrderList[i].index == s.Stammdaten.Sortierung) choose(QStringLiteral("StammSortierung"), i);
  for (const auto& b : lists_.breeds) rasse_->addItem(b.name, b.key);
  rasse_->setCurrentIndex(rasse_->findData(QVariant(qlonglong(s.Stammdaten.Rasse))));
  fillColours();
  farbe_->setCurrentIndex(farbe_->findData(QVariant(qlonglong(s.Stammdaten.Farbe))));
  for (const auto& st : lists_.states) status_->addItem(st.name, st.key);
  status_->setCurrentIndex(status_->findData(QVariant(qlonglong(s.Stammdaten.Status))));
  yesNo(QStringLiteral("Suche"), s.Stammdaten.SuchebeiNeuaufnahme);
  traechtigkeit_->setValue(s.Stammdaten.TageTraechtigkeit);
  wurfmeldung_->setValue(s.Stammdaten.LfNrWurfmeldung);
  yesNo(QStringLiteral("TaetoLinks"), s.Stammdaten.TaetoLinksEinzeln);
  yesNo(QStringLiteral("BildAnpassen"), s.Stammdaten.BildAnpassen);

  yesNo(QStringLiteral("Anzeige"), s.Auswahlfenster.Anzeigen);
  const auto& listOrderList = shell::listOrders();
  for (int i = 0; i < int(listOrderList.size()); ++i)
    if (listOrderList[i].index == s.Auswahlfenster.Sortierung) choose(QStringLiteral("ListSortierung"), i);
  const bool alle = s.Auswahlfenster.Status == QStringLiteral("alle");
  const QSet<qint64> ticked = statusNumbers(s.Auswahlfenster.Status);
  for (size_t i = 0; i < statusBoxes_.size(); ++i) statusBoxes_[i]->setChecked(!alle && ticked.contains(statusNumbers_[i]));
  alle_->setChecked(alle);
  alleToggled();
  yesNo(QStringLiteral("RasseAnzeigen"), s.Auswahlfenster.RasseAnzeigen);
  yesNo(QStringLiteral("NameAnzeigen"), s.Auswahlfenster.NameAnzeigen);
  anzeigeToggled();

  pedigree_[0] = pedigreeItemsOf(s.Stammbaum.Anzeige);
  pedigree_[1] = pedigreeItemsOf(s.Stammbaum.Druck);
  showPedigreeList(0);

  choose(QStringLiteral("Speichern"), s.System.Speichern ? 0 : 1);
  choose(QStringLiteral("Fenster"), s.System.Fenster ? 0 : 1);
  choose(QStringLiteral("Hilfe"), s.System.Hilfe ? 0 : 1);
  textverarbeitung_->setText(s.System.Textverarbeitung);
  const QString shown = aufloesungShown(s.System.Aufloesung);
  if (aufloesung_->findText(shown) < 0) aufloesung_->addItem(shown);
  aufloesung_->setCurrentText(shown);

  verfallsdatum_->setChecked(s.Warnung.Verfallsdatum);
  const int values[4] = {s.Stammbaum.linkerRand, s.Stammbaum.rechterRand, s.Stammbaum.untererRand, s.Stammbaum.obererRand};
  for (int i = 0; i < 4; ++i) margins_[i]->setValue(values[i]);
  titelRot_->setChecked(s.Drucken.TitelRot);
  yesNo(QStringLiteral("MitBild"), s.Drucken.Bild);
  yesNo(QStringLiteral("AdrSuche"), s.Adressen.SuchebeiNeuaufnahme);
}

void TFOptionen::fillColours() {
  farbe_->clear();
  if (!lists_.colours || rasse_->currentIndex() < 0) return;
  for (const auto& c : lists_.colours(rasse_->currentData().toLongLong())) farbe_->addItem(c.name, c.key);
  farbe_->setCurrentIndex(-1);
}

void TFOptionen::alleToggled() {
  const bool listShown = group(QStringLiteral("Anzeige"))->checkedId() != 1;
  for (QCheckBox* c : statusBoxes_) {
    if (alle_->isChecked()) c->setChecked(false);
    c->setEnabled(listShown && !alle_->isChecked());
  }
}

void TFOptionen::anzeigeToggled() {
  const bool shown = group(QStringLiteral("Anzeige"))->checkedId() != 1;
  for (QAbstractButton* b : group(QStringLiteral("ListSortierung"))->buttons()) b->setEnabled(shown);
  alle_->setEnabled(shown);
  for (QCheckBox* c : statusBoxes_) c->setEnabled(shown && !alle_->isChecked());
}

void TFOptionen::storePedigreeList(int tab) {
  QStringList items;
  for (int i = 0; i < itemList_->count(); ++i) items << itemList_->item(i)->text();
  pedigree_[tab] = items;
}

void TFOptionen::showPedigreeList(int tab) {
  itemList_->clear();
  itemList_->addItems(pedigree_[tab]);
  choicePanel_->hide();
}

void TFOptionen::openChoice() {
  storePedigreeList(pedigreeTab_);
  choiceList_->clear();
  for (const QString& name : shell::pedigreeItemNames())
    if (!pedigree_[pedigreeTab_].contains(name)) choiceList_->addItem(name);
  choicePanel_->show();
}

void TFOptionen::acceptChoice() {
  for (int i = 0; i < choiceList_->count(); ++i)
    if (choiceList_->item(i)->isSelected()) itemList_->addItem(choiceList_->item(i)->text());
  storePedigreeList(pedigreeTab_);
  choicePanel_->hide();
}

void TFOptionen::removeItems() {
  for (QListWidgetItem* item : itemList_->selectedItems()) delete item;
  storePedigreeList(pedigreeTab_);
}

void TFOptionen::loadDefaults() {
  for (int i = 0; i < 4; ++i) margins_[i]->setValue(kDefaultMargins[i]);
  titelRot_->setChecked(true);
  group(QStringLiteral("MitBild"))->button(0)->setChecked(true);
}

void TFOptionen::readInto(shell::tsysteminfo& s) {
  auto yes = [this](const QString& key, bool current) {
    const int id = group(key)->checkedId();
    return id < 0 ? current : id == 0;
  };
  const int cardOrder = group(QStringLiteral("StammSortierung"))->checkedId();
  if (cardOrder >= 0) s.Stammdaten.Sortierung = cardOrders()[size_t(cardOrder)].index;
  s.Stammdaten.Rasse = rasse_->currentIndex() >= 0 ? int(rasse_->currentData().toLongLong()) : 0;
  // The colour of the chosen breed with the name shown; 0 when none is chosen or found.
  s.Stammdaten.Farbe = 0;
  if (farbe_->currentIndex() >= 0 && lists_.colours && rasse_->currentIndex() >= 0)
    for (const auto& c : lists_.colours(rasse_->currentData().toLongLong()))
      if (c.name == farbe_->currentText()) {
        s.Stammdaten.Farbe = int(c.key);
        break;
      }
  if (status_->currentIndex() >= 0) s.Stammdaten.Status = int(status_->currentData().toLongLong());
  s.Stammdaten.SuchebeiNeuaufnahme = yes(QStringLiteral("Suche"), s.Stammdaten.SuchebeiNeuaufnahme);
  s.Stammdaten.TageTraechtigkeit = traechtigkeit_->value();
  s.Stammdaten.LfNrWurfmeldung = wurfmeldung_->value();
  s.Stammdaten.TaetoLinksEinzeln = yes(QStringLiteral("TaetoLinks"), s.Stammdaten.TaetoLinksEinzeln);
  s.Stammdaten.BildAnpassen = yes(QStringLiteral("BildAnpassen"), s.Stammdaten.BildAnpassen);

  s.Auswahlfenster.Anzeigen = yes(QStringLiteral("Anzeige"), s.Auswahlfenster.Anzeigen);
  if (s.Auswahlfenster.Anzeigen) {
    const int listOrder = group(QStringLiteral("ListSortierung"))->checkedId();
    if (listOrder >= 0) s.Auswahlfenster.Sortierung = shell::listOrders()[size_t(listOrder)].index;
    std::vector<qint64> ticked;
    for (size_t i = 0; i < statusBoxes_.size(); ++i)
      if (statusBoxes_[i]->isChecked()) ticked.push_back(statusNumbers_[i]);
    s.Auswahlfenster.Status = statusSetting(alle_->isChecked(), ticked);
  }
  s.Auswahlfenster.RasseAnzeigen = yes(QStringLiteral("RasseAnzeigen"), s.Auswahlfenster.RasseAnzeigen);
  s.Auswahlfenster.NameAnzeigen = yes(QStringLiteral("NameAnzeigen"), s.Auswahlfenster.NameAnzeigen);

  storePedigreeList(pedigreeTab_);
  s.Stammbaum.Anzeige = pedigreeSettingOf(pedigree_[0]);
  s.Stammbaum.Druck = pedigreeSettingOf(pedigree_[1]);

  s.System.Speichern = yes(QStringLiteral("Speichern"), s.System.Speichern);
  s.System.Fenster = yes(QStringLiteral("Fenster"), s.System.Fenster);
  s.System.Hilfe = yes(QStringLiteral("Hilfe"), s.System.Hilfe);
  s.System.Textverarbeitung = textverarbeitung_->text();
  // "Angepasst" keeps the size recorded at the end of the last run.
  const QString a = aufloesung_->currentText();
  if (!(a == QStringLiteral("Angepasst") && s.System.Aufloesung.contains(a))) s.System.Aufloesung = a;

  s.Warnung.Verfallsdatum = verfallsdatum_->isChecked();
  s.Stammbaum.linkerRand = margins_[0]->value();
  s.Stammbaum.rechterRand = margins_[1]->value();
  s.Stammbaum.untererRand = margins_[2]->value();
  s.Stammbaum.obererRand = margins_[3]->value();
  s.Drucken.TitelRot = titelRot_->isChecked();
  s.Drucken.Bild = yes(QStringLiteral("MitBild"), s.Drucken.Bild);
  s.Adressen.SuchebeiNeuaufnahme = yes(QStringLiteral("AdrSuche"), s.Adressen.SuchebeiNeuaufnahme);
  s.updateDerived();
}

void TFOptionen::addPages(const std::vector<shell::ui::OptionsPage>& pages, shell::ProfileFile& ini) {
  ini_ = &ini;
  for (const shell::ui::OptionsPage& page : pages) {
    QWidget* widget = page.create ? page.create(ini) : nullptr;
    if (!widget) continue;
    tabs_->addTab(widget, page.title);
    added_.push_back({page, widget});
  }
}

bool TFOptionen::SpeichernClick() {
  QStringList problems;
  QWidget* firstWrong = nullptr;
  for (const AddedPage& a : added_) {
    const QStringList found = a.page.check ? a.page.check(a.widget) : QStringList();
    if (!found.isEmpty() && !firstWrong) firstWrong = a.widget;
    problems << found;
  }
  if (!problems.isEmpty()) {
    tabs_->setCurrentWidget(firstWrong);
    store::dialogs().error(problems.join(u'\n'));
    return false;
  }
  if (beforeSave) beforeSave();
  readInto(settings_);
  for (const AddedPage& a : added_)
    if (a.page.apply && ini_) a.page.apply(a.widget, *ini_);
  if (onSaved) onSaved();
  close();
  return true;
}

}  // namespace lapiro::output::ui
