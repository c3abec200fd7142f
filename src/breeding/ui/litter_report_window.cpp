#include "breeding/ui/litter_report_window.h"

#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "reports/data_source.h"
#include "reports/ui/report_preview.h"
#include "shell/startup.h"
#include "shell/system_info.h"
#include "shell/ui/host.h"
#include "store/animal_rules.h"
#include "store/data_module.h"
#include "store/dialog_service.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lapiro::breeding::ui {

namespace {

struct FieldRef {
  const char16_t* name;
  QString TWurfmeldungDaten::*member;
};

const FieldRef kFields[] = {
    {u"Lfnr", &TWurfmeldungDaten::Lfnr},
    {u"MRasse", &TWurfmeldungDaten::MRasse},
    {u"MFarbe", &TWurfmeldungDaten::MFarbe},
    {u"MVereinstaeto", &TWurfmeldungDaten::MVereinstaeto},
    {u"MZuchtbuchtaeto", &TWurfmeldungDaten::MZuchtbuchtaeto},
    {u"MBesitzer", &TWurfmeldungDaten::MBesitzer},
    {u"MZuechter", &TWurfmeldungDaten::MZuechter},
    {u"WRasse", &TWurfmeldungDaten::WRasse},
    {u"WFarbe", &TWurfmeldungDaten::WFarbe},
    {u"WVereinstaeto", &TWurfmeldungDaten::WVereinstaeto},
    {u"WZuchtbuchtaeto", &TWurfmeldungDaten::WZuchtbuchtaeto},
    {u"WBesitzer", &TWurfmeldungDaten::WBesitzer},
    {u"WZuechter", &TWurfmeldungDaten::WZuechter},
    {u"GedAm", &TWurfmeldungDaten::GedAm},
    {u"Wurftag", &TWurfmeldungDaten::Wurftag},
    {u"Jungtiere", &TWurfmeldungDaten::Jungtiere},
    {u"WRammler", &TWurfmeldungDaten::WRammler},
    {u"WHaesinnen", &TWurfmeldungDaten::WHaesinnen},
    {u"Wtot", &TWurfmeldungDaten::Wtot},
    {u"DatumZuchtbuch", &TWurfmeldungDaten::DatumZuchtbuch},
};

}  // namespace

