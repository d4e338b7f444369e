// Tests of the packer: script normalisation, the runner check, the round trip
// through a packed executable, the build command's refusals, and the tools'
// option reader.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "packer/pack.h"
#include "script/container.h"
#include "script/loader.h"
#include "script/pe_file.h"
#include "script/tool_options.h"
#include "tests/unit/fake_pe.h"

namespace {

using packer::Bytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The smallest file the runner check accepts: "MZ", e_lfanew = 0x40, "PE\0\0".
Bytes FakeRunner() {
  Bytes b = B(std::string(0x40, '\0') + std::string("PE\0\0fake image body", 19));
  b[0] = 'M';
  b[1] = 'Z';
  b[0x3C] = 0x40;
  return b;
}

std::string Normalised(const std::string& text, std::string* error = NULL) {
  Bytes out;
  std::string problem;
  bool ok = packer::NormaliseScript(B(text), &out, &problem);
  if (error) *error = problem;
  return ok ? std::string(out.begin(), out.end()) : "<error>";
}

size_t CountMarkers(const Bytes& exe) {
  std::string s(exe.begin(), exe.end());
  std::string marker = "\n" + std::string(script::kContainerMarker) + "\n";
  size_t n = 0;
  for (size_t at = s.find(marker); at != std::string::npos; at = s.find(marker, at + 1)) ++n;
  return n;
}

TEST(PackNormalise, LineEndsAndBom) {
  EXPECT_EQ("a\nb\nc\nd", Normalised("a\r\nb\rc\nd"));
  EXPECT_EQ("a\n\nb\n\n", Normalised("a\r\r\nb\n\r"));  // CR then CR LF; LF then CR
  // A leading BOM is kept for the runner, and is not part of line 1's length.
  EXPECT_EQ("\xEF\xBB\xBFSleep, 1\n", Normalised("\xEF\xBB\xBFSleep, 1\r\n"));
  const std::string full = "\xEF\xBB\xBF" + std::string(1023, 'a');
  EXPECT_EQ(full, Normalised(full));
  EXPECT_EQ("x\xEF\xBB\xBF", Normalised("x\xEF\xBB\xBF"));
  EXPECT_EQ("", Normalised(""));
}

TEST(PackNormalise, RefusesLinesTheRunnerWouldCut) {
  std::string error;
  EXPECT_EQ(std::string(1023, 'a') + "\n", Normalised(std::string(1023, 'a') + "\r\n"));
  EXPECT_EQ("<error>", Normalised("ok\n\n" + std::string(1024, 'a') + "\nok", &error));
  EXPECT_EQ("3: line is 1024 characters long; the runner keeps only 1023. Split the line.", error);
  EXPECT_EQ("<error>", Normalised("a\r\nb\r\n" + std::string(2000, 'z'), &error));  // last line
  EXPECT_EQ(0u, error.find("3: line is 2000 characters long"));
  EXPECT_EQ("<error>", Normalised("\xEF\xBB\xBF" + std::string(1024, 'a'), &error));  // UTF-8
  EXPECT_EQ("1: line is 1024 bytes long; the runner keeps only 1023 bytes. Split the line.", error);
  EXPECT_EQ("<error>", Normalised(std::string("one\ntw\0o\n", 9), &error));
  EXPECT_EQ(0u, error.find("2: line holds a NUL byte")) << error;
}

TEST(PackRunner, RecognisesPeImagesOnly) {
  EXPECT_TRUE(packer::IsPeImage(FakeRunner()));
  EXPECT_FALSE(packer::IsPeImage(B("MZ")));
  const size_t spoil[] = {1, 0x3C, 0x3F, 0x42};  // "MZ", e_lfanew past the end or huge, "PE"
  for (size_t i = 0; i < 4; ++i) {
    Bytes b = FakeRunner();
    b[spoil[i]] = 0xF0;
    EXPECT_FALSE(packer::IsPeImage(b)) << spoil[i];
  }
}

TEST(PackContainer, RoundTripAndWhatTheRunnerLoads) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "Send, line " + std::to_string(i) + "{enter}\n";
  text += "[ADLIB]\nIfWinExist, Error\nlast without line feed";
  Bytes script = B(text);
  Bytes runner = FakeRunner();
  Bytes exe = packer::BuildContainer(runner, script);
  EXPECT_TRUE(std::equal(runner.begin(), runner.end(), exe.begin()));
  EXPECT_EQ(1u, CountMarkers(exe));

