// Value fields: one-line number fields bound to one setting of the record.
// Five kinds share the show, parse and drag-to-change operations of
// FieldOps; every option window builds its fields from ValueField.
#pragma once

#include <QLineEdit>
#include <QValidator>
#include <cstdint>
#include <optional>
#include <variant>

#include "render/host.h"
#include "settings/settings.h"

namespace zorva {

enum class ValueKind {
  Integer,             // the value itself, clamped to the field's limits
  Hundredths,          // an integer setting shown as value / 100
  PositiveHundredths,  // the same, never below 0
  Real,                // a floating setting
  PositiveReal,        // a floating setting, never below 0
};

struct IntRange {
  std::int32_t lo, hi;
};

// The operations every window shares, with the drag state (only one field
// is dragged at a time). Show operations set the field's text, which runs
// the field's parse through its change handler.
class FieldOps {
 public:
  FieldOps(Settings& settings, Host& host) : settings_(settings), host_(host) {}
  const Settings& settings() const { return settings_; }

  // Show.
  void editFieldSet(QLineEdit* field, std::int32_t value);
  void editFieldDoubleSet(QLineEdit* field, std::int32_t hundredths);
  void editFieldPositiveDoubleSet(QLineEdit* field, std::int32_t hundredths);
  void editFieldRealDoubleSet(QLineEdit* field, double value);
  void editFieldPositiveDoubleSet2(QLineEdit* field, double value);

  // Parse.
  void editFieldChange(QLineEdit* field, std::int32_t& setting, std::int32_t lo, std::int32_t hi);
  void editFieldDoubleChange(QLineEdit* field, std::int32_t& setting);
  void editFieldPositiveDoubleChange(QLineEdit* field, std::int32_t& setting);
  void editFieldRealDoubleChange(QLineEdit* field, double& setting);
  void editFieldPositiveDoubleChange2(QLineEdit* field, double& setting);
  // A floating setting that refuses text with the hundredths message (the
  // Animation window's Change, Repeat and Main Path Usage fields).
  void editFieldNumberChange(QLineEdit* field, double& setting);

  // Drag to change: button down, mouse move (y relative to the field), button up.
  void brexilMouseDown(QLineEdit* field, std::int32_t& setting, std::int32_t lo, std::int32_t hi);
  void brexilMouseMove(QLineEdit* field, std::int32_t& setting, Qt::MouseButtons buttons, int y);
  void brexilMouseUp(QLineEdit* field, std::int32_t& setting);
  void brexilDoubleMouseMove(QLineEdit* field, std::int32_t& setting, Qt::MouseButtons buttons, int y);
  void brexilDoubleMouseUp(QLineEdit* field, std::int32_t& setting);
  void brexilPositiveDoubleMouseMove(QLineEdit* field, std::int32_t& setting, Qt::MouseButtons buttons, int y);
  void brexilPositiveDoubleMouseUp(QLineEdit* field, std::int32_t& setting);
  void brexilRealDoubleMouseDown(QLineEdit* field, double& setting);
  void brexilRealDoubleMouseMove(QLineEdit* field, double& setting, Qt::MouseButtons buttons, int y);
  void brexilRealDoubleMouseUp(QLineEdit* field, double& setting);
  void brexilPositiveDoubleMouseDown2(QLineEdit* field, double& setting);
  void brexilPositiveDoubleMouseMove2(QLineEdit* field, double& setting, Qt::MouseButtons buttons, int y);
  void brexilPositiveDoubleMouseUp2(QLineEdit* field, double& setting);

  // The band round a field in which the mouse changes nothing.
  static constexpr int kBandTop = -5;
  static constexpr int kBandBottom = 25;

  static const char* const kIntegerMessage;
  static const char* const kNumberMessage;
  static const char* const kNonNegativeMessage;
  static const char* const kRealMessage;

 private:
  // +1 above the band, -1 below it, 0 inside or when dragging is off.
  int dragDirection(Qt::MouseButtons buttons, int y);
  bool snapBack() const { return settings_.SnapValuesBack && settings_.UseMouseToChangeValues; }
  // Yellow field, the message, the stored value back, caret at the end.
  template <class Restore>
  void refuse(QLineEdit* field, const char* message, Restore restore);
  std::optional<std::int32_t> hundredthsOf(QLineEdit* field, double number);
  bool isIgnored(const QString& text, bool minusIgnored) const;

  Settings& settings_;
  Host& host_;
  struct {
    std::int32_t intValue = 0;
    double realValue = 0;
    std::int32_t lo = 0, hi = 0;
    int lastY = 0;
  } drag_;
};

class ValueField;

// Refuses typed input that makes the text longer than the limit, but lets
// the program show longer values (a value from the settings file must never
// be cut short) and lets the user shorten them.
class MaxCharsValidator : public QValidator {
 public:
  MaxCharsValidator(int maxChars, ValueField& field);
  State validate(QString& input, int& pos) const override;

 private:
  int maxChars_;
  const ValueField& field_;
};

// A field bound to one integer or floating setting. Its change handler parses
// every new text (typed, dragged or set by the program); showValue() shows
// the setting. Dragging with the left button changes the value when the
// record's UseMouseToChangeValues is on.
class ValueField : public QLineEdit {
  Q_OBJECT

 public:
  using Binding = std::variant<std::int32_t*, double*>;

  // Integer fields need their typing limits; the floating kinds take a
  // double*, the other kinds an std::int32_t*.
  ValueField(FieldOps& ops, ValueKind kind, Binding setting, QWidget* parent = nullptr);

  ValueKind kind() const { return kind_; }
  void setLimits(IntRange typing) { limits_ = typing; }
  IntRange limits() const { return limits_; }
  // Dragging is on by default; an integer field drags within these limits
  // (its typing limits unless set).
  void setDragLimits(IntRange drag) { dragLimits_ = drag; }
  void setDraggable(bool on) { draggable_ = on; }
  bool draggable() const { return draggable_; }
  // The most characters the user can type (the program may show more).
  void setMaxChars(int chars);
  // Points the field at another setting (windows that edit pending values).
  void rebind(Binding setting) { setting_ = setting; }

  // The show operation of the field's kind.
  void showValue();
  // Text set by the program: not limited by the typing length.
  void setProgramText(const QString& text);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void textChangedHandler();
  std::int32_t& intSetting() { return *std::get<std::int32_t*>(setting_); }
  double& realSetting() { return *std::get<double*>(setting_); }
  bool dragMoves(QMouseEvent* event) const;

  FieldOps& ops_;
  ValueKind kind_;
  Binding setting_;
  IntRange limits_{INT32_MIN, INT32_MAX};
  std::optional<IntRange> dragLimits_;
  bool draggable_ = true;
  bool pressed_ = false;
  bool programText_ = false;
  int previousLength_ = 0;  // length of the text before the change being validated

  friend class MaxCharsValidator;
};

}  // namespace zorva
