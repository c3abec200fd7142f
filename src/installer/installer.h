// The installation of Lapiro Manager: a complete data directory with every table the
// installation supplies, the message catalogue, the lookup rows, the help pages, the safety
// copy directory and the two settings files; optionally a demo stock (demo_stock.h).
//
// An installation is all or nothing: the data directory, the help directory and the settings
// files are built under hidden names and renamed into place at the end as one unit, the
// settings files last; a failure, or a process killed during the renames, leaves the state
// before the run (the next run undoes an interrupted one and removes its leftovers). Every
// file write is checked through core::writeFileSafely(). An existing data directory or
// settings file is never touched unless `force` is set.
#pragma once

#include "engine/table_loader.h"

#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/engine.h"

namespace lapiro::installer {

struct InstallOptions {
  QString programDir;              // receives daten/, Help/ and Datensik/; created when missing
  QString settingsDir;             // receives LapiroMan.ini and XVUPD.ini; created when missing
  std::optional<int> demoAnimals;  // set: add a demo stock of this many animals (>= 0)
  // Replace an existing data directory and settings files. An existing data directory that
  // holds anything is not deleted: it moves into Datensik as "daten-<date>-<time>" (see
  // InstallResult::movedAside).
  bool force = false;
  QRect workArea;                  // the desktop work area for the default window size; may be empty
  // Called after each rename of the final placement with the placed item's file name
  // ("Help", "daten", "XVUPD.ini", "LapiroMan.ini"); lets tests stop the process there.
  std::function<void(const QString&)> afterPlacing;
};

// Exit codes of lapiro-install.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitExists = 2;

struct InstallResult {
  int exitCode = kExitOk;
  // German text for the user: the summary on success, the reason on failure (one or more
  // lines, without a trailing line break).
  QString message;
  int tablesCreated = 0;
  int animals = 0;
  qint64 elapsedMs = 0;
  // Where a replaced data directory was kept (inside Datensik); empty when none was replaced.
  // The summary in `message` names it.
  QString movedAside;
};

// Installs as described above. Never throws: every failure is reported in the result, and
// then nothing of the new data directory, help directory or settings files remains and an
// existing installation is left as it was.
InstallResult install(const InstallOptions& options);

// A name in `dir` for keeping an old data directory: "daten-<yyyy-MM-dd-hhmmss>" of `when`,
// with "-2", "-3", ... added when that exists. Only computes the path.
QString datedAsideName(const QString& dir, const QDateTime& when);

// The tables every stock has (those the installation supplies) that `dataDir` lacks, by
// their catalogue file names in catalogue order. Names are matched as the engine matches
// them (case ignored, ".db" optional). Only reads.
QStringList missingTables(const QString& dataDir);

struct MissingTablesResult {
  QStringList created;  // catalogue file names
  QString error;        // German reason; then none of the tables was created
};

// Creates the tables missingTables() names in `dataDir` with the content a new installation
// gives them (the message catalogue, the lookup rows); tables that exist are not touched.
// All or nothing: on a failure the tables created here are removed again.
MissingTablesResult addMissingTables(const QString& dataDir);

// Fast loading of many records into one table (engine/table_loader.h).
using TableLoader = engine::TableLoader;

}  // namespace lapiro::installer
