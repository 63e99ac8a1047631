// The two image buttons: an existing image file as a new source entry, a path for a new image as
// a new target entry.
#include <array>

#include "app/resource.h"
#include "catalogue/image_entries.h"
#include "catalogue/labels.h"
#include "ui/dialog_texts.h"
#include "ui/ombrix_dlg.h"

namespace ombrix {

namespace {

constexpr std::array<std::u16string_view, 4> kImageFilter{u"Image File (*.img)", u"*.img",
                                                          u"All Files (*.*)", u"*.*"};

}  // namespace

bool COmbrixDlg::AppendEntry(platform::ComboBox& list, MediaTable& table, const MediaRecord& record,
                             std::u16string_view label) {
  const int slot = list.GetCount();
  if (slot >= kMaxEntries || !StoreRecord(table, slot, record)) {
    Warn(texts::kListFull);
    return false;
  }
  list.AddString(label);
  return true;
}

void COmbrixDlg::OnSourceImage() {
  if (SourceList().GetCount() >= kMaxEntries) return Warn(texts::kListFull);
  const std::optional<platform::ChosenFile> file = host().ChooseFile({
      .kind = platform::FileDialogKind::kOpen,
      .title = texts::kOpenImageTitle,
      .filter = kImageFilter,
  });
  if (!file) return;

  const platform::DeviceAccess::Opened opened =
      platform::OpenForReading(devices_, file->path, platform::Disposition::kOpenExisting);
  if (!opened.medium) return Fail(texts::kSourceImageOpenError);
  const std::optional<std::int64_t> size = opened.medium->FileSize();
  if (!size || *size < 0) return Fail(texts::kFileSizeError);
  if (*size % kImageBytesPerSector != 0) Inform(texts::kImageNotAligned);

  const int slot = SourceList().GetCount();
  const std::optional<MediaRecord> record = SourceImageRecord(slot, file->path, file->name, *size);
  if (!record) return Fail(texts::kPathTooLong);
  if (!AppendEntry(SourceList(), source_table_, *record, SourceImageLabel(*record))) return;
  Inform(texts::kSourceImageAdded);
  SourceList().SetCurSel(slot);
  // The file closes here, after the entry is selected.
}

void COmbrixDlg::OnTargetImage() {
  if (TargetList().GetCount() >= kMaxEntries) return Warn(texts::kListFull);
  Inform(texts::kTargetImageAdvice);
  const std::optional<platform::ChosenFile> file = host().ChooseFile({
      .kind = platform::FileDialogKind::kSave,
      .title = texts::kSaveImageTitle,
      .filter = kImageFilter,
      .overwrite_prompt = true,
  });
  if (!file) return;

  // Only the path is kept: the first copy onto the entry creates or grows the file.
  const int slot = TargetList().GetCount();
  const std::optional<MediaRecord> record = TargetImageRecord(slot, file->path, file->name);
  if (!record) return Fail(texts::kPathTooLong);
  if (!AppendEntry(TargetList(), target_table_, *record, TargetImageLabel(*record))) return;
  Inform(texts::kTargetImageAdded);
  TargetList().SetCurSel(slot);
}

}  // namespace ombrix
