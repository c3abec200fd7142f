// Every window of the program at the screen sizes the settings offer, 800x600 and 1280x1024:
// each child window opens inside the client area with room for its content, and every dialog
// stays inside the work area, also when it grows while open.
#include "shell/ui/main_window.h"

#include "card/ui/animal_card.h"
#include "contacts/ui/register_windows.h"
#include "shell/first_start.h"
#include "shell/placement.h"
#include "shell/startup.h"
#include "shell/ui/application.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

void settle() {
  for (int i = 0; i < 4; ++i) QApplication::processEvents();
}

// Texts of labels and buttons inside `window` that do not fit the width they were given.
QStringList cutTexts(QWidget* window) {
  QStringList cut;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    QString text;
    int padding = 0;
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && l->textFormat() != Qt::RichText && l->pixmap().isNull())
      text = l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      text = b->text();
      padding = 6 + (b->icon().isNull() ? 0 : b->iconSize().width());
    }
    text.remove(u'&');
    int textWidth = 0;
    for (const QString& line : text.split(u'\n')) textWidth = std::max(textWidth, w->fontMetrics().horizontalAdvance(line));
    if (!text.isEmpty() && w->contentsRect().width() < textWidth + padding) cut << text;
  }
  return cut;
}

// The demo stock of a first start and a main window over it, filling a work area of the given
// size as System/Aufloesung "Maximized" would.
class EveryWindowFits : public ::testing::TestWithParam<QSize> {
 protected:
  void SetUp() override {
    savedHome_ = qgetenv("LAPIRO_HOME");
    savedConfig_ = qgetenv("LAPIRO_CONFIG_DIR");
    qputenv("LAPIRO_HOME", tmp_.file(QStringLiteral("home")).toUtf8());
    qputenv("LAPIRO_CONFIG_DIR", tmp_.file(QStringLiteral("config")).toUtf8());
    workArea_ = QRect(QPoint(0, 0), GetParam());
    shell::setWorkAreaOverride(workArea_);
    dialogs_.choice(shell::kChoiceDemo);
    ASSERT_TRUE(shell::runFirstStart(workArea_));
    session_ = std::make_unique<shell::ShellSession>();
    window_ = std::make_unique<TFormLapiroManager>(*session_);
    ASSERT_TRUE(window_->startUp(workArea_));
    session_->createDataModule();
    window_->createCard();
    window_->applySettings();
    window_->setGeometry(workArea_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    settle();
    dialogs_.clear();
  }
  void TearDown() override {
    for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
      if (sub->widget() != static_cast<QWidget*>(card::ui::cardOf(*window_))) delete sub;
    window_->hide();
    window_.reset();
    session_.reset();
    shell::setWorkAreaOverride(QRect());
    qputenv("LAPIRO_HOME", savedHome_);
    qputenv("LAPIRO_CONFIG_DIR", savedConfig_);
  }

  QAction* command(const QString& caption) const {
    for (QAction* a : window_->findChildren<QAction*>())
      if (a->text() == caption && a->menu() == nullptr && a->isEnabled()) return a;
    return nullptr;
  }

  // What does not fit of the child windows now open, one line each.
  QStringList childWindowFaults(const QString& command) const {
    QStringList faults;
    const QRect area(QPoint(0, 0), window_->mdiArea()->viewport()->size());
    for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList()) {
      if (sub->isHidden() || sub->isMinimized()) continue;
      const QString name = command + u'/' + sub->widget()->windowTitle();
      if (!shell::liesInside(sub->geometry(), area))
        faults << name + QStringLiteral(" lies outside the client area");
      const QSize need = sub->minimumSizeHint();
      if (need.width() > area.width() || need.height() > area.height())
        faults << name + QStringLiteral(" needs %1x%2 in %3x%4")
                             .arg(need.width()).arg(need.height()).arg(area.width()).arg(area.height());
      if (const QStringList cut = cutTexts(sub->widget()); !cut.isEmpty())
        faults << name + QStringLiteral(" cuts ") + cut.join(u'|');
    }
    return faults;
  }

  void closeChildWindows() {
    for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
      if (sub->widget() != static_cast<QWidget*>(card::ui::cardOf(*window_))) sub->close();
    settle();
    for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
      if (sub->widget() != static_cast<QWidget*>(card::ui::cardOf(*window_))) delete sub;
    settle();
  }

  TempDir tmp_;
  ScriptedDialogs dialogs_;
  QByteArray savedHome_, savedConfig_;
  QRect workArea_;
  std::unique_ptr<shell::ShellSession> session_;
  std::unique_ptr<TFormLapiroManager> window_;
};

