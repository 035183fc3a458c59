// The box of "Поиск прибора…" on Windows' own controls: a window owned by the main one, not
// modal, so the window's logic runs the scan while it is up and the scan's message processing
// keeps it painted. It draws what the search logic says (form/search_view.h) and hands the
// operator's choice (double-click, Enter in the list, "Выбрать"), "Отмена" and the close
// (Escape, the close button) to the window's logic. Window thread only.
#pragma once

#include "form/form1_logic.h"
#include "form/search_view.h"

// After the serial seam's headers (through the logic's): it makes macros of names they declare.
#include <windows.h>
#undef DialogBox

namespace win32view {

class SearchDialog : public form::SearchView {
 public:
  // Creates the box hidden, owned by `owner`.
  SearchDialog(HWND owner, form::Form1Logic& logic);
  ~SearchDialog() override;
  SearchDialog(const SearchDialog&) = delete;
  SearchDialog& operator=(const SearchDialog&) = delete;

  // form::SearchView
  void OpenSearchBox(int total) override;
  void CloseSearchBox() override;
  void SetSearchProgress(int done) override;
  void AddSearchRow(const std::string& text) override;
  void SetSearchStatus(const std::string& text) override;
  void SetSearchButtons(bool cancel_enabled, bool choose_enabled) override;

 private:
  static LRESULT CALLBACK BoxProcedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void ChooseCurrent();
  void CloseByOperator();

  form::Form1Logic& logic_;
  HWND box_ = nullptr;
  HWND progress_ = nullptr;
  HWND list_ = nullptr;
  HWND status_ = nullptr;
  HWND choose_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace win32view
