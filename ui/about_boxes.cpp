#include "ui/about_boxes.h"

#include "app/resources.h"

namespace ombrix {

void OpenWebPage() {
  platform::OpenWebAddress(resource::kWebAddress);
}

CMyAboutBox::CMyAboutBox(CDialog* parent) : CDialog(resource::kMyAboutBox, parent) {}

void CMyAboutBox::OnCommand(int id) {
  if (id == resource::IDC_ABOUT_WEB_LINK) {
    OpenWebPage();
    return;
  }
  CDialog::OnCommand(id);
}

CAboutDlg::CAboutDlg(CDialog* parent) : CDialog(resource::kAboutDialog, parent) {}

}  // namespace ombrix
