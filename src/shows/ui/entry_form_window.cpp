#include "shows/ui/entry_form_window.h"

#include "core/number_input.h"
#include "engine/cursor.h"
#include "engine/engine.h"
#include "shell/animal_list.h"
#include "shows/show_input.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QVBoxLayout>

namespace lapiro::shows::ui {

using engine::Money;

namespace {

constexpr int kHelpTopic = 170;
constexpr int kMsgNoAnimal = 109;
constexpr int kMsgNoSex = 110;

Money* moneyOf(EntryHeader& h, const QString& f) {
  static const std::pair<const char16_t*, Money EntryHeader::*> map[] = {
      {u"UnkostenTier", &EntryHeader::unkostenTier}, {u"FutterTier", &EntryHeader::futterTier},
      {u"Porto", &EntryHeader::porto},               {u"Katalog", &EntryHeader::katalog},
      {u"Karte", &EntryHeader::karte},               {u"SpendeAlt", &EntryHeader::spendeAlt},
      {u"SpendeJung", &EntryHeader::spendeJung},     {u"ZGBetrag", &EntryHeader::zgBetrag},
      {u"SonderzTier", &EntryHeader::sonderzTier},   {u"FutterbecherTier", &EntryHeader::futterbecherTier},
      {u"FreitextBetrag", &EntryHeader::freitextBetrag}};
  for (const auto& [name, member] : map)
    if (f == QString::fromUtf16(name)) return &(h.*member);
  return nullptr;
}

qint64* countOf(EntryHeader& h, const QString& f) {
  if (f == QLatin1String("ZGZuschlag")) return &h.zgZuschlag;
  if (f == QLatin1String("Sonderz")) return &h.sonderz;
  if (f == QLatin1String("Futterbecher")) return &h.futterbecher;
  return nullptr;
}

QValidator* moneyValidator(QObject* parent) {
  // "1.000" groups thousands; "1.5" passes here so that the shared reader can explain it.
  return new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("^\\d{0,6}([.,]\\d{0,2})?$|^\\d{1,3}\\.\\d{3}(,\\d{0,2})?$")), parent);
}

}  // namespace

