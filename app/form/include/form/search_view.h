// The search box as its logic (form/search_box.h) sees it: a box over the window, not modal,
// with a progress bar, a list of the addresses that answered, the status line and two buttons,
// "Выбрать" and "Отмена". The view owns the widgets and their static texts
// (form/search_texts.h); the logic says what they show and when.
//
// Calls from the view into the window's logic (form/form1_logic.h), window thread only:
//   - "Выбрать" pressed, or a row chosen by double-click or Enter: SearchChoose(row);
//   - "Отмена" pressed: SearchCancel;
//   - the box closed by its close button or Escape: SearchBoxClosed.
// None of the calls below calls the logic back.
#pragma once

#include <string>

namespace form {

class SearchView {
 public:
  virtual ~SearchView() = default;

  // Shows the box, or keeps it shown, emptied, the progress at 0 of `total`; CloseSearchBox
  // hides it.
  virtual void OpenSearchBox(int total) = 0;
  virtual void CloseSearchBox() = 0;
  // `done` of the total addresses probed.
  virtual void SetSearchProgress(int done) = 0;
  // Appends a row to the list; rows are numbered from 0 in the order they came.
  virtual void AddSearchRow(const std::string& text) = 0;
  virtual void SetSearchStatus(const std::string& text) = 0;
  // "Отмена" while the scan runs; "Выбрать" while there is a row to choose.
  virtual void SetSearchButtons(bool cancel_enabled, bool choose_enabled) = 0;
};

}  // namespace form
