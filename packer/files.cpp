// The packer's file handling: whole-file reads, writes through a temporary
// file renamed into place, and path helpers. Standard C plus a few POSIX or
// Windows C-runtime calls; no Windows headers.
#include "packer/pack.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace packer {

bool ReadFile(const std::string& path, Bytes* out) {
  out->clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  bool ok = !ferror(f);
  int saved = errno;
  fclose(f);
  errno = saved;
  if (!ok && errno == 0) errno = EIO;
  return ok;
}

// Creates a new file that did not exist before; -1 when it cannot.
static int CreateNewFile(const std::string& path) {
#ifdef _WIN32
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
#endif
}

static bool WriteAll(int fd, const Bytes& bytes) {
  FILE* f =
#ifdef _WIN32
      _fdopen(fd, "wb");
#else
      fdopen(fd, "wb");
#endif
  if (!f) {
#ifdef _WIN32
    _close(fd);
#else
    close(fd);
#endif
    return false;
  }
  bool ok = bytes.empty() || fwrite(&bytes[0], 1, bytes.size(), f) == bytes.size();
  ok = fflush(f) == 0 && ok;
  return fclose(f) == 0 && ok;
}

// Replaces `to` with `from`. Windows' rename refuses an existing target, so
// the old file is removed first there.
static bool MoveIntoPlace(const std::string& from, const std::string& to) {
#ifdef _WIN32
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EEXIST && errno != EACCES) return false;
  remove(to.c_str());
#endif
  return rename(from.c_str(), to.c_str()) == 0;
}

bool WriteFileAtomically(const std::string& path, const Bytes& bytes, bool executable,
                         std::string* error) {
  std::string temp;
  int fd = -1;
  for (int i = 0; i < 100 && fd < 0; ++i) {
    char suffix[32];
    snprintf(suffix, sizeof suffix, ".tmp%d", i);
    temp = path + suffix;
    fd = CreateNewFile(temp);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = path + ": cannot create a temporary file beside it: " + strerror(errno);
    return false;
  }
  bool ok = WriteAll(fd, bytes);
#ifndef _WIN32
  if (ok && executable) ok = chmod(temp.c_str(), 0755) == 0;
#else
  (void)executable;
#endif
  if (ok) ok = MoveIntoPlace(temp, path);
  if (!ok) {
    int saved = errno;
    remove(temp.c_str());
    *error = path + ": cannot write: " + strerror(saved);
    return false;
  }
  return true;
}

static bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string DirectoryOf(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return path.substr(0, i);
}

std::string DefaultOutputPath(const std::string& script) {
  size_t base = DirectoryOf(script).size();
  size_t dot = script.rfind('.');
  if (dot == std::string::npos || dot <= base) return script + ".exe";  // no extension
  return script.substr(0, dot) + ".exe";
}

// An absolute, normalised form of the path; a file that does not exist yet
// is resolved through its directory.
static std::string Canonical(const std::string& path) {
#ifdef _WIN32
  char buf[_MAX_PATH];
  if (!_fullpath(buf, path.c_str(), sizeof buf)) return path;
  std::string full(buf);
  for (size_t i = 0; i < full.size(); ++i) {
    if (full[i] == '/') full[i] = '\\';
    if (full[i] >= 'A' && full[i] <= 'Z') full[i] = static_cast<char>(full[i] - 'A' + 'a');
  }
  return full;
#else
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf)) return buf;
  std::string dir = DirectoryOf(path);
  std::string name = path.substr(dir.size());
  if (!realpath(dir.empty() ? "." : dir.c_str(), buf)) return path;
  return std::string(buf) + "/" + name;
#endif
}

bool SamePath(const std::string& a, const std::string& b) {
#ifndef _WIN32
  // Hard links and other aliases of an existing file.
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
  return Canonical(a) == Canonical(b);
}

std::string OwnExecutablePath(const char* argv0) {
#ifdef _WIN32
  // The C runtime's copy of the program's full path; argv[0] may lack the directory.
  if (_pgmptr && _pgmptr[0]) return _pgmptr;
#else
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) return std::string(buf, static_cast<size_t>(n));
#endif
  return argv0 ? argv0 : "";
}

std::vector<std::string> RunnerSearchPaths(const std::string& packer_path) {
  std::string dir = DirectoryOf(packer_path);
  std::vector<std::string> paths;
  paths.push_back(dir + "kestro.exe");
#ifdef _WIN32
  paths.push_back(dir + "..\\share\\kestro\\kestro.exe");
#else
  paths.push_back(dir + "../share/kestro/kestro.exe");
#endif
  return paths;
}

bool FindRunner(const std::string& packer_path, std::string* found) {
  std::vector<std::string> paths = RunnerSearchPaths(packer_path);
  for (size_t i = 0; i < paths.size(); ++i) {
    FILE* f = fopen(paths[i].c_str(), "rb");
    if (!f) continue;
    fclose(f);
    *found = paths[i];
    return true;
  }
  return false;
}

}  // namespace packer
