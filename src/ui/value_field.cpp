#include "ui/value_field.h"

#include <QMouseEvent>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <limits>

#include "settings/number_format.h"

namespace zorva {

const char* const FieldOps::kIntegerMessage = "This field must be an integer.";
const char* const FieldOps::kNumberMessage = "This field must be a number. e.g 1, 0.5, -0.3";
const char* const FieldOps::kNonNegativeMessage = "This field must be a non-negative number. e.g 0, 1, 0.5";
const char* const FieldOps::kRealMessage = "This field must be a number. e.g 0, 1, -0.5";

namespace {

QString shownFloat(double value) { return QString::fromStdString(formatFloat(value)); }

std::int32_t clampToInt(std::int64_t v, std::int32_t lo, std::int32_t hi) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, lo, hi));
}

// Writing the same text again changes nothing (no change handler, caret
// stays), as with the native fields the windows were designed on.
void setFieldText(QLineEdit* field, const QString& text) {
  if (field->text() == text) return;
  if (auto* valueField = qobject_cast<ValueField*>(field))
    valueField->setProgramText(text);
  else
    field->setText(text);
}

}  // namespace

// ---- show -------------------------------------------------------------------------

void FieldOps::editFieldSet(QLineEdit* field, std::int32_t value) { setFieldText(field, QString::number(value)); }

void FieldOps::editFieldDoubleSet(QLineEdit* field, std::int32_t hundredths) {
  setFieldText(field, shownFloat(hundredths / 100.0));
}

void FieldOps::editFieldPositiveDoubleSet(QLineEdit* field, std::int32_t hundredths) {
  setFieldText(field, shownFloat(hundredths / 100.0));
}

void FieldOps::editFieldRealDoubleSet(QLineEdit* field, double value) { setFieldText(field, shownFloat(value)); }

void FieldOps::editFieldPositiveDoubleSet2(QLineEdit* field, double value) { setFieldText(field, shownFloat(value)); }

// ---- parse ------------------------------------------------------------------------

bool FieldOps::isIgnored(const QString& text, bool minusIgnored) const {
  // Half-typed numbers: nothing yet, a lone separator, a lone minus sign.
  return text.isEmpty() || text == QLatin1String(".") || text == QLatin1String(",") ||
         text == QString::fromStdString(decimalSeparator()) || (minusIgnored && text == QLatin1String("-"));
}

template <class Restore>
void FieldOps::refuse(QLineEdit* field, const char* message, Restore restore) {
  QPalette yellow = field->palette();
  yellow.setColor(QPalette::Base, Qt::yellow);
  field->setPalette(yellow);
  field->repaint();
  host_.message(message, MessageKind::Information);
  restore();
  field->setCursorPosition(static_cast<int>(field->text().size()));
  field->setPalette(QPalette());
}

