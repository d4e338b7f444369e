// kestro-spy: shows what the runner's window matcher and mouse commands see
// under the pointer. With --at, --lines-at or --match it writes one report and
// ends (see spy_args.h); without, it opens its live window.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <string>

#include "authoring/spy_args.h"
#include "authoring/spy_facts.h"
#include "authoring/spy_probe_win.h"
#include "authoring/spy_window_win.h"

namespace {

const char kUsage[] =
    "usage: kestro-spy [--pos X,Y] [--pointer X,Y]\n"
    "       kestro-spy --at X,Y [--mode 1|2] [--hidden] [--out FILE]\n"
    "       kestro-spy --lines-at X,Y [--mode 1|2] [--hidden] [--out FILE]\n"
    "       kestro-spy --match TITLE [TEXT] [--mode 1|2] [--hidden] [--out FILE]\n";

// Writes to a standard handle; a GUI program may have none, and then the
// text is lost (the tests use --out).
void WriteStd(DWORD which, const std::string& text) {
  HANDLE handle = GetStdHandle(which);
  if (handle == NULL || handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
}

// The report goes to --out, or to standard output. Exit code 0, or 1 when
// the file cannot be written.
int Report(const authoring::SpyArgs& args, const std::string& text) {
  if (args.out.empty()) {
    WriteStd(STD_OUTPUT_HANDLE, text);
    return 0;
  }
  FILE* f = fopen(args.out.c_str(), "wb");
  if (f == NULL) {
    WriteStd(STD_ERROR_HANDLE, "kestro-spy: cannot write " + args.out + "\n");
    return 1;
  }
  bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = fclose(f) == 0 && ok;
  return ok ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  authoring::SpyArgs args;
  std::string error;
  if (!authoring::ParseSpyArgs(__argc - 1, __argv + 1, &args, &error)) {
    WriteStd(STD_ERROR_HANDLE, "kestro-spy: " + error + "\n" + kUsage);
    return 2;
  }
  switch (args.action) {
    case authoring::kSpyAt:
    case authoring::kSpyLinesAt: {
      authoring::PointFacts facts;
      authoring::ProbePoint(args.x, args.y, args.mode, args.hidden, NULL, &facts);
      // The lines stay in the system's code page, as a script file holds them.
      if (args.action == authoring::kSpyLinesAt) {
        return Report(args, facts.has_window ? authoring::CopyLines(facts, args.hidden) : "");
      }
      authoring::ToUtf8(&facts);
      return Report(args, authoring::PointJson(facts, args.hidden));
    }
    case authoring::kSpyMatch: {
      authoring::MatchFacts facts;
      facts.title = args.title;
      facts.text = args.text;
      facts.mode = args.mode;
      facts.hidden = args.hidden;
      authoring::ProbeMatch(&facts);
      authoring::ToUtf8(&facts);
      return Report(args, authoring::MatchJson(facts));
    }
    case authoring::kSpyLive: break;
  }
  return authoring::RunSpyWindow(instance, args);
}
