#include "window/search_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "form/search_texts.h"
#include "window/qt_text.h"

namespace window {
namespace {

// Enter belongs to the list, where it chooses the current row; no button takes it as well.
QPushButton* PlainButton(std::string_view caption, QWidget* parent) {
  auto* button = new QPushButton(Q(caption), parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

SearchDialog::SearchDialog(QWidget* parent, form::Form1Logic& logic) : QDialog(parent) {
  setWindowTitle(Q(form::texts::kSearchCaption));
  setModal(false);
  Progress = new QProgressBar(this);
  Found = new QListWidget(this);
  Status = new QLabel(this);
  Status->setWordWrap(true);
  Choose = PlainButton(form::texts::kSearchChoose, this);
  Cancel = PlainButton(form::texts::kSearchCancel, this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Choose);
  buttons->addWidget(Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Progress);
  layout->addWidget(Found);
  layout->addWidget(Status);
  layout->addLayout(buttons);
  resize(520, 320);

  connect(Found, &QListWidget::itemActivated, this,
          [this, &logic](QListWidgetItem* item) { logic.SearchChoose(Found->row(item)); });
  connect(Choose, &QPushButton::clicked, this,
          [this, &logic] { logic.SearchChoose(Found->currentRow()); });
  connect(Cancel, &QPushButton::clicked, this, [&logic] { logic.SearchCancel(); });
  // Escape and the close button; the logic's own CloseSearchBox only hides.
  connect(this, &QDialog::rejected, this, [&logic] { logic.SearchBoxClosed(); });
}

void SearchDialog::OpenSearchBox(int total) {
  Found->clear();
  Status->clear();
  Progress->setRange(0, total);
  Progress->setValue(0);
  show();
  raise();
  activateWindow();
  Found->setFocus();
}

void SearchDialog::CloseSearchBox() { hide(); }

void SearchDialog::SetSearchProgress(int done) { Progress->setValue(done); }

void SearchDialog::AddSearchRow(const std::string& text) {
  Found->addItem(Q(text));
  // The first row is current at once, so Enter chooses it without a click.
  if (Found->currentRow() < 0) Found->setCurrentRow(0);
}

void SearchDialog::SetSearchStatus(const std::string& text) { Status->setText(Q(text)); }

void SearchDialog::SetSearchButtons(bool cancel_enabled, bool choose_enabled) {
  Cancel->setEnabled(cancel_enabled);
  Choose->setEnabled(choose_enabled);
}

}  // namespace window