TEST_P(EveryWindowFits, EveryCommandOpensItsWindowInsideTheClientAreaWithRoomForItsContent) {
  const QStringList commands{
      QStringLiteral("Info"), QStringLiteral("Rassen"), QStringLiteral("Farben"), QStringLiteral("Status"),
      QStringLiteral("Ausstellungstitel"), QStringLiteral("Status Adressen"), QStringLiteral("Apotheke / Hygiene"),
      QStringLiteral("Inzuchtgrad"), QStringLiteral("Anpaarungsplanung"), QStringLiteral("Direkte Nachkommen"),
      QStringLiteral("Gesamte Nachkommen"), QStringLiteral("Verpaarungen und Würfe"), QStringLiteral("Systemparameter"),
      QStringLiteral("Anwenderdaten"), QStringLiteral("Datensicherung"), QStringLiteral("Datenrücksicherung"),
      QStringLiteral("Datenaustausch"), QStringLiteral("Indexrekonstruktion"), QStringLiteral("Impfbescheinigung"),
      QStringLiteral("Ausstellungsanmeldung"), QStringLiteral("Transportaufkleber / Stallkarten"),
      QStringLiteral("Gewichtstabellen -Formulare-"), QStringLiteral("Suche nach Schlüsselwort"),
      QStringLiteral("Adressenverwaltung"), QStringLiteral("Züchterregister"), QStringLiteral("Vereine"),
      QStringLiteral("Buchführung"), QStringLiteral("Ausstellungstermine")};
  QStringList faults;
  // A dialog a command opens modally is checked and closed while it is open.
  QTimer modal;
  modal.setInterval(50);
  QObject::connect(&modal, &QTimer::timeout, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      if (!shell::liesInside(dialog->frameGeometry(), workArea_))
        faults << dialog->windowTitle() + QStringLiteral(" (dialog) lies outside the work area");
      if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject(); else dialog->close();
    }
  });
  modal.start();
  for (const QString& caption : commands) {
    QAction* action = command(caption);
    if (!action) {
      faults << caption + QStringLiteral(": no such command");
      continue;
    }
    action->trigger();
    settle();
    // Some commands open a window of their own beside the main window.
    QList<QWidget*> ownWindows;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != window_.get() && w->isVisible() && w->windowType() != Qt::ToolTip && w->windowType() != Qt::Popup)
        ownWindows << w;
    if (window_->mdiArea()->subWindowList().size() < 2 && ownWindows.isEmpty())
      faults << caption + QStringLiteral(" opened no window");
    faults << childWindowFaults(caption);
    for (QWidget* w : ownWindows) {
      const QString name = caption + u'/' + w->windowTitle();
      if (!shell::liesInside(w->frameGeometry(), workArea_))
        faults << name + QStringLiteral(" lies outside the work area at %1,%2 %3x%4")
                             .arg(w->frameGeometry().x()).arg(w->frameGeometry().y())
                             .arg(w->frameGeometry().width()).arg(w->frameGeometry().height());
      if (w->minimumSizeHint().width() > workArea_.width() || w->minimumSizeHint().height() > workArea_.height())
        faults << name + QStringLiteral(" needs more than the work area");
      if (const QStringList cut = cutTexts(w); !cut.isEmpty()) faults << name + QStringLiteral(" cuts ") + cut.join(u'|');
      if (qEnvironmentVariableIsSet("LAPIRO_SCREENSHOTS"))
        w->grab().save(qEnvironmentVariable("LAPIRO_SCREENSHOTS") +
                       QStringLiteral("/%1-%2-eigen.png").arg(GetParam().width()).arg(QString(caption).replace(u'/', u'-')));
      w->close();
    }
    if (qEnvironmentVariableIsSet("LAPIRO_SCREENSHOTS"))
      window_->grab().save(qEnvironmentVariable("LAPIRO_SCREENSHOTS") +
                           QStringLiteral("/%1-%2.png").arg(GetParam().width()).arg(QString(caption).replace(u'/', u'-')));
    closeChildWindows();
  }
  EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}

