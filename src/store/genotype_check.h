// The check every save of an animal applies to its colour genotype (field `Genotyp`). The
// colour genetics sits above the store and hands its reader in when it is registered; until
// then a genotype is stored as typed.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace lapiro::store {

// The text to store for a typed genotype (empty for unknown), or nothing with the German
// reason in `error`.
using GenotypeNormaliser = std::function<std::optional<QString>(const QString& text, QString* error)>;

void setGenotypeNormaliser(GenotypeNormaliser normaliser);
const GenotypeNormaliser& genotypeNormaliser();

}  // namespace lapiro::store
