// The main dialog: two lists of media, the transfer commands, the list commands and the progress
// of the running transfer.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "catalogue/media_record.h"
#include "platform/device.h"
#include "transfer/transfer.h"
#include "ui/dialog_base.h"
#include "ui/progress_text.h"

namespace ombrix {

// 1 while the copy is to use the start sector and sector count of the edits. Set only by the
// range option; the range option, swap and reset clear it. UI thread only.
extern std::uint32_t RangeMode;

class COmbrixDlg : public CDialog {
 public:
  // `devices` opens drives and image files for discovery, image entries and the workers; the
  // tables are the process-wide ones except in tests.
  explicit COmbrixDlg(platform::DeviceAccess& devices, MediaTable& source = SourceTable,
                      MediaTable& target = TargetTable);

  bool OnInitDialog() override;
  void OnCommand(int id) override;
  void OnSysCommand(std::uint32_t command) override;
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wparam,
                          std::intptr_t lparam) override;

  // Transfer commands.
  void OnCopy();
  void OnZero();
  void OnStop();
  void OnRangeOption();
  // Image entries.
  void OnSourceImage();
  void OnTargetImage();
  // List commands.
  void OnSwap();
  void OnReset();
  void OnDetails();
  // Leaving and the about boxes.
  void OnExit();
  void OnAbout();

  std::int64_t start_sector() const { return start_sector_; }
  std::int64_t sector_count() const { return sector_count_; }
  // Whether a worker was started and has not reported its end yet.
  bool transfer_running() const { return transfer_running_; }

 private:
  platform::ComboBox& SourceList();
  platform::ComboBox& TargetList();
  int Ask(std::u16string_view question);
  void Warn(std::u16string_view text);
  void Inform(std::u16string_view text);
  void Fail(std::u16string_view text);

  // Exchanges the range members with their edits: `save` reads the edits (stopping at the first
  // that holds no integer, after the prompt), otherwise writes them.
  bool UpdateData(bool save);
  void SetBusyState();
  void SetIdleState();
  // Over the progress bar where it shows text, else in the status line under it.
  void ShowProgressText(std::u16string_view text);
  // Unchecks the range option and sets the range back to 0 in whole mode.
  void ClearRange();
  void StartWorker(WorkerRoutine worker, const TransferJob& job, std::int64_t area_bytes);
  // One list and the table behind it.
  struct Side {
    platform::ComboBox& list;
    MediaTable& table;
  };
  // Where a swap selects `medium` on `side`: at `preferred` when that entry holds it (the same
  // path), else at the first entry that does, else at a new entry made from it and the label it
  // has at `from_position` of `from_list`; -1 for no medium, or when the list is full.
  int PositionHolding(const Side& side, int preferred, const std::optional<MediaRecord>& medium,
                      platform::ComboBox& from_list, int from_position);
  // Adds a record and its label to a list and its table; refused when the list is full.
  bool AppendEntry(platform::ComboBox& list, MediaTable& table, const MediaRecord& record,
                   std::u16string_view label);

  platform::DeviceAccess& devices_;
  MediaTable& source_table_;
  MediaTable& target_table_;
  std::int64_t start_sector_ = 0;
  std::int64_t sector_count_ = 0;
  bool transfer_running_ = false;
  ProgressMeter progress_meter_;
};

}  // namespace ombrix
