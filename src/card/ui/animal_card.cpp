#include "card/ui/animal_card.h"

#include "card/pictures.h"
#include "card/ui/picture_tab.h"
#include "card/ui/weight_tab.h"

#include "card/ui/pedigree_page.h"

#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/animal_rules.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/ui/field_edit.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QScrollArea>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace lapiro::card::ui {

namespace {

// A tab page inside a scroll area: on a small screen the page keeps the room its content needs
// and scrolls, instead of squeezing its boxes and captions over each other.
QWidget* scrolling(QWidget* page) {
  auto* area = new QScrollArea;
  area->setObjectName(page->objectName() + QStringLiteral("Scroll"));
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidget(page);
  return area;
}

}  // namespace

using engine::Notification;

namespace {

// The application's style with less room to the left and right of a tab's text.
class CompactTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr, const QWidget* widget = nullptr) const override {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    return metric == PM_TabBarTabHSpace ? std::min(value, 8) : value;
  }
};

const QString kHasen = QStringLiteral("Hasen");
const QString kGenotyp = QStringLiteral("Genotyp");

// Text of a field of the current animal; empty without a record.
QString fieldText(engine::Cursor& h, const QString& name) {
  if (!h.isOpen() || !(h.hasRecord() || h.isEditing())) return {};
  return h.field(name).asString();
}

void setTextQuietly(QLineEdit* edit, const QString& text) {
  if (edit->text() == text) return;
  const QSignalBlocker block(edit);
  edit->setText(text);
  edit->setCursorPosition(0);
}

QLineEdit* namedLineEdit(const QString& name, int maxLength, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  if (maxLength > 0) e->setMaxLength(maxLength);
  return e;
}

QLabel* fieldLabel(const QString& caption, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setBuddy(buddy);
  return label;
}

// A small square button with a standard icon and a hint.
QToolButton* iconButton(QStyle::StandardPixmap icon, const QString& hint, const QString& name, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setIcon(parent->style()->standardIcon(icon));
  b->setToolTip(hint);
  b->setStatusTip(hint);
  b->setObjectName(name);
  b->setFocusPolicy(Qt::StrongFocus);
  b->setAutoRaise(false);
  return b;
}

}  // namespace

TLapiroStamm::TLapiroStamm(store::TDatenStamm& dm, shell::tsysteminfo& settings, CardServices services,
                           const CardPageFactories& pages, QWidget* parent)
    : QWidget(parent),
      dm_(dm),
      settings_(settings),
      services_(std::move(services)),
      controller_(dm, services_.noteShown) {
  setObjectName(QStringLiteral("TLapiroStamm"));
  setWindowTitle(QStringLiteral("Rund um das Tier"));

  // 1. Clear the card's state; the data module's rules reach the card from now on.
  newRecord = false;
  listRefreshPending = false;
  lastShownAnimal = 0;
  undoingNewRecord = false;
  tattooPartsGuard = false;
  dm_.setCard(this);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("PageControl"));
  // Narrower tab margins, so that all eight tabs fit beside the full animal list on a
  // 1280-pixel screen.
  auto* tabStyle = new CompactTabStyle;
  tabStyle->setParent(this);
  tabs_->tabBar()->setStyle(tabStyle);
  tabs_->addTab(scrolling(buildStammdaten()), QStringLiteral("Stammdaten"));
  pedigree_ = new TPedigreePage(
      dm_, settings_,
      {[this] { refreshCard(true); }, [this](qint64 nummer) { positionAnimalList(nummer); },
       [this](int context) {
         if (services_.showHelp) services_.showHelp(context);
       }});
  tabs_->addTab(scrolling(pedigree_), QStringLiteral("Stammbaum"));
  zusatzinfo_ = new TZusatzinfoSeite(dm_, settings_, {services_.pickDate, services_.showHelp});
  // The two long captions take two lines, so that all eight tabs fit beside the whole animal
  // list at the default 1152 pixels.
  tabs_->addTab(scrolling(zusatzinfo_), QStringLiteral("Gewichtstabelle/\nZusatzinfo"));
  // A contributed tab: its factory's page, or an empty page holding its place.
  const CardPageContext context{dm_, settings_, services_, *this};
  auto addContributed = [&](Tab tab, const QString& caption) {
    CardPage page;
    for (const CardPageFactory& factory : pages)
      if (factory.tab == tab && factory.create) page = factory.create(context);
    tabs_->addTab(page.widget ? scrolling(page.widget) : placeholderPage(caption), caption);
    pages_.emplace_back(tab, std::move(page));
  };
  addContributed(TabStallhygiene, QStringLiteral("Stallhygiene"));
  addContributed(TabZuchtbuch, QStringLiteral("Wurfbuch/Körung"));
  addContributed(TabAusstellung, QStringLiteral("Ausstellung"));
  galerie_ = new TBildergalerie(dm_, settings_, services_.showHelp);
  galerie_->representativeChanged = [this](const QString& path) { showRepresentativePicture(path); };
  tabs_->addTab(scrolling(galerie_), QStringLiteral("Bildergalerie"));
  addContributed(TabLeistungsnachweis, QStringLiteral("Angora\nLeistungsnachweis"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(tabs_);
  // Showing the tab "Stammbaum" builds the pedigree anew.
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    // Leaving the breeding tab saves the buck judging's pending scores; scores that cannot be
    // saved keep the tab open.
    if (shownTab_ != index)
      if (const CardPage* left = contributed(static_cast<Tab>(shownTab_)); left && left->leaving && !left->leaving()) {
        tabs_->setCurrentIndex(shownTab_);
        return;
      }
    shownTab_ = index;
    if (index == TabStammbaum) pedigree_->showPedigree(true);
  });

  // The parent information panel floats over the card.
  panel_ = new QFrame(this);
  panel_->setObjectName(QStringLiteral("PanelEltern"));
  panel_->setFrameShape(QFrame::Box);
  panel_->setAutoFillBackground(true);
  panelText_ = new QPlainTextEdit(panel_);
  panelText_->setObjectName(QStringLiteral("MemoEltern"));
  panelText_->setReadOnly(true);
  panelText_->setLineWrapMode(QPlainTextEdit::NoWrap);
  panelText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  panelText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  panelText_->viewport()->installEventFilter(this);
  panelText_->installEventFilter(this);
  panel_->installEventFilter(this);
  auto* panelLayout = new QVBoxLayout(panel_);
  panelLayout->setContentsMargins(1, 1, 1, 1);
  panelLayout->addWidget(panelText_);
  panel_->hide();
  // The panel also gives way when the user goes on to another field.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (panel_->isVisible() && now && now != panelText_ && now != vater_ && now != mutter_) panel_->hide();
  });

  engine::Cursor& h = dm_.Hasen();
  hasenListener_ = h.addListener([this](Notification n) {
    switch (n) {
      case Notification::Destroyed:
        hasenListener_ = -1;
        break;
      case Notification::Scrolled:
      case Notification::DataChanged:
      case Notification::StateChanged:
      case Notification::FieldChanged:
      case Notification::Reset:
      case Notification::Opened:
        if (!loading_) loadFields();
        // Another animal: its representative picture on "Stammdaten".
        if (n == Notification::Scrolled || n == Notification::Reset || n == Notification::Opened)
          updateRepresentativePicture();
        break;
      default:
        break;
    }
  });

  // The drop-down lists and the address boxes show looked-up data: they follow changes of
  // those tables made anywhere in the program (a colour added, a breeder's street changed).
  for (const QString& name : {QStringLiteral("Adressen"), QStringLiteral("StbFarbe"), QStringLiteral("StbRasse"),
                              QStringLiteral("Status")}) {
    engine::Cursor* c = dm_.cursor(name);
    if (!c) continue;
    // One listener per cursor, removed by the destructor: the card may go before the data
    // module, whose cursors then must not call back into it.
    const int id = c->addListener([this, c](Notification n) {
      if (n == Notification::Destroyed) {
        for (auto& [cursor, listener] : lookupListeners_)
          if (cursor == c) cursor = nullptr;
      } else if (n == Notification::DataChanged || n == Notification::Opened) {
        scheduleLookupRefresh();
      }
    });
    lookupListeners_.emplace_back(c, id);
  }

  // Text fields take no more than their field holds (the stored table decides).
  if (h.isOpen())
    for (auto [edit, field] : {std::pair{tatoRechts_, u"TatoRechts"}, std::pair{tatoLinks_, u"TatoLinks"},
                               std::pair{idCode_, u"IDCode"}, std::pair{erbformel_, u"Erbformel"},
                               std::pair{wurfgroesse_, u"Wurfgroesse"}, std::pair{genotyp_, u"Genotyp"}}) {
      const std::optional<engine::Field> f = h.findField(QString::fromUtf16(field));
      if (f && f->type() == engine::FieldType::Alpha && f->size() > 0) edit->setMaxLength(f->size());
    }

  // 2. to 5. "Stammdaten" first, the settings, the wool tab for the animal's breed group.
  tabs_->setCurrentIndex(TabStammdaten);
  applySettings();
  setWoolTabVisible(h.isOpen() && h.hasRecord() &&
                    store::isLonghairGroup(h.field(QStringLiteral("Rassegruppe")).asString()));
  refreshCard(false);
  setEditButtonsEnabled(false);
  updateCounter();
}

