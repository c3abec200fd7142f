// Export of chosen animals with their ancestors and addresses into an exchange file.
#pragma once

#include "engine/engine.h"
#include "exchange/exchange_format.h"

#include <QString>

#include <vector>

namespace lapiro::exchange {

struct ExportOptions {
  // The animals chosen (Hasen.Nummer); ignored when `allAnimals`.
  std::vector<qint64> animals;
  bool allAnimals = false;
  // Ancestor generations added to the chosen animals (0..6).
  int generations = 4;
  // Breeder and owner addresses (the own user stands for the owner of status-1 animals).
  bool withAddresses = true;
  bool withShows = false;
};

// Collects the animals, ancestors, breeds and addresses from the stock of `engine`. Parentage
// is written only between animals of the file; an animal Nummer that does not exist is left
// out. Throws engine::EngineError when a table cannot be read.
ExchangeFile collectExport(engine::Engine& engine, const ExportOptions& options);

// The name of a new exchange file: "Lapiro-Austausch-<yyyyMMdd-HHmmss>.json".
QString exportFileName(const QDateTime& when);

// Writes `file` to `path` atomically (a temporary file renamed when complete): an existing
// file of that name is either replaced whole or left as it was. Returns an empty text on
// success, else a German message.
QString saveExchangeFile(const ExchangeFile& file, const QString& path);

}  // namespace lapiro::exchange
