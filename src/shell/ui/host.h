// The host of every feature window: what a feature module may ask of the main window, and
// where it registers its menu commands, tool buttons, keyword-search targets and start-up
// actions. The main window implements it; feature code takes a Host& and never the main
// window itself, so the main window includes no feature header and features include nothing
// above the shell. The start-up wiring (app/) hands each module the host to register with.
#pragma once

#include "shell/ui/office_rule.h"

#include <QColor>
#include <QIcon>
#include <QKeySequence>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

namespace lapiro::store {
enum class KeywordKind;
struct SearchRequest;
}  // namespace lapiro::store

namespace lapiro::shell {
class ProfileFile;
class ShellSession;
}  // namespace lapiro::shell

namespace lapiro::shell::ui {

class TKalenderDlg;

// A menu command. `menu` names the menu and, after a '/', its submenu ("Kaninchen",
// "System/Datenverwaltung"); see kMenus in main_window.cpp for the menus and submenus.
// `position` orders the entries of one menu: the hundreds are the group, and a separator
// stands between two groups (110 and 120 are neighbours, 210 follows a separator).
struct MenuCommand {
  MenuCommand(QString menu_, int position_, QString text_, std::function<void()> handler_, QKeySequence shortcut_ = {})
      : menu(std::move(menu_)), position(position_), text(std::move(text_)), shortcut(std::move(shortcut_)),
        handler(std::move(handler_)) {}
  QString menu;
  int position = 0;
  QString text;
  QKeySequence shortcut;
  std::function<void()> handler;
  // Asked each time the menu opens; no rule: always enabled.
  std::function<bool()> enabled;
  // The entry shows once start-up has opened the tables.
  bool hiddenUntilStartUp = false;
};

// A tool button: `position` orders the tool bar as it orders a menu (a separator between
// groups). `hint` is "short|long": the short text at the pointer, the long one in the status
// line; a hint without '|' is both.
struct ToolButton {
  ToolButton(int position_, QIcon icon_, QString hint_, std::function<void()> handler_, QString textBesideIcon_ = {})
      : position(position_), icon(std::move(icon_)), hint(std::move(hint_)), handler(std::move(handler_)),
        textBesideIcon(std::move(textBesideIcon_)) {}
  int position = 0;
  QIcon icon;
  QString hint;
  std::function<void()> handler;
  // Shows the short hint beside the icon (the button "ENDE").
  QString textBesideIcon;
};

// A tab a feature adds to the options window "Systemparameter", after the window's own tabs.
// Each opening of the options window builds the page anew from the settings file.
struct OptionsPage {
  OptionsPage(QString title_, std::function<QWidget*(const ProfileFile& ini)> create_,
              std::function<QStringList(QWidget* page)> check_,
              std::function<void(QWidget* page, ProfileFile& ini)> apply_)
      : title(std::move(title_)), create(std::move(create_)), check(std::move(check_)), apply(std::move(apply_)) {}
  QString title;
  // Builds the page's widget showing what `ini` holds; the options window owns it.
  std::function<QWidget*(const ProfileFile& ini)> create;
  // German messages for what `page` shows that cannot be saved; any message keeps the options
  // window open and nothing of any tab is written. Null: always valid.
  std::function<QStringList(QWidget* page)> check;
  // Writes what `page` shows into `ini` (the options window then saves the file). Runs after
  // the window's own tabs were read into the settings record.
  std::function<void(QWidget* page, ProfileFile& ini)> apply;
};

// The animal card as the main window sees it: the card module implements it.
class HostedCard {
 public:
  virtual ~HostedCard() = default;
  virtual QWidget* cardWidget() = 0;
  // Applies the settings that shape the card.
  virtual void applySettings() = 0;
  // Shows the current animal of the data module anew, as a shown (not a new) record.
  virtual void showCurrentRecord() = 0;
  // Rebuilds the card from the current record without recording it as shown.
  virtual void reload() = 0;
  // After a search or a double-click: the focus the current tab wants.
  virtual void focusCurrentTab() = 0;
  // Turns to "Stammdaten" with the focus on the right tattoo / only selects that tab.
  virtual void turnToMasterData() = 0;
  virtual void selectMasterDataTab() = 0;
  // Runs the leave-checks of the field being edited; false when the command must not go on.
  virtual bool finishFieldEntry() = 0;
  // "Speichern" of the card.
  virtual void save() = 0;
  // The compact arrangement below compactHeight() pixels of client height.
  virtual void arrange(bool compact) = 0;
  virtual int compactHeight() const = 0;
};

// What the main window offers the card it hosts; the card factory adds the rest.
struct CardHooks {
  std::function<std::optional<qint64>(const store::SearchRequest&)> searchAnimal;
  // Records a shown animal in the recently-shown list; true when the list changed.
  std::function<bool(const QString& rechts, const QString& links, qint64 nummer)> noteShown;
  std::function<void()> refreshAnimalList;
  std::function<void(qint64 nummer)> positionAnimalList;
  std::function<void()> updateRecordCounter;
};
using CardFactory = std::function<HostedCard*(const CardHooks&)>;

class Host {
 public:
  virtual ~Host() = default;

