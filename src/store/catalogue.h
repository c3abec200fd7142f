// The table catalogue: one declarative description of every table of the data directory and
// of the data module's cursors. It is the only place where a table layout is written down;
// table creation, the schema upgrade, the index rebuild and the installer all read it.
//
// Everything here is immutable data built once on first use; the functions never throw and
// never touch the disk.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "engine/types.h"

namespace lapiro::store {

struct CatalogueTable {
  // Who brings the table into a data directory.
  enum class Origin {
    Installer,         // the installation supplies it
    CreatedByProgram,  // the data module creates it when missing (Impfung, Angora, Gewichtstabelle)
    WorkTable,         // a window creates it (afresh or when missing) for its own use
  };

  // The file name in the data directory, with the extension in the case the table is known
  // by ("Hasen.db", "Wurfbuch.DB", "VERKAUFT.db", "eigen.DB").
  QString fileName;

  // The current layout. def.name is the base name without extension ("Hasen"). Fields are in
  // declaration order; an Alpha field always carries its size (20 where none is stated) and a
  // Memo field at least 1. indexes holds the primary index first when the table has a key,
  // then every named secondary index with its options. A table without a key has no primary.
  engine::TableDef def;

  // Fields and indexes that older data directories lack; the schema upgrade adds them.
  QStringList upgradeFields;
  QStringList upgradeIndexes;

  Origin origin = Origin::Installer;

  // Upgrade fields that an older data directory already holds, but in another type. Such a
  // field keeps its place in olderLayout() with the definition given here (Hasen.Stallnummer
  // was Alpha and is converted to Long). Every entry names a field of upgradeFields.
  std::vector<engine::FieldDef> olderForms;

  bool isUpgradeField(const QString& fieldName) const;  // case-insensitive
  bool isUpgradeIndex(const QString& indexName) const;  // case-insensitive
};

// Every table, in the order of the table list of the data directory (animals, lookup lists,
// people, then breeding, shows, health, office and the work tables).
const std::vector<CatalogueTable>& catalogue();

// The table named `name`: a file name or a base name, compared without regard to case, with
// or without the extension ".db" ("HASEN.DB", "Hasen", "wurfbuch" all work). Returns nullptr
// for an unknown name. The pointer stays valid for the life of the program.
const CatalogueTable* findTable(const QString& name);

// The full current layout of `table` (a copy of table.def).
engine::TableDef currentLayout(const CatalogueTable& table);

// The layout of an older data directory: the current layout without the upgrade indexes and
// without the upgrade fields, except that a field listed in olderForms stays in its place in
// its older form. Every index of the result refers only to fields of the result.
engine::TableDef olderLayout(const CatalogueTable& table);

// The index that serves an order on `layout`. `order` is one of:
//   - empty: the primary index (nullptr when the table has no key);
//   - an index name: that secondary index (case-insensitive);
//   - a ";" separated field list: the first index whose leading fields are exactly these
//     fields, in this order.
// An index name is tried before a field list. Returns nullptr when nothing serves the order.
const engine::IndexDef* indexForOrder(const engine::TableDef& layout, const QString& order);

// A named cursor of the data module TDatenStamm.
struct CursorSpec {
  QString name;   // cursor name, e.g. "Hasen", "StbRasse"
  QString table;  // the catalogue table's file name, e.g. "Wurfbuch.DB"
  // The order the cursor opens with, as understood by indexForOrder(). For the cursor "Hasen"
  // this is "Tato", the default of the setting Stammdaten/Sortierung; the data module applies
  // the setting's value instead.
  QString order;
  // Master-detail link: the cursor shows the rows whose detailFields equal masterFields of the
  // current row of cursor `master`. Both are ";" separated lists of equal length; all three
  // are empty for a cursor that follows nothing.
  QString master;
  QString masterFields;
  QString detailFields;
  QString filter;  // filter expression in the engine's syntax, empty for none
  bool readOnly = false;
};

// The cursors of the data module, in the order they are listed for the module.
const std::vector<CursorSpec>& dataModuleCursors();

// The cursor named `name` (case-insensitive), or nullptr.
const CursorSpec* findCursor(const QString& name);

}  // namespace lapiro::store