TLapiroStamm::~TLapiroStamm() {
  // The children go after this part of the object; a field losing the focus then must not
  // reach back into it (editingFinished on focus-out).
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  disconnect(qApp, nullptr, this, nullptr);
  if (dm_.card() == this) dm_.setCard(nullptr);
  if (hasenListener_ >= 0) dm_.Hasen().removeListener(hasenListener_);
  for (auto& [cursor, id] : lookupListeners_)
    if (cursor) cursor->removeListener(id);
}

void TLapiroStamm::scheduleLookupRefresh() {
  // Many changes in a row (an import, a rebuild) give one refresh once the change is done;
  // a refresh inside the notification would also move the shared lookup cursors under the
  // window that is posting through them.
  if (lookupRefreshPending_) return;
  lookupRefreshPending_ = true;
  QTimer::singleShot(0, this, [this] {
    lookupRefreshPending_ = false;
    refreshLookedUpData();
  });
}

void TLapiroStamm::refreshLookedUpData() {
  if (loading_ || writing_) return;
  const QString caption = controller_.caption();
  if (!newRecord && !caption.isEmpty()) setCaption(caption);
  loadFields();
  loadAddressBoxes();
}

// ------------------------------------------------------------------ building

QWidget* TLapiroStamm::placeholderPage(const QString& caption) {
  auto* page = new QWidget;
  auto* label = new QLabel(QStringLiteral("„%1“ ist noch nicht verfügbar.").arg(caption), page);
  label->setObjectName(QStringLiteral("NochNichtVerfuegbar"));
  label->setAlignment(Qt::AlignCenter);
  label->setEnabled(false);
  auto* l = new QVBoxLayout(page);
  l->addWidget(label);
  return page;
}

