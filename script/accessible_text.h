// What the window matcher decides about the text of a window's accessible
// elements, whatever reads them: the limits of one walk of a window's element
// tree, when a window is walked again, how long a match waits for a walk, and
// how one walk's answer is kept and searched.
#ifndef KESTRO_SCRIPT_ACCESSIBLE_TEXT_H
#define KESTRO_SCRIPT_ACCESSIBLE_TEXT_H

namespace script {

// One walk reads at most this many levels below the window's own element,
// this many elements and this many bytes of text, and stops after this many
// milliseconds; a walk that reaches a limit ends with what it has read.
const int kAccessibleMaxDepth = 12;
const int kAccessibleMaxElements = 4000;
const int kAccessibleAnswerSize = 128 * 1024;
const unsigned kAccessibleMaxWalkMs = 30000;

// How long a match waits for a walk of the window it looks at. A walk that
// takes longer goes on; meanwhile the window is matched by its last answer.
const unsigned kAccessibleAnswerWaitMs = 150;

// A window is walked again no sooner than this many times its last walk's
// duration after that walk ended: the walks of a window waited for take at
// most half the time, a small tree is walked at every poll or two and a
// large one (a thousand elements take some 10 s across processes under Wine)
// every two walks' time. A text that stays is found by the next walk.
const unsigned kAccessibleRestFactor = 1;

// How many walks may be under way at once, each on its own thread: a program
// that hangs holds one until it answers, and the others serve other windows.
const int kAccessibleWalkers = 4;

// Where a window's walks stand.
struct AccessibleWalkState {
  bool answered;     // a walk has ended: the window has a last answer
  bool walking;      // a walk is under way
  unsigned started;  // when it started (a millisecond clock that may wrap)
  unsigned due;      // when the next walk may start, once one has ended
};

enum AccessibleStep {
  kAccessibleUseLastAnswer,  // match on the last answer (none: no text)
  kAccessibleStartWalk,      // start a walk, wait for it up to *wait_ms
  kAccessibleAwaitWalk       // a walk is under way: wait for it up to *wait_ms
};

// What a match of the window does now. A walk that has run past the answer
// wait is not waited for again, so a hung program costs one wait, not one
// per poll.
AccessibleStep PlanAccessibleMatch(const AccessibleWalkState& state, unsigned now,
                                   unsigned* wait_ms);

// Marks a walk started at `now`, and the walk under way ended at `ended`.
void AccessibleWalkStarted(AccessibleWalkState* state, unsigned now);
void AccessibleWalkEnded(AccessibleWalkState* state, unsigned ended);

// A walk's answer: one entry per text, each a kind byte, a role byte and the
// text with its terminating zero. Names and values of elements are texts;
// an element that is hidden (or under a hidden one) marks its texts hidden.
struct AccessibleText {
  bool value;        // the element's value, else its name
  bool hidden;
  int role;          // the element's role number (0 to 254 kept; larger is 254)
  const char* text;
};

// Appends a text (an empty one is left out). Returns the answer's new length,
// or -1 when it does not fit in size bytes (the answer is then unchanged).
int AppendAccessibleText(char* answer, int used, int size, const AccessibleText& entry);

// Reads the entry at pos of an answer `used` bytes long into *out; returns
// the position of the next entry, or -1 when there is none at pos.
int NextAccessibleText(const char* answer, int used, int pos, AccessibleText* out);

// True when one text of the answer contains `wanted` (letter case counts);
// hidden texts take part only when hidden_too.
bool AccessibleAnswerHolds(const char* answer, int used, const char* wanted, bool hidden_too);

}  // namespace script

#endif
