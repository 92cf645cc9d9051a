// The list job over real files: the totals before each file, skipped and failing files, Stop
// between files, a stop at the engine's next safe point, what the engine reports besides its
// results, and the statistics texts.
#include "batch/list_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <utility>

#include "engine/engine.h"
#include "engine/meta_info.h"
#include "engine/temp_file.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace velt::batch {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

// Runs `first` once, as the engine names the first file it works on.
struct FirstFileSink final : engine::ProgressSink {
  std::function<void()> first;
  void ShowStatus(const std::string&) override {}
  void ShowFileName(const std::string&) override {
    if (auto f = std::exchange(first, nullptr)) f();
  }
  void ShowPercent(int) override {}
  void ShowBar(int) override {}
};

struct RecordingTotals final : TotalsSink {
  std::vector<int> percents;
  std::vector<std::string> texts;
  std::vector<char> order;  // 'P' or 'T'
  void ShowTotalPercent(int n) override {
    percents.push_back(n);
    order.push_back('P');
  }
  void ShowTotalText(const std::string& t) override {
    texts.push_back(t);
    order.push_back('T');
  }
};

class ListJobTest : public ::testing::Test {
 protected:
  ListJobTest() {
    settings.secureDelete = false;  // the overwrite is the engine's business, and slow
  }
  std::vector<std::string> MakeFiles(int count, size_t size = 3000) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "f%d.dat", i);
      files.push_back(dir / name);
      test::WriteFile(files.back(), rng.Bytes(size + size_t(i)));
      originals[files.back()] = ReadFile(files.back());
    }
    return files;
  }
  ListJob Job(ListJobKind kind, std::vector<std::string> files, std::string password = "pw") {
    ListJob job;
    job.kind = kind;
    job.files = std::move(files);
    job.password = std::move(password);
    job.settings = settings;
    job.totals = &totals;
    job.stopRequested = &stop;
    return job;
  }
  std::vector<std::string> Encrypted(const std::vector<std::string>& files) {
    std::vector<std::string> out;
    for (const auto& f : files) out.push_back(f + ".VELT");
    return out;
  }
  // Names in the folder that are VELT's temporary names: what a run must never leave.
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> left;
    for (const std::string& name : dir.Names())
      if (engine::IsTemporaryName(name)) left.push_back(name);
    return left;
  }

  TempDir dir;
  test::Rng rng{11};
  engine::EngineSettings settings;
  RecordingTotals totals;
  std::atomic<bool> stop{false};
  std::map<std::string, std::vector<uint8_t>> originals;
};

TEST_F(ListJobTest, FourFilesShowTheirTotalsBeforeEachFileInBothDirections) {
  const auto files = MakeFiles(4);
  ListJobResult r = RunListJob(Job(ListJobKind::Encrypt, files));
  EXPECT_EQ(totals.percents, (std::vector<int>{0, 25, 50, 75}));
  EXPECT_EQ(totals.texts,
            (std::vector<std::string>{"Completed (0 of 4 Files", "Completed (1 of 4 Files",
                                      "Completed (2 of 4 Files", "Completed (3 of 4 Files"}));
  EXPECT_EQ(totals.order, (std::vector<char>{'P', 'T', 'P', 'T', 'P', 'T', 'P', 'T'}));
  EXPECT_EQ(r.skipped, 0);
  EXPECT_TRUE(r.failures.empty());
  EXPECT_FALSE(r.stopped);
  EXPECT_GE(r.elapsedMs, 0);
  for (const auto& f : files) {
    EXPECT_FALSE(fs::exists(f));
    EXPECT_TRUE(engine::HasMetaInfo(f + ".VELT"));
  }
  EXPECT_EQ(FinalTotalText(ListJobKind::Encrypt, 4), "Completed 4 of 4 Files");

  totals = {};
  r = RunListJob(Job(ListJobKind::Decrypt, Encrypted(files)));
  EXPECT_EQ(totals.texts,
            (std::vector<std::string>{"Completed 0 of 4 Files", "Completed 1 of 4 Files",
                                      "Completed 2 of 4 Files", "Completed 3 of 4 Files"}));
  EXPECT_EQ(FinalTotalText(ListJobKind::Decrypt, 4), "Completed (4 of 4 Files");
  EXPECT_EQ(r.skipped, 0);
  for (const auto& f : files) EXPECT_EQ(ReadFile(f), originals[f]);
}

