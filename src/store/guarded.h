// The one way the windows' flows run an engine operation: a rule's Abort ends it silently
// (the rule has said why, or the user chose so), an engine failure is shown as an error box.
#pragma once

#include "engine/types.h"
#include "store/dialog_service.h"

#include <utility>

namespace lapiro::store {

// Shows an engine failure as an error box. A damaged table is named once per run: every
// later failure of the same table stays silent (the first message said what to do).
void showEngineError(const engine::EngineError& e);

// Lets the next failure of every damaged table be shown again (after a restore; tests).
void forgetReportedDamage();

// Runs `action`; true when it finished, false after an Abort or a shown EngineError. Other
// exceptions pass through.
template <typename F>
bool guarded(F&& action) {
  try {
    std::forward<F>(action)();
    return true;
  } catch (const engine::Abort&) {
  } catch (const engine::EngineError& e) {
    showEngineError(e);
  }
  return false;
}

}  // namespace lapiro::store
