// A disk with faults of the test's own: one file, `disk`, served by a FUSE file system from this
// process, its bytes kept in a store file beside it. A loop device attached to `disk` is a real
// block device whose faults happen below the kernel's block layer and its page cache: the kernel
// sends every read and write of the loop device here (the file is opened without caching).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct fuse;

namespace ombrix::test {

struct ByteRange {
  std::int64_t begin = 0;
  std::int64_t end = 0;  // exclusive
  bool Touches(std::int64_t from, std::int64_t to) const { return from < end && begin < to; }
};

// What the disk does wrong. Offsets are the disk's, in bytes.
struct DiskFaults {
  // A counterfeit: only this many bytes are kept, and every offset lands modulo it. 0: all.
  std::int64_t keeps = 0;
  std::vector<ByteRange> dropped_writes;        // writes there succeed and change nothing
  std::vector<ByteRange> bad_reads;             // a read touching one fails with EIO
  std::chrono::milliseconds bad_read_delay{0};  // how long such a read takes to fail
  std::int64_t flipped_byte = -1;  // reads return this byte with its lowest bit flipped
};

class FaultDisk {
 public:
  // Serves a disk of `size` bytes (zeros) under `dir`. Null, with the reason in `why`, when FUSE
  // cannot be had here (no /dev/fuse, not allowed to mount).
  static std::unique_ptr<FaultDisk> Mount(const std::filesystem::path& dir, std::int64_t size,
                                          std::string& why);
  ~FaultDisk();
  FaultDisk(const FaultDisk&) = delete;
  FaultDisk& operator=(const FaultDisk&) = delete;

  const std::filesystem::path& file() const { return file_; }  // the disk, as FUSE serves it
  // The bytes behind it, offsets as kept (a counterfeit's wrap applied): writing here changes
  // the medium beneath every cache.
  const std::filesystem::path& store() const { return store_; }
  std::int64_t size() const { return size_; }

  void SetFaults(DiskFaults faults);
  // The read requests that reached the disk since the last reset, all and those touching `range`.
  int reads() const { return reads_.load(); }
  int ReadsTouching(ByteRange range) const;
  void ResetCounts();

  // The file system's calls, from its thread.
  int ReadAt(char* data, std::size_t bytes, std::int64_t offset);
  int WriteAt(const char* data, std::size_t bytes, std::int64_t offset);
  int SyncStore();

 private:
  struct Key {
    explicit Key() = default;
  };

 public:
  FaultDisk(Key, std::filesystem::path mount, std::filesystem::path store, std::int64_t size,
            int store_fd);

 private:
  bool Start(std::string& why);

  std::filesystem::path mount_;
  std::filesystem::path file_;
  std::filesystem::path store_;
  std::int64_t size_;
  int store_fd_;
  mutable std::mutex mutex_;
  DiskFaults faults_;
  std::vector<ByteRange> read_log_;  // the ranges of the reads since the last reset
  std::atomic<int> reads_{0};
  struct fuse* fuse_ = nullptr;
  std::atomic<bool> serving_{false};
  std::thread thread_;
};

}  // namespace ombrix::test

// Skips the test, with the reason, when a FUSE disk cannot be had.
#define OMBRIX_MOUNT_FAULT_DISK_OR_SKIP(var, dir, size)                  \
  std::string var##_why;                                                 \
  auto var = ::ombrix::test::FaultDisk::Mount((dir), (size), var##_why); \
  if (!var) GTEST_SKIP() << var##_why
