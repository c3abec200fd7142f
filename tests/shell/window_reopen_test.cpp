// Opening a feature window that is already open brings the open one forward, never a second
// one: office windows (filling the client area, the list panel hidden) and normal child
// windows, a minimized one shown again.
#include "shell/ui/main_window.h"

#include "breeding/ui/matings_window.h"
#include "contacts/ui/address_window.h"
#include "contacts/ui/contacts_windows.h"
#include "exchange/ui/exchange_window.h"
#include "exchange/ui/exchange_windows.h"
#include "safety/ui/safety_windows.h"
#include "shell/first_start.h"
#include "shell/startup.h"
#include "shows/ui/show_list_windows.h"
#include "shows/ui/show_windows.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

class ReopeningAWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    savedHome_ = qgetenv("LAPIRO_HOME");
    savedConfig_ = qgetenv("LAPIRO_CONFIG_DIR");
    qputenv("LAPIRO_HOME", tmp_.file(QStringLiteral("home")).toUtf8());
    qputenv("LAPIRO_CONFIG_DIR", tmp_.file(QStringLiteral("config")).toUtf8());
    dialogs_.choice(shell::kChoiceDemo);
    ASSERT_TRUE(shell::runFirstStart(QRect(0, 0, 1280, 1024)));
    session_ = std::make_unique<shell::ShellSession>();
    window_ = std::make_unique<TFormLapiroManager>(*session_);
    ASSERT_TRUE(window_->startUp(QRect(0, 0, 1280, 1024)));
    session_->createDataModule();
    window_->createCard();
    window_->applySettings();
    window_->setGeometry(QRect(0, 0, 1280, 1024));
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    settle();
  }
  void TearDown() override {
    if (window_) window_->hide();
    window_.reset();
    session_.reset();
    qputenv("LAPIRO_HOME", savedHome_);
    qputenv("LAPIRO_CONFIG_DIR", savedConfig_);
  }
  // Lets pending events run, deferred deletions too (a closed frame goes with deleteLater).
  static void settle() {
    for (int i = 0; i < 3; ++i) {
      QApplication::processEvents();
      QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }

  // The child windows of the client area that show a `W`.
  template <class W>
  QList<QMdiSubWindow*> framesOf() const {
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
      if (qobject_cast<W*>(sub->widget())) out << sub;
    return out;
  }

  // Opens with `open`, switches to the card, opens again: still one window, and it is active.
  template <class W>
  void expectBroughtForward(const std::function<void()>& open, const char* what) {
    SCOPED_TRACE(what);
    open();
    settle();
    ASSERT_EQ(framesOf<W>().size(), 1);
    QMdiSubWindow* first = framesOf<W>().front();
    if (QWidget* card = window_->cardWidget())
      if (auto* cardFrame = qobject_cast<QMdiSubWindow*>(card->parentWidget()))
        window_->mdiArea()->setActiveSubWindow(cardFrame);
    settle();
    open();
    settle();
    ASSERT_EQ(framesOf<W>().size(), 1);
    EXPECT_EQ(framesOf<W>().front(), first);
    EXPECT_EQ(window_->mdiArea()->activeSubWindow(), first);
    first->close();
    settle();
  }

  TempDir tmp_;
  ScriptedDialogs dialogs_;
  QByteArray savedHome_;
  QByteArray savedConfig_;
  std::unique_ptr<shell::ShellSession> session_;
  std::unique_ptr<TFormLapiroManager> window_;
};

TEST_F(ReopeningAWindow, OfficeWindowsComeForwardAndHideTheListWhileOpen) {
  expectBroughtForward<contacts::ui::Tadressenverwaltung>([this] { contacts::ui::openAdressenverwaltung(*window_); },
                                                          "Adressenverwaltung");
  expectBroughtForward<shows::ui::TFormAusstellungstermine>([this] { shows::ui::openAusstellungstermine(*window_); },
                                                            "Ausstellungstermine");

  // While an office window is open the list panel is hidden; closing it shows the list again.
  const bool listShown = session_->settings().Auswahlfenster.Anzeigen;
  contacts::ui::openAdressenverwaltung(*window_);
  settle();
  EXPECT_TRUE(window_->listPanel()->isHidden());
  ASSERT_EQ(framesOf<contacts::ui::Tadressenverwaltung>().size(), 1);
  framesOf<contacts::ui::Tadressenverwaltung>().front()->close();
  settle();
  EXPECT_EQ(window_->listPanel()->isVisible(), listShown);
}

TEST_F(ReopeningAWindow, NormalWindowsComeForwardAndAMinimizedOneIsShownAgain) {
  expectBroughtForward<breeding::ui::TFormVerpaarung>([this] { breeding::ui::openVerpaarungenUndWuerfe(*window_); },
                                                      "Verpaarungen und Würfe");
  expectBroughtForward<exchange::ui::TFormDatenaustausch>([this] { exchange::ui::openDatenaustausch(*window_); },
                                                          "Datenaustausch");
  expectBroughtForward<safety::ui::TFormDatensicherung>([this] { safety::ui::openDatensicherung(*window_); },
                                                        "Datensicherung");

  exchange::ui::openDatenaustausch(*window_);
  settle();
  ASSERT_EQ(framesOf<exchange::ui::TFormDatenaustausch>().size(), 1);
  QMdiSubWindow* frame = framesOf<exchange::ui::TFormDatenaustausch>().front();
  frame->showMinimized();
  settle();
  exchange::ui::openDatenaustausch(*window_);
  settle();
  EXPECT_FALSE(frame->isMinimized());
  EXPECT_EQ(window_->mdiArea()->activeSubWindow(), frame);
}

}  // namespace
}  // namespace lapiro::test
