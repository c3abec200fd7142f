#include "breeding/ui/wool_tab.h"

#include "breeding/wool_certificate.h"
#include "breeding/wool_performance.h"
#include "card/ui/animal_card.h"
#include "core/number_input.h"
#include "engine/cursor.h"
#include "reports/data_source.h"
#include "reports/ui/report_preview.h"
#include "shell/system_info.h"
#include "shows/show_input.h"
#include "store/navigator.h"
#include "store/animal_rules.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace lapiro::breeding::ui {

using engine::Notification;

namespace {

constexpr int kSideBySideWidth = 880;

void setTextQuietly(QLineEdit* edit, const QString& text) {
  if (edit->text() == text) return;
  const QSignalBlocker block(edit);
  edit->setText(text);
  edit->setCursorPosition(0);
  edit->setModified(false);
}

// German decimal comma without thousands separators, so that the text reads back as the value.
QString numberText(double v, int decimals) {
  QLocale german(QLocale::German);
  german.setNumberOptions(QLocale::OmitGroupSeparator);
  return german.toString(v, 'f', decimals);
}

}  // namespace

QLineEdit* TabAngora::addBox(const QString& field, const QString& caption, Kind kind, int index) {
  auto* e = new QLineEdit(this);
  e->setObjectName(QStringLiteral("DBEdit") + field);
  e->installEventFilter(this);
  switch (kind) {
    case Kind::Text:
      e->setMaxLength(field == u"LLB" ? 7 : 50);
      break;
    case Kind::Date:
      e->setMaxLength(10);
      e->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
      e->setMaximumWidth(96);
      break;
    case Kind::Calculated:
      e->setReadOnly(true);
      e->setFocusPolicy(Qt::NoFocus);
      e->setStyleSheet(QStringLiteral("QLineEdit { background: palette(window); }"));
      [[fallthrough]];
    default:
      e->setAlignment(Qt::AlignRight);
      e->setMaximumWidth(72);
      e->setMaxLength(12);
      break;
  }
  boxes_.push_back({field, caption, kind, index, e});
  if (kind != Kind::Calculated) {
    const size_t i = boxes_.size() - 1;
    connect(e, &QLineEdit::editingFinished, this, [this, i] { writeBox(boxes_[i]); });
  }
  return e;
}

