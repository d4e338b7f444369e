// kestro-spy: shows what the runner's window matcher and mouse commands see
// under the pointer. With --at, --lines-at or --match it writes one report and
// ends (see spy_args.h); without, it opens its live window. Its arguments are
// read from the UTF-16 command line, and its reports are UTF-8.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "authoring/spy_args.h"
#include "authoring/spy_facts.h"
#include "authoring/spy_probe_win.h"
#include "authoring/spy_window_win.h"

namespace {

const char kUsage[] =
    "usage: kestro-spy [--pos X,Y] [--pointer X,Y]\n"
    "       kestro-spy --at X,Y [--mode 1|2] [--hidden] [--out FILE]\n"
    "       kestro-spy --lines-at X,Y [--mode 1|2] [--hidden] [--out FILE]\n"
    "       kestro-spy --match TITLE [TEXT] [--mode 1|2] [--hidden] [--out FILE]\n"
    "       kestro-spy --help\n"
    "An option's value may also follow an equals sign: --mode=2, --out=report.json.\n";

// Writes to a standard handle; a GUI program may have none, and then the
// text is lost (the tests use --out).
void WriteStd(DWORD which, const std::string& text) {
  HANDLE handle = GetStdHandle(which);
  if (handle == NULL || handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
}

// --help: the usage on standard output; in a box when there is none (a GUI
// program started from a console window gets no handles of its own).
void ShowUsage() {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle != NULL && handle != INVALID_HANDLE_VALUE) {
    WriteStd(STD_OUTPUT_HANDLE, kUsage);
  } else {
    MessageBoxA(NULL, kUsage, "kestro-spy", MB_OK | MB_ICONINFORMATION);
  }
}

// The report goes to --out, or to standard output. Exit code 0, or 1 when
// the file cannot be written.
int Report(const authoring::SpyArgs& args, const std::string& text) {
  if (args.out.empty()) {
    WriteStd(STD_OUTPUT_HANDLE, text);
    return 0;
  }
  FILE* f = _wfopen(authoring::ToWide(args.out).c_str(), L"wb");
  if (f == NULL) {
    WriteStd(STD_ERROR_HANDLE, "kestro-spy: cannot write " + args.out + "\n");
    return 1;
  }
  bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = fclose(f) == 0 && ok;
  return ok ? 0 : 1;
}

// The arguments after the program name, in UTF-8, so that a title in any
// language can be named.
std::vector<std::string> Utf8Args() {
  std::vector<std::string> out;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == NULL) return out;
  for (int i = 1; i < count; ++i) out.push_back(authoring::FromWide(wide[i]));
  LocalFree(wide);
  return out;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  authoring::SpyArgs args;
  std::string error;
  std::vector<std::string> words = Utf8Args();
  std::vector<const char*> argv;
  for (size_t i = 0; i < words.size(); ++i) argv.push_back(words[i].c_str());
  argv.push_back(NULL);
  if (!authoring::ParseSpyArgs(static_cast<int>(words.size()), &argv[0], &args, &error)) {
    WriteStd(STD_ERROR_HANDLE, "kestro-spy: " + error + "\n" + kUsage);
    return 2;
  }
  if (args.help) {
    ShowUsage();
    return 0;
  }
  switch (args.action) {
    case authoring::kSpyAt:
    case authoring::kSpyLinesAt: {
      authoring::PointFacts facts;
      authoring::ProbePoint(args.x, args.y, args.mode, args.hidden, NULL, &facts);
      if (args.action == authoring::kSpyLinesAt) {
        return Report(args, facts.has_window ? authoring::CopyLines(facts, args.hidden) : "");
      }
      return Report(args, authoring::PointJson(facts, args.hidden));
    }
    case authoring::kSpyMatch: {
      authoring::MatchFacts facts;
      facts.title = args.title;
      facts.text = args.text;
      facts.mode = args.mode;
      facts.hidden = args.hidden;
      authoring::ProbeMatch(&facts);
      return Report(args, authoring::MatchJson(facts));
    }
    case authoring::kSpyLive: break;
  }
  return authoring::RunSpyWindow(instance, args);
}
