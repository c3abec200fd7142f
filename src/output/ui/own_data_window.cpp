#include "output/ui/own_data_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "engine/cursor.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::output::ui {

namespace {
constexpr int kMsgNameMissing = 51;
constexpr int kMsgSaveOwnData = 33;
const QString kTable = QStringLiteral("eigen.DB");
}  // namespace

TAnwenderdaten::TAnwenderdaten(engine::Engine& engine, shell::tsysteminfo& settings, Lists lists, QWidget* parent)
    : QWidget(parent), engine_(engine), settings_(settings), lists_(std::move(lists)) {
  setWindowTitle(QStringLiteral("Anwenderdaten"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* outer = new QVBoxLayout(this);
  tabs_ = new QTabWidget;
  outer->addWidget(tabs_);

  // A page of labelled boxes: caption with accelerator, field of eigen.DB, its size.
  struct Box {
    const char16_t* caption;
    const char16_t* field;
    int size;
  };
  auto page = [this](const QString& title, std::initializer_list<Box> boxes) {
    auto* w = new QWidget;
    auto* form = new QFormLayout(w);
    for (const Box& b : boxes) {
      auto* e = new QLineEdit;
      e->setMaxLength(b.size);
      edits_[QString::fromUtf16(b.field)] = e;
      form->addRow(QString::fromUtf16(b.caption), e);
      connect(e, &QLineEdit::textEdited, this, [this] { setEdited(true); });
    }
    tabs_->addTab(w, title);
    return form;
  };
  QFormLayout* kunde = page(QStringLiteral("Kundendaten"),
                            {{u"&Name", u"Name", 40}, {u"Vo&rname", u"Vorname", 40}, {u"&Straße", u"Strasse", 40}});
  // "&Ort": postcode and place side by side.
  auto* plz = new QLineEdit;
  plz->setMaxLength(8);
  plz->setMaximumWidth(80);
  auto* ort = new QLineEdit;
  ort->setMaxLength(40);
  edits_[QStringLiteral("Plz")] = plz;
  edits_[QStringLiteral("Ort")] = ort;
  auto* ortRow = new QHBoxLayout;
  ortRow->addWidget(plz);
  ortRow->addWidget(ort);
  auto* ortLabel = new QLabel(QStringLiteral("&Ort"));
  ortLabel->setBuddy(plz);
  kunde->addRow(ortLabel, ortRow);
  for (QLineEdit* e : {plz, ort}) connect(e, &QLineEdit::textEdited, this, [this] { setEdited(true); });
  for (const Box& b : {Box{u"&Telefon", u"Telefon", 20}, Box{u"T&elefax", u"Telefax", 20}, Box{u"e-m&ail", u"EMail", 40},
                       Box{u"&Land", u"land", 30}}) {
    auto* e = new QLineEdit;
    e->setMaxLength(b.size);
    edits_[QString::fromUtf16(b.field)] = e;
    kunde->addRow(QString::fromUtf16(b.caption), e);
    connect(e, &QLineEdit::textEdited, this, [this] { setEdited(true); });
  }
  rasse_ = new QComboBox;
  farbe_ = new QComboBox;
  kunde->addRow(QStringLiteral("&Zuchtrasse"), rasse_);
  kunde->addRow(QStringLiteral("Zuchtfarbe"), farbe_);
  page(QStringLiteral("Verein"), {{u"&Vereinsnr.", u"Vereinsnummer", 20},
                                  {u"Ver&band", u"Verband", 50},
                                  {u"&Kreisverb.", u"Kreisverband", 50},
                                  {u"Verban&dart", u"Vereinsart", 50}});
  page(QStringLiteral("Bankverbindung"), {{u"Kontonr.", u"Kontonummer", 12},
                                          {u"Bank", u"Kontoname", 20},
                                          {u"in", u"KontoIn", 20},
                                          {u"BLZ", u"Bankleitzahl", 12}});

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("O&K"));
  undo_ = new QPushButton(QStringLiteral("R&ückgängig"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(undo_);
  buttons->addWidget(hilfe);
  outer->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { OKClick(); });
  connect(undo_, &QPushButton::clicked, this, [this] { RueckgaengigClick(); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (onHelp) onHelp(80);
  });

  for (const auto& b : lists_.breeds) rasse_->addItem(b.name, b.key);
  rasse_->setCurrentIndex(rasse_->findData(QVariant(qlonglong(settings_.Stammdaten.Rasse))));
  fillColours();
  farbe_->setCurrentIndex(farbe_->findData(QVariant(qlonglong(settings_.Stammdaten.Farbe))));
  connect(rasse_, &QComboBox::currentIndexChanged, this, [this] { fillColours(); });

  try {
    load();
    usable_ = true;
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

TAnwenderdaten::~TAnwenderdaten() = default;

QLineEdit* TAnwenderdaten::edit(const QString& field) const {
  auto it = edits_.find(field);
  return it == edits_.end() ? nullptr : it->second;
}

void TAnwenderdaten::load() {
  engine::Cursor c(engine_);
  c.setTableName(kTable);
  c.setReadOnly(true);
  c.open();
  c.first();
  for (auto& [field, e] : edits_) {
    const auto f = c.findField(field);
    e->setText(f && c.hasRecord() ? f->asString() : QString());
  }
  setEdited(false);
}

void TAnwenderdaten::setEdited(bool edited) {
  edited_ = edited;
  undo_->setEnabled(edited);
}

void TAnwenderdaten::fillColours() {
  farbe_->clear();
  if (rasse_->currentIndex() >= 0 && lists_.colours)
    for (const auto& c : lists_.colours(rasse_->currentData().toLongLong())) farbe_->addItem(c.name, c.key);
  farbe_->setCurrentIndex(-1);
}

void TAnwenderdaten::RueckgaengigClick() {
  try {
    load();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

bool TAnwenderdaten::save() {
  if (!edited_) return true;
  if (!settings_.System.Speichern && !store::dialogs().ask(store::messageText(kMsgSaveOwnData))) {
    load();
    return true;
  }
  try {
    engine::Cursor c(engine_);
    c.setTableName(kTable);
    c.open();
    c.first();
    if (c.hasRecord())
      c.edit();
    else
      c.append();
    for (auto& [field, e] : edits_)
      if (auto f = c.findField(field)) f->setString(e->text().trimmed());
    c.post();
    setEdited(false);
    if (onSaved) onSaved();
    return true;
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
}

void TAnwenderdaten::OKClick() {
  const int oldRasse = settings_.Stammdaten.Rasse, oldFarbe = settings_.Stammdaten.Farbe;
  bool breedFound = false;
  for (const auto& b : lists_.breeds)
    if (rasse_->currentIndex() >= 0 && b.name == rasse_->currentText()) {
      settings_.Stammdaten.Rasse = int(b.key);
      breedFound = true;
      break;
    }
  int farbe = 0;
  if (breedFound && farbe_->currentIndex() >= 0 && lists_.colours)
    for (const auto& c : lists_.colours(settings_.Stammdaten.Rasse))
      if (c.name == farbe_->currentText()) {
        farbe = int(c.key);
        break;
      }
  settings_.Stammdaten.Farbe = farbe;
  const bool rasseChanged = settings_.Stammdaten.Rasse != oldRasse, farbeChanged = farbe != oldFarbe;
  if ((rasseChanged || farbeChanged) && saveDefaults) saveDefaults(rasseChanged, farbeChanged);
  close();
}

void TAnwenderdaten::closeEvent(QCloseEvent* event) {
  QLineEdit* name = edit(QStringLiteral("Name"));
  if (usable_ && name->text().trimmed().isEmpty()) {
    store::dialogs().warn(store::messageText(kMsgNameMissing));
    tabs_->setCurrentIndex(0);
    name->setFocus();
    event->ignore();
    return;
  }
  if (usable_ && !save()) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace lapiro::output::ui