TabAngora::TabAngora(store::TDatenStamm& dm, const shell::tsysteminfo& settings, Services services, QWidget* parent)
    : QWidget(parent), dm_(dm), settings_(settings), services_(std::move(services)) {
  setObjectName(QStringLiteral("TabSheetAngora"));
  boxes_.reserve(48);
  auto label = [this](const QString& text, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, this);
    if (buddy) l->setBuddy(buddy);
    return l;
  };
  // A date box with the calendar button beside it.
  auto dateRow = [this](QLineEdit* edit) {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(edit);
    auto* pick = new QToolButton(this);
    pick->setText(QStringLiteral("…"));
    pick->setToolTip(QStringLiteral("Kalender"));
    pick->setFocusPolicy(Qt::NoFocus);
    connect(pick, &QToolButton::clicked, this, [this, edit] {
      if (!services_.pickDate || !hasRow()) return;
      const std::optional<QDate> d = services_.pickDate(QDate::fromString(edit->text(), QStringLiteral("dd.MM.yyyy")));
      if (!d) return;
      edit->setText(d->toString(QStringLiteral("dd.MM.yyyy")));
      edit->setModified(true);
      for (Box& b : boxes_)
        if (b.edit == edit) writeBox(b);
    });
    row->addWidget(pick);
    row->addStretch(1);
    return row;
  };

  // Test: station, period, place, verdict.
  auto* test = new QGroupBox(QStringLiteral("Prüfung"), this);
  auto* tg = new QGridLayout(test);
  QLineEdit* pruef = addBox(QStringLiteral("Pruefstelle"), QStringLiteral("Prüfstelle"), Kind::Text);
  QLineEdit* vom = addBox(QStringLiteral("Vom"), QStringLiteral("vom"), Kind::Date);
  QLineEdit* bis = addBox(QStringLiteral("Bis"), QStringLiteral("bis"), Kind::Date);
  QLineEdit* ort = addBox(QStringLiteral("Ort"), QStringLiteral("Ort"), Kind::Text);
  QLineEdit* am = addBox(QStringLiteral("UrteilAm"), QStringLiteral("am"), Kind::Date);
  QLineEdit* von = addBox(QStringLiteral("UrteilVon"), QStringLiteral("von"), Kind::Text);
  QLineEdit* llb = addBox(QStringLiteral("LLB"), QStringLiteral("LLB-Nr."), Kind::Text);
  llb->setMaximumWidth(90);
  // Four columns (caption, box, caption, box), so that the group fits a narrow card.
  tg->addWidget(label(QStringLiteral("Prüfstelle"), pruef), 0, 0);
  tg->addWidget(pruef, 0, 1, 1, 3);
  tg->addWidget(label(QStringLiteral("Ort"), ort), 1, 0);
  tg->addWidget(ort, 1, 1);
  tg->addWidget(label(QStringLiteral("LLB-Nr."), llb), 1, 2);
  tg->addWidget(llb, 1, 3);
  tg->addWidget(label(QStringLiteral("vom"), vom), 2, 0);
  tg->addLayout(dateRow(vom), 2, 1);
  tg->addWidget(label(QStringLiteral("bis"), bis), 2, 2);
  tg->addLayout(dateRow(bis), 2, 3);
  tg->addWidget(label(QStringLiteral("am"), am), 3, 0);
  tg->addLayout(dateRow(am), 3, 1);
  tg->addWidget(label(QStringLiteral("von"), von), 3, 2);
  tg->addWidget(von, 3, 3);
  tg->setColumnStretch(1, 1);
  tg->setColumnStretch(3, 1);

  // The judge's seven positions and total.
  auto* judge = new QGroupBox(QStringLiteral("Preisrichterurteil"), this);
  auto* jg = new QGridLayout(judge);
  for (int i = 0; i < 7; ++i) {
    const WoolPosition& p = woolPositions()[static_cast<size_t>(i)];
    QLineEdit* e = addBox(QString::fromUtf16(p.field), QString::fromUtf16(p.caption), Kind::Position, i);
    jg->addWidget(label(QString::fromUtf16(p.caption), e), i, 0);
    jg->addWidget(label(QStringLiteral("(%1)").arg(p.maximum)), i, 1);
    jg->addWidget(e, i, 2);
  }
  QLineEdit* bewertung = addBox(QStringLiteral("Bewertung"), QStringLiteral("Bewertungspunkte"), Kind::Points);
  jg->addWidget(label(QStringLiteral("Bewertungspunkte"), bewertung), 7, 0, 1, 2);
  jg->addWidget(bewertung, 7, 2);
  jg->setColumnStretch(3, 1);

  // Shearing results and the figures per grade.
  auto* grades = new QGroupBox(QStringLiteral("Sorten in Gramm"), this);
  auto* gg = new QGridLayout(grades);
  intervall_ = new QComboBox(this);
  intervall_->setObjectName(QStringLiteral("DBComboBoxSchurintervall"));
  intervall_->addItem(QStringLiteral("91 Tage"), QStringLiteral("91"));
  intervall_->addItem(QStringLiteral("84 Tage"), QStringLiteral("84"));
  intervall_->installEventFilter(this);
  connect(intervall_, &QComboBox::activated, this, [this](int) { writeInterval(); });
  gg->addWidget(label(QStringLiteral("Schurintervall"), intervall_), 0, 0);
  gg->addWidget(intervall_, 0, 1, 1, 2);
  const QString heads[4] = {QStringLiteral("I."), QStringLiteral("II."), QStringLiteral("Filz"), QStringLiteral("Insgesamt")};
  for (int i = 0; i < 4; ++i) gg->addWidget(label(heads[i]), 1, i + 1, Qt::AlignHCenter);
  gg->addWidget(label(QStringLiteral("Schur-Ergebnis")), 2, 0);
  gg->addWidget(addBox(QStringLiteral("Schurergebnis1"), QStringLiteral("Schur-Ergebnis I."), Kind::Weight), 2, 1);
  gg->addWidget(addBox(QStringLiteral("Schurergebnis2"), QStringLiteral("Schur-Ergebnis II."), Kind::Weight), 2, 2);
  gg->addWidget(addBox(QStringLiteral("Filz"), QStringLiteral("Schur-Ergebnis Filz"), Kind::Weight), 2, 3);
  gg->addWidget(addBox(QStringLiteral("SchurergebnisInsgesamt"), {}, Kind::Calculated), 2, 4);
  gg->addWidget(label(QStringLiteral("JWE")), 3, 0);
  gg->addWidget(addBox(QStringLiteral("JWE1"), {}, Kind::Calculated), 3, 1);
  gg->addWidget(addBox(QStringLiteral("JWE2"), {}, Kind::Calculated), 3, 2);
  gg->addWidget(addBox(QStringLiteral("JWEFilz"), {}, Kind::Calculated), 3, 3);
  gg->addWidget(addBox(QStringLiteral("JWEInsgesamt"), QStringLiteral("JWE insgesamt"), Kind::Integer), 3, 4);
  gg->addWidget(label(QStringLiteral("WRZ")), 4, 0);
  gg->addWidget(addBox(QStringLiteral("WRZ1"), {}, Kind::Calculated), 4, 1);
  gg->addWidget(addBox(QStringLiteral("WRZ2"), {}, Kind::Calculated), 4, 2);
  gg->addWidget(addBox(QStringLiteral("WRZFilz"), {}, Kind::Calculated), 4, 3);
  gg->addWidget(addBox(QStringLiteral("WRZInsgesamt"), QStringLiteral("WRZ insgesamt"), Kind::Integer), 4, 4);
  gg->addWidget(label(QStringLiteral("LP")), 5, 3, Qt::AlignRight);
  gg->addWidget(addBox(QStringLiteral("Punkte"), {}, Kind::Calculated), 5, 4);
  QLineEdit* gewicht = addBox(QStringLiteral("GewichtHase"), QStringLiteral("Gewicht"), Kind::Grams);
  gg->addWidget(label(QStringLiteral("Gewicht"), gewicht), 6, 0);
  gg->addWidget(gewicht, 6, 1);
  gg->addWidget(label(QStringLiteral("g")), 6, 2);

  // Ancestors' averages.
  auto* ancestors = new QGroupBox(QStringLiteral("Abstammung"), this);
  auto* ag = new QGridLayout(ancestors);
  ag->addWidget(label(QStringLiteral("JWE")), 0, 1, Qt::AlignHCenter);
  ag->addWidget(label(QStringLiteral("WRZ")), 0, 2, Qt::AlignHCenter);
  ag->addWidget(label(QStringLiteral("LP")), 0, 3, Qt::AlignHCenter);
  ag->addWidget(label(QStringLiteral("Elternleistung im Durchschnitt")), 1, 0);
  ag->addWidget(addBox(QStringLiteral("ElternJWE"), QStringLiteral("Elternleistung JWE"), Kind::Integer), 1, 1);
  ag->addWidget(addBox(QStringLiteral("ElternWRZ"), QStringLiteral("Elternleistung WRZ"), Kind::Integer), 1, 2);
  ag->addWidget(addBox(QStringLiteral("PunkteEltern"), {}, Kind::Calculated), 1, 3);
  ag->addWidget(label(QStringLiteral("Großelternleistung im Durchschnitt")), 2, 0);
  ag->addWidget(addBox(QStringLiteral("GrosselternJWE"), QStringLiteral("Großelternleistung JWE"), Kind::Integer), 2, 1);
  ag->addWidget(addBox(QStringLiteral("GrosselternWRZ"), QStringLiteral("Großelternleistung WRZ"), Kind::Integer), 2, 2);
  ag->addWidget(addBox(QStringLiteral("PunkteGrosseltern"), {}, Kind::Calculated), 2, 3);

  // Result.
  auto* result = new QGroupBox(QStringLiteral("Ergebnis"), this);
  auto* rg = new QGridLayout(result);
  rg->addWidget(label(QStringLiteral("Leistungspunkte")), 0, 0);
  rg->addWidget(addBox(QStringLiteral("Leistungspunkte"), {}, Kind::Calculated), 0, 1);
  rg->addWidget(label(QStringLiteral("Preisrichterurteil")), 1, 0);
  QLineEdit* urteil = addBox(QStringLiteral("Bewertung"), {}, Kind::Calculated);
  urteil->setObjectName(QStringLiteral("DBEditPreisrichterurteil"));
  rg->addWidget(urteil, 1, 1);
  rg->addWidget(label(QStringLiteral("Gesamt-Punkte")), 2, 0);
  rg->addWidget(addBox(QStringLiteral("GesamtPunkte"), {}, Kind::Calculated), 2, 1);
  rg->addWidget(label(QStringLiteral("Gesamt-Note")), 3, 0);
  QLineEdit* note = addBox(QStringLiteral("GesamtNote"), {}, Kind::Calculated);
  note->setMaximumWidth(120);
  note->setAlignment(Qt::AlignLeft);
  rg->addWidget(note, 3, 1);

  bemerkung_ = new QPlainTextEdit(this);
  bemerkung_->setObjectName(QStringLiteral("DBMemoBemerkung"));
  bemerkung_->setTabChangesFocus(true);
  bemerkung_->setMaximumHeight(56);
  bemerkung_->installEventFilter(this);
  connect(bemerkung_, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) bemerkungModified_ = true;
  });

  // Commands.
  auto button = [this](const QString& caption, const QString& hint, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
  };
  neu_ = button(QStringLiteral("Neu"), QStringLiteral("Neuer Datensatz"), QStringLiteral("BitBtnNeu"));
  speichern_ = button(QStringLiteral("Speichern"), QStringLiteral("speichern"), QStringLiteral("BitBtnSpeichern"));
  rueckgaengig_ = button(QStringLiteral("R&ückgängig"), QStringLiteral("Eingabe rückgängig machen"),
                         QStringLiteral("BitBtnRueckgaengig"));
  hilfe_ = button(QStringLiteral("&Hilfe"), {}, QStringLiteral("BitBtnHilfe"));
  drucken_ = button(QStringLiteral("Drucken"), {}, QStringLiteral("BitBtnDrucken"));
  connect(neu_, &QPushButton::clicked, this, &TabAngora::NeuClick);
  connect(speichern_, &QPushButton::clicked, this, &TabAngora::SpeichernClick);
  connect(rueckgaengig_, &QPushButton::clicked, this, &TabAngora::RueckgaengigClick);
  connect(drucken_, &QPushButton::clicked, this, &TabAngora::DruckenClick);
  connect(hilfe_, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHilfeAngora);
  });
  auto* commands = new QHBoxLayout;
  const std::pair<QStyle::StandardPixmap, const char16_t*> navIcons[6] = {
      {QStyle::SP_MediaSkipBackward, u"Erster Datensatz"}, {QStyle::SP_MediaSeekBackward, u"Vorheriger Datensatz"},
      {QStyle::SP_MediaSeekForward, u"Nächster Datensatz"}, {QStyle::SP_MediaSkipForward, u"Letzter Datensatz"},
      {QStyle::SP_DialogApplyButton, u"Markierung setzen"}, {QStyle::SP_ArrowRight, u"Zur Markierung"}};
  for (int i = 0; i < 6; ++i) {
    auto* b = new QToolButton(this);
    b->setIcon(style()->standardIcon(navIcons[i].first));
    b->setToolTip(QString::fromUtf16(navIcons[i].second));
    b->setObjectName(QStringLiteral("NavAngora%1").arg(i));
    connect(b, &QToolButton::clicked, this, [this, i] { navigate(i); });
    nav_[i] = b;
    commands->addWidget(b);
  }
  commands->addStretch(1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {neu_, speichern_, rueckgaengig_, drucken_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(hilfe_);

  // Layout: test on top; verdict on the left, grades, ancestors and result on the right.
  auto* middle = new QBoxLayout(QBoxLayout::LeftToRight);
  middle_ = middle;
  auto* left = new QVBoxLayout;
  left->addWidget(judge);
  left->addWidget(result);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(grades);
  right->addWidget(ancestors);
  right->addStretch(1);
  middle->addLayout(left);
  middle->addLayout(right, 1);
  auto* memoRow = new QHBoxLayout;
  memoRow->addWidget(label(QStringLiteral("Bewertungsbemerkung"), bemerkung_), 0, Qt::AlignTop);
  memoRow->addWidget(bemerkung_, 1);

  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(test);
  layout->addLayout(middle);
  layout->addLayout(memoRow);
  layout->addLayout(commands);
  layout->addLayout(buttons);
  layout->addStretch(1);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);

  if (engine::Cursor* c = dm_.cursor(woolCursorName())) {
    listener_ = c->addListener([this](Notification n) {
      switch (n) {
        case Notification::Destroyed:
          listener_ = -1;
          break;
        case Notification::Scrolled:
        case Notification::Reset:
        case Notification::DataChanged:
        case Notification::StateChanged:
        case Notification::FieldChanged:
        case Notification::Opened:
        case Notification::Closed:
          if (!loading_ && !writing_) loadFields();
          break;
        default:
          break;
      }
    });
  }
  loadFields();
}

