#include "common/rtl_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "common/io_error.h"

namespace kv {

RtlFile::~RtlFile() {
  if (f_) std::fclose(f_);
}

RtlFile::RtlFile(RtlFile&& o) noexcept : f_(o.f_), path_(std::move(o.path_)) { o.f_ = nullptr; }

RtlFile& RtlFile::operator=(RtlFile&& o) noexcept {
  if (this != &o) {
    if (f_) std::fclose(f_);
    f_ = o.f_;
    path_ = std::move(o.path_);
    o.f_ = nullptr;
  }
  return *this;
}

static std::FILE* OpenOrThrow(const std::string& path, const char* mode) {
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), mode);
  if (!f) throw IoError(IoCodeFromErrno(errno), path);
  // A folder opens for reading on Linux; the runtime refused it.
  struct stat st {};
  if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(f);
    throw IoError(kAccessDenied, path);
  }
  return f;
}

void RtlFile::reset(const std::string& path) {
  close();
  f_ = OpenOrThrow(path, "rb");
  path_ = path;
}

int RtlFile::tryReset(const std::string& path) {
  try {
    reset(path);
    return 0;
  } catch (const IoError& e) {
    return e.code();
  }
}

void RtlFile::rewrite(const std::string& path) {
  close();
  f_ = OpenOrThrow(path, "wb");
  // Sample records arrive 64 bytes at a time; a larger buffer saves syscalls.
  std::setvbuf(f_, nullptr, _IOFBF, 1 << 16);
  path_ = path;
}

void RtlFile::append(const std::string& path) {
  close();
  f_ = OpenOrThrow(path, "ab");
  path_ = path;
}

void RtlFile::close() {
  if (!f_) return;
  std::FILE* f = f_;
  f_ = nullptr;
  errno = 0;
  if (std::fclose(f) != 0) throw IoError(errno == ENOSPC ? kDiskFull : kAccessDenied, path_);
}

void RtlFile::need() const {
  if (!f_) throw IoError(kFileNotOpen, path_);
}

void RtlFile::blockRead(void* buf, std::size_t n) {
  need();
  if (n == 0) return;
  if (std::fread(buf, 1, n, f_) != n) throw IoError(kReadBeyondEof, path_);
}

std::size_t RtlFile::readSome(void* buf, std::size_t n) {
  need();
  return n == 0 ? 0 : std::fread(buf, 1, n, f_);
}

void RtlFile::blockWrite(const void* buf, std::size_t n) {
  need();
  if (n == 0) return;
  errno = 0;
  if (std::fwrite(buf, 1, n, f_) != n) throw IoError(errno == ENOSPC ? kDiskFull : kAccessDenied, path_);
}

void RtlFile::seek(std::int64_t pos) {
  need();
  if (pos < 0 || fseeko(f_, static_cast<off_t>(pos), SEEK_SET) != 0) throw IoError(kReadBeyondEof, path_);
}

std::int64_t RtlFile::position() {
  need();
  return static_cast<std::int64_t>(ftello(f_));
}

std::int64_t RtlFile::size() {
  need();
  std::fflush(f_);
  struct stat st {};
  if (fstat(fileno(f_), &st) != 0) throw IoError(kAccessDenied, path_);
  return static_cast<std::int64_t>(st.st_size);
}

bool RtlFile::eof() {
  need();
  int c = std::fgetc(f_);
  if (c == EOF) return true;
  std::ungetc(c, f_);
  return false;
}

void EraseFile(const std::string& path) {
  errno = 0;
  if (std::remove(path.c_str()) != 0 && errno != ENOENT) throw IoError(IoCodeFromErrno(errno), path);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadWholeFile(const std::string& path) {
  RtlFile f;
  f.reset(path);
  std::string out;
  char buf[65536];
  for (;;) {
    std::size_t n = f.readSome(buf, sizeof buf);
    if (n == 0) break;
    out.append(buf, n);
  }
  f.close();
  return out;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path dir = target.parent_path();
  std::string tmpl = (dir.empty() ? fs::path(".") : dir).string() + "/." + target.filename().string() + ".XXXXXX";
  int fd = mkstemp(tmpl.data());
  if (fd < 0) throw IoError(IoCodeFromErrno(errno), path);
  std::FILE* f = fdopen(fd, "wb");
  if (!f) {
    ::close(fd);
    ::unlink(tmpl.c_str());
    throw IoError(kAccessDenied, path);
  }
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int err = errno;
  ok = (std::fflush(f) == 0) && ok;
  ok = (fsync(fileno(f)) == 0 || errno == EINVAL) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (ok) {
    // mkstemp makes 0600; give the file the mode a plain create would.
    mode_t mask = umask(0);
    umask(mask);
    chmod(tmpl.c_str(), 0666 & ~mask);
  }
  if (!ok || std::rename(tmpl.c_str(), path.c_str()) != 0) {
    if (!err) err = errno;
    ::unlink(tmpl.c_str());
    throw IoError(err == ENOSPC ? kDiskFull : IoCodeFromErrno(err), path);
  }
}

}  // namespace kv