  Bytes back;
  ASSERT_TRUE(packer::ExtractScript(exe, &back));
  EXPECT_EQ(script, back);

  packer::ContainerSummary summary;
  ASSERT_TRUE(packer::SummariseContainer(exe, &summary));
  EXPECT_EQ(43u, summary.lines);
  EXPECT_EQ(script.size(), summary.bytes);
  EXPECT_EQ(0u, summary.ignored.find("kestro-script 1"));
  EXPECT_EQ(std::string::npos, summary.ignored.find_first_not_of(' ', 15));  // padding
  EXPECT_EQ(exe.size(), summary.script_end);
  EXPECT_EQ(40, summary.main_lines);
  EXPECT_EQ(2, summary.adlib_lines);
  EXPECT_EQ("ANSI", summary.encoding);

  script::Sections s;
  memset(&s, 0, sizeof s);
  ASSERT_EQ(script::kLoadOk, script::LoadScript(&exe[0], exe.size(), &s));
  EXPECT_STREQ("Send, line 0{enter}", s.main.head->text);
  EXPECT_EQ(43, s.adlib.tail->number);
  script::FreeSection(&s.main);
  script::FreeSection(&s.adlib);

  EXPECT_FALSE(packer::ExtractScript(FakeRunner(), &back));
  EXPECT_FALSE(packer::SummariseContainer(FakeRunner(), &summary));
  EXPECT_EQ(FakeRunner().size(), packer::RunnerEnd(FakeRunner()));
  EXPECT_EQ(FakeRunner().size(), packer::RunnerEnd(exe));
}

// The blanks that end the ignored line are the fewest that bring the file to
// a multiple of 8 bytes: none when it is there already, never 8 or more.
// The fake runner is 83 bytes, and the container of "x" 57 more.
TEST(PackContainer, PadsTheIgnoredLineWithZeroToSevenBlanks) {
  const struct {
    size_t runner_extra;
    size_t blanks;
  } rows[] = {{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 0}, {5, 7}, {6, 6}, {7, 5}};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    Bytes runner = FakeRunner();
    runner.insert(runner.end(), rows[i].runner_extra, 'r');
    Bytes exe = packer::BuildContainer(runner, B("x"));
    packer::ContainerSummary summary;
    ASSERT_TRUE(packer::SummariseContainer(exe, &summary));
    EXPECT_EQ(std::string(packer::kIgnoredLine) + std::string(rows[i].blanks, ' '), summary.ignored)
        << rows[i].runner_extra;
    EXPECT_EQ(140 + rows[i].runner_extra + rows[i].blanks, exe.size()) << rows[i].runner_extra;
  }
}

// A packed program ends on a multiple of 8 bytes, so a signing tool puts no
// padding between the script and its certificate table.
TEST(PackContainer, EndsOnEightBytes) {
  for (size_t runner_extra = 0; runner_extra < 8; ++runner_extra) {
    Bytes runner = FakeRunner();
    runner.insert(runner.end(), runner_extra, 'r');
    for (size_t n = 0; n < 17; ++n) {
      Bytes script = B(std::string(n, 'x'));
      Bytes exe = packer::BuildContainer(runner, script);
      EXPECT_EQ(0u, exe.size() % 8) << runner_extra << " " << n;
      Bytes back;
      ASSERT_TRUE(packer::ExtractScript(exe, &back));
      EXPECT_EQ(script, back);
      EXPECT_EQ(runner.size(), packer::RunnerEnd(exe));
    }
  }
}

// Signing after packing appends a certificate table; the runner's loader,
// extract and info all stop before it and see the script unchanged.
TEST(PackSignature, SignedAfterPackingReadsTheSameScript) {
  Bytes script = B("FileAppend, one\\n, out.txt\n[ADLIB]\nIfWinExist, x\nlast");
  Bytes exe = packer::BuildContainer(fake_pe::Image(), script);
  Bytes signed_exe = fake_pe::Signed(exe);
  ASSERT_EQ(exe.size(), script::ScriptDataEnd(&signed_exe[0], signed_exe.size()));

  Bytes back;
  ASSERT_TRUE(packer::ExtractScript(signed_exe, &back));
  EXPECT_EQ(script, back);
  packer::ContainerSummary summary;
  ASSERT_TRUE(packer::SummariseContainer(signed_exe, &summary));
  EXPECT_EQ(4u, summary.lines);
  EXPECT_EQ(1, summary.main_lines);
  EXPECT_EQ(2, summary.adlib_lines);
  EXPECT_EQ(exe.size(), summary.script_end);
  EXPECT_EQ(fake_pe::Image().size(), packer::RunnerEnd(signed_exe));

  script::Sections s;
  memset(&s, 0, sizeof s);
  ASSERT_EQ(script::kLoadOk,
            script::LoadScript(&signed_exe[0], script::ScriptDataEnd(&signed_exe[0],
                                                                     signed_exe.size()), &s));
  EXPECT_STREQ("last", s.adlib.tail->text);
  EXPECT_EQ(4, s.adlib.tail->number);
  script::FreeSection(&s.main);
  script::FreeSection(&s.adlib);
}