TabAngora::~TabAngora() {
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  if (listener_ >= 0)
    if (engine::Cursor* c = dm_.cursor(woolCursorName())) c->removeListener(listener_);
}

QLineEdit* TabAngora::box(const QString& field) const {
  for (const Box& b : boxes_)
    if (b.field.compare(field, Qt::CaseInsensitive) == 0 && b.edit->objectName() != u"DBEditPreisrichterurteil")
      return b.edit;
  return nullptr;
}

bool TabAngora::hasRow() const {
  engine::Cursor* c = dm_.cursor(woolCursorName());
  return c && c->isOpen() && (c->hasRecord() || c->isEditing());
}

// ------------------------------------------------------------------ reading

void TabAngora::loadFields() {
  loading_ = true;
  engine::Cursor* c = dm_.cursor(woolCursorName());
  const bool row = hasRow();
  for (Box& b : boxes_) {
    QString t;
    // A data module without the wool rules lacks the calculated fields: those boxes stay empty.
    const std::optional<engine::Field> found = row ? c->findField(b.field) : std::nullopt;
    if (found) {
      const engine::Field& f = *found;
      if (!f.isNull()) {
        switch (b.kind) {
          case Kind::Date: t = f.asDate().toString(QStringLiteral("dd.MM.yyyy")); break;
          case Kind::Position:
          case Kind::Points: t = numberText(f.asFloat(), 1); break;
          case Kind::Grams: t = numberText(f.asFloat(), 0); break;
          case Kind::Calculated:
            t = f.type() == engine::FieldType::Number ? numberText(f.asFloat(), 1) : f.asString();
            break;
          default: t = f.asString(); break;
        }
      }
    }
    // While another box is written, text typed into this one and not yet written stays.
    if (!(keepTyped_ && b.edit->isModified())) setTextQuietly(b.edit, t);
    b.edit->setEnabled(row);
  }
  {
    const QSignalBlocker block(intervall_);
    const QString iv = row ? c->field(QStringLiteral("Schurintervall")).asString().trimmed() : QString();
    intervall_->setCurrentIndex(intervall_->findData(iv));
    intervall_->setEnabled(row);
  }
  const QString memo = row ? c->field(QStringLiteral("Bemerkung")).asString() : QString();
  if (bemerkung_->toPlainText() != memo) bemerkung_->setPlainText(memo);
  bemerkung_->setEnabled(row);
  bemerkungModified_ = false;
  loading_ = false;
  updateButtons();
}