TformWurfmeldung::TformWurfmeldung(const TWurfmeldungDaten& d, Services services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
  setObjectName(QStringLiteral("TformWurfmeldung"));
  setWindowTitle(QStringLiteral("Jungtiermeldung"));
  setModal(true);
  for (const FieldRef& f : kFields) {
    auto* e = new QLineEdit(d.*(f.member), this);
    e->setObjectName(QString::fromUtf16(f.name));
  }
  jungtiere_ = field(QStringLiteral("Jungtiere"));
  jungtiere_->setReadOnly(true);
  auto e = [this](const char16_t* n) { return field(QString::fromUtf16(n)); };

  auto* heading = new QLabel(QStringLiteral("Wurfmeldung"), this);
  QFont hf = heading->font();
  hf.setPointSizeF(hf.pointSizeF() * 1.6);
  hf.setBold(true);
  heading->setFont(hf);

  auto* top = new QHBoxLayout;
  top->addWidget(heading);
  top->addStretch();
  top->addWidget(new QLabel(QStringLiteral("Laufende Nr.:"), this));
  e(u"Lfnr")->setFixedWidth(60);
  top->addWidget(e(u"Lfnr"));

  auto* parents = new QGridLayout;
  parents->addWidget(new QLabel(QStringLiteral("Der Rammler der Rasse:"), this), 0, 0);
  parents->addWidget(e(u"MRasse"), 0, 1);
  parents->addWidget(new QLabel(QStringLiteral("hat die Häsin der Rasse:"), this), 0, 2);
  parents->addWidget(e(u"WRasse"), 0, 3);
  const std::pair<QString, std::pair<const char16_t*, const char16_t*>> rows[] = {
      {QStringLiteral("Farbe:"), {u"MFarbe", u"WFarbe"}},
      {QStringLiteral("Vereinstäto"), {u"MVereinstaeto", u"WVereinstaeto"}},
      {QStringLiteral("Zuchtbuchtäto"), {u"MZuchtbuchtaeto", u"WZuchtbuchtaeto"}},
      {QStringLiteral("Besitzer:"), {u"MBesitzer", u"WBesitzer"}},
      {QStringLiteral("Züchter:"), {u"MZuechter", u"WZuechter"}}};
  int r = 1;
  for (const auto& [caption, names] : rows) {
    parents->addWidget(new QLabel(caption, this), r, 0);
    parents->addWidget(e(names.first), r, 1);
    parents->addWidget(new QLabel(caption, this), r, 2);
    parents->addWidget(e(names.second), r, 3);
    ++r;
  }

  auto* sentence = new QGridLayout;
  auto small = [&](const char16_t* n) {
    e(n)->setFixedWidth(46);
    return e(n);
  };
  sentence->addWidget(new QLabel(QStringLiteral("am"), this), 0, 0);
  e(u"GedAm")->setFixedWidth(90);
  sentence->addWidget(e(u"GedAm"), 0, 1);
  sentence->addWidget(new QLabel(QStringLiteral("mit Erfolg gedeckt."), this), 0, 2, 1, 2);
  sentence->addWidget(new QLabel(QStringLiteral("Wurftag:"), this), 0, 4);
  e(u"Wurftag")->setFixedWidth(90);
  sentence->addWidget(e(u"Wurftag"), 0, 5);
  sentence->addWidget(new QLabel(QStringLiteral("Es wurden insgesamt"), this), 1, 0);
  sentence->addWidget(small(u"Jungtiere"), 1, 1);
  sentence->addWidget(new QLabel(QStringLiteral("Jungtiere geworfen. Davon sind"), this), 1, 2);
  sentence->addWidget(small(u"WRammler"), 1, 3);
  sentence->addWidget(new QLabel(QStringLiteral("Rammler und"), this), 1, 4);
  sentence->addWidget(small(u"WHaesinnen"), 1, 5);
  sentence->addWidget(new QLabel(QStringLiteral("Häsinnen."), this), 1, 6);
  sentence->addWidget(small(u"Wtot"), 1, 7);
  sentence->addWidget(new QLabel(QStringLiteral("tot"), this), 1, 8);
  sentence->setColumnStretch(9, 1);
  for (const char16_t* n : {u"WRammler", u"WHaesinnen", u"Wtot"}) {
    QLineEdit* edit = e(n);
    connect(edit, &QLineEdit::textEdited, this, [this, edit] { figureChanged(edit); });
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
      QString error;
      if (!litterTotal(edit->text(), QStringLiteral("0"), QStringLiteral("0"), &error)) store::dialogs().error(error);
    });
  }

  grid_ = new QTableWidget(kWurfmeldungZeilen, 4, this);
  grid_->setObjectName(QStringLiteral("StringGrid1"));
  grid_->setHorizontalHeaderLabels(
      {QStringLiteral("Lfd.Nr:"), QStringLiteral("Geschlecht"), QStringLiteral("Vereinstäto"), QStringLiteral("Zuchtbuchtäto")});
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->horizontalHeader()->setStretchLastSection(true);
  for (int i = 0; i < kWurfmeldungZeilen; ++i) {
    grid_->setItem(i, 0, new QTableWidgetItem(QString::number(i + 1)));
    grid_->setItem(i, 1, new QTableWidgetItem(d.zeilen[i].geschlecht));
    grid_->setItem(i, 2, new QTableWidgetItem(d.zeilen[i].vereinstaeto));
    grid_->setItem(i, 3, new QTableWidgetItem(d.zeilen[i].zuchtbuchtaeto));
  }
  grid_->setColumnWidth(0, 50);
  grid_->setColumnWidth(1, 110);
  grid_->setColumnWidth(2, 110);
  connect(grid_, &QTableWidget::cellChanged, this, [this] { runCheck(); });

  auto* footer = new QHBoxLayout;
  footer->addWidget(new QLabel(QStringLiteral("Eingetragen ins Zuchtbuch am:"), this));
  e(u"DatumZuchtbuch")->setFixedWidth(90);
  footer->addWidget(e(u"DatumZuchtbuch"));
  footer->addStretch();

  auto* checkBox = new QGroupBox(QStringLiteral("Vorprüfung für das Zuchtbuch"), this);
  auto* cl = new QVBoxLayout(checkBox);
  check_ = new QListWidget(checkBox);
  check_->setObjectName(QStringLiteral("ListeVorpruefung"));
  check_->setWordWrap(true);
  check_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  check_->setMinimumWidth(220);
  check_->setToolTip(QStringLiteral("Was der Zuchtbuchführer beanstanden würde; das Drucken bleibt möglich."));
  cl->addWidget(check_);
  for (const FieldRef& f : kFields)
    connect(field(QString::fromUtf16(f.name)), &QLineEdit::textChanged, this, [this] { runCheck(); });

  auto* buttons = new QHBoxLayout;
  auto button = [&](const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, this);
    b->setToolTip(hint);
    buttons->addWidget(b);
    return b;
  };
  QPushButton* drucken = button(QStringLiteral("&Drucken"), QStringLiteral("Wurfmeldung Drucken"));
  QPushButton* vorschau = button(QStringLiteral("&Druckvorschau"), QStringLiteral("Startet die Druckvorschau"));
  QPushButton* zurueck = button(QStringLiteral("&Zurück"), QStringLiteral("Abbruch der Wurfmeldung"));
  QPushButton* hilfe = button(QStringLiteral("&Hilfe"), {});
  buttons->addStretch();
  connect(drucken, &QPushButton::clicked, this, [this] { DruckenClick(); });
  connect(vorschau, &QPushButton::clicked, this, [this] { DruckvorschauClick(); });
  connect(zurueck, &QPushButton::clicked, this, &QDialog::reject);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHilfeWurfmeldung);
  });

  auto* left = new QVBoxLayout;
  left->addLayout(top);
  left->addLayout(parents);
  left->addLayout(sentence);
  left->addWidget(grid_, 1);
  left->addLayout(footer);
  auto* main = new QHBoxLayout;
  main->addLayout(left, 3);
  main->addWidget(checkBox, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(main, 1);
  outer->addLayout(buttons);
  resize(980, 640);
  runCheck();
}

