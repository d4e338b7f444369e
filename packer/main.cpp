// kestro-pack's command line: build, extract and info over packed executables.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "packer/check_command.h"
#include "kestro_version.h"
#include "packer/pack.h"
#include "script/tool_options.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

const int kExitOk = 0;
const int kExitError = 1;  // a file could not be read, checked or written
const int kExitUsage = 2;  // the command line itself is wrong

// Each command's part of the usage text; "kestro-pack COMMAND --help" prints
// its own, "kestro-pack --help" all of them.
struct CommandUsage {
  const char* command;
  const char* text;
};

const CommandUsage kUsages[] = {
    {"build",
     "  kestro-pack build SCRIPT [-o OUT.exe] [--runner RUNNER.exe] [--force] [--no-check]\n"
     "      Checks SCRIPT, then packs it into a copy of the runner. OUT defaults to\n"
     "      SCRIPT with the extension .exe; RUNNER defaults to kestro.exe beside\n"
     "      kestro-pack, or else in ../share/kestro/ from kestro-pack's folder. A\n"
     "      signed runner's signature is removed from the copy. --force replaces\n"
     "      a script the runner already carries; --no-check packs without\n"
     "      checking (errors would then stop the run).\n"},
    {"check",
     "  kestro-pack check SCRIPT... [--werror] [--format text|json | --json]\n"
     "      Names each script's encoding (UTF-8 or ANSI) and reports its mistakes\n"
     "      as FILE:LINE:COL: error|warning: ... (COL counts characters).\n"
     "      Exit code 1 when there is an error (--werror: a warning too).\n"},
    {"extract",
     "  kestro-pack extract EXE [-o SCRIPT]\n"
     "      Writes the script EXE carries to SCRIPT, or to standard output.\n"},
    {"info",
     "  kestro-pack info EXE\n"
     "      Tells whether EXE carries a script, its size and encoding, where it\n"
     "      ends and whether EXE is signed.\n"},
};

const char kUsageEnd[] =
    "  kestro-pack --help | --version\n"
    "  Every command takes --help (or -h). An option's value may follow it or\n"
    "  be joined with \"=\": -o out.exe, --output=out.exe, --format=json.\n";

int UsageError(const std::string& message) {
  fprintf(stderr, "kestro-pack: %s\nTry 'kestro-pack --help'.\n", message.c_str());
  return kExitUsage;
}

int Fail(const std::string& message) {
  fprintf(stderr, "kestro-pack: %s\n", message.c_str());
  return kExitError;
}

// Prints the usage of one command, or of all when command is NULL.
int PrintUsage(const char* command) {
  fputs("Usage:\n", stdout);
  for (size_t i = 0; i < sizeof kUsages / sizeof kUsages[0]; ++i) {
    if (command == NULL || strcmp(command, kUsages[i].command) == 0) fputs(kUsages[i].text, stdout);
  }
  if (command == NULL) fputs(kUsageEnd, stdout);
  return kExitOk;
}

enum OptionId { kOptHelp = 1, kOptOutput, kOptRunner, kOptForce, kOptNoCheck };

// The options of build; extract and info take the first rows only.
const script::OptionSpec kBuildOptions[] = {
    {"--help", false, kOptHelp},     {"-h", false, kOptHelp},
    {"-o", true, kOptOutput},        {"--output", true, kOptOutput},
    {"--runner", true, kOptRunner},  {"--force", false, kOptForce},
    {"--no-check", false, kOptNoCheck},
};
const size_t kInfoOptionCount = 2;     // --help, -h
const size_t kExtractOptionCount = 4;  // and -o, --output
const size_t kBuildOptionCount = sizeof kBuildOptions / sizeof kBuildOptions[0];

// The words after the command: one positional file and the options.
struct Args {
  std::vector<std::string> files;
  std::string output;
  std::string runner;
  bool force;
  bool no_check;
  bool help;            // --help: print the command's usage and do nothing else
  std::string problem;  // first usage error, if any
};

