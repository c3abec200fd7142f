// The dialog "Kalender" (TKalenderDlg) that every window uses to pick a date: month and year
// as a caption over a month grid (Monday first, no week numbers), the line
// "Datum  :  dd.MM.yyyy", the groups "&Monat" and "&Jahr" with a back and a forward button
// each, and the buttons "&OK", "&Abbruch" and "&Hilfe".
//
// Keyboard: the arrow keys move the selected day in the grid, Enter confirms (also while a
// month or year button has the focus), Escape cancels. A double click on a day confirms it.
//
// The dialog is modal to its parent's window only, so a help window opened with "&Hilfe"
// stays usable while it is open.
#pragma once

#include <QDate>
#include <QDialog>
#include <optional>

class QCalendarWidget;
class QLabel;

namespace lapiro::shell::ui {

class TKalenderDlg : public QDialog {
  Q_OBJECT

 public:
  // Help page of the dialog, sent with helpRequested().
  static constexpr int kHelpContext = 110;

  explicit TKalenderDlg(QWidget* parent = nullptr);

  // Selects `initial` (today when it is invalid), runs the dialog modally and returns the
  // selected date when it was ended with "&OK", Enter or a double click, or nullopt when it
  // was cancelled ("&Abbruch", Escape, closing the window). May be called again on the same
  // dialog.
  std::optional<QDate> pick(const QDate& initial);

  // The selected day; always valid.
  QDate selectedDate() const;
  // Selects `date` and shows its month. An invalid date is ignored; a date outside the grid's
  // range (years 100 to 9999) is moved to the nearest end of it.
  void setSelectedDate(const QDate& date);

  // The text of the date line, e.g. "Datum  :  28.02.2025".
  QString dateLine() const;

 signals:
  // "&Hilfe": the help page `context` (kHelpContext) should be shown. The dialog stays open.
  void helpRequested(int context);

 private:
  void stepMonth(int months);
  void stepYear(int years);
  // Shows the selected date in the date line and its month in the grid.
  void selectionChanged();
  // Sets the caption above the grid, e.g. "Februar 2025".
  void showPage(int year, int month);

  QCalendarWidget* calendar_ = nullptr;
  QLabel* monthCaption_ = nullptr;
  QLabel* dateLine_ = nullptr;
};

}  // namespace lapiro::shell::ui