QWidget* TLapiroStamm::buildStammdaten() {
  stammdaten_ = new QWidget;
  stammdaten_->setObjectName(QStringLiteral("TabSheetStammdaten"));
  QWidget* p = stammdaten_;

  QGridLayout* ownData = buildOwnDataFields(p);
  QGridLayout* others = buildParentAndAddressFields(p);
  buildPictureBox(p);
  auto* leftColumn = new QVBoxLayout;
  leftColumn->addLayout(ownData);
  leftColumn->addWidget(pictureNormalSlot_, 1);

  stammGrid_ = new QGridLayout(p);
  stammGrid_->setContentsMargins(8, 8, 8, 6);
  stammGrid_->setHorizontalSpacing(16);
  stammGrid_->addLayout(leftColumn, 0, 0);
  stammGrid_->addLayout(others, 0, 1);
  stammGrid_->addLayout(buildCommandBar(p), 1, 0, 1, 2);
  // The own data keep their natural width; the remarks and address boxes take the rest.
  stammGrid_->setColumnStretch(0, 0);
  stammGrid_->setColumnStretch(1, 1);
  stammGrid_->setRowStretch(0, 1);

  // Tab order follows the layout: own data top to bottom, then parents, remarks, addresses.
  QWidget* order[] = {tatoRechts_, tatoLinks_, parts_[0], parts_[1], parts_[2], idCode_, rasse_, farbe_,
                      genotyp_, rammler_, haesin_, stallnummer_, erbformel_, wurfgroesse_, koernote_, geboren_,
                      kalender_, status_, vaterSuchen_, mutterSuchen_, anomalien_, zuechterBox_, besitzerBox_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  applyLayout(false);
  return stammdaten_;
}

QGridLayout* TLapiroStamm::buildOwnDataFields(QWidget* p) {
  QWidget* leftTattooRow = buildIdentityFields(p);
  buildBreedFields(p);
  QWidget* sexBox = buildSexChoice(p);
  buildBreedingFields(p);
  QWidget* birthRow = buildBirthRow(p);

  auto* left = new QGridLayout;
  left->setHorizontalSpacing(6);
  left->setVerticalSpacing(4);
  int row = 0;
  auto addRow = [&](const QString& caption, QWidget* editor, QWidget* focus = nullptr) {
    left->addWidget(fieldLabel(caption, focus ? focus : editor, p), row, 0);
    left->addWidget(editor, row, 1);
    ++row;
  };
  addRow(QStringLiteral("Täto &rechts"), tatoRechts_);
  addRow(QStringLiteral("Täto &links"), leftTattooRow, tatoLinks_);
  addRow(QStringLiteral("Name"), idCode_);
  addRow(QStringLiteral("R&asse"), rasse_);
  addRow(QStringLiteral("&Farbe"), farbe_);
  addRow(QStringLiteral("Geno&typ"), genotyp_);
  left->addWidget(genotypHinweis_, row++, 1);
  {
    auto* label = fieldLabel(QStringLiteral("Gesc&hlecht"), rammler_, p);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    left->addWidget(label, row, 0);
    left->addWidget(sexBox, row++, 1);
  }
  addRow(QStringLiteral("&Stallnummer"), stallnummer_);
  addRow(QStringLiteral("&Erbformel"), erbformel_);
  addRow(QStringLiteral("&Wurfgröße"), wurfgroesse_);
  addRow(QStringLiteral("&Körnote"), koernote_);
  addRow(QStringLiteral("&Geboren"), birthRow, geboren_);
  addRow(QStringLiteral("&Status"), status_);
  left->setColumnStretch(1, 1);
  left->setRowStretch(row, 1);
  return left;
}

QWidget* TLapiroStamm::buildIdentityFields(QWidget* p) {
  tatoRechts_ = namedLineEdit(QStringLiteral("DBEditTatoRechts"), 8, p);
  tatoLinks_ = namedLineEdit(QStringLiteral("DBEditTatoLinks"), 10, p);
  tatoLinks_->installEventFilter(this);
  idCode_ = namedLineEdit(QStringLiteral("DBEditIDCode"), 0, p);

  // Left tattoo in three parts, shown instead of the left tattoo when the settings say so.
  partsRow_ = new QWidget(p);
  auto* partsLayout = new QHBoxLayout(partsRow_);
  partsLayout->setContentsMargins(0, 0, 0, 0);
  partsLayout->setSpacing(2);
  for (int i = 0; i < 3; ++i) {
    parts_[i] = new QLineEdit(partsRow_);
    parts_[i]->setObjectName(QStringLiteral("EditTaetoLinks%1").arg(i + 1));
    parts_[i]->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), parts_[i]));
    parts_[i]->setMaxLength(i == 2 ? 5 : 3);
    parts_[i]->setFixedWidth(parts_[i]->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 14);
    parts_[i]->installEventFilter(this);
    partsLayout->addWidget(parts_[i]);
    if (i < 2) partsLayout->addWidget(new QLabel(QStringLiteral("."), partsRow_));
    connect(parts_[i], &QLineEdit::textEdited, this, [this, i] { tattooPartEdited(i); });
  }
  partsLayout->addStretch();
  auto* leftTattooRow = new QWidget(p);
  auto* leftTattooLayout = new QHBoxLayout(leftTattooRow);
  leftTattooLayout->setContentsMargins(0, 0, 0, 0);
  leftTattooLayout->addWidget(tatoLinks_);
  leftTattooLayout->addWidget(partsRow_);

  for (auto [edit, field] : {std::pair{tatoRechts_, u"TatoRechts"}, std::pair{tatoLinks_, u"TatoLinks"},
                             std::pair{idCode_, u"IDCode"}}) {
    const QString name = QString::fromUtf16(field);
    connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) { writeText(name, text); });
  }
  connect(tatoLinks_, &QLineEdit::editingFinished, this, [this] {
    if (!loading_) controller_.leftTattooLeft();
  });
  return leftTattooRow;
}

void TLapiroStamm::buildBreedFields(QWidget* p) {
  rasse_ = new QComboBox(p);
  rasse_->setObjectName(QStringLiteral("DBLookupComboBoxRasse"));
  farbe_ = new QComboBox(p);
  farbe_->setObjectName(QStringLiteral("DBLookupComboBoxFarbe"));
  for (QComboBox* box : {rasse_, farbe_}) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(14);
    box->setMaxVisibleItems(20);
  }
  // The colour genotype, checked when the record is saved; the line under it says what the
  // genotype and the colour tell, so that a contradiction between them is seen.
  genotyp_ = namedLineEdit(QStringLiteral("DBEditGenotyp"), 80, p);
  genotyp_->setPlaceholderText(QStringLiteral("z. B. A achi/B b/C C/D d/g g"));
  genotyp_->setToolTip(QStringLiteral("Genotyp der Fellfarbe; „-“ für ein unbekanntes Allel, leer wenn unbekannt"));
  genotypHinweis_ = new QLabel(p);
  genotypHinweis_->setObjectName(QStringLiteral("LabelGenotypHinweis"));
  genotypHinweis_->setWordWrap(true);
  genotypHinweis_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  connect(rasse_, &QComboBox::activated, this, [this](int index) {
    if (index < 0) return;
    writing_ = true;
    controller_.setFieldValue(QStringLiteral("Rasse"), rasse_->itemData(index));
    writing_ = false;
    loadFields();
  });
  connect(farbe_, &QComboBox::activated, this, [this](int index) {
    if (index < 0) return;
    controller_.setFieldValue(QStringLiteral("Farbe"), farbe_->itemData(index));
  });
  connect(genotyp_, &QLineEdit::textEdited, this, [this](const QString& text) { writeText(kGenotyp, text); });
}

QWidget* TLapiroStamm::buildSexChoice(QWidget* p) {
  // Two choices, one above the other so that both captions fit a narrow card.
  auto* sexBox = new QWidget(p);
  sexBox->setObjectName(QStringLiteral("DBRadioGroupGeschlecht"));
  rammler_ = new QRadioButton(QStringLiteral("Rammler 1.0"), sexBox);
  haesin_ = new QRadioButton(QStringLiteral("Häsin      0.1"), sexBox);
  geschlecht_ = new QButtonGroup(this);
  geschlecht_->addButton(rammler_, 1);
  geschlecht_->addButton(haesin_, 2);
  auto* sexLayout = new QVBoxLayout(sexBox);
  sexLayout->setContentsMargins(0, 0, 0, 0);
  sexLayout->setSpacing(0);
  sexLayout->addWidget(rammler_);
  sexLayout->addWidget(haesin_);
  connect(geschlecht_, &QButtonGroup::idClicked, this, [this](int id) {
    controller_.setFieldValue(QStringLiteral("Geschlecht"), QString::number(id));
  });
  return sexBox;
}

