// An animal's genotype field as the animal card edits it: the text that is stored for what a
// breeder typed, and the read-only line beside the field that says what the genotype and the
// animal's colour tell, so that a contradiction between the two is seen.
#pragma once

#include <QString>
#include <optional>

namespace lapiro::genetics {

// The text to store for a typed genotype: its written form (formatGenotype), empty when
// nothing is known (an empty text or "-"). Nothing, with the parser's German message in
// `error`, when the text cannot be read.
std::optional<QString> normalisedGenotypeText(const QString& text, QString* error = nullptr);

// The line beside the field. With a readable genotype: the colour it gives, and against the
// colour's minimum genotype (`colourPattern`, Farbe.Genotyp) whether it fits or at which locus
// it contradicts. With an empty genotype: the minimum genotype the colour implies. An
// unreadable genotype gives the parser's message; nothing to say gives an empty text.
QString genotypeHint(const QString& genotype, const QString& colourName, const QString& colourPattern);

}  // namespace lapiro::genetics
