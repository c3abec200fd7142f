#include "contacts/ui/address_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "contacts/address_book.h"
#include "contacts/ui/help_topic.h"
#include "reports/address_reports.h"
#include "reports/dataset_source.h"
#include "reports/ui/report_preview.h"
#include "shell/system_info.h"
#include "shell/ui/calendar_dialog.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"
#include "store/ui/field_edit.h"

namespace lapiro::contacts::ui {

namespace {
constexpr int kHilfeAdressen = 130;
constexpr int kSprungweite = 50;
const QString kName = QStringLiteral("Name");
const QString kVorname = QStringLiteral("Vorname");
}  // namespace

QString Tadressenverwaltung::defaultHomepage() {
  return QStringLiteral("https://www.lapiro-manager.de");
}

Tadressenverwaltung::Tadressenverwaltung(engine::Engine& engine, shell::tsysteminfo& settings,
                                         engine::Cursor* shared, QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      settings_(settings),
      shared_(shared),
      adressen_(engine, QStringLiteral("AdressenVerwaltung")),
      view_(engine, QStringLiteral("AdressenDoppelt")),
      rasse_(engine, QStringLiteral("AdressenRasse")),
      search_(std::make_unique<TSuchenAdrDlg>(engine, this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Adressenverwaltung"));

  // Categories first, then the tables.
  try {
    categories_ = categoryNames(engine_);
  } catch (const engine::EngineError&) {
    store::reportOpenFailure(QStringLiteral("StatusAdressen"));
  }
  configureAddressCursor(adressen_);
  adressen_.addCalculatedField(QStringLiteral("Anzeige"), engine::FieldType::Alpha, 50);
  adressen_.addLookupField(QStringLiteral("RasseAnzeige"), engine::FieldType::Alpha, 25,
                           QStringLiteral("Rasse"), QStringLiteral("Rasse.db"), QStringLiteral("Nummer"),
                           QStringLiteral("Name"));
  adressen_.events.onCalcFields = [](engine::DataSet& ds) {
    ds.field(QStringLiteral("Anzeige"))
        .setValue(ds.field(kName).asString() + QStringLiteral(", ") + ds.field(kVorname).asString());
  };
  openWithMembershipUpgrade(engine_, adressen_, shared_);
  configureAddressCursor(view_);
  view_.setReadOnly(true);
  rasse_.setTableName(QStringLiteral("Rasse.db"));
  rasse_.setReadOnly(true);
  if (adressen_.isOpen()) {
    store::openPlain(view_, QStringLiteral("Adresse"));
    if (store::openPlain(rasse_, QStringLiteral("Rasse"))) {
      try {
        rasse_.setIndexName(QStringLiteral("RasseName"));
      } catch (const engine::EngineError&) {
      }
    }
  }

  pages_ = new QTabWidget(this);
  auto* felder = new QWidget;
  buildFields(felder);
  pages_->addTab(felder, QStringLiteral("&Felder"));
  grid_ = new QTableView;
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  model_ = std::make_unique<engine::CursorModel>(adressen_.isOpen() ? &adressen_ : nullptr);
  std::vector<engine::CursorModel::Column> columns;
  for (const char16_t* f : {u"Name", u"Vorname", u"Straße", u"PLZ", u"Ort", u"Geburtstag", u"Telefon",
                            u"Telefax", u"Land", u"Status"})
    columns.push_back({QString::fromUtf16(f), QString::fromUtf16(f), 0});
  model_->setColumns(columns);
  grid_->setModel(model_.get());
  connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& i) { model_->moveTo(i.row()); });
  pages_->addTab(grid_, QStringLiteral("&Tabelle"));
  connect(pages_, &QTabWidget::currentChanged, this, [this] { hideRemark(); });

  // Commands.
  auto* commands = new QVBoxLayout;
  const auto button = [&](const QString& caption, auto handler) {
    auto* b = new QPushButton(caption, this);
    connect(b, &QPushButton::clicked, this, handler);
    commands->addWidget(b);
    return b;
  };
  button(QStringLiteral("H&inzufügen"), &Tadressenverwaltung::HinzufuegenClick);
  speichern_ = button(QStringLiteral("Speichern"), &Tadressenverwaltung::SpeichernClick);
  abbruch_ = button(QStringLiteral("R&ückgängig"), &Tadressenverwaltung::AbbruchClick);
  button(QStringLiteral("L&öschen"), &Tadressenverwaltung::LoeschenClick);
  button(QStringLiteral("&Bemerkung"), &Tadressenverwaltung::BemerkungClick);
  button(QStringLiteral("E-Mail schreiben"), &Tadressenverwaltung::EMailClick);
  auto* drucken = new QGroupBox(QStringLiteral("Drucken"), this);
  auto* druckenLayout = new QVBoxLayout(drucken);
  auto* liste = new QPushButton(QStringLiteral("Liste"), drucken);
  auto* satz = new QPushButton(QStringLiteral("Adresse"), drucken);
  connect(liste, &QPushButton::clicked, this, &Tadressenverwaltung::DruckenlisteClick);
  connect(satz, &QPushButton::clicked, this, &Tadressenverwaltung::DruckenSatzClick);
  druckenLayout->addWidget(liste);
  druckenLayout->addWidget(satz);
  commands->addWidget(drucken);
  commands->addStretch();
  // Navigator: first, previous, next, last, set mark, go to mark; in two rows of four, so
  // that the command column stays as narrow as the "Drucken" group.
  auto* nav = new QGridLayout;
  nav->setSpacing(2);
  int navButtons = 0;
  const auto navButton = [&](const QString& caption, const QString& hint, auto action) {
    auto* b = new QToolButton(this);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setText(caption);
    b->setToolTip(hint);
    connect(b, &QToolButton::clicked, this, [this, action] {
      if (!adressen_.isOpen()) return;
      hideRemark();
      try {
        action();
      } catch (const engine::Abort&) {
      } catch (const engine::EngineError& e) {
        store::dialogs().error(e.message());
      }
    });
    nav->addWidget(b, navButtons / 4, navButtons % 4);
    ++navButtons;
  };
  navButton(QStringLiteral("|◀"), QStringLiteral("Erster Datensatz"), [this] { adressen_.first(); });
  navButton(QStringLiteral("◀◀"), QStringLiteral("Zurück um 50"),
            [this] { adressen_.moveBy(-kSprungweite); });
  navButton(QStringLiteral("◀"), QStringLiteral("Vorheriger Datensatz"), [this] { adressen_.prior(); });
  navButton(QStringLiteral("▶"), QStringLiteral("Nächster Datensatz"), [this] { adressen_.next(); });
  navButton(QStringLiteral("▶▶"), QStringLiteral("Vor um 50"), [this] { adressen_.moveBy(kSprungweite); });
  navButton(QStringLiteral("▶|"), QStringLiteral("Letzter Datensatz"), [this] { adressen_.last(); });
  navButton(QStringLiteral("M"), QStringLiteral("Markierung setzen"),
            [this] { mark_ = adressen_.bookmark(); });
  navButton(QStringLiteral("→M"), QStringLiteral("Zur Markierung"), [this] {
    if (mark_.isValid()) adressen_.gotoBookmark(mark_);
  });
  commands->addLayout(nav);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  connect(hilfe, &QPushButton::clicked, this, [this] { showHelpTopic(this, kHilfeAdressen); });
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"), this);
  connect(zurueck, &QPushButton::clicked, this, &QWidget::close);
  commands->addWidget(hilfe);
  commands->addWidget(zurueck);

  tabSet_ = new QTabBar(this);
  tabSet_->setShape(QTabBar::RoundedSouth);
  for (const QString& t : fixedTabs()) tabSet_->addTab(t);
  for (const QString& c : categories_) tabSet_->addTab(c);
  connect(tabSet_, &QTabBar::tabBarClicked, this, &Tadressenverwaltung::TabSet1Click);

  auto* top = new QHBoxLayout;
  top->addWidget(pages_, 1);
  top->addLayout(commands);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top, 1);
  all->addWidget(tabSet_);