void TLapiroStamm::buildBreedingFields(QWidget* p) {
  stallnummer_ = namedLineEdit(QStringLiteral("DBEditStallnummer"), 9, p);
  erbformel_ = namedLineEdit(QStringLiteral("DBEditErbformel"), 40, p);
  erbformel_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9]*")), erbformel_));
  erbformel_->installEventFilter(this);
  wurfgroesse_ = namedLineEdit(QStringLiteral("DBEditWurfgroesse"), 10, p);
  koernote_ = namedLineEdit(QStringLiteral("DBEditKoernote"), 9, p);
  status_ = new QComboBox(p);
  status_->setObjectName(QStringLiteral("DBLookupComboBoxStatus"));
  // Whole numbers are checked when the box is left: a fraction is refused with a message and
  // the box keeps the text and the focus.
  store::ui::FieldEdit::attach(koernote_, engine::FieldType::Long, 0, QStringLiteral("Körnote"),
                               [this](const QVariant& v) { return writeValue(QStringLiteral("Körnote"), v); });
  store::ui::FieldEdit::attach(stallnummer_, engine::FieldType::Long, 0, QStringLiteral("Stallnummer"),
                               [this](const QVariant& v) { return writeValue(QStringLiteral("Stallnummer"), v); });

  for (auto [edit, field] : {std::pair{wurfgroesse_, u"Wurfgroesse"}, std::pair{erbformel_, u"Erbformel"}}) {
    const QString name = QString::fromUtf16(field);
    connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) { writeText(name, text); });
  }
  connect(erbformel_, &QLineEdit::editingFinished, this, [this] { formulaLeft(); });
  connect(status_, &QComboBox::activated, this, [this](int index) {
    if (index < 0) return;
    controller_.setFieldValue(QStringLiteral("Status"), status_->itemData(index));
  });
}

QWidget* TLapiroStamm::buildBirthRow(QWidget* p) {
  auto* birthRow = new QWidget(p);
  geboren_ = namedLineEdit(QStringLiteral("DBEditGeburtstag"), 10, birthRow);
  geboren_->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  // An impossible day is refused when the box is left, with a message; the box keeps the text
  // and the focus.
  store::ui::FieldEdit::attach(geboren_, engine::FieldType::Date, 0, QStringLiteral("Geboren"),
                               [this](const QVariant& v) { return birthDateWritten(v); });
  auto* birthLayout = new QHBoxLayout(birthRow);
  birthLayout->setContentsMargins(0, 0, 0, 0);
  birthLayout->addWidget(geboren_);
  kalender_ = iconButton(QStyle::SP_FileDialogDetailedView, QStringLiteral("Kalender"),
                         QStringLiteral("BitBtnGeburtstag"), birthRow);
  birthLayout->addWidget(kalender_);
  geboren_->setMaximumWidth(geboren_->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 16);
  birthLayout->addStretch();
  connect(kalender_, &QToolButton::clicked, this, &TLapiroStamm::pickBirthDate);
  return birthRow;
}

QGridLayout* TLapiroStamm::buildParentAndAddressFields(QWidget* p) {
  vater_ = namedLineEdit(QStringLiteral("DBEditVater"), 0, p);
  mutter_ = namedLineEdit(QStringLiteral("DBEditMutter"), 0, p);
  for (QLineEdit* e : {vater_, mutter_}) {
    // Room for a full parent: tattoos of the longest usual form with their two blanks.
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("WW 9999  99.99.999")) + 16);
    e->setReadOnly(true);
    e->setToolTip(QStringLiteral("Klicken zeigt die Daten des Elterntiers"));
    e->installEventFilter(this);
  }
  anomalien_ = new QPlainTextEdit(p);
  anomalien_->setObjectName(QStringLiteral("DBMemoAnomalien"));
  anomalien_->setTabChangesFocus(true);
  auto addressBox = [&](const QString& name) {
    auto* box = new QPlainTextEdit(p);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 5 + 2 * box->frameWidth() + 10);
    return box;
  };
  zuechterBox_ = addressBox(QStringLiteral("MemoZuechter"));
  besitzerBox_ = addressBox(QStringLiteral("MemoBesitzer"));

  auto* right = new QGridLayout;
  right->setHorizontalSpacing(6);
  right->setVerticalSpacing(4);
  vaterSuchen_ =
      iconButton(QStyle::SP_FileDialogContentsView, QStringLiteral("Vater suchen"), QStringLiteral("BitBtnVater"), p);
  mutterSuchen_ =
      iconButton(QStyle::SP_FileDialogContentsView, QStringLiteral("Mutter suchen"), QStringLiteral("BitBtnMutter"), p);
  right->addWidget(fieldLabel(QStringLiteral("&Vater"), vaterSuchen_, p), 0, 0);
  right->addWidget(vater_, 0, 1);
  right->addWidget(vaterSuchen_, 0, 2);
  right->addWidget(fieldLabel(QStringLiteral("&Mutter"), mutterSuchen_, p), 1, 0);
  right->addWidget(mutter_, 1, 1);
  right->addWidget(mutterSuchen_, 1, 2);
  pictureCompactSlot_ = new QWidget(p);
  pictureCompactSlot_->setObjectName(QStringLiteral("BildKompakt"));
  new QVBoxLayout(pictureCompactSlot_);
  pictureCompactSlot_->layout()->setContentsMargins(0, 0, 0, 0);
  right->addWidget(pictureCompactSlot_, 0, 3, 3, 1);
  auto* anomalienLabel = fieldLabel(QStringLiteral("Anoma&lien / Merkmale"), anomalien_, p);
  right->addWidget(anomalienLabel, 2, 0, 1, 3);
  right->addWidget(anomalien_, 3, 0, 1, 4);

  // Breeder and owner: the caption left of the box, the two buttons under it, so the box gets
  // the whole width in both arrangements.
  auto addressRow = [&](int r, const QString& caption, QPlainTextEdit* box, bool breeder) {
    auto* label = new QLabel(caption, p);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    right->addWidget(label, r, 0);
    right->addWidget(box, r, 1, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addStretch();
    QToolButton* suchen = iconButton(QStyle::SP_FileDialogContentsView, QStringLiteral("Aus Adressendatei suchen"),
                                     breeder ? QStringLiteral("BitBtnZuechterSuchen") : QStringLiteral("BitBtnBesitzerSuchen"), p);
    auto* adressen = new QPushButton(QStringLiteral("Adressen"), p);
    adressen->setObjectName(breeder ? QStringLiteral("BitBtnZuechterAdressen") : QStringLiteral("BitBtnBesitzerAdressen"));
    adressen->setToolTip(QStringLiteral("Neuaufnahme in Adressendatei"));
    adressen->setStatusTip(QStringLiteral("Neuaufnahme in Adressendatei"));
    buttons->addWidget(suchen);
    buttons->addWidget(adressen);
    right->addLayout(buttons, r + 1, 1, 1, 3);
    connect(suchen, &QToolButton::clicked, this, [this, breeder] { chooseAddress(breeder); });
    connect(adressen, &QPushButton::clicked, this, [this, breeder] {
      if (services_.openAddressBook) services_.openAddressBook(breeder);
    });
  };
  addressRow(4, QStringLiteral("Züchter"), zuechterBox_, true);
  addressRow(6, QStringLiteral("Besitzer"), besitzerBox_, false);
  right->setColumnStretch(1, 1);
  right->setRowStretch(3, 1);

  connect(anomalien_, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) writeText(QStringLiteral("Anomalien"), anomalien_->toPlainText());
  });
  connect(vaterSuchen_, &QToolButton::clicked, this, [this] { chooseParent(true); });
  connect(mutterSuchen_, &QToolButton::clicked, this, [this] { chooseParent(false); });
  return right;
}