Args ParseArgs(int argc, char** argv, size_t option_count) {
  Args args;
  args.force = false;
  args.no_check = false;
  args.help = false;
  int next = 2;
  bool options_ended = false;
  script::OptionWord word;
  while (args.problem.empty() && script::ReadOption(argc, argv, &next, kBuildOptions, option_count,
                                                    &options_ended, &word)) {
    if (word.kind == script::kOptionPlain) {
      args.files.push_back(word.value);
      continue;
    }
    if (word.kind != script::kOptionKnown) {
      args.problem = script::OptionProblem(word, kBuildOptions, option_count);
      continue;
    }
    switch (word.id) {
      case kOptHelp: args.help = true; break;
      case kOptOutput:
        if (!args.output.empty()) args.problem = "-o given twice";
        args.output = word.value;
        break;
      case kOptRunner:
        if (!args.runner.empty()) args.problem = "--runner given twice";
        args.runner = word.value;
        break;
      case kOptForce: args.force = true; break;
      case kOptNoCheck: args.no_check = true; break;
    }
  }
  if (args.help) args.problem.clear();
  else if (args.problem.empty() && args.files.size() != 1)
    args.problem = args.files.empty() ? "a file name is missing" : "too many file names";
  return args;
}

// The runner `build` uses without --runner: kestro.exe beside the packer, or
// where an installation puts it. When there is none, says where it looked.
bool FindDefaultRunner(const char* argv0, std::string* runner) {
  std::string own = packer::OwnExecutablePath(argv0);
  if (packer::FindRunner(own, runner)) return true;
  fprintf(stderr, "kestro-pack: cannot find the runner kestro.exe; looked for:\n");
  std::vector<std::string> paths = packer::RunnerSearchPaths(own);
  for (size_t i = 0; i < paths.size(); ++i) fprintf(stderr, "  %s\n", paths[i].c_str());
  fprintf(stderr, "Put kestro.exe beside kestro-pack, or name it with --runner RUNNER.exe.\n");
  return false;
}

// kestro-pack build SCRIPT [-o OUT.exe] [--runner RUNNER.exe] [--force]
//   e.g.  kestro-pack build setup.kst --runner dist/kestro.exe
int Build(int argc, char** argv) {
  Args args = ParseArgs(argc, argv, kBuildOptionCount);
  if (args.help) return PrintUsage("build");
  if (!args.problem.empty()) return UsageError(args.problem);
  packer::BuildOptions options;
  options.script = args.files[0];
  options.output = args.output.empty() ? packer::DefaultOutputPath(options.script) : args.output;
  options.runner = args.runner;
  if (options.runner.empty() && !FindDefaultRunner(argv[0], &options.runner)) return kExitError;
  options.force = args.force;
  std::string error;
  if (!args.no_check && !packer::CheckBeforeBuild(options.script, &error)) return Fail(error);
  packer::BuildResult result;
  if (!packer::BuildExecutable(options, &error, &result)) return Fail(error);
  if (result.signature_removed)
    printf("%s: the runner %s was signed; its signature is left out, as the script would "
           "break it. Sign the packed program instead.\n",
           options.output.c_str(), options.runner.c_str());
  printf("%s: packed %s\n", options.output.c_str(), options.script.c_str());
  return kExitOk;
}

// kestro-pack extract EXE [-o SCRIPT]
//   e.g.  kestro-pack extract setup.exe -o recovered.kst
int Extract(int argc, char** argv) {
  Args args = ParseArgs(argc, argv, kExtractOptionCount);
  if (args.help) return PrintUsage("extract");
  if (!args.problem.empty()) return UsageError(args.problem);
  const std::string& exe = args.files[0];
  packer::Bytes bytes, script;
  if (!packer::ReadFile(exe, &bytes)) return Fail(exe + ": cannot read: " + strerror(errno));
  if (!packer::ExtractScript(bytes, &script)) return Fail(exe + ": carries no Kestro script");
  if (!args.output.empty()) {
    if (packer::SamePath(args.output, exe))
      return Fail(args.output + ": output would overwrite the executable");
    std::string error;
    if (!packer::WriteFileAtomically(args.output, script, false, &error)) return Fail(error);
    return kExitOk;
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // the raw bytes, without CR added
#endif
  bool ok = script.empty() || fwrite(&script[0], 1, script.size(), stdout) == script.size();
  if (fflush(stdout) != 0 || !ok) return Fail("standard output: cannot write");
  return kExitOk;
}

// The ignored line as it may safely go to a terminal: control bytes become '?'.
std::string Printable(const std::string& text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c < 0x20 || c == 0x7F) out[i] = '?';
  }
  return out;
}