  if (adressen_.isOpen()) {
    listener_ = adressen_.addListener([this](engine::Notification n) {
      if (n == engine::Notification::Destroyed || n == engine::Notification::Closed) return;
      if (n == engine::Notification::StateChanged) updateButtons();
      if (!filling_ && n != engine::Notification::FieldChanged) fillFromRecord();
    });
    showAll();
  }
  updateButtons();
}

Tadressenverwaltung::~Tadressenverwaltung() {
  model_->setDataSet(nullptr);
  if (listener_) adressen_.removeListener(listener_);
  if (adressen_.isOpen() && adressen_.isEditing()) saveAddress(adressen_, true);
}

void Tadressenverwaltung::buildFields(QWidget* page) {
  // The fields and the remark panel take turns on the page. (A hidden panel spanning the
  // fields' grid would take the spacing out of the grid.)
  remarkStack_ = new QStackedLayout(page);
  auto* fields = new QWidget(page);
  remarkStack_->addWidget(fields);
  page = fields;
  auto* grid = new QGridLayout(page);
  int row = 0;
  // A line edit's own minimum follows the font's widest glyph; fourteen average characters
  // keep every box usable and let the window fit a small screen.
  const int editMinimum = page->fontMetrics().averageCharWidth() * 14;
  const auto edit = [&](const QString& caption, const QString& field, int maxLength, int column = 0) {
    auto* e = new QLineEdit(page);
    e->setMinimumWidth(editMinimum);
    if (maxLength > 0) e->setMaxLength(maxLength);
    auto* label = new QLabel(caption, page);
    label->setBuddy(e);
    grid->addWidget(label, row, column);
    grid->addWidget(e, row, column + 1);
    boxes_.insert(field, e);
    connect(e, &QLineEdit::textEdited, this, [this, field](const QString& t) { fieldEdited(field, t); });
    return e;
  };
  edit(QStringLiteral("&Name"), kName, 40)->installEventFilter(this);
  ++row;
  edit(QStringLiteral("&Vorname"), kVorname, 40)->installEventFilter(this);
  ++row;
  edit(QStringLiteral("&Straße "), QStringLiteral("Straße"), 50);
  ++row;
  edit(QStringLiteral("PLZ"), QStringLiteral("PLZ"), 8);
  edit(QStringLiteral("&Ort"), QStringLiteral("Ort"), 50, 2);
  ++row;
  edit(QStringLiteral("&Land"), QStringLiteral("Land"), 20);
  ++row;
  edit(QStringLiteral("&Telefon"), QStringLiteral("Telefon"), 20);
  edit(QStringLiteral("T&elefax"), QStringLiteral("Telefax"), 20, 2);
  ++row;
  edit(QStringLiteral("&Handy"), QStringLiteral("Handy"), 20);
  edit(QStringLiteral("&E-Mail"), QStringLiteral("EMail"), 40, 2);
  ++row;
  edit(QStringLiteral("Homepa&ge"), QStringLiteral("Homepage"), 60);
  homepage_ = new QLabel(page);
  homepage_->setTextFormat(Qt::RichText);
  connect(homepage_, &QLabel::linkActivated, this, [](const QString& link) {
    QString url = link;
    if (!url.contains(QStringLiteral("://"))) url.prepend(QStringLiteral("http://"));
    QDesktopServices::openUrl(QUrl(url));
  });
  // The link has a row of its own under the box, across the fields' columns; a very long
  // address must not widen the window: the link then shows what fits, the box holds it all.
  ++row;
  homepage_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  homepage_->setMinimumWidth(homepage_->fontMetrics().horizontalAdvance(defaultHomepage()) + 4);
  grid->addWidget(homepage_, row, 1, 1, 3);
  ++row;
  edit(QStringLiteral("Vereinskenn&zeichen"), QStringLiteral("Vereinskennzeichen"), 10);
  ++row;
  QLineEdit* geb = edit(QStringLiteral("&Geb.tag"), QStringLiteral("Geburtstag"), 10);
  geb->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  // The birthday is checked when the box is left; an impossible day is refused with a message.
  disconnect(geb, &QLineEdit::textEdited, this, nullptr);
  store::ui::FieldEdit::attach(geb, engine::FieldType::Date, 0, QStringLiteral("Geburtstag"),
                               [this](const QVariant& v) { return fieldEdited(QStringLiteral("Geburtstag"), v); });
  auto* kalender = new QToolButton(page);
  kalender->setText(QStringLiteral("…"));
  kalender->setToolTip(QStringLiteral("Kalender"));
  connect(kalender, &QToolButton::clicked, this, &Tadressenverwaltung::chooseBirthday);
  grid->addWidget(kalender, row, 2);
  ++row;
  rasseBox_ = new QComboBox(page);
  // As wide as the boxes above at least; the column grows with the window, the drop-down
  // list always shows the whole names.
  rasseBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  rasseBox_->setMinimumContentsLength(14);
  auto* rasseLabel = new QLabel(QStringLiteral("&Rasse"), page);
  rasseLabel->setBuddy(rasseBox_);
  rasseBox_->addItem(QString());
  breedNumbers_ = {0};
  if (rasse_.isOpen()) {
    for (rasse_.first(); !rasse_.eof(); rasse_.next()) {
      rasseBox_->addItem(rasse_.field(kName).asString());
      breedNumbers_.append(rasse_.field(QStringLiteral("Nummer")).asInteger());
    }
  }
  connect(rasseBox_, &QComboBox::activated, this, [this](int i) {
    fieldEdited(QStringLiteral("Rasse"), i > 0 ? QVariant(breedNumbers_.value(i)) : QVariant());
  });
  grid->addWidget(rasseLabel, row, 0);
  grid->addWidget(rasseBox_, row, 1);
  ++row;
  edit(QStringLiteral("HB -Nr."), QStringLiteral("HBNr"), 20);
  ++row;

  auto* status = new QGroupBox(QStringLiteral("St&atus"), page);
  auto* statusLayout = new QGridLayout(status);
  statusGroup_ = new QButtonGroup(this);
  for (int i = 0; i < categories_.size(); ++i) {
    auto* r = new QRadioButton(categories_[i], status);
    statusGroup_->addButton(r, i);
    // One column: up to ten categories stand beside the fields' rows without widening the page.
    statusLayout->addWidget(r, i, 0);
  }
  statusLayout->setRowStretch(static_cast<int>(categories_.size()), 1);
  connect(statusGroup_, &QButtonGroup::idClicked, this,
          [this](int id) { fieldEdited(QStringLiteral("Status"), storedCategory(categories_.value(id))); });
  grid->addWidget(status, 0, 4, row, 1);
  grid->setRowStretch(row, 1);

  // The remark panel fills the whole page while it is shown.
  remarkPanel_ = new QWidget(page);
  auto* remarkLayout = new QVBoxLayout(remarkPanel_);
  remarkLayout->addWidget(new QLabel(QStringLiteral("Bemerkung"), remarkPanel_));
  remark_ = new QPlainTextEdit(remarkPanel_);
  connect(remark_, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) fieldEdited(QStringLiteral("Bemerkung"), remark_->toPlainText());
  });
  remarkLayout->addWidget(remark_, 1);
  auto* ende = new QPushButton(QStringLiteral("&Ende"), remarkPanel_);
  connect(ende, &QPushButton::clicked, this, &Tadressenverwaltung::hideRemark);
  remarkLayout->addWidget(ende, 0, Qt::AlignRight);
  remarkStack_->addWidget(remarkPanel_);
}