std::optional<std::int32_t> FieldOps::hundredthsOf(QLineEdit* field, double number) {
  const double h = std::floor(number * 100);
  if (h >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
      h <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return static_cast<std::int32_t>(h);
  // Kept in hundredths as a 32-bit integer: the setting cannot hold it.
  const QString text =
      QString(
          "\"%1\" is too large for this field: it takes numbers from %2 to %3. The value was not "
          "changed.")
          .arg(field->text(), QString::fromStdString(formatFloat(std::numeric_limits<std::int32_t>::min() / 100.0)),
               QString::fromStdString(formatFloat(std::numeric_limits<std::int32_t>::max() / 100.0)));
  host_.message(text.toStdString(), MessageKind::Error);
  return std::nullopt;
}

void FieldOps::editFieldChange(QLineEdit* field, std::int32_t& setting, std::int32_t lo, std::int32_t hi) {
  const QString text = field->text();
  if (text.isEmpty() || text == QLatin1String("-")) return;
  const auto value = parseInt(text.toStdString());
  if (!value) {
    refuse(field, kIntegerMessage, [&] { editFieldSet(field, setting); });
    return;
  }
  setting = std::min(std::max(*value, lo), hi);
  editFieldSet(field, setting);
}

void FieldOps::editFieldDoubleChange(QLineEdit* field, std::int32_t& setting) {
  const QString text = field->text();
  if (isIgnored(text, true)) return;
  const auto number = parseFloat(text.toStdString());
  if (!number) {
    refuse(field, kNumberMessage, [&] { editFieldDoubleSet(field, setting); });
    return;
  }
  if (const auto h = hundredthsOf(field, *number)) setting = *h;
}

void FieldOps::editFieldPositiveDoubleChange(QLineEdit* field, std::int32_t& setting) {
  const QString text = field->text();
  if (isIgnored(text, false)) return;
  const auto number = parseFloat(text.toStdString());
  if (!number) {
    refuse(field, kNonNegativeMessage, [&] { editFieldPositiveDoubleSet(field, setting); });
    return;
  }
  if (const auto h = hundredthsOf(field, *number)) setting = std::max(0, *h);
}

void FieldOps::editFieldRealDoubleChange(QLineEdit* field, double& setting) {
  const QString text = field->text();
  if (isIgnored(text, true)) return;
  const auto number = parseFloat(text.toStdString());
  if (!number) {
    refuse(field, kRealMessage, [&] { editFieldRealDoubleSet(field, setting); });
    return;
  }
  setting = *number;
}

void FieldOps::editFieldPositiveDoubleChange2(QLineEdit* field, double& setting) {
  const QString text = field->text();
  if (isIgnored(text, false)) return;
  const auto number = parseFloat(text.toStdString());
  if (!number) {
    refuse(field, kNonNegativeMessage, [&] { editFieldPositiveDoubleSet2(field, setting); });
    return;
  }
  setting = std::max(*number, 0.0);
}

void FieldOps::editFieldNumberChange(QLineEdit* field, double& setting) {
  const QString text = field->text();
  if (isIgnored(text, true)) return;
  const auto number = parseFloat(text.toStdString());
  if (!number) {
    refuse(field, kNumberMessage, [&] { editFieldRealDoubleSet(field, setting); });
    return;
  }
  setting = *number;
}

// ---- drag -------------------------------------------------------------------------

int FieldOps::dragDirection(Qt::MouseButtons buttons, int y) {
  if (!(buttons & Qt::LeftButton) || !settings_.UseMouseToChangeValues) return 0;
  drag_.lastY = y;
  if (y < kBandTop) return 1;
  if (y > kBandBottom) return -1;
  return 0;
}

void FieldOps::brexilMouseDown(QLineEdit*, std::int32_t& setting, std::int32_t lo, std::int32_t hi) {
  drag_.intValue = setting;
  drag_.lo = lo;
  drag_.hi = hi;
}

void FieldOps::brexilMouseMove(QLineEdit* field, std::int32_t& setting, Qt::MouseButtons buttons, int y) {
  const int dir = dragDirection(buttons, y);
  if (dir == 0) return;
  editFieldSet(field, clampToInt(std::int64_t{setting} + dir, drag_.lo, drag_.hi));
  editFieldChange(field, setting, drag_.lo, drag_.hi);
}

void FieldOps::brexilMouseUp(QLineEdit* field, std::int32_t& setting) {
  if (!snapBack() || field->hasSelectedText()) return;
  setting = drag_.intValue;
  editFieldSet(field, setting);
  editFieldChange(field, setting, drag_.lo, drag_.hi);
}

void FieldOps::brexilDoubleMouseMove(QLineEdit* field, std::int32_t& setting, Qt::MouseButtons buttons, int y) {
  const int dir = dragDirection(buttons, y);
  if (dir == 0) return;
  editFieldDoubleSet(field, clampToInt(std::int64_t{setting} + 2 * dir, INT32_MIN, INT32_MAX));
  editFieldDoubleChange(field, setting);
}

void FieldOps::brexilDoubleMouseUp(QLineEdit* field, std::int32_t& setting) {
  if (!snapBack() || field->hasSelectedText()) return;
  setting = drag_.intValue;
  editFieldDoubleSet(field, setting);
  editFieldDoubleChange(field, setting);
}

void FieldOps::brexilPositiveDoubleMouseMove(QLineEdit* field, std::int32_t& setting, Qt::MouseButtons buttons, int y) {
  const int dir = dragDirection(buttons, y);
  if (dir == 0) return;
  editFieldPositiveDoubleSet(field, clampToInt(std::int64_t{setting} + 2 * dir, 0, INT32_MAX));
  editFieldPositiveDoubleChange(field, setting);
}

void FieldOps::brexilPositiveDoubleMouseUp(QLineEdit* field, std::int32_t& setting) {
  if (!snapBack() || field->hasSelectedText()) return;
  setting = drag_.intValue;
  editFieldPositiveDoubleSet(field, setting);
  editFieldPositiveDoubleChange(field, setting);
}

void FieldOps::brexilRealDoubleMouseDown(QLineEdit*, double& setting) { drag_.realValue = setting; }

void FieldOps::brexilRealDoubleMouseMove(QLineEdit* field, double& setting, Qt::MouseButtons buttons, int y) {
  const int dir = dragDirection(buttons, y);
  if (dir == 0) return;
  editFieldRealDoubleSet(field, setting + 0.2 * dir);
  editFieldRealDoubleChange(field, setting);
}

void FieldOps::brexilRealDoubleMouseUp(QLineEdit* field, double& setting) {
  // Real fields snap back even when text is selected.
  if (!snapBack()) return;
  setting = drag_.realValue;
  editFieldRealDoubleSet(field, setting);
  editFieldRealDoubleChange(field, setting);
}

void FieldOps::brexilPositiveDoubleMouseDown2(QLineEdit*, double& setting) { drag_.realValue = setting; }

void FieldOps::brexilPositiveDoubleMouseMove2(QLineEdit* field, double& setting, Qt::MouseButtons buttons, int y) {
  const int dir = dragDirection(buttons, y);
  if (dir == 0) return;
  editFieldPositiveDoubleSet2(field, std::max(setting + 0.1 * dir, 0.0));
  editFieldPositiveDoubleChange2(field, setting);
}

void FieldOps::brexilPositiveDoubleMouseUp2(QLineEdit* field, double& setting) {
  if (!snapBack() || field->hasSelectedText()) return;
  setting = drag_.realValue;
  editFieldPositiveDoubleSet2(field, setting);
  editFieldPositiveDoubleChange2(field, setting);
}

// ---- the field widget -------------------------------------------------------------

MaxCharsValidator::MaxCharsValidator(int maxChars, ValueField& field)
    : QValidator(&field), maxChars_(maxChars), field_(field) {}

QValidator::State MaxCharsValidator::validate(QString& input, int&) const {
  if (field_.programText_ || input.size() <= maxChars_ || input.size() < field_.previousLength_) return Acceptable;
  return Invalid;
}

ValueField::ValueField(FieldOps& ops, ValueKind kind, Binding setting, QWidget* parent)
    : QLineEdit(parent), ops_(ops), kind_(kind), setting_(setting) {
  const bool integerSetting =
      kind == ValueKind::Integer || kind == ValueKind::Hundredths || kind == ValueKind::PositiveHundredths;
  Q_ASSERT(integerSetting == std::holds_alternative<std::int32_t*>(setting));
  (void)integerSetting;
  connect(this, &QLineEdit::textChanged, this, &ValueField::textChangedHandler);
}

void ValueField::setMaxChars(int chars) { setValidator(new MaxCharsValidator(chars, *this)); }

void ValueField::setProgramText(const QString& text) {
  programText_ = true;
  setText(text);
  programText_ = false;
}

void ValueField::showValue() {
  switch (kind_) {
    case ValueKind::Integer:
      ops_.editFieldSet(this, intSetting());
      break;
    case ValueKind::Hundredths:
      ops_.editFieldDoubleSet(this, intSetting());
      break;
    case ValueKind::PositiveHundredths:
      ops_.editFieldPositiveDoubleSet(this, intSetting());
      break;
    case ValueKind::Real:
      ops_.editFieldRealDoubleSet(this, realSetting());
      break;
    case ValueKind::PositiveReal:
      ops_.editFieldPositiveDoubleSet2(this, realSetting());
      break;
  }
}

void ValueField::textChangedHandler() {
  switch (kind_) {
    case ValueKind::Integer:
      ops_.editFieldChange(this, intSetting(), limits_.lo, limits_.hi);
      break;
    case ValueKind::Hundredths:
      ops_.editFieldDoubleChange(this, intSetting());
      break;
    case ValueKind::PositiveHundredths:
      ops_.editFieldPositiveDoubleChange(this, intSetting());
      break;
    case ValueKind::Real:
      ops_.editFieldRealDoubleChange(this, realSetting());
      break;
    case ValueKind::PositiveReal:
      ops_.editFieldPositiveDoubleChange2(this, realSetting());
      break;
  }
  previousLength_ = static_cast<int>(text().size());
}

bool ValueField::dragMoves(QMouseEvent* event) const {
  const int y = static_cast<int>(std::floor(event->position().y()));
  return draggable_ && ops_.settings().UseMouseToChangeValues && (event->buttons() & Qt::LeftButton) &&
         (y < FieldOps::kBandTop || y > FieldOps::kBandBottom);
}

void ValueField::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (!draggable_) return;
  pressed_ = true;
  switch (kind_) {
    case ValueKind::Integer: {
      const IntRange drag = dragLimits_.value_or(limits_);
      ops_.brexilMouseDown(this, intSetting(), drag.lo, drag.hi);
      break;
    }
    case ValueKind::Hundredths:
    case ValueKind::PositiveHundredths:
      ops_.brexilMouseDown(this, intSetting(), 0, 0);
      break;
    case ValueKind::Real:
      ops_.brexilRealDoubleMouseDown(this, realSetting());
      break;
    case ValueKind::PositiveReal:
      ops_.brexilPositiveDoubleMouseDown2(this, realSetting());
      break;
  }
}