TFormAusstellungsanmeldung::TFormAusstellungsanmeldung(store::TDatenStamm& dm, int defaultBreed,
                                                       const QString& vereinsnummer, EntryOwnData own,
                                                       EntryFormServices services, QWidget* parent)
    : QDialog(parent), dm_(dm), tables_(dm.Hasen().engine()), own_(std::move(own)), services_(std::move(services)) {
  setObjectName(QStringLiteral("TFormAusstellungsanmeldung"));
  setWindowTitle(QStringLiteral("Ausstellungsanmeldung"));
  setAcceptDrops(true);

  tables_.reset(defaultBreed);
  form_ = tables_.read();
  form_.header.verein = vereinsnummer;
  form_.header.von = own_.benutzer;

  // Header.
  auto* title = new QLabel(QStringLiteral("Meldebogen"), this);
  QFont big = title->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  title->setFont(big);
  verein_ = new QLineEdit(this);
  verein_->setObjectName(QStringLiteral("EditVerein"));
  verein_->setMaxLength(20);
  verein_->setMaximumWidth(180);
  von_ = new QLineEdit(this);
  von_->setObjectName(QStringLiteral("EditVon"));
  von_->setReadOnly(true);
  von_->setMaximumWidth(320);
  nummer_ = new QLineEdit(this);
  nummer_->setObjectName(QStringLiteral("EditNummer"));
  nummer_->setMaxLength(20);
  nummer_->setMaximumWidth(180);
  kind_ = new QComboBox(this);
  kind_->setObjectName(QStringLiteral("ComboBoxAusstellung"));
  kind_->setEditable(true);
  kind_->setInsertPolicy(QComboBox::NoInsert);
  kind_->addItems(showKinds());
  kind_->lineEdit()->setMaxLength(50);
  kind_->setCurrentIndex(kind_->count() - 1);
  kind_->setMinimumContentsLength(28);
  datum_ = new QLineEdit(this);
  datum_->setObjectName(QStringLiteral("EditDatum"));
  datum_->setMaxLength(10);
  datum_->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  rasse_ = new QComboBox(this);
  rasse_->setObjectName(QStringLiteral("ComboBoxRasse"));
  for (const auto& b : dm_.breeds()) rasse_->addItem(b.name, b.key);
  farbe_ = new QComboBox(this);
  farbe_->setObjectName(QStringLiteral("ComboBoxFarbe"));
  connect(rasse_, &QComboBox::activated, this, [this](int) {
    form_.header.rasse = rasse_->currentData().toLongLong();
    form_.header.farbe = 0;  // another breed clears the colour
    fillColours();
    feesEdited();
  });
  connect(farbe_, &QComboBox::activated, this, [this](int) {
    form_.header.farbe = farbe_->currentData().toLongLong();
    feesEdited();
  });

  auto* head = new QGridLayout;
  head->addWidget(title, 0, 0, 1, 2);
  head->addWidget(new QLabel(QStringLiteral("Verein Nummer"), this), 1, 0);
  head->addWidget(verein_, 1, 1);
  head->addWidget(new QLabel(QStringLiteral("von"), this), 1, 2);
  head->addWidget(von_, 1, 3);
  head->addWidget(new QLabel(QStringLiteral("Nummer der Anmeldung"), this), 2, 0);
  head->addWidget(nummer_, 2, 1);
  head->setColumnStretch(4, 1);
  auto* request = new QHBoxLayout;
  request->addWidget(new QLabel(QStringLiteral("Ich möchte folgende Rassekaninchen zu Ihrer"), this));
  request->addWidget(kind_, 1);
  request->addWidget(new QLabel(QStringLiteral("am"), this));
  request->addWidget(datum_);
  request->addWidget(new QLabel(QStringLiteral("anmelden:"), this));
  auto* breedRow = new QHBoxLayout;
  breedRow->addWidget(new QLabel(QStringLiteral("Rasse:"), this));
  breedRow->addWidget(rasse_, 1);
  breedRow->addWidget(new QLabel(QStringLiteral("Farbe:"), this));
  breedRow->addWidget(farbe_, 1);

  auto button = [this](const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* laden = button(QStringLiteral("Tier im Datenbestand suchen"), QStringLiteral("BitBtnTierladen"));
  QPushButton* vorschau = button(QStringLiteral("&Druckvorschau"), QStringLiteral("BitBtnDruckvorschau"));
  QPushButton* drucken = button(QStringLiteral("&Drucken"), QStringLiteral("BitBtnOK"));
  QPushButton* speichern = button(QStringLiteral("Speichern"), QStringLiteral("BitBtnSpeichern"));
  QPushButton* oeffnen = button(QStringLiteral("Laden"), QStringLiteral("BitBtnLaden"));
  QPushButton* hilfe = button(QStringLiteral("&Hilfe"), QStringLiteral("BitBtnHilfe"));
  QPushButton* zurueck = button(QStringLiteral("&Zurück"), QStringLiteral("BitBtnAbbruch"));
  connect(laden, &QPushButton::clicked, this, &TFormAusstellungsanmeldung::TierladenClick);
  connect(vorschau, &QPushButton::clicked, this, &TFormAusstellungsanmeldung::DruckvorschauClick);
  connect(drucken, &QPushButton::clicked, this, &TFormAusstellungsanmeldung::DruckenClick);
  connect(speichern, &QPushButton::clicked, this, &TFormAusstellungsanmeldung::SpeichernClick);
  connect(oeffnen, &QPushButton::clicked, this, &TFormAusstellungsanmeldung::LadenClick);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHelpTopic);
  });
  connect(zurueck, &QPushButton::clicked, this, &QDialog::close);
  auto* commands = new QHBoxLayout;
  commands->addWidget(laden);
  commands->addStretch(1);
  for (QPushButton* b : {vorschau, drucken, speichern, oeffnen, hilfe, zurueck}) commands->addWidget(b);

  auto* middle = new QHBoxLayout;
  middle->addWidget(buildLines(), 3);
  middle->addWidget(buildFees(), 2);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addLayout(request);
  layout->addLayout(breedRow);
  layout->addLayout(middle, 1);
  layout->addLayout(commands);

  showForm();
}

