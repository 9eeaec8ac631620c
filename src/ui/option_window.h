// The pattern every option window follows: a fixed-size tool window above
// the main window, placed from the record's forms section, a ":)" button that
// folds it to 50 pixels, an Init that copies the record into the controls,
// and a close that only hides it.
//
// A new window derives from OptionWindow, builds its controls on body() (its
// value fields from ValueField), fills them in Init(), calls FormCreate() at
// the end of its constructor, and is created by TForm1::createOptionWindows(),
// which registers it: the menu command, "Hide option windows", the settings
// file and the refresh after a load then find it through its Window id.
#pragma once

#include <QWidget>
#include <vector>

#include "settings/settings.h"
#include "ui/value_field.h"

class QCheckBox;
class QPushButton;
class QVBoxLayout;

namespace zorva {

class Engine;
class FieldOps;
class TForm1;

// Where a window really is (height, position, shown), for the settings file.
WindowPlacement placementOf(const QWidget& window);

class OptionWindow : public QWidget {
  Q_OBJECT

 public:
  // Height of a folded window.
  static constexpr int kFoldedHeight = 50;

  OptionWindow(TForm1& main, Window id, const QString& caption, int width, int unfoldedHeight);

  Window id() const { return id_; }
  int unfoldedHeight() const { return unfoldedHeight_; }
  // Copies the record into the controls; runs at creation and after every
  // load of the settings.
  virtual void Init() {}
  // Fold or unfold.
  void Button1Click();
  // Where the window really is, for the settings file.
  WindowPlacement placement() const { return placementOf(*this); }
  QPushButton* foldButton() const { return foldButton_; }

 protected:
  // Placement and size from the record, then Init. Call it at the end of the
  // derived constructor, once the controls exist.
  void FormCreate();
  // The window is only hidden; by default its visibility key becomes false.
  virtual void FormClose();
  void closeEvent(QCloseEvent* event) override;
  // Keys typed without a modifier stay in the window: the main menu's single
  // keys (D, C, Esc, ...) would otherwise fire from here too.
  bool event(QEvent* event) override;

  // The controls live on a body of the unfolded size, so folding only clips
  // them; the body's layout starts with the row of the ":)" button.
  QWidget* body() const { return body_; }
  QVBoxLayout* bodyLayout() const { return bodyLayout_; }
  TForm1& main() const { return main_; }
  Engine& engine() const;
  Settings& settings() const;
  FieldOps& fieldOps() const;
  // A value field on the body, named after its control; showFields() shows
  // every field made here.
  ValueField* makeField(const char* name, ValueKind kind, ValueField::Binding setting);
  void showFields();
  // A check box on the body that stores its state in setting whenever the
  // state changes (by a click or by Init).
  QCheckBox* makeCheckBox(const char* name, const char* caption, bool* setting);

 private:
  TForm1& main_;
  Window id_;
  int unfoldedHeight_;
  QWidget* body_;
  QVBoxLayout* bodyLayout_;
  QPushButton* foldButton_;
  std::vector<ValueField*> fields_;
};

}  // namespace zorva