TEST_F(ListJobTest, TotalPercentRoundsHalvesToEven) {
  std::vector<int> eight;
  for (size_t i = 0; i < 8; ++i) eight.push_back(TotalPercent(i, 8));
  EXPECT_EQ(eight, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88}));
  EXPECT_EQ(TotalPercent(1, 3), 33);
  EXPECT_EQ(TotalPercent(2, 3), 67);
  EXPECT_EQ(TotalPercent(1, 200), 0);  // 0.5
  EXPECT_EQ(TotalPercent(3, 200), 2);  // 1.5
  EXPECT_EQ(TotalPercent(0, 1), 0);
  EXPECT_EQ(TotalPercent(0, 0), 0);

  const auto files = MakeFiles(8, 100);
  RunListJob(Job(ListJobKind::Encrypt, files));
  EXPECT_EQ(totals.percents, eight);
}

TEST_F(ListJobTest, StatisticsTexts) {
  using K = ListJobKind;
  const struct {
    K kind;
    size_t n;
    const char* seconds;
    int32_t skipped;
    size_t failed;
    const char* text;
  } cases[] = {
      {K::Encrypt, 4, "2.5", 0, 0, "4 Files encrypted in 2.5 secs"},
      {K::Encrypt, 3, "0", 3, 0,
       "3 Files encrypted in 0 secs (3 Files Skipped due to allready being encrypted)"},
      {K::Decrypt, 1, "0.001", 0, 0, "1 Files decrypted in 0.001 secs"},
      {K::Decrypt, 5, "1,25", 2, 0,
       "5 Files decrypted in 1,25 secs (2 Files Skipped due to incorrect password according to "
       "VELT Header)"},
      {K::Encrypt, 5, "1", 1, 2,
       "3 Files encrypted in 1 secs (1 Files Skipped due to allready being encrypted)\n"
       "2 Files could not be encrypted (see the details)"},
      {K::Decrypt, 2, "0", 0, 2,
       "0 Files decrypted in 0 secs\n2 Files could not be decrypted (see the details)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StatisticsMessage(c.kind, c.n, c.seconds, c.skipped, c.failed), c.text) << c.text;
  EXPECT_EQ(StoppedMessage(K::Encrypt, "3.75", 0), "Process stopped by user at 3.75 secs");
  EXPECT_EQ(StoppedMessage(K::Decrypt, "1", 1),
            "Process stopped by user at 1 secs\n1 Files could not be decrypted (see the details)");
}

TEST_F(ListJobTest, AlreadyEncryptedFilesAreSkippedAndLeftAlone) {
  const auto files = MakeFiles(3);
  RunListJob(Job(ListJobKind::Encrypt, files));
  const auto encrypted = Encrypted(files);
  std::map<std::string, std::vector<uint8_t>> before;
  for (const auto& f : encrypted) before[f] = ReadFile(f);
  const ListJobResult r = RunListJob(Job(ListJobKind::Encrypt, encrypted));
  EXPECT_EQ(r.skipped, 3);
  EXPECT_EQ(r.elapsedMs, 0);
  EXPECT_EQ(StatisticsMessage(ListJobKind::Encrypt, 3, "0", r.skipped, r.failures.size()),
            "3 Files encrypted in 0 secs (3 Files Skipped due to allready being encrypted)");
  for (const auto& f : encrypted) EXPECT_EQ(ReadFile(f), before[f]);
  EXPECT_FALSE(fs::exists(encrypted[0] + ".VELT"));
}

TEST_F(ListJobTest, WrongPasswordFilesAreSkippedAndTheRestDecrypted) {
  const auto files = MakeFiles(3);
  RunListJob(Job(ListJobKind::Encrypt, {files[0], files[2]}, "right"));
  RunListJob(Job(ListJobKind::Encrypt, {files[1]}, "other"));
  const auto encrypted = Encrypted(files);
  const auto middle = ReadFile(encrypted[1]);
  const ListJobResult r = RunListJob(Job(ListJobKind::Decrypt, encrypted, "right"));
  EXPECT_EQ(r.skipped, 1);
  EXPECT_TRUE(r.failures.empty());
  EXPECT_EQ(ReadFile(files[0]), originals[files[0]]);
  EXPECT_EQ(ReadFile(files[2]), originals[files[2]]);
  EXPECT_EQ(ReadFile(encrypted[1]), middle);
  EXPECT_FALSE(fs::exists(files[1]));
}

TEST_F(ListJobTest, AFailingFileIsReportedAndTheJobGoesOn) {
  auto files = MakeFiles(3);
  const std::string missing = dir / "vanished.txt";
#ifdef _WIN32
  // Wine makes no links: a folder in the list fails the same way there.
  const std::string link = dir / "folder.txt";
  fs::create_directory(link);
#else
  const std::string link = dir / "link.txt";
  fs::create_symlink(files[0], link);
#endif
  const std::vector<std::string> list = {files[0], missing, link, files[1], files[2]};
  const ListJobResult r = RunListJob(Job(ListJobKind::Encrypt, list));
  ASSERT_EQ(r.failures.size(), 2u);
  EXPECT_EQ(r.failures[0].path, missing);
  EXPECT_EQ(r.failures[1].path, link);
  EXPECT_EQ(totals.percents.size(), 5u);  // every file had its turn
  for (const auto& f : files) EXPECT_TRUE(engine::HasMetaInfo(f + ".VELT")) << f;
#ifndef _WIN32
  EXPECT_TRUE(fs::is_symlink(link));
#endif
  const std::string details = FailureDetails(r.failures);
  EXPECT_NE(details.find(missing), std::string::npos);
  EXPECT_NE(details.find(link), std::string::npos);
  EXPECT_EQ(std::count(details.begin(), details.end(), '\n'), 1);
  EXPECT_EQ(StatisticsMessage(ListJobKind::Encrypt, list.size(), "1", r.skipped, 2),
            "3 Files encrypted in 1 secs\n2 Files could not be encrypted (see the details)");
}

TEST_F(ListJobTest, AnErrorWithoutTheFileNameGetsTheNameInTheDetails) {
  EXPECT_EQ(FailureDetails({{"/a/b", "disk full"}, {"/c", "/c: gone"}}),
            "/a/b: disk full\n/c: gone");
}

TEST_F(ListJobTest, StopEndsTheJobAfterTheCurrentFile) {
  const auto files = MakeFiles(4);
  // Stop pressed while the second file runs: it is finished, the two after it are not touched.
  ListJob job = Job(ListJobKind::Encrypt, files);
  job.beforeFile = [&](size_t i) {
    if (i == 1) stop = true;
  };
  ListJobResult r = RunListJob(job);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(totals.percents, (std::vector<int>{0, 25}));
  EXPECT_TRUE(fs::exists(files[0] + ".VELT"));
  EXPECT_TRUE(fs::exists(files[1] + ".VELT"));
  EXPECT_EQ(ReadFile(files[2]), originals[files[2]]);
  EXPECT_EQ(ReadFile(files[3]), originals[files[3]]);
  EXPECT_FALSE(fs::exists(files[2] + ".VELT"));

  // Stop pressed during the last file: that file is done too.
  stop = false;
  totals = {};
  job = Job(ListJobKind::Encrypt, {files[2], files[3]});
  job.beforeFile = [&](size_t i) {
    if (i == 1) stop = true;
  };
  r = RunListJob(job);
  EXPECT_TRUE(r.stopped);
  EXPECT_TRUE(fs::exists(files[3] + ".VELT"));
  EXPECT_EQ(totals.texts.back(), "Completed (1 of 2 Files");
}

TEST_F(ListJobTest, FilesWithoutMetaInformationUseTheGivenDecryptionOptions) {
  settings.compress = false;
  settings.addMetaInfo = false;
  settings.cipherIndex = 16;
  settings.hashIndex = 6;
  const auto files = MakeFiles(2);
  RunListJob(Job(ListJobKind::Encrypt, files));
  ListJob job = Job(ListJobKind::Decrypt, Encrypted(files));
  job.decryption.cipherIndex = 16;
  job.decryption.hashIndex = 6;
  job.decryption.deleteOriginal = false;
  const ListJobResult r = RunListJob(job);
  EXPECT_EQ(r.skipped, 0);
  for (const auto& f : files) {
    EXPECT_EQ(ReadFile(f), originals[f]);
    EXPECT_TRUE(fs::exists(f + ".VELT(orig)"));
  }
}

TEST_F(ListJobTest, AFileEncryptedAfterItsTestIsSkippedByTheEngine) {
  const auto files = MakeFiles(2);
  const std::string other = dir / "other.dat";
  test::WriteFile(other, rng.Bytes(500));
  RunListJob(Job(ListJobKind::Encrypt, {other}));
  const auto encryptedBytes = ReadFile(other + ".VELT");
  // Another program puts an encrypted file under the first name after the job has tested it.
  FirstFileSink sink;
  sink.first = [&] { fs::rename(other + ".VELT", files[0]); };
  ListJob job = Job(ListJobKind::Encrypt, files);
  job.progress = &sink;
  const ListJobResult r = RunListJob(job);
  EXPECT_EQ(r.skipped, 1);
  EXPECT_TRUE(r.failures.empty()) << FailureDetails(r.failures);
  EXPECT_EQ(ReadFile(files[0]), encryptedBytes);
  EXPECT_FALSE(fs::exists(files[0] + ".VELT"));
  EXPECT_TRUE(engine::HasMetaInfo(files[1] + ".VELT"));
  EXPECT_EQ(Temporaries(), std::vector<std::string>{});
}

TEST_F(ListJobTest, TheCancelFlagStopsTheJobAtASafePointLeavingTheFileAsItWas) {
  const auto files = MakeFiles(3, 1 << 20);
  // Set as the second file is about to begin: it stops before its result takes a name.
  std::atomic<bool> cancel{false};
  auto cancelling = [&](ListJobKind kind, const std::vector<std::string>& list) {
    cancel = false;
    ListJob job = Job(kind, list);
    job.cancel = &cancel;
    job.beforeFile = [&](size_t i) {
      if (i == 1) cancel = true;
    };
    return RunListJob(job);
  };
  ListJobResult r = cancelling(ListJobKind::Encrypt, files);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.stopped);
  EXPECT_TRUE(r.failures.empty()) << FailureDetails(r.failures);
  EXPECT_TRUE(engine::HasMetaInfo(files[0] + ".VELT"));
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(ReadFile(files[i]), originals[files[i]]) << files[i];
    EXPECT_FALSE(fs::exists(files[i] + ".VELT")) << files[i];
  }
  EXPECT_EQ(Temporaries(), std::vector<std::string>{});

  RunListJob(Job(ListJobKind::Encrypt, {files[1], files[2]}));
  const auto encrypted = Encrypted(files);
  std::map<std::string, std::vector<uint8_t>> before;
  for (const auto& f : encrypted) before[f] = ReadFile(f);
  r = cancelling(ListJobKind::Decrypt, encrypted);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.failures.empty()) << FailureDetails(r.failures);
  EXPECT_EQ(ReadFile(files[0]), originals[files[0]]);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(ReadFile(encrypted[i]), before[encrypted[i]]) << encrypted[i];
    EXPECT_FALSE(fs::exists(files[i])) << files[i];
  }
  EXPECT_EQ(Temporaries(), std::vector<std::string>{});

  // Without the flag raised the job is not cancelled.
  r = RunListJob(Job(ListJobKind::Decrypt, {encrypted[1]}));
  EXPECT_FALSE(r.cancelled);
  EXPECT_FALSE(r.stopped);
}

