#include "contacts/ui/register_windows.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/system_info.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::contacts::ui {

using shell::ui::OfficeWindow;
using shell::ui::Host;

// ---------------------------------------------------------------- search dialog

TFormSucheZuechter::TFormSucheZuechter(engine::Engine& engine, std::function<void(int)> showHelp, QWidget* parent)
    : QDialog(parent), result_(engine, QStringLiteral("ZuechterSuche")), showHelp_(std::move(showHelp)) {
  setWindowTitle(QStringLiteral("Suche im Züchterregister"));
  auto* form = new QGridLayout;
  const QString captions[5] = {QStringLiteral("&Vereinsnr."), QStringLiteral("Z&üchter"), QStringLiteral("&PLZ"),
                               QStringLiteral("&Ort"), QStringLiteral("R&asse")};
  const int lengths[5] = {30, 40, 5, 30, 40};
  for (int i = 0; i < 5; ++i) {
    boxes_[i] = new QLineEdit(this);
    boxes_[i]->setMaxLength(lengths[i]);
    auto* label = new QLabel(captions[i], this);
    label->setBuddy(boxes_[i]);
    form->addWidget(label, i, 0);
    form->addWidget(boxes_[i], i, 1);
  }
  auto* buttons = new QVBoxLayout;
  auto* suchen = new QPushButton(QStringLiteral("&Suchen"), this);
  suchen->setDefault(true);
  connect(suchen, &QPushButton::clicked, this, &TFormSucheZuechter::SuchenClick);
  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  connect(ok, &QPushButton::clicked, this, &TFormSucheZuechter::OKClick);
  auto* abbruch = new QPushButton(QStringLiteral("&Abbruch"), this);
  connect(abbruch, &QPushButton::clicked, this, &QDialog::reject);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (showHelp_) showHelp_(kHilfeZuechterSuche);
  });
  for (QPushButton* b : {suchen, ok, abbruch, hilfe}) buttons->addWidget(b);
  buttons->addStretch();

  list_ = new QTableView(this);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->verticalHeader()->setDefaultSectionSize(22);
  model_ = std::make_unique<engine::CursorModel>(&result_);
  model_->setColumns({{QStringLiteral("Zwinger"), QStringLiteral("Vereinsnr."), 10},
                      {QStringLiteral("Rasse"), QStringLiteral("Rasse"), 16},
                      {QStringLiteral("Züchter"), QStringLiteral("Züchter"), 18},
                      {QStringLiteral("Strasse"), QStringLiteral("Straße"), 16},
                      {QStringLiteral("PLZ"), QStringLiteral("PLZ"), 6},
                      {QStringLiteral("Ort"), QStringLiteral("Ort"), 14},
                      {QStringLiteral("Land"), QStringLiteral("Land"), 8},
                      {QStringLiteral("Verein"), QStringLiteral("Verein"), 18},
                      {QStringLiteral("Zuchtfarbe"), QStringLiteral("Zuchtfarbe"), 16}});
  list_->setModel(model_.get());
  for (int i = 0; i < model_->columnCount(); ++i) list_->setColumnWidth(i, model_->columns()[i].width * 7 + 12);
  connect(list_, &QTableView::clicked, this, [this](const QModelIndex& i) { model_->moveTo(i.row()); });
  connect(list_, &QTableView::doubleClicked, this, &TFormSucheZuechter::ListDblClick);
  list_->hide();

  auto* top = new QHBoxLayout;
  top->addLayout(form, 1);
  top->addLayout(buttons);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addWidget(list_, 1);
}

TFormSucheZuechter::~TFormSucheZuechter() { model_->setDataSet(nullptr); }

RegisterSearchBoxes TFormSucheZuechter::boxes() const {
  return {boxes_[0]->text(), boxes_[1]->text(), boxes_[2]->text(), boxes_[3]->text(), boxes_[4]->text()};
}

