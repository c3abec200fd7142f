#include "lineage/ui/descendants_windows.h"

#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "lineage/descendants_report.h"
#include "reports/ui/report_preview.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lapiro::lineage::ui {

namespace {

constexpr int kHelpTopic = 26;
constexpr int kNodeRole = Qt::UserRole + 1;

QPointer<QMdiSubWindow> direktWindow;
QPointer<QMdiSubWindow> gesamtWindow;

// The tree's symbols: a blue tile "1.0" for a buck, a rose tile "0.1" for a doe and a grey
// dotted tile for "neu" and "Keine Nachkommen vorhanden".
QIcon symbol(TreeSymbol s) {
  static QIcon icons[3];
  QIcon& icon = icons[static_cast<int>(s)];
  if (!icon.isNull()) return icon;
  QPixmap pixmap(32, 20);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(QRectF(1, 1, 30, 18), 5, 5);
  const QColor colour = s == TreeSymbol::Buck ? QColor(0x2f, 0x5f, 0xa8)
                        : s == TreeSymbol::Doe ? QColor(0xc0, 0x4a, 0x7a)
                                               : QColor(0xb0, 0xb0, 0xb0);
  if (s == TreeSymbol::Placeholder) {
    p.setPen(QPen(colour, 1.5, Qt::DotLine));
    p.drawPath(path);
  } else {
    p.fillPath(path, colour);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 30, 18), Qt::AlignCenter, s == TreeSymbol::Buck ? QStringLiteral("1.0") : QStringLiteral("0.1"));
  }
  p.end();
  icon = QIcon(pixmap);
  return icon;
}

// Closes a window together with the child-window frame around it.
void closeWindow(QWidget* w) {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
    sub->close();
  else
    w->close();
}

QPushButton* button(const QString& text, QWidget* parent, const QString& hint = {}) {
  auto* b = new QPushButton(text, parent);
  if (!hint.isEmpty()) b->setToolTip(hint);
  return b;
}

}  // namespace

// ------------------------------------------------------------------ Nachkommen

TFormNachkommen::TFormNachkommen(store::TDatenStamm& dm, DescendantServices services, QWidget* parent)
    : QWidget(parent), dm_(dm), services_(std::move(services)) {
  setObjectName(QStringLiteral("TFormNachkommen"));
  setWindowTitle(QStringLiteral("Nachkommen"));
  setAttribute(Qt::WA_DeleteOnClose);
  engine::Cursor& h = dm_.Hasen();
  qint64 nummer = 0;
  QString name;
  if (h.isOpen() && h.hasRecord()) {
    nummer = h.field(QStringLiteral("Nummer")).asInteger();
    buck_ = h.field(QStringLiteral("Geschlecht")).asString() == u"1";
    name = h.field(QStringLiteral("Name")).asString();
  }
  heading_ = new QLabel(QStringLiteral("Kaninchen: ") + name, this);
  heading_->setObjectName(QStringLiteral("LabelKaninchen"));
  QFont bold = heading_->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() + 1);
  heading_->setFont(bold);

  if (nummer > 0) {
    try {
      rows_ = readDirectOffspring(dm_, nummer, buck_);
    } catch (const engine::EngineError&) {
      store::dialogs().error(store::messageText(11) + u' ' + h.tableName());
    }
  }

  const QStringList titles{QStringLiteral("Täto rechts"), QStringLiteral("Täto links"), QStringLiteral("Geschlecht"),
                           QStringLiteral("Rasse"),       QStringLiteral("Farbe"),      QStringLiteral("Vater"),
                           QStringLiteral("Mutter"),      QStringLiteral("Besitzer"),   QStringLiteral("Züchter"),
                           QStringLiteral("Stallnr."),    QStringLiteral("Erbformel"),  QStringLiteral("Wurfgröße"),
                           QStringLiteral("Körnote")};
  grid_ = new QTableWidget(static_cast<int>(rows_.size()), titles.size(), this);
  grid_->setObjectName(QStringLiteral("DBGridNachkommen"));
  grid_->setHorizontalHeaderLabels(titles);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->verticalHeader()->hide();
  grid_->setUpdatesEnabled(false);
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const OffspringRow& o = rows_[r];
    const QString cells[] = {o.tatoRechts, o.tatoLinks, o.geschlecht, o.rasse,       o.farbe,
                             o.vater,      o.mutter,    o.besitzer,   o.zuechter,    o.stallnummer,
                             o.erbformel,  o.wurfgroesse, o.koernote};
    for (int c = 0; c < titles.size(); ++c) grid_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  grid_->setUpdatesEnabled(true);
  // The column of the current animal itself tells nothing.
  grid_->setColumnHidden(5, buck_);
  grid_->setColumnHidden(6, !buck_);
  grid_->resizeColumnsToContents();
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { DBGridNachkommenDblClick(row); });

  auto* drucken = button(QStringLiteral("Drucken"), this);
  drucken->setObjectName(QStringLiteral("BitBtnDrucken"));
  auto* zurueck = button(QStringLiteral("&Zurück"), this, QStringLiteral("Ende"));
  zurueck->setObjectName(QStringLiteral("BitBtnZurueck"));
  auto* hilfe = button(QStringLiteral("&Hilfe"), this);
  connect(drucken, &QPushButton::clicked, this, [this] {
    if (services_.printList) services_.printList(this);
  });
  connect(zurueck, &QPushButton::clicked, this, [this] { closeWindow(this); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHelpTopic);
  });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(drucken);
  buttons->addStretch();
  buttons->addWidget(hilfe);
  buttons->addWidget(zurueck);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(grid_, 1);
  layout->addLayout(buttons);
  resize(760, 420);
}

