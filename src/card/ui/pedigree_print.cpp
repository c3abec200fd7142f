#include "card/ui/pedigree_print.h"

#include "card/pedigree_certificate.h"
#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "exchange/passport.h"
#include "reports/data_source.h"
#include "reports/ui/report_preview.h"
#include "shell/system_info.h"
#include "store/data_module.h"

namespace lapiro::card::ui {

void printPedigreeCertificate(QWidget* parent, store::TDatenStamm& dm, const shell::tsysteminfo& settings) {
  engine::Cursor& h = dm.Hasen();
  if (!h.isOpen() || !h.hasRecord()) return;
  PedigreeCertificate certificate = readPedigreeCertificate(dm, settings);
  certificate.passport = exchange::passportImage(h.engine(), h.field(QStringLiteral("Nummer")).asInteger());
  const reports::Report report =
      TReportAbstammungsnachweis(certificate, reports::ReportFont{settings.Drucken.Schriftart, 0});
  reports::showReportPreview(parent, report, reports::MemoryDataSource{});
}

void AbstammungsnachweisClick(QWidget* parent, TLapiroStamm& card, store::TDatenStamm& dm,
                              const shell::tsysteminfo& settings) {
  if (!card.finishFieldEntry()) return;
  if (dm.Hasen().isEditing()) card.SpeichernClick();
  if (dm.Hasen().isEditing()) return;
  printPedigreeCertificate(parent, dm, settings);
}

}  // namespace lapiro::card::ui