QLineEdit* TformWurfmeldung::field(const QString& name) const { return findChild<QLineEdit*>(name); }

TWurfmeldungDaten TformWurfmeldung::contents() const {
  TWurfmeldungDaten d;
  for (const FieldRef& f : kFields) d.*(f.member) = field(QString::fromUtf16(f.name))->text();
  for (int i = 0; i < kWurfmeldungZeilen; ++i) {
    auto text = [&](int c) { return grid_->item(i, c) ? grid_->item(i, c)->text() : QString(); };
    d.zeilen[i] = {text(1), text(2), text(3)};
  }
  return d;
}

void TformWurfmeldung::figureChanged(QLineEdit*) {
  const std::optional<int> total = litterTotal(field(QStringLiteral("WRammler"))->text(), field(QStringLiteral("WHaesinnen"))->text(),
                                               field(QStringLiteral("Wtot"))->text(), nullptr);
  if (total) jungtiere_->setText(QString::number(*total));
}

void TformWurfmeldung::runCheck() {
  if (!check_ || !grid_) return;
  check_->clear();
  const QStringList problems = herdBookPreCheck(contents());
  if (problems.isEmpty()) {
    check_->addItem(QStringLiteral("Keine Beanstandungen."));
    return;
  }
  for (const QString& p : problems) {
    auto* item = new QListWidgetItem(p, check_);
    item->setForeground(QColor(170, 0, 0));
  }
}

void TformWurfmeldung::DruckenClick() {
  if (!services_.print) return;
  const TWurfmeldungDaten d = contents();
  if (services_.print(this, TReportWurfmeldung(d), false)) {
    if (services_.printed) services_.printed(d);
    accept();
  }
}

void TformWurfmeldung::DruckvorschauClick() {
  if (services_.print) services_.print(this, TReportWurfmeldung(contents()), true);
}

void openWurfmeldung(shell::ui::Host& main) {
  shell::ShellSession& session = main.session();
  store::TDatenStamm* dm = session.dataModule();
  if (!dm || !dm->Hasen().isOpen() || !dm->Hasen().hasRecord()) return;
  if (dm->Hasen().isEditing() && card::ui::cardOf(main)) card::ui::cardOf(main)->SpeichernClick();
  engine::Cursor& w = dm->at(QStringLiteral("Wurfbuch"));
  if (w.isOpen() && w.isEditing()) {
    try {
      w.post();
    } catch (const engine::Abort&) {
    } catch (const engine::EngineError& e) {
      store::dialogs().error(e.message());
      return;
    }
  }
  if (dm->Hasen().field(QStringLiteral("Geschlecht")).asString() != QStringLiteral("2")) return;
  shell::tsysteminfo& settings = session.settings();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TWurfmeldungDaten daten;
  try {
    daten = fillWurfmeldung(*dm, settings.Stammdaten.LfNrWurfmeldung, dm->today());
  } catch (const engine::EngineError& e) {
    QApplication::restoreOverrideCursor();
    store::dialogs().error(e.message());
    return;
  }
  QApplication::restoreOverrideCursor();
  shell::ui::HostPointer owner(main);
  TformWurfmeldung::Services services;
  services.print = [](QWidget* parent, const reports::Report& report, bool preview) {
    const reports::MemoryDataSource one(std::vector<QVariantMap>{QVariantMap{}});
    if (preview) {
      reports::showReportPreview(parent, report, one);
      return false;
    }
    return reports::printReport(parent, report, one);
  };
  services.showHelp = [owner](int topic) {
    if (owner) owner->showHelp(topic);
  };
  // A printed report uses its running number: the next report gets the following one.
  services.printed = [&session, &settings](const TWurfmeldungDaten& printed) {
    bool ok = false;
    const int used = printed.Lfnr.trimmed().toInt(&ok);
    settings.Stammdaten.LfNrWurfmeldung = (ok ? used : settings.Stammdaten.LfNrWurfmeldung) + 1;
    session.saveSettingsFile();
  };
  TformWurfmeldung window(daten, services, main.widget());
  window.exec();
}

}  // namespace lapiro::breeding::ui
