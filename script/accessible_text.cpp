// The accessible-text decisions of the window matcher: when a window's
// elements are walked, and how a walk's answer is kept and searched.
#include "script/accessible_text.h"

#include <string.h>

namespace script {

namespace {

// The kind byte: never zero, so an entry never looks like a terminator.
const unsigned char kKindBase = 0x40;
const unsigned char kKindValue = 0x01;
const unsigned char kKindHidden = 0x02;
const int kLargestRole = 254;

}  // namespace

AccessibleStep PlanAccessibleMatch(const AccessibleWalkState& state, unsigned now,
                                   unsigned* wait_ms) {
  *wait_ms = 0;
  if (state.walking) {
    unsigned elapsed = now - state.started;
    if (elapsed >= kAccessibleAnswerWaitMs) return kAccessibleUseLastAnswer;
    *wait_ms = kAccessibleAnswerWaitMs - elapsed;
    return kAccessibleAwaitWalk;
  }
  // Signed difference: the clock may have wrapped between the two readings.
  if (state.answered && static_cast<int>(now - state.due) < 0) return kAccessibleUseLastAnswer;
  *wait_ms = kAccessibleAnswerWaitMs;
  return kAccessibleStartWalk;
}

void AccessibleWalkStarted(AccessibleWalkState* state, unsigned now) {
  state->walking = true;
  state->started = now;
}

void AccessibleWalkEnded(AccessibleWalkState* state, unsigned ended) {
  unsigned took = ended - state->started;
  if (took > kAccessibleMaxWalkMs) took = kAccessibleMaxWalkMs;
  state->walking = false;
  state->answered = true;
  state->due = ended + took * kAccessibleRestFactor;
}

int AppendAccessibleText(char* answer, int used, int size, const AccessibleText& entry) {
  size_t length = strlen(entry.text);
  if (length == 0) return used;
  if (used < 0 || length > static_cast<size_t>(size) || size - used < static_cast<int>(length) + 3)
    return -1;
  int role = entry.role < 0 ? 0 : entry.role > kLargestRole ? kLargestRole : entry.role;
  answer[used] = static_cast<char>(kKindBase | (entry.value ? kKindValue : 0) |
                                   (entry.hidden ? kKindHidden : 0));
  answer[used + 1] = static_cast<char>(role + 1);
  memcpy(answer + used + 2, entry.text, length + 1);
  return used + 2 + static_cast<int>(length) + 1;
}

int NextAccessibleText(const char* answer, int used, int pos, AccessibleText* out) {
  if (pos < 0 || pos + 2 >= used) return -1;
  const char* end = static_cast<const char*>(memchr(answer + pos + 2, '\0', static_cast<size_t>(used - pos - 2)));
  if (end == 0) return -1;
  unsigned char kind = static_cast<unsigned char>(answer[pos]);
  out->value = (kind & kKindValue) != 0;
  out->hidden = (kind & kKindHidden) != 0;
  out->role = static_cast<unsigned char>(answer[pos + 1]) - 1;
  out->text = answer + pos + 2;
  return static_cast<int>(end - answer) + 1;
}

bool AccessibleAnswerHolds(const char* answer, int used, const char* wanted, bool hidden_too) {
  AccessibleText entry;
  for (int pos = 0; (pos = NextAccessibleText(answer, used, pos, &entry)) >= 0;) {
    if (entry.hidden && !hidden_too) continue;
    if (strstr(entry.text, wanted) != 0) return true;
  }
  return false;
}

}  // namespace script
