#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

using plat::FileProblem;
using plat::Links;
using testsupport::RunInChild;
using testsupport::TempDir;

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

FileProblem Read(const std::string& path, std::vector<uint8_t>* out, Links links = Links::kFollow,
                 size_t max = 1000) {
  return plat::ReadFile(path, max, out, links);
}

TEST(FileIo, ReadsRegularFilesAndSaysWhatElseStandsThere) {
  TempDir dir;
  ASSERT_TRUE(dir.Write("file", "0123456789"));
  ASSERT_TRUE(dir.MakeDir("dir"));
  ASSERT_TRUE(dir.MakeLink("link", dir.File("file")));
  ASSERT_TRUE(dir.MakeLink("dangling", dir.File("nothing")));
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_EQ(Read(dir.File("file"), &bytes), FileProblem::kNone);
  EXPECT_EQ(Text(bytes), "0123456789");
  EXPECT_EQ(Read(dir.File("missing"), &bytes), FileProblem::kMissing);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(Read(dir.File("dir"), &bytes), FileProblem::kDirectory);
  EXPECT_EQ(Read("/dev/null", &bytes), FileProblem::kDevice);
  // A link is followed only when asked; refused, it is what stands there.
  EXPECT_EQ(Read(dir.File("link"), &bytes), FileProblem::kNone);
  EXPECT_EQ(Text(bytes), "0123456789");
  EXPECT_EQ(Read(dir.File("link"), &bytes, Links::kRefuse), FileProblem::kSymlink);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(Read(dir.File("dangling"), &bytes, Links::kRefuse), FileProblem::kSymlink);
  EXPECT_EQ(Read(dir.File("dangling"), &bytes), FileProblem::kMissing);
  // Limits: no more than the reader takes, no fewer than it needs.
  EXPECT_EQ(Read(dir.File("file"), &bytes, Links::kFollow, 10), FileProblem::kNone);
  EXPECT_EQ(Read(dir.File("file"), &bytes, Links::kFollow, 9), FileProblem::kTooLarge);
  char buf[11] = {};
  EXPECT_EQ(plat::ReadFileInto(dir.File("file"), buf, 4), FileProblem::kNone);
  EXPECT_STREQ(buf, "0123");
  EXPECT_EQ(plat::ReadFileInto(dir.File("file"), buf, 11), FileProblem::kShort);
  EXPECT_EQ(plat::RegularFileSize(dir.File("file")), 10);
  EXPECT_EQ(plat::RegularFileSize(dir.File("link"), Links::kRefuse), -1);
  EXPECT_EQ(plat::RegularFileSize(dir.File("dir")), -1);
  EXPECT_STREQ(plat::DescribeFileProblem(FileProblem::kPipe), "is a named pipe, not a regular file");
}

// Opening a pipe for reading waits for a writer; the reader must neither
// wait nor take the pipe for a file. Bounded in a child process, in case the
// wait comes back.
TEST(FileIo, APipeIsToldWithoutWaitingForAWriter) {
  TempDir dir;
  ASSERT_TRUE(dir.MakePipe("pipe"));
  const auto r = RunInChild([&] {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(Read(dir.File("pipe"), &bytes), FileProblem::kPipe);
    EXPECT_EQ(Read(dir.File("pipe"), &bytes, Links::kRefuse), FileProblem::kPipe);
    char buf[4];
    EXPECT_EQ(plat::ReadFileInto(dir.File("pipe"), buf, 4), FileProblem::kPipe);
    EXPECT_EQ(plat::RegularFileSize(dir.File("pipe")), -1);
    return ::testing::Test::HasFailure() ? 1 : 0;
  });
  EXPECT_TRUE(r.ended) << "the read waited on the pipe";
  EXPECT_EQ(r.exitCode, 0);
}

TEST(FileIo, RemoveFileTakesFilesAndLinksButNeverADirectory) {
  TempDir dir;
  ASSERT_TRUE(dir.Write("file", "x"));
  ASSERT_TRUE(dir.MakeLink("link", dir.File("file")));
  ASSERT_TRUE(dir.MakeDir("dir"));
  ASSERT_TRUE(dir.Write("empty/x", ""));
  ASSERT_EQ(::unlink(dir.File("empty/x").c_str()), 0);
  EXPECT_TRUE(plat::RemoveFile(dir.File("link")));
  EXPECT_EQ(dir.Kind("file"), 'f');  // the link went, not its target
  EXPECT_FALSE(plat::RemoveFile(dir.File("dir")));
  EXPECT_FALSE(plat::RemoveFile(dir.File("empty")));
  EXPECT_FALSE(plat::RemoveFile(dir.File("missing")));
  EXPECT_TRUE(plat::RemoveFile(dir.File("file")));
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"dir", "empty"}));
}

// What stopped a removal is told; nothing there is not a failure to tell
// (also a path through a file, which cannot hold one).
TEST(FileIo, RemoveFileTellsWhatStoppedIt) {
  TempDir dir;
  ASSERT_TRUE(dir.MakeDir("dir"));
  ASSERT_TRUE(dir.Write("file", "x"));
  std::string why = "stale";
  EXPECT_FALSE(plat::RemoveFile(dir.File("dir"), &why));
  EXPECT_EQ(why, dir.File("dir") + " is a directory");
  for (const char* none : {"missing", "file/inside"}) {
    why = "stale";
    EXPECT_FALSE(plat::RemoveFile(dir.File(none), &why));
    EXPECT_EQ(why, "") << none;
  }
  const std::string tooLong = dir.File(std::string(300, 'n'));
  EXPECT_FALSE(plat::RemoveFile(tooLong, &why));
  EXPECT_EQ(why, tooLong + ": File name too long");
  why = "stale";
  EXPECT_TRUE(plat::RemoveFile(dir.File("file"), &why));
  EXPECT_EQ(why, "");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"dir"}));
}