void TLapiroStamm::buildPictureBox(QWidget* p) {
  // The representative picture: beside the own data, or beside the parents when compact.
  bild_ = new QLabel(p);
  bild_->setObjectName(QStringLiteral("ImageBild"));
  bild_->setAlignment(Qt::AlignCenter);
  bild_->setFrameShape(QFrame::StyledPanel);
  bild_->setMinimumSize(120, 90);
  bild_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  bild_->installEventFilter(this);
  pictureNormalSlot_ = new QWidget(p);
  pictureNormalSlot_->setObjectName(QStringLiteral("BildNormal"));
  new QVBoxLayout(pictureNormalSlot_);
  pictureNormalSlot_->layout()->setContentsMargins(0, 0, 0, 0);
}

QHBoxLayout* TLapiroStamm::buildCommandBar(QWidget* p) {
  auto* bar = new QHBoxLayout;
  const std::pair<QStyle::StandardPixmap, const char16_t*> navigator[] = {
      {QStyle::SP_MediaSkipBackward, u"Dateianfang"}, {QStyle::SP_MediaSeekBackward, u"vorheriger Datensatz"},
      {QStyle::SP_MediaSeekForward, u"nächster Datensatz"}, {QStyle::SP_MediaSkipForward, u"Dateiende"},
      {QStyle::SP_DialogApplyButton, u"setze Marke"},       {QStyle::SP_ArrowRight, u"gehe zur Marke"}};
  for (int i = 0; i < 6; ++i) {
    nav_[i] = iconButton(navigator[i].first, QString::fromUtf16(navigator[i].second),
                         QStringLiteral("Navigator%1").arg(i), p);
    bar->addWidget(nav_[i]);
  }
  connect(nav_[0], &QToolButton::clicked, this, [this] { navigate(CardController::Move::First); });
  connect(nav_[1], &QToolButton::clicked, this, [this] { navigate(CardController::Move::Prior); });
  connect(nav_[2], &QToolButton::clicked, this, [this] { navigate(CardController::Move::Next); });
  connect(nav_[3], &QToolButton::clicked, this, [this] { navigate(CardController::Move::Last); });
  connect(nav_[4], &QToolButton::clicked, this, [this] {
    if (!finishFieldEntry()) return;
    controller_.setMark();
    nav_[5]->setEnabled(controller_.hasMark());
  });
  connect(nav_[5], &QToolButton::clicked, this, [this] {
    if (!finishFieldEntry()) return;
    if (controller_.gotoMark()) afterMove();
  });
  nav_[5]->setEnabled(false);
  bar->addSpacing(12);
  speichern_ = new QPushButton(QStringLiteral("Speichern"), p);
  speichern_->setObjectName(QStringLiteral("BitBtnSpeichern"));
  speichern_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  rueckgaengig_ = new QPushButton(QStringLiteral("R&ückgängig"), p);
  rueckgaengig_->setObjectName(QStringLiteral("BitBtnRueckgaengig"));
  rueckgaengig_->setToolTip(QStringLiteral("Eingabe rückgängig machen"));
  rueckgaengig_->setStatusTip(QStringLiteral("Eingabe rückgängig machen"));
  rueckgaengig_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), p);
  hilfe->setObjectName(QStringLiteral("BitBtnHilfe"));
  hilfe->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
  bar->addWidget(speichern_);
  bar->addWidget(rueckgaengig_);
  bar->addStretch();
  bar->addWidget(hilfe);
  connect(speichern_, &QPushButton::clicked, this, &TLapiroStamm::SpeichernClick);
  connect(rueckgaengig_, &QPushButton::clicked, this, &TLapiroStamm::RueckgaengigClick);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(11);
  });
  return bar;
}

// ------------------------------------------------------------------ filling from the record

void TLapiroStamm::loadBreedBox() {
  const QSignalBlocker block(rasse_);
  rasse_->clear();
  for (const Choice& c : controller_.breedChoices()) rasse_->addItem(c.name, QVariant(c.key));
}

void TLapiroStamm::loadColourBox(qint64 rasse) {
  if (rasse == colourBoxBreed_) return;
  colourBoxBreed_ = rasse;
  const QSignalBlocker block(farbe_);
  farbe_->clear();
  if (rasse > 0)
    for (const Choice& c : controller_.colourChoices(rasse)) farbe_->addItem(c.name, QVariant(c.key));
  farbe_->setEnabled(farbe_->count() > 0);
}

void TLapiroStamm::loadStatusBox() {
  const QSignalBlocker block(status_);
  status_->clear();
  for (const Choice& c : controller_.statusChoices()) status_->addItem(c.name, QVariant(c.key));
}

void TLapiroStamm::reloadChangedLists() {
  auto stamp = [this](const QString& cursorName) -> std::pair<const void*, quint64> {
    engine::Cursor* c = dm_.cursor(cursorName);
    if (!c || !c->isOpen() || !c->table()) return {nullptr, 0};
    return {c->table().get(), c->table()->version()};
  };
  if (const auto now = stamp(QStringLiteral("StbRasse")); now != breedStamp_) {
    breedStamp_ = now;
    loadBreedBox();
  }
  if (const auto now = stamp(QStringLiteral("StbFarbe")); now != colourStamp_) {
    colourStamp_ = now;
    colourBoxBreed_ = -1;
  }
  if (const auto now = stamp(QStringLiteral("Status")); now != statusStamp_) {
    statusStamp_ = now;
    loadStatusBox();
  }
}

