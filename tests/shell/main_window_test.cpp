// The main window: menu tree, tool bar, the animal list grid, the recently-shown menu, the
// office rule, help, and the question before the end.
#include "shell/ui/main_window.h"

#include "engine/cursor_model.h"
#include "installer/content.h"
#include "shell/paths.h"
#include "shell/shell_install.h"
#include "shell/ui/help_window.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

// The menu as lines: one per item, indented by depth, "-" for a separator.
void walk(const QList<QAction*>& actions, int depth, QStringList& out) {
  for (QAction* a : actions) {
    if (!a->isVisible()) continue;
    const QString indent(depth * 2, u' ');
    if (a->isSeparator()) {
      out << indent + u'-';
      continue;
    }
    out << indent + a->text();
    if (a->menu()) walk(a->menu()->actions(), depth + 1, out);
  }
}

QAction* findAction(QWidget* window, const QString& caption) {
  for (QAction* a : window->findChildren<QAction*>())
    if (a->text() == caption) return a;
  return nullptr;
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : install_({.animals = ShellInstall::sampleAnimals()}) {}

  void SetUp() override {
    window_ = std::make_unique<TFormLapiroManager>(session_);
    ASSERT_TRUE(window_->startUp(QRect(0, 0, 1280, 1024)));
    window_->applySettings();
    window_->show();
  }
  void TearDown() override {
    // Leave without the closing question.
    window_->hide();
    window_.reset();
  }

  ShellInstall install_;
  ScriptedDialogs dialogs_;
  shell::ShellSession session_;
  std::unique_ptr<TFormLapiroManager> window_;
};

