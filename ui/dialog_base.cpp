#include "ui/dialog_base.h"

namespace ombrix {

void CDialog::Build() {
  platform::DialogHost* owner =
      parent_ != nullptr && parent_->has_window() ? &parent_->host() : nullptr;
  host_ = platform::MakeDialog(template_, *this, owner);
}

int CDialog::DoModal() {
  Build();
  return host_->RunModal();
}

void CDialog::Create() {
  Build();
  host_->ShowModeless();
}

void CDialog::OnCommand(int id) {
  if (id == platform::kIdOk || id == platform::kIdCancel) EndDialog(id);
}

}  // namespace ombrix