void ValueField::mouseMoveEvent(QMouseEvent* event) {
  // Outside the band a drag changes the value; selecting text there as well
  // would leave a selection that stops the snap-back.
  if (!dragMoves(event)) QLineEdit::mouseMoveEvent(event);
  if (!draggable_) return;
  const int y = static_cast<int>(std::floor(event->position().y()));
  const Qt::MouseButtons buttons = event->buttons();
  switch (kind_) {
    case ValueKind::Integer:
      ops_.brexilMouseMove(this, intSetting(), buttons, y);
      break;
    case ValueKind::Hundredths:
      ops_.brexilDoubleMouseMove(this, intSetting(), buttons, y);
      break;
    case ValueKind::PositiveHundredths:
      ops_.brexilPositiveDoubleMouseMove(this, intSetting(), buttons, y);
      break;
    case ValueKind::Real:
      ops_.brexilRealDoubleMouseMove(this, realSetting(), buttons, y);
      break;
    case ValueKind::PositiveReal:
      ops_.brexilPositiveDoubleMouseMove2(this, realSetting(), buttons, y);
      break;
  }
}

void ValueField::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  // Only a release that ends a press on this field snaps back.
  if (!draggable_ || !pressed_) return;
  pressed_ = false;
  switch (kind_) {
    case ValueKind::Integer:
      ops_.brexilMouseUp(this, intSetting());
      break;
    case ValueKind::Hundredths:
      ops_.brexilDoubleMouseUp(this, intSetting());
      break;
    case ValueKind::PositiveHundredths:
      ops_.brexilPositiveDoubleMouseUp(this, intSetting());
      break;
    case ValueKind::Real:
      ops_.brexilRealDoubleMouseUp(this, realSetting());
      break;
    case ValueKind::PositiveReal:
      ops_.brexilPositiveDoubleMouseUp2(this, realSetting());
      break;
  }
}

}  // namespace zorva
