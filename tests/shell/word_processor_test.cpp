// Which program the command "Textverarbeitung" starts.
#include "shell/word_processor.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using lapiro::shell::resolveWordProcessor;
using lapiro::test::TempDir;

namespace {

// Puts a fake executable of the given name into a directory that is the only PATH entry
// while the object lives.
class FakePath {
 public:
  explicit FakePath(const QString& program) : old_(qgetenv("PATH")) {
    QFile f(bin_.file(program));
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\nexit 0\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", bin_.path().toLocal8Bit());
  }
  ~FakePath() { qputenv("PATH", old_); }
  QString program(const QString& name) const { return bin_.file(name); }

 private:
  TempDir bin_;
  QByteArray old_;
};

}  // namespace

TEST(WordProcessor, OldDefaultAndEmptySettingOpenANewTextFileWithTheDesktopEditor) {
  TempDir home;
  const FakePath path(QStringLiteral("xdg-open"));
  for (const QString& setting : {QStringLiteral("Write.exe"), QString(), QStringLiteral("  write.EXE ")}) {
    const auto launch = resolveWordProcessor(setting, home.path());
    ASSERT_TRUE(launch.ok()) << launch.error.toStdString();
    EXPECT_EQ(launch.program, path.program(QStringLiteral("xdg-open")));
    ASSERT_EQ(launch.args.size(), 1);
    EXPECT_TRUE(launch.args[0].startsWith(home.path()));
    EXPECT_TRUE(QFileInfo(launch.args[0]).isFile());
  }
  // Every start gets a file of its own.
  EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("Text 3.txt"))));
  // A documents folder that does not exist yet (a fresh account) is made.
  const QString documents = home.file(QStringLiteral("Dokumente"));
  const auto first = resolveWordProcessor(QString(), documents);
  ASSERT_TRUE(first.ok()) << first.error.toStdString();
  EXPECT_EQ(first.args, QStringList{documents + QStringLiteral("/Text 1.txt")});
}

TEST(WordProcessor, NamedEditorIsFoundOnThePathWithItsArguments) {
  TempDir home;
  const FakePath path(QStringLiteral("mein-editor"));
  const auto launch = resolveWordProcessor(QStringLiteral("mein-editor --neu \"Brief an Verein.txt\""), home.path());
  ASSERT_TRUE(launch.ok());
  EXPECT_EQ(launch.program, path.program(QStringLiteral("mein-editor")));
  EXPECT_EQ(launch.args, (QStringList{QStringLiteral("--neu"), QStringLiteral("Brief an Verein.txt")}));
}

TEST(WordProcessor, MissingProgramGivesAClearMessageInsteadOfSilence) {
  TempDir home;
  const FakePath path(QStringLiteral("etwas-anderes"));
  const auto missing = resolveWordProcessor(QStringLiteral("gibtsnicht"), home.path());
  EXPECT_FALSE(missing.ok());
  EXPECT_TRUE(missing.error.contains(QStringLiteral("„gibtsnicht“ wurde nicht gefunden")));
  const auto noDesktop = resolveWordProcessor(QString(), home.path());  // no xdg-open on PATH
  EXPECT_FALSE(noDesktop.ok());
  EXPECT_TRUE(noDesktop.error.contains(QStringLiteral("xdg-open")));
  EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("Text 1.txt"))));
}