void TLapiroStamm::loadFields() {
  engine::Cursor& h = dm_.Hasen();
  reloadChangedLists();
  const bool has = controller_.hasAnimal();
  loading_ = true;
  auto text = [&](QLineEdit* edit, const QString& field) {
    // The field being typed in keeps its text: the record holds the same value, perhaps
    // in a normalised form that must not jump under the cursor.
    if (writing_ && edit->hasFocus()) return;
    setTextQuietly(edit, fieldText(h, field));
  };
  text(tatoRechts_, QStringLiteral("TatoRechts"));
  text(tatoLinks_, QStringLiteral("TatoLinks"));
  text(idCode_, QStringLiteral("IDCode"));
  if (!erbformel_->hasFocus()) text(erbformel_, QStringLiteral("Erbformel"));
  text(wurfgroesse_, QStringLiteral("Wurfgroesse"));
  // A stock not yet upgraded has no genotype: the field stays empty and disabled.
  const bool genotypeField = h.isOpen() && h.findField(kGenotyp).has_value();
  if (genotypeField)
    text(genotyp_, kGenotyp);
  else
    setTextQuietly(genotyp_, {});
  genotypHinweis_->setText(controller_.genotypeHint());
  // The box being typed in keeps text not yet checked until it is left.
  for (auto [edit, field] : {std::pair{koernote_, u"Körnote"}, std::pair{stallnummer_, u"Stallnummer"},
                             std::pair{geboren_, u"Geburtstag"}})
    if (!(edit->isModified() && edit->hasFocus())) {
      text(edit, QString::fromUtf16(field));
      edit->setModified(false);
    }
  if (!(writing_ && anomalien_->hasFocus())) {
    const QString memo = fieldText(h, QStringLiteral("Anomalien"));
    if (anomalien_->toPlainText() != memo) anomalien_->setPlainText(memo);
  }
  setTextQuietly(vater_, controller_.parentDisplay(true));
  setTextQuietly(mutter_, controller_.parentDisplay(false));

  const qint64 rasse = has ? h.field(QStringLiteral("Rasse")).asInteger() : 0;
  {
    const QSignalBlocker block(rasse_);
    rasse_->setCurrentIndex(has ? rasse_->findData(QVariant(rasse)) : -1);
  }
  loadColourBox(rasse);
  {
    const QSignalBlocker block(farbe_);
    farbe_->setCurrentIndex(has ? farbe_->findData(QVariant(h.field(QStringLiteral("Farbe")).asInteger())) : -1);
  }
  {
    const QSignalBlocker block(status_);
    status_->setCurrentIndex(has && !h.field(QStringLiteral("Status")).isNull()
                                 ? status_->findData(QVariant(h.field(QStringLiteral("Status")).asInteger()))
                                 : -1);
  }
  {
    const QString sex = fieldText(h, QStringLiteral("Geschlecht"));
    geschlecht_->setExclusive(false);
    rammler_->setChecked(sex == u"1");
    haesin_->setChecked(sex == u"2");
    geschlecht_->setExclusive(true);
  }
  if (leftTattooInParts() && !(writing_ && (parts_[0]->hasFocus() || parts_[1]->hasFocus() || parts_[2]->hasFocus()))) {
    const store::TattooParts parts = store::splitLeftTattoo(fieldText(h, QStringLiteral("TatoLinks")));
    tattooPartsGuard = true;
    setTattooParts(parts.month, parts.year, parts.number);
    tattooPartsGuard = false;
  }
  for (QWidget* w : std::initializer_list<QWidget*>{tatoRechts_, tatoLinks_, idCode_, rasse_, rammler_, haesin_,
                                                    stallnummer_, erbformel_, wurfgroesse_, koernote_, geboren_,
                                                    status_, anomalien_, parts_[0], parts_[1], parts_[2]})
    w->setEnabled(has);
  farbe_->setEnabled(has && farbe_->count() > 0);
  genotyp_->setEnabled(has && genotypeField);
  loading_ = false;
}

void TLapiroStamm::loadAddressBoxes() {
  engine::Cursor& h = dm_.Hasen();
  const bool has = controller_.hasAnimal();
  for (auto [box, field] : {std::pair{zuechterBox_, u"Zuechter"}, std::pair{besitzerBox_, u"Besitzer"}}) {
    const QStringList lines =
        has ? controller_.addressLines(h.field(QString::fromUtf16(field)).value()) : QStringList();
    box->setPlainText(lines.join(u'\n'));
    box->moveCursor(QTextCursor::Start);
  }
}

void TLapiroStamm::loadPicture() {
  bild_->setToolTip(picturePath_);
  const QSize room = bild_->contentsRect().size().boundedTo(QSize(4000, 4000)).expandedTo(QSize(40, 30));
  // Decoded at the box's size: a large photo is scaled while it is decoded.
  const QImage image = picturePath_.isEmpty() ? QImage() : pictureCache().picture(picturePath_, room, true);
  if (image.isNull()) {
    bild_->setPixmap(QPixmap());
    bild_->setText(QStringLiteral("kein Bild"));
    return;
  }
  bild_->setPixmap(QPixmap::fromImage(image));
}

void TLapiroStamm::updateRepresentativePicture() {
  TBildergalerieDaten pictures(dm_);
  showRepresentativePicture(pictures.druckbildPfad(pictures.bilder()));
}

void TLapiroStamm::showRepresentativePicture(const QString& path) {
  if (path == picturePath_ && !bild_->pixmap().isNull()) return;
  picturePath_ = path;
  loadPicture();
}

void TLapiroStamm::refreshCard(bool byCommand) {
  const QString caption = controller_.caption();
  setCaption(caption.isEmpty() ? QStringLiteral("Rund um das Tier") : caption);
  loadFields();
  loadAddressBoxes();
  updateRepresentativePicture();
  setEditButtonsEnabled(false);
  if (byCommand) controller_.noteShownByCommand();
  updateCounter();
}

void TLapiroStamm::updateCounter() {
  if (services_.updateRecordCounter) services_.updateRecordCounter();
}

void TLapiroStamm::applySettings() {
  const bool parts = leftTattooInParts();
  partsRow_->setVisible(parts);
  tatoLinks_->setVisible(!parts);
  tatoLinks_->setFocusPolicy(parts ? Qt::NoFocus : Qt::StrongFocus);
  if (parts) loadFields();
}

void TLapiroStamm::showPedigree(bool moveFocus) { pedigree_->showPedigree(moveFocus); }

void TLapiroStamm::showStammdaten() {
  tabs_->setCurrentIndex(TabStammdaten);
  tatoRechts_->setFocus(Qt::OtherFocusReason);
}

