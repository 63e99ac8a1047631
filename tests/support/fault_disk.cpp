#define FUSE_USE_VERSION 31
#include "tests/support/fault_disk.h"

#include <fcntl.h>
#include <fuse.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ombrix::test {

namespace {

constexpr const char* kDiskName = "/disk";

FaultDisk& DiskOfCall() {
  return *static_cast<FaultDisk*>(fuse_get_context()->private_data);
}

int GetAttr(const char* path, struct stat* st, struct fuse_file_info*) {
  std::memset(st, 0, sizeof *st);
  if (std::strcmp(path, "/") == 0) {
    st->st_mode = S_IFDIR | 0755;
    st->st_nlink = 2;
    return 0;
  }
  if (std::strcmp(path, kDiskName) != 0) return -ENOENT;
  st->st_mode = S_IFREG | 0644;
  st->st_nlink = 1;
  st->st_size = DiskOfCall().size();
  return 0;
}

int Open(const char* path, struct fuse_file_info* fi) {
  if (std::strcmp(path, kDiskName) != 0) return -ENOENT;
  fi->direct_io = 1;  // no cache of this file: every read and write of the loop device comes here
  return 0;
}

int Read(const char*, char* data, std::size_t bytes, off_t offset, struct fuse_file_info*) {
  return DiskOfCall().ReadAt(data, bytes, offset);
}

int Write(const char*, const char* data, std::size_t bytes, off_t offset, struct fuse_file_info*) {
  return DiskOfCall().WriteAt(data, bytes, offset);
}

int Sync(const char*, int, struct fuse_file_info*) {
  return DiskOfCall().SyncStore();
}

int Flush(const char*, struct fuse_file_info*) {
  return 0;
}

const struct fuse_operations kOperations = [] {
  struct fuse_operations ops {};
  ops.getattr = GetAttr;
  ops.open = Open;
  ops.read = Read;
  ops.write = Write;
  ops.fsync = Sync;
  ops.flush = Flush;
  return ops;
}();

// The serving thread waits in a read of /dev/fuse; this signal, without SA_RESTART, ends that
// wait so that it sees it is to stop.
constexpr int kWakeSignal = SIGUSR2;
void InstallWakeHandler() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    return ::sigaction(kWakeSignal, &action, nullptr) == 0;
  }();
  (void)installed;
}

// Calls `piece(store_offset, from, to)` for each part of the disk's [from, to) as the store keeps
// it: a counterfeit wraps at `keeps`.
template <typename Piece>
bool ForEachStored(std::int64_t keeps, std::int64_t from, std::int64_t to, Piece piece) {
  while (from < to) {
    const std::int64_t stored = keeps > 0 ? from % keeps : from;
    const std::int64_t end = keeps > 0 ? std::min(to, from + (keeps - stored)) : to;
    if (!piece(stored, from, end)) return false;
    from = end;
  }
  return true;
}

