// The structure corpus: drawings made the way a person makes them (by the view's tools and
// the keyboard, make_structure_corpus; three of the older .kvl family, make_old_drawings.py),
// each converted to SMILES by the program as a person runs it, and compared with the
// molecules a chemist reads in it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>
#include <string>
#include <vector>

#include "chemistry/CMoleculeSet.h"

namespace {

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (std::size_t at; (at = s.find(sep, from)) != std::string::npos; from = at + sep.size())
    out.push_back(s.substr(from, at - from));
  out.push_back(s.substr(from));
  return out;
}

std::string Join(const std::vector<std::string>& parts, const std::string& sep) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? sep : "") + parts[i];
  return out;
}

// Molecules joined by '.' in canonical form; a reaction's three sides each so.
std::string Canonical(const std::string& smiles) {
  std::vector<std::string> sides = Split(smiles, ">");
  for (std::string& side : sides) {
    if (side.empty()) continue;
    std::vector<std::string> molecules = Split(side, ".");
    for (std::string& m : molecules) m = CanonicalSmiles(m).value_or("not SMILES: " + m);
    side = Join(molecules, ".");
  }
  return Join(sides, ">");
}

struct CorpusEntry {
  std::string file;
  std::string expected;  // steps separated by " | "
};

std::vector<CorpusEntry> ReadCorpus() {
  std::vector<CorpusEntry> out;
  QFile f(QStringLiteral(VALENDRA_STRUCTURE_CORPUS "/expected.tsv"));
  if (!f.open(QIODevice::ReadOnly)) return out;
  QTextStream in(&f);
  while (!in.atEnd()) {
    const QString line = in.readLine();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    const QStringList parts = line.split(u'\t');
    if (parts.size() == 2) out.push_back({parts[0].toStdString(), parts[1].toStdString()});
  }
  return out;
}

TEST(StructureCorpus, EveryDrawingConvertsToTheMoleculesItShows) {
  const std::vector<CorpusEntry> corpus = ReadCorpus();
  ASSERT_GE(corpus.size(), 60u);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A few conversions at a time: each is a process of its own, as a user runs it.
  constexpr std::size_t kAtOnce = 4;
  for (std::size_t first = 0; first < corpus.size(); first += kAtOnce) {
    std::vector<std::unique_ptr<QProcess>> running;
    for (std::size_t i = first; i < std::min(first + kAtOnce, corpus.size()); ++i) {
      auto p = std::make_unique<QProcess>();
      p->start(
          QStringLiteral(VALENDRA_BINARY),
          {QStringLiteral("--convert"),
           QStringLiteral(VALENDRA_STRUCTURE_CORPUS "/") + QString::fromStdString(corpus[i].file),
           dir.filePath(QString::number(i) + QStringLiteral(".smi"))});
      running.push_back(std::move(p));
    }
    for (std::size_t k = 0; k < running.size(); ++k) {
      const CorpusEntry& e = corpus[first + k];
      QProcess& p = *running[k];
      ASSERT_TRUE(p.waitForFinished(120000)) << e.file;
      EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << e.file;
      EXPECT_EQ(p.exitCode(), 0) << e.file << ": " << p.readAllStandardError().toStdString();
      QFile out(dir.filePath(QString::number(first + k) + QStringLiteral(".smi")));
      ASSERT_TRUE(out.open(QIODevice::ReadOnly)) << e.file;
      std::vector<std::string> lines;
      for (const QByteArray& line : out.readAll().split('\n'))
        if (!line.isEmpty()) lines.push_back(Canonical(line.toStdString()));
      std::vector<std::string> expected;
      for (const std::string& step : Split(e.expected, " | ")) expected.push_back(Canonical(step));
      // Molecules come a line each; a drawing with reactions has a line per step.
      const bool bReaction = e.expected.find('>') != std::string::npos;
      EXPECT_EQ(bReaction ? Join(lines, " | ") : Join(lines, "."), Join(expected, " | ")) << e.file;
    }
  }
}

}  // namespace