void TabAngora::updateButtons() {
  engine::Cursor* c = dm_.cursor(woolCursorName());
  const bool open = c && c->isOpen();
  const bool editing = open && c->isEditing();
  engine::Cursor& h = dm_.Hasen();
  const bool animal = h.isOpen() && h.hasRecord() && h.state() != engine::DataSetState::Insert;
  speichern_->setEnabled(editing);
  rueckgaengig_->setEnabled(editing);
  neu_->setEnabled(!editing && animal);
  drucken_->setEnabled(animal);
  for (QToolButton* b : nav_) b->setEnabled(open && c->hasRecord());
}

// ------------------------------------------------------------------ writing

bool TabAngora::beginEdit() {
  engine::Cursor& c = dm_.at(woolCursorName());
  if (c.isEditing()) return true;
  return store::guarded([&] { c.edit(); });
}

bool TabAngora::writeBox(Box& b) {
  if (loading_ || !b.edit->isModified() || !hasRow()) return true;
  const QString t = b.edit->text().trimmed();
  QVariant v;
  bool ok = true;
  QString refusal;
  switch (b.kind) {
    case Kind::Text:
      v = t.isEmpty() ? QVariant() : QVariant(b.edit->text());
      break;
    case Kind::Date: {
      const shows::TypedDate d = shows::readTypedDate(t, b.caption);
      ok = d.accepted();
      refusal = d.refusal;
      if (ok && !d.empty) v = d.date;
      break;
    }
    case Kind::Weight:
    case Kind::Integer: {
      const std::optional<qint64> w = parseWoolWeight(t, &ok);
      if (!ok) refusal = woolWeightRefusal(b.caption, t);
      if (w) v = *w;
      if (ok && b.kind == Kind::Integer && w && !core::readTypedNumber(t).number->isWhole()) {
        // Totals and averages are whole numbers.
        ok = false;
        refusal = QStringLiteral("»%1« ist für „%2“ nicht zulässig: erlaubt sind ganze Zahlen ab 0.").arg(t, b.caption);
      }
      break;
    }
    case Kind::Grams: {
      const std::optional<qint64> w = parseWoolWeight(t, &ok);
      if (!ok)
        refusal = core::refusalMessage(core::readTypedNumber(t), QStringLiteral("»%1« ist kein gültiges Gewicht in Gramm.").arg(t));
      if (w) v = static_cast<double>(*w);
      break;
    }
    case Kind::Position: {
      const std::optional<double> p = parsePositionPoints(b.index, t, &ok);
      if (!ok) refusal = positionRefusal(b.index, t);
      if (p) v = *p;
      break;
    }
    case Kind::Points: {
      const core::NumberReading r = core::readTypedNumber(t);
      const bool valid =
          r.isNumber() && !r.number->negative && r.number->fraction.size() <= 2 && r.number->whole.size() <= 3;
      const core::Points d = valid ? core::Points::fromHundredths(*r.number->scaled(2)) : core::Points();
      ok = t.isEmpty() || (valid && d <= core::Points::whole(100));
      if (!ok)
        refusal = core::refusalMessage(
            r, QStringLiteral("»%1« ist für „Bewertungspunkte“ nicht zulässig: erlaubt sind 0 bis 100 Punkte.").arg(t));
      if (ok && valid) v = d.toDouble();
      break;
    }
    case Kind::Calculated:
      return true;
  }
  if (!ok) {
    store::dialogs().error(refusal);
    b.edit->setFocus(Qt::OtherFocusReason);
    b.edit->selectAll();
    return false;
  }
  engine::Cursor& c = dm_.at(woolCursorName());
  writing_ = true;
  const bool done = beginEdit() && store::guarded([&] {
    if (v.isValid())
      c.field(b.field).setValue(v);
    else
      c.field(b.field).clear();
  });
  writing_ = false;
  b.edit->setModified(false);
  keepTyped_ = true;
  loadFields();
  keepTyped_ = false;
  return done;
}

