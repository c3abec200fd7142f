// Descendants of an animal without widgets: the rows of the direct-offspring list
// "Nachkommen" and the tree of all descendants "Liste der Nachkommen", loaded node by node.
//
// An animal B is an offspring of A when B's Vater is A (A a buck) or B's Mutter is A (A a
// doe). Both read the animal table through their own cursors; the card's "Hasen" never moves.
#pragma once

#include "engine/cursor.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::lineage {

// "Rammler 1.0" for '1', "Häsin 0.1" for '2', empty otherwise.
QString sexDisplay(const QString& geschlecht);

// One row of the direct-offspring list, every column already as text.
struct OffspringRow {
  qint64 nummer = 0;
  QString tatoRechts, tatoLinks, geschlecht, rasse, farbe, vater, mutter, besitzer, zuechter;
  QString stallnummer, erbformel, wurfgroesse, koernote;
  QDate geburtstag;
};

// The offspring of animal `parent`: by index IdxVater when `buck`, else IdxMutter (so in that
// index's order). Owner and breeder are "Name, Vorname" (the name alone without a first name);
// the parents "right  left". Throws engine::EngineError when the animal table cannot be read.
std::vector<OffspringRow> readDirectOffspring(store::TDatenStamm& dm, qint64 parent, bool buck);

// The text of a tree node: right tattoo, one blank, left tattoo, " {" + Nummer + "}".
QString treeNodeText(const QString& rechts, const QString& links, qint64 nummer);
// The number in braces of a node text; nullopt when there is none.
std::optional<qint64> nummerInNodeText(const QString& text);

// The information text of an animal: the first line of its ancestor box text, "Mutter: " and
// "Vater: " with the parents' tattoos when recorded and found, then the further box lines.
// Empty when the animal is not found.
QStringList descendantInfoText(store::TDatenStamm& dm, qint64 nummer);

inline QString placeholderText() { return QStringLiteral("neu"); }
inline QString noOffspringText() { return QStringLiteral("Keine Nachkommen vorhanden"); }

enum class TreeSymbol { Buck, Doe, Placeholder };

struct DescendantNode {
  QString text;
  TreeSymbol symbol = TreeSymbol::Placeholder;
  qint64 nummer = 0;    // 0 for "neu" and "Keine Nachkommen vorhanden"
  bool repeated = false;  // already on its own path (a loop in the data): never expanded
  DescendantNode* parent = nullptr;
  std::vector<std::unique_ptr<DescendantNode>> children;

  // True while the only child is the placeholder "neu" (offspring not read yet).
  bool pending() const {
    return children.size() == 1 && children.front()->symbol == TreeSymbol::Placeholder &&
           children.front()->text == placeholderText();
  }
};

// The tree of all descendants. Offspring come in order of birth date, then tattoos.
class TDescendantTree {
 public:
  // REQUIRES: `engine` outlives the tree; `hasenTable` names the animal table.
  TDescendantTree(engine::Engine& engine, const QString& hasenTable);

  // Builds the root for animal `nummer` with its offspring, each with a placeholder "neu";
  // a root without offspring gets the child "Keine Nachkommen vorhanden". False when the
  // animal is not found (the tree is then empty). Throws engine::EngineError.
  bool open(qint64 nummer);
  DescendantNode* root() const { return root_.get(); }

  // Loads the offspring of `node` when its only child is still "neu": the placeholder turns
  // into the first offspring and the others follow, each with its own "neu"; without
  // offspring the placeholder reads "Keine Nachkommen vorhanden". An offspring that already
  // stands on the node's own path is added once, marked repeated, without children. Returns
  // true when the offspring were read; a loaded node, the root and a repeated node are left
  // as they are. Throws engine::EngineError.
  bool expand(DescendantNode* node);

  // How many times offspring were read (for the check that a node loads once).
  int offspringReads() const { return reads_; }

 private:
  struct Head {
    QString rechts, links, geschlecht;
  };
  std::optional<Head> head(qint64 nummer);
  std::vector<std::pair<qint64, Head>> offspring(qint64 nummer, const QString& geschlecht);
  std::unique_ptr<DescendantNode> child(DescendantNode* parent, qint64 nummer, const Head& h);

  engine::Cursor lookup_;
  engine::Cursor byFather_;
  engine::Cursor byMother_;
  std::unique_ptr<DescendantNode> root_;
  int reads_ = 0;
};

}  // namespace lapiro::lineage
