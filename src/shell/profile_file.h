// Private-profile (INI) files: LapiroMan.ini and XVUPD.ini.
//
// A file is a sequence of lines. A line "[Name]" opens a section; inside a section a line
// "Key=Value" holds a value. Section and key names are compared without regard to case
// (Unicode-aware). Blanks around names and values are ignored on reading. Lines that start
// with ";" or "#", blank lines, lines before the first section and any other unrecognised
// lines are kept exactly as they are, in their order; writing a key changes only that key's
// line (or adds one line, plus a section header when the section is missing).
//
// When a section or a key occurs more than once, the first occurrence is the one read and
// written, as with the platform functions this replaces.
//
// The object holds the file's text in memory. Nothing touches the disk except load() and
// save(); in particular writing keys never creates the file. Callers that must not create a
// missing file (the program itself, which leaves that to the installer) check exists() first.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace lapiro::shell {

class ProfileFile {
 public:
  // An empty profile not tied to a file: load() and save() fail, reading and writing work.
  ProfileFile() = default;

  // Ties the profile to `path` and loads it when the file exists; a missing file gives an
  // empty profile (exists() tells the two apart). A file that exists but cannot be read gives
  // an empty profile as well, with errorString() set.
  explicit ProfileFile(const QString& path);

  const QString& path() const { return path_; }

  // True when the file is present on disk now.
  bool exists() const;

  // Re-reads the file, dropping unsaved changes. Text is read as UTF-8 (a leading byte order
  // mark is skipped and kept for saving); bytes that are not valid UTF-8 are read as Latin-1
  // so files written by older installations keep their umlauts. The file's line ending
  // (CR LF or LF) is kept for saving.
  // Returns false, leaving the profile empty, when the file is missing or unreadable.
  bool load();

  // Writes the whole text atomically: a new file is written beside the old one and renamed
  // over it, so a crash leaves either the old or the new file, never half of one. Creates
  // the file, and its directory, when missing. Returns false with errorString() set on
  // failure; the profile in memory is unchanged either way.
  bool save();

  // True when keys were written since the last load() or save().
  bool isModified() const { return modified_; }

  // Describes the last failure of load() or save().
  const QString& errorString() const { return error_; }

  // The whole file as text (lines joined with the file's line ending), and the reverse:
  // replaces the content with `text` and marks the profile modified.
  QString text() const;
  void setText(const QString& text);

  bool hasSection(const QString& section) const;
  bool hasKey(const QString& section, const QString& key) const;

  // Section names in file order, and the key names of one section in file order (each as
  // spelled in the file, duplicates included once).
  QStringList sections() const;
  QStringList keys(const QString& section) const;

  // The trimmed value, or `defaultValue` when the section or key is missing. A key that is
  // present with an empty value gives an empty text.
  QString readString(const QString& section, const QString& key,
                     const QString& defaultValue = QString()) const;

  // A decimal integer (optional sign, blanks around it allowed). A missing key, an empty
  // value, any other character or a value outside int gives `defaultValue`.
  int readInteger(const QString& section, const QString& key, int defaultValue) const;

  // An integer as above: non-zero is true, zero is false; anything else gives `defaultValue`.
  bool readBool(const QString& section, const QString& key, bool defaultValue) const;

  // Sets a key. An existing key keeps its line, spelling and the blanks around "=" and only
  // its value changes; a new key is added after the last key of its section; a missing
  // section is appended at the end of the file. Line breaks inside `value` become blanks
  // (a value is one line). PRECONDITION: section and key are non-empty, contain no line
  // break, and key contains no "=" (the program passes fixed names).
  void writeString(const QString& section, const QString& key, const QString& value);
  void writeInteger(const QString& section, const QString& key, int value);
  // Written as "1" or "0".
  void writeBool(const QString& section, const QString& key, bool value);

 private:
  struct Location {
    int sectionHeader = -1;  // line index of the section header, -1 when absent
    int keyLine = -1;        // line index of the key, -1 when absent
    int insertAt = -1;       // where a new key of this section goes
  };
  Location locate(const QString& section, const QString& key) const;
  std::optional<QString> rawValue(const QString& section, const QString& key) const;

  QString path_;
  QStringList lines_;
  QString lineEnd_ = QStringLiteral("\n");
  bool trailingLineEnd_ = true;
  bool byteOrderMark_ = false;
  bool modified_ = false;
  QString error_;
};

}  // namespace lapiro::shell
