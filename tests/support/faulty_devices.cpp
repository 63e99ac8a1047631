#include "tests/support/faulty_devices.h"

#include "tests/support/forwarding_medium.h"

namespace ombrix::test {

class FaultyMedium final : public ForwardingMedium {
 public:
  FaultyMedium(platform::MediumPtr inner, MediumFaults faults, FaultyDevices& owner)
      : ForwardingMedium(std::move(inner)), faults_(faults), owner_(owner) {
    ++owner_.open_media_;
  }
  ~FaultyMedium() override { --owner_.open_media_; }

  bool SetPosition(std::int64_t offset) override {
    if (positions_++ == faults_.fail_position_at) return false;
    if (!ForwardingMedium::SetPosition(offset)) return false;
    position_ = offset;
    return true;
  }
  platform::IoResult Read(std::span<std::byte> buffer) override {
    const int call = reads_++;
    if (reads_out_ != nullptr) *reads_out_ = reads_;
    if (faults_.before_read) faults_.before_read(call);
    if (call == faults_.fail_read_at) return {};
    if (call == faults_.short_read_at && !buffer.empty()) buffer = buffer.first(buffer.size() - 1);
    const platform::IoResult result = ForwardingMedium::Read(buffer);
    if (faults_.after_read) faults_.after_read(position_, buffer.first(result.moved));
    position_ += static_cast<std::int64_t>(result.moved);
    return result;
  }
  platform::IoResult Write(std::span<const std::byte> buffer) override {
    const int call = writes_++;
    if (call == faults_.fail_write_at) return {};
    if (call == faults_.short_write_at && !buffer.empty()) buffer = buffer.first(buffer.size() - 1);
    const platform::IoResult result = ForwardingMedium::Write(buffer);
    position_ += static_cast<std::int64_t>(result.moved);
    return result;
  }
  void CountReadsInto(int* reads) { reads_out_ = reads; }
  bool Flush() override {
    ++owner_.flushes_;
    return !faults_.fail_flush && ForwardingMedium::Flush();
  }
  bool StartWriteBack(std::int64_t offset, std::int64_t length) override {
    if (starts_++ == faults_.fail_start_write_back_at) return false;
    return ForwardingMedium::StartWriteBack(offset, length);
  }
  bool AwaitWriteBack(std::int64_t offset, std::int64_t length) override {
    if (awaits_++ == faults_.fail_await_write_back_at) return false;
    return ForwardingMedium::AwaitWriteBack(offset, length);
  }
  bool ExtendTo(std::int64_t size) override {
    return !faults_.fail_extend && ForwardingMedium::ExtendTo(size);
  }

 private:
  MediumFaults faults_;
  FaultyDevices& owner_;
  int positions_ = 0, reads_ = 0, writes_ = 0, starts_ = 0, awaits_ = 0;
  std::int64_t position_ = 0;
  int* reads_out_ = nullptr;
};

platform::DeviceAccess::Opened FaultyDevices::Open(std::u16string_view path,
                                                   platform::Access access, platform::Share share,
                                                   platform::Disposition disposition) {
  ++opens_;
  const auto it = faults_.find(std::u16string(path));
  const MediumFaults faults = it != faults_.end() ? it->second : MediumFaults{};
  if (faults.open_error) return {nullptr, *faults.open_error};
  if (faults.read_only && platform::AsksToWrite(access)) {
    return {nullptr, platform::OpenError::kOther};
  }
  auto opened = inner_.Open(path, access, share, disposition);
  if (opened.medium) {
    auto faulty = std::make_unique<FaultyMedium>(std::move(opened.medium), faults, *this);
    if (it != faults_.end()) {
      it->second.reads = 0;
      faulty->CountReadsInto(&it->second.reads);
    }
    opened.medium = std::move(faulty);
  }
  return opened;
}

}  // namespace ombrix::test