TFormAusstellungsanmeldung::~TFormAusstellungsanmeldung() {
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
}

QWidget* TFormAusstellungsanmeldung::buildLines() {
  auto* box = new QGroupBox(this);
  box->setObjectName(QStringLiteral("Zeilen"));
  auto* g = new QGridLayout(box);
  g->setVerticalSpacing(2);
  // The captions break where the form's narrow columns break them.
  const QString heads[] = {QStringLiteral("Nummer"),          QStringLiteral("Geschlecht\n1.0 / 0.1"),
                           QStringLiteral("Täto\nrechts"),    QStringLiteral("Täto\nlinks"),
                           QStringLiteral("Jung-\ntier"),     QStringLiteral("ZG\n1"),
                           QStringLiteral("ZG\n2"),           QStringLiteral("ZG\n3"),
                           QStringLiteral("Verkaufs-\npreis"), QStringLiteral("EZT")};
  const int headCols[] = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10};
  for (int k = 0; k < 10; ++k) {
    auto* l = new QLabel(heads[k], box);
    l->setAlignment(Qt::AlignCenter);
    g->addWidget(l, 0, headCols[k], 1, k == 1 ? 2 : 1);
  }
  for (int i = 0; i < kEntryLines; ++i) {
    LineBoxes& b = lines_[i];
    const int row = i + 1;
    g->addWidget(new QLabel(QStringLiteral("%1.").arg(i + 1), box), row, 0, Qt::AlignRight);
    auto check = [&](int col, const QString& name) {
      auto* c = new QCheckBox(box);
      c->setObjectName(QStringLiteral("%1%2").arg(name).arg(i + 1));
      g->addWidget(c, row, col, Qt::AlignCenter);
      connect(c, &QCheckBox::clicked, this, [this, i] { lineEdited(i); });
      return c;
    };
    b.male = check(1, QStringLiteral("Maennlich"));
    b.female = check(2, QStringLiteral("Weiblich"));
    connect(b.male, &QCheckBox::clicked, this, [this, i](bool on) {
      if (on) lines_[i].female->setChecked(false);
      lineEdited(i);
    });
    connect(b.female, &QCheckBox::clicked, this, [this, i](bool on) {
      if (on) lines_[i].male->setChecked(false);
      lineEdited(i);
    });
    b.rechts = new QLineEdit(box);
    b.rechts->setObjectName(QStringLiteral("TaetoRechts%1").arg(i + 1));
    b.rechts->setMaxLength(8);
    b.links = new QLineEdit(box);
    b.links->setObjectName(QStringLiteral("TaetoLinks%1").arg(i + 1));
    b.links->setMaxLength(10);
    // Room for the longest tattoos the fields hold, so that none is shown cut.
    const QFontMetrics fm = b.links->fontMetrics();
    b.rechts->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("H 00000")) + 12);
    b.links->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("00.00.0000")) + 12);
    g->addWidget(b.rechts, row, 3);
    g->addWidget(b.links, row, 4);
    for (QLineEdit* e : {b.rechts, b.links}) {
      connect(e, &QLineEdit::textEdited, this, [this, i] { lineEdited(i); });
      connect(e, &QLineEdit::editingFinished, this, [this, i] { tattooLeft(i); });
    }
    b.jungtier = check(5, QStringLiteral("Jungtier"));
    b.zg1 = check(6, QStringLiteral("ZG1_"));
    b.zg2 = check(7, QStringLiteral("ZG2_"));
    b.zg3 = check(8, QStringLiteral("ZG3_"));
    b.preis = new QLineEdit(box);
    b.preis->setObjectName(QStringLiteral("Verkaufspreis%1").arg(i + 1));
    b.preis->setValidator(moneyValidator(b.preis));
    b.preis->setAlignment(Qt::AlignRight);
    b.preis->setMaximumWidth(80);
    g->addWidget(b.preis, row, 9);
    connect(b.preis, &QLineEdit::editingFinished, this, [this, i] { lineEdited(i); });
    b.ezt = check(10, QStringLiteral("EZT"));
  }
  g->setColumnStretch(3, 2);
  g->setColumnStretch(4, 2);
  return box;
}

