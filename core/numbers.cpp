#include "core/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tovrel {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Walks a text past blanks, the way the number readers skip them between digits.
class Cursor {
  public:
    explicit Cursor(std::string_view text) : m_text(text) {}
    char Peek() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    void Next() { ++m_pos; }

  private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

double RadixNumber(Cursor& cursor, int radix) {
    double value = 0;
    while (DigitValue(cursor.Peek()) < radix) {
        value = value * radix + DigitValue(cursor.Peek());
        cursor.Next();
    }
    return value;
}

// A decimal text of the form DecimalText collects, read whatever the C locale's decimal point
// is (Qt takes the user's locale, in which "11.0592" might otherwise read as 11).
double DecimalValue(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Collects sign, digits, point and exponent into plain text for DecimalValue.
std::string DecimalText(Cursor& cursor) {
    std::string out;
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
        out += cursor.Peek();
        cursor.Next();
    }
    bool point = false;
    while (std::isdigit(static_cast<unsigned char>(cursor.Peek())) ||
           (!point && cursor.Peek() == '.')) {
        point = point || cursor.Peek() == '.';
        out += cursor.Peek();
        cursor.Next();
    }
    const char e = static_cast<char>(std::toupper(static_cast<unsigned char>(cursor.Peek())));
    if ((e == 'E' || e == 'D') && out.find_first_of("0123456789") != std::string::npos) {
        std::string exponent = "e";
        cursor.Next();
        if (cursor.Peek() == '+' || cursor.Peek() == '-') {
            exponent += cursor.Peek();
            cursor.Next();
        }
        const std::size_t before = exponent.size();
        while (std::isdigit(static_cast<unsigned char>(cursor.Peek()))) {
            exponent += cursor.Peek();
            cursor.Next();
        }
        if (exponent.size() > before) out += exponent;
    }
    return out;
}

}  // namespace

double RoundHalfEven(double value) { return std::nearbyint(value); }

double LeadingNumber(std::string_view text) {
    Cursor cursor(text);
    if (cursor.Peek() == '&') {
        cursor.Next();
        const char kind =
            static_cast<char>(std::toupper(static_cast<unsigned char>(cursor.Peek())));
        if (kind == 'H' || kind == 'O') {
            cursor.Next();
            return RadixNumber(cursor, kind == 'H' ? 16 : 8);
        }
        return 0;
    }
    const std::string decimal = DecimalText(cursor);
    if (decimal.find_first_of("0123456789") == std::string::npos) return 0;
    return DecimalValue(decimal);
}

std::string_view TrimBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<double> WholeDecimalNumber(std::string_view text) {
    text = TrimBlanks(text);
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    bool digits = false;
    bool point = false;
    for (; pos < text.size(); ++pos) {
        if (std::isdigit(static_cast<unsigned char>(text[pos]))) {
            digits = true;
        } else if (text[pos] == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return DecimalValue(text);
}

bool BeginsWithNumber(std::string_view text) {
    Cursor cursor(text);
    if (cursor.Peek() == '&') {
        cursor.Next();
        const char kind =
            static_cast<char>(std::toupper(static_cast<unsigned char>(cursor.Peek())));
        if (kind != 'H' && kind != 'O') return false;
        cursor.Next();
        return DigitValue(cursor.Peek()) < (kind == 'H' ? 16 : 8);
    }
    return DecimalText(cursor).find_first_of("0123456789") != std::string::npos;
}

std::uint32_t LeadingHex(std::string_view text, bool* overflow) {
    Cursor cursor(text);
    std::uint64_t value = 0;
    bool tooBig = false;
    while (DigitValue(cursor.Peek()) < 16) {
        value = value * 16 + static_cast<unsigned>(DigitValue(cursor.Peek()));
        if (value > 0xFFFFFFFFull) {
            tooBig = true;
            value &= 0xFFFFFFFFull;
        }
        cursor.Next();
    }
    if (overflow) *overflow = tooBig;
    return static_cast<std::uint32_t>(value);
}

}  // namespace tovrel
