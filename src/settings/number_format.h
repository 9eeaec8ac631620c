// Text forms of numbers shared by the settings file, curve files and value
// fields. Independent of the C library's global locale: the decimal separator
// is taken from LC_NUMERIC once and applied explicitly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorva {

// The user's decimal separator (LC_NUMERIC of the environment), e.g. "." or ",".
const std::string& decimalSeparator();
// Overrides the separator for this process (tests, or a host that knows better).
void setDecimalSeparator(std::string separator);

// Shortest form with at most 15 significant digits: fixed notation when the
// magnitude is at least 0.00001 and there are at most 15 integer digits,
// otherwise scientific with a capital E and a bare exponent ("1E-6").
std::string formatFloat(double value);
std::string formatFloat(double value, std::string_view separator);

// The value as a value field shows it and reads it back: rounded to 15
// significant digits through formatFloat and parseFloat (pi/2 becomes
// 1.5707963267949). Nullopt when that text cannot be read back: NaN, an
// infinity, or a value that rounds beyond the largest double.
std::optional<double> roundTo15Digits(double value);

// A whole text as a floating number whose decimal separator is ".", "," or
// the given (or the user's) separator; blanks around it are ignored. Rejects
// anything else, including infinities, NaN and values out of range.
std::optional<double> parseFloat(std::string_view text);
std::optional<double> parseFloat(std::string_view text, std::string_view separator);

// A whole text as a signed 32-bit integer: decimal, or "0x" followed by up to
// eight hexadecimal digits (taken as the 32-bit pattern). Blanks around it are
// ignored; anything out of range is rejected.
std::optional<std::int32_t> parseInt(std::string_view text);

// Blanks (spaces and tabs) removed from both ends.
std::string_view trimBlanks(std::string_view text);

}  // namespace zorva
