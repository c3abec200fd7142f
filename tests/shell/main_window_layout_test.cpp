// The width of the animal list beside the card: every column on a large screen, the compact
// width on a small one, following resizes of the main window across the two.
#include "shell/ui/main_window.h"

#include "card/ui/animal_card.h"
#include "contacts/ui/address_window.h"
#include "contacts/ui/contacts_windows.h"
#include "shell/first_start.h"
#include "shell/startup.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

// A demo stock made as a first start makes it, and a main window over it started in the
// program's order: card, settings, then shown at the given size.
class ListBesideTheCard : public ::testing::Test {
 protected:
  void SetUp() override {
    savedHome_ = qgetenv("LAPIRO_HOME");
    savedConfig_ = qgetenv("LAPIRO_CONFIG_DIR");
    qputenv("LAPIRO_HOME", tmp_.file(QStringLiteral("home")).toUtf8());
    qputenv("LAPIRO_CONFIG_DIR", tmp_.file(QStringLiteral("config")).toUtf8());
    dialogs_.choice(shell::kChoiceDemo);
    ASSERT_TRUE(shell::runFirstStart(QRect(0, 0, 1280, 1024)));
  }
  void TearDown() override {
    if (window_) window_->hide();
    window_.reset();
    session_.reset();
    qputenv("LAPIRO_HOME", savedHome_);
    qputenv("LAPIRO_CONFIG_DIR", savedConfig_);
  }

  void start(const QSize& size) {
    session_ = std::make_unique<shell::ShellSession>();
    window_ = std::make_unique<TFormLapiroManager>(*session_);
    ASSERT_TRUE(window_->startUp(QRect(QPoint(0, 0), size)));
    session_->createDataModule();
    window_->createCard();
    window_->applySettings();
    // The offscreen screen is smaller than the screens of these cases: place by hand.
    window_->setGeometry(QRect(QPoint(0, 0), size));
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    settle();
  }
  void resizeTo(const QSize& size) {
    window_->resize(size);
    settle();
  }
  static void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }

  QTableView* grid() const { return window_->animalGrid(); }
  int column(const QString& title) const {
    for (int i = 0; i < grid()->model()->columnCount(); ++i)
      if (grid()->model()->headerData(i, Qt::Horizontal).toString() == title) return i;
    return -1;
  }
  // Whether the column lies wholly inside the list's visible width.
  bool shown(const QString& title) const {
    const int c = column(title);
    const QHeaderView* header = grid()->horizontalHeader();
    return c >= 0 && !grid()->isColumnHidden(c) &&
           header->sectionViewportPosition(c) + header->sectionSize(c) <= grid()->viewport()->width();
  }
  card::ui::TLapiroStamm& card() const { return *card::ui::cardOf(*window_); }
  QSplitter* splitter() const { return window_->findChild<QSplitter*>(QStringLiteral("Splitter")); }

  TempDir tmp_;
  ScriptedDialogs dialogs_;
  QByteArray savedHome_, savedConfig_;
  std::unique_ptr<shell::ShellSession> session_;
  std::unique_ptr<TFormLapiroManager> window_;
};

TEST_F(ListBesideTheCard, OnALargeScreenEveryColumnShowsAndTheCardKeepsItsNormalArrangement) {
  start(QSize(1280, 1024));
  for (const QString& title : {QStringLiteral("Täto Re"), QStringLiteral("Täto Li."), QStringLiteral("Rasse"),
                               QStringLiteral("Name"), QStringLiteral("Geschl.")})
    EXPECT_TRUE(shown(title)) << title.toStdString() << " cut at list width " << window_->listPanel()->width();
  EXPECT_GE(card().height(), card::ui::TLapiroStamm::kCompactHeight);
  EXPECT_GE(card().width(), 850);
  // All eight card tabs fit beside the list, none behind the tab bar's scroll buttons.
  auto* tabs = card().findChild<QTabWidget*>(QStringLiteral("PageControl"));
  ASSERT_NE(tabs, nullptr);
  const QTabBar* bar = tabs->tabBar();
  EXPECT_LE(bar->tabRect(bar->count() - 1).right(), bar->width()) << "tab bar " << bar->width();
}

TEST_F(ListBesideTheCard, OnASmallScreenTheListShowsNameAndSexBesideTheCompactCard) {
  start(QSize(800, 600));
  EXPECT_LT(card().height(), card::ui::TLapiroStamm::kCompactHeight);
  for (const QString& title : {QStringLiteral("Täto Re"), QStringLiteral("Täto Li."), QStringLiteral("Name"),
                               QStringLiteral("Geschl.")})
    EXPECT_TRUE(shown(title)) << title.toStdString() << " cut at list width " << window_->listPanel()->width();
  EXPECT_GE(card().width(), 400);
  // The father's box shows a whole parent; the card's pages scroll rather than squeeze.
  auto* vater = card().findChild<QLineEdit*>(QStringLiteral("DBEditVater"));
  ASSERT_NE(vater, nullptr);
  EXPECT_GE(vater->width(), vater->fontMetrics().horizontalAdvance(QStringLiteral("H 512  12.20.3")) + 8);
}

