// The box of "Поиск прибора…" in Qt: not modal, so the window's logic runs the scan while it is
// up and the scan's message processing keeps it painted. It draws what the search logic says
// (form/search_view.h) and hands the operator's choice, cancel and close to the window's logic.
#pragma once

#include <QDialog>

#include "form/form1_logic.h"
#include "form/search_view.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace window {

class SearchDialog : public QDialog, public form::SearchView {
 public:
  SearchDialog(QWidget* parent, form::Form1Logic& logic);

  QProgressBar* Progress = nullptr;
  QListWidget* Found = nullptr;  // one row per address that answered
  QLabel* Status = nullptr;
  QPushButton* Choose = nullptr;
  QPushButton* Cancel = nullptr;

  // form::SearchView
  void OpenSearchBox(int total) override;
  void CloseSearchBox() override;
  void SetSearchProgress(int done) override;
  void AddSearchRow(const std::string& text) override;
  void SetSearchStatus(const std::string& text) override;
  void SetSearchButtons(bool cancel_enabled, bool choose_enabled) override;
};

}  // namespace window
