// The pedigree passport: a QR code on the pedigree certificate that carries the animal and
// three ancestor generations in a compact form of the exchange file, and the reading of such
// a code from a scan or photo of the certificate back into an exchange file.
//
// Compact form (docs/exchange-format.md, "Passport"): {"format":"lapiro-exchange",
// "version":"1.0","passport":{"breeds":[[code,name],…],"slots":[[slot,right,left,birth,sex,
// breed,colour,formula,litter,koernote,name],…]}}, zlib-compressed, in QR byte mode. The slot
// numbers are the pedigree slots (0 the animal, 2s+1 the father of s, 2s+2 its mother), so the
// parentage needs no ids. Reading expands it to an ExchangeFile and checks it like any file.
#pragma once

#include "engine/engine.h"
#include "exchange/exchange_format.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace lapiro::exchange {

// Generations of ancestors the passport carries.
inline constexpr int kPassportGenerations = 3;
// The largest QR version drawn with error correction M; larger payloads use L.
inline constexpr int kPassportMaxVersionM = 14;

// The compact JSON of animal `nummer` and its ancestors (empty when there is no such animal).
// Throws engine::EngineError when a table cannot be read.
QByteArray passportJson(engine::Engine& engine, qint64 nummer);
// The bytes the QR code holds: the compact JSON compressed.
QByteArray passportPayload(engine::Engine& engine, qint64 nummer);

// The QR code of `payload` as a black-on-white image with a quiet zone of four modules,
// `pixelsPerModule` pixels per module; null when the payload does not fit a QR code.
// `version` receives the QR version (1..40).
QImage passportImage(const QByteArray& payload, int pixelsPerModule = 8, int* version = nullptr);
// The passport of animal `nummer`, or a null image (no animal, or a table cannot be read).
QImage passportImage(engine::Engine& engine, qint64 nummer);

struct PassportRead {
  std::optional<ExchangeFile> file;
  QString error;  // German, when no file
};

// Expands a payload read from a code into an exchange file, checked like a file.
PassportRead readPassportPayload(const QByteArray& payload);
// Finds the passport's QR code in an image (scan or photo) and reads it.
PassportRead readPassportImage(const QImage& image);
// Reads a JPEG or PNG file of the certificate.
PassportRead readPassportImageFile(const QString& path);

}  // namespace lapiro::exchange
