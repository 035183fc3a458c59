// Dialogs that record what would have been shown and answer from a script (OK by default).
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

  std::vector<DialogBox> shown;
  std::deque<int> answers;        // results of the next boxes, in order
  std::function<void()> on_show;  // runs while a box is shown, as its modal loop would
};

}  // namespace window::testing