void Tadressenverwaltung::fillFromRecord() {
  if (!adressen_.isOpen()) return;
  filling_ = true;
  const bool has = adressen_.hasRecord() || adressen_.isEditing();
  for (auto it = boxes_.cbegin(); it != boxes_.cend(); ++it)
    it.value()->setText(has ? adressen_.field(it.key()).asString() : QString());
  const qint64 rasse = has ? adressen_.field(QStringLiteral("Rasse")).asInteger() : 0;
  rasseBox_->setCurrentIndex(std::max<qsizetype>(0, breedNumbers_.indexOf(rasse)));
  const QString status = has ? adressen_.field(QStringLiteral("Status")).asString() : QString();
  statusGroup_->setExclusive(false);
  for (QAbstractButton* b : statusGroup_->buttons())
    b->setChecked(storedCategory(categories_.value(statusGroup_->id(b))) == status && !status.isEmpty());
  statusGroup_->setExclusive(true);
  remark_->setPlainText(has ? adressen_.field(QStringLiteral("Bemerkung")).asString() : QString());
  const QString homepage = has ? adressen_.field(QStringLiteral("Homepage")).asString() : QString();
  const QString shown = homepage.isEmpty() ? defaultHomepage() : homepage;
  homepage_->setText(
      QStringLiteral("<a href=\"%1\">%2</a>").arg(shown.toHtmlEscaped(), shown.toHtmlEscaped()));
  homepage_->setToolTip(shown);
  filling_ = false;
}

