#pragma once
// A small file layer with the runtime's semantics: open for reading ("reset"),
// create or truncate ("rewrite"), block read/write, seek, size, erase. Every
// failure throws IoError with the runtime's code. Files close on destruction,
// so no path leaves one open.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kv {

class RtlFile {
 public:
  RtlFile() = default;
  ~RtlFile();
  RtlFile(const RtlFile&) = delete;
  RtlFile& operator=(const RtlFile&) = delete;
  RtlFile(RtlFile&& o) noexcept;
  RtlFile& operator=(RtlFile&& o) noexcept;

  void reset(const std::string& path);    // open existing, read-only
  void rewrite(const std::string& path);  // create or truncate, write-only
  void append(const std::string& path);   // open existing for writing at end
  // Returns the runtime code of opening for reading (0 on success); never throws.
  int tryReset(const std::string& path);

  bool isOpen() const { return f_ != nullptr; }
  const std::string& path() const { return path_; }
  void close();  // flushes; a failed flush throws (disk full)

  // Reads exactly n bytes or throws "Read beyond end of file".
  void blockRead(void* buf, std::size_t n);
  // Reads up to n bytes, returns how many were read.
  std::size_t readSome(void* buf, std::size_t n);
  // Reads the rest of the file into `buf`, reusing its storage: a buffer
  // kept from an earlier read of about the same size is neither allocated
  // nor cleared again.
  void readAllInto(std::string& buf);
  void blockWrite(const void* buf, std::size_t n);
  void seek(std::int64_t pos);
  std::int64_t position();
  std::int64_t size();
  bool eof();

  std::FILE* handle() { return f_; }

 private:
  void need() const;
  std::FILE* f_ = nullptr;
  std::string path_;
};

// Erase a file; throws IoError when it exists and cannot be removed.
void EraseFile(const std::string& path);
bool FileExists(const std::string& path);

// Reads a whole file into a string (binary); throws IoError.
std::string ReadWholeFile(const std::string& path);
// A file written beside `path` and put in its place by commit(), whole and
// on the disk; until then an existing file of that name stays as it was.
// The bytes go into an unnamed file of the folder, of which a killed process
// leaves nothing; it is named only for the rename. Where the file system has
// no unnamed files, into a hidden ".<name>.XXXXXX" that its writer keeps
// locked; each new AtomicFile of `path` removes those whose writer has died.
// Destroyed without a commit, it leaves nothing behind.
class AtomicFile {
 public:
  // Creates the temporary file; throws IoError when the folder does not take
  // a new file.
  explicit AtomicFile(const std::string& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void write(const void* data, std::size_t n);  // throws IoError
  void commit();                                 // throws IoError; the temporary is gone either way
  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void fail(int err);
  void discard();
  void openNamed();
  void giveName();
  std::string path_;
  std::string tmpPrefix_;  // folder and ".<name>." of the temporaries
  std::string tmp_;        // the temporary's name; empty while it has none
  int fd_ = -1;
};

// Writes a file completely under a temporary name in the same folder and
// renames it over `path` only when complete; throws IoError and leaves any
// existing file untouched on failure.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace kv
