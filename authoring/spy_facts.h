// What the spy finds out: about the point under the pointer and about a match,
// and how it shows it (JSON for the command line, text for the live window,
// script lines for the clipboard). Filled by the Win32 side, shown here.
#ifndef KESTRO_AUTHORING_SPY_FACTS_H
#define KESTRO_AUTHORING_SPY_FACTS_H

#include <string>
#include <vector>

namespace authoring {

struct Rect {
  int left, top, right, bottom;
};

// One child text of a window, as the text test reads it, or one name or
// value of its accessible elements.
struct TextSeen {
  std::string text;
  bool visible;  // hidden ones are tested only with DetectHiddenText On
  // What holds it: a control's class ("Button", "Edit", ...) or an
  // element's role ("push button", "text", ...); "" when not known.
  std::string kind;
  // How likely the text is to change as the user works: kStays for a
  // button's or label's words, kChanges for an edit's content or a status
  // bar, kUnknown otherwise.
  int stability;
};

enum TextStability { kUnknown = 0, kStays = 1, kChanges = 2 };

// How likely a control's text (by its class) and an accessible element's
// name or value (by its role number) are to stay as they are.
int ClassStability(const std::string& class_name);
int RoleStability(int role, bool value);

// An element's role as words ("push button"), or its number for roles
// without a name here.
std::string RoleName(int role);

// The point under the pointer.
struct PointFacts {
  int x, y;           // screen pixels
  bool has_window;    // a top-level window is there
  std::string title;  // its title as the title test reads it
  std::string class_name;
  Rect rect;            // its outer rectangle
  std::string program;  // the file name of its program
  bool has_control;     // a child window is under the point
  std::string control_class;
  int control_id;
  std::string control_text;
  Rect control_rect;
  std::vector<TextSeen> texts;  // every non-empty text, in the text test's order
  // Every name and value of the window's accessible elements, in the order
  // they are read (looked at only with DetectAccessibleText On).
  std::vector<TextSeen> accessible;
  int rel_x, rel_y;             // the position as MouseMove and LeftClick take it
  bool rel_to_foreground;       // false: measured from the window under the pointer
  std::string rel_to;           // the title of the window measured from
  std::string active;           // the foreground window's title
  bool wait_finds_this;         // the WinWait line finds this very window first
  bool wait_finds_other;        // it finds another window first
  std::string wait_finds;       // the title of that other window
};

// One top-level window the matcher examined, and its verdicts.
struct WindowVerdict {
  std::string title;
  std::string class_name;
  Rect rect;
  bool title_passes;
  bool text_tested;  // false when the title failed or there was no text
  bool text_passes;
};

// A match: the pattern, the settings, and every window examined in order.
struct MatchFacts {
  std::string title, text;
  int mode;     // SetTitleMatchMode
  bool hidden;  // DetectHiddenText On
  bool accessible = false;  // DetectAccessibleText On
  std::vector<WindowVerdict> windows;
  bool matched;  // the last window examined is the winner
};

// The WinWait line the spy proposes for the window under the pointer, and why.
struct Proposal {
  std::string text;       // the text it names ("": the title alone)
  bool needs_accessible;  // only the accessible elements hold it: the line
                          // needs DetectAccessibleText, On before it
  bool only_changing;     // the only text found is likely to change
};

// Picks the text: the control's under the pointer when the text test would
// look at it and it is not likely to change; else the first control text that
// stays; else the first accessible name that stays and that no control holds;
// else the control's text likely to change, said so (or no text, said so when
// the window's texts are all likely to change). Long or multi-line texts give
// their start.
Proposal ProposeWait(const PointFacts& facts, bool hidden);

// The text of the proposed line.
std::string WaitText(const PointFacts& facts, bool hidden);

// The accessible texts that hold words no control text holds: what would
// match only with DetectAccessibleText, On.
std::vector<std::string> OnlyAccessible(const PointFacts& facts, bool hidden);

// The title the spy's lines name: the title, or the start of a long one.
std::string LineTitle(const PointFacts& facts);

// The lines the spy copies: WinWait (after DetectAccessibleText, On when the
// proposal needs it), WinActivate and LeftClick, each ending in CR LF.
std::string CopyLines(const PointFacts& facts, bool hidden);

// The reports of --at and --match, as one JSON object each.
std::string PointJson(const PointFacts& facts, bool hidden);
std::string MatchJson(const MatchFacts& facts);

// The live window's panel: one field a line, CR LF between lines.
std::string PointDisplay(const PointFacts& facts, bool hidden);

// One line of the "What will match" list, and the line below the list.
std::string VerdictLine(const WindowVerdict& verdict, bool winner);
std::string MatchSummary(const MatchFacts& facts);

}  // namespace authoring

#endif
