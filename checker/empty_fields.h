// The fields a command refuses to run with when they are empty, and what the
// runner says then.
#ifndef KESTRO_CHECKER_EMPTY_FIELDS_H
#define KESTRO_CHECKER_EMPTY_FIELDS_H

namespace checker {

// One field that must not be empty.
struct EmptyFieldRule {
  int command;          // the command's index in the table
  int field;            // which of its fields, from 0
  const char* what;     // the field in a hint: "the section"
  const char* message;  // the runner's error when it is empty
};

// The rule for a command's field, or null when the field may be empty.
const EmptyFieldRule* FindEmptyFieldRule(int command, int field);

}  // namespace checker

#endif