bool TabAngora::writeInterval() {
  if (loading_ || !hasRow()) return true;
  engine::Cursor& c = dm_.at(woolCursorName());
  const QString iv = intervall_->currentData().toString();
  if (c.field(QStringLiteral("Schurintervall")).asString().trimmed() == iv) return true;
  writing_ = true;
  const bool ok = beginEdit() && store::guarded([&] { c.field(QStringLiteral("Schurintervall")).setString(iv); });
  writing_ = false;
  loadFields();
  return ok;
}

bool TabAngora::writeMemo() {
  if (!bemerkungModified_ || !hasRow()) return true;
  bemerkungModified_ = false;
  engine::Cursor& c = dm_.at(woolCursorName());
  const QString memo = bemerkung_->toPlainText();
  if (c.field(QStringLiteral("Bemerkung")).asString() == memo) return true;
  writing_ = true;
  const bool ok = beginEdit() && store::guarded([&] { c.field(QStringLiteral("Bemerkung")).setString(memo); });
  writing_ = false;
  loadFields();
  return ok;
}

bool TabAngora::finishFieldEntry() {
  if (!hasRow()) return true;
  for (Box& b : boxes_)
    if (!writeBox(b)) return false;
  return writeMemo();
}

// ------------------------------------------------------------------ commands

