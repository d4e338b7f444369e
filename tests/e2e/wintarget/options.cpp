// Reads wintarget's command line: global options first, then one group of
// options per window, each group starting with --window TITLE.
#include "options.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace wintarget {

namespace {

bool IsFlag(const char* arg, const char* name) { return strcmp(arg, name) == 0; }

// Reads "X,Y,W,H".
bool ParseRect(const char* text, WindowRequest* req) {
  return sscanf(text, "%d,%d,%d,%d", &req->x, &req->y, &req->width, &req->height) == 4;
}

void StartWindow(Options* options, const char* title) {
  WindowRequest* req = &options->windows[options->window_count++];
  memset(req, 0, sizeof(*req));
  req->title = title;
  req->name = title;
  req->class_name = "KestroTarget";
  // Windows are staggered so that they do not all cover each other.
  req->x = 60 + 30 * (options->window_count - 1);
  req->y = 60 + 30 * (options->window_count - 1);
  req->width = 320;
  req->height = 200;
}

bool AddChild(WindowRequest* req, const char* text, bool hidden, bool nested) {
  if (req->child_count == kMaxChildren) return false;
  Child* child = &req->children[req->child_count++];
  child->text = text;
  child->hidden = hidden;
  child->nested = nested;
  return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* options) {
  memset(options, 0, sizeof(*options));
  options->log_path = "wintarget.log";
  options->lifetime_ms = 60000;
  WindowRequest* req = NULL;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : NULL;
    bool takes_value = true;
    bool ok = true;
    if (IsFlag(arg, "--log") && value) {
      options->log_path = value;
    } else if (IsFlag(arg, "--lifetime") && value) {
      options->lifetime_ms = atoi(value);
    } else if (IsFlag(arg, "--window") && value) {
      if (options->window_count == kMaxWindows) ok = false;
      else StartWindow(options, value);
      req = ok ? &options->windows[options->window_count - 1] : NULL;
    } else if (req == NULL) {
      ok = false;
    } else if (IsFlag(arg, "--name") && value) {
      req->name = value;
    } else if (IsFlag(arg, "--class") && value) {
      req->class_name = value;
    } else if (IsFlag(arg, "--rect") && value) {
      ok = ParseRect(value, req);
    } else if (IsFlag(arg, "--child") && value) {
      ok = AddChild(req, value, false, false);
    } else if (IsFlag(arg, "--hidden-child") && value) {
      ok = AddChild(req, value, true, false);
    } else if (IsFlag(arg, "--nested-child") && value) {
      ok = AddChild(req, value, false, true);
    } else if (IsFlag(arg, "--delay") && value) {
      req->delay_ms = atoi(value);
    } else if (IsFlag(arg, "--close-after") && value) {
      req->close_after_ms = atoi(value);
    } else if (IsFlag(arg, "--refuse-close") && value) {
      req->refuse_close = atoi(value);
    } else if (IsFlag(arg, "--deflect") && value) {
      req->deflect = value;
    } else if (IsFlag(arg, "--slow-minimize") && value) {
      req->slow_minimize_ms = atoi(value);
    } else if (IsFlag(arg, "--settle") && value) {
      req->settle_ms = atoi(value);
    } else if (IsFlag(arg, "--forward-title") && value) {
      req->forward_title = value;
    } else {
      takes_value = false;
      if (IsFlag(arg, "--hidden")) req->hidden = true;
      else if (IsFlag(arg, "--hang")) req->hang = true;
      else if (IsFlag(arg, "--refuse")) req->refuse_session_end = true;
      else if (IsFlag(arg, "--report")) req->report = true;
      else if (IsFlag(arg, "--report-active")) req->report_active = req->report = true;
      else if (IsFlag(arg, "--log-moves")) req->log_moves = true;
      else if (IsFlag(arg, "--vanish-on-activate")) req->vanish_on_activate = true;
      else if (IsFlag(arg, "--vanish-on-minimize")) req->vanish_on_minimize = true;
      else ok = false;
    }
    if (!ok) {
      fprintf(stderr, "wintarget: bad option %s\n", arg);
      return false;
    }
    if (takes_value) ++i;
  }
  return true;
}

}  // namespace wintarget