void TFormNachkommen::DBGridNachkommenDblClick(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  const qint64 nummer = rows_[row].nummer;
  if (services_.gotoAnimal) services_.gotoAnimal(nummer);
  closeWindow(this);
}

// ------------------------------------------------------------------ Liste der Nachkommen

TFormListeNachkommen::TFormListeNachkommen(store::TDatenStamm& dm, DescendantServices services, QWidget* parent)
    : QWidget(parent), dm_(dm), services_(std::move(services)) {
  setObjectName(QStringLiteral("TFormListeNachkommen"));
  setWindowTitle(QStringLiteral("Liste der Nachkommen"));
  setAttribute(Qt::WA_DeleteOnClose);
  model_ = std::make_unique<TDescendantTree>(dm_.Hasen().engine(), dm_.Hasen().tableName());

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("TreeViewNachkommen"));
  tree_->setHeaderHidden(true);
  tree_->setIconSize(QSize(32, 20));
  info_ = new QPlainTextEdit(this);
  info_->setObjectName(QStringLiteral("MemoInfo"));
  info_->setReadOnly(true);
  auto* splitter = new QSplitter(this);
  splitter->addWidget(tree_);
  splitter->addWidget(info_);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);

  auto* zurueck = button(QStringLiteral("&Zurück"), this, QStringLiteral("Ende"));
  auto* hilfe = button(QStringLiteral("&Hilfe"), this);
  connect(zurueck, &QPushButton::clicked, this, [this] { closeWindow(this); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHelpTopic);
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(hilfe);
  buttons->addWidget(zurueck);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);
  resize(640, 440);

  connect(tree_, &QTreeWidget::itemExpanded, this, &TFormListeNachkommen::expandItem);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now, QTreeWidgetItem*) {
    if (!filling_) selectItem(now);
  });

  engine::Cursor& h = dm_.Hasen();
  if (!h.isOpen() || !h.hasRecord()) return;
  const qint64 nummer = h.field(QStringLiteral("Nummer")).asInteger();
  filling_ = true;
  try {
    if (model_->open(nummer)) {
      const DescendantNode& root = *model_->root();
      auto* item = new QTreeWidgetItem(tree_, QStringList{root.text});
      item->setIcon(0, symbol(root.symbol));
      item->setData(0, kNodeRole, QVariant::fromValue(static_cast<void*>(model_->root())));
      addChildren(item, root);
      item->setExpanded(true);
      // The last child and then the root: the tree starts scrolled to the top.
      if (item->childCount() > 0) tree_->setCurrentItem(item->child(item->childCount() - 1));
      tree_->setCurrentItem(item);
    }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  filling_ = false;
  showInfo(tree_->currentItem() ? tree_->currentItem()->text(0) : QString());
}

