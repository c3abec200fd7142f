// Lapiro Manager: nothing but start-up.
#include "app/modules.h"
#include "shell/first_start.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "shell/ui/application.h"
#include "shell/ui/main_window.h"
#include "shell/ui/message_dialogs.h"
#include "shell/ui/program_icon.h"
#include "shell/ui/splash.h"
#include "store/dialog_service.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

namespace {

// Restores the normal cursor on every way out of start-up.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { release(); }
  void release() {
    if (active) QApplication::restoreOverrideCursor();
    active = false;
  }
  bool active = true;
};

}  // namespace

int main(int argc, char* argv[]) {
  using namespace lapiro;

  // Every event runs under the engine-failure guard; every top-level window stays on screen.
  shell::ui::LapiroApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("LapiroManager"));
  QApplication::setApplicationDisplayName(QStringLiteral("Lapiro Manager"));
  QApplication::setApplicationVersion(shell::programVersion());
  QApplication::setWindowIcon(shell::ui::programIcon());
  QApplication::setDesktopFileName(QStringLiteral("lapiro-manager"));
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  QTranslator qtTranslator;
  if (qtTranslator.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);

  shell::ui::MessageBoxDialogs dialogs;
  store::setDialogService(&dialogs);

  // 1. One program at a time.
  shell::InstanceLock lock(shell::InstanceLock::defaultPath());
  if (!shell::acquireSingleInstance(lock)) return 0;

  // A user without a stock is welcomed and chooses one; a data directory that is not a whole
  // stock is repaired on request; cancelling ends the program.
  const QScreen* firstScreen = QApplication::primaryScreen();
  const QRect workArea = firstScreen ? firstScreen->availableGeometry() : QRect();
  {
    shell::FirstStartHooks hooks;
    hooks.busy = shell::ui::runWithBusyWindow;
    hooks.chooseBackupFolder = [] {
      return QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Sicherungsverzeichnis wählen"),
                                               QDir::homePath());
    };
    if (!shell::runFirstStart(workArea, hooks)) {
      store::setDialogService(nullptr);
      return 0;
    }
    // The settings directory may only now exist: hold the lock there from here on.
    if (lock.tryAcquire() == shell::InstanceLock::Result::HeldByOther) {
      store::setDialogService(nullptr);
      return 0;
    }
  }

  // 2. and 3. Splash window and hour-glass.
  auto splash = std::make_unique<shell::ui::TIntro>();
  splash->show();
  WaitCursor wait;
  splash->setProgress(10);

  // 4. The windows in their fixed order; steps 5 to 9 run with the main window.
  splash->setProgress(20);
  shell::ShellSession session;
  app::installFeatureModules();
  shell::ui::TFormLapiroManager mainWindow(session);
  dialogs.setParent(&mainWindow);
  if (!mainWindow.startUp(workArea)) {
    store::setDialogService(nullptr);
    return 1;
  }

  splash->setProgress(30);
  session.createDataModule();
  splash->setProgress(40);  // the animal card; its creation applies the settings (step 10)
  mainWindow.createCard();
  mainWindow.applySettings();
  mainWindow.createSharedDialogs([&splash](int step) { splash->setProgress(step); });
  for (int step : {70, 80, 90, 100}) splash->setProgress(step);  // dialogs of windows still to come

  // 13. Ready for input.
  mainWindow.show();
  splash.reset();
  wait.release();
  const int result = app.exec();
  store::setDialogService(nullptr);
  return result;
}
