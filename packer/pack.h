// The packer's work, apart from its command line: preparing script text,
// building and reading containers, and writing the packed executable safely.
#ifndef KESTRO_PACKER_PACK_H
#define KESTRO_PACKER_PACK_H

#include <stddef.h>

#include <string>
#include <vector>

namespace pack {

typedef std::vector<unsigned char> Bytes;

// The text of the ignored line the packer writes after the marker line.
extern const char* const kIgnoredLine;

// Reads a whole file; false when it cannot be opened or read.
bool ReadFile(const std::string& path, Bytes* out);

// Turns script file text into what the runner reads: a leading UTF-8 BOM is
// dropped and CR LF or a lone CR become one LF. Fails on a line the runner
// would cut short or a NUL byte; `error` then reads "LINE: what is wrong".
bool NormaliseScript(const Bytes& text, Bytes* out, std::string* error);

// True when the bytes begin with an MZ header whose e_lfanew points at a
// "PE\0\0" signature inside the data.
bool IsPeImage(const Bytes& bytes);

// Appends LF, the marker line, the ignored line and the encoded script to the
// runner bytes.
Bytes BuildContainer(const Bytes& runner, const Bytes& script);

// Where an existing container's marker line begins, cutting off the line feed
// the packer wrote before it; `size` when there is no container.
size_t RunnerEnd(const Bytes& exe);

// What a packed executable carries.
struct ContainerSummary {
  size_t lines;         // lines of the decoded script text
  size_t bytes;         // decoded script bytes
  std::string ignored;  // the ignored line's text
  int main_lines;       // lines the runner stores in the main section
  int adlib_lines;      // and in the Adlib section
};

// Decodes the script exactly as the runner does, raw; false without container.
bool ExtractScript(const Bytes& exe, Bytes* script);

// Summarises the container; false when there is none.
bool SummariseContainer(const Bytes& exe, ContainerSummary* summary);

// The inputs of `kestro-pack build`.
struct BuildOptions {
  std::string script;  // script text file
  std::string output;  // packed executable to write
  std::string runner;  // kestro.exe to copy
  bool force;          // replace a container the runner already carries
};

// Builds the packed executable: reads and checks both inputs, then writes
// the output through a temporary file beside it. On failure nothing is left
// behind and `error` reads "FILE: what is wrong".
bool BuildExecutable(const BuildOptions& options, std::string* error);

// Writes bytes to a temporary file beside `path` and renames it into place;
// `executable` also sets the mode bits where the system has them.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes, bool executable,
                         std::string* error);

// True when both paths name the same file (after making them absolute).
bool SamePath(const std::string& a, const std::string& b);

// The default output path: the script path with its extension replaced by ".exe".
std::string DefaultOutputPath(const std::string& script);

// The directory part of a path, with its trailing separator ("" for none).
std::string DirectoryOf(const std::string& path);

// The packer's own executable file, to find the runner beside it.
std::string OwnExecutablePath(const char* argv0);

}  // namespace pack

#endif
