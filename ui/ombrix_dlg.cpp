#include "ui/ombrix_dlg.h"

#include "app/resources.h"
#include "catalogue/drive_discovery.h"
#include "ui/about_boxes.h"
#include "ui/data_exchange.h"
#include "ui/dialog_texts.h"

namespace ombrix {

using namespace resource;
using platform::kTitleError;
using platform::kTitleNotice;

std::uint32_t RangeMode = 0;

COmbrixDlg::COmbrixDlg(platform::DeviceAccess& devices, MediaTable& source, MediaTable& target)
    : CDialog(kMainDialog), devices_(devices), source_table_(source), target_table_(target) {}

bool COmbrixDlg::OnInitDialog() {
  UpdateData(false);  // the edits show 0

  const std::u16string_view about_item = ResourceString(IDS_ABOUTBOX);
  if (!about_item.empty()) host().AppendSystemMenuItem(platform::kSysCommandAbout, about_item);
  host().SetIcon(IDR_MAINFRAME, true);
  host().SetIcon(IDR_MAINFRAME, false);

  DiscoverDrives(devices_, SourceList(), TargetList(), source_table_, target_table_);

  host().SetReadOnly(IDC_START_SECTOR, true);
  host().SetReadOnly(IDC_SECTOR_COUNT, true);
  host().EnableControl(IDC_STOP, false);
  host().SetProgressPos(IDC_PROGRESS, 0);
  return true;
}

void COmbrixDlg::OnCommand(int id) {
  switch (id) {
    case IDC_ZERO:
      return OnZero();
    case IDC_STOP:
      return OnStop();
    case IDC_EXIT:
      return OnExit();
    case IDC_RANGE_OPTION:
      return OnRangeOption();
    case IDC_COPY:
      return OnCopy();
    case IDC_ABOUT:
      return OnAbout();
    case IDC_SOURCE_IMAGE:
      return OnSourceImage();
    case IDC_TARGET_IMAGE:
      return OnTargetImage();
    case IDC_SWAP:
      return OnSwap();
    case IDC_RESET:
      return OnReset();
    case IDC_DETAILS:
      return OnDetails();
    case IDC_WEB_LINK:
      return OpenWebPage();
    default:
      return;
  }
}

void COmbrixDlg::OnSysCommand(std::uint32_t command) {
  if ((command & 0xFFF0) == platform::kSysCommandAbout) {
    CAboutDlg about(this);
    about.DoModal();
  }
}

std::intptr_t COmbrixDlg::OnMessage(std::uint32_t message, std::uintptr_t wparam,
                                    std::intptr_t lparam) {
  if (message == WM_TRANSFER_DONE) {
    SetIdleState();
  } else if (message == WM_TRANSFER_PROGRESS) {
    const int percent = static_cast<int>(wparam);
    // The check after a transfer runs its own 0 to 100, with a rate of its own.
    if (lparam == kCheckPass) progress_meter_.EnterCheckPass();
    host().SetProgressPos(IDC_PROGRESS, percent);
    if (const auto text = progress_meter_.Report(percent, ProgressMeter::Clock::now())) {
      ShowProgressText(*text);
    }
  }
  return 0;
}

platform::ComboBox& COmbrixDlg::SourceList() {
  return host().List(IDC_SOURCE_LIST);
}
platform::ComboBox& COmbrixDlg::TargetList() {
  return host().List(IDC_TARGET_LIST);
}

int COmbrixDlg::Ask(std::u16string_view question) {
  return host().ShowMessageBox(question, kTitleNotice, platform::kQuestionBox);
}
void COmbrixDlg::Warn(std::u16string_view text) {
  host().ShowMessageBox(text, kTitleNotice, platform::kWarningBox);
}
void COmbrixDlg::Inform(std::u16string_view text) {
  host().ShowMessageBox(text, kTitleNotice, platform::kInformationBox);
}
void COmbrixDlg::Fail(std::u16string_view text) {
  host().ShowMessageBox(text, kTitleError, platform::kErrorBox);
}

bool COmbrixDlg::UpdateData(bool save) {
  struct Field {
    int edit;
    std::int64_t& value;
  };
  const Field fields[] = {{IDC_START_SECTOR, start_sector_}, {IDC_SECTOR_COUNT, sector_count_}};
  for (const Field& field : fields) {
    if (!save) {
      host().SetControlText(field.edit, FormatInt64Text(field.value));
      continue;
    }
    const std::optional<std::int64_t> value = ParseInt64Text(host().GetControlText(field.edit));
    if (!value) {
      // The framework's prompt; the member keeps its value and the rest is not exchanged.
      host().ShowMessageBox(kIntegerPrompt, kApplicationName, platform::kWarningBox);
      host().FocusControl(field.edit);
      return false;
    }
    field.value = *value;
  }
  return true;
}

void COmbrixDlg::SetBusyState() {
  host().EnableControl(IDC_COPY, false);
  host().EnableControl(IDC_ZERO, false);
  host().EnableControl(IDC_STOP, true);
  for (const int id :
       {IDC_SOURCE_IMAGE, IDC_TARGET_IMAGE, IDC_SWAP, IDC_RESET, IDC_DETAILS, IDC_VERIFY}) {
    host().EnableControl(id, false);
  }
}

void COmbrixDlg::SetIdleState() {
  transfer_running_ = false;
  host().EnableControl(IDC_STOP, false);
  for (const int id : {IDC_COPY, IDC_ZERO, IDC_SOURCE_IMAGE, IDC_TARGET_IMAGE, IDC_SWAP, IDC_RESET,
                       IDC_DETAILS, IDC_VERIFY}) {
    host().EnableControl(id, true);
  }
  host().SetProgressPos(IDC_PROGRESS, 0);
  ShowProgressText({});
}

void COmbrixDlg::ShowProgressText(std::u16string_view text) {
  if (host().ProgressBarShowsText()) {
    host().SetProgressText(IDC_PROGRESS, text);
  } else {
    host().SetControlText(IDC_PROGRESS_STATUS, text);
  }
}

void COmbrixDlg::OnExit() {
  if (host().ShowMessageBox(texts::kAskExit, kTitleNotice, platform::kInfoQuestionBox) ==
      platform::kIdYes) {
    EndDialog(platform::kIdCancel);
  }
}

void COmbrixDlg::OnAbout() {
  CMyAboutBox about(this);
  about.DoModal();
}

}  // namespace ombrix
