#pragma once
#include <QString>
#include <variant>

namespace kanameru {

// Shortest decimal form of a number, as numbers joined to text are written ("5", "1.5", "-3").
QString shortestNumber(double value);

// A value read by the field reader: unset, a number or a text. Compared with numbers as a
// number; counts as 0 while unset (a text that is not a number counts as 0 too).
class AnyValue {
public:
    AnyValue() = default;
    AnyValue(double number) : value_(number) {}
    AnyValue(int number) : value_(static_cast<double>(number)) {}
    AnyValue(const QString& text) : value_(text) {}
    AnyValue(const char*) = delete; // say QStringLiteral, so the code page is never guessed

    bool isSet() const { return !std::holds_alternative<std::monostate>(value_); }
    bool isNumber() const { return std::holds_alternative<double>(value_); }
    bool isText() const { return std::holds_alternative<QString>(value_); }

    double toDouble() const;
    // Rounded to the nearest whole number, halves to even (as the original's conversions do).
    qint64 toInteger() const;
    QString toString() const;

    bool operator==(double number) const { return toDouble() == number; }
    friend bool operator==(const AnyValue& a, const AnyValue& b);

private:
    std::variant<std::monostate, double, QString> value_;
};

// True when the text is a number as the field reader understands one (sign, digits, a decimal
// point, an exponent), with blanks around it allowed; the number goes to *value.
bool parseNumber(const QString& text, double* value);

// The number at the start of a text (leading blanks skipped), 0 when there is none:
// "1192年" gives 1192, "-57" gives -57, "平安" gives 0.
double leadingNumber(const QString& text);

// Rounds halves to even, as the original program's integer conversions do.
qint64 roundHalfEven(double value);

} // namespace kanameru