void TabAngora::NeuClick() {
  if (!finishFieldEntry()) return;
  if (appendWoolTest(dm_)) {
    loadFields();
    box(QStringLiteral("Pruefstelle"))->setFocus(Qt::OtherFocusReason);
  }
}

void TabAngora::SpeichernClick() {
  if (!finishFieldEntry()) return;
  engine::Cursor& c = dm_.at(woolCursorName());
  if (!c.isOpen() || !c.isEditing()) return;
  store::guarded([&] { c.post(); });
  loadFields();
}

void TabAngora::RueckgaengigClick() {
  engine::Cursor& c = dm_.at(woolCursorName());
  if (c.isOpen() && c.isEditing()) store::guarded([&] { c.cancel(); });
  loadFields();
}

void TabAngora::DruckenClick() {
  if (services_.print)
    services_.print();
  else
    printCurrentWoolTest(this, *this, dm_, settings_);
}

void TabAngora::navigate(int move) {
  if (!finishFieldEntry()) return;
  engine::Cursor& c = dm_.at(woolCursorName());
  if (!c.isOpen()) return;
  store::moveCursor(c, static_cast<store::NavigatorMove>(move), mark_);
  loadFields();
}

// ------------------------------------------------------------------ events

void TabAngora::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A narrow card stacks the judge's points above the grades instead of beside them.
  middle_->setDirection(width() >= kSideBySideWidth ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
}

