// A main window on a settings file of its own in a temporary folder, with
// messages answered and recorded instead of shown, and input helpers.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fstream>

#include "settings/ini_file.h"
#include "settings/number_format.h"
#include "ui/animation_window.h"
#include "ui/background_image_window.h"
#include "ui/branching_window.h"
#include "ui/colors_window.h"
#include "ui/function_window.h"
#include "ui/image_dimensions_window.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/points_window.h"
#include "ui/source_image_window.h"
#include "ui/values_window.h"

namespace zorva::test {

struct Message {
  std::string text;
  MessageKind kind;
};

// Small and quick: a 60 x 60 picture, 40 steps.
inline const char* const kSmallSettings =
    "[start]\nImageWidth=60\nImageHeight=60\n[sine]\nSteps=40\nStartGrain=30\nEndGrain=30\n";

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setDecimalSeparator(".");
    ASSERT_TRUE(dir_.isValid());
  }
  void TearDown() override { form_.reset(); }

  QString path(const QString& name) const { return dir_.filePath(name); }
  std::string pathString(const QString& name) const { return path(name).toStdString(); }
  void writeFile(const QString& name, const std::string& text) const {
    std::ofstream(pathString(name), std::ios::binary) << text;
  }

  // Opens the main window on the program's settings file, first written from
  // settingsText unless that is empty. A drawing processes events once per
  // step: steps_ counts them, and act_ runs at step actAt_.
  TForm1& start(const std::string& settingsText = kSmallSettings) {
    if (!settingsText.empty()) writeFile("zorva.ini", settingsText);
    form_ = std::make_unique<TForm1>(StartOptions{
        .programPath = path("zorva"), .settingsFile = path("zorva.ini"), .defaultFolder = dir_.path(), .threads = 1});
    form_->host().messageHook = [this](const std::string& text, MessageKind kind) {
      messages_.push_back({text, kind});
      if (onMessage_) onMessage_();
      return kind == MessageKind::Question ? answer_ : MessageAnswer::Ok;
    };
    form_->host().processEventsHook = [this] {
      if (++steps_ == actAt_ && act_) act_();
    };
    form_->show();
    QApplication::processEvents();
    return *form_;
  }
  void atStep(int step, std::function<void()> act) { actAt_ = step, act_ = std::move(act); }
  void activate(QWidget* w = nullptr) {
    if (!w) w = form_.get();
    w->activateWindow();
    // A tool window counts as active with its parent; wait for the real switch.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == w; }));
  }

  // A key of the program's settings file as written.
  std::optional<std::string> storedValue(const std::string& section, const std::string& key) const {
    IniFile ini;
    ini.load(pathString("zorva.ini"));
    return ini.get(section, key);
  }

  Engine& engine() { return form_->engine(); }
  Settings& settings() { return form_->engine().settings; }
  template <class T>
  T* window(Window w) {
    return form_->optionWindowAs<T>(w);
  }
  // Starts and shows one option window as its menu command does.
  template <class T>
  T* openWindow(Window w, const std::string& settingsText = kSmallSettings) {
    start(settingsText);
    form_->showOptionWindow(w, "");
    return window<T>(w);
  }

  QTemporaryDir dir_;
  std::unique_ptr<TForm1> form_;
  std::vector<Message> messages_;
  std::function<void()> onMessage_;            // runs while a message is "shown"
  MessageAnswer answer_ = MessageAnswer::Yes;  // to questions
  int steps_ = 0, actAt_ = -1;
  std::function<void()> act_;
};

inline bool allBytesAre(const Bitmap24& picture, std::uint8_t value) {
  return std::all_of(picture.bgr.begin(), picture.bgr.end(), [=](std::uint8_t b) { return b == value; });
}

// A mouse event with an exact position, buttons and modifiers.
inline void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, modifiers);
  QApplication::sendEvent(w, &event);
}
inline void press(QWidget* w, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  sendMouse(w, QEvent::MouseButtonPress, at, button, button, modifiers);
}
inline void moveWith(QWidget* w, QPoint at, Qt::MouseButtons buttons) {
  sendMouse(w, QEvent::MouseMove, at, Qt::NoButton, buttons);
}
inline void releaseAt(QWidget* w, QPoint at, Qt::MouseButton button) {
  sendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}
// Presses the left button inside a field (at height 10), moves to each height
// in turn and, when asked, releases there.
inline void dragField(QWidget* w, std::initializer_list<int> heights, bool releaseAtEnd = false) {
  press(w, {5, 10}, Qt::LeftButton);
  int y = 10;
  for (int h : heights) moveWith(w, {5, y = h}, Qt::LeftButton);
  if (releaseAtEnd) releaseAt(w, {5, y}, Qt::LeftButton);
}

// Clicks a check box or radio button on its indicator: a box stretched by
// its layout only reacts to clicks on the indicator and the caption.
inline void clickBox(QAbstractButton* box) {
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
}
inline void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Replaces a field's text the way a user does: select all, then type.
inline void typeInto(QLineEdit* field, const QString& text) {
  field->selectAll();
  QTest::keyClicks(field, text);
}

}  // namespace zorva::test
