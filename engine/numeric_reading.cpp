#include "engine/numeric_reading.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tessaline {

namespace {

bool ignored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

int digitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9') {
        v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        v = c - 'A' + 10;
    }
    return v < base ? v : -1;
}

// Hexadecimal or octal digits from the start of `s`, up to the first other
// character; no digits read as 0.
double readPrefixed(const std::string& s, std::size_t from, int base)
{
    double value = 0.0;
    for (std::size_t i = from; i < s.size(); ++i) {
        int d = digitValue(s[i], base);
        if (d < 0) {
            break;
        }
        value = value * base + d;
    }
    return value;
}

// Rough decimal order of magnitude of mantissa * 10^exponent (saturating),
// enough to tell a value too large for a double from one too small.
long long orderOfMagnitude(const std::string& mantissa, const std::string& exponent)
{
    long long order = 0;
    std::size_t point = mantissa.find('.');
    std::string whole = mantissa.substr(0, point);
    std::size_t firstNonZero = whole.find_first_not_of('0');
    if (firstNonZero != std::string::npos) {
        order = static_cast<long long>(whole.size() - firstNonZero);
    } else if (point != std::string::npos) {
        std::string fraction = mantissa.substr(point + 1);
        std::size_t nz = fraction.find_first_not_of('0');
        order = nz == std::string::npos ? -1000000 : -static_cast<long long>(nz);
    }
    long long e = 0;
    bool negative = exponent.size() > 1 && exponent[1] == '-';
    for (char c : exponent) {
        if (c >= '0' && c <= '9') {
            e = std::min<long long>(e * 10 + (c - '0'), 1000000);
        }
    }
    return order + (negative ? -e : e);
}

}  // namespace

double readNumber(std::string_view text)
{
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (!ignored(c)) {
            s.push_back(c);
        }
    }

    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'h' || s[1] == 'H') {
            return readPrefixed(s, 2, 16);
        }
        if (s[1] == 'o' || s[1] == 'O') {
            return readPrefixed(s, 2, 8);
        }
        return 0.0;
    }

    // Gather the leading decimal number into a canonical form for from_chars:
    // optional "-", digits, ".", digits, "e", optional "-", digits.
    std::string number;
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::string mantissa;
    bool anyDigit = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            mantissa.push_back(c);
            anyDigit = true;
        } else if (c == '.' && !point) {
            mantissa.push_back(c);
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    // Exponent: the letter E, an optional sign and at least one digit;
    // otherwise the number ends in front of the letter.
    std::string exponent;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        std::string sign;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            if (s[j] == '-') {
                sign = "-";
            }
            ++j;
        }
        std::string digits;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            digits.push_back(s[j]);
            ++j;
        }
        if (!digits.empty()) {
            exponent = "e" + sign + digits;
        }
    }

    number = mantissa + exponent;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: infinity or zero, depending on
        // the decimal order of magnitude.
        value = orderOfMagnitude(mantissa, exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::optional<std::int16_t> roundToInt16(double value)
{
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    double floorValue = std::floor(value);
    double fraction = value - floorValue;
    double rounded = floorValue;
    if (fraction > 0.5) {
        rounded = floorValue + 1.0;
    } else if (fraction == 0.5) {
        // An exact half goes to the even neighbour.
        rounded = std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
    }
    if (rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace tessaline
