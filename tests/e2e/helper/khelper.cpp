// khelper: the end-to-end tests' console program that watches and drives windows under Wine.
#include <stdio.h>
#include <string.h>

#include "tests/e2e/helper/args.h"
#include "tests/e2e/helper/boxes.h"
#include "tests/e2e/helper/drive.h"

namespace {

void PrintUsage() {
  fputs("usage: khelper boxes --out FILE [--timeout MS] [--count N] [--press BUTTON|none]\n"
        "                     [--press-delay MS] [--stop FILE] [--exe NAME]\n"
        "       khelper window --class NAME [--title T] [--timeout MS]\n"
        "       khelper post|send --class NAME [--title T] --msg N [--wparam W] [--lparam L]\n"
        "       khelper version\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage();
    return 2;
  }
  khelper::Args args = {argc - 2, argv + 2};
  const char* command = argv[1];
  if (strcmp(command, "boxes") == 0) return khelper::RunBoxes(args);
  if (strcmp(command, "window") == 0) return khelper::RunWindow(args);
  if (strcmp(command, "post") == 0) return khelper::RunMessage(args, false);
  if (strcmp(command, "send") == 0) return khelper::RunMessage(args, true);
  if (strcmp(command, "version") == 0) {
    // The driver runs this once to learn whether Wine can start programs of this build.
    printf("khelper %d-bit\n", (int)(sizeof(void*) * 8));
    return 0;
  }
  PrintUsage();
  return 2;
}
