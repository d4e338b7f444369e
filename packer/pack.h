// The packer's work, apart from its command line: preparing script text,
// building and reading containers, and writing the packed executable safely.
#ifndef KESTRO_PACKER_PACK_H
#define KESTRO_PACKER_PACK_H

#include <stddef.h>

#include <string>
#include <vector>

#include "script/pe_file.h"

namespace packer {

typedef std::vector<unsigned char> Bytes;

// The text of the ignored line the packer writes after the marker line.
extern const char* const kIgnoredLine;

// Reads a whole file; false when it cannot be opened or read.
bool ReadFile(const std::string& path, Bytes* out);

// Turns script file text into what the runner reads: CR LF or a lone CR
// become one LF; a leading UTF-8 BOM is kept (it tells the runner the script
// is UTF-8, and `extract` gives it back). Fails on a line the runner would
// cut short or a NUL byte; `error` then reads "LINE: what is wrong".
bool NormaliseScript(const Bytes& text, Bytes* out, std::string* error);

// The kind of script the runner sees in these bytes, as info and check name
// it: "UTF-8 (with a byte order mark)", "UTF-8 (no byte order mark)" or "ANSI".
std::string DescribeEncoding(const Bytes& text);

// True when the bytes begin with an MZ header whose e_lfanew points at a
// "PE\0\0" signature inside the data.
bool IsPeImage(const Bytes& bytes);

// Appends LF, the marker line, the ignored line and the encoded script to the
// runner bytes. The ignored line is padded with spaces so that the file ends
// on a multiple of 8 bytes: a signing tool then appends its certificate table
// right after the script, with no padding in between that the runner would
// decode as script text.
Bytes BuildContainer(const Bytes& runner, const Bytes& script);

// Where the script data of a file ends: before a certificate table that ends
// the file, else at its end.
size_t ScriptEnd(const Bytes& exe);

// Where an existing container's marker line begins, cutting off the line feed
// the packer wrote before it; `size` when there is no container.
size_t RunnerEnd(const Bytes& exe);

// The file's certificate table; false when it has none (or is no PE image).
bool FindSignature(const Bytes& exe, script::CertificateTable* table);

// Removes a signature: cuts off a certificate table that ends the file and
// empties the security directory entry. False when there was none.
bool RemoveSignature(Bytes* exe);

// What a packed executable carries.
struct ContainerSummary {
  size_t lines;         // lines of the decoded script text
  size_t bytes;         // decoded script bytes
  std::string ignored;  // the ignored line's text
  int main_lines;       // lines the runner stores in the main section
  int adlib_lines;      // and in the Adlib section
  size_t script_end;    // file offset where the script data ends
  std::string encoding;  // DescribeEncoding of the decoded script
};

// Decodes the script exactly as the runner does, raw, up to ScriptEnd; false
// without container.
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

// What `build` did beyond packing.
struct BuildResult {
  bool signature_removed;  // the runner was signed; the copy no longer is
};

// Builds the packed executable: reads and checks both inputs, then writes
// the output through a temporary file beside it. A signed runner loses its
// signature in the copy, since the appended script would break it anyway.
// On failure nothing is left behind and `error` reads "FILE: what is wrong".
bool BuildExecutable(const BuildOptions& options, std::string* error,
                     BuildResult* result = NULL);

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

// Where `build` looks for the runner when none is named, in order: kestro.exe
// beside the packer, then in the installed layout's ../share/kestro/.
std::vector<std::string> RunnerSearchPaths(const std::string& packer_path);

// The first of RunnerSearchPaths that can be opened; false when none can.
bool FindRunner(const std::string& packer_path, std::string* found);

}  // namespace packer

#endif
