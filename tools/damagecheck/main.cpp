// The game on damaged data: copies of the data tree with one file deleted,
// emptied, cut short, its bytes flipped or its counts set to 0xFFFFFFFF
// (and the cache archives removed, so that the file is read itself), each
// run through a stretch of the attract sequence or a recorded stage play in
// a process of its own. A case passes when the process ends normally (no
// crash, no sanitizer report, no hang, no scene that stays on) and the
// damaged file gave an error line (where its kind must give one: see
// ErrorExpected in Damage.h).
//
//   damagecheck --sample         the fixed sample, each run stopped 2,500
//                                frames after its first error line (also
//                                options alone, without --long or --case,
//                                give the sample; no argument at all prints
//                                the usage, as --help does)
//   damagecheck --long           every kind of file the runs read, with
//                                every damage, in every stretch that reads
//                                files of the kind, each to the stretch's end
//   damagecheck --case SCENARIO:PATH:DAMAGE ...   only these cases
//   options: --jobs N (2), --data DIR (the data tree), --margin N,
//            --timeout SECONDS (600 a case), --keep (keep the work tree)
//
//   damagecheck run SCENARIO DATA_DIR [--margin N] [--frames N] [--watch] [--times]
//                                one run, in this process (see Runner.h);
//                                --times adds its slowest frame and most
//                                resident memory
//
// Stretches: opening, demo1, demo2, demo3 (the attract sequence from the
// logo that leads to the opening or to the demo play, back to the next
// logo) and stage4, stage5 (the recorded play of the stage and 3,000 frames
// after it).
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "tools/common/Arguments.h"
#include "tools/common/WholeNumber.h"
#include "tools/damagecheck/Damage.h"
#include "tools/damagecheck/Runner.h"
#include "tools/damagecheck/Trees.h"

namespace {

namespace fs = std::filesystem;
using damagecheck::Damage;

// Set by SIGINT and SIGTERM: the runs are stopped and the work tree removed
// (copies of the data tree, tens of megabytes each).
volatile sig_atomic_t g_stop = 0;
void OnStop(int) { g_stop = 1; }

// The sample CI runs: every kind of file the runs read, every damage, the
// camera paths and stage scripts of failed stage loads (what follows a
// failed stage must not read what it left behind) and the tutorial's script.
// The failed loads of stage 1 run through the whole stretch: the rest of the
// demo play, the tutorial and the title that releases the tutorial's script.
struct SampleCase {
  const char* scenario;
  const char* path;
  Damage damage;
  bool wholeStretch = false;
};
const SampleCase kSample[] = {
    {"demo1", "Stg01/Stg01_a.cam", Damage::kEmptied, true},
    {"demo1", "Script/Stage01.stg", Damage::kDeleted, true},
    {"demo1", "Script/Tutorial.stg", Damage::kCounts},
    {"demo1", "common/Demo01.rpd", Damage::kCutShort},
    {"demo1", "cache/stage1.sca", Damage::kCutShort},
    {"demo2", "Script/Stage02.stg", Damage::kFlipped},
    {"demo2", "Stg02/Obj/Stg02_Pal00.bma", Damage::kCounts},
    {"demo2", "Stg02/Obj/Stg02_Pal00.tca", Damage::kCutShort},
    {"demo3", "Stg03/Trn/Stg03_Trn.tnl", Damage::kFlipped},
    {"demo3", "Stg03/Stg03_b.cam", Damage::kDeleted},
    {"demo3", "enemy/osr_se07.tr", Damage::kCutShort},
    {"stage4", "Script/Stage04.stg", Damage::kCounts},
    {"stage4", "Stg04/Stg04_a.cam", Damage::kCutShort},
    {"stage4", "Stg04/Obj/Stg04_block00.opl", Damage::kEmptied},
    {"stage4", "Stg04/Obj/Stg04_grass00_a.ovl", Damage::kFlipped},
    {"stage5", "Stg05/Stg05_a.cam", Damage::kDeleted},
    {"stage5", "Script/Stage05.stg", Damage::kEmptied},
    {"stage5", "Stg05/Obj/Stg05_Line00_00.png", Damage::kCounts},
    {"opening", "Module/Opening.tr", Damage::kFlipped},
    {"opening", "Module/Opening_03.png", Damage::kCutShort},
    {"opening", "sound/osr_se.sr", Damage::kCounts},
    {"opening", "sound/osr_voice_29.wav", Damage::kCutShort},
    {"opening", "sound/osr_se_26.wav", Damage::kEmptied},
    {"opening", "cache/common.sca", Damage::kFlipped},
};
// Frames a sample run goes on after its first error line: the scenes after
// a failed load (the rest of a demo play, the tutorial, the title) come
// within them. A damaged archive shows no error line; its run ends once the
// scenes that read it are over.
constexpr int64_t kSampleMargin = 2500;
constexpr int64_t kSampleArchiveFrames = 4000;
constexpr int kDefaultTimeout = 600;

struct Case {
  std::string scenario;
  std::string path;  // relative to the data tree, '/' separated
  Damage damage = Damage::kDeleted;
  bool wholeStretch = false;  // no margin: the run goes to the stretch's end
};

struct Options {
  bool longMode = false;
  int jobs = 2;
  std::string data;
  int64_t margin = -1;
  int timeout = kDefaultTimeout;
  bool keep = false;
  std::vector<Case> cases;
};

std::string SelfPath() {
  std::error_code ec;
  const fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("damagecheck") : p.string();
}

std::vector<uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteBytes(const fs::path& p, const std::vector<uint8_t>& b) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return bool(out);
}

