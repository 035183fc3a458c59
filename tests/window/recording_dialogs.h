// Dialogs that record what would have been shown and answer from a script (OK by default); a
// box opened without waiting stays open until the test closes it.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "window/toolkit/dialogs.h"

namespace window::testing {

class RecordingDialogs : public Dialogs {
 public:
  int Show(const DialogBox& box) override {
    shown.push_back(box);
    if (on_show) on_show();
    if (answers.empty()) return mrOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  void Open(const DialogBox& box, QWidget* /*owner*/, std::function<void()> closed) override {
    shown.push_back(box);
    open.push_back(std::move(closed));
  }
  // The operator closes the oldest box still open.
  void CloseOpen() {
    std::function<void()> closed = std::move(open.front());
    open.pop_front();
    closed();
  }

  std::vector<DialogBox> shown;  // the boxes opened without waiting too
  std::deque<std::function<void()>> open;
  std::deque<int> answers;        // results of the next boxes, in order
  std::function<void()> on_show;  // runs while a box is shown, as its modal loop would
};

}  // namespace window::testing