void TFormSucheZuechter::setBoxes(const RegisterSearchBoxes& b) {
  boxes_[0]->setText(b.zwinger);
  boxes_[1]->setText(b.zuechter);
  boxes_[2]->setText(b.plz);
  boxes_[3]->setText(b.ort);
  boxes_[4]->setText(b.rasse);
}

bool TFormSucheZuechter::listShown() const { return !list_->isHidden(); }

void TFormSucheZuechter::showList(bool shown) {
  list_->setVisible(shown);
  resize(shown ? QSize(900, 480) : QSize(420, 200));
}

void TFormSucheZuechter::prepareForShow() {
  for (QLineEdit* b : boxes_) b->clear();
  result_.close();
  haveResult_ = false;
  chosen_.reset();
  showList(false);
  boxes_[0]->setFocus();
}

void TFormSucheZuechter::SuchenClick() {
  if (listShown()) {
    showList(false);
    return;
  }
  qint64 n = 0;
  try {
    n = runRegisterSearch(result_, boxes());
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  haveResult_ = n > 0;
  if (n == 0) {
    store::dialogs().warn(store::messageText(kMeldungKeinZuechter));
  } else if (n == 1) {
    result_.first();
    setBoxes(boxesFromRegisterRow(result_));
  } else {
    result_.first();
    showList(true);
    list_->selectRow(0);
    list_->setFocus();
  }
}

void TFormSucheZuechter::ListDblClick(const QModelIndex& index) {
  if (!index.isValid()) return;
  model_->moveTo(index.row());
  setBoxes(boxesFromRegisterRow(result_));
  showList(false);
}

void TFormSucheZuechter::OKClick() {
  chosen_.reset();
  if (haveResult_ && result_.isOpen() && result_.hasRecord())
    chosen_ = result_.field(QStringLiteral("LaufendeNummer")).asInteger();
  result_.close();
  haveResult_ = false;
  accept();
}

// ---------------------------------------------------------------- common part

void TRegisterWindowBase::addContactCommands(int homepageRow) {
  addCommand(QStringLiteral("E-Mail schreiben"), [this] { EMailClick(); });
  homepage_ = new QLabel(this);
  homepage_->setTextFormat(Qt::RichText);
  homepage_->setToolTip(QStringLiteral("Homepage aufrufen"));
  connect(homepage_, &QLabel::linkActivated, this, [](const QString& link) {
    const QString url = homepageUrl(link);
    if (!url.isEmpty()) QDesktopServices::openUrl(QUrl(url));
  });
  fieldsGrid()->addWidget(homepage_, homepageRow, 1, 1, 3);
}

void TRegisterWindowBase::EMailClick() {
  if (!cursor().isOpen() || !(cursor().hasRecord() || cursor().isEditing())) return;
  QDesktopServices::openUrl(QUrl(mailUrl(cursor().field(QStringLiteral("EMail")).asString())));
}

void TRegisterWindowBase::fillFromRecord() {
  TRecordWindow::fillFromRecord();
  if (!homepage_ || !cursor().isOpen()) return;
  const bool has = cursor().hasRecord() || cursor().isEditing();
  const QString text = has ? cursor().field(QStringLiteral("Homepage")).asString().trimmed() : QString();
  // A single blank while there is no homepage.
  homepage_->setText(text.isEmpty() ? QStringLiteral(" ")
                                    : QStringLiteral("<a href=\"%1\">%2</a>").arg(text.toHtmlEscaped(), text.toHtmlEscaped()));
}

// ---------------------------------------------------------------- register

TFormZuechterregister::TFormZuechterregister(engine::Engine& engine, std::function<bool()> speichernOhneFrage,
                                             std::function<void(int)> showHelp, QWidget* parent)
    : TRegisterWindowBase(engine, QStringLiteral("Züchterregister"), std::move(speichernOhneFrage), showHelp, parent),
      search_(std::make_unique<TFormSucheZuechter>(engine, showHelp, this)) {
  setObjectName(QStringLiteral("TFormZuechterregister"));
  configureRegisterCursor(cursor());
  if (!openTable(QStringLiteral("ZWINGREG"))) return;
  int row = 0;
  addBox(QStringLiteral("Vereinsnr."), QStringLiteral("Zwinger"), 30, row++);
  addBox(QStringLiteral("Rasse"), QStringLiteral("Rasse"), 40, row++, 0, 3);
  addBox(QStringLiteral("Zuchtfarbe"), QStringLiteral("Zuchtfarbe"), 255, row++, 0, 3);
  addBox(QStringLiteral("Züchter"), QStringLiteral("Züchter"), 40, row++, 0, 3);
  addBox(QStringLiteral("Straße"), QStringLiteral("Strasse"), 40, row++, 0, 3);
  addBoxPair(QStringLiteral("Ort"), QStringLiteral("PLZ"), 5, 70, QStringLiteral("Ort"), 30, row++);
  addBox(QStringLiteral("Land"), QStringLiteral("Land"), 15, row++);
  addBox(QStringLiteral("Verein"), QStringLiteral("Verein"), 50, row++, 0, 3);
  addBox(QStringLiteral("Telefon"), QStringLiteral("Telefon"), 25, row);
  addBox(QStringLiteral("Telefax"), QStringLiteral("Telefax"), 25, row++, 2);
  addBox(QStringLiteral("Handy"), QStringLiteral("Handy"), 20, row++);
  addBox(QStringLiteral("E-Mail"), QStringLiteral("EMail"), 40, row++, 0, 3);
  addBox(QStringLiteral("Homepage"), QStringLiteral("Homepage"), 60, row++, 0, 3);
  addContactCommands(row++);
  fieldsGrid()->setColumnStretch(1, 1);
  fieldsGrid()->setColumnStretch(3, 1);

  addCommand(QStringLiteral("&Suche"), [this] { SucheClick(); });
  sort_ = new QComboBox(this);
  sort_->setToolTip(QStringLiteral("Sortierreihenfolge bestimmen"));
  for (const RegisterOrder& o : registerOrders()) sort_->addItem(o.caption);
  connect(sort_, &QComboBox::activated, this, &TFormZuechterregister::SortChange);
  commandColumn()->addWidget(new QLabel(QStringLiteral("Sortierung nach"), this));
  commandColumn()->addWidget(sort_);

  buildFrame({{QStringLiteral("Zwinger"), QStringLiteral("Vereinsnr."), 10},
              {QStringLiteral("Rasse"), QStringLiteral("Rasse"), 18},
              {QStringLiteral("Züchter"), QStringLiteral("Züchter"), 20},
              {QStringLiteral("Strasse"), QStringLiteral("Straße"), 18},
              {QStringLiteral("PLZ"), QStringLiteral("PLZ"), 6},
              {QStringLiteral("Ort"), QStringLiteral("Ort"), 16},
              {QStringLiteral("Land"), QStringLiteral("Land"), 8},
              {QStringLiteral("Verein"), QStringLiteral("Verein"), 20},
              {QStringLiteral("Telefon"), QStringLiteral("Telefon"), 14},
              {QStringLiteral("EMail"), QStringLiteral("E-Mail"), 20},
              {QStringLiteral("Zuchtfarbe"), QStringLiteral("Zuchtfarbe"), 20}},
             QStringLiteral("Zwinger"), kHilfeZuechterregister);
}

void TFormZuechterregister::SortChange(int index) {
  if (!cursor().isOpen() || index < 0 || index >= static_cast<int>(registerOrders().size())) return;
  guarded([&] {
    cursor().checkBrowseMode();
    cursor().setIndexName(registerOrders()[index].index);
  });
  fillFromRecord();
}

bool TFormZuechterregister::gotoBreeder(qint64 laufendeNummer) {
  bool found = false;
  guarded([&] {
    cursor().checkBrowseMode();
    found = cursor().locate(QStringLiteral("LaufendeNummer"), {laufendeNummer});
  });
  fillFromRecord();
  return found;
}

void TFormZuechterregister::SucheClick() {
  if (!cursor().isOpen() || !savePending()) return;
  search_->prepareForShow();
  if (search_->exec() == QDialog::Accepted)
    if (const std::optional<qint64> nr = search_->chosenNumber()) gotoBreeder(*nr);
}

// ---------------------------------------------------------------- clubs

TFormVereine::TFormVereine(engine::Engine& engine, std::function<bool()> speichernOhneFrage,
                           std::function<void(int)> showHelp, QWidget* parent)
    : TRegisterWindowBase(engine, QStringLiteral("Vereine"), std::move(speichernOhneFrage), std::move(showHelp),
                          parent) {
  setObjectName(QStringLiteral("TFormVereine"));
  configureClubCursor(cursor());
  if (!openTable(QStringLiteral("VEREINE"))) return;
  int row = 0;
  addBox(QStringLiteral("&Verein"), QStringLiteral("Verein"), 50, row++, 0, 3);
  addBox(QStringLiteral("&Straße"), QStringLiteral("Strasse"), 50, row++, 0, 3);
  addBoxPair(QStringLiteral("&Ort"), QStringLiteral("Plz"), 5, 70, QStringLiteral("Ort"), 50, row++);
  addBox(QStringLiteral("&Land"), QStringLiteral("Land"), 30, row++);
  addBox(QStringLiteral("&Telefon"), QStringLiteral("Telefon"), 30, row);
  addBox(QStringLiteral("T&elefax"), QStringLiteral("Telefax"), 30, row++, 2);
  addBox(QStringLiteral("&Ansprechpartner"), QStringLiteral("Ansprechpartner"), 50, row++, 0, 3);
  addBox(QStringLiteral("&E-Mail"), QStringLiteral("EMail"), 40, row++, 0, 3);
  addBox(QStringLiteral("&Homepage"), QStringLiteral("Homepage"), 60, row++, 0, 3);
  addContactCommands(row++);
  fieldsGrid()->setColumnStretch(1, 1);
  fieldsGrid()->setColumnStretch(3, 1);
  buildFrame({{QStringLiteral("Verein"), QStringLiteral("Verein"), 25},
              {QStringLiteral("Strasse"), QStringLiteral("Straße"), 20},
              {QStringLiteral("Plz"), QStringLiteral("PLZ"), 6},
              {QStringLiteral("Ort"), QStringLiteral("Ort"), 16},
              {QStringLiteral("Land"), QStringLiteral("Land"), 10},
              {QStringLiteral("Telefon"), QStringLiteral("Telefon"), 14},
              {QStringLiteral("Ansprechpartner"), QStringLiteral("Ansprechpartner"), 20},
              {QStringLiteral("EMail"), QStringLiteral("E-Mail"), 20}},
             QStringLiteral("Verein"), kHilfeVereine);
}

// ---------------------------------------------------------------- opening

namespace {

template <typename Window>
void openOffice(Host& main, OfficeWindow which) {
  main.openOffice(which, [&main]() -> QWidget* {
    shell::ShellSession& session = main.session();
    shell::ui::HostPointer owner(main);
    shell::tsysteminfo* settings = &session.settings();
    auto* window = new Window(
        session.engine(), [settings] { return settings->System.Speichern; },
        [owner](int topic) {
          if (owner) owner->showHelp(topic);
        });
    if (window->isUsable()) return window;
    delete window;
    return nullptr;
  });
}

}  // namespace

void openZuechterregister(Host& main) {
  openOffice<TFormZuechterregister>(main, OfficeWindow::Zuechterregister);
}

void openVereine(Host& main) { openOffice<TFormVereine>(main, OfficeWindow::Vereine); }

}  // namespace lapiro::contacts::ui