QWidget* TFormAusstellungsanmeldung::buildFees() {
  auto* box = new QGroupBox(this);
  box->setObjectName(QStringLiteral("Gebuehren"));
  auto* g = new QGridLayout(box);
  g->setVerticalSpacing(3);
  int row = 0;
  auto money = [&](const QString& field) {
    auto* e = new QLineEdit(box);
    e->setObjectName(field);
    e->setValidator(moneyValidator(e));
    e->setAlignment(Qt::AlignRight);
    e->setMinimumWidth(70);
    e->setMaximumWidth(80);
    connect(e, &QLineEdit::editingFinished, this, [this] { feesEdited(); });
    fees_.emplace_back(field, e);
    return e;
  };
  auto count = [&](const QString& field) {
    auto* e = new QLineEdit(box);
    e->setObjectName(field);
    e->setValidator(new QIntValidator(0, 999, e));
    e->setAlignment(Qt::AlignRight);
    e->setMinimumWidth(36);
    e->setMaximumWidth(40);
    connect(e, &QLineEdit::editingFinished, this, [this] { feesEdited(); });
    fees_.emplace_back(field, e);
    return e;
  };
  auto product = [&](const QString& field, int r) {
    auto* l = new QLabel(box);
    l->setObjectName(field);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(70);
    g->addWidget(new QLabel(QStringLiteral("="), box), r, 4);
    g->addWidget(l, r, 5);
    products_.emplace_back(field, l);
    return l;
  };
  auto simple = [&](const QString& caption, const QString& field, const QString& productField) {
    g->addWidget(new QLabel(caption, box), row, 0, 1, 3);
    g->addWidget(money(field), row, 3);
    if (!productField.isEmpty()) product(productField, row);
    ++row;
  };
  simple(QStringLiteral("Unkostenbeitrag pro Tier"), QStringLiteral("UnkostenTier"), QStringLiteral("Unkosten"));
  simple(QStringLiteral("Futterkosten       pro Tier"), QStringLiteral("FutterTier"), QStringLiteral("Futter"));
  simple(QStringLiteral("Porto und Druckkosten(anteilig)"), QStringLiteral("Porto"), {});
  simple(QStringLiteral("Pflichtkatalog"), QStringLiteral("Katalog"), {});
  simple(QStringLiteral("Eintrittskarte / Dauerkarte"), QStringLiteral("Karte"), {});
  simple(QStringLiteral("Ehrenpreisspende für Altzüchter"), QStringLiteral("SpendeAlt"), {});
  simple(QStringLiteral("für Jungzüchter"), QStringLiteral("SpendeJung"), {});
  auto counted = [&](const QString& caption, const QString& countField, const QString& unitCaption,
                     const QString& unitField, const QString& productField) {
    g->addWidget(new QLabel(caption, box), row, 0);
    g->addWidget(count(countField), row, 1);
    g->addWidget(new QLabel(unitCaption, box), row, 2);
    g->addWidget(money(unitField), row, 3);
    product(productField, row);
    ++row;
  };
  counted(QStringLiteral("Zuchtgruppenzuschlag für"), QStringLiteral("ZGZuschlag"), QStringLiteral("Zuchtgruppen a"),
          QStringLiteral("ZGBetrag"), QStringLiteral("ZGZuschlagGesamt"));
  counted(QStringLiteral("Sonderzahlung ( Züchter ) für"), QStringLiteral("Sonderz"), QStringLiteral("Tier(e) a"),
          QStringLiteral("SonderzTier"), QStringLiteral("SonderzTierGesamt"));
  counted(QStringLiteral("Je 2 Futterbecher bei Bedarf für"), QStringLiteral("Futterbecher"), QStringLiteral("Tier(e) a"),
          QStringLiteral("FutterbecherTier"), QStringLiteral("FutterbecherTierGesamt"));
  auto* freitext = new QLineEdit(box);
  freitext->setObjectName(QStringLiteral("Freitext"));
  freitext->setMaxLength(100);
  freitext->setPlaceholderText(QStringLiteral("Freitext zur eigenen Verfügung"));
  connect(freitext, &QLineEdit::editingFinished, this, [this] { feesEdited(); });
  fees_.emplace_back(QStringLiteral("Freitext"), freitext);
  g->addWidget(freitext, row, 0, 1, 3);
  g->addWidget(money(QStringLiteral("FreitextBetrag")), row, 3);
  ++row;
  auto* total = new QLabel(QStringLiteral("Gesamtbetrag"), box);
  QFont bold = total->font();
  bold.setBold(true);
  total->setFont(bold);
  summe_ = new QLabel(box);
  summe_->setObjectName(QStringLiteral("Summe"));
  summe_->setFont(bold);
  summe_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  g->addWidget(total, row, 0, 1, 3);
  auto* eq = new QLabel(QStringLiteral("="), box);
  eq->setFont(bold);
  g->addWidget(eq, row, 4);
  g->addWidget(summe_, row, 5);
  g->setRowStretch(row + 1, 1);
  g->setColumnStretch(0, 1);
  return box;
}

