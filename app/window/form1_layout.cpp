// The window's definition: controls at their positions with their texts, fonts and colours,
// the menu, and the wiring of their signals to the logic's handlers.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

#include "form/form_layout.h"
#include "form/form_texts.h"
#include "form/port_items.h"
#include "form/search_texts.h"
#include "form/trend_texts.h"
#include "window/form1.h"
#include "window/qt_text.h"
#include "window/trend_sheet.h"

namespace window {
namespace {

namespace texts = form::texts;
namespace layout = form::layout;
using form::kPortItems;

// "MS Sans Serif" where it exists, else a sans-serif of similar width at the same pixel height
// (the wider DejaVu Sans last, as it would overflow the fixed control sizes).
QFont SansSerif(int pixel_height) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixel_height);
  return font;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Text, colour);
  widget->setPalette(palette);
}

void Place(QWidget* widget, const layout::Rect& rect) {
  widget->setGeometry(rect.left, rect.top, rect.width, rect.height);
}

QLabel* AddLabel(QWidget* parent, const char* name, int left, int top, std::string_view text) {
  auto* label = new QLabel(Q(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

void TForm1::CreateControls() {
  setWindowTitle(Q(texts::kCaption));
  setFont(SansSerif(layout::kWindowFontHeight));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  auto* client = new QWidget(this);
  client->setFixedSize(layout::kClientWidth, layout::kClientHeight);
  setCentralWidget(client);

  StatusBar1 =
      new TStatusBar(client, {layout::kStatusPanelWidths[0], layout::kStatusPanelWidths[1]});
  Place(StatusBar1, layout::kStatusBar1);

  PageControl1 = new QTabWidget(client);
  Place(PageControl1, layout::kPageControl1);
  PageControl1->setDocumentMode(true);  // tabs as flat buttons
  TabSheet1 = new QWidget;
  TabSheet2 = new QWidget;
  PageControl1->addTab(TabSheet1, Q(texts::kCommandsTab));
  PageControl1->addTab(TabSheet2, Q(texts::kInstructionsTab));
  TabSheet3 = new TrendSheet(logic_.Trend());
  PageControl1->addTab(TabSheet3, Q(texts::kTrendTab));
  PageControl1->setCurrentWidget(TabSheet1);

  Memo1 = new TMemo(TabSheet1);
  Place(Memo1, layout::kMemo1);
  Memo1->setFont(SansSerif(layout::kMemoFontHeight));
  SetTextColour(Memo1, Qt::blue);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setPlainText(QStringLiteral("Memo1"));
  Memo1->setTabChangesFocus(true);  // readings hold no tabs; Tab moves on as elsewhere

  Panel1 = new QFrame(TabSheet1);
  Place(Panel1, layout::kPanel1);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  Label1 =
      AddLabel(Panel1, "Label1", layout::kLabel1.left, layout::kLabel1.top, texts::kAddressLabel);
  Label2 =
      AddLabel(Panel1, "Label2", layout::kLabel2.left, layout::kLabel2.top, texts::kAddressRange);

  Edit1 = new QLineEdit(QStringLiteral("Edit1"), Panel1);
  Place(Edit1, layout::kEdit1);
  Edit1->setFont(SansSerif(layout::kEditFontHeight));
  SetTextColour(Edit1, Qt::blue);

  Button3 = new QPushButton(Q(texts::kReadButton), Panel1);
  Place(Button3, layout::kButton3);

  Shape1 = new TShape(Panel1);
  Place(Shape1, layout::kShape1);
  Shape1->hide();

  CheckBox1 = new QCheckBox(Q(texts::kCyclic), Panel1);
  Place(CheckBox1, layout::kCheckBox1);

  for (const texts::InstructionLabel& line : texts::kInstructions) {
    AddLabel(TabSheet2, line.name.data(), line.left, line.top, line.text);
  }

  StaticText1 = new QLabel(QStringLiteral("StaticText1"), client);
  Place(StaticText1, layout::kStaticText1);
  StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  CreateMenu();

  connect(Button3, &QPushButton::clicked, this, [this] { logic_.Button3Click(); });
  // Enter after typing the address reads, as the button does (and not while it is disabled).
  connect(Edit1, &QLineEdit::returnPressed, Button3, &QPushButton::click);
  // Every change but the logic's own (SetCyclicChecked blocks the signal) runs the handler.
  connect(CheckBox1, &QCheckBox::toggled, this, [this] { logic_.CheckBox1Click(); });

  adjustSize();
  setFixedSize(size());
  SetKeyboardOrder();
}

void TForm1::SetKeyboardOrder() {
  // The operator types the address first, then reads; the pages' tab bar comes last.
  setTabOrder(Edit1, Button3);
  setTabOrder(Button3, CheckBox1);
  setTabOrder(CheckBox1, Memo1);
  setTabOrder(Memo1, PageControl1->tabBar());
  Edit1->setFocus();
}

void TForm1::CreateMenu() {
  N1 = menuBar()->addMenu(Q(texts::kPortMenu));
  port_group_ = new QActionGroup(this);
  port_group_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  for (std::size_t i = 0; i < kPortItems.size(); ++i) {
    QAction* item = N1->addAction(Q(kPortItems[i].caption));
    item->setObjectName(QStringLiteral("COM") + QString::number(i + 1) + QLatin1Char('1'));
    item->setCheckable(true);
    port_group_->addAction(item);
    // The group has checked the item before the handler runs.
    connect(item, &QAction::triggered, this, [this, i] { logic_.PortItemClick(i); });
    port_actions_[i] = item;
  }
  COM11 = port_actions_[0];
  COM21 = port_actions_[1];
  COM31 = port_actions_[2];
  COM41 = port_actions_[3];
  N5 = N1->addSeparator();
  connect(N1, &QMenu::aboutToShow, this, [this] { ShowExtraPortItems(); });
  Search = N1->addAction(Q(texts::kSearchItem));
  connect(Search, &QAction::triggered, this, [this] { logic_.SearchClick(); });
  C1 = N1->addAction(Q(texts::kSaveSettings));
  connect(C1, &QAction::triggered, this, [this] { logic_.C1Click(); });
  // Qt gives F10 no meaning on Linux; operators used to Windows expect it to open the menu.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this, [this] { OpenMenuFromKeyboard(); });
}

void TForm1::OpenMenuFromKeyboard() {
  // Not while cyclic polling runs: the menu is disabled then.
  if (menuBar()->isEnabled()) menuBar()->setActiveAction(N1->menuAction());
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (const QScreen* display = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(display->availableGeometry().center());
    move(frame.topLeft());
  }
}

}  // namespace window
