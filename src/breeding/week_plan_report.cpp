#include "breeding/week_plan_report.h"

#include <QLocale>

namespace lapiro::breeding {

using reports::Band;
using reports::Element;

reports::MemoryDataSource TReportWochenplan::rows(const std::vector<CalendarTask>& tasks, const QDate& today) {
  reports::MemoryDataSource data;
  const QDate last = today.addDays(6);
  for (const CalendarTask& t : tasks) {
    if (t.done || t.day > last) continue;
    data.append({{QStringLiteral("Datum"), QLocale(QLocale::German).toString(t.day, QStringLiteral("ddd dd.MM."))},
                 {QStringLiteral("Aufgabe"), t.title},
                 {QStringLiteral("Tier"), t.animalText},
                 {QStringLiteral("Hinweis"), t.detail}});
  }
  return data;
}

TReportWochenplan::TReportWochenplan(const QDate& today, const reports::ReportFont& font) {
  title = QStringLiteral("Wochenplan");
  defaultFont = font;
  const double width = page.bodyWidth();
  titleBand = Band(14.0);
  titleBand.add(Element::label(QRectF(0, 0, width, 10),
                               QStringLiteral("Wochenplan vom %1 bis %2")
                                   .arg(today.toString(QStringLiteral("dd.MM.yyyy")),
                                        today.addDays(6).toString(QStringLiteral("dd.MM.yyyy"))))
                    .bold()
                    .size(14));

  // Columns: tick box, day, task, animal, hint.
  const double xDay = 10, xTask = 34, xAnimal = 100, xHint = 150;
  columnHeader = Band(7.0);
  columnHeader.add(Element::label(QRectF(0, 0, 9, 6), QStringLiteral("Erl.")).bold().singleLine());
  columnHeader.add(Element::label(QRectF(xDay, 0, xTask - xDay, 6), QStringLiteral("Datum")).bold().singleLine());
  columnHeader.add(Element::label(QRectF(xTask, 0, xAnimal - xTask, 6), QStringLiteral("Aufgabe")).bold().singleLine());
  columnHeader.add(Element::label(QRectF(xAnimal, 0, xHint - xAnimal, 6), QStringLiteral("Tier")).bold().singleLine());
  columnHeader.add(Element::label(QRectF(xHint, 0, width - xHint, 6), QStringLiteral("Hinweis")).bold().singleLine());
  columnHeader.add(Element::hLine(0, width, 6.5, 0.3));

  detail = Band(8.0);
  detail.add(Element::box(QRectF(1, 1.5, 5, 5), Qt::white, 0.3));
  detail.add(Element::dataField(QRectF(xDay, 1, xTask - xDay, 6), QStringLiteral("Datum")).singleLine());
  detail.add(Element::dataField(QRectF(xTask, 1, xAnimal - xTask - 1, 6), QStringLiteral("Aufgabe")).grow());
  detail.add(Element::dataField(QRectF(xAnimal, 1, xHint - xAnimal - 1, 6), QStringLiteral("Tier")).grow());
  detail.add(Element::dataField(QRectF(xHint, 1, width - xHint, 6), QStringLiteral("Hinweis")).grow());
  detail.add(Element::hLine(0, width, 7.8, 0.1));

  pageFooter = reports::standardPageFooter(width, false);
}

}  // namespace lapiro::breeding