QLineEdit* TFormAusstellungsanmeldung::feeEdit(const QString& field) const {
  for (const auto& [name, e] : fees_)
    if (name == field) return e;
  return nullptr;
}

// ------------------------------------------------------------------ showing

void TFormAusstellungsanmeldung::showForm() {
  filling_ = true;
  const EntryHeader& h = form_.header;
  verein_->setText(h.verein);
  von_->setText(h.von);
  nummer_->setText(h.nummer);
  kind_->setEditText(h.ausstellung);
  datum_->setText(h.datumText);
  const int breedIndex = rasse_->findData(h.rasse);
  rasse_->setCurrentIndex(breedIndex);
  fillColours();
  for (int i = 0; i < kEntryLines; ++i) {
    const EntryLine& l = form_.lines[i];
    LineBoxes& b = lines_[i];
    b.male->setChecked(l.geschlecht == QLatin1String("M"));
    b.female->setChecked(l.geschlecht == QLatin1String("W"));
    b.rechts->setText(l.taetoRechts);
    b.links->setText(l.taetoLinks);
    // A tattoo is read from its start: a box scrolled to the end would show "26.1" of 10.26.1.
    b.rechts->setCursorPosition(0);
    b.links->setCursorPosition(0);
    b.jungtier->setChecked(l.jungtier);
    b.zg1->setChecked(l.zg1);
    b.zg2->setChecked(l.zg2);
    b.zg3->setChecked(l.zg3);
    b.ezt->setChecked(l.ezt);
    b.preis->setText(l.verkaufspreis ? l.verkaufspreis->toString() : QString());
  }
  filling_ = false;
  showFees();
}

void TFormAusstellungsanmeldung::fillColours() {
  const QSignalBlocker block(farbe_);
  farbe_->clear();
  farbe_->addItem(QString(), 0);
  for (const auto& c : dm_.colours(form_.header.rasse)) farbe_->addItem(c.name, c.key);
  farbe_->setCurrentIndex(std::max(0, farbe_->findData(form_.header.farbe)));
}

void TFormAusstellungsanmeldung::showFees() {
  filling_ = true;
  EntryHeader& h = form_.header;
  for (const auto& [field, e] : fees_) {
    if (Money* m = moneyOf(h, field))
      e->setText(m->toString());
    else if (qint64* n = countOf(h, field))
      e->setText(QString::number(*n));
    else
      e->setText(h.freitext);
  }
  const std::pair<const char16_t*, Money> values[] = {{u"Unkosten", h.unkosten},
                                                      {u"Futter", h.futter},
                                                      {u"ZGZuschlagGesamt", form_.zgGesamt()},
                                                      {u"SonderzTierGesamt", form_.sonderzGesamt()},
                                                      {u"FutterbecherTierGesamt", form_.futterbecherGesamt()}};
  for (const auto& [field, label] : products_)
    for (const auto& [name, value] : values)
      if (field == QString::fromUtf16(name)) label->setText(value.toString());
  summe_->setText(form_.summe().toString());
  filling_ = false;
}

