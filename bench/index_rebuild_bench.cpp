// The index rebuild of every group on the 100,000-animal demo stock, wall clock.
//
// Works on a copy of the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big,
// created with lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config
// --demo=100000), made once into $LAPIRO_BENCH_COPY (default /tmp/lapiro-bench-rebuild), so the
// shared stock is never changed.
#include "engine/cursor.h"
#include "engine/engine.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/index_rebuild.h"
#include "store/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QString env(const char* name, const QString& fallback) {
  return qEnvironmentVariableIsEmpty(name) ? fallback : qEnvironmentVariable(name);
}

bool copyDirectory(const QString& from, const QString& to) {
  QDir().mkpath(to);
  for (const QString& name : QDir(from).entryList(QDir::Files))
    if (!QFile::exists(to + u'/' + name) && !QFile::copy(from + u'/' + name, to + u'/' + name)) return false;
  return true;
}

struct NoCursors : lapiro::store::GroupCursors {
  bool close(const QStringList&) override { return true; }
  void reopen(const QStringList&) override {}
};

// Closes and reopens the data module's cursors by name, as the window does for its owners.
struct ModuleCursors : lapiro::store::GroupCursors {
  lapiro::store::TDatenStamm& module;
  explicit ModuleCursors(lapiro::store::TDatenStamm& m) : module(m) {}
  bool close(const QStringList& names) override {
    for (const QString& n : names)
      if (auto* c = module.cursor(n)) c->close();
    return true;
  }
  void reopen(const QStringList& names) override {
    for (const QString& n : names)
      if (auto* c = module.cursor(n); c && !c->isOpen()) c->open();
  }
};

struct QuietDialogs : lapiro::store::DialogService {
  lapiro::store::DialogAnswer show(lapiro::store::DialogKind, const QString&, lapiro::store::DialogButtons,
                                   const QString&) override {
    return lapiro::store::DialogAnswer::Ok;
  }
};

void BM_IndexRebuild_AllGroups(benchmark::State& state) {
  const QString source = env("LAPIRO_BENCH_HOME", QStringLiteral("/tmp/lapiro-big")) + QStringLiteral("/daten");
  const QString copy = env("LAPIRO_BENCH_COPY", QStringLiteral("/tmp/lapiro-bench-rebuild")) + QStringLiteral("/daten");
  if (!QDir(source).exists() || !copyDirectory(source, copy)) {
    state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
    return;
  }
  lapiro::engine::Engine engine;
  engine.setAlias(QStringLiteral("Hase"), copy);
  QuietDialogs dialogs;
  lapiro::store::setDialogService(&dialogs);
  std::vector<lapiro::store::IndexGroup> all;
  for (const auto& g : lapiro::store::indexGroups()) all.push_back(g.group);
  bool completed = false;
  lapiro::store::MessageCatalogue messages(engine);
  messages.open();
  lapiro::store::setMessageCatalogue(&messages);
  {
    // Arg 1: with the data module open, every one of its cursors and lookups in use.
    lapiro::shell::tsysteminfo settings;
    std::unique_ptr<lapiro::store::TDatenStamm> module;
    if (state.range(0) == 1) {
      module = std::make_unique<lapiro::store::TDatenStamm>(engine, settings);
      module->open();
      module->Hasen().moveBy(50000);
    }
    for (auto _ : state) {
      NoCursors none;
      std::unique_ptr<ModuleCursors> owners;
      if (module) owners = std::make_unique<ModuleCursors>(*module);
      completed = lapiro::store::rebuildIndexes(engine, all, owners ? static_cast<lapiro::store::GroupCursors&>(*owners)
                                                                     : static_cast<lapiro::store::GroupCursors&>(none))
                      .completed;
    }
    if (module) module->close();
  }
  lapiro::store::setMessageCatalogue(nullptr);
  lapiro::store::setDialogService(nullptr);
  state.counters["completed"] = completed ? 1 : 0;
}
BENCHMARK(BM_IndexRebuild_AllGroups)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
