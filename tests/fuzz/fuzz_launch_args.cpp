// Fuzz target: the runner's command line through the "/p" argument publisher and the option parser.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "script/launch_args.h"
#include "script/text_encoding.h"
#include "tests/unit/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string command_line(reinterpret_cast<const char*>(data), size);
  command_line = command_line.c_str();  // a command line ends at its first NUL
  fake::Platform platform;

  script::PublishScriptArgs(platform.services(), command_line.c_str());
  // Arguments are numbered from 1 without gaps, each cut to kArgBufSize - 1
  // characters; the text after "/p" is cut as well, so there are at most that many.
  int count = 0;
  char name[16];
  for (;;) {
    snprintf(name, sizeof name, "%d", count + 1);
    if (!platform.HasEnv(name)) break;
    if (platform.Env(name).size() > (size_t)script::kArgBufSize - 1) abort();
    ++count;
  }
  if (count > script::kArgBufSize) abort();
  snprintf(name, sizeof name, "%d", count + 2);
  if (platform.HasEnv(name)) abort();

  script::LaunchOptions options;
  memset(&options, 0x5A, sizeof options);  // the parser sets every field
  script::ParseLaunchOptions(command_line.c_str(), &options);
  if (memchr(options.log_path, '\0', sizeof options.log_path) == 0) abort();
  if (!options.unattended && options.log_path[0] != '\0') abort();

  // A UTF-8 command line gives a log path of whole characters.
  script::ParseLaunchOptions(command_line.c_str(), &options, true);
  if (script::IsValidUtf8(command_line.data(), command_line.size()) &&
      !script::IsValidUtf8(options.log_path, strlen(options.log_path))) {
    abort();
  }
  return 0;
}