TEST_F(MainWindowTest, MenuTreeHasTheExactCaptions) {
  QStringList menu;
  walk(window_->menuBar()->actions(), 0, menu);
  const QStringList expected{
      QStringLiteral("Kaninchen"),
      QStringLiteral("  Neuaufnahme"), QStringLiteral("  Duplizieren"), QStringLiteral("  Suchen"),
      QStringLiteral("  Speichern"), QStringLiteral("  Kaninchen löschen"), QStringLiteral("  -"),
      QStringLiteral("  Nachkommen"), QStringLiteral("    Direkte Nachkommen"), QStringLiteral("    Gesamte Nachkommen"),
      QStringLiteral("  Verpaarungen und Würfe"), QStringLiteral("  -"), QStringLiteral("  -"),
      QStringLiteral("  Beenden"),
      QStringLiteral("Infobox"),
      QStringLiteral("  Züchterregister"), QStringLiteral("  Ausstellungstermine"), QStringLiteral("  Vereine"),
      QStringLiteral("  Zuchtkalender"),
      QStringLiteral("Genmodul"),
      QStringLiteral("  Inzuchtgrad"), QStringLiteral("  Anpaarungsplanung"), QStringLiteral("  Bestandsanalyse"),
      QStringLiteral("  Farbvererbung"),
      QStringLiteral("Büro"),
      QStringLiteral("  Buchführung"), QStringLiteral("  Textverarbeitung"),
      QStringLiteral("System"),
      QStringLiteral("  Systemverwaltung"), QStringLiteral("    Systemparameter"), QStringLiteral("    -"),
      QStringLiteral("    Anwenderdaten"),
      QStringLiteral("  Datenverwaltung"), QStringLiteral("    Rassen"), QStringLiteral("    Farben"),
      QStringLiteral("    Status"), QStringLiteral("    Ausstellungstitel"), QStringLiteral("    -"),
      QStringLiteral("    Adressenverwaltung"), QStringLiteral("    Status Adressen"), QStringLiteral("    -"),
      QStringLiteral("    Apotheke / Hygiene"),
      QStringLiteral("  -"), QStringLiteral("  Datenaustausch"), QStringLiteral("  Datensicherung"),
      QStringLiteral("  Datenrücksicherung"), QStringLiteral("  Indexrekonstruktion"),
      QStringLiteral("Drucker"),
      QStringLiteral("  Drucken"), QStringLiteral("  Druckereinrichtung"), QStringLiteral("  Schriftart"),
      QStringLiteral("  -"), QStringLiteral("  Kaninchendaten"), QStringLiteral("  Kaninchendaten - Liste"),
      QStringLiteral("  Abstammungsnachweis"), QStringLiteral("  Wurfmeldung"), QStringLiteral("  Stallkarte DIN A6"),
      QStringLiteral("  Gewichtstabelle"), QStringLiteral("  Ausstellungsliste"), QStringLiteral("  -"),
      QStringLiteral("  Angora Leistungsnachweis"), QStringLiteral("  -"), QStringLiteral("  Jungtierliste"),
      QStringLiteral("  Impfbescheinigung"), QStringLiteral("  Ausstellungsanmeldung"),
      QStringLiteral("  Transportaufkleber / Stallkarten"), QStringLiteral("  -"),
      QStringLiteral("  Gewichtstabellen -Formulare-"),
      QStringLiteral("Fenster"),
      QStringLiteral("  Übereinander"), QStringLiteral("  Symbole anordnen"),
      QStringLiteral("Hilfe"),
      QStringLiteral("  Inhalt"), QStringLiteral("  -"), QStringLiteral("  Info"),
  };
  EXPECT_EQ(menu, expected) << menu.join(u'\n').toStdString();

  // Every command can be chosen.
  EXPECT_TRUE(findAction(window_.get(), QStringLiteral("Beenden"))->isEnabled());
  EXPECT_TRUE(findAction(window_.get(), QStringLiteral("Info"))->isEnabled());
  EXPECT_TRUE(findAction(window_.get(), QStringLiteral("Neuaufnahme"))->isEnabled());
  EXPECT_TRUE(findAction(window_.get(), QStringLiteral("Direkte Nachkommen"))->isEnabled());
  for (const char16_t* office : {u"Vereine", u"Züchterregister", u"Ausstellungstermine"})
    EXPECT_TRUE(findAction(window_.get(), QString::fromUtf16(office))->isEnabled()) << QString::fromUtf16(office).toStdString();
  for (const char16_t* office : {u"Buchführung", u"Datensicherung", u"Datenrücksicherung", u"Systemparameter", u"Anwenderdaten"})
    EXPECT_TRUE(findAction(window_.get(), QString::fromUtf16(office))->isEnabled()) << QString::fromUtf16(office).toStdString();
}

TEST_F(MainWindowTest, ToolBarHintsAndCaption) {
  QStringList hints;
  for (QAction* a : window_->toolBar()->actions())
    if (!a->isSeparator()) hints << a->toolTip() + u'|' + a->statusTip();
  EXPECT_EQ(hints.size(), 19);
  EXPECT_EQ(hints.front(), QStringLiteral("Neues Kaninchen anlegen|Neues Kaninchen anlegen"));
  EXPECT_EQ(hints[1], QStringLiteral("Kaninchen suchen|Kaninchen suchen"));
  EXPECT_EQ(hints[2], QStringLiteral("Kaninchen suchen|Kaninchen suchen"));
  EXPECT_EQ(hints[9], QStringLiteral("Anpaarungsplanung|Anpaarungsplanung"));
  EXPECT_EQ(hints[15], QStringLiteral("Zuchtkalender|Zuchtkalender"));
  EXPECT_EQ(hints[16], QStringLiteral("Drucken|"));
  EXPECT_EQ(hints[17], QStringLiteral("Suche nach Schlüsselwort|"));
  EXPECT_EQ(hints.back(), QStringLiteral("Programm beenden|Programm beenden"));
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Lapiro Manager  <Erika Muster>"));
  EXPECT_EQ(window_->countLabel()->text(), QStringLiteral("Anzahl Kaninchen: 4"));
}