void TFormListeNachkommen::addChildren(QTreeWidgetItem* item, const DescendantNode& node) {
  for (const auto& child : node.children) {
    auto* c = new QTreeWidgetItem(item, QStringList{child->text});
    c->setIcon(0, symbol(child->symbol));
    c->setData(0, kNodeRole, QVariant::fromValue(static_cast<void*>(child.get())));
    if (!child->children.empty()) addChildren(c, *child);
    // Keep the window responsive while long lists of children are added.
    if (node.children.size() > 200) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

void TFormListeNachkommen::expandItem(QTreeWidgetItem* item) {
  if (!item || filling_) return;
  auto* node = static_cast<DescendantNode*>(item->data(0, kNodeRole).value<void*>());
  if (!node) return;
  showInfo(item->text(0));
  filling_ = true;
  try {
    if (model_->expand(node)) {
      qDeleteAll(item->takeChildren());
      addChildren(item, *node);
    }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  filling_ = false;
  tree_->setCurrentItem(item);
}

void TFormListeNachkommen::selectItem(QTreeWidgetItem* item) { showInfo(item ? item->text(0) : QString()); }

void TFormListeNachkommen::showInfo(const QString& nodeText) {
  const std::optional<qint64> nummer = nummerInNodeText(nodeText);
  const QStringList lines = nummer ? descendantInfoText(dm_, *nummer) : QStringList();
  info_->setPlainText(lines.join(u'\n'));
  info_->moveCursor(QTextCursor::Start);
}

// ------------------------------------------------------------------ opening

namespace {

// Saves a pending edit of the current animal; false when the save was refused.
bool settleCurrentAnimal(shell::ui::Host& main) {
  card::ui::TLapiroStamm* card = card::ui::cardOf(main);
  store::TDatenStamm* dm = main.session().dataModule();
  if (!card || !dm) return false;
  if (!card->finishFieldEntry()) return false;
  if (dm->Hasen().isEditing()) card->SpeichernClick();
  return !dm->Hasen().isEditing();
}

DescendantServices servicesFor(shell::ui::Host& main) {
  shell::ui::HostPointer owner(main);
  DescendantServices s;
  s.showHelp = [owner](int context) {
    if (owner) owner->showHelp(context);
  };
  s.gotoAnimal = [owner](qint64 nummer) {
    if (!owner) return;
    store::TDatenStamm* dm = owner->session().dataModule();
    card::ui::TLapiroStamm* card = card::ui::cardOf(*owner);
    if (!owner->showAnimal(nummer)) {
      // Not in the main list (its status filter): the card moves all the same.
      if (!dm || !dm->gotoAnimal(nummer)) return;
      if (card) card->refreshCard(true);
    }
    if (!card) return;
    if (card->tabs()->currentIndex() == card::ui::TLapiroStamm::TabStammdaten) card->showStammdaten();
    if (card->tabs()->currentIndex() == card::ui::TLapiroStamm::TabStammbaum) card->showPedigree();
  };
  return s;
}

template <class Window>
void openWindow(shell::ui::Host& main, QPointer<QMdiSubWindow>& slot, DescendantServices services) {
  if (main.bringForward(slot)) return;
  if (!settleCurrentAnimal(main)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  store::TDatenStamm* dm = main.session().dataModule();
  auto* window = new Window(*dm, std::move(services));
  // Wide enough for every column of the list.
  slot = main.openNormalWindow(window, window->sizeHint().expandedTo(QSize(900, 520)));
}

}  // namespace

void openDirekteNachkommen(shell::ui::Host& main) {
  DescendantServices services = servicesFor(main);
  shell::ui::HostPointer owner(main);
  services.printList = [owner](QWidget* parent) {
    auto* window = qobject_cast<TFormNachkommen*>(parent);
    if (!owner || !window) return;
    store::TDatenStamm* dm = owner->session().dataModule();
    engine::Cursor& h = dm->Hasen();
    OffspringParent p;
    p.buck = window->parentIsBuck();
    if (h.isOpen() && h.hasRecord()) {
      p.tatoRechts = h.field(QStringLiteral("TatoRechts")).asString();
      p.tatoLinks = h.field(QStringLiteral("TatoLinks")).asString();
      p.rasse = h.field(QStringLiteral("RasseAnzeige")).asString();
      p.farbe = h.field(QStringLiteral("FarbeAnzeige")).asString();
      p.geburtstag = h.field(QStringLiteral("Geburtstag")).asDate();
    }
    const shell::tsysteminfo& s = owner->session().settings();
    const reports::MemoryDataSource data = offspringReportData(window->rows(), p.buck);
    reports::showReportPreview(owner.widget(), TReportNachkommenliste(p, reports::ReportFont{s.Drucken.Schriftart, 0}), data);
  };
  openWindow<TFormNachkommen>(main, direktWindow, std::move(services));
}

void openGesamteNachkommen(shell::ui::Host& main) {
  openWindow<TFormListeNachkommen>(main, gesamtWindow, servicesFor(main));
}

}  // namespace lapiro::lineage::ui
