// The commands on the two lists: swap the roles of source and target, reset the choices, show
// the details of the selected media.
#include "platform/window.h"
#include "ui/details_text.h"
#include "ui/dialog_texts.h"
#include "ui/ombrix_dlg.h"

namespace ombrix {

void COmbrixDlg::OnSwap() {
  if (Ask(texts::kAskSwap) != platform::kIdYes) return;
  platform::ComboBox& source_list = SourceList();
  platform::ComboBox& target_list = TargetList();
  const int sc = source_list.GetCount(), tc = target_list.GetCount();
  const int s = source_list.GetCurSel(), t = target_list.GetCurSel();

  if (sc == tc) {
    // Both lists hold the same media at the same positions: only the selections trade places.
    source_list.SetCurSel(t);
    target_list.SetCurSel(s);
  } else if (sc > tc) {
    // The selected source becomes a new target entry; without a selection there is nothing to
    // move.
    const MediaRecord* record = RecordAt(source_table_, s);
    if (record == nullptr) {
      Warn(texts::kSelectSource);
    } else if (AppendEntry(target_list, target_table_, *record, source_list.GetLBText(s))) {
      source_list.SetCurSel(t);
      target_list.SetCurSel(tc);
    }
  } else {
    const MediaRecord* record = RecordAt(target_table_, t);
    if (record == nullptr) {
      Warn(texts::kSelectTarget);
    } else if (AppendEntry(source_list, source_table_, *record, target_list.GetLBText(t))) {
      target_list.SetCurSel(s);
      source_list.SetCurSel(sc);
    }
  }
  ClearRange();
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