TEST_F(MainWindowTest, GridShowsTheListAndFollowsQuickSearch) {
  QTableView* grid = window_->animalGrid();
  ASSERT_EQ(grid->model()->rowCount(), 4);
  EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Täto Re"));
  EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("A10"));
  EXPECT_EQ(grid->model()->index(0, 2).data().toString(), QStringLiteral("KCh"));
  EXPECT_EQ(grid->model()->index(0, 4).data().toString(), QStringLiteral("1.0"));

  grid->setFocus();
  QTest::keyClicks(grid, QStringLiteral("C"));
  EXPECT_EQ(session_.animalList().quickSearchText(), QStringLiteral("C"));
  EXPECT_EQ(grid->currentIndex().row(), 3);
  QTest::keyClick(grid, Qt::Key_Escape);
  EXPECT_TRUE(session_.animalList().quickSearchText().isEmpty());
}

TEST_F(MainWindowTest, HiddenColumnsFollowTheSettings) {
  session_.settings().Auswahlfenster.RasseAnzeigen = false;
  session_.settings().Auswahlfenster.Status = QStringLiteral("/1/");
  window_->applySettings();
  EXPECT_TRUE(window_->animalGrid()->isColumnHidden(2));
  EXPECT_FALSE(window_->animalGrid()->isColumnHidden(3));
  EXPECT_EQ(window_->countLabel()->text(), QStringLiteral("Anzahl Kaninchen: 2"));

  session_.settings().Auswahlfenster.Anzeigen = false;
  window_->applySettings();
  EXPECT_FALSE(window_->listPanel()->isVisible());
}

TEST_F(MainWindowTest, DoubleClickAddsTheAnimalToTheRecentlyShownMenu) {
  QTableView* grid = window_->animalGrid();
  EXPECT_TRUE(window_->recentActions().isEmpty());
  emit grid->doubleClicked(grid->model()->index(2, 0));  // B12
  ASSERT_EQ(window_->recentActions().size(), 1);
  EXPECT_EQ(window_->recentActions()[0]->text(), QStringLiteral("B12 3.5.10 {1}"));

  // The entries stand after the second separator of "Kaninchen".
  QStringList menu;
  walk(window_->menuBar()->actions().front()->menu()->actions(), 0, menu);
  EXPECT_EQ(menu.indexOf(QStringLiteral("B12 3.5.10 {1}")), menu.lastIndexOf(QStringLiteral("-")) - 1);

  // Choosing an entry makes that animal the list's current one.
  grid->selectRow(0);
  window_->recentActions()[0]->trigger();
  EXPECT_EQ(session_.animalList().cursor().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("B12"));
  EXPECT_EQ(grid->currentIndex().row(), 2);
}

TEST_F(MainWindowTest, AnOpenOfficeWindowBlocksNormalWindows) {
  QObject addressBook;
  window_->officeRule().setOpen(shell::ui::OfficeWindow::Adressenverwaltung, &addressBook);
  findAction(window_.get(), QStringLiteral("Info"))->trigger();
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  EXPECT_EQ(dialogs_.shown()[0].text, installer::messageText(139));
  EXPECT_TRUE(window_->mdiArea()->subWindowList().isEmpty());
  EXPECT_FALSE(window_->officeRule().mayOpenOffice(shell::ui::OfficeWindow::Adressenverwaltung));
  EXPECT_EQ(dialogs_.shown().size(), 1u);  // itself open: nothing said
  EXPECT_FALSE(window_->officeRule().mayOpenOffice(shell::ui::OfficeWindow::Vereine));
  EXPECT_EQ(dialogs_.shown().size(), 2u);
}

