// The port menu's items after "COM 4": the ports present each time the menu opens.
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "window/form1.h"

namespace window {

void TForm1::ShowExtraPortItems() {
  for (QAction* item : extra_actions_) {
    N1->removeAction(item);
    port_group_->removeAction(item);
    item->deleteLater();
  }
  extra_actions_.clear();
  for (const form::ExtraPortItem& port : logic_.ExtraPortItems()) {
    auto* item = new QAction(QString::fromStdString(port.caption), N1);
    item->setData(QString::fromStdString(port.port_name));
    item->setCheckable(true);
    N1->insertAction(N5, item);
    port_group_->addAction(item);
    item->setChecked(port.port_name == checked_extra_);
    // The group has checked the item before the handler runs, as for the four. The name is
    // copied: the handler processes events, and the menu may be opened and rebuilt meanwhile.
    connect(item, &QAction::triggered, this, [this, name = port.port_name] {
      const std::string port_name = name;
      logic_.ExtraPortClick(port_name);
    });
    extra_actions_.push_back(item);
  }
}

void TForm1::SetCheckedExtraPort(const std::string& port_name) {
  checked_extra_ = port_name;
  for (QAction* item : port_actions_) item->setChecked(false);
  for (QAction* item : extra_actions_) {
    item->setChecked(item->data().toString().toStdString() == port_name);
  }
}

}  // namespace window
