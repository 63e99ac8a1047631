// The commands that start, stop and parameterise a transfer.
#include "app/resource.h"
#include "transfer/messages.h"
#include "ui/dialog_texts.h"
#include "ui/ombrix_dlg.h"

namespace ombrix {

using namespace resource;

void COmbrixDlg::OnCopy() {
  // The copy asks before it looks at the selections.
  if (Ask(texts::kAskCopy) != platform::kIdYes) return;
  const int source_index = SourceList().GetCurSel();
  if (source_index == -1) return Warn(texts::kSelectSource);
  const int target_index = TargetList().GetCurSel();
  if (target_index == -1) return Warn(texts::kSelectTarget);
  const MediaRecord* source = RecordAt(source_table_, source_index);
  const MediaRecord* target = RecordAt(target_table_, target_index);
  if (source == nullptr || target == nullptr) return;  // a list never outgrows its table
  if (TextOf(source->path) == TextOf(target->path)) return Warn(texts::kSameMedia);

  SetBusyState();
  RunFlag = 1;
  UpdateData(true);
  const ByteRange range = RangeInBytes(start_sector_, sector_count_, source->bytes_per_sector);
  UpdateData(false);

  const TransferJob job{
      .window = &host(),
      .source_index = source_index,
      .target_index = target_index,
      .range_mode = RangeMode,
      .start_byte = range.start_byte,
      .length_bytes = range.length_bytes,
      .range_overflow = range.overflow,
      .verify = host().GetCheck(IDC_VERIFY) != 0,
  };
  StartWorker(CopyWorker, job, RangeMode != 0 ? range.length_bytes : source->size_bytes);
}

void COmbrixDlg::OnZero() {
  // The zero-fill looks at the selection before it asks.
  if (TargetList().GetCurSel() == -1) return Warn(texts::kSelectTarget);
  if (Ask(texts::kAskZero) != platform::kIdYes) return;
  const int target_index = TargetList().GetCurSel();
  const MediaRecord* target = RecordAt(target_table_, target_index);
  if (target == nullptr) return;

  RunFlag = 1;
  SetBusyState();
  host().SetProgressRange(IDC_PROGRESS, 0, 100);
  const TransferJob job{
      .window = &host(), .target_index = target_index, .verify = host().GetCheck(IDC_VERIFY) != 0};
  StartWorker(ZeroWorker, job, target->size_bytes);
}

void COmbrixDlg::StartWorker(WorkerRoutine worker, const TransferJob& job,
                             std::int64_t area_bytes) {
  progress_meter_.Start(area_bytes);
  const TransferEnvironment environment{
      .devices = &devices_, .source_table = &source_table_, .target_table = &target_table_};
  transfer_running_ = true;
  if (!StartTransfer(worker, job, environment)) {
    // No worker, so no end report either: the dialog goes back to idle itself.
    RunFlag = 0;
    Fail(messages::kWorkerNotStarted);
    SetIdleState();
  }
}

void COmbrixDlg::OnStop() {
  if (Ask(texts::kAskStop) == platform::kIdYes) RunFlag = 0;
}

void COmbrixDlg::OnRangeOption() {
  if (host().GetCheck(IDC_RANGE_OPTION) != 0) {
    host().SetReadOnly(IDC_START_SECTOR, false);
    host().SetReadOnly(IDC_SECTOR_COUNT, false);
    const MediaRecord* source = RecordAt(source_table_, SourceList().GetCurSel());
    if (source == nullptr) {
      host().SetCheck(IDC_RANGE_OPTION, 0);
      host().SetReadOnly(IDC_START_SECTOR, true);
      host().SetReadOnly(IDC_SECTOR_COUNT, true);
      return Warn(texts::kSelectSource);
    }
    UpdateData(true);
    const std::int64_t bps = source->bytes_per_sector;
    sector_count_ = bps == 0 ? 0 : source->size_bytes / bps;
    UpdateData(false);
    RangeMode = 1;
    return;
  }
  ClearRange();  // the box is already unchecked
}

void COmbrixDlg::ClearRange() {
  host().SetCheck(IDC_RANGE_OPTION, 0);
  host().SetReadOnly(IDC_START_SECTOR, true);
  host().SetReadOnly(IDC_SECTOR_COUNT, true);
  UpdateData(true);
  start_sector_ = 0;
  sector_count_ = 0;
  UpdateData(false);
  RangeMode = 0;
}

}  // namespace ombrix