TEST_F(MainWindowTest, InfoWindowOpensOnce) {
  QAction* info = findAction(window_.get(), QStringLiteral("Info"));
  info->trigger();
  info->trigger();
  ASSERT_EQ(window_->mdiArea()->subWindowList().size(), 1);
  QWidget* infos = window_->mdiArea()->subWindowList().front()->widget();
  EXPECT_EQ(infos->windowTitle(), QStringLiteral("Infos"));
  EXPECT_EQ(infos->findChild<QLabel*>(QStringLiteral("Produkt"))->text(), QStringLiteral("Lapiro Manager"));
}

TEST_F(MainWindowTest, DatenaustauschOpensTheExchangeWindowOnce) {
  QAction* austausch = findAction(window_.get(), QStringLiteral("Datenaustausch"));
  ASSERT_NE(austausch, nullptr);
  EXPECT_TRUE(austausch->isEnabled());
  austausch->trigger();
  austausch->trigger();
  ASSERT_EQ(window_->mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(window_->mdiArea()->subWindowList().front()->widget()->windowTitle(), QStringLiteral("Datenaustausch"));
}

TEST_F(MainWindowTest, TheNewWindowsOpenOnceFromTheirMenus) {
  // Registered by their modules through the host: each opens once, a second call brings it forward.
  const QStringList classes{QStringLiteral("lapiro::breeding::BreedingCalendarWindow"),
                            QStringLiteral("lapiro::lineage::ui::TFormBestandsanalyse"),
                            QStringLiteral("lapiro::genetics::ui::TFormFarbvererbung")};
  int i = 0;
  for (const char16_t* caption : {u"Zuchtkalender", u"Bestandsanalyse", u"Farbvererbung"}) {
    QAction* command = findAction(window_.get(), QString::fromUtf16(caption));
    ASSERT_NE(command, nullptr) << QString::fromUtf16(caption).toStdString();
    command->trigger();
    command->trigger();
    const QList<QMdiSubWindow*> open = window_->mdiArea()->subWindowList();
    ASSERT_EQ(open.size(), i + 1) << QString::fromUtf16(caption).toStdString();
    EXPECT_EQ(QString::fromLatin1(window_->mdiArea()->activeSubWindow()->widget()->metaObject()->className()),
              classes[i]);
    ++i;
  }
  EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(MainWindowTest, HelpShowsThePageOrSaysItIsMissing) {
  window_->showHelp(1001);
  ASSERT_NE(window_->helpWindow(), nullptr);
  EXPECT_TRUE(dialogs_.shown().empty());
  EXPECT_TRUE(window_->helpWindow()->isVisible());

  window_->showHelp(4711);
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  EXPECT_EQ(dialogs_.shown()[0].kind, store::DialogKind::Information);
  EXPECT_TRUE(dialogs_.shown()[0].text.startsWith(QStringLiteral("Hilfe-Datei nicht gefunden\r")));
  EXPECT_TRUE(dialogs_.shown()[0].text.endsWith(QStringLiteral("4711.html")));
}

TEST_F(MainWindowTest, EndingAsksMessage16AndNeinKeepsRunning) {
  dialogs_.no();
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  EXPECT_EQ(dialogs_.shown()[0].text, installer::messageText(16));
  EXPECT_EQ(dialogs_.shown()[0].kind, store::DialogKind::Warning);
  EXPECT_TRUE(session_.animalList().cursor().isOpen());

  dialogs_.yes();
  EXPECT_TRUE(window_->close());
  EXPECT_FALSE(session_.animalList().cursor().isOpen());
}

TEST_F(MainWindowTest, TheEndRecordsTheWindowSizeWhenAdjusted) {
  session_.settings().System.Aufloesung = QStringLiteral("Angepasst 1000x700");
  window_->placeWindow();
  window_->resize(900, 650);
  dialogs_.yes();
  ASSERT_TRUE(window_->close());
  const QString saved =
      shell::ProfileFile(shell::paths::settingsFile()).readString(QStringLiteral("System"), QStringLiteral("Aufloesung"));
  EXPECT_EQ(saved, QStringLiteral("Angepasst 900x650"));
}

}  // namespace
}  // namespace lapiro::test
