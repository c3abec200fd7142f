// The print commands of the main window's menu "Drucker" and the tool bar's "Drucken": what
// each previews, "Drucken" by the animal card's tab, and the label window opened once.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "output/ui/label_window.h"
#include "reports/ui/report_preview.h"
#include "shell/running_main_window.h"
#include "shell/shell_install.h"
#include "shell/ui/main_window.h"
#include "store/data_module.h"
#include "store/ui/animal_search_dialog.h"
#include "support/scripted_dialogs.h"

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

class MainWindowPrintoutsTest : public RunningMainWindow {
 protected:
  // Triggers `action` and returns the titles of the previews it opened (each closed at once).
  QStringList previewsOf(QAction* action) {
    QStringList titles;
    std::function<void()> closePreview = [&] {
      if (auto* preview = qobject_cast<reports::TReportVorschau*>(QApplication::activeModalWidget())) {
        titles << preview->model().title;
        models_.push_back(preview->model());
        preview->reject();
      }
    };
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, closePreview);
    timer.start();
    action->trigger();
    return titles;
  }

  std::vector<reports::PageModel> models_;
};

TEST_F(MainWindowPrintoutsTest, DruckenActsByTheCardsTabAndTheMenuPrintsSheetAndCard) {
  QAction* drucken = command(QStringLiteral("Drucken"));
  ASSERT_TRUE(drucken && drucken->isEnabled());
  card::ui::TLapiroStamm* card = card::ui::cardOf(*window_);
  ASSERT_TRUE(card);
  card->tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabStammdaten);
  EXPECT_EQ(previewsOf(drucken), QStringList{QStringLiteral("Kaninchendaten")});
  card->tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabAusstellung);
  EXPECT_TRUE(previewsOf(drucken).isEmpty());

  EXPECT_EQ(previewsOf(command(QStringLiteral("Kaninchendaten"))),
            QStringList{QStringLiteral("Kaninchendaten")});
  EXPECT_EQ(previewsOf(command(QStringLiteral("Stallkarte DIN A6"))),
            QStringList{QStringLiteral("Stallkarte")});
  EXPECT_TRUE(dialogs_.texts().isEmpty());
}

TEST_F(MainWindowPrintoutsTest, DataSheetShowsTheRepresentativePictureOnlyWhenPicturesArePrinted) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bild.png"));
  QImage image(100, 50, QImage::Format_RGB32);
  image.fill(Qt::darkGreen);
  ASSERT_TRUE(image.save(path));
  engine::Cursor& hasen = session_.dataModule()->Hasen();
  ASSERT_TRUE(hasen.hasRecord());
  engine::Cursor bilder(session_.engine(), QStringLiteral("Bilder"));
  bilder.setTableName(QStringLiteral("Bilder.db"));
  bilder.open();
  bilder.append();
  bilder.field(QStringLiteral("KatzeNr")).setInteger(hasen.field(QStringLiteral("Nummer")).asInteger());
  bilder.field(QStringLiteral("Bildpfad")).setString(path);
  bilder.post();
  bilder.close();

  auto pictures = [](const reports::PageModel& model) {
    int n = 0;
    for (const auto& page : model.pages)
      for (const auto& item : page.items) n += std::holds_alternative<reports::PictureItem>(item);
    return n;
  };
  session_.settings().Drucken.Bild = false;
  previewsOf(command(QStringLiteral("Kaninchendaten")));
  session_.settings().Drucken.Bild = true;
  session_.settings().Stammdaten.BildAnpassen = true;
  previewsOf(command(QStringLiteral("Kaninchendaten")));
  ASSERT_EQ(models_.size(), 2u);
  EXPECT_EQ(pictures(models_[0]), 0);
  EXPECT_EQ(pictures(models_[1]), 1);
}

TEST_F(MainWindowPrintoutsTest, DataListPrintsEveryAnimalTheSearchFoundWithTheFocusOnTheLeftTattoo) {
  bool leftFocused = false;
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* search = qobject_cast<store::ui::TsuchenDlg*>(modal)) {
      auto* links = search->findChild<QLineEdit*>(QStringLiteral("EditTatoLinks"));
      leftFocused = links && search->focusWidget() == links;
      search->findChild<QPushButton*>(QStringLiteral("ButtonSuchen"))->click();
      search->findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
    } else if (auto* preview = qobject_cast<reports::TReportVorschau*>(modal)) {
      models_.push_back(preview->model());
      preview->reject();
    }
  });
  timer.start();
  command(QStringLiteral("Kaninchendaten - Liste"))->trigger();
  EXPECT_TRUE(leftFocused);
  ASSERT_EQ(models_.size(), 1u);
  EXPECT_EQ(models_[0].title, QStringLiteral("Kaninchendaten - Liste"));
  int rows = 0;
  for (const auto& page : models_[0].pages)
    for (const auto& band : page.bands) rows += band.kind == reports::BandKind::Detail;
  EXPECT_EQ(rows, static_cast<int>(ShellInstall::sampleAnimals().size()));
}

TEST_F(MainWindowPrintoutsTest, LabelWindowOpensOnceAndStaysAboveTheMainWindow) {
  QAction* aufkleber = command(QStringLiteral("Transportaufkleber / Stallkarten"));
  ASSERT_TRUE(aufkleber && aufkleber->isEnabled());
  aufkleber->trigger();
  aufkleber->trigger();
  int windows = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* form = qobject_cast<output::ui::TFormTransportaufkleber*>(w); form && form->isVisible()) {
      ++windows;
      EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
      EXPECT_EQ(form->windowTitle(), QStringLiteral("Transportaufkleber"));
      form->close();
    }
  EXPECT_EQ(windows, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace lapiro::test
