// Definition of a banded report: page set-up, bands and the elements they hold.
//
// A report is a plain value that a layout function fills in and `layoutReport`
// (report_layout.h) turns into pages. All positions and sizes are millimetres; an element's
// position is relative to the top-left corner of its band, and x = 0 is the left page margin.
//
// Bands and where they print:
//   titleBand      once, at the top of the first page (its fields read row 0)
//   columnHeader   at the top of every page, below the title on the first page
//   detail         once per data row; `children` follow it for the same row
//   summary        once after the last row (its fields read the last row)
//   pageFooter     at the bottom of every page
// A band with height 0 and no elements is absent. A band is never split across pages unless
// it is higher than a whole page body; such a band is cut between text lines.
#pragma once

#include <QColor>
#include <QDate>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace lapiro::reports {

class ReportDataSource;

// The text every page footer carries.
QString imprintText();  // "printed by Lapiro Manager"

enum class PageFormat { A4, A6 };
enum class Orientation { Portrait, Landscape };

struct PageSetup {
  PageFormat format = PageFormat::A4;
  Orientation orientation = Orientation::Portrait;
  QMarginsF margins{15.0, 12.0, 15.0, 10.0};  // mm: left, top, right, bottom

  // Paper size in mm: A4 210 x 297, A6 105 x 148; width and height swap in landscape.
  QSizeF pageSize() const;
  // The area inside the margins, in page coordinates (mm from the paper's top-left corner).
  QRectF bodyRect() const;
  double bodyWidth() const { return bodyRect().width(); }
};

// A font by family, size in points, bold and italic. An empty family or a size <= 0 takes
// the report's default font.
struct ReportFont {
  QString family;
  double pointSize = 0.0;
  bool bold = false;
  bool italic = false;

  // Fills the empty parts from `fallback` and builds the QFont (hinting off, so text measures
  // the same on every device).
  QFont resolve(const ReportFont& fallback) const;
};

// How a data value becomes text (see formatValue).
struct ValueFormat {
  enum class Kind {
    Auto,    // by the value's type: dates dd.MM.yyyy, Money with two decimals, bool Ja/Nein
    Text,    // QVariant::toString
    Date,    // dd.MM.yyyy; accepts QDate, QDateTime and ISO text "yyyy-MM-dd"
    Money,   // German notation with two decimals and thousands separators: "1.234,50"
    Number,  // German notation with `decimals` decimals: "3,142"
  };
  Kind kind = Kind::Auto;
  int decimals = 0;         // Number only
  bool groupDigits = true;  // Number only: thousands separator "."

  static ValueFormat date() { return {Kind::Date}; }
  static ValueFormat money() { return {Kind::Money}; }
  static ValueFormat number(int decimals, bool groupDigits = true) {
    return {Kind::Number, decimals, groupDigits};
  }
};

// Formats a value in German notation. An invalid or null value, and a value the format cannot
// read (text in a Money field, an unparsable date), give an empty text.
QString formatValue(const QVariant& value, const ValueFormat& format);

// A frame around an element's rectangle; `sides` chooses the edges.
struct Frame {
  Qt::Edges sides;  // empty: no frame
  double width = 0.2;
  QColor color = Qt::black;
};

enum class ShapeKind { Rectangle, RoundedRectangle, Ellipse };

struct Element {
  enum class Kind {
    Text,        // static text
    Field,       // a data field, a calculated value or an aggregate, formatted
    PageNumber,  // "Seite n" or "Seite n von m"
    PrintDate,   // the print date, dd.MM.yyyy
    Line,        // from rect.topLeft() to rect.bottomRight()
    Shape,       // rectangle, rounded rectangle or ellipse
    Picture,     // an image scaled into rect keeping its proportions, centred
  };
  enum class Aggregate { None, Count, Sum };
  using Calculation = std::function<QVariant(const ReportDataSource&, int row)>;

  Kind kind = Kind::Text;
  QRectF rect;  // mm, relative to the band

  // Text, fields, page numbers and dates.
  QString text;                           // Text: the text itself
  QString field;                          // Field/Picture: the data field's name
  Calculation calc;                       // Field: computes the value instead of reading `field`
  Aggregate aggregate = Aggregate::None;  // Field: over all rows (Sum reads `field`)
  bool withTotal = false;                 // PageNumber: "Seite n von m"
  ValueFormat format;
  QString prefix, suffix;  // put around a non-empty value; an empty value prints nothing
  ReportFont font;
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
  QColor color = Qt::black;
  bool wordWrap = true;  // break long text into lines; otherwise one line, elided with "…"
  bool canGrow = false;  // the element (and its band) grows to show every wrapped line
  double padding = 0.0;  // inner space between rect and text, mm
  Frame frame;

