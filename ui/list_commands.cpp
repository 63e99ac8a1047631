// The commands on the two lists: swap the roles of source and target, reset the choices, show
// the details of the selected media.
#include <optional>

#include "platform/window.h"
#include "ui/details_text.h"
#include "ui/dialog_texts.h"
#include "ui/ombrix_dlg.h"

namespace ombrix {

namespace {

std::optional<MediaRecord> CopyOf(const MediaRecord* record) {
  if (record == nullptr) return std::nullopt;
  return *record;
}

bool InList(platform::ComboBox& list, int position) {
  return position >= 0 && position < list.GetCount();
}

}  // namespace

void COmbrixDlg::OnSwap() {
  if (Ask(texts::kAskSwap) != platform::kIdYes) return;
  platform::ComboBox& source_list = SourceList();
  platform::ComboBox& target_list = TargetList();
  const int sc = source_list.GetCount(), tc = target_list.GetCount();
  const int s = source_list.GetCurSel(), t = target_list.GetCurSel();
  // Copied now: appending below may write the table a pointer would point into.
  const std::optional<MediaRecord> old_source = CopyOf(RecordAt(source_table_, s));
  const std::optional<MediaRecord> old_target = CopyOf(RecordAt(target_table_, t));
  const Side source_side{source_list, source_table_};
  const Side target_side{target_list, target_table_};

  if (sc == tc) {
    // While both lists hold the same media at the same positions, only the selections trade
    // places.
    source_list.SetCurSel(PositionHolding(source_side, t, old_target, target_list, t));
    target_list.SetCurSel(PositionHolding(target_side, s, old_source, source_list, s));
  } else if (sc > tc) {
    // The selected source becomes a new target entry; without a selection there is nothing to
    // move.
    if (!old_source) {
      Warn(texts::kSelectSource);
    } else if (AppendEntry(target_list, target_table_, *old_source, source_list.GetLBText(s))) {
      source_list.SetCurSel(PositionHolding(source_side, t, old_target, target_list, t));
      target_list.SetCurSel(tc);
    }
  } else {
    if (!old_target) {
      Warn(texts::kSelectTarget);
    } else if (AppendEntry(source_list, source_table_, *old_target, target_list.GetLBText(t))) {
      target_list.SetCurSel(PositionHolding(target_side, s, old_source, source_list, s));
      source_list.SetCurSel(sc);
    }
  }
  ClearRange();
}

int COmbrixDlg::PositionHolding(const Side& side, int preferred,
                                const std::optional<MediaRecord>& medium,
                                platform::ComboBox& from_list, int from_position) {
  if (!medium) return -1;  // there was no selection to take over
  const std::u16string_view path = TextOf(medium->path);
  const auto holds = [&](int position) {
    const MediaRecord* record = RecordAt(side.table, position);
    return record != nullptr && TextOf(record->path) == path;
  };
  if (InList(side.list, preferred) && holds(preferred)) return preferred;
  for (int position = 0; position < side.list.GetCount(); ++position) {
    if (holds(position)) return position;
  }
  // Listed only on the other side: it moves over as a new entry, as a swap of lists of unequal
  // length moves one.
  const int appended = side.list.GetCount();
  if (!AppendEntry(side.list, side.table, *medium, from_list.GetLBText(from_position))) return -1;
  return appended;
}

void COmbrixDlg::OnReset() {
  if (Ask(texts::kAskReset) != platform::kIdYes) return;
  SourceList().SetCurSel(-1);
  TargetList().SetCurSel(-1);
  ClearRange();
}

void COmbrixDlg::OnDetails() {
  std::u16string text;
  if (const MediaRecord* source = RecordAt(source_table_, SourceList().GetCurSel())) {
    text += DetailsBlock(*source, DetailsRole::kSource);
  }
  if (const MediaRecord* target = RecordAt(target_table_, TargetList().GetCurSel())) {
    text += DetailsBlock(*target, DetailsRole::kTarget);
  }
  if (SourceList().GetCurSel() == -1 && TargetList().GetCurSel() == -1) {
    return Warn(texts::kSelectDrive);
  }
  host().ShowMessageBox(text, texts::kDetailsTitle, platform::kPlainBox);
}

}  // namespace ombrix
