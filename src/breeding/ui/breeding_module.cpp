#include "breeding/ui/breeding_module.h"

#include "breeding/breeding_calendar.h"
#include "breeding/koerung_forms.h"
#include "breeding/ui/breeding_calendar_window.h"
#include "breeding/ui/calendar_options_page.h"
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
#include "store/dialog_service.h"
#include "store/guarded.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QTabWidget>

namespace lapiro::breeding::ui {

namespace {

QPointer<QMdiSubWindow> calendarWindow;

// Shows the animal of a task on the card, at the tab the task comes from.
void openTaskAnimal(shell::ui::Host& host, qint64 animal, CardTab tab) {
  if (animal <= 0 || !host.showAnimal(animal)) return;
  card::ui::TLapiroStamm* card = card::ui::cardOf(host);
  if (!card) return;
  switch (tab) {
    case CardTab::Wurfbuch:
    case CardTab::Koerung:
      card->tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabZuchtbuch);
      break;
    case CardTab::Gesundheit:
      card->tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabStallhygiene);
      break;
    case CardTab::None:
      break;
  }
}

}  // namespace

void openZuchtkalender(shell::ui::Host& host) {
  host.openOnce(calendarWindow, [&host]() -> QWidget* {
    CalendarSettings settings;
    settings.load(host.session().settingsFile());
    shell::ui::HostPointer owner(host);
    return new BreedingCalendarWindow(host.session().engine(), store::dialogs(), settings,
                                      host.session().settings().Stammdaten.TageTraechtigkeit,
                                      [owner](qint64 animal, CardTab tab) {
                                        if (owner) openTaskAnimal(*owner, animal, tab);
                                      });
  });
}

void registerBreeding(shell::ui::Host& host) {
  host.addCommand({QStringLiteral("Infobox"), 140, QStringLiteral("Zuchtkalender"), [&host] { openZuchtkalender(host); }});
  host.addToolButton({350, shell::ui::tileIcon(QStringLiteral("ZK"), QColor(0x5a, 0x6a, 0x7a)),
                      QStringLiteral("Zuchtkalender"), [&host] { openZuchtkalender(host); }});
  // "Beim Start anzeigen": the calendar opens after start-up when something is overdue or due today.
  host.addFirstShowAction([&host] {
    CalendarSettings settings;
    settings.load(host.session().settingsFile());
    if (!settings.beimStart) return;
    bool due = false;
    store::guarded([&] {
      due = showAtStart(settings, calendarTasks(host.session().engine(), settings,
                                                host.session().settings().Stammdaten.TageTraechtigkeit,
                                                QDate::currentDate()));
    });
    if (due) openZuchtkalender(host);
  });
  // The options tab "Zuchtkalender"; saved values reach an open calendar at once.
  host.addOptionsPage(
      {QStringLiteral("Zuchtkalender"),
       [](const shell::ProfileFile& ini) -> QWidget* {
         CalendarSettings settings;
         settings.load(ini);
         return new CalendarOptionsPage(settings);
       },
       [](QWidget* page) { return static_cast<CalendarOptionsPage*>(page)->settings().problems(); },
       [&host](QWidget* page, shell::ProfileFile& ini) {
         const CalendarSettings settings = static_cast<CalendarOptionsPage*>(page)->settings();
         settings.save(ini);
         if (auto* open = calendarWindow ? qobject_cast<BreedingCalendarWindow*>(calendarWindow->widget()) : nullptr)
           open->setSettings(settings, host.session().settings().Stammdaten.TageTraechtigkeit);
       }});
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
