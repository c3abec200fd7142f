// The laid-out report: pages of positioned items, ready to paint.
//
// Produced by layoutReport (report_layout.h) and painted by the renderer
// (report_renderer.h). Every coordinate is in millimetres from the paper's top-left corner.
// Tests read it directly: texts, positions and which band landed on which page.
#pragma once

#include <QColor>
#include <QDate>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

#include "reports/report.h"

namespace lapiro::reports {

struct TextItem {
  QRectF rect;        // the element's (possibly grown) rectangle
  QString text;       // the whole text as formatted
  QStringList lines;  // the lines actually printed, after wrapping, eliding or cutting
  QFont font;
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
  QColor color = Qt::black;
  double lineHeight = 0.0;  // mm between the tops of two lines
  double padding = 0.0;     // mm
};

struct LineItem {
  QLineF line;
  double width = 0.2;  // mm
  QColor color = Qt::black;
};

struct ShapeItem {
  QRectF rect;
  ShapeKind shape = ShapeKind::Rectangle;
  double penWidth = 0.2;  // mm; 0: no outline
  QColor penColor = Qt::black;
  QColor fill;  // invalid: not filled
  double radius = 0.0;
};

struct PictureItem {
  QRectF rect;  // where the image is drawn: already fitted to keep its proportions
  QImage image;
};

using PageItem = std::variant<TextItem, LineItem, ShapeItem, PictureItem>;

enum class BandKind { Title, ColumnHeader, Detail, Child, Summary, PageFooter };

// Where a band was placed: for checks that bands stay whole and inside the page body.
struct BandPlacement {
  BandKind kind = BandKind::Detail;
  int row = -1;            // data row (detail and child bands), -1 otherwise
  int child = -1;          // index into Report::children for child bands
  QRectF rect;             // page coordinates
  bool continued = false;  // part of a band too high for one page, continued from the previous
};

struct Page {
  std::vector<PageItem> items;  // in painting order
  std::vector<BandPlacement> bands;

  // The texts of the page's text items in painting order, one per line.
  QStringList texts() const;
  // True when some text item's text contains `text`.
  bool containsText(const QString& text) const;
};

struct PageModel {
  PageSetup setup;
  QString title;
  QDate printDate;
  std::vector<Page> pages;

  int pageCount() const { return static_cast<int>(pages.size()); }
  QSizeF pageSize() const { return setup.pageSize(); }
  // A readable listing of every page and item (positions to 0.1 mm), for reference files.
  QString dump() const;
};

}  // namespace lapiro::reports
