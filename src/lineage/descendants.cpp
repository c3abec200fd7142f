#include "lineage/descendants.h"

#include "store/ancestor_box_text.h"
#include "store/data_module.h"

#include <QHash>
#include <QRegularExpression>

namespace lapiro::lineage {

using engine::Cursor;

QString sexDisplay(const QString& geschlecht) {
  if (geschlecht == u"1") return QStringLiteral("Rammler 1.0");
  if (geschlecht == u"2") return QStringLiteral("Häsin 0.1");
  return {};
}

namespace {

// Names by number from one lookup table, each read once per list.
class NameCache {
 public:
  NameCache(Cursor* c, QString key) : c_(c), key_(std::move(key)) {}
  QString name(qint64 n, const QString& field, const QString& second = {}) {
    if (!c_ || !c_->isOpen() || n == 0) return {};
    auto it = names_.constFind(n);
    if (it != names_.constEnd()) return *it;
    QString text = c_->lookup(key_, {QVariant(n)}, field).toString().trimmed();
    if (!second.isEmpty() && !text.isEmpty())
      text = store::personName(text, c_->lookup(key_, {QVariant(n)}, second).toString().trimmed());
    names_.insert(n, text);
    return text;
  }

 private:
  Cursor* c_;
  QString key_;
  QHash<qint64, QString> names_;
};

QString tattooText(const QString& rechts, const QString& links) { return rechts + QStringLiteral("  ") + links; }

}  // namespace

std::vector<OffspringRow> readDirectOffspring(store::TDatenStamm& dm, qint64 parent, bool buck) {
  std::vector<OffspringRow> rows;
  const QString table = dm.Hasen().tableName();
  Cursor c(dm.Hasen().engine(), QStringLiteral("Nachkommen"));
  c.setTableName(table);
  c.setReadOnly(true);
  c.open();
  c.setIndexName(buck ? QStringLiteral("IdxVater") : QStringLiteral("IdxMutter"));
  c.setRange({QVariant(parent)}, {QVariant(parent)});

  NameCache breeds(dm.cursor(QStringLiteral("StbRasse")), QStringLiteral("Nummer"));
  NameCache colours(dm.cursor(QStringLiteral("StbFarbe")), QStringLiteral("Nummer"));
  NameCache people(dm.cursor(QStringLiteral("Adressen")), QStringLiteral("LaufendeNr"));
  QHash<qint64, QString> parents;
  Cursor* stb = dm.cursor(QStringLiteral("Vater"));
  auto parentText = [&](qint64 n) -> QString {
    if (n == 0) return {};
    auto it = parents.constFind(n);
    if (it != parents.constEnd()) return *it;
    QString text;
    if (stb && stb->isOpen()) {
      const QVariant r = stb->lookup(QStringLiteral("Nummer"), {QVariant(n)}, QStringLiteral("TatoRechts"));
      if (r.isValid())
        text = tattooText(r.toString(),
                          stb->lookup(QStringLiteral("Nummer"), {QVariant(n)}, QStringLiteral("TatoLinks")).toString());
    }
    parents.insert(n, text);
    return text;
  };

  for (c.first(); !c.eof() && c.hasRecord(); c.next()) {
    OffspringRow r;
    auto text = [&](const QString& f) { return c.field(f).asString(); };
    auto number = [&](const QString& f) { return c.field(f).asInteger(); };
    r.nummer = number(QStringLiteral("Nummer"));
    r.tatoRechts = text(QStringLiteral("TatoRechts"));
    r.tatoLinks = text(QStringLiteral("TatoLinks"));
    r.geschlecht = sexDisplay(text(QStringLiteral("Geschlecht")));
    r.rasse = breeds.name(number(QStringLiteral("Rasse")), QStringLiteral("Name"));
    r.farbe = colours.name(number(QStringLiteral("Farbe")), QStringLiteral("Name"));
    r.vater = parentText(number(QStringLiteral("Vater")));
    r.mutter = parentText(number(QStringLiteral("Mutter")));
    r.besitzer = people.name(number(QStringLiteral("Besitzer")), QStringLiteral("Name"), QStringLiteral("Vorname"));
    r.zuechter = people.name(number(QStringLiteral("Zuechter")), QStringLiteral("Name"), QStringLiteral("Vorname"));
    r.stallnummer = text(QStringLiteral("Stallnummer"));
    r.erbformel = text(QStringLiteral("Erbformel"));
    r.wurfgroesse = text(QStringLiteral("Wurfgroesse"));
    r.koernote = text(QStringLiteral("Körnote"));
    r.geburtstag = c.field(QStringLiteral("Geburtstag")).asDate();
    rows.push_back(std::move(r));
  }
  return rows;
}

QString treeNodeText(const QString& rechts, const QString& links, qint64 nummer) {
  return rechts + u' ' + links + QStringLiteral(" {") + QString::number(nummer) + u'}';
}

std::optional<qint64> nummerInNodeText(const QString& text) {
  static const QRegularExpression braces(QStringLiteral("\\{(\\d+)\\}"));
  const QRegularExpressionMatch m = braces.match(text);
  if (!m.hasMatch()) return std::nullopt;
  bool ok = false;
  const qint64 n = m.captured(1).toLongLong(&ok);
  return ok ? std::optional<qint64>(n) : std::nullopt;
}

QStringList descendantInfoText(store::TDatenStamm& dm, qint64 nummer) {
  qint64 vater = 0;
  qint64 mutter = 0;
  QStringList box = dm.ancestorBoxText(nummer, dm.settings().AnzeigeReihenfolge, &vater, &mutter);
  if (box.isEmpty()) return {};
  QStringList info{box.front()};
  Cursor* parents = dm.cursor(QStringLiteral("Vater"));
  auto parentLine = [&](const QString& label, qint64 n) {
    if (n == 0 || !parents || !parents->isOpen()) return;
    const QVariant r = parents->lookup(QStringLiteral("Nummer"), {QVariant(n)}, QStringLiteral("TatoRechts"));
    if (!r.isValid()) return;
    info << label + r.toString() + u' ' +
                parents->lookup(QStringLiteral("Nummer"), {QVariant(n)}, QStringLiteral("TatoLinks")).toString();
  };
  parentLine(QStringLiteral("Mutter: "), mutter);
  parentLine(QStringLiteral("Vater: "), vater);
  info << box.mid(1);
  return info;
}

// ------------------------------------------------------------------ the tree

TDescendantTree::TDescendantTree(engine::Engine& engine, const QString& hasenTable)
    : lookup_(engine, QStringLiteral("NachkommenSuche")),
      byFather_(engine, QStringLiteral("NachkommenVater")),
      byMother_(engine, QStringLiteral("NachkommenMutter")) {
  for (Cursor* c : {&lookup_, &byFather_, &byMother_}) {
    c->setTableName(hasenTable);
    c->setReadOnly(true);
  }
  byFather_.setIndexFieldNames(QStringLiteral("Vater;Geburtstag;TatoRechts;TatoLinks"));
  byMother_.setIndexFieldNames(QStringLiteral("Mutter;Geburtstag;TatoRechts;TatoLinks"));
}

std::optional<TDescendantTree::Head> TDescendantTree::head(qint64 nummer) {
  if (!lookup_.isOpen()) lookup_.open();
  if (nummer <= 0 || !lookup_.findKey({QVariant(nummer)})) return std::nullopt;
  return Head{lookup_.field(QStringLiteral("TatoRechts")).asString(),
              lookup_.field(QStringLiteral("TatoLinks")).asString(),
              lookup_.field(QStringLiteral("Geschlecht")).asString()};
}

std::vector<std::pair<qint64, TDescendantTree::Head>> TDescendantTree::offspring(qint64 nummer,
                                                                                 const QString& geschlecht) {
  ++reads_;
  // Sex '1' (and '3' at the root) reads the father order; every other value the mother order.
  Cursor& c = geschlecht == u"1" || geschlecht == u"3" ? byFather_ : byMother_;
  if (!c.isOpen()) c.open();
  c.setRange({QVariant(nummer)}, {QVariant(nummer)});
  std::vector<std::pair<qint64, Head>> result;
  for (c.first(); !c.eof() && c.hasRecord(); c.next())
    result.push_back({c.field(QStringLiteral("Nummer")).asInteger(),
                      Head{c.field(QStringLiteral("TatoRechts")).asString(), c.field(QStringLiteral("TatoLinks")).asString(),
                           c.field(QStringLiteral("Geschlecht")).asString()}});
  return result;
}

std::unique_ptr<DescendantNode> TDescendantTree::child(DescendantNode* parent, qint64 nummer, const Head& h) {
  auto node = std::make_unique<DescendantNode>();
  node->text = treeNodeText(h.rechts, h.links, nummer);
  node->symbol = h.geschlecht == u"1" ? TreeSymbol::Buck : TreeSymbol::Doe;
  node->nummer = nummer;
  node->parent = parent;
  for (const DescendantNode* up = parent; up; up = up->parent)
    if (up->nummer == nummer) node->repeated = true;
  if (node->repeated) {
    node->text += QStringLiteral(" (wiederholt)");
  } else {
    auto placeholder = std::make_unique<DescendantNode>();
    placeholder->text = placeholderText();
    placeholder->parent = node.get();
    node->children.push_back(std::move(placeholder));
  }
  return node;
}

bool TDescendantTree::open(qint64 nummer) {
  root_.reset();
  const std::optional<Head> h = head(nummer);
  if (!h) return false;
  root_ = std::make_unique<DescendantNode>();
  root_->text = treeNodeText(h->rechts, h->links, nummer);
  root_->nummer = nummer;
  root_->symbol = h->geschlecht == u"1" || h->geschlecht == u"3" ? TreeSymbol::Buck : TreeSymbol::Doe;
  for (const auto& [n, head] : offspring(nummer, h->geschlecht)) root_->children.push_back(child(root_.get(), n, head));
  if (root_->children.empty()) {
    auto none = std::make_unique<DescendantNode>();
    none->text = noOffspringText();
    none->parent = root_.get();
    root_->children.push_back(std::move(none));
  }
  return true;
}

bool TDescendantTree::expand(DescendantNode* node) {
  if (!node || node == root_.get() || node->repeated || !node->pending()) return false;
  const std::optional<Head> h = head(node->nummer);
  if (!h) return false;
  const auto found = offspring(node->nummer, h->geschlecht == u"1" ? h->geschlecht : QStringLiteral("2"));
  if (found.empty()) {
    node->children.front()->text = noOffspringText();
    return true;
  }
  node->children.clear();
  for (const auto& [n, head] : found) node->children.push_back(child(node, n, head));
  return true;
}

}  // namespace lapiro::lineage