// ------------------------------------------------------------------ editing

void TFormAusstellungsanmeldung::lineEdited(int i) {
  if (filling_) return;
  EntryLine& l = form_.lines[i];
  const LineBoxes& b = lines_[i];
  l.taetoRechts = b.rechts->text().trimmed();
  l.taetoLinks = b.links->text().trimmed();
  l.geschlecht = b.male->isChecked() ? QStringLiteral("M") : b.female->isChecked() ? QStringLiteral("W") : QString();
  l.jungtier = b.jungtier->isChecked();
  l.zg1 = b.zg1->isChecked();
  l.zg2 = b.zg2->isChecked();
  l.zg3 = b.zg3->isChecked();
  l.ezt = b.ezt->isChecked();
  const QString price = b.preis->text().trimmed();
  if (price.isEmpty()) {
    l.verkaufspreis.reset();
  } else if (const auto m = Money::parse(price)) {
    l.verkaufspreis = *m;
  } else if (const core::NumberReading r = core::readTypedNumber(price); r.kind == core::NumberReading::Kind::Ambiguous) {
    // The box goes back to the value kept, so the hint is not repeated by the next edit.
    store::dialogs().error(r.message);
    b.preis->setText(l.verkaufspreis ? l.verkaufspreis->toString() : QString());
  }
  saveLine(i);
}

void TFormAusstellungsanmeldung::saveLine(int i) {
  form_.recomputeFees();
  store::guarded([&] {
    tables_.writeLine(i, form_.lines[i]);
    tables_.writeFees(form_.header);
  });
  showFees();
}

void TFormAusstellungsanmeldung::feesEdited() {
  if (filling_) return;
  EntryHeader& h = form_.header;
  for (const auto& [field, e] : fees_) {
    const QString t = e->text().trimmed();
    if (Money* m = moneyOf(h, field)) {
      const auto parsed = Money::parse(t);
      if (!t.isEmpty() && !parsed) {
        if (const core::NumberReading r = core::readTypedNumber(t); r.kind == core::NumberReading::Kind::Ambiguous) {
          store::dialogs().error(r.message);
          e->setText(m->toString());
        }
      }
      *m = t.isEmpty() ? Money() : parsed.value_or(*m);
    } else if (qint64* n = countOf(h, field)) {
      const core::NumberReading r = core::readTypedNumber(t);
      *n = r.isNumber() && r.number->isWhole() ? r.number->scaled(0).value_or(0) : 0;
    } else {
      h.freitext = t;
    }
  }
  form_.recomputeFees();
  store::guarded([&] { tables_.writeFees(h); });
  showFees();
}

void TFormAusstellungsanmeldung::readHeaderBoxes() {
  EntryHeader& h = form_.header;
  h.verein = verein_->text().trimmed();
  h.von = von_->text();
  h.nummer = nummer_->text().trimmed();
  h.ausstellung = kind_->currentText().trimmed();
  h.datumText = datum_->text().trimmed();
}

void TFormAusstellungsanmeldung::tattooLeft(int i) {
  if (filling_) return;
  const QString rechts = lines_[i].rechts->text().trimmed();
  const QString links = lines_[i].links->text().trimmed();
  if (rechts.isEmpty() || links.isEmpty()) return;
  engine::Cursor& h = dm_.Hasen();
  QVariant nummer, sex;
  if (!store::guarded([&] {
        nummer = h.lookup(QStringLiteral("TatoRechts;TatoLinks"), {rechts, links}, QStringLiteral("Nummer"));
        if (nummer.isValid())
          sex = h.lookup(QStringLiteral("TatoRechts;TatoLinks"), {rechts, links}, QStringLiteral("Geschlecht"));
      }))
    return;
  if (!nummer.isValid()) {
    store::dialogs().inform(store::messageText(kMsgNoAnimal));
    return;
  }
  const QString code = sex.toString().trimmed();
  if (code.isEmpty()) {
    store::dialogs().inform(store::messageText(kMsgNoSex));
    return;
  }
  form_.lines[i].geschlecht = code == QLatin1String("1") ? QStringLiteral("M") : QStringLiteral("W");
  filling_ = true;
  lines_[i].male->setChecked(form_.lines[i].geschlecht == QLatin1String("M"));
  lines_[i].female->setChecked(form_.lines[i].geschlecht == QLatin1String("W"));
  filling_ = false;
  lineEdited(i);
}