TEST_F(ListJobTest, WhatTheEngineReportsBesidesItsResultsIsGathered) {
  // Without compression only the weak check value tells a right password from a wrong one:
  // each encrypted file is kept as "(orig)", with a note that names it.
  settings.compress = false;
  const auto files = MakeFiles(3);
  RunListJob(Job(ListJobKind::Encrypt, files));
  const ListJobResult r = RunListJob(Job(ListJobKind::Decrypt, Encrypted(files)));
  EXPECT_EQ(r.keptEncrypted, 3);
  ASSERT_EQ(r.notes.size(), 3u);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(ReadFile(files[i]), originals[files[i]]);
    EXPECT_TRUE(engine::HasMetaInfo(files[i] + ".VELT(orig)"));
    EXPECT_NE(r.notes[i].find(fs::path(files[i]).filename().string()), std::string::npos)
        << r.notes[i];
  }
#ifndef _WIN32
  // A file with another link is not overwritten, which is noted; the other name keeps it.
  settings.secureDelete = true;
  settings.compress = true;
  const auto linked = MakeFiles(1, 4000);
  const std::string other = dir / "other-name.dat";
  fs::create_hard_link(linked[0], other);
  const ListJobResult l = RunListJob(Job(ListJobKind::Encrypt, linked));
  EXPECT_TRUE(l.failures.empty()) << FailureDetails(l.failures);
  EXPECT_EQ(l.keptEncrypted, 0);
  ASSERT_EQ(l.notes.size(), 1u);
  EXPECT_NE(l.notes[0].find("f0.dat"), std::string::npos) << l.notes[0];
  EXPECT_EQ(ReadFile(other), originals[linked[0]]);
#endif
}

}  // namespace
}  // namespace velt::batch
