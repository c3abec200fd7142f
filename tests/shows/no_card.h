// A stand-in for the animal card where only its existence matters to the rules.
#pragma once

#include "store/card_state.h"

namespace lapiro::shows::test {

class NoCard : public store::TCardState {
 public:
  void setEditButtonsEnabled(bool) override {}
  void setUndoButtonEnabled(bool) override {}
  void setCaption(const QString&) override {}
  void refreshAnimalList() override {}
  void positionAnimalList(qint64) override {}
  void updateDisplays() override {}
  bool leftTattooInParts() const override { return false; }
  void setTattooParts(const QString&, const QString&, const QString&) override {}
  void hideParentPanels() override {}
  void showParents() override {}
  void resetEvaluationDates(const QDate&) override {}
  void reshowBreedingTab() override {}
  void focusHygieneDate() override {}
  void setWoolTabVisible(bool) override {}
  void rebuildYoungAnimalRows() override {}
  void refreshColourBox() override {}
  void setColourBoxEnabled(bool) override {}
  void setPictureHint(const QString&) override {}
};

}  // namespace lapiro::shows::test