  // Lines and shapes.
  ShapeKind shape = ShapeKind::Rectangle;
  double penWidth = 0.2;  // mm; 0 draws no outline (shapes)
  QColor penColor = Qt::black;
  QColor fill;          // invalid: not filled
  double radius = 2.0;  // RoundedRectangle corner radius, mm
  // Follows the band's growth: shapes and vertical lines get longer (column rules, row
  // frames), horizontal lines move down with the band's bottom (row separators).
  bool stretchWithBand = false;

  // Pictures.
  QImage image;  // static picture; when null, `field` supplies QImage, image bytes or a path

  // Builders. Positions and sizes in mm.
  static Element label(const QRectF& rect, const QString& text);
  static Element dataField(const QRectF& rect, const QString& field, ValueFormat format = {});
  static Element calculated(const QRectF& rect, Calculation calc, ValueFormat format = {});
  static Element count(const QRectF& rect, const QString& prefix = {});
  static Element sum(const QRectF& rect, const QString& field, ValueFormat format = {});
  static Element pageNumber(const QRectF& rect, bool withTotal);
  static Element printDate(const QRectF& rect, const QString& prefix = {});
  static Element line(QPointF from, QPointF to, double width = 0.2);
  static Element hLine(double x1, double x2, double y, double width = 0.2);
  static Element vLine(double x, double y1, double y2, double width = 0.2);
  static Element box(const QRectF& rect, const QColor& fill, double penWidth = 0.2,
                     ShapeKind shape = ShapeKind::Rectangle);
  static Element picture(const QRectF& rect, const QImage& image);
  static Element pictureField(const QRectF& rect, const QString& field);

  // Chainable adjustments.
  Element& bold(bool on = true) {
    font.bold = on;
    return *this;
  }
  Element& italic(bool on = true) {
    font.italic = on;
    return *this;
  }
  Element& size(double points) {
    font.pointSize = points;
    return *this;
  }
  Element& family(const QString& name) {
    font.family = name;
    return *this;
  }
  Element& align(Qt::Alignment a) {
    alignment = a;
    return *this;
  }
  Element& grow(bool on = true) {
    canGrow = on;
    return *this;
  }
  Element& singleLine() {
    wordWrap = false;
    return *this;
  }
  Element& pad(double mm) {
    padding = mm;
    return *this;
  }
  Element& framed(Qt::Edges sides = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge,
                  double width = 0.2) {
    frame.sides = sides;
    frame.width = width;
    return *this;
  }
  Element& colour(const QColor& c) {
    color = c;
    penColor = c;
    return *this;
  }
  Element& stretch(bool on = true) {
    stretchWithBand = on;
    return *this;
  }
  Element& around(const QString& before, const QString& after = {}) {
    prefix = before;
    suffix = after;
    return *this;
  }
};

struct Band {
  double height = 0.0;  // mm; the band is at least this high and grows with its elements
  std::vector<Element> elements;
  // Detail and child bands: printed for a row only when this returns true (null: always).
  std::function<bool(const ReportDataSource&, int row)> printWhen;
  // Start a new page before this band unless the page holds nothing below its header yet.
  bool startNewPage = false;

  Band() = default;
  explicit Band(double h) : height(h) {}
  Band& add(const Element& element) {
    elements.push_back(element);
    return *this;
  }
  bool isEmpty() const { return height <= 0.0 && elements.empty(); }
};

struct Report {
  QString title;  // names the preview window and the PDF document
  PageSetup page;
  ReportFont defaultFont{QStringLiteral("Arial"), 10.0};  // callers set it from the settings

  Band titleBand;
  Band columnHeader;
  Band detail;
  std::vector<Band> children;  // printed after the detail band, same row
  Band summary;
  Band pageFooter;  // when it lacks imprintText(), the engine adds a line carrying it

  // Keep a detail band and its children on one page when they fit on one.
  bool keepDetailWithChildren = true;
};

// A page footer as most reports use it: a rule, imprintText() on the left and the page
// number ("Seite n" or "Seite n von m") on the right, across `width` mm.
Band standardPageFooter(double width, bool withTotal = true);

}  // namespace lapiro::reports
