// Drives the interpreter the way the run loop does, for the engine and flow
// tests: load lines as the main section, then step until the script waits.
#ifndef KESTRO_TESTS_UNIT_ENGINE_HARNESS_H
#define KESTRO_TESTS_UNIT_ENGINE_HARNESS_H

#include <string>
#include <vector>

namespace test_engine {

// Stores the lines as the main section, numbered from 1, and points the
// program counter at the first. Fails the current test when a line cannot be stored.
void LoadMain(const std::vector<std::string>& lines);

// Steps like the run loop, at most max_steps times, until the script leaves
// the running state; returns the number of steps taken.
int RunSteps(int max_steps);

}  // namespace test_engine

#endif
