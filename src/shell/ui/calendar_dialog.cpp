#include "shell/ui/calendar_dialog.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/calendar_nav.h"

namespace lapiro::shell::ui {

namespace {

// A back or forward arrow of the month and year groups. Tool buttons never become the
// default button, so Enter still confirms while one of them has the focus.
QToolButton* arrowButton(QWidget* parent, const QString& name, Qt::ArrowType arrow, const QString& tip) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setArrowType(arrow);
  button->setToolTip(tip);
  button->setAccessibleName(tip);
  button->setAutoRepeat(true);
  button->setMinimumSize(40, 28);
  return button;
}

QGroupBox* stepGroup(QWidget* parent, const QString& title, QToolButton* back, QToolButton* forward) {
  auto* group = new QGroupBox(title, parent);
  auto* row = new QHBoxLayout(group);
  row->addWidget(back);
  row->addWidget(forward);
  return group;
}

}  // namespace

TKalenderDlg::TKalenderDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TKalenderDlg"));
  setWindowTitle(QStringLiteral("Kalender"));
  setWindowModality(Qt::WindowModal);
  const QLocale german(QLocale::German, QLocale::Germany);
  setLocale(german);

  monthCaption_ = new QLabel(this);
  monthCaption_->setObjectName(QStringLiteral("MonatJahr"));
  monthCaption_->setAlignment(Qt::AlignCenter);
  QFont captionFont = monthCaption_->font();
  captionFont.setBold(true);
  monthCaption_->setFont(captionFont);

  calendar_ = new QCalendarWidget(this);
  calendar_->setObjectName(QStringLiteral("Kalender"));
  calendar_->setLocale(german);
  calendar_->setFirstDayOfWeek(Qt::Monday);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  calendar_->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
  calendar_->setNavigationBarVisible(false);
  calendar_->setGridVisible(true);
  calendar_->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
  // Room for seven columns of "Mo." and seven rows; smaller, Qt elides the day names.
  const QFontMetrics metrics = calendar_->fontMetrics();
  calendar_->setMinimumSize(7 * (metrics.horizontalAdvance(QStringLiteral("Mo.")) + 18),
                            7 * (metrics.height() + 10));

  dateLine_ = new QLabel(this);
  dateLine_->setObjectName(QStringLiteral("DatumZeile"));

  auto* monthBack =
      arrowButton(this, QStringLiteral("MonatZurueck"), Qt::LeftArrow, QStringLiteral("Einen Monat zurück"));
  auto* monthForward =
      arrowButton(this, QStringLiteral("MonatVor"), Qt::RightArrow, QStringLiteral("Einen Monat vor"));
  auto* yearBack =
      arrowButton(this, QStringLiteral("JahrZurueck"), Qt::LeftArrow, QStringLiteral("Ein Jahr zurück"));
  auto* yearForward =
      arrowButton(this, QStringLiteral("JahrVor"), Qt::RightArrow, QStringLiteral("Ein Jahr vor"));
  QGroupBox* monthGroup = stepGroup(this, QStringLiteral("&Monat"), monthBack, monthForward);
  monthGroup->setObjectName(QStringLiteral("Monat"));
  QGroupBox* yearGroup = stepGroup(this, QStringLiteral("&Jahr"), yearBack, yearForward);
  yearGroup->setObjectName(QStringLiteral("Jahr"));

  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  ok->setObjectName(QStringLiteral("OK"));
  ok->setDefault(true);
  auto* abbruch = new QPushButton(QStringLiteral("&Abbruch"), this);
  abbruch->setObjectName(QStringLiteral("Abbruch"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  hilfe->setObjectName(QStringLiteral("Hilfe"));

  connect(monthBack, &QToolButton::clicked, this, [this] { stepMonth(-1); });
  connect(monthForward, &QToolButton::clicked, this, [this] { stepMonth(1); });
  connect(yearBack, &QToolButton::clicked, this, [this] { stepYear(-1); });
  connect(yearForward, &QToolButton::clicked, this, [this] { stepYear(1); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(abbruch, &QPushButton::clicked, this, &QDialog::reject);
  connect(hilfe, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpContext); });
  connect(calendar_, &QCalendarWidget::selectionChanged, this, &TKalenderDlg::selectionChanged);
  // The grid keeps Enter for itself and reports it (and a double click) as activated().
  connect(calendar_, &QCalendarWidget::activated, this, &QDialog::accept);
  connect(calendar_, &QCalendarWidget::currentPageChanged, this, &TKalenderDlg::showPage);

  auto* left = new QVBoxLayout;
  left->addWidget(monthCaption_);
  left->addWidget(calendar_, 1);
  left->addWidget(dateLine_);

  auto* right = new QVBoxLayout;
  right->addWidget(monthGroup);
  right->addWidget(yearGroup);
  right->addStretch();
  right->addWidget(ok);
  right->addWidget(abbruch);
  right->addWidget(hilfe);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addSpacing(6);
  layout->addLayout(right);

  setSelectedDate(QDate::currentDate());
  selectionChanged();  // today may have been selected already, without a signal
  showPage(calendar_->yearShown(), calendar_->monthShown());
  calendar_->setFocus();
}

std::optional<QDate> TKalenderDlg::pick(const QDate& initial) {
  setSelectedDate(initial.isValid() ? initial : QDate::currentDate());
  calendar_->setFocus();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return selectedDate();
}

QDate TKalenderDlg::selectedDate() const {
  return calendar_->selectedDate();
}

void TKalenderDlg::setSelectedDate(const QDate& date) {
  if (!date.isValid()) return;
  calendar_->setSelectedDate(date);
}

QString TKalenderDlg::dateLine() const {
  return dateLine_->text();
}

void TKalenderDlg::stepMonth(int months) {
  setSelectedDate(stepMonths(selectedDate(), months));
}

void TKalenderDlg::stepYear(int years) {
  setSelectedDate(stepYears(selectedDate(), years));
}

void TKalenderDlg::selectionChanged() {
  const QDate date = selectedDate();
  dateLine_->setText(calendarDateLine(date));
  calendar_->setCurrentPage(date.year(), date.month());
}

void TKalenderDlg::showPage(int year, int month) {
  monthCaption_->setText(locale().standaloneMonthName(month) + u' ' + QString::number(year));
}

}  // namespace lapiro::shell::ui
