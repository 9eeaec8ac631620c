// A main window on a settings file of its own in a temporary folder, with
// messages answered and recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "settings/number_format.h"
#include "ui/main_window.h"
#include "ui/option_window.h"

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
    std::ofstream out(pathString(name), std::ios::binary);
    out << text;
  }

  std::string readFile(const QString& name) const {
    std::ifstream in(pathString(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Writes the program's settings file and opens the main window on it.
  TForm1& start(const std::string& settingsText = kSmallSettings, bool show = true) {
    writeFile("zorva.ini", settingsText);
    StartOptions options;
    options.programPath = path("zorva");
    options.settingsFile = path("zorva.ini");
    options.defaultFolder = dir_.path();
    options.threads = 1;
    form_ = std::make_unique<TForm1>(options);
    form_->host().messageHook = [this](const std::string& text, MessageKind kind) {
      messages_.push_back({text, kind});
      if (onMessage_) onMessage_();
      return kind == MessageKind::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
    };
    if (show) {
      form_->show();
      QApplication::processEvents();
    }
    return *form_;
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

  QTemporaryDir dir_;
  std::unique_ptr<TForm1> form_;
  std::vector<Message> messages_;
  std::function<void()> onMessage_;  // runs while a message is "shown"
};

// Mouse events with exact positions and button states.
inline void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}
inline void pressLeft(QWidget* w, QPoint at) {
  sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
inline void dragTo(QWidget* w, QPoint at, Qt::MouseButtons buttons = Qt::LeftButton) {
  sendMouse(w, QEvent::MouseMove, at, Qt::NoButton, buttons);
}
inline void releaseLeft(QWidget* w, QPoint at) {
  sendMouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// Clicks a check box or radio button on its indicator: a box stretched by
// its layout only reacts to clicks on the indicator and the caption.
inline void clickBox(QAbstractButton* box) {
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
}

// Replaces a field's text the way a user does: select all, then type.
inline void typeInto(QLineEdit* field, const QString& text) {
  field->selectAll();
  QTest::keyClicks(field, text);
}

}  // namespace zorva::test
