// Lays a report out into pages.
#pragma once

#include <QDate>

#include "reports/data_source.h"
#include "reports/page_model.h"
#include "reports/report.h"

namespace lapiro::reports {

// Lays `report` out over the rows of `data`, with `printDate` for print-date elements.
//
// Pagination: the title and the column header open the first page, the column header opens
// every further page; detail bands (and their children) follow per row; the summary ends the
// report; the page footer sits at the bottom margin of every page. A band that does not fit
// below the last one moves whole to the next page; a band higher than an empty page body is
// cut between text lines and continued on the next pages. Page numbers count all pages.
// The footer always carries imprintText().
//
// REQUIRES: a QGuiApplication exists (text is measured with the application's fonts).
// Never fails: missing fields print empty, unreadable pictures are left out. With no rows the
// report still has one page (title, header, summary, footer).
PageModel layoutReport(const Report& report, const ReportDataSource& data,
                       const QDate& printDate = QDate::currentDate());

// Line height in mm of `font` as the layout measures it.
double lineHeightMm(const QFont& font);
// Width in mm of `text` set in `font`, as the layout measures it.
double textWidthMm(const QFont& font, const QString& text);
// The lines a wrapping text element of `width` mm shows for `text` (paragraphs split at line
// breaks, trailing empty paragraphs dropped), before any cut to the element's height.
QStringList wrapTextLines(const QString& text, const QFont& font, double width);

}  // namespace lapiro::reports
