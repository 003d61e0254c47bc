#include "common/rtl_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string_view>
#include <sys/file.h>
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

void RtlFile::readAllInto(std::string& buf) {
  // One read into a buffer of the file's size; whatever the file gained
  // since its size was taken follows.
  const std::int64_t left = size() - position();
  buf.resize(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
  std::size_t got = 0;
  while (got < buf.size()) {
    const std::size_t n = readSome(buf.data() + got, buf.size() - got);
    if (n == 0) break;
    got += n;
  }
  buf.resize(got);
  char more[4096];
  while (std::size_t n = readSome(more, sizeof more)) buf.append(more, n);
  if (std::ferror(f_)) throw IoError(kReadBeyondEof, path_);
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
  f.readAllInto(out);
  f.close();
  return out;
}

namespace {

constexpr std::size_t kTempSuffix = 6;  // as mkstemp's XXXXXX

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }

// Removes the temporaries named `prefix` + 6 letters or digits in `dir` that
// no live writer holds locked: they are what a killed run left behind.
void RemoveStaleTemporaries(const std::string& dir, const std::string& prefix) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  const int dfd = dirfd(d);
  while (const dirent* e = readdir(d)) {
    const std::string_view name(e->d_name);
    if (name.size() != prefix.size() + kTempSuffix || !name.starts_with(prefix) ||
        !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), IsAsciiAlnum))
      continue;
    const int fd = openat(dfd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {}, named {};
    if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0 && fstatat(dfd, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == held.st_ino && named.st_dev == held.st_dev)
      unlinkat(dfd, e->d_name, 0);
    ::close(fd);
  }
  closedir(d);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) : path_(path) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path dir = target.parent_path();
  const std::string folder = (dir.empty() ? fs::path(".") : dir).string();
  tmpPrefix_ = folder + "/." + target.filename().string() + ".";
  RemoveStaleTemporaries(folder, "." + target.filename().string() + ".");
  // The unnamed file is linked in through /proc; without it, a named one.
  if (::access("/proc/self/fd", X_OK) == 0) {
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
  }
  openNamed();
}

void AtomicFile::openNamed() {
  tmp_ = tmpPrefix_ + std::string(kTempSuffix, 'X');
  errno = 0;
  fd_ = mkostemp(tmp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    const int err = errno;
    tmp_.clear();
    throw IoError(IoCodeFromErrno(err), path_);
  }
  // Held until this process ends: tells a live temporary from a stale one.
  flock(fd_, LOCK_EX | LOCK_NB);
}

void AtomicFile::giveName() {
  flock(fd_, LOCK_EX | LOCK_NB);  // locked before it can be seen
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = tmpPrefix_;
    for (std::size_t k = 0; k < kTempSuffix; ++k) name += kChars[random() % (sizeof kChars - 1)];
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      tmp_ = std::move(name);
      return;
    }
    if (errno != EEXIST) fail(errno);
  }
  fail(EEXIST);
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
}

void AtomicFile::fail(int err) {
  discard();
  throw IoError(err == ENOSPC ? kDiskFull : IoCodeFromErrno(err), path_);
}

void AtomicFile::write(const void* data, std::size_t n) {
  if (fd_ < 0) throw IoError(kFileNotOpen, path_);
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    if (w == 0) fail(ENOSPC);
    p += w;
    n -= static_cast<std::size_t>(w);
  }
}

void AtomicFile::commit() {
  if (fd_ < 0) throw IoError(kFileNotOpen, path_);
  if (fsync(fd_) != 0 && errno != EINVAL) fail(errno);
  // mkstemp makes 0600; give the file the mode a plain create would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
  if (tmp_.empty()) giveName();
  // Renamed while still open and locked, so that no other writer takes the
  // named temporary for a stale one; the bytes are on the disk already.
  if (std::rename(tmp_.c_str(), path_.c_str()) != 0) fail(errno);
  tmp_.clear();
  ::close(fd_);
  fd_ = -1;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  AtomicFile f(path);
  f.write(bytes.data(), bytes.size());
  f.commit();
}

}  // namespace kv