void TLapiroStamm::applyLayout(bool compact) {
  if (layoutApplied_ && compact == compact_) return;
  layoutApplied_ = true;
  compact_ = compact;
  QWidget* slot = compact ? pictureCompactSlot_ : pictureNormalSlot_;
  slot->layout()->addWidget(bild_);
  pictureCompactSlot_->setVisible(compact);
  pictureNormalSlot_->setVisible(!compact);
  // In the compact arrangement the own data give up width to the parents and addresses.
  const int editorWidth = compact ? fontMetrics().horizontalAdvance(QStringLiteral("Deutsche Riesen")) + 40 : QWIDGETSIZE_MAX;
  for (QWidget* w : std::initializer_list<QWidget*>{tatoRechts_, tatoLinks_, idCode_, rasse_, farbe_, genotyp_,
                                                    genotypHinweis_, stallnummer_, erbformel_, wurfgroesse_, koernote_,
                                                    status_})
    w->setMaximumWidth(editorWidth);
  if (compact)
    bild_->setFixedSize(96, 72);
  else {
    bild_->setMinimumSize(120, 90);
    bild_->setMaximumSize(400, 300);
  }
  loadPicture();
}

void TLapiroStamm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  applyLayout(event->size().height() < kCompactHeight);
  loadPicture();
}

// ------------------------------------------------------------------ writing into the record

void TLapiroStamm::writeText(const QString& field, const QString& text) {
  if (loading_) return;
  writing_ = true;
  controller_.setFieldText(field, text);
  writing_ = false;
}

void TLapiroStamm::tattooPartEdited(int part) {
  if (loading_) return;
  writing_ = true;
  const bool ok = controller_.tattooPartsChanged(static_cast<TattooPart>(part), parts_[0]->text(), parts_[1]->text(),
                                                 parts_[2]->text());
  writing_ = false;
  if (!ok) {
    const QSignalBlocker block(parts_[part]);
    parts_[part]->clear();
  }
}

void TLapiroStamm::tattooPartLeft() {
  controller_.tattooPartsLeft(parts_[0]->text(), parts_[1]->text(), parts_[2]->text());
}

bool TLapiroStamm::formulaLeft() {
  if (loading_) return true;
  const QString text = erbformel_->text();
  if (controller_.formulaFieldLeft(text)) return true;
  {
    const QSignalBlocker block(erbformel_);
    erbformel_->clear();
  }
  erbformel_->setFocus(Qt::OtherFocusReason);
  return false;
}

bool TLapiroStamm::writeValue(const QString& field, const QVariant& value) {
  if (loading_) return true;
  writing_ = true;
  const bool ok = controller_.setFieldValue(field, value);
  writing_ = false;
  return ok;
}

bool TLapiroStamm::birthDateWritten(const QVariant& value) {
  if (loading_) return true;
  if (const QString refusal = store::birthDateRefusal(value.toDate(), QStringLiteral("Geboren")); !refusal.isEmpty()) {
    store::dialogs().error(refusal);
    return false;
  }
  if (!writeValue(QStringLiteral("Geburtstag"), value)) return false;
  // The date may change what the card derives from it; the box itself is redrawn by its
  // FieldEdit once this returns.
  loadFields();
  return true;
}

bool TLapiroStamm::finishFieldEntry() {
  // Commands of tool buttons and menus do not take the focus, so the field being edited is
  // checked here as leaving it would.
  if (erbformel_->hasFocus() && !formulaFieldAccepts(erbformel_->text()) && !formulaLeft()) return false;
  if (!store::ui::FieldEdit::finishAll(stammdaten_)) return false;
  // A genotype that cannot be saved stops the command, as a save would: the main window's
  // commands may store the record without the card's save.
  return controller_.checkGenotype();
}

void TLapiroStamm::SpeichernClick() {
  if (!finishFieldEntry()) return;
  controller_.save();
  loadFields();
}

void TLapiroStamm::RueckgaengigClick() {
  const bool wasNew = newRecord;
  for (QLineEdit* e : {geboren_, koernote_, stallnummer_}) e->setModified(false);
  controller_.undo();
  colourBoxBreed_ = -1;  // the colour list is drawn anew for the restored breed
  refreshCard(wasNew);
}

void TLapiroStamm::navigate(CardController::Move m) {
  if (!finishFieldEntry()) return;
  if (controller_.move(m)) afterMove();
}

void TLapiroStamm::afterMove() {
  newRecord = false;
  refreshCard(true);
  // The main list's highlight follows the card's navigator.
  engine::Cursor& h = dm_.Hasen();
  if (controller_.hasAnimal() && !h.field(QStringLiteral("Nummer")).isNull())
    positionAnimalList(h.field(QStringLiteral("Nummer")).asInteger());
}

void TLapiroStamm::chooseParent(bool father) {
  if (!services_.searchAnimal || !finishFieldEntry()) return;
  store::SearchRequest request;
  request.mode = 3;
  request.parent = father ? store::ParentSearch::Father : store::ParentSearch::Mother;
  engine::Cursor& h = dm_.Hasen();
  request.currentAnimal = controller_.hasAnimal() ? h.field(QStringLiteral("Nummer")).asInteger() : 0;
  const std::optional<qint64> chosen = services_.searchAnimal(request);
  if (!chosen) return;
  controller_.chooseParent(father, *chosen);
  loadFields();
}

void TLapiroStamm::chooseAddress(bool breeder) {
  if (!services_.searchAddress || !finishFieldEntry()) return;
  const std::optional<qint64> chosen = services_.searchAddress();
  if (!chosen) return;
  controller_.chooseAddress(breeder, *chosen);
  loadAddressBoxes();
}

void TLapiroStamm::pickBirthDate() {
  if (!services_.pickDate || !finishFieldEntry() || !controller_.hasAnimal()) return;
  const std::optional<QDate> chosen = services_.pickDate(dm_.Hasen().field(QStringLiteral("Geburtstag")).asDate());
  if (!chosen) return;
  controller_.setDate(kHasen, QStringLiteral("Geburtstag"), *chosen);
  loadFields();
}

// ------------------------------------------------------------------ parent panels

void TLapiroStamm::showParentPanel(bool father) {
  const QStringList lines = controller_.parentPanel(father);
  if (lines.isEmpty()) {
    panel_->hide();
    return;
  }
  // Trailing empty lines are not shown.
  QStringList shown = lines;
  while (!shown.isEmpty() && shown.last().isEmpty()) shown.removeLast();
  panelText_->setPlainText(shown.join(u'\n'));
  QLineEdit* field = father ? vater_ : mutter_;
  const QFontMetrics fm = panelText_->fontMetrics();
  int width = field->width();
  // Room for the text plus the memo's frame and document margins.
  const int chrome = 2 * (panelText_->frameWidth() + static_cast<int>(panelText_->document()->documentMargin())) + 8;
  for (const QString& line : shown) width = std::max(width, fm.horizontalAdvance(line) + chrome);
  const int height = fm.lineSpacing() * static_cast<int>(shown.size()) + chrome;
  QPoint at = field->mapTo(this, QPoint(0, 0));
  width = std::min(width, this->width() - 8);
  at.setX(std::clamp(at.x(), 4, std::max(4, this->width() - width - 4)));
  panel_->setGeometry(at.x(), at.y(), width, height);
  panelEntered_ = false;
  panel_->raise();
  panel_->show();
}

