// Tests of the packer: script normalisation, the runner check, the round trip
// through a packed executable, and the build command's refusals.
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

namespace {

using pack::Bytes;

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
  bool ok = pack::NormaliseScript(B(text), &out, &problem);
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
  EXPECT_EQ("Sleep, 1\n", Normalised("\xEF\xBB\xBFSleep, 1\r\n"));
  EXPECT_EQ("x\xEF\xBB\xBF", Normalised("x\xEF\xBB\xBF"));  // only a leading BOM goes
  EXPECT_EQ("", Normalised(""));
}

TEST(PackNormalise, RefusesLinesTheRunnerWouldCut) {
  std::string error;
  EXPECT_EQ(std::string(1023, 'a') + "\n", Normalised(std::string(1023, 'a') + "\r\n"));
  EXPECT_EQ("<error>", Normalised("ok\n\n" + std::string(1024, 'a') + "\nok", &error));
  EXPECT_EQ("3: line is 1024 characters long; the runner keeps only 1023. Split the line.", error);
  EXPECT_EQ("<error>", Normalised("a\r\nb\r\n" + std::string(2000, 'z'), &error));  // last line
  EXPECT_EQ(0u, error.find("3: line is 2000 characters long"));
  EXPECT_EQ("<error>", Normalised(std::string("one\ntw\0o\n", 9), &error));
  EXPECT_EQ(0u, error.find("2: line holds a NUL byte")) << error;
}

TEST(PackRunner, RecognisesPeImagesOnly) {
  EXPECT_TRUE(pack::IsPeImage(FakeRunner()));
  EXPECT_FALSE(pack::IsPeImage(B("MZ")));
  const size_t spoil[] = {1, 0x3C, 0x3F, 0x42};  // "MZ", e_lfanew past the end or huge, "PE"
  for (size_t i = 0; i < 4; ++i) {
    Bytes b = FakeRunner();
    b[spoil[i]] = 0xF0;
    EXPECT_FALSE(pack::IsPeImage(b)) << spoil[i];
  }
}

TEST(PackContainer, RoundTripAndWhatTheRunnerLoads) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "Send, line " + std::to_string(i) + "{enter}\n";
  text += "[ADLIB]\nIfWinExist, Error\nlast without line feed";
  Bytes script = B(text);
  Bytes runner = FakeRunner();
  Bytes exe = pack::BuildContainer(runner, script);
  EXPECT_TRUE(std::equal(runner.begin(), runner.end(), exe.begin()));
  EXPECT_EQ(1u, CountMarkers(exe));

  Bytes back;
  ASSERT_TRUE(pack::ExtractScript(exe, &back));
  EXPECT_EQ(script, back);
  EXPECT_EQ(pack::BuildContainer(FakeRunner(), Bytes()).size(), exe.size() - script.size());

  pack::ContainerSummary summary;
  ASSERT_TRUE(pack::SummariseContainer(exe, &summary));
  EXPECT_EQ(43u, summary.lines);
  EXPECT_EQ(script.size(), summary.bytes);
  EXPECT_EQ("kestro-script 1", summary.ignored);
  EXPECT_EQ(40, summary.main_lines);
  EXPECT_EQ(2, summary.adlib_lines);

  script::Sections s;
  memset(&s, 0, sizeof s);
  ASSERT_EQ(script::kLoadOk, script::LoadScript(&exe[0], exe.size(), &s));
  EXPECT_STREQ("Send, line 0{enter}", s.main.head->text);
  EXPECT_EQ(43, s.adlib.tail->number);
  script::FreeSection(&s.main);
  script::FreeSection(&s.adlib);

  EXPECT_FALSE(pack::ExtractScript(FakeRunner(), &back));
  EXPECT_FALSE(pack::SummariseContainer(FakeRunner(), &summary));
  EXPECT_EQ(FakeRunner().size(), pack::RunnerEnd(FakeRunner()));
  EXPECT_EQ(FakeRunner().size(), pack::RunnerEnd(exe));
}

TEST(PackPaths, DefaultOutputAndDirectory) {
  EXPECT_EQ("dir/setup.exe", pack::DefaultOutputPath("dir/setup.kst"));
  EXPECT_EQ("setup.exe", pack::DefaultOutputPath("setup"));
  EXPECT_EQ("my.dir/setup.exe", pack::DefaultOutputPath("my.dir/setup"));
  EXPECT_EQ("dir\\", pack::DirectoryOf("dir\\kestro-pack.exe"));
  EXPECT_EQ("", pack::DirectoryOf("kestro-pack"));
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
    ASSERT_TRUE(pack::WriteFileAtomically(Path(name), bytes, false, &error)) << error;
  }
  Bytes Read(const std::string& name) const {
    Bytes b;
    pack::ReadFile(Path(name), &b);
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
    EXPECT_FALSE(pack::BuildExecutable(options_, &error));
    EXPECT_EQ(0u, error.find(file + ":")) << error;
    EXPECT_NE(std::string::npos, error.find(what)) << error;
    EXPECT_EQ(before, Files().size());
  }

  std::string dir_;
  pack::BuildOptions options_;
};

TEST_F(PackBuild, WritesAnExecutableThatRoundTrips) {
  std::string error;
  ASSERT_TRUE(pack::BuildExecutable(options_, &error)) << error;
  Bytes script;
  ASSERT_TRUE(pack::ExtractScript(Read("job.exe"), &script));
  EXPECT_EQ("Run, notepad\nWinWait, Untitled\n", std::string(script.begin(), script.end()));
  struct stat st;
  ASSERT_EQ(0, stat(Path("job.exe").c_str(), &st));
  EXPECT_EQ(0755u, st.st_mode & 0777u);
  EXPECT_EQ(3u, Files().size());  // no temporary file left behind

  // Building again replaces the output in place.
  Write("job.kst", B("Sleep, 1\n"));
  ASSERT_TRUE(pack::BuildExecutable(options_, &error)) << error;
  ASSERT_TRUE(pack::ExtractScript(Read("job.exe"), &script));
  EXPECT_EQ("Sleep, 1\n", std::string(script.begin(), script.end()));
}

TEST_F(PackBuild, ForceReplacesTheRunnersContainer) {
  std::string error;
  ASSERT_TRUE(pack::BuildExecutable(options_, &error)) << error;
  Write("second.kst", B("MsgBox, again\n"));
  options_.runner = Path("job.exe");
  options_.script = Path("second.kst");
  options_.output = Path("second.exe");
  ExpectRefused(options_.runner, "already carries a script; use --force");

  options_.force = true;
  ASSERT_TRUE(pack::BuildExecutable(options_, &error)) << error;
  Bytes exe = Read("second.exe");
  EXPECT_EQ(1u, CountMarkers(exe));
  EXPECT_EQ(pack::BuildContainer(FakeRunner(), B("MsgBox, again\n")), exe);
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

}  // namespace
