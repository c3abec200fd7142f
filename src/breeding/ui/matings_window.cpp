#include "breeding/ui/matings_window.h"

#include "engine/cursor.h"
#include "reports/ui/report_preview.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "shell/ui/office_rule.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/ui/animal_search_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lapiro::breeding::ui {

namespace {

using Art = Knotenauswahl::Art;

const QColor kHellblau(0xBF, 0xDF, 0xFF);
const QColor kBlassgelb(0xFF, 0xFF, 0xC8);

QIcon symbol(const QString& text, const QColor& colour) {
  QPixmap pm(18, 18);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QFont f = p.font();
  f.setPixelSize(15);
  f.setBold(true);
  p.setFont(f);
  p.setPen(colour);
  p.drawText(pm.rect(), Qt::AlignCenter, text);
  return QIcon(pm);
}
QIcon maleIcon() { return symbol(QStringLiteral("♂"), QColor(0x20, 0x50, 0xc0)); }
QIcon femaleIcon() { return symbol(QStringLiteral("♀"), QColor(0xc0, 0x20, 0x40)); }
QIcon litterIcon() { return symbol(QStringLiteral("W"), QColor(0x60, 0x60, 0x60)); }
QIcon emptyIcon() { return symbol(QStringLiteral("–"), QColor(0x90, 0x90, 0x90)); }

QTreeWidgetItem* node(QTreeWidgetItem* parent, const QString& text, const QIcon& icon, const Knotenauswahl& a) {
  auto* item = new QTreeWidgetItem(parent, QStringList{text});
  item->setIcon(0, icon);
  item->setData(0, Qt::UserRole, QVariantList{static_cast<int>(a.art), a.partner, a.wurf, a.jungtier});
  item->setToolTip(0, text);
  return item;
}

QString zahl(int n) { return QStringLiteral("  ") + QString::number(n); }

QPointer<QMdiSubWindow> verpaarungWindow;
QPointer<TFormVerpaarung> verpaarungForm;

}  // namespace

TFormVerpaarung::TFormVerpaarung(engine::Engine& engine, Services services, QWidget* parent)
    : QWidget(parent), engine_(engine), services_(std::move(services)) {
  setObjectName(QStringLiteral("TFormVerpaarung"));
  setWindowTitle(QStringLiteral("Verpaarungen und Würfe"));
  symbol_ = new QLabel(this);
  zeile_ = new QLabel(this);
  QFont bold = zeile_->font();
  bold.setBold(true);
  zeile_->setFont(bold);
  auto* laden = new QPushButton(QStringLiteral("Kaninchen laden"), this);
  auto* header = new QHBoxLayout;
  header->addWidget(symbol_);
  header->addWidget(zeile_, 1);
  header->addWidget(laden);

  tree_ = new QTreeWidget;
  tree_->setObjectName(QStringLiteral("TreeView"));
  tree_->setHeaderHidden(true);
  tree_->setMinimumHeight(60);
  detail_ = new QWidget;
  auto* detailLayout = new QVBoxLayout(detail_);
  detailTitel_ = new QLabel(detail_);
  detailTitel_->setFont(bold);
  detailLayout->addWidget(detailTitel_);
  detailGrid_ = new QGridLayout;
  detailLayout->addLayout(detailGrid_);
  detailLayout->addStretch(1);
  auto* scroll = new QScrollArea;
  scroll->setWidget(detail_);
  scroll->setWidgetResizable(true);
  scroll->setMinimumHeight(100);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(tree_);
  split->addWidget(scroll);
  split->setChildrenCollapsible(false);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  split->setSizes({330, 220});

  auto* druck = new QPushButton(QStringLiteral("Druck"), this);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(druck);
  buttons->addWidget(hilfe);
  buttons->addWidget(zurueck);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header);
  layout->addWidget(split, 1);
  layout->addLayout(buttons);

  connect(laden, &QPushButton::clicked, this, [this] {
    if (!services_.searchAnimal) return;
    if (const auto nummer = services_.searchAnimal()) ladeTier(*nummer);
  });
  connect(druck, &QPushButton::clicked, this, [this] { DruckClick(); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHilfeVerpaarung);
  });
  // "Zurück" closes the window: in the work area that is the sub-window around the form (closing
  // the form alone would leave an empty frame).
  connect(zurueck, &QPushButton::clicked, this, [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      sub->close();
    else
      close();
  });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { knotenGewaehlt(item); });
}

