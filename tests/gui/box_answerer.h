// Answers the real message boxes and dialogs that the window opens, as a user would, and records
// each one: "question:是否开始复制 ？", "info:复制完毕 ！", "dialog:关 于", "file:<title>". It
// watches for modal windows from a timer, so it also answers boxes opened by a worker thread.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ombrix::test {

class BoxAnswerer {
 public:
  BoxAnswerer();
  ~BoxAnswerer();

  // Answers of the coming Yes/No boxes, in order; a question beyond them is answered Yes.
  void Answers(std::initializer_list<int> answers);
  // Files for the coming file dialogs, in order; a dialog beyond them is cancelled. The file
  // dialog's own overwrite question is answered Yes.
  void Files(std::initializer_list<std::u16string> paths);
  // Called while a box is open, before it is answered (to look at the window behind it).
  std::function<void(const std::u16string& entry)> on_box;

  // Adds an entry of the test's own, such as "done".
  void Note(std::u16string entry);
  std::vector<std::u16string> Sequence() const;
  void Clear();

 private:
  void Poll();

  QTimer timer_;
  std::vector<QPointer<QWidget>> handled_;  // answered and still open
  mutable std::mutex mutex_;
  std::vector<std::u16string> sequence_;
  std::deque<int> answers_;
  std::deque<std::u16string> files_;
};

}  // namespace ombrix::test
