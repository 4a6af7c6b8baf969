// SPDX-License-Identifier: Apache-2.0
#include "textio/record_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "textio/console_events.h"
#include "textio/failure.h"
#include "textio/resolved_name.h"
#include "textio/write_all.h"

namespace {

void keep_name(Connection& c, std::string resolved) {
  c.name = std::move(resolved);
  c.saved_errno = 0;
}

bool access_refused(int e) { return e == EACCES || e == EPERM || e == EROFS; }

[[noreturn]] void open_refused(int unit, int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR: raise_failure(29, unit);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: raise_failure(9, unit);
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: raise_failure(43, unit);
    case ENXIO:
    case ENODEV: raise_failure(42, unit);
    case EMFILE:
    case ENFILE: raise_failure(30, unit);
  }
  connection(unit).saved_errno = e;
  raise_failure(30, unit);
}

// A file already connected in this run is never connected twice: the input
// can not be overwritten, nor a line file be the list file.
bool connected_elsewhere(int unit, FileId id) {
  for (int other = kUnitInput; other <= kUnitLine; ++other) {
    const Connection& o = connection(other);
    if (other != unit && o.connected && o.id == id) return true;
  }
  return false;
}

}  // namespace

void open_unit(int unit, std::string_view name, OpenMode mode) {
  Connection& c = connection(unit);
  keep_name(c, resolve_name(name));
  const char* path = c.name.c_str();
  if (c.name.find('\0') != std::string::npos) raise_failure(43, unit);

  // Output files are only written: a pipe whose reader has left then fails
  // the write instead of waiting for the program itself to read it.
  bool read_only = mode == OpenMode::existing;
  int flags = read_only ? O_RDONLY : O_WRONLY | O_CREAT;
  int fd = open(path, flags | O_CLOEXEC, 0666);
  if (fd < 0 && !read_only && access_refused(errno)) {
    read_only = true;
    fd = open(path, O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  }
  if (fd < 0) open_refused(unit, errno);

  struct stat st;
  if (fstat(fd, &st) != 0) {
    int e = errno;
    close(fd);
    open_refused(unit, e);
  }
  if (S_ISDIR(st.st_mode)) {
    close(fd);
    raise_failure(9, unit);
  }
  FileId id{st.st_dev, st.st_ino};
  if (connected_elsewhere(unit, id)) {
    close(fd);
    c.saved_errno = EBUSY;
    raise_failure(30, unit);
  }
  c.fd = fd;
  c.read_only = read_only;
  c.regular = S_ISREG(st.st_mode);
  c.truncate_after_write = c.regular;
  c.id = id;
  c.offset = 0;
  c.reader = LineReader{fd};
  c.connected = true;
}

void refuse_name(int unit, std::string_view name, int number) {
  keep_name(connection(unit), resolve_name(name));
  raise_failure(number, unit);
}

FileId unit_file_id(int unit) { return connection(unit).id; }

void continue_at_end(int unit) {
  Connection& c = connection(unit);
  if (!c.regular) return;  // a pipe or a device just goes on
  off_t end = lseek(c.fd, 0, SEEK_END);
  if (end < 0) {
    c.saved_errno = errno;
    raise_failure(38, unit);
  }
  c.offset = end;
  c.truncate_after_write = false;
}

bool read_record(int unit, std::string_view* record) {
  Connection& c = connection(unit);
  const char* text;
  size_t len;
  switch (next_line(c.reader, &text, &len)) {
    case LineStatus::line:
      *record = {text, len};
      return true;
    case LineStatus::end:
      return false;
    case LineStatus::read_error:
      c.saved_errno = errno;
      raise_failure(39, unit);
    case LineStatus::no_memory:
      raise_failure(22, unit);
  }
  return false;
}

void write_record(int unit, const char* bytes, size_t n) {
  Connection& c = connection(unit);
  if (c.read_only) raise_failure(47, unit);
  // No ending signal may land between the first record and the cut-off,
  // which would leave old content behind the new record.
  bool first = c.truncate_after_write;
  if (first) hold_ending_signals();
  size_t written;
  if (!write_all(c.fd, bytes, n, &written)) {
    c.saved_errno = errno;
    if (written > 0 && c.regular) {
      int cut = ftruncate(c.fd, c.offset);  // the report is about the write
      (void)cut;
    }
    raise_failure(38, unit);
  }
  c.offset += static_cast<off_t>(n);
  if (first) {
    if (ftruncate(c.fd, c.offset) != 0) {
      c.saved_errno = errno;
      raise_failure(38, unit);
    }
    c.truncate_after_write = false;
    release_ending_signals();
  }
}

void close_unit(int unit) {
  Connection& c = connection(unit);
  if (!c.connected) return;
  c.connected = false;
  release(c.reader);
  if (close(c.fd) != 0) {
    c.saved_errno = errno;
    raise_failure(28, unit);
  }
}