QString TFormVerpaarung::tierZeile() const { return zeile_->text(); }

QString TFormVerpaarung::wert(const QString& label) const {
  for (const auto& [l, v] : werte_)
    if (l == label) return v;
  return {};
}

void TFormVerpaarung::ladeTier(qint64 nummer) {
  Verpaarungen v;
  try {
    v = ladeVerpaarungen(engine_, nummer, daten_.rammler);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  if (!v.gefunden) return;
  daten_ = std::move(v);
  zeile_->setText(daten_.tierZeile);
  symbol_->setPixmap((daten_.rammler ? maleIcon() : femaleIcon()).pixmap(18, 18));
  baueBaum();
}

void TFormVerpaarung::baueBaum() {
  bauen_ = true;
  tree_->clear();
  auto* root = new QTreeWidgetItem(tree_, QStringList{daten_.wurzelText});
  root->setIcon(0, daten_.rammler ? maleIcon() : femaleIcon());
  root->setData(0, Qt::UserRole, QVariantList{static_cast<int>(Art::Tier), -1, -1, -1});
  if (daten_.partner.empty()) node(root, QStringLiteral("Keine Verpaarungen vorhanden!"), emptyIcon(), {Art::KeineVerpaarungen});
  for (int pi = 0; pi < static_cast<int>(daten_.partner.size()); ++pi) {
    const Partner& p = daten_.partner[pi];
    QTreeWidgetItem* pn = node(root, p.text, daten_.rammler ? femaleIcon() : maleIcon(), {Art::Partner, pi});
    for (int wi = 0; wi < static_cast<int>(p.wuerfe.size()); ++wi) {
      const Wurf& w = p.wuerfe[wi];
      QTreeWidgetItem* wn = node(pn, datumText(w.tag), litterIcon(), {Art::Wurf, pi, wi});
      for (int ji = 0; ji < static_cast<int>(w.jungtiere.size()); ++ji) {
        const Jungtier& j = w.jungtiere[ji];
        node(wn, j.text, j.rammler() ? maleIcon() : femaleIcon(), {Art::Jungtier, pi, wi, ji});
      }
    }
  }
  root->setExpanded(true);
  bauen_ = false;
  tree_->setCurrentItem(root);
  knotenGewaehlt(root);
}

void TFormVerpaarung::knotenGewaehlt(QTreeWidgetItem* item) {
  if (bauen_ || !item) return;
  const QVariantList d = item->data(0, Qt::UserRole).toList();
  if (d.size() != 4) return;
  auswahl_ = {static_cast<Art>(d[0].toInt()), d[1].toInt(), d[2].toInt(), d[3].toInt()};
  std::vector<std::pair<QString, QString>> w;
  const Wurfstatistik& s = daten_.statistik;
  try {
    switch (auswahl_.art) {
      case Art::Tier: {
        w.emplace_back(QStringLiteral("Würfe:"), QString::number(s.wuerfe));
        for (const QString& line : daten_.proPartner) w.emplace_back(QStringLiteral("davon"), line);
        w.emplace_back(QStringLiteral("Junge:  Gesamt:"), zahl(s.junge));
        w.emplace_back(QStringLiteral("Durchschnitt pro Wurf:"), durchschnittText(s.junge, s.wuerfe));
        w.emplace_back(QStringLiteral("Wurfgröße:  maximal:"), zahl(s.maximal));
        w.emplace_back(QStringLiteral("minimal:"), zahl(s.minimal));
        w.emplace_back(QStringLiteral("Geschlecht:  Häsin:"), zahl(s.haesin));
        w.emplace_back(QStringLiteral("Rammler:"), zahl(s.rammler));
        w.emplace_back(QStringLiteral("gestorben:"), s.gestorben ? zahl(*s.gestorben) : QStringLiteral("  -"));
        w.emplace_back(QStringLiteral("Jungensterblichkeit:"), sterblichkeitText(s.gestorben, s.junge));
        zeigeSeite(QStringLiteral("Tier"), w, daten_.rammler);
        break;
      }
      case Art::KeineVerpaarungen:
        w.emplace_back(QStringLiteral("keine Daten vorhanden"), QString());
        zeigeSeite(QStringLiteral("leer"), w, daten_.rammler);
        break;
      case Art::Partner: {
        const Partner& p = daten_.partner.at(auswahl_.partner);
        const Wurfstatistik ps = partnerStatistik(engine_, daten_, p);
        w.emplace_back(QStringLiteral("Tier:"), QStringLiteral("  ") + p.anzeige);
        w.emplace_back(QStringLiteral("Name:"), QStringLiteral("  ") + p.tier.idCode);
        w.emplace_back(QStringLiteral("Gemeinsame Würfe:"), zahl(ps.wuerfe));
        w.emplace_back(QStringLiteral("Junge:  Gesamt:"), zahl(ps.junge));
        w.emplace_back(QStringLiteral("Durchschnitt pro Wurf:"), durchschnittText(ps.junge, ps.wuerfe));
        w.emplace_back(QStringLiteral("Wurfgröße:  maximal:"), zahl(ps.maximal));
        w.emplace_back(QStringLiteral("minimal:"), zahl(ps.minimal));
        w.emplace_back(QStringLiteral("Geschlecht:  Häsin:"), zahl(ps.haesin));
        w.emplace_back(QStringLiteral("Rammler:"), zahl(ps.rammler));
        w.emplace_back(QStringLiteral("verstorben:"), ps.gestorben ? zahl(*ps.gestorben) : QStringLiteral("  -"));
        w.emplace_back(QStringLiteral("Jungensterblichkeit:"), sterblichkeitText(ps.gestorben, ps.junge));
        w.emplace_back(QStringLiteral("Anomalien / Merkmale"), p.tier.anomalien);
        zeigeSeite(QStringLiteral("Partner"), w, !daten_.rammler);
        break;
      }
      case Art::Wurf: {
        const Partner& p = daten_.partner.at(auswahl_.partner);
        const Wurf& wu = p.wuerfe.at(auswahl_.wurf);
        const Wurfstatistik ws = wurfStatistik(engine_, daten_, p, wu);
        w.emplace_back(QStringLiteral("Tier:"), QStringLiteral("  ") + p.anzeige);
        w.emplace_back(QStringLiteral("Wurf vom:"), QStringLiteral("  ") + datumText(wu.tag));
        w.emplace_back(QStringLiteral("Junge:  lebend:"), zahl(ws.junge));
        w.emplace_back(QStringLiteral("Geschlecht:  Häsin:"), zahl(ws.haesin));
        w.emplace_back(QStringLiteral("Rammler:"), zahl(ws.rammler));
        w.emplace_back(QStringLiteral("verstorben:"), ws.gestorben ? zahl(*ws.gestorben) : QStringLiteral("-"));
        w.emplace_back(QStringLiteral("Jungensterblichkeit:"), sterblichkeitText(ws.gestorben, ws.junge));
        zeigeSeite(QStringLiteral("Wurf"), w, daten_.rammler);
        break;
      }
      case Art::Jungtier: {
        const Jungtier& j = daten_.partner.at(auswahl_.partner).wuerfe.at(auswahl_.wurf).jungtiere.at(auswahl_.jungtier);
        const TierDaten& t = j.tier;
        const QString two = QStringLiteral("  ");
        w.emplace_back(QStringLiteral("Jungtier:"), two + t.tattoo());
        w.emplace_back(QStringLiteral("Name:"), two + t.idCode);
        w.emplace_back(QStringLiteral("Rasse:"), two + t.rasse);
        w.emplace_back(QStringLiteral("Farbe:"), two + t.farbe);
        w.emplace_back(QStringLiteral("Körnote:"), two + (t.koernote ? QString::number(t.koernote) : QString()));
        w.emplace_back(QStringLiteral("Bewertung:"), two + t.bewertung);
        w.emplace_back(QStringLiteral("Besitzer:"), two + t.besitzer);
        w.emplace_back(QStringLiteral("Züchter:"), two + t.zuechter);
        w.emplace_back(QStringLiteral("verkauft:"), datumText(t.verkauft));
        w.emplace_back(QStringLiteral("geschl.:"), datumText(t.geschlachtet));
        w.emplace_back(QStringLiteral("gest.:"), datumText(t.gestorben));
        w.emplace_back(QStringLiteral("Anomalien / Merkmale"), t.anomalien);
        zeigeSeite(QStringLiteral("Jungtier"), w, j.rammler());
        break;
      }
    }
  } catch (const std::out_of_range&) {
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

void TFormVerpaarung::zeigeSeite(const QString& name, const std::vector<std::pair<QString, QString>>& werte, bool rammler) {
  seite_ = name;
  werte_ = werte;
  while (QLayoutItem* item = detailGrid_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  detailTitel_->setText(name);
  int row = 0;
  for (const auto& [label, value] : werte) {
    auto* caption = new QLabel(label, detail_);
    detailGrid_->addWidget(caption, row, 0, Qt::AlignTop);
    caption->show();
    if (name == u"leer") {
      ++row;
      continue;
    }
    QWidget* box;
    if (label.startsWith(QStringLiteral("Anomalien"))) {
      auto* memo = new QPlainTextEdit(value, detail_);
      memo->setReadOnly(true);
      memo->setMaximumHeight(70);
      box = memo;
    } else {
      auto* edit = new QLineEdit(value, detail_);
      edit->setReadOnly(true);
      edit->setCursorPosition(0);
      box = edit;
    }
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, rammler ? kHellblau : kBlassgelb);
    box->setPalette(pal);
    detailGrid_->addWidget(box, row, 1);
    box->show();
    ++row;
  }
  detailGrid_->setColumnStretch(1, 1);
}

void TFormVerpaarung::DruckClick() {
  if (!daten_.gefunden || !services_.preview) return;
  try {
    const Verpaarungsdruck d = verpaarungsdruck(engine_, daten_, auswahl_);
    services_.preview(this, TReportVerpaarung(d), TReportVerpaarung::rows(d));
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

void openVerpaarungenUndWuerfe(shell::ui::Host& main) {
  if (main.bringForward(verpaarungWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ShellSession& session = main.session();
  shell::ui::HostPointer owner(main);
  auto search = std::make_shared<QPointer<store::ui::TsuchenDlg>>();
  TFormVerpaarung::Services services;
  services.searchAnimal = [owner, search, &session]() -> std::optional<qint64> {
    if (!owner) return std::nullopt;
    if (!*search) *search = new store::ui::TsuchenDlg(session.engine(), owner.widget());
    if ((*search)->exec(store::SearchRequest{}) != QDialog::Accepted) return std::nullopt;
    return (*search)->chosenNummer();
  };
  services.showHelp = [owner](int topic) {
    if (owner) owner->showHelp(topic);
  };
  services.preview = [](QWidget* parent, const reports::Report& r, const reports::ReportDataSource& d) {
    reports::showReportPreview(parent, r, d);
  };
  auto* form = new TFormVerpaarung(session.engine(), services);
  verpaarungForm = form;
  if (store::TDatenStamm* dm = session.dataModule(); dm && dm->Hasen().isOpen() && dm->Hasen().hasRecord())
    form->ladeTier(dm->Hasen().field(QStringLiteral("Nummer")).asInteger());
  verpaarungWindow = main.openNormalWindow(form, QSize(820, 620));
}

void reloadVerpaarungen(qint64 nummer) {
  if (verpaarungForm) verpaarungForm->ladeTier(nummer);
}

}  // namespace lapiro::breeding::ui
