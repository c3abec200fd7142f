// The options window and the own user data window: every key edited and read back through
// the settings file, the status boxes, the pedigree item lists, colours of the chosen breed,
// and the own record with its required name.
#include "output/options.h"
#include "output/ui/options_window.h"
#include "output/ui/own_data_window.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "engine/cursor.h"
#include "shell/profile_file.h"
#include "shell/system_info.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"
#include "support/temp_dir.h"

using namespace lapiro;
using namespace lapiro::output;
using namespace lapiro::output::ui;

namespace {

OptionLists lists() {
  OptionLists l;
  l.breeds = {{1, QStringLiteral("Alaska")}, {2, QStringLiteral("Deutsche Riesen")}};
  l.states = {{1, QStringLiteral("eigener Bestand")}, {3, QStringLiteral("verkauft")}, {12, QStringLiteral("Zukauf")}};
  l.colours = [](qint64 breed) {
    std::vector<OptionLists::Choice> c;
    if (breed == 1) c = {{10, QStringLiteral("schwarz")}};
    if (breed == 2) c = {{20, QStringLiteral("grau")}, {21, QStringLiteral("weiß")}};
    return c;
  };
  return l;
}

const QRect kArea(0, 0, 1280, 1024);

// Saves each tab as a PNG when LAPIRO_SNAPSHOTS names a directory, for looking at the window.
void snapshotTabs(QWidget& w, QTabWidget* tabs, const QString& name) {
  if (!qEnvironmentVariableIsSet("LAPIRO_SNAPSHOTS")) return;
  w.resize(640, 460);
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    w.grab().save(qEnvironmentVariable("LAPIRO_SNAPSHOTS") + QStringLiteral("/%1-%2.png").arg(name).arg(i));
  }
  tabs->setCurrentIndex(0);
}

}  // namespace

TEST(Options, WindowSizeChoicesFollowTheWorkArea) {
  EXPECT_EQ(aufloesungChoices(QRect(0, 0, 1280, 1024)),
            (QStringList{QStringLiteral("Maximized"), QStringLiteral("Angepasst"), QStringLiteral("640x480"),
                         QStringLiteral("800x600"), QStringLiteral("1024x768"), QStringLiteral("1152x864")}));
  EXPECT_EQ(aufloesungChoices(QRect(0, 0, 800, 600)).size(), 4);
  EXPECT_EQ(aufloesungShown(QStringLiteral("Angepasst 1024x740")), QStringLiteral("Angepasst"));
  EXPECT_EQ(statusNumbers(QStringLiteral("/1//12/")), (QSet<qint64>{1, 12}));
  EXPECT_EQ(statusSetting(false, {3, 12}), QStringLiteral("/3//12/"));
  EXPECT_EQ(statusSetting(true, {3}), QStringLiteral("alle"));
}