TEST(PackSignature, RemoveSignatureCutsTheTableAndEmptiesTheEntry) {
  Bytes image = fake_pe::Image();
  Bytes signed_image = fake_pe::Signed(image);
  script::CertificateTable table;
  ASSERT_TRUE(packer::FindSignature(signed_image, &table));
  ASSERT_TRUE(packer::RemoveSignature(&signed_image));
  image.resize(table.offset, 0);  // the signer's zero padding stays
  EXPECT_EQ(image, signed_image);
  EXPECT_FALSE(packer::FindSignature(signed_image, &table));
  EXPECT_FALSE(packer::RemoveSignature(&signed_image));

  // A table that no longer ends the file: only the entry is emptied.
  Bytes appended = fake_pe::Signed(fake_pe::Image());
  appended.push_back('x');
  size_t size = appended.size();
  ASSERT_TRUE(packer::RemoveSignature(&appended));
  EXPECT_EQ(size, appended.size());
  EXPECT_FALSE(packer::FindSignature(appended, &table));
}

TEST(PackPaths, DefaultOutputAndDirectory) {
  EXPECT_EQ("dir/setup.exe", packer::DefaultOutputPath("dir/setup.kst"));
  EXPECT_EQ("setup.exe", packer::DefaultOutputPath("setup"));
  EXPECT_EQ("my.dir/setup.exe", packer::DefaultOutputPath("my.dir/setup"));
  EXPECT_EQ("dir\\", packer::DirectoryOf("dir\\kestro-pack.exe"));
  EXPECT_EQ("", packer::DirectoryOf("kestro-pack"));
}

// Builds in a fresh temporary directory holding a runner and a script.
class PackBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/kestro-pack-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(templ) != NULL);
    dir_ = templ;
    Write("kestro.exe", FakeRunner());
    Write("job.kst", B("\xEF\xBB\xBFRun, notepad\r\nWinWait, Untitled\r\n"));
    options_.script = Path("job.kst");
    options_.runner = Path("kestro.exe");
    options_.output = Path("job.exe");
    options_.force = false;
  }
  void TearDown() override {
    for (size_t i = 0; i < Files().size(); ++i) remove(Path(Files()[i]).c_str());
    rmdir(dir_.c_str());
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const Bytes& bytes) {
    std::string error;
    ASSERT_TRUE(packer::WriteFileAtomically(Path(name), bytes, false, &error)) << error;
  }
  Bytes Read(const std::string& name) const {
    Bytes b;
    packer::ReadFile(Path(name), &b);
    return b;
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    DIR* d = opendir(dir_.c_str());
    for (struct dirent* e; d && (e = readdir(d)) != NULL;)
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    if (d) closedir(d);
    return names;
  }
  // Builds expecting a refusal; checks the message names `file` and nothing new appeared.
  void ExpectRefused(const std::string& file, const std::string& what) {
    size_t before = Files().size();
    std::string error;
    EXPECT_FALSE(packer::BuildExecutable(options_, &error));
    EXPECT_EQ(0u, error.find(file + ":")) << error;
    EXPECT_NE(std::string::npos, error.find(what)) << error;
    EXPECT_EQ(before, Files().size());
  }

  std::string dir_;
  packer::BuildOptions options_;
};