TEST_P(EveryWindowFits, CascadedWindowsAndAResizedMainWindowKeepEveryWindowInside) {
  for (const char* caption : {"Apotheke / Hygiene", "Inzuchtgrad", "Verpaarungen und Würfe", "Datenaustausch",
                              "Anpaarungsplanung", "Systemparameter"}) {
    QAction* action = command(QString::fromUtf8(caption));
    ASSERT_NE(action, nullptr) << caption;
    action->trigger();
    settle();
  }
  EXPECT_TRUE(childWindowFaults(QStringLiteral("cascade")).isEmpty())
      << childWindowFaults(QStringLiteral("cascade")).join(u'\n').toStdString();
  // The main window shrinks below the windows' places: they move back inside.
  window_->resize(window_->size() - QSize(120, 90));
  settle();
  const QRect area(QPoint(0, 0), window_->mdiArea()->viewport()->size());
  for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
    EXPECT_TRUE(shell::liesInside(sub->geometry(), area)) << sub->widget()->windowTitle().toStdString();
}

TEST_P(EveryWindowFits, AMaximisedChildWindowLeavesTheCardItsCaptionAndArrangement) {
  QAction* action = command(QStringLiteral("Apotheke / Hygiene"));
  ASSERT_NE(action, nullptr);
  action->trigger();
  settle();
  QMdiSubWindow* pharmacy = window_->mdiArea()->activeSubWindow();
  ASSERT_NE(pharmacy, nullptr);
  pharmacy->showMaximized();
  settle();
  QMdiSubWindow* card = qobject_cast<QMdiSubWindow*>(card::ui::cardOf(*window_)->parentWidget());
  ASSERT_NE(card, nullptr);
  window_->mdiArea()->setActiveSubWindow(card);
  settle();
  EXPECT_FALSE(card->isMaximized());
  // Double clicking the card's caption maximises nothing either.
  card->showMaximized();
  settle();
  EXPECT_FALSE(card->isMaximized());
  EXPECT_EQ(card->geometry(), QRect(QPoint(0, 0), window_->mdiArea()->viewport()->size()));
}

TEST_P(EveryWindowFits, EveryTabOfTheCardShowsItsCaptionsWhole) {
  QTabWidget* tabs = card::ui::cardOf(*window_)->tabs();
  QStringList faults;
  for (int i = 0; i < tabs->count(); ++i) {
    if (!tabs->isTabVisible(i)) continue;
    tabs->setCurrentIndex(i);
    settle();
    if (const QStringList cut = cutTexts(tabs->currentWidget()); !cut.isEmpty())
      faults << tabs->tabText(i) + QStringLiteral(" cuts ") + cut.join(u'|');
    if (qEnvironmentVariableIsSet("LAPIRO_SCREENSHOTS"))
      window_->grab().save(qEnvironmentVariable("LAPIRO_SCREENSHOTS") +
                           QStringLiteral("/%1-karte-%2.png").arg(GetParam().width()).arg(i));
  }
  EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Screens, EveryWindowFits, ::testing::Values(QSize(800, 600), QSize(1280, 1024)),
                         [](const ::testing::TestParamInfo<QSize>& info) {
                           return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

// The breeder register's search dialog grows to show its hit list: it stays on the screen.
class GrowingDialog : public ::testing::TestWithParam<QSize> {
 protected:
  void TearDown() override { shell::setWorkAreaOverride(QRect()); }
};

TEST_P(GrowingDialog, TheRegisterSearchStaysInsideTheWorkAreaWhenItShowsItsList) {
  const QRect area(QPoint(0, 0), GetParam());
  shell::setWorkAreaOverride(area);
  shell::ui::installKeepOnScreen();
  StockDirectory stock;
  for (int i = 0; i < 30; ++i)
    stock.add(QStringLiteral("ZWINGREG"), {{QStringLiteral("Zwinger"), QStringLiteral("A-%1").arg(100 + i)},
                                           {QStringLiteral("Züchter"), QStringLiteral("Müller")}});
  contacts::ui::TFormSucheZuechter dialog(stock.engine, {});
  dialog.prepareForShow();
  dialog.move(area.right() - 500, area.bottom() - 260);
  dialog.show();
  settle();
  EXPECT_TRUE(shell::liesInside(dialog.frameGeometry(), area)) << dialog.frameGeometry().x();
  dialog.box(1)->setText(QStringLiteral("Müller"));
  dialog.SuchenClick();  // 30 hits: the list shows and the dialog grows
  settle();
  ASSERT_TRUE(dialog.listShown());
  EXPECT_TRUE(shell::liesInside(dialog.frameGeometry(), area));
  for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
    EXPECT_TRUE(area.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size()))) << b->text().toStdString();
  dialog.hide();
}

INSTANTIATE_TEST_SUITE_P(Screens, GrowingDialog, ::testing::Values(QSize(800, 600), QSize(1280, 1024)),
                         [](const ::testing::TestParamInfo<QSize>& info) {
                           return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

}  // namespace
}  // namespace lapiro::test