TEST(Options, EveryKeyIsWrittenAndReadBack) {
  test::TempDir dir;
  shell::tsysteminfo s(kArea);
  s.Auswahlfenster.Status = QStringLiteral("/3/");
  s.Stammdaten.Rasse = 2;
  s.Stammdaten.Farbe = 21;
  TFOptionen w(s, lists(), kArea);
  snapshotTabs(w, w.tabs(), QStringLiteral("optionen"));
  // The window shows what the record holds.
  EXPECT_FALSE(w.alleBox()->isChecked());
  EXPECT_TRUE(w.statusBoxes()[1]->isChecked());
  EXPECT_EQ(w.colourBox()->currentText(), QStringLiteral("weiß"));

  // Change something on every tab.
  w.group(QStringLiteral("StammSortierung"))->button(3)->setChecked(true);
  w.breedBox()->setCurrentIndex(0);
  EXPECT_EQ(w.colourBox()->currentIndex(), -1);  // changing the breed empties the colour
  w.colourBox()->setCurrentIndex(0);
  w.group(QStringLiteral("Suche"))->button(1)->setChecked(true);
  w.group(QStringLiteral("ListSortierung"))->button(6)->setChecked(true);
  w.statusBoxes()[2]->setChecked(true);
  w.group(QStringLiteral("NameAnzeigen"))->button(1)->setChecked(true);
  w.group(QStringLiteral("Speichern"))->button(1)->setChecked(true);
  w.group(QStringLiteral("Fenster"))->button(1)->setChecked(true);
  w.marginBox(0)->setValue(22);
  w.titelRotBox()->setChecked(false);
  w.group(QStringLiteral("AdrSuche"))->button(1)->setChecked(true);
  w.readInto(s);

  shell::ProfileFile ini;
  s.save(ini);
  shell::tsysteminfo back(kArea);
  back.load(ini, kArea);
  EXPECT_EQ(back.Stammdaten.Sortierung, QStringLiteral("StatusTato"));
  EXPECT_EQ(back.Stammdaten.Rasse, 1);
  EXPECT_EQ(back.Stammdaten.Farbe, 10);
  EXPECT_FALSE(back.Stammdaten.SuchebeiNeuaufnahme);
  EXPECT_EQ(back.Auswahlfenster.Sortierung, QStringLiteral("StatusNameRasse"));
  EXPECT_EQ(back.Auswahlfenster.Status, QStringLiteral("/3//12/"));
  EXPECT_FALSE(back.Auswahlfenster.NameAnzeigen);
  EXPECT_TRUE(back.Auswahlfenster.RasseAnzeigen);
  EXPECT_FALSE(back.System.Speichern);
  EXPECT_FALSE(back.System.Fenster);
  EXPECT_EQ(back.Stammbaum.linkerRand, 22);
  EXPECT_FALSE(back.Drucken.TitelRot);
  EXPECT_FALSE(back.Adressen.SuchebeiNeuaufnahme);
  EXPECT_EQ(back.Stammdaten.TageTraechtigkeit, 31);

  // "&Grundeinstellung laden" and a colour name that the chosen breed lacks.
  TFOptionen again(back, lists(), kArea);
  again.defaultsButton()->click();
  again.breedBox()->setCurrentIndex(1);
  again.colourBox()->addItem(QStringLiteral("schwarz"), 10);  // a colour of another breed
  again.colourBox()->setCurrentText(QStringLiteral("schwarz"));
  again.readInto(back);
  EXPECT_EQ(back.Stammbaum.linkerRand, 10);
  EXPECT_TRUE(back.Drucken.TitelRot);
  EXPECT_TRUE(back.Drucken.Bild);
  EXPECT_EQ(back.Stammdaten.Farbe, 0);
}

TEST(Options, AlleDisablesStatusBoxesAndAHiddenListKeepsItsFilter) {
  shell::tsysteminfo s(kArea);
  s.Auswahlfenster.Status = QStringLiteral("/1//3/");
  TFOptionen w(s, lists(), kArea);
  w.alleBox()->setChecked(true);
  for (QCheckBox* c : w.statusBoxes()) {
    EXPECT_FALSE(c->isChecked());
    EXPECT_FALSE(c->isEnabled());
  }
  w.alleBox()->setChecked(false);
  for (QCheckBox* c : w.statusBoxes()) EXPECT_TRUE(c->isEnabled());
  w.statusBoxes()[0]->setChecked(true);
  // "&Nein": the order and the filter keep their stored values.
  w.group(QStringLiteral("Anzeige"))->button(1)->setChecked(true);
  EXPECT_FALSE(w.statusBoxes()[0]->isEnabled());
  w.readInto(s);
  EXPECT_FALSE(s.Auswahlfenster.Anzeigen);
  EXPECT_EQ(s.Auswahlfenster.Status, QStringLiteral("/1//3/"));
}