TEST_F(PackBuild, WritesAnExecutableThatRoundTrips) {
  std::string error;
  ASSERT_TRUE(packer::BuildExecutable(options_, &error)) << error;
  Bytes script;
  ASSERT_TRUE(packer::ExtractScript(Read("job.exe"), &script));
  // The BOM travels in the container and comes back; the runner reads a UTF-8
  // script whose line 1 is without it.
  EXPECT_EQ("\xEF\xBB\xBFRun, notepad\nWinWait, Untitled\n",
            std::string(script.begin(), script.end()));
  Bytes exe = Read("job.exe");
  packer::ContainerSummary summary;
  ASSERT_TRUE(packer::SummariseContainer(exe, &summary));
  EXPECT_EQ("UTF-8 (with a byte order mark)", summary.encoding);
  script::Sections s;
  memset(&s, 0, sizeof s);
  ASSERT_EQ(script::kLoadOk, script::LoadScript(&exe[0], exe.size(), &s));
  EXPECT_TRUE(s.utf8);
  EXPECT_STREQ("Run, notepad", s.main.head->text);
  script::FreeSection(&s.main);
  script::FreeSection(&s.adlib);
  EXPECT_EQ("UTF-8 (no byte order mark)", packer::DescribeEncoding(B("Send, \xC3\xBC")));
  EXPECT_EQ("ANSI", packer::DescribeEncoding(B("Send, \xFC")));
  struct stat st;
  ASSERT_EQ(0, stat(Path("job.exe").c_str(), &st));
  EXPECT_EQ(0755u, st.st_mode & 0777u);
  EXPECT_EQ(3u, Files().size());  // no temporary file left behind

  // Building again replaces the output in place.
  Write("job.kst", B("Sleep, 1\n"));
  ASSERT_TRUE(packer::BuildExecutable(options_, &error)) << error;
  ASSERT_TRUE(packer::ExtractScript(Read("job.exe"), &script));
  EXPECT_EQ("Sleep, 1\n", std::string(script.begin(), script.end()));
}

TEST_F(PackBuild, ForceReplacesTheRunnersContainer) {
  std::string error;
  ASSERT_TRUE(packer::BuildExecutable(options_, &error)) << error;
  Write("second.kst", B("MsgBox, again\n"));
  options_.runner = Path("job.exe");
  options_.script = Path("second.kst");
  options_.output = Path("second.exe");
  ExpectRefused(options_.runner, "already carries a script; use --force");

  options_.force = true;
  ASSERT_TRUE(packer::BuildExecutable(options_, &error)) << error;
  Bytes exe = Read("second.exe");
  EXPECT_EQ(1u, CountMarkers(exe));
  EXPECT_EQ(packer::BuildContainer(FakeRunner(), B("MsgBox, again\n")), exe);
}

TEST_F(PackBuild, SignedRunnersLoseTheirSignature) {
  Bytes image = fake_pe::Image();
  Write("kestro.exe", fake_pe::Signed(image));
  std::string error;
  packer::BuildResult result;
  ASSERT_TRUE(packer::BuildExecutable(options_, &error, &result)) << error;
  EXPECT_TRUE(result.signature_removed);
  image.resize((image.size() + 7) / 8 * 8, 0);
  EXPECT_EQ(packer::BuildContainer(image, B("\xEF\xBB\xBFRun, notepad\nWinWait, Untitled\n")),
            Read("job.exe"));

  // A signed packed program used with --force: its script and its signature go.
  Write("signed-job.exe", fake_pe::Signed(packer::BuildContainer(fake_pe::Image(), B("x"))));
  options_.runner = Path("signed-job.exe");
  options_.force = true;
  ASSERT_TRUE(packer::BuildExecutable(options_, &error, &result)) << error;
  EXPECT_TRUE(result.signature_removed);
  EXPECT_EQ(packer::BuildContainer(fake_pe::Image(),
                                   B("\xEF\xBB\xBFRun, notepad\nWinWait, Untitled\n")),
            Read("job.exe"));

  options_.runner = Path("job.exe");  // now unsigned
  options_.output = Path("again.exe");
  ASSERT_TRUE(packer::BuildExecutable(options_, &error, &result)) << error;
  EXPECT_FALSE(result.signature_removed);
}