void Tadressenverwaltung::updateButtons() {
  const bool editing = adressen_.isOpen() && adressen_.isEditing();
  speichern_->setEnabled(editing);
  abbruch_->setEnabled(editing);
}

bool Tadressenverwaltung::fieldEdited(const QString& field, const QVariant& value) {
  if (filling_ || !adressen_.isOpen()) return true;
  bool written = false;
  filling_ = true;
  try {
    if (!adressen_.isEditing()) {
      if (!adressen_.hasRecord())
        adressen_.append();
      else
        adressen_.edit();
    }
    adressen_.field(field).setValue(value);
    written = true;
  } catch (const engine::Abort&) {
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  filling_ = false;
  updateButtons();
  return written;
}

void Tadressenverwaltung::chooseBirthday() {
  if (!adressen_.isOpen()) return;
  shell::ui::TKalenderDlg dialog(this);
  connect(&dialog, &shell::ui::TKalenderDlg::helpRequested, this,
          [this](int context) { showHelpTopic(this, context); });
  const std::optional<QDate> chosen = dialog.pick(adressen_.field(QStringLiteral("Geburtstag")).asDate());
  if (!chosen) return;
  fieldEdited(QStringLiteral("Geburtstag"), *chosen);
  fillFromRecord();
}

bool Tadressenverwaltung::gotoAddress(qint64 laufendeNr) {
  if (!adressen_.isOpen()) return false;
  adressen_.checkBrowseMode();
  adressen_.setIndexName(QStringLiteral("AdrName"));
  adressen_.cancelRange();
  tabSet_->setCurrentIndex(kTabAZ);
  return adressen_.locate(QStringLiteral("LaufendeNr"), {laufendeNr});
}

void Tadressenverwaltung::showAll() {
  if (!adressen_.isOpen()) return;
  tabSet_->setCurrentIndex(kTabAZ);
  applyLetterTab(adressen_, kTabAZ);
  fillFromRecord();
}

void Tadressenverwaltung::HinzufuegenClick() {
  if (!store::ui::FieldEdit::finishAll(this)) return;
  if (!adressen_.isOpen()) return;
  if (adressen_.isEditing() && !saveAddress(adressen_, settings_.System.Speichern) && adressen_.isEditing())
    return;
  adressen_.append();
  fillFromRecord();
  updateButtons();
  if (pages_->currentIndex() == 0)
    boxes_.value(kName)->setFocus();
  else
    grid_->setFocus();
}

void Tadressenverwaltung::SpeichernClick() {
  if (!store::ui::FieldEdit::finishAll(this)) return;
  if (adressen_.isOpen() && adressen_.isEditing()) saveAddress(adressen_, settings_.System.Speichern);
  fillFromRecord();
  updateButtons();
}

void Tadressenverwaltung::AbbruchClick() {
  for (QLineEdit* e : boxes_) e->setModified(false);
  if (adressen_.isOpen() && adressen_.isEditing()) adressen_.cancel();
  fillFromRecord();
  updateButtons();
}

void Tadressenverwaltung::LoeschenClick() {
  if (!adressen_.isOpen()) return;
  try {
    deleteCurrent(adressen_);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  fillFromRecord();
  updateButtons();
}

void Tadressenverwaltung::BemerkungClick() {
  pages_->setCurrentIndex(0);
  remarkStack_->setCurrentWidget(remarkPanel_);
  remark_->setFocus();
}

void Tadressenverwaltung::hideRemark() {
  if (remarkStack_) remarkStack_->setCurrentIndex(0);
}

void Tadressenverwaltung::EMailClick() {
  const QString address = boxes_.value(QStringLiteral("EMail"))->text().trimmed();
  QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + address));
}

