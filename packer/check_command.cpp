// kestro-pack check: reads each script as the runner will and prints what the
// checker finds, for people or (with --format json, or --json) for editors and CI.
#include "packer/check_command.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "checker/check.h"
#include "checker/report.h"
#include "packer/pack.h"
#include "script/tool_options.h"

namespace packer {

namespace {

struct CheckArgs {
  std::vector<std::string> files;
  bool werror;
  bool json;
  bool help;            // --help or -h: the usage, nothing checked
  std::string problem;  // first usage error, if any
};

enum CheckOptionId { kCheckHelp = 1, kCheckWerror, kCheckFormat, kCheckJson };

const script::OptionSpec kCheckOptions[] = {
    {"--help", false, kCheckHelp},     {"-h", false, kCheckHelp},
    {"--werror", false, kCheckWerror}, {"--format", true, kCheckFormat},
    {"--json", false, kCheckJson},
};
const size_t kCheckOptionCount = sizeof kCheckOptions / sizeof kCheckOptions[0];

CheckArgs ParseCheckArgs(int argc, char** argv) {
  CheckArgs args;
  args.werror = false;
  args.json = false;
  args.help = false;
  int next = 2;
  bool options_ended = false;
  script::OptionWord word;
  while (args.problem.empty() && script::ReadOption(argc, argv, &next, kCheckOptions,
                                                    kCheckOptionCount, &options_ended, &word)) {
    if (word.kind == script::kOptionPlain) {
      args.files.push_back(word.value);
    } else if (word.kind == script::kOptionMissingValue && word.id == kCheckFormat) {
      args.problem = "--format needs text or json";
    } else if (word.kind != script::kOptionKnown) {
      args.problem = script::OptionProblem(word, kCheckOptions, kCheckOptionCount);
    } else if (word.id == kCheckHelp) {
      args.help = true;
    } else if (word.id == kCheckWerror) {
      args.werror = true;
    } else if (word.id == kCheckJson) {
      args.json = true;
    } else if (word.value == "json" || word.value == "text") {
      args.json = word.value == "json";
    } else {
      args.problem = "--format takes text or json, not " + word.value;
    }
  }
  if (args.help) args.problem.clear();
  else if (args.problem.empty() && args.files.empty()) args.problem = "a script name is missing";
  return args;
}

// Reads and checks one script; a script that cannot be read is one error.
// `encoding`, when asked for, gets DescribeEncoding of the script.
bool CheckFile(const std::string& path, std::vector<checker::Diagnostic>* out,
               std::string* unreadable, std::string* encoding = NULL) {
  Bytes bytes;
  if (!ReadFile(path, &bytes)) {
    *unreadable = path + ": cannot read: " + strerror(errno);
    return false;
  }
  *out = checker::CheckScript(std::string(bytes.begin(), bytes.end()));
  if (encoding) *encoding = DescribeEncoding(bytes);
  return true;
}

// The JSON name of the kind: "UTF-8" or "ANSI", without the BOM detail.
const char* JsonEncoding(const std::string& described) {
  return described.compare(0, 5, "UTF-8") == 0 ? "UTF-8" : "ANSI";
}

// With --werror every warning counts, and is shown, as an error.
void PromoteWarnings(std::vector<checker::Diagnostic>* diagnostics) {
  for (size_t i = 0; i < diagnostics->size(); ++i) (*diagnostics)[i].severity = checker::kError;
}

}  // namespace

bool CheckWantsHelp(int argc, char** argv) { return ParseCheckArgs(argc, argv).help; }

int CheckCommand(int argc, char** argv) {
  CheckArgs args = ParseCheckArgs(argc, argv);
  if (!args.problem.empty()) {
    fprintf(stderr, "kestro-pack: %s\nTry 'kestro-pack --help'.\n", args.problem.c_str());
    return 2;
  }
  int errors = 0, warnings = 0;
  bool first = true;
  if (args.json) fputs("[", stdout);
  for (size_t f = 0; f < args.files.size(); ++f) {
    std::vector<checker::Diagnostic> found;
    std::string unreadable, encoding;
    if (!CheckFile(args.files[f], &found, &unreadable, &encoding)) {
      fprintf(stderr, "kestro-pack: %s\n", unreadable.c_str());
      ++errors;
      continue;
    }
    if (args.werror) PromoteWarnings(&found);
    errors += checker::CountSeverity(found, checker::kError);
    warnings += checker::CountSeverity(found, checker::kWarning);
    if (!args.json) {
      printf("%s: encoding %s\n", args.files[f].c_str(), encoding.c_str());
      fputs(checker::FormatText(args.files[f], found).c_str(), stdout);
      continue;
    }
    for (size_t i = 0; i < found.size(); ++i) {
      printf("%s\n  %s", first ? "" : ",", checker::FormatJsonItem(args.files[f], found[i], JsonEncoding(encoding)).c_str());
      first = false;
    }
  }
  if (args.json) fputs(first ? "]\n" : "\n]\n", stdout);
  else printf("%s\n", checker::Summary(errors, warnings, static_cast<int>(args.files.size())).c_str());
  return errors != 0 ? 1 : 0;
}

bool CheckBeforeBuild(const std::string& script, std::string* error) {
  std::vector<checker::Diagnostic> found;
  if (!CheckFile(script, &found, error)) return false;
  fputs(checker::FormatText(script, found).c_str(), stderr);
  int errors = checker::CountSeverity(found, checker::kError);
  if (errors == 0) return true;
  *error = script + ": " + checker::Summary(errors, checker::CountSeverity(found, checker::kWarning), 1) +
           "; fix the errors, or pack anyway with --no-check";
  return false;
}

}  // namespace packer