// Without --runner, build looks beside the packer, then in ../share/kestro/.
TEST_F(PackBuild, FindsTheRunnerBesideThePackerOrInstalled) {
  ASSERT_EQ(0, mkdir(Path("bin").c_str(), 0755));
  std::string packer = Path("bin/kestro-pack");
  std::vector<std::string> paths = packer::RunnerSearchPaths(packer);
  ASSERT_EQ(2u, paths.size());
  EXPECT_EQ(Path("bin/kestro.exe"), paths[0]);
  EXPECT_EQ(Path("bin/../share/kestro/kestro.exe"), paths[1]);
  std::string found;
  EXPECT_FALSE(packer::FindRunner(packer, &found));

  ASSERT_EQ(0, mkdir(Path("share").c_str(), 0755));
  ASSERT_EQ(0, mkdir(Path("share/kestro").c_str(), 0755));
  Write("share/kestro/kestro.exe", FakeRunner());
  ASSERT_TRUE(packer::FindRunner(packer, &found));
  EXPECT_EQ(paths[1], found);
  Write("bin/kestro.exe", FakeRunner());
  ASSERT_TRUE(packer::FindRunner(packer, &found));
  EXPECT_EQ(paths[0], found);

  remove(Path("bin/kestro.exe").c_str());
  remove(Path("share/kestro/kestro.exe").c_str());
  rmdir(Path("share/kestro").c_str());
  rmdir(Path("share").c_str());
  rmdir(Path("bin").c_str());
}

TEST_F(PackBuild, RefusesBadInputsAndWritesNothing) {
  options_.script = Path("missing.kst");
  ExpectRefused(options_.script, "cannot read script");

  options_.script = Path("job.kst");
  options_.runner = Path("missing.exe");
  ExpectRefused(options_.runner, "cannot read runner");

  Write("notpe.exe", B("MZ but nothing else of a PE file"));
  options_.runner = Path("notpe.exe");
  ExpectRefused(options_.runner, "not a Windows executable");

  options_.runner = Path("kestro.exe");
  Write("long.kst", B("ok\r\n" + std::string(1500, 'x') + "\r\n"));
  options_.script = Path("long.kst");
  ExpectRefused(options_.script + ":2", "1500 characters long");

  Write("nul.kst", B(std::string("a\0b", 3)));
  options_.script = Path("nul.kst");
  ExpectRefused(options_.script + ":1", "NUL byte");

  options_.script = Path("job.kst");
  options_.output = Path("job.kst");
  ExpectRefused(options_.output, "would overwrite an input");
  options_.output = dir_ + "/./kestro.exe";
  ExpectRefused(options_.output, "would overwrite an input");
  EXPECT_EQ(FakeRunner(), Read("kestro.exe"));

  options_.output = dir_ + "/no-such-dir/job.exe";
  ExpectRefused(options_.output, "cannot create a temporary file");
}

// Each word of a command line as a tool sees it: a plain word, id=value for a
// known option, [the message] for one it refuses.
TEST(ToolOptions, ReadsEverySpellingAndNamesTheNearest) {
  enum { kHelp = 1, kOut, kFormat, kJson };
  const script::OptionSpec specs[] = {
      {"--help", false, kHelp},    {"-h", false, kHelp},      {"-o", true, kOut},
      {"--output", true, kOut},    {"--format", true, kFormat}, {"--json", false, kJson},
  };
  const size_t count = sizeof specs / sizeof specs[0];
  const struct {
    std::vector<const char*> argv;
    const char* read;
  } rows[] = {
      {{"a.kst", "--format", "json", "--format=text", "-o=x=y", "--output", "-h"},
       "a.kst|3=json|3=text|2=x=y|2=-h|"},
      {{"--json", "-h", "-", "--", "--json", "-o"}, "4=|1=|-|--json|-o|"},
      {{"--formt=json", "--JSON", "--jsno", "--out=a", "-x", "--zzzzzz"},
       "[unknown option --formt; did you mean --format?]|[unknown option --JSON; did you mean "
       "--json?]|[unknown option --jsno; did you mean --json?]|[unknown option --out; did you "
       "mean --output?]|[unknown option -x]|[unknown option --zzzzzz]|"},
      {{"--json=yes", "--format"}, "[--json takes no value]|[--format needs a value]|"},
  };
  for (const auto& row : rows) {
    int next = 0;
    bool ended = false;
    script::OptionWord word;
    std::string read;
    while (script::ReadOption(static_cast<int>(row.argv.size()), row.argv.data(), &next, specs,
                              count, &ended, &word)) {
      if (word.kind == script::kOptionPlain) read += word.value;
      else if (word.kind == script::kOptionKnown)
        read += std::to_string(word.id) + "=" + word.value;
      else read += "[" + script::OptionProblem(word, specs, count) + "]";
      read += "|";
    }
    EXPECT_EQ(row.read, read);
  }
}

}  // namespace
