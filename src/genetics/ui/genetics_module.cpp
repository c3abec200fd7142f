#include "genetics/ui/genetics_module.h"

#include "card/card_controller.h"
#include "genetics/genotype_field.h"
#include "genetics/ui/colour_window.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/genotype_check.h"

#include <QMdiSubWindow>
#include <QPointer>

namespace lapiro::genetics::ui {

namespace {

QPointer<QMdiSubWindow> colourWindow;

}  // namespace

void openFarbvererbung(shell::ui::Host& host) {
  host.openOnce(colourWindow, [&host]() -> QWidget* { return new TFormFarbvererbung(host.session().engine()); });
}

void openFarbvererbungPaar(shell::ui::Host& host, qint64 vater, qint64 mutter) {
  openFarbvererbung(host);
  if (colourWindow)
    if (auto* window = qobject_cast<TFormFarbvererbung*>(colourWindow->widget())) window->setPair(vater, mutter);
}

void lendGenotypeRulesToCard() {
  auto normalise = [](const QString& text, QString* error) { return normalisedGenotypeText(text, error); };
  card::setGenotypeRules({normalise, &genotypeHint});
  store::setGenotypeNormaliser(normalise);
}

void registerGenetics(shell::ui::Host& host) {
  lendGenotypeRulesToCard();
  host.addCommand({QStringLiteral("Genmodul"), 140, QStringLiteral("Farbvererbung"),
                   [&host] { openFarbvererbung(host); }});
}

}  // namespace lapiro::genetics::ui