bool TFormAusstellungsanmeldung::addAnimal(qint64 nummer) {
  engine::Cursor& h = dm_.Hasen();
  QVariant rechts, links, sex;
  if (!store::guarded([&] {
        rechts = h.lookup(QStringLiteral("Nummer"), {nummer}, QStringLiteral("TatoRechts"));
        links = h.lookup(QStringLiteral("Nummer"), {nummer}, QStringLiteral("TatoLinks"));
        sex = h.lookup(QStringLiteral("Nummer"), {nummer}, QStringLiteral("Geschlecht"));
      }))
    return false;
  if (!rechts.isValid() && !links.isValid()) return false;
  const int line = form_.fillFirstEmptyLine(rechts.toString(), links.toString(), sex.toString());
  if (line < 0) return false;
  showForm();
  saveLine(line);
  return true;
}

// ------------------------------------------------------------------ commands

void TFormAusstellungsanmeldung::TierladenClick() {
  if (!services_.searchAnimal) return;
  if (const std::optional<qint64> n = services_.searchAnimal()) addAnimal(*n);
}

void TFormAusstellungsanmeldung::SpeichernClick() {
  readHeaderBoxes();
  if (!services_.saveFileName) return;
  const QString dataDir = dm_.Hasen().engine().aliasDirectory();
  const TypedDate shown = readTypedDate(form_.header.datumText, QStringLiteral("Datum"));
  const QString suggested = QFileInfo(dataDir + u'/' +
                                      suggestedEntryFileName(form_.header.ausstellung, shown.date, dm_.today()))
                                .absoluteFilePath();
  const std::optional<QString> chosen = services_.saveFileName(suggested);
  if (!chosen || chosen->trimmed().isEmpty()) return;
  saveEntryFormAs(dm_.Hasen().engine(), *chosen, dataDir, form_);
}

void TFormAusstellungsanmeldung::LadenClick() {
  if (!services_.openFileName) return;
  const std::optional<QString> chosen = services_.openFileName(dm_.Hasen().engine().aliasDirectory());
  if (!chosen || chosen->isEmpty()) return;
  std::optional<EntryForm> loaded;
  if (!store::guarded([&] { loaded = loadEntryForm(dm_.Hasen().engine(), *chosen); }) || !loaded) return;
  // A form saved without a date leaves the date box as it is.
  if (loaded->header.datumText.isEmpty()) loaded->header.datumText = datum_->text().trimmed();
  form_ = *loaded;
  form_.recomputeFees();
  store::guarded([&] { tables_.write(form_); });
  showForm();
}

void TFormAusstellungsanmeldung::fillReport(bool preview) {
  readHeaderBoxes();
  if (!services_.showReport) return;
  TReportAusstellungsmeldung report;
  const reports::MemoryDataSource data =
      entryFormReportData(form_, rasse_->currentText(), farbe_->currentText(), own_);
  // The window gives way to the preview and comes back afterwards.
  hide();
  services_.showReport(report, data, preview);
  show();
}

void TFormAusstellungsanmeldung::DruckvorschauClick() { fillReport(true); }
void TFormAusstellungsanmeldung::DruckenClick() { fillReport(false); }

// ------------------------------------------------------------------ drag and drop

void TFormAusstellungsanmeldung::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(shell::kAnimalMimeType))) event->acceptProposedAction();
}

void TFormAusstellungsanmeldung::dropEvent(QDropEvent* event) {
  const auto animal =
      shell::decodeDraggedAnimal(event->mimeData()->data(QString::fromLatin1(shell::kAnimalMimeType)));
  if (animal) addAnimal(animal->nummer);
  event->acceptProposedAction();
}

}  // namespace lapiro::shows::ui
