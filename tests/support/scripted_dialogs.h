// A dialog service for tests: records every message shown and answers questions from a
// script ("answer Nein to the next question"). An unscripted question fails the test.
#pragma once

#include "store/dialog_service.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace lapiro::test {

class ScriptedDialogs : public store::DialogService {
 public:
  struct Shown {
    store::DialogKind kind;
    QString text;
    store::DialogButtons buttons;
  };

  ScriptedDialogs();   // installs itself as the dialog service
  ~ScriptedDialogs() override;  // restores the silent service

  // Queues the answer for the next question (a box with more than an OK button).
  ScriptedDialogs& answer(store::DialogAnswer a) {
    answers_.push_back(a);
    return *this;
  }
  ScriptedDialogs& yes() { return answer(store::DialogAnswer::Yes); }
  ScriptedDialogs& no() { return answer(store::DialogAnswer::No); }
  ScriptedDialogs& cancel() { return answer(store::DialogAnswer::Cancel); }
  // Queues the index for the next choice (-1: cancelled).
  ScriptedDialogs& choice(int index) {
    choices_.push_back(index);
    return *this;
  }

  store::DialogAnswer show(store::DialogKind kind, const QString& text, store::DialogButtons buttons,
                           const QString& title = {}) override;
  // Records the text with its options (one per line below it) as a question.
  int choose(const QString& text, const QStringList& options, const QString& title = {}) override;

  const std::vector<Shown>& shown() const { return shown_; }
  QStringList texts() const;
  void clear() { shown_.clear(); }
  bool allAnswersUsed() const { return answers_.empty() && choices_.empty(); }

 private:
  std::deque<store::DialogAnswer> answers_;
  std::deque<int> choices_;
  std::vector<Shown> shown_;
};

}  // namespace lapiro::test
