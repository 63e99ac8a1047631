// A medium that passes every call to another one: the base of the test and benchmark media that
// change or watch only a few calls.
#pragma once

#include <utility>

#include "platform/device.h"

namespace ombrix::test {

class ForwardingMedium : public platform::Medium {
 public:
  explicit ForwardingMedium(platform::MediumPtr inner) : inner_(std::move(inner)) {}

  bool SetPosition(std::int64_t offset) override { return inner_->SetPosition(offset); }
  platform::IoResult Read(std::span<std::byte> buffer) override { return inner_->Read(buffer); }
  platform::IoResult Write(std::span<const std::byte> buffer) override {
    return inner_->Write(buffer);
  }
  bool Flush() override { return inner_->Flush(); }
  bool StartWriteBack(std::int64_t offset, std::int64_t length) override {
    return inner_->StartWriteBack(offset, length);
  }
  bool AwaitWriteBack(std::int64_t offset, std::int64_t length) override {
    return inner_->AwaitWriteBack(offset, length);
  }
  void DropCached(std::int64_t offset, std::int64_t length) override {
    inner_->DropCached(offset, length);
  }
  void AllowHoles() override { inner_->AllowHoles(); }
  bool ExtendTo(std::int64_t size) override { return inner_->ExtendTo(size); }
  std::optional<std::int64_t> FileSize() override { return inner_->FileSize(); }
  std::optional<platform::DiskGeometryEx> DriveGeometry() override {
    return inner_->DriveGeometry();
  }
  std::optional<platform::StorageDescriptorTexts> StorageDescriptor() override {
    return inner_->StorageDescriptor();
  }

 private:
  platform::MediumPtr inner_;
};

}  // namespace ombrix::test