bool FullPread(int fd, char* data, std::int64_t bytes, std::int64_t offset) {
  while (bytes > 0) {
    const ssize_t n = ::pread(fd, data, static_cast<std::size_t>(bytes), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {  // past the store's end: zeros
      std::memset(data, 0, static_cast<std::size_t>(bytes));
      return true;
    }
    data += n;
    bytes -= n;
    offset += n;
  }
  return true;
}

bool FullPwrite(int fd, const char* data, std::int64_t bytes, std::int64_t offset) {
  while (bytes > 0) {
    const ssize_t n = ::pwrite(fd, data, static_cast<std::size_t>(bytes), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    bytes -= n;
    offset += n;
  }
  return true;
}

}  // namespace

std::unique_ptr<FaultDisk> FaultDisk::Mount(const std::filesystem::path& dir, std::int64_t size,
                                            std::string& why) {
  if (::access("/dev/fuse", R_OK | W_OK) != 0) {
    why = "no /dev/fuse here";
    return nullptr;
  }
  std::error_code error;
  std::filesystem::create_directories(dir / "fault-disk", error);
  const std::filesystem::path store = dir / "fault-disk.store";
  const int fd = ::open(store.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || ::ftruncate(fd, size) != 0) {
    if (fd >= 0) ::close(fd);
    why = "cannot make the store of a FUSE disk";
    return nullptr;
  }
  auto disk = std::make_unique<FaultDisk>(Key{}, dir / "fault-disk", store, size, fd);
  if (!disk->Start(why)) return nullptr;
  return disk;
}

FaultDisk::FaultDisk(Key, std::filesystem::path mount, std::filesystem::path store,
                     std::int64_t size, int store_fd)
    : mount_(std::move(mount)),
      file_(mount_ / "disk"),
      store_(std::move(store)),
      size_(size),
      store_fd_(store_fd) {}

bool FaultDisk::Start(std::string& why) {
  struct fuse_args args = FUSE_ARGS_INIT(0, nullptr);
  fuse_opt_add_arg(&args, "ombrix-fault-disk");
  fuse_ = fuse_new(&args, &kOperations, sizeof kOperations, this);
  fuse_opt_free_args(&args);
  if (fuse_ == nullptr) {
    why = "libfuse cannot start a file system";
    return false;
  }
  if (fuse_mount(fuse_, mount_.c_str()) != 0) {
    fuse_destroy(fuse_);
    fuse_ = nullptr;
    why = "cannot mount a FUSE file system here (not root?)";
    return false;
  }
  InstallWakeHandler();
  serving_ = true;
  thread_ = std::thread([this] {
    fuse_loop(fuse_);
    serving_ = false;
  });
  return true;
}

FaultDisk::~FaultDisk() {
  if (fuse_ != nullptr) {
    fuse_exit(fuse_);
    while (serving_) {
      ::pthread_kill(thread_.native_handle(), kWakeSignal);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    thread_.join();
    fuse_unmount(fuse_);
    fuse_destroy(fuse_);
  }
  ::close(store_fd_);
  std::error_code error;
  std::filesystem::remove(store_, error);
}

void FaultDisk::SetFaults(DiskFaults faults) {
  const std::lock_guard lock(mutex_);
  faults_ = std::move(faults);
}

int FaultDisk::ReadsTouching(ByteRange range) const {
  const std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(read_log_.begin(), read_log_.end(), [&](ByteRange read) {
    return range.Touches(read.begin, read.end);
  }));
}

void FaultDisk::ResetCounts() {
  const std::lock_guard lock(mutex_);
  read_log_.clear();
  reads_ = 0;
}

int FaultDisk::ReadAt(char* data, std::size_t bytes, std::int64_t offset) {
  if (offset >= size_) return 0;
  const std::int64_t end = std::min(size_, offset + static_cast<std::int64_t>(bytes));
  DiskFaults faults;
  {
    const std::lock_guard lock(mutex_);
    read_log_.push_back({offset, end});
    faults = faults_;
  }
  ++reads_;
  const bool bad = std::any_of(faults.bad_reads.begin(), faults.bad_reads.end(),
                               [&](ByteRange r) { return r.Touches(offset, end); });
  if (bad) {
    std::this_thread::sleep_for(faults.bad_read_delay);
    return -EIO;
  }
  const bool read =
      ForEachStored(faults.keeps, offset, end, [&](std::int64_t at, auto from, auto to) {
        return FullPread(store_fd_, data + (from - offset), to - from, at);
      });
  if (!read) return -EIO;
  if (faults.flipped_byte >= offset && faults.flipped_byte < end) {
    data[faults.flipped_byte - offset] ^= 1;
  }
  return static_cast<int>(end - offset);
}

int FaultDisk::WriteAt(const char* data, std::size_t bytes, std::int64_t offset) {
  if (offset + static_cast<std::int64_t>(bytes) > size_) return -ENOSPC;
  const std::int64_t end = offset + static_cast<std::int64_t>(bytes);
  DiskFaults faults;
  {
    const std::lock_guard lock(mutex_);
    faults = faults_;
  }
  // The parts outside every dropped range are kept.
  std::int64_t at = offset;
  while (at < end) {
    std::int64_t next = end;
    bool dropped = false;
    for (const ByteRange& r : faults.dropped_writes) {
      if (r.begin <= at && at < r.end) {
        dropped = true;
        next = std::min(next, r.end);
      } else if (r.begin > at) {
        next = std::min(next, r.begin);
      }
    }
    if (!dropped) {
      const bool written =
          ForEachStored(faults.keeps, at, next, [&](std::int64_t to_store, auto from, auto to) {
            return FullPwrite(store_fd_, data + (from - offset), to - from, to_store);
          });
      if (!written) return -EIO;
    }
    at = next;
  }
  return static_cast<int>(bytes);
}

int FaultDisk::SyncStore() {
  return ::fdatasync(store_fd_) == 0 ? 0 : -errno;
}

}  // namespace ombrix::test
