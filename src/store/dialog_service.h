// The one way the core reaches the user: questions and messages go through a DialogService
// that the windows implement with message boxes and tests replace with a scripted one.
#pragma once

#include <QString>
#include <QStringList>

namespace lapiro::store {

enum class DialogKind { Information, Warning, Error, Question };
// YesNoDefaultNo: "Ja" and "Nein" with "Nein" as the default button (Enter answers "Nein"),
// for questions whose "Ja" destroys data, e.g. every delete question.
enum class DialogButtons { Ok, YesNo, YesNoCancel, OkCancel, YesNoDefaultNo };
enum class DialogAnswer { Ok, Yes, No, Cancel };

class DialogService {
 public:
  virtual ~DialogService() = default;

  // Shows `text` in a box of the given kind with the given buttons and returns the button
  // chosen. Closing the box without a button counts as Cancel (or No for YesNo, Ok for Ok).
  virtual DialogAnswer show(DialogKind kind, const QString& text, DialogButtons buttons,
                            const QString& title = {}) = 0;

  void inform(const QString& text) { show(DialogKind::Information, text, DialogButtons::Ok); }
  void warn(const QString& text) { show(DialogKind::Warning, text, DialogButtons::Ok); }
  void error(const QString& text) { show(DialogKind::Error, text, DialogButtons::Ok); }
  // Offers a choice between `options` (each a caption, optionally followed by a line break and
  // a one-line explanation) below `text`, with a cancel button. Returns the index of the
  // option chosen, or -1 when the user cancelled. The base implementation cancels.
  virtual int choose(const QString& text, const QStringList& options, const QString& title = {}) {
    (void)text;
    (void)options;
    (void)title;
    return -1;
  }

  // A Yes/No question; true for "Ja". `kind` sets the icon (question or warning).
  bool ask(const QString& text, DialogKind kind = DialogKind::Question) {
    return show(kind, text, DialogButtons::YesNo) == DialogAnswer::Yes;
  }
  // A delete question: like ask(), but "Nein" is the default button.
  bool askDelete(const QString& text, DialogKind kind = DialogKind::Warning) {
    return show(kind, text, DialogButtons::YesNoDefaultNo) == DialogAnswer::Yes;
  }
};

// The dialog service in force. Windows install theirs at start-up, tests a scripted one.
// Never null: until one is installed a silent service answers every question with its
// default (No / Cancel / Ok).
DialogService& dialogs();
void setDialogService(DialogService* service);

}  // namespace lapiro::store