void TLapiroStamm::hideParentPanels() { panel_->hide(); }

void TLapiroStamm::showParents() {
  setTextQuietly(vater_, controller_.parentDisplay(true));
  setTextQuietly(mutter_, controller_.parentDisplay(false));
}

bool TLapiroStamm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  // The representative picture is fitted to the box whenever the box changes its size.
  if (watched == bild_ && type == QEvent::Resize) {
    loadPicture();
    return false;
  }
  if ((watched == vater_ || watched == mutter_) && type == QEvent::MouseButtonPress) {
    showParentPanel(watched == vater_);
    return false;
  }
  if (panelText_ && (watched == panel_ || watched == panelText_ || watched == panelText_->viewport())) {
    // The panel closes on a click into it, on Escape and when the pointer leaves it again.
    if (type == QEvent::MouseButtonPress || (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)) {
      panel_->hide();
      return true;
    }
    if (watched == panel_ && type == QEvent::Enter) panelEntered_ = true;
    if (watched == panel_ && type == QEvent::Leave && panelEntered_) panel_->hide();
    return false;
  }
  if (watched == tatoLinks_ && type == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.size() == 1 && text.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      const QChar c = text.at(0);
      if (c == u',') {
        // The comma of the number pad stands for the point.
        tatoLinks_->insert(QStringLiteral("."));
        writeText(QStringLiteral("TatoLinks"), tatoLinks_->text());
        return true;
      }
      if (!c.isDigit() && c != u'.') return true;
    }
    return false;
  }
  if ((watched == parts_[0] || watched == parts_[1] || watched == parts_[2]) && type == QEvent::FocusOut) {
    tattooPartLeft();
    return false;
  }
  return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------------ TCardState

void TLapiroStamm::setEditButtonsEnabled(bool enabled) {
  speichern_->setEnabled(enabled);
  rueckgaengig_->setEnabled(enabled);
}

void TLapiroStamm::setUndoButtonEnabled(bool enabled) { rueckgaengig_->setEnabled(enabled); }

void TLapiroStamm::setCaption(const QString& caption) { setWindowTitle(caption); }

void TLapiroStamm::refreshAnimalList() {
  if (services_.refreshAnimalList) services_.refreshAnimalList();
}

void TLapiroStamm::positionAnimalList(qint64 nummer) {
  if (services_.positionAnimalList) services_.positionAnimalList(nummer);
}

void TLapiroStamm::updateDisplays() {
  const QString caption = controller_.caption();
  if (!newRecord || !caption.trimmed().isEmpty()) setCaption(caption.isEmpty() ? QStringLiteral("Rund um das Tier") : caption);
  loadFields();
  loadAddressBoxes();
  updateCounter();
}

void TLapiroStamm::clearAddressBoxes() {
  zuechterBox_->clear();
  besitzerBox_->clear();
}

bool TLapiroStamm::leftTattooInParts() const { return settings_.Stammdaten.TaetoLinksEinzeln; }

void TLapiroStamm::setTattooParts(const QString& month, const QString& year, const QString& number) {
  const QString values[3] = {month, year, number};
  for (int i = 0; i < 3; ++i) {
    const QSignalBlocker block(parts_[i]);
    if (parts_[i]->text() != values[i]) parts_[i]->setText(values[i]);
  }
}

const CardPage* TLapiroStamm::contributed(Tab tab) const {
  for (const auto& [index, page] : pages_)
    if (index == tab) return &page;
  return nullptr;
}

QWidget* TLapiroStamm::page(Tab tab) const {
  if (const CardPage* p = contributed(tab)) return p->widget;
  switch (tab) {
    case TabStammdaten: return stammdaten_;
    case TabStammbaum: return pedigree_;
    case TabZusatzinfo: return zusatzinfo_;
    case TabBilder: return galerie_;
    default: return nullptr;
  }
}

void TLapiroStamm::resetEvaluationDates(const QDate& today) {
  if (const CardPage* p = contributed(TabZuchtbuch); p && p->animalChanged) p->animalChanged(today);
}
void TLapiroStamm::reshowBreedingTab() {
  if (const CardPage* p = contributed(TabZuchtbuch); p && p->reshow && tabs_->currentIndex() == TabZuchtbuch)
    p->reshow();
}
void TLapiroStamm::focusHygieneDate() {
  if (const CardPage* p = contributed(TabStallhygiene); p && p->focusDate && tabs_->currentIndex() == TabStallhygiene)
    p->focusDate();
}
void TLapiroStamm::rebuildYoungAnimalRows() {
  // A hidden tab is rebuilt when it is shown next.
  if (const CardPage* p = contributed(TabZuchtbuch); p && p->rebuildYoungRows && p->widget && p->widget->isVisible())
    p->rebuildYoungRows();
}

void TLapiroStamm::showCurrentRecord() {
  newRecord = false;
  refreshCard(false);
}

void TLapiroStamm::focusCurrentTab() {
  // The tab-dependent focus after a search or a double-click.
  if (tabs_->currentIndex() == TabStammdaten) showStammdaten();
  if (tabs_->currentIndex() == TabStammbaum) showPedigree();
}

void TLapiroStamm::selectMasterDataTab() { tabs_->setCurrentIndex(TabStammdaten); }

TLapiroStamm* cardOf(shell::ui::Host& host) { return qobject_cast<TLapiroStamm*>(host.cardWidget()); }

void TLapiroStamm::setWoolTabVisible(bool visible) { tabs_->setTabVisible(TabLeistungsnachweis, visible); }

void TLapiroStamm::refreshColourBox() {
  colourBoxBreed_ = -1;
  if (!loading_) loadFields();
}

void TLapiroStamm::setColourBoxEnabled(bool enabled) { farbe_->setEnabled(enabled && controller_.hasAnimal()); }

void TLapiroStamm::setPictureHint(const QString& hint) {
  // The current picture's path is the hint of the gallery's path label; the master-data box
  // shows the representative picture instead.
  if (galerie_) galerie_->setPathHint(hint);
}

}  // namespace lapiro::card::ui
