// Paints a laid-out report (page_model.h) with QPainter: onto any paged device (a PDF
// writer, a printer), into a PDF file, or into an image of one page.
#pragma once

#include <QImage>
#include <QPageLayout>
#include <QString>

#include "reports/page_model.h"

class QPainter;
class QPagedPaintDevice;

namespace lapiro::reports {

// The paper of a report with zero margins: the renderer places everything itself.
QPageLayout pageLayoutOf(const PageSetup& setup);

// Paints `page` with `painter`, whose origin must be the paper's top-left corner;
// `pixelsPerMm` converts the model's millimetres into the painter's device units. Fonts take
// their size from the device's resolution.
void paintPage(QPainter& painter, const Page& page, double pixelsPerMm);

// Renders every page onto `device`: sets its page layout to pageLayoutOf(model.setup), opens
// a painter and starts a new device page before each page after the first. A printer must be
// in full-page mode (QPrinter::setFullPage(true)) so that the origin is the paper's corner.
// Returns false when the painter cannot begin on the device (nothing is painted).
bool renderToDevice(const PageModel& model, QPagedPaintDevice& device);

// Writes the report as a PDF file at 1200 dpi with text kept as text. Overwrites an existing
// file. Returns false when the file cannot be written.
bool renderToPdf(const PageModel& model, const QString& fileName);

// Paints page `index` (0-based) into a white image at `dpi`. REQUIRES 0 <= index < pageCount.
QImage renderPageImage(const PageModel& model, int index, double dpi = 96.0);

}  // namespace lapiro::reports