void TabAngora::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  loadFields();
}

bool TabAngora::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && watched == bemerkung_) writeMemo();
  return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------------ printing

void printWoolCertificate(QWidget* parent, store::TDatenStamm& dm, const shell::tsysteminfo& settings) {
  engine::Cursor& h = dm.Hasen();
  engine::Cursor* a = dm.cursor(woolCursorName());
  if (!h.isOpen() || !h.hasRecord() || !a || !a->isOpen() || !a->hasRecord()) return;
  WoolCertificate certificate;
  if (!store::guarded([&] { certificate = readWoolCertificate(dm, dm.today()); })) return;
  const reports::Report report = TReportWollleistung(certificate, reports::ReportFont{settings.Drucken.Schriftart, 9.0});
  reports::showReportPreview(parent, report, reports::MemoryDataSource{});
}

namespace {

// Posts a pending change of the test record; false when it stays pending (refused).
bool settleWoolTest(TabAngora* tab, store::TDatenStamm& dm) {
  if (tab && !tab->finishFieldEntry()) return false;
  engine::Cursor* a = dm.cursor(woolCursorName());
  if (!a || !a->isOpen() || !a->isEditing()) return true;
  store::guarded([&] { a->post(); });
  if (tab) tab->loadFields();
  return !a->isEditing();
}

bool hasWoolTest(store::TDatenStamm& dm) {
  engine::Cursor* a = dm.cursor(woolCursorName());
  return a && a->isOpen() && a->hasRecord();
}

}  // namespace

void printCurrentWoolTest(QWidget* parent, TabAngora& tab, store::TDatenStamm& dm, const shell::tsysteminfo& settings) {
  engine::Cursor& h = dm.Hasen();
  if (h.isEditing() && !store::guarded([&] { h.post(); })) return;
  if (h.isEditing()) return;
  if (!settleWoolTest(&tab, dm)) return;
  if (!hasWoolTest(dm)) {
    store::dialogs().inform(store::messageText(kMeldungKeinWollnachweis));
    return;
  }
  printWoolCertificate(parent, dm, settings);
}

TabAngora* woolTabOf(const card::ui::TLapiroStamm& card) {
  return qobject_cast<TabAngora*>(card.page(card::ui::TLapiroStamm::TabLeistungsnachweis));
}

void Leistungsnachweis1Click(QWidget* parent, card::ui::TLapiroStamm& card, store::TDatenStamm& dm,
                             const shell::tsysteminfo& settings) {
  engine::Cursor& h = dm.Hasen();
  if (!h.isOpen() || !h.hasRecord()) return;
  if (!card.finishFieldEntry()) return;
  if (h.isEditing()) card.SpeichernClick();
  if (h.isEditing()) return;
  if (!settleWoolTest(woolTabOf(card), dm)) return;
  if (!store::isLonghairGroup(h.field(QStringLiteral("Rassegruppe")).asString()))
    store::dialogs().inform(store::messageText(kMeldungKeineLanghaarrasse));
  if (!hasWoolTest(dm)) {
    store::dialogs().inform(store::messageText(kMeldungKeinWollnachweis));
    return;
  }
  engine::Cursor& a = dm.at(woolCursorName());
  if (!store::guarded([&] { a.last(); })) return;
  if (TabAngora* tab = woolTabOf(card)) tab->loadFields();
  printWoolCertificate(parent, dm, settings);
}

}  // namespace lapiro::breeding::ui