TEST_F(ListBesideTheCard, AtTheDefaultSizeTheWholeListAndEveryCardTabShow) {
  start(QSize(1152, 864));
  for (const QString& title : {QStringLiteral("Name"), QStringLiteral("Geschl.")})
    EXPECT_TRUE(shown(title)) << title.toStdString() << " cut at list width " << window_->listPanel()->width();
  auto* tabs = card().findChild<QTabWidget*>(QStringLiteral("PageControl"));
  ASSERT_NE(tabs, nullptr);
  const QTabBar* bar = tabs->tabBar();
  EXPECT_LE(bar->tabRect(bar->count() - 1).right(), bar->width()) << "tab bar " << bar->width();
}

TEST_F(ListBesideTheCard, ResizesAcrossTheArrangementsMoveTheListAndOthersKeepTheDraggedWidth) {
  start(QSize(1280, 1024));
  const int wide = window_->listPanel()->width();
  resizeTo(QSize(640, 480));
  EXPECT_LT(window_->listPanel()->width(), wide);
  EXPECT_FALSE(shown(QStringLiteral("Geschl.")));
  resizeTo(QSize(1280, 1024));
  EXPECT_EQ(window_->listPanel()->width(), wide);
  EXPECT_TRUE(shown(QStringLiteral("Geschl.")));

  // The user widens the list; a resize that keeps the arrangement keeps that width, and so
  // does sorting by a column.
  splitter()->setSizes({wide + 60, splitter()->width() - wide - 60});
  settle();
  resizeTo(QSize(1400, 1000));
  EXPECT_EQ(window_->listPanel()->width(), wide + 60);
  emit grid()->horizontalHeader()->sectionClicked(column(QStringLiteral("Täto Li.")));
  settle();
  EXPECT_EQ(window_->listPanel()->width(), wide + 60);
}

// Texts of labels and buttons inside `window` that are narrower than their text.
QStringList cutTexts(QWidget* window) {
  QStringList cut;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    QString text;
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && l->textFormat() != Qt::RichText) text = l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
    if (!text.isEmpty() && w->width() < w->minimumSizeHint().width()) cut << text;
  }
  return cut;
}

// Labels whose text runs up to the box they name.
QStringList touchingLabels(QWidget* window) {
  QStringList touching;
  for (QLabel* l : window->findChildren<QLabel*>())
    if (l->isVisible() && l->buddy() && l->geometry().right() + 2 >= l->buddy()->geometry().left()) touching << l->text();
  return touching;
}

TEST_F(ListBesideTheCard, TheAddressBookFitsASmallScreenAndCutsNoText) {
  for (const QSize size : {QSize(800, 600), QSize(1280, 1024)}) {
    start(size);
    contacts::ui::openAdressenverwaltung(*window_);
    settle();
    auto* book = window_->findChild<contacts::ui::Tadressenverwaltung*>();
    ASSERT_NE(book, nullptr);
    const QSize area = window_->mdiArea()->viewport()->size();
    EXPECT_LE(book->minimumSizeHint().width(), area.width());
    EXPECT_LE(book->minimumSizeHint().height(), area.height());
    EXPECT_EQ(book->size(), area);
    EXPECT_TRUE(cutTexts(book).isEmpty()) << cutTexts(book).join(u'|').toStdString();
    EXPECT_TRUE(touchingLabels(book).isEmpty()) << touchingLabels(book).join(u'|').toStdString();
    if (qEnvironmentVariableIsSet("LAPIRO_SCREENSHOTS"))
      window_->grab().save(qEnvironmentVariable("LAPIRO_SCREENSHOTS") + QStringLiteral("/adressen-%1.png").arg(size.width()));
    // The remark panel takes the whole page and gives it back to the fields.
    book->BemerkungClick();
    settle();
    EXPECT_TRUE(book->remarkPanel()->isVisible());
    EXPECT_GE(book->remarkPanel()->width(), book->box(QStringLiteral("Name"))->parentWidget()->width());
    EXPECT_FALSE(book->box(QStringLiteral("Name"))->isVisible());
    if (qEnvironmentVariableIsSet("LAPIRO_SCREENSHOTS"))
      window_->grab().save(qEnvironmentVariable("LAPIRO_SCREENSHOTS") + QStringLiteral("/adressen-bemerkung-%1.png").arg(size.width()));
    for (QAbstractButton* b : book->remarkPanel()->findChildren<QAbstractButton*>())
      if (b->text() == QStringLiteral("&Ende")) b->click();
    settle();
    EXPECT_FALSE(book->remarkPanel()->isVisible());
    EXPECT_TRUE(book->box(QStringLiteral("Name"))->isVisible());
    book->close();
    settle();
    window_.reset();
    session_.reset();
  }
}

}  // namespace
}  // namespace lapiro::test
