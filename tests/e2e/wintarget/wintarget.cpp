// wintarget: opens top-level windows for the window tests, each with the title,
// child texts and behaviour asked for, and logs the messages they receive.
//
//   wintarget [--log FILE] [--lifetime MS] --window TITLE [WINDOW OPTIONS]...
//
// Window options (they apply to the --window before them):
//   --name LABEL          the window's name in the log (default: the title)
//   --class NAME          window class (default KestroTarget)
//   --rect X,Y,W,H        outer position and size
//   --child TEXT          a visible static control with that text (repeatable)
//   --hidden-child TEXT   an invisible one
//   --nested-child TEXT   a visible one inside another control
//   --hidden              the window is never shown
//   --delay MS            the window opens MS after start
//   --close-after MS      and destroys itself MS after opening
//   --hang                its thread stops answering messages once it is shown
//   --refuse              answers WM_QUERYENDSESSION with FALSE
//   --refuse-close N      ignores the first N WM_CLOSE messages
//   --report              the close line tells the state, position and size
//   --report-active       and whether the window is the foreground window
//   --log-moves           logs every new position or size
//   --vanish-on-activate  destroys itself as soon as it is activated
//   --vanish-on-minimize  destroys itself as soon as it is minimised
//   --deflect TITLE       hands the activation on to the window titled TITLE
//   --slow-minimize MS    its thread is busy for MS when it is first minimised, so
//                         an activation that minimises it first waits that long
//   --settle MS           a title set sooner than MS after the window's next
//                         activation is logged "(too soon: N ms)", a later one "(settled)"
//   --forward-title TITLE when it comes forward after the slow minimise it takes this
//                         title without a log line, so a script can tell that moment
//
// Log lines (default file wintarget.log) read "NAME: EVENT", EVENT being one of
// close, close refused, close STATE..., queryendsession [refused],
// endsession 0|1, title NEW, command N, moved X,Y WxH, forward. The program ends when
// all its windows are gone, or after its lifetime (default 60000 ms).
#include <stdio.h>
#include <windows.h>

#include "options.h"
#include "target_window.h"

int main(int argc, char** argv) {
  static wintarget::Options options;
  if (!wintarget::ParseOptions(argc, argv, &options)) return 2;
  wintarget::OpenLog(options.log_path);
  if (!wintarget::RegisterClasses(options)) {
    fprintf(stderr, "wintarget: cannot register the window classes\n");
    return 1;
  }
  HANDLE threads[wintarget::kMaxWindows];
  int count = 0;
  for (int i = 0; i < options.window_count; ++i) {
    HANDLE thread = CreateThread(NULL, 0, wintarget::RunWindow, &options.windows[i], 0, NULL);
    if (thread) threads[count++] = thread;
  }
  if (count > 0) WaitForMultipleObjects(count, threads, TRUE, options.lifetime_ms);
  // A hung window's thread never ends by itself: leave without waiting for it.
  ExitProcess(0);
}