void Tadressenverwaltung::DruckenlisteClick() {
  if (!adressen_.isOpen()) return;
  adressen_.checkBrowseMode();
  const reports::DataSetSource data(adressen_);
  reports::showReportPreview(this, reports::TReportAdressliste(), data);
}

void Tadressenverwaltung::DruckenSatzClick() {
  if (!adressen_.isOpen() || !adressen_.hasRecord()) return;
  adressen_.checkBrowseMode();
  // The sheet shows the current address only: a one-row view of it.
  engine::Cursor one(engine_, QStringLiteral("AdresseDruck"));
  configureAddressCursor(one);
  one.addLookupField(QStringLiteral("RasseAnzeige"), engine::FieldType::Alpha, 25, QStringLiteral("Rasse"),
                     QStringLiteral("Rasse.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  one.setIndexName(QString());
  try {
    one.open();
    const qint64 nr = adressen_.field(QStringLiteral("LaufendeNr")).asInteger();
    one.setRange({nr}, {nr});
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  const reports::DataSetSource data(one);
  reports::showReportPreview(this, reports::TReportAdresse(), data);
}

void Tadressenverwaltung::TabSet1Click(int tab) {
  if (!adressen_.isOpen() || tab < 0) return;
  hideRemark();
  try {
    adressen_.checkBrowseMode();
    if (tab == kTabSuche) {
      search_->nameBox()->setFocus();
      const bool chosen = search_->exec() == QDialog::Accepted;
      // OK or not, the list then shows every address ("A-Z"), standing on the chosen one.
      tabSet_->setCurrentIndex(kTabAZ);
      applyLetterTab(adressen_, kTabAZ);
      if (chosen) gotoAddress(search_->chosenNumber());
    } else if (tab == kTabNeu) {
      tabSet_->setCurrentIndex(kTabAZ);
      applyLetterTab(adressen_, kTabAZ);
      adressen_.append();
    } else if (tab <= kTabAZ) {
      tabSet_->setCurrentIndex(tab);
      applyLetterTab(adressen_, tab);
    } else {
      tabSet_->setCurrentIndex(tab);
      applyCategoryTab(adressen_, categories_.value(tab - fixedTabs().size()));
    }
  } catch (const engine::Abort&) {
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  fillFromRecord();
  updateButtons();
}

void Tadressenverwaltung::NameExit() {
  if (!adressen_.isOpen() || !view_.isOpen()) return;
  const bool cancelled = duplicateNameCheck(adressen_, view_, settings_.Adressen.SuchebeiNeuaufnahme, [this] {
    TFormAdressegefunden dialog(this);
    return dialog.exec() == QDialog::Accepted;
  });
  if (cancelled) {
    fillFromRecord();
    updateButtons();
  }
}

bool Tadressenverwaltung::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut &&
      (watched == boxes_.value(kName) || watched == boxes_.value(kVorname))) {
    // Only a move to another control counts: the focus also leaves while "Name gefunden"
    // itself or another window comes up.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !checkingName_) {
      checkingName_ = true;
      NameExit();
      checkingName_ = false;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Tadressenverwaltung::closeEvent(QCloseEvent* event) {
  if (!store::ui::FieldEdit::finishAll(this)) {
    event->ignore();
    return;
  }
  if (adressen_.isOpen() && adressen_.isEditing() && !saveAddress(adressen_, settings_.System.Speichern) &&
      adressen_.isEditing()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace lapiro::contacts::ui