bool IsArchive(const fs::path& rel) { return damagecheck::KindOf(rel.generic_string()) == "sca"; }

// A copy of the data tree; the cache archives only when `archives`.
bool CopyTree(const fs::path& from, const fs::path& to, bool archives) {
  std::error_code ec;
  fs::create_directories(to, ec);
  for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const fs::path rel = fs::relative(it->path(), from, ec);
    if (it->is_directory(ec)) {
      fs::create_directories(to / rel, ec);
    } else if (it->is_regular_file(ec) && (archives || !IsArchive(rel))) {
      fs::copy_file(it->path(), to / rel, fs::copy_options::overwrite_existing, ec);
    }
    if (ec) return false;
  }
  return !ec;
}

// One child process: `damagecheck run ...` with its output in files.
struct Child {
  pid_t pid = -1;
  std::chrono::steady_clock::time_point start;
  size_t index = 0;
  fs::path out, err, dir;
};

Child Spawn(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
  Child c;
  c.out = out;
  c.err = err;
  c.start = std::chrono::steady_clock::now();
  c.pid = fork();
  if (c.pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o >= 0) dup2(o, 1);
    if (e >= 0) dup2(e, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return c;
}

// What one run printed and how it ended.
struct Outcome {
  bool ok = false;
  std::string why;
  std::vector<std::string> errors;
  std::vector<std::pair<int64_t, std::string>> reads;
  int64_t frames = 0;
  double seconds = 0.0;
};

Outcome Judge(const Child& c, int status, bool timedOut) {
  Outcome r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - c.start).count();
  std::ifstream in(c.out);
  std::string line, ending;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string word;
    int64_t frame = 0;
    s >> word >> frame;
    std::string rest;
    std::getline(s, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    if (word == "error") r.errors.push_back(rest);
    if (word == "read") r.reads.emplace_back(frame, rest);
    if (word == "end") {
      r.frames = frame;
      ending = rest;
    }
  }
  if (timedOut) {
    r.why = "no end within the time limit (a hang)";
  } else if (WIFSIGNALED(status)) {
    r.why = std::string("killed by signal ") + strsignal(WTERMSIG(status));
  } else if (WEXITSTATUS(status) != 0) {
    r.why = "exit status " + std::to_string(WEXITSTATUS(status)) + (ending.empty() ? "" : ": " + ending);
  } else if (ending.empty()) {
    r.why = "no end line";
  } else {
    r.ok = true;
  }
  return r;
}

