#include "breeding/ui/breeding_module.h"

#include "breeding/koerung_forms.h"
#include "breeding/ui/litter_page.h"
#include "breeding/ui/litter_report_window.h"
#include "breeding/ui/matings_window.h"
#include "breeding/ui/weight_windows.h"
#include "breeding/ui/wool_tab.h"
#include "reports/data_source.h"
#include "reports/ui/report_preview.h"
#include "shell/startup.h"
#include "shell/system_info.h"
#include "shell/ui/host.h"
#include "store/data_module.h"

namespace lapiro::breeding::ui {

void registerBreeding(shell::ui::Host& host) {
  host.addCommand({QStringLiteral("Kaninchen"), 220, QStringLiteral("Verpaarungen und Würfe"),
                   [&host] { openVerpaarungenUndWuerfe(host); }});
  const QString drucker = QStringLiteral("Drucker");
  host.addCommand({drucker, 240, QStringLiteral("Wurfmeldung"), [&host] { openWurfmeldung(host); }});
  host.addCommand({drucker, 260, QStringLiteral("Gewichtstabelle"), [&host] { printGewichtstabelle(host); }});
  shell::ui::MenuCommand angora(drucker, 310, QStringLiteral("Angora Leistungsnachweis"), [&host] {
    card::ui::TLapiroStamm* card = card::ui::cardOf(host);
    store::TDatenStamm* dm = host.session().dataModule();
    if (card && dm) Leistungsnachweis1Click(host.widget(), *card, *dm, host.session().settings());
  });
  angora.hiddenUntilStartUp = true;  // shown once the tables are open
  host.addCommand(std::move(angora));
  host.addCommand({drucker, 410, QStringLiteral("Jungtierliste"), [&host] { printJungtierliste(host); }});
  host.addCommand({drucker, 510, QStringLiteral("Gewichtstabellen -Formulare-"),
                   [&host] { openGewichtstabellenFormulare(host); }});
  host.addToolButton({280, shell::ui::tileIcon(QStringLiteral("VW"), QColor(0x2a, 0x7a, 0x7a)),
                      QStringLiteral("Verpaarungen und Würfe"), [&host] { openVerpaarungenUndWuerfe(host); }});
  // The matings window follows the animal opened from the list.
  host.addAnimalOpenedListener([](qint64 nummer) { reloadVerpaarungen(nummer); });
}

card::ui::CardPageFactories breedingCardPages() {
  using card::ui::CardPage;
  using card::ui::CardPageContext;
  using card::ui::TLapiroStamm;
  card::ui::CardPageFactories pages;
  pages.push_back({TLapiroStamm::TabZuchtbuch, [](const CardPageContext& c) {
                     TLapiroStamm* card = &c.card;
                     const card::ui::CardServices* services = &c.services;
                     const shell::tsysteminfo* settings = &c.settings;
                     auto* page = new TWurfbuchSeite(
                         c.dm, c.settings,
                         {services->pickDate,
                          [services]() -> std::optional<qint64> {
                            if (!services->searchAnimal) return std::nullopt;
                            store::SearchRequest request;
                            request.mode = 4;  // litter-book mode: bucks only
                            return services->searchAnimal(request);
                          },
                          services->showHelp, [card] { card->refreshAnimalList(); },
                          [card, settings](const BalanceForm& form) {
                            reports::showReportPreview(
                                card, TReportAusgeglichenheit(form, reports::ReportFont{settings->Drucken.Schriftart, 9.0}),
                                reports::MemoryDataSource{});
                          },
                          [card, settings](const KoernoteForm& form) {
                            reports::showReportPreview(
                                card, TReportKoernote(form, reports::ReportFont{settings->Drucken.Schriftart, 9.0}),
                                reports::MemoryDataSource{});
                          }});
                     CardPage result;
                     result.widget = page;
                     result.leaving = [page] { return page->leaving(); };
                     result.animalChanged = [page](const QDate& today) { page->animalChanged(today); };
                     result.reshow = [page] { page->reshow(); };
                     result.rebuildYoungRows = [page] { page->rebuildYoungRows(); };
                     return result;
                   }});
  pages.push_back({TLapiroStamm::TabLeistungsnachweis, [](const CardPageContext& c) {
                     CardPage result;
                     result.widget = new TabAngora(c.dm, c.settings, {c.services.showHelp, c.services.pickDate, {}});
                     return result;
                   }});
  return pages;
}

}  // namespace lapiro::breeding::ui
