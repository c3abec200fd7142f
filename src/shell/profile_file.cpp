#include "shell/profile_file.h"

#include "core/safe_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace lapiro::shell {

namespace {

bool sameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The name of a section header line "[Name]" (blanks around the brackets and the name
// allowed, anything after "]" ignored), or nullopt for any other line.
std::optional<QString> sectionOf(const QString& line) {
  const QString t = line.trimmed();
  if (!t.startsWith(u'[')) return std::nullopt;
  const qsizetype close = t.indexOf(u']');
  if (close < 0) return std::nullopt;
  return t.mid(1, close - 1).trimmed();
}

// Position of the "=" of a key line, or -1 for headers, comments and lines without a key.
qsizetype separatorOf(const QString& line) {
  const QString t = line.trimmed();
  if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#') || t.startsWith(u'[')) return -1;
  const qsizetype eq = line.indexOf(u'=');
  if (eq < 0 || line.left(eq).trimmed().isEmpty()) return -1;
  return eq;
}

QString oneLine(QString value) {
  value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  value.replace(u'\r', u' ');
  value.replace(u'\n', u' ');
  return value;
}

}  // namespace

ProfileFile::ProfileFile(const QString& path) : path_(path) {
  if (QFileInfo::exists(path_)) load();
}

bool ProfileFile::exists() const {
  return !path_.isEmpty() && QFileInfo::exists(path_);
}

bool ProfileFile::load() {
  lines_.clear();
  lineEnd_ = QStringLiteral("\n");
  trailingLineEnd_ = true;
  byteOrderMark_ = false;
  modified_ = false;
  error_.clear();

  QFile file(path_);
  if (path_.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    error_ = path_.isEmpty() ? QStringLiteral("Kein Dateiname") : file.errorString();
    return false;
  }
  QByteArray bytes = file.readAll();
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    byteOrderMark_ = true;
    bytes.remove(0, 3);
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(bytes);
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  setText(text);
  modified_ = false;
  return true;
}

bool ProfileFile::save() {
  error_.clear();
  if (path_.isEmpty()) {
    error_ = QStringLiteral("Kein Dateiname");
    return false;
  }
  const QString dir = QFileInfo(path_).absolutePath();
  if (!QDir().mkpath(dir)) {
    error_ = QStringLiteral("Verzeichnis kann nicht angelegt werden: ") + dir;
    return false;
  }
  QByteArray bytes;
  if (byteOrderMark_) bytes = "\xEF\xBB\xBF";
  bytes += text().toUtf8();
  if (!core::writeFileSafely(path_, bytes, &error_)) return false;
  modified_ = false;
  return true;
}

QString ProfileFile::text() const {
  QString out = lines_.join(lineEnd_);
  if (trailingLineEnd_ && !lines_.isEmpty()) out += lineEnd_;
  return out;
}

void ProfileFile::setText(const QString& text) {
  const qsizetype firstBreak = text.indexOf(u'\n');
  lineEnd_ =
      (firstBreak > 0 && text.at(firstBreak - 1) == u'\r') ? QStringLiteral("\r\n") : QStringLiteral("\n");
  lines_ = text.split(u'\n');
  for (QString& line : lines_) {
    if (line.endsWith(u'\r')) line.chop(1);
  }
  // split() leaves an empty last element after a final line break.
  trailingLineEnd_ = text.isEmpty() || text.endsWith(u'\n');
  if (!lines_.isEmpty() && lines_.last().isEmpty() && trailingLineEnd_) lines_.removeLast();
  modified_ = true;
}

ProfileFile::Location ProfileFile::locate(const QString& section, const QString& key) const {
  Location loc;
  bool inside = false;
  for (int i = 0; i < lines_.size(); ++i) {
    const QString& line = lines_.at(i);
    if (auto name = sectionOf(line)) {
      if (inside) break;  // end of the first matching section
      if (sameName(*name, section)) {
        inside = true;
        loc.sectionHeader = i;
        loc.insertAt = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    const qsizetype eq = separatorOf(line);
    if (eq < 0) continue;
    loc.insertAt = i + 1;
    if (loc.keyLine < 0 && !key.isEmpty() && sameName(line.left(eq).trimmed(), key)) loc.keyLine = i;
  }
  return loc;
}

std::optional<QString> ProfileFile::rawValue(const QString& section, const QString& key) const {
  const Location loc = locate(section, key);
  if (loc.keyLine < 0) return std::nullopt;
  const QString& line = lines_.at(loc.keyLine);
  return line.mid(separatorOf(line) + 1).trimmed();
}

bool ProfileFile::hasSection(const QString& section) const {
  return locate(section, QString()).sectionHeader >= 0;
}

bool ProfileFile::hasKey(const QString& section, const QString& key) const {
  return locate(section, key).keyLine >= 0;
}

QStringList ProfileFile::sections() const {
  QStringList out;
  for (const QString& line : lines_) {
    if (auto name = sectionOf(line)) {
      if (!out.contains(*name, Qt::CaseInsensitive)) out << *name;
    }
  }
  return out;
}

QStringList ProfileFile::keys(const QString& section) const {
  QStringList out;
  const Location loc = locate(section, QString());
  if (loc.sectionHeader < 0) return out;
  for (int i = loc.sectionHeader + 1; i < lines_.size(); ++i) {
    const QString& line = lines_.at(i);
    if (sectionOf(line)) break;
    const qsizetype eq = separatorOf(line);
    if (eq < 0) continue;
    const QString name = line.left(eq).trimmed();
    if (!out.contains(name, Qt::CaseInsensitive)) out << name;
  }
  return out;
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
  return rawValue(section, key).value_or(defaultValue);
}

int ProfileFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
  const std::optional<QString> raw = rawValue(section, key);
  if (!raw) return defaultValue;
  // Decimal only: QString::toInt with base 10 rejects "12abc", "0x1F", "1,5" and overflow.
  bool ok = false;
  const int value = raw->toInt(&ok, 10);
  return ok ? value : defaultValue;
}

bool ProfileFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
  const std::optional<QString> raw = rawValue(section, key);
  if (!raw) return defaultValue;
  bool ok = false;
  const qlonglong value = raw->toLongLong(&ok, 10);
  return ok ? value != 0 : defaultValue;
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
  const QString v = oneLine(value);
  const Location loc = locate(section, key);
  modified_ = true;
  if (loc.keyLine >= 0) {
    QString& line = lines_[loc.keyLine];
    // Keep the key's spelling and the blanks after "=" as the file has them.
    qsizetype start = separatorOf(line) + 1;
    while (start < line.size() && (line.at(start) == u' ' || line.at(start) == u'\t')) ++start;
    line = line.left(start) + v;
    return;
  }
  const QString newLine = key + u'=' + v;
  if (loc.sectionHeader >= 0) {
    lines_.insert(loc.insertAt, newLine);
    if (loc.insertAt == lines_.size() - 1) trailingLineEnd_ = true;
    return;
  }
  if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) lines_ << QString();
  lines_ << u'[' + section + u']' << newLine;
  trailingLineEnd_ = true;
}

void ProfileFile::writeInteger(const QString& section, const QString& key, int value) {
  writeString(section, key, QString::number(value));
}

void ProfileFile::writeBool(const QString& section, const QString& key, bool value) {
  writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace lapiro::shell