// Whatever stands at the target's name is replaced as an entry: a link is
// not written through (its target keeps its bytes), a pipe is not opened.
TEST(FileIo, ASaveReplacesALinkOrAPipeAtTheTarget) {
  TempDir dir;
  ASSERT_TRUE(dir.Write("victim", "keep"));
  ASSERT_TRUE(dir.MakeLink("linked.dat", dir.File("victim")));
  ASSERT_TRUE(dir.MakePipe("piped.dat"));
  const auto r = RunInChild([&] {
    for (const char* name : {"linked.dat", "piped.dat"}) {
      const plat::SaveResult saved = plat::ReplaceFile(dir.File(name), "new", 3);
      EXPECT_TRUE(saved.ok) << name << ": " << saved.why;
      EXPECT_TRUE(saved.why.empty());
    }
    return ::testing::Test::HasFailure() ? 1 : 0;
  });
  ASSERT_TRUE(r.ended) << "the save waited on the pipe";
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(dir.Read("victim"), "keep");
  for (const char* name : {"linked.dat", "piped.dat"}) {
    EXPECT_EQ(dir.Kind(name), 'f') << name;
    EXPECT_EQ(dir.Read(name), "new") << name;
  }
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"linked.dat", "piped.dat", "victim"}));
}

TEST(FileIo, ADirectoryAtTheTargetFailsTheSaveWhichSaysSo) {
  TempDir dir;
  ASSERT_TRUE(dir.MakeDir("save.dat"));
  const plat::SaveResult saved = plat::ReplaceFile(dir.File("save.dat"), "new", 3);
  EXPECT_FALSE(saved.ok);
  EXPECT_TRUE(saved.created);  // made and written, then not put in place
  EXPECT_EQ(saved.why, dir.File("save.dat") + " is a directory");
  EXPECT_EQ(dir.Read("save.dat/inside"), "x");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"save.dat"}));  // no temporary file left
}

// The temporary file is made new under a name nothing else holds: a link,
// a directory or a pipe at the names a save tries first, or at the name
// older builds used, is passed over and left as it was, and no link is
// written through. In a child process, bounded, in case a save should wait
// on the pipe.
TEST(FileIo, WhateverHoldsATemporaryNameIsPassedOverAndLeftAlone) {
  TempDir dir;
  const auto r = RunInChild([&] {
    const std::string target = dir.File("save.dat");
    const long pid = static_cast<long>(::getpid());
    const auto temp = [&](int attempt) { return plat::SaveTempName(target, pid, attempt).substr(dir.Path().size() + 1); };
    EXPECT_EQ(temp(0), "save.dat.tmp-" + std::to_string(pid));
    EXPECT_EQ(temp(2), "save.dat.tmp-" + std::to_string(pid) + "-2");
    EXPECT_TRUE(dir.Write("victim", "keep"));
    EXPECT_TRUE(dir.MakeLink("save.dat.tmp", dir.File("victim")));
    EXPECT_TRUE(dir.MakeLink(temp(0), dir.File("victim")));
    EXPECT_TRUE(dir.MakeDir(temp(1)));
    EXPECT_TRUE(dir.MakePipe(temp(2)));
    std::vector<std::string> want = dir.List();
    for (const char* bytes : {"new bytes", "again"}) {
      const plat::SaveResult saved = plat::ReplaceFile(target, bytes, std::strlen(bytes));
      EXPECT_TRUE(saved.ok) << saved.why;
      EXPECT_EQ(dir.Read("save.dat"), bytes);
    }
    EXPECT_EQ(dir.Read("victim"), "keep");
    want.insert(want.begin(), "save.dat");
    EXPECT_EQ(dir.List(), want);
    EXPECT_EQ(dir.Kind("save.dat.tmp"), 'l');
    EXPECT_EQ(dir.Kind(temp(0)), 'l');
    EXPECT_EQ(dir.Kind(temp(1)), 'd');
    EXPECT_EQ(dir.Kind(temp(2)), 'p');
    return ::testing::Test::HasFailure() ? 1 : 0;
  });
  EXPECT_TRUE(r.ended) << "the save waited on the pipe";
  EXPECT_EQ(r.exitCode, 0);
}

// A save whose process dies half-way leaves its temporary file; the next
// save of the file removes it, and the bare ".tmp" file of older builds,
// but not the temporary file of a process that still runs.
TEST(FileIo, TheNextSaveRemovesTheTemporaryFileOfASaveThatDied) {
  TempDir dir;
  const std::string target = dir.File("save.dat");
  ASSERT_TRUE(dir.Write("save.dat", "old"));
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // Killed half-way through writing.
    plat::SetSaveCrashHook([](plat::SaveStep step) {
      if (step == plat::SaveStep::kHalfWritten) ::_exit(0);
      return true;
    });
    plat::ReplaceFile(target, "half of me", 10);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string dead = plat::SaveTempName(target, static_cast<long>(pid), 0).substr(dir.Path().size() + 1);
  EXPECT_EQ(dir.Read(dead), "half ");
  EXPECT_EQ(dir.Read("save.dat"), "old");
  ASSERT_TRUE(dir.Write("save.dat.tmp", "older build"));
  const std::string living = plat::SaveTempName(target, 1, 0).substr(dir.Path().size() + 1);  // init runs
  ASSERT_TRUE(dir.Write(living, "busy"));
  ASSERT_TRUE(plat::ReplaceFile(target, "new", 3).ok);
  EXPECT_EQ(dir.Read("save.dat"), "new");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"save.dat", living}));
}

}  // namespace
