#include "platform/qt/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "platform/qt/qt_text.h"

namespace ombrix::platform {

namespace {

// "Image File (*.img)", "*.img", ... as Qt's filters, which carry the patterns in the text.
QStringList QtFilters(std::span<const std::u16string_view> filter) {
  QStringList filters;
  for (std::size_t i = 0; i + 1 < filter.size(); i += 2) {
    const QString description = ToQString(filter[i]);
    const QString pattern = ToQString(filter[i + 1]);
    filters << (description.contains(pattern) ? description : description + " (" + pattern + ")");
  }
  return filters;
}

}  // namespace

std::optional<ChosenFile> RunQtFileDialog(QWidget* owner, const FileDialogRequest& request) {
  QFileDialog dialog(owner, ToQString(request.title));
  const bool save = request.kind == FileDialogKind::kSave;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(QtFilters(request.filter));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwrite_prompt);
  dialog.setDefaultSuffix(QString());  // the name is used as typed
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().constFirst();
  return ChosenFile{.path = FromQString(path), .name = FromQString(QFileInfo(path).fileName())};
}

}  // namespace ombrix::platform
