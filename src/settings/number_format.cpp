#include "settings/number_format.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <langinfo.h>
#include <locale.h>
#include <mutex>

namespace zorva {
namespace {

std::string& separatorStorage() {
  static std::string separator = [] {
    std::string result = ".";
    if (locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr))) {
      if (const char* radix = nl_langinfo_l(RADIXCHAR, loc); radix && *radix) result = radix;
      freelocale(loc);
    }
    return result;
  }();
  return separator;
}

}  // namespace

const std::string& decimalSeparator() { return separatorStorage(); }

void setDecimalSeparator(std::string separator) {
  separatorStorage() = separator.empty() ? std::string(".") : std::move(separator);
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string formatFloat(double value) { return formatFloat(value, decimalSeparator()); }

std::string formatFloat(double value, std::string_view separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";

  // 15 significant digits, correctly rounded: d.dddddddddddddde±x
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  const bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  const auto ePos = sci.find('e');
  int exponent = 0;
  std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
  std::string digits;
  for (char c : sci.substr(0, ePos))
    if (c != '.') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= -5 && exponent < 15) {
    if (exponent < 0) {
      out += "0";
      out += separator;
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    } else {
      const auto intDigits = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= intDigits) {
        out += digits;
        out.append(intDigits - digits.size(), '0');
      } else {
        out += digits.substr(0, intDigits);
        out += separator;
        out += digits.substr(intDigits);
      }
    }
  } else {
    out += digits.substr(0, 1);
    if (digits.size() > 1) {
      out += separator;
      out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
  }
  return out;
}

std::optional<double> roundTo15Digits(double value) {
  // The same separator both ways, so the user's locale plays no part.
  return parseFloat(formatFloat(value, "."), ".");
}

std::optional<double> parseFloat(std::string_view text) { return parseFloat(text, decimalSeparator()); }

std::optional<double> parseFloat(std::string_view text, std::string_view separator) {
  text = trimBlanks(text);
  if (text.empty() || text.size() > 400) return std::nullopt;
  std::string normal;
  normal.reserve(text.size());
  // Files travel between locales: "." and "," are both read as the decimal
  // separator, besides the user's own.
  for (std::size_t i = 0; i < text.size();) {
    if (!separator.empty() && text.substr(i, separator.size()) == separator) {
      normal += '.';
      i += separator.size();
    } else if (text[i] == ',') {
      normal += '.';
      ++i;
    } else {
      normal += text[i++];
    }
  }
  std::string_view digits = normal;
  if (digits.front() == '+') {
    digits.remove_prefix(1);
    if (digits.empty() || digits.front() == '-' || digits.front() == '+') return std::nullopt;
  }
  // Only decimal forms: no "inf", "nan" or hexadecimal.
  for (char c : digits)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return std::nullopt;
  double value = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
  if (res.ec != std::errc() || res.ptr != digits.data() + digits.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int32_t> parseInt(std::string_view text) {
  text = trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    if (text.size() > 8) return std::nullopt;
    std::uint32_t bits = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), bits, 16);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    auto value = static_cast<std::int32_t>(bits);
    return negative ? static_cast<std::int32_t>(0u - bits) : value;
  }
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  std::int64_t value = 0;
  if (text.size() > 11) return std::nullopt;
  auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace zorva