std::string Tail(const fs::path& p, size_t lines) {
  std::ifstream in(p);
  std::vector<std::string> all;
  std::string line;
  while (std::getline(in, line)) all.push_back(line);
  std::string t;
  for (size_t i = all.size() > lines ? all.size() - lines : 0; i < all.size(); ++i) t += "    " + all[i] + "\n";
  return t;
}

// Runs every job (its argument list) with at most `jobs` at once; done(i,
// child, outcome) is called as each ends.
template <class Prepare, class Done>
void RunAll(size_t count, const Options& o, Prepare prepare, Done done) {
  std::vector<Child> running;
  size_t next = 0;
  while (next < count || !running.empty()) {
    if (g_stop) {
      for (const Child& c : running) {
        kill(c.pid, SIGKILL);
        waitpid(c.pid, nullptr, 0);
      }
      return;
    }
    while (next < count && running.size() < size_t(std::max(1, o.jobs))) {
      Child c = prepare(next);
      c.index = next++;
      if (c.pid < 0) {
        done(c, Outcome{false, "could not start the run", {}, {}, 0, 0.0});
        continue;
      }
      running.push_back(c);
    }
    bool reaped = false;
    for (size_t i = 0; i < running.size(); ++i) {
      int status = 0;
      const pid_t r = waitpid(running[i].pid, &status, WNOHANG);
      const double secs =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - running[i].start).count();
      bool timedOut = false;
      if (r == 0 && secs > o.timeout) {
        kill(running[i].pid, SIGKILL);
        waitpid(running[i].pid, &status, 0);
        timedOut = true;
      } else if (r == 0) {
        continue;
      }
      done(running[i], Judge(running[i], status, timedOut));
      running.erase(running.begin() + std::ptrdiff_t(i));
      reaped = true;
      break;
    }
    if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The files of the tree each stretch reads (from a run of it on the
// undamaged tree), in the order it first reads them.
std::map<std::string, std::vector<std::string>> ReadLists(const Options& o, const fs::path& work,
                                                          const fs::path& source, const fs::path& base, bool* ok) {
  std::vector<std::string> names;
  for (const char* const* s = damagecheck::Scenarios(); *s != nullptr; ++s) names.push_back(*s);
  std::map<std::string, std::vector<std::string>> lists;
  *ok = true;
  const std::string self = SelfPath();
  RunAll(
      names.size(), o,
      [&](size_t i) {
        const fs::path dir = work / ("reference-" + names[i]);
        CopyTree(base, dir, false);
        Child c = Spawn({self, "run", names[i], dir.string(), "--watch"}, work / ("reference-" + names[i] + ".out"),
                        work / ("reference-" + names[i] + ".err"));
        c.dir = dir;
        return c;
      },
      [&](const Child& c, const Outcome& r) {
        const std::string& name = names[c.index];
        std::error_code ec;
        fs::remove_all(c.dir, ec);
        if (!r.ok || !r.errors.empty()) {
          std::printf("FAIL  reference run of %s on the undamaged tree: %s%s\n%s", name.c_str(), r.why.c_str(),
                      r.errors.empty() ? "" : (", error line: " + r.errors.front()).c_str(), Tail(c.err, 40).c_str());
          *ok = false;
          return;
        }
        // Only the files of the tree count: the game opens files of its own
        // there too (a save's temporary file beside the cache archive it
        // writes), which are gone when the run ends and are no data it is
        // given.
        for (const auto& [frame, path] : r.reads)
          if (fs::is_regular_file(source / path, ec)) lists[name].push_back(path);
        std::printf("reference %-8s %5zu files read, %6lld frames, %.1f s\n", name.c_str(), lists[name].size(),
                    static_cast<long long>(r.frames), r.seconds);
        std::fflush(stdout);
      });
  return lists;
}

// Every kind of file each stretch reads first (files an earlier stretch
// read already count for that one), each damage on one of them.
std::vector<Case> LongCases(const std::map<std::string, std::vector<std::string>>& lists) {
  std::vector<Case> cases;
  std::set<std::string> earlier;
  for (const char* const* s = damagecheck::Scenarios(); *s != nullptr; ++s) {
    const auto it = lists.find(*s);
    if (it == lists.end()) continue;
    std::map<std::string, std::vector<std::string>> byKind;
    for (const std::string& p : it->second)
      if (earlier.insert(p).second) byKind[damagecheck::KindOf(p)].push_back(p);
    for (const auto& [kind, files] : byKind) {
      if (kind.empty()) continue;
      size_t pick = files.size() / 3;
      for (Damage d : damagecheck::kAllDamages) {
        if (!damagecheck::Applies(kind, d)) continue;
        cases.push_back(Case{*s, files[pick % files.size()], d});
        pick += 7;
      }
    }
  }
  return cases;
}

const char kUsage[] =
    "usage: damagecheck --sample | --long | --case SCENARIO:PATH:DAMAGE...\n"
    "                   [--jobs N] [--data DIR] [--margin N] [--timeout SECONDS] [--keep]\n"
    "       damagecheck run SCENARIO DATA_DIR [--margin N] [--frames N] [--watch] [--times]\n"
    "       damagecheck tree copies DATA_DIR OUT_DIR [--random BYTES]\n"
    "  --sample: the fixed sample of cases (options without --long or --case run it too);\n"
    "  --long: every kind of file the runs read with every damage; --case: only these\n"
    "  (SCENARIO opening, demo1, demo2, demo3, stage4 or stage5; PATH in the data tree;\n"
    "  DAMAGE deleted, emptied, cut, flipped or counts). run: one run in this process;\n"
    "  --times: its slowest frame and most resident memory before its end line;\n"
    "  SCENARIO may also be stage1, stage2 or stage3 there. tree copies: the copies\n"
    "  tree (every list four 16 MiB pictures, cached; --random: 600000 by default).\n";

// The usage on standard error, for a command line it cannot take.
int Usage() { return tools::UsageError(kUsage); }

// An option it knows given nothing it takes is told in one line naming
// the option (tools::BadArgument), not with the usage.
constexpr char kTool[] = "damagecheck";
constexpr int64_t kMostFrames = INT32_MAX;
constexpr int64_t kMostJobs = 1024;
constexpr int64_t kMostSeconds = 7 * 24 * 3600;

// The number after the option at argv[*i], from least to most
// (tools::ParseWholeNumber), into *out, with *i moved past it; false, with
// nothing read, when there is none or it is no such number.
template <class T>
bool NumberArg(int argc, char** argv, int* i, int64_t least, int64_t most, T* out) {
  int64_t n = 0;
  if (*i + 1 >= argc || !tools::ParseWholeNumber(argv[*i + 1], least, most, &n)) return false;
  *out = static_cast<T>(n);
  ++*i;
  return true;
}

int BadNumber(const char* option, int64_t least, int64_t most) {
  return tools::BadArgument(kTool, option, tools::WholeNumberRange(least, most));
}

bool ParseCase(const std::string& text, Case* out) {
  const size_t a = text.find(':'), b = text.rfind(':');
  if (a == std::string::npos || a == b) return false;
  out->scenario = text.substr(0, a);
  out->path = text.substr(a + 1, b - a - 1);
  return damagecheck::IsScenario(out->scenario) && damagecheck::ParseDamage(text.substr(b + 1), &out->damage);
}

int RunMode(int argc, char** argv) {
  if (argc < 4) return Usage();
  damagecheck::RunOptions r;
  r.scenario = argv[2];
  r.dataDir = argv[3];
  if (!damagecheck::IsRunScenario(r.scenario))
    return tools::BadArgument(kTool, "run SCENARIO",
                              "opening, demo1, demo2, demo3, stage1, stage2, stage3, stage4 or stage5");
  if (int bad = tools::CheckFolder(kTool, "run DATA_DIR", argv[3], "the data tree")) return bad;
  for (int i = 4; i < argc; ++i) {
    if (std::strcmp(argv[i], "--watch") == 0) {
      r.watch = true;
    } else if (std::strcmp(argv[i], "--margin") == 0) {
      if (!NumberArg(argc, argv, &i, 0, kMostFrames, &r.margin)) return BadNumber("--margin", 0, kMostFrames);
    } else if (std::strcmp(argv[i], "--frames") == 0) {
      if (!NumberArg(argc, argv, &i, 0, kMostFrames, &r.frames)) return BadNumber("--frames", 0, kMostFrames);
    } else if (std::strcmp(argv[i], "--times") == 0) {
      r.times = true;
    } else {
      return Usage();
    }
  }
  return damagecheck::RunScenario(r);
}

int TreeMode(int argc, char** argv) {
  if (argc < 5 || (argc > 5 && std::strcmp(argv[5], "--random") != 0) || argc > 7) return Usage();
  if (std::strcmp(argv[2], "copies") != 0) return tools::BadArgument(kTool, "tree", "copies DATA_DIR OUT_DIR");
  if (int bad = tools::CheckFolder(kTool, "tree DATA_DIR", argv[3], "the data tree")) return bad;
  if (int bad = tools::CheckFolder(kTool, "tree OUT_DIR", argv[4], "the copies tree to write")) return bad;
  uint32_t random = 600000;
  int at = 5;
  if (argc > 5 && !(NumberArg(argc, argv, &at, 0, damagecheck::kCopiesTreePicture, &random) && at == argc - 1))
    return BadNumber("--random", 0, damagecheck::kCopiesTreePicture);
  return damagecheck::MakeCopiesTree(argv[3], argv[4], random) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Without an argument nothing is run: a first try learns what to ask.
  if (argc < 2) return Usage();
  if (tools::AsksForHelp(argv[1])) return tools::ShowHelp(kUsage);
  if (std::strcmp(argv[1], "run") == 0) return RunMode(argc, argv);
  if (std::strcmp(argv[1], "tree") == 0) return TreeMode(argc, argv);
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--sample") {
      // The default of every command line without --long or --case.
    } else if (a == "--long") {
      o.longMode = true;
    } else if (a == "--jobs") {
      if (!NumberArg(argc, argv, &i, 1, kMostJobs, &o.jobs)) return BadNumber("--jobs", 1, kMostJobs);
    } else if (a == "--data") {
      if (int bad = tools::CheckFolder(kTool, "--data", more ? argv[i + 1] : nullptr, "the data tree")) return bad;
      o.data = argv[++i];
    } else if (a == "--margin") {
      if (!NumberArg(argc, argv, &i, 0, kMostFrames, &o.margin)) return BadNumber("--margin", 0, kMostFrames);
    } else if (a == "--timeout") {
      if (!NumberArg(argc, argv, &i, 1, kMostSeconds, &o.timeout)) return BadNumber("--timeout", 1, kMostSeconds);
    } else if (a == "--keep") {
      o.keep = true;
    } else if (a == "--case") {
      Case c;
      if (!more || !ParseCase(argv[++i], &c))
        return tools::BadArgument(kTool, "--case",
                                  "SCENARIO:PATH:DAMAGE (SCENARIO opening, demo1, demo2, demo3, stage4 or stage5; "
                                  "DAMAGE deleted, emptied, cut, flipped or counts)");
      o.cases.push_back(c);
    } else {
      return Usage();
    }
  }
  const fs::path source = o.data.empty() ? fs::path(plat::DataDir()) : fs::path(o.data);
  if (!fs::is_directory(source)) {
    std::fprintf(stderr, "damagecheck: no data tree at %s\n", source.c_str());
    return 1;
  }
  std::string tmpl = (fs::temp_directory_path() / "ostrel-damage-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) {
    std::fprintf(stderr, "damagecheck: no work directory\n");
    return 1;
  }
  const fs::path work = tmpl;
  struct sigaction stop = {};
  stop.sa_handler = OnStop;
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);
  auto stopped = [&work] {
    if (!g_stop) return false;
    std::error_code ec;
    fs::remove_all(work, ec);
    std::fprintf(stderr, "damagecheck: stopped\n");
    return true;
  };
  const fs::path base = work / "base";
  if (!CopyTree(source, base, false)) {
    std::fprintf(stderr, "damagecheck: could not copy %s\n", source.c_str());
    std::error_code ec;
    fs::remove_all(work, ec);
    return 1;
  }

  std::vector<Case> cases = o.cases;
  if (cases.empty() && o.longMode) {
    bool ok = true;
    const auto lists = ReadLists(o, work, source, base, &ok);
    if (stopped()) return 1;
    if (!ok) {
      std::error_code ec;
      fs::remove_all(work, ec);
      return 1;
    }
    cases = LongCases(lists);
  } else if (cases.empty()) {
    for (const SampleCase& s : kSample) cases.push_back(Case{s.scenario, s.path, s.damage, s.wholeStretch});
  }
  const int64_t margin = o.margin >= 0 ? o.margin : (o.longMode && o.cases.empty() ? 0 : kSampleMargin);

  const std::string self = SelfPath();
  int failures = 0;
  std::map<std::string, std::set<std::string>> covered;  // kind -> damages
  const auto begin = std::chrono::steady_clock::now();
  RunAll(
      cases.size(), o,
      [&](size_t i) {
        const Case& k = cases[i];
        const fs::path dir = work / ("case-" + std::to_string(i));
        const std::string kind = damagecheck::KindOf(k.path);
        CopyTree(base, dir, false);
        std::error_code ec;
        if (kind == "sca") {
          // The archives stay; one of them is damaged.
          for (auto it = fs::directory_iterator(source / "cache", ec); !ec && it != fs::directory_iterator();
               it.increment(ec))
            if (IsArchive(it->path())) fs::copy_file(it->path(), dir / "cache" / it->path().filename(), ec);
        }
        const fs::path file = dir / k.path;
        const std::vector<uint8_t> bytes = ReadBytes(source / k.path);
        Child c;
        c.dir = dir;
        if (!fs::exists(source / k.path)) return c;  // pid -1: reported as not started
        fs::remove(file, ec);
        if (k.damage != Damage::kDeleted) WriteBytes(file, damagecheck::Apply(kind, k.damage, bytes));
        std::vector<std::string> args = {self, "run", k.scenario, dir.string()};
        const int64_t caseMargin = k.wholeStretch ? 0 : margin;
        if (caseMargin > 0) args.insert(args.end(), {"--margin", std::to_string(caseMargin)});
        if (caseMargin > 0 && !damagecheck::ErrorExpected(kind, k.damage))
          args.insert(args.end(), {"--frames", std::to_string(kSampleArchiveFrames)});
        c = Spawn(args, work / ("case-" + std::to_string(i) + ".out"), work / ("case-" + std::to_string(i) + ".err"));
        c.dir = dir;
        return c;
      },
      [&](const Child& c, Outcome r) {
        const Case& k = cases[c.index];
        const std::string kind = damagecheck::KindOf(k.path);
        if (r.ok && r.errors.empty() && damagecheck::ErrorExpected(kind, k.damage)) {
          r.ok = false;
          r.why = "no error line for the damaged file";
        }
        if (c.pid < 0 && !fs::exists(source / k.path)) r.why = "no such file in the data tree";
        std::printf("%-4s  %-7s %-36s %-7s %2zu error line(s) %6lld frames %6.1f s%s%s\n", r.ok ? "ok" : "FAIL",
                    k.scenario.c_str(), k.path.c_str(), damagecheck::DamageName(k.damage), r.errors.size(),
                    static_cast<long long>(r.frames), r.seconds, r.ok ? "" : "  ", r.ok ? "" : r.why.c_str());
        if (!r.ok) {
          ++failures;
          std::printf("%s", Tail(c.err, 60).c_str());
        } else {
          covered[kind].insert(damagecheck::DamageName(k.damage));
        }
        std::fflush(stdout);
        std::error_code ec;
        if (!o.keep) fs::remove_all(c.dir, ec);
      });
  if (stopped()) return 1;
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::printf("damagecheck: %zu case(s), %d failed, %.0f s; kinds passed:", cases.size(), failures, secs);
  for (const auto& [kind, damages] : covered) std::printf(" %s(%zu)", kind.c_str(), damages.size());
  std::printf("\n");
  std::error_code ec;
  if (!o.keep) fs::remove_all(work, ec);
  else std::printf("damagecheck: work tree kept in %s\n", work.c_str());
  return failures == 0 ? 0 : 1;
}
