// The two about boxes: the information box of the about button and the box of the system menu's
// about item.
#pragma once

#include "ui/dialog_base.h"

namespace ombrix {

// Opens the maker's web page in a browser; nothing is reported when that fails.
void OpenWebPage();

class CMyAboutBox final : public CDialog {
 public:
  explicit CMyAboutBox(CDialog* parent);
  void OnCommand(int id) override;
};

class CAboutDlg final : public CDialog {
 public:
  explicit CAboutDlg(CDialog* parent);
};

}  // namespace ombrix
