#include "ui/option_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/main_window.h"

namespace zorva {

OptionWindow::OptionWindow(TForm1& main, Window id, const QString& caption, int width, int unfoldedHeight)
    : QWidget(&main, Qt::Tool), main_(main), id_(id), unfoldedHeight_(unfoldedHeight) {
  setWindowTitle(caption);
  setObjectName(caption);
  body_ = new QWidget(this);
  body_->setGeometry(0, 0, width, unfoldedHeight);
  bodyLayout_ = new QVBoxLayout(body_);
  bodyLayout_->setContentsMargins(8, 4, 8, 8);
  bodyLayout_->setSpacing(6);
  auto* header = new QHBoxLayout;
  header->addStretch(1);
  foldButton_ = new QPushButton(":)", body_);
  foldButton_->setObjectName("Button1");
  foldButton_->setFixedSize(28, 22);
  foldButton_->setFocusPolicy(Qt::NoFocus);
  foldButton_->setToolTip("Fold or unfold this window");
  connect(foldButton_, &QPushButton::clicked, this, &OptionWindow::Button1Click);
  header->addWidget(foldButton_);
  bodyLayout_->addLayout(header);
  setFixedSize(width, unfoldedHeight);
}

Engine& OptionWindow::engine() const { return main_.engine(); }
Settings& OptionWindow::settings() const { return main_.engine().settings; }
FieldOps& OptionWindow::fieldOps() const { return main_.fieldOps(); }

ValueField* OptionWindow::makeField(const char* name, ValueKind kind, ValueField::Binding setting) {
  auto* field = new ValueField(fieldOps(), kind, setting, body_);
  field->setObjectName(name);
  fields_.push_back(field);
  return field;
}

void OptionWindow::showFields() {
  for (ValueField* field : fields_) field->showValue();
}

QCheckBox* OptionWindow::makeCheckBox(const char* name, const char* caption, bool* setting) {
  auto* box = new QCheckBox(caption, body_);
  box->setObjectName(name);
  connect(box, &QCheckBox::toggled, this, [setting](bool checked) { *setting = checked; });
  return box;
}

void OptionWindow::FormCreate() {
  const WindowPlacement& p = settings().window(id_);
  // A height no window can have would leave nothing to click on.
  setFixedHeight(std::clamp(p.Height, 1, 10000));
  move(p.Left, p.Top);
  Init();
}

void OptionWindow::Button1Click() { setFixedHeight(height() < kFoldedHeight + 1 ? unfoldedHeight_ : kFoldedHeight); }

WindowPlacement placementOf(const QWidget& window) {
  WindowPlacement p;
  p.Height = window.height();
  p.Left = window.pos().x();
  p.Top = window.pos().y();
  p.Visible = window.isVisible();
  return p;
}

void OptionWindow::FormClose() { settings().window(id_).Visible = false; }

void OptionWindow::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

bool OptionWindow::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool functionKey = key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35;
    const bool typed = (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) && !functionKey;
    // Alt+F4 closes this window, not the program.
    const bool closeKey = modifiers == Qt::AltModifier && key->key() == Qt::Key_F4;
    if (typed || closeKey) {
      event->accept();
      return true;
    }
  }
  return QWidget::event(event);
}

}  // namespace zorva