// The "signed:" line of info: whether the file has a certificate table, and
// where; a table that does not end the file is named as such.
void PrintSignature(const packer::Bytes& bytes) {
  if (!packer::IsPeImage(bytes)) return;
  script::CertificateTable table;
  if (!packer::FindSignature(bytes, &table)) {
    printf("  signed: no\n");
    return;
  }
  printf(table.at_end ? "  signed: yes, certificate table of %lu bytes at offset %lu\n"
                       : "  signed: unclear, a certificate table of %lu bytes at offset %lu "
                         "that does not end the file\n",
         static_cast<unsigned long>(table.size), static_cast<unsigned long>(table.offset));
}

// kestro-pack info EXE
//   e.g.  kestro-pack info setup.exe
int Info(int argc, char** argv) {
  Args args = ParseArgs(argc, argv, kInfoOptionCount);
  if (args.help) return PrintUsage("info");
  if (!args.problem.empty()) return UsageError(args.problem);
  const std::string& exe = args.files[0];
  packer::Bytes bytes;
  if (!packer::ReadFile(exe, &bytes)) return Fail(exe + ": cannot read: " + strerror(errno));
  packer::ContainerSummary summary;
  if (!packer::SummariseContainer(bytes, &summary)) {
    printf("%s: carries no Kestro script\n", exe.c_str());
    PrintSignature(bytes);
    return kExitError;
  }
  printf("%s: carries a Kestro script\n", exe.c_str());
  printf("  script: %lu lines, %lu bytes\n", static_cast<unsigned long>(summary.lines),
         static_cast<unsigned long>(summary.bytes));
  printf("  encoding: %s\n", summary.encoding.c_str());
  if (summary.main_lines >= 0)
    printf("  stored lines: %d main, %d adlib\n", summary.main_lines, summary.adlib_lines);
  printf("  ignored line: %s\n", Printable(summary.ignored).c_str());
  printf("  script ends at: offset %lu, %s\n", static_cast<unsigned long>(summary.script_end),
         summary.script_end == bytes.size() ? "the end of the file"
                                            : "where the certificate table starts");
  PrintSignature(bytes);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return UsageError("no command given");
  std::string command = argv[1];
  if (command == "--help" || command == "-h") return PrintUsage(NULL);
  if (command == "--version") {
    puts("kestro-pack " KESTRO_VERSION);
    return kExitOk;
  }
  if (command == "build") return Build(argc, argv);
  if (command == "extract") return Extract(argc, argv);
  if (command == "info") return Info(argc, argv);
  if (command == "check") {
    if (packer::CheckWantsHelp(argc, argv)) return PrintUsage("check");
    return packer::CheckCommand(argc, argv);
  }
  // A typo of a command or of a top-level option gets the nearest name.
  static const script::OptionSpec kTopLevel[] = {
      {"build", false, 0},  {"check", false, 0},  {"extract", false, 0},
      {"info", false, 0},   {"--help", false, 0}, {"--version", false, 0},
  };
  const char* nearest =
      script::NearestOption(command, kTopLevel, sizeof kTopLevel / sizeof kTopLevel[0]);
  bool option = command.size() > 1 && command[0] == '-';
  std::string hint = nearest ? std::string("; did you mean ") + nearest + "?" : std::string();
  return UsageError((option ? "unknown option " : "unknown command ") + command + hint);
}