  // The main window: parent of dialogs, context of connections (gone with the host).
  virtual QWidget* widget() = 0;
  virtual ShellSession& session() = 0;
  virtual OfficeRule& officeRule() = 0;
  virtual QMdiArea* mdiArea() const = 0;

  // Opens `window` as a normal child window (frame deleted with it, `wanted` large or its
  // size hint, never beyond the client area, cascaded when System/Fenster is set); shown and
  // active.
  virtual QMdiSubWindow* openNormalWindow(QWidget* window, const QSize& wanted = QSize(),
                                          Qt::WindowFlags flags = {}) = 0;
  // Opens `window` as office window `which`: frameless, filling the client area, the list
  // panel hidden while it is open. The caller has asked the office rule before.
  virtual QMdiSubWindow* openOfficeWindow(QWidget* window, OfficeWindow which) = 0;
  // Brings an open child window to the front; false when `sub` is null (closed).
  virtual bool bringForward(QMdiSubWindow* sub) = 0;

  virtual void showHelp(int context) = 0;
  // Makes `nummer` the current animal of the list and the card; false when the list lacks it.
  virtual bool showAnimal(qlonglong nummer) = 0;
  // The shared calendar dialog.
  virtual TKalenderDlg& calendar() = 0;
  // The animal card's widget; null before it is created.
  virtual QWidget* cardWidget() const = 0;
  // Applies the settings anew (after the options were saved or a restore).
  virtual void applySettings() = 0;
  virtual void updateAnimalCount() = 0;

  // --- registration (before the window is shown) -----------------------------------------
  virtual void addCommand(MenuCommand command) = 0;
  virtual void addToolButton(ToolButton button) = 0;
  // The factory of the animal card, called once by createCard().
  virtual void setCardFactory(CardFactory factory) = 0;
  // Where a hit of the keyword search of `kind` leads (the target's number).
  virtual void addKeywordTarget(store::KeywordKind kind, std::function<void(qint64 target)> open) = 0;
  virtual std::function<void(qint64 target)> keywordTarget(store::KeywordKind kind) const = 0;
  // Runs when the main window is shown for the first time.
  virtual void addFirstShowAction(std::function<void()> action) = 0;
  // Runs after an animal of the list was opened by a double click or Enter.
  virtual void addAnimalOpenedListener(std::function<void(qint64 nummer)> listener) = 0;
  // A tab of the options window, shown after the pages registered before it.
  virtual void addOptionsPage(OptionsPage page) = 0;
  virtual const std::vector<OptionsPage>& optionsPages() const = 0;

  // --- the hosting every window shares ----------------------------------------------------
  // The office window `which`: brought forward when open; otherwise, when the office rule
  // allows it, `create` makes it (null: nothing opens) and it opens. Returns the new window
  // or null.
  QWidget* openOffice(OfficeWindow which, const std::function<QWidget*()>& create);
  // A normal window kept in `slot`, at most one at a time: brought forward when open;
  // otherwise, when the office rule allows it, `create` makes it (null or an engine failure,
  // reported: nothing opens) and it opens `wanted` large. Returns true when it opened anew.
  bool openOnce(QPointer<QMdiSubWindow>& slot, const std::function<QWidget*()>& create,
                const QSize& wanted = QSize());
};

// The registration of every feature module, installed once by the start-up wiring (app/);
// each main window runs it when it is built. Null: a bare main window.
using ModuleRegistration = void (*)(Host& host);
void setModuleRegistration(ModuleRegistration registration);
ModuleRegistration moduleRegistration();

// A guarded reference to a host for callbacks that may outlive it: false once the main
// window is gone.
class HostPointer {
 public:
  explicit HostPointer(Host& host) : host_(&host), guard_(host.widget()) {}
  explicit operator bool() const { return !guard_.isNull(); }
  Host* operator->() const { return host_; }
  Host& operator*() const { return *host_; }
  Host* get() const { return guard_ ? host_ : nullptr; }
  // The main window; null once it is gone.
  QWidget* widget() const { return guard_.data(); }

 private:
  Host* host_;
  QPointer<QWidget> guard_;
};

// A small tool-bar picture: a rounded tile in `colour` with one or two letters.
QIcon tileIcon(const QString& letters, const QColor& colour);

}  // namespace lapiro::shell::ui