TEST(Options, PedigreeItemsAreChosenOrderedAndStoredPerTab) {
  shell::tsysteminfo s(kArea);
  s.Stammbaum.Anzeige = QString();
  TFOptionen w(s, lists(), kArea);
  EXPECT_EQ(w.pedigreeList()->count(), 0);
  auto choose = [&](const QString& name) {
    w.addItemButton()->click();
    EXPECT_FALSE(w.choicePanel()->isHidden());
    const auto found = w.choiceList()->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    found.first()->setSelected(true);
    w.choiceOkButton()->click();
  };
  choose(QStringLiteral("Farbe"));
  choose(QStringLiteral("Rasse"));
  // The chosen items are no longer offered.
  w.addItemButton()->click();
  EXPECT_EQ(w.choiceList()->count(), 10);
  w.choiceOkButton()->click();

  // The print tab has its own list; switching stores the one being left.
  w.pedigreeTabs()->setCurrentIndex(1);
  EXPECT_EQ(w.pedigreeList()->count(), 1);  // "Titel,Farbe": Farbe
  w.pedigreeList()->item(0)->setSelected(true);
  w.removeItemButton()->click();
  choose(QStringLiteral("Körnote"));
  w.readInto(s);
  EXPECT_EQ(s.Stammbaum.Anzeige, QStringLiteral("FarbeRasse"));
  EXPECT_EQ(s.AnzeigeReihenfolge[0], 4);
  EXPECT_EQ(s.AnzeigeReihenfolge[1], 3);
  EXPECT_EQ(s.AnzeigeReihenfolge[2], 0);
  EXPECT_EQ(s.Stammbaum.Druck, QStringLiteral("Körnote"));
  EXPECT_EQ(pedigreeItemsOf(QStringLiteral("FarbeRasse")), (QStringList{QStringLiteral("Farbe"), QStringLiteral("Rasse")}));
}

TEST(OwnData, RecordIsWrittenOnCloseAndAnEmptyNameKeepsTheWindowOpen) {
  test::StockDirectory stock{{33, 51}};
  test::ScriptedDialogs dialogs;
  shell::tsysteminfo s(kArea);
  TAnwenderdaten::Lists l;
  l.breeds = {{1, QStringLiteral("Alaska")}, {2, QStringLiteral("Deutsche Riesen")}};
  l.colours = [](qint64 breed) {
    return breed == 2 ? std::vector<TAnwenderdaten::Choice>{{20, QStringLiteral("grau")}}
                      : std::vector<TAnwenderdaten::Choice>{};
  };
  int saved = 0;
  std::vector<std::pair<bool, bool>> defaults;
  auto* w = new TAnwenderdaten(stock.engine, s, l);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  w->onSaved = [&] { ++saved; };
  w->saveDefaults = [&](bool r, bool f) { defaults.emplace_back(r, f); };
  ASSERT_TRUE(w->isUsable());
  snapshotTabs(*w, w->findChild<QTabWidget*>(), QStringLiteral("anwender"));
  EXPECT_EQ(w->edit(QStringLiteral("Name"))->text(), QStringLiteral("Sommer"));
  EXPECT_FALSE(w->undoButton()->isEnabled());

  w->edit(QStringLiteral("Name"))->clear();
  emit w->edit(QStringLiteral("Name"))->textEdited(QString());
  EXPECT_TRUE(w->undoButton()->isEnabled());
  EXPECT_FALSE(w->close());
  EXPECT_EQ(dialogs.texts(), QStringList{test::StockDirectory::message(51)});

  w->edit(QStringLiteral("Name"))->setText(QStringLiteral("Großmann"));
  w->edit(QStringLiteral("Kreisverband"))->setText(QStringLiteral("KV Allgäu"));
  emit w->edit(QStringLiteral("Kreisverband"))->textEdited(QString());
  w->breedBox()->setCurrentIndex(1);
  w->colourBox()->setCurrentIndex(0);
  w->OKClick();
  EXPECT_EQ(s.Stammdaten.Rasse, 2);
  EXPECT_EQ(s.Stammdaten.Farbe, 20);
  EXPECT_EQ(defaults, (std::vector<std::pair<bool, bool>>{{true, true}}));
  EXPECT_EQ(saved, 1);
  engine::Cursor eigen(stock.engine);
  eigen.setTableName(QStringLiteral("eigen.DB"));
  eigen.open();
  eigen.first();
  EXPECT_EQ(eigen.field(QStringLiteral("Name")).asString(), QStringLiteral("Großmann"));
  EXPECT_EQ(eigen.field(QStringLiteral("Kreisverband")).asString(), QStringLiteral("KV Allgäu"));
  EXPECT_EQ(eigen.field(QStringLiteral("Vorname")).asString(), QStringLiteral("Jörg"));
  delete w;
}
