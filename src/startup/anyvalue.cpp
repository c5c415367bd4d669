#include "startup/anyvalue.h"

#include <QLocale>
#include <cmath>

namespace kanameru {

QString shortestNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

qint64 roundHalfEven(double value)
{
    return static_cast<qint64>(std::nearbyint(value)); // the default rounding mode is to even
}

bool parseNumber(const QString& text, double* value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    int i = 0;
    const int n = t.size();
    if (t[i] == u'+' || t[i] == u'-')
        ++i;
    int digits = 0;
    while (i < n && t[i].unicode() >= '0' && t[i].unicode() <= '9') {
        ++i;
        ++digits;
    }
    if (i < n && t[i] == u'.') {
        ++i;
        while (i < n && t[i].unicode() >= '0' && t[i].unicode() <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        int j = i + 1;
        if (j < n && (t[j] == u'+' || t[j] == u'-'))
            ++j;
        int expDigits = 0;
        while (j < n && t[j].unicode() >= '0' && t[j].unicode() <= '9') {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
        i = j;
    }
    if (i != n)
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        return false;
    if (value)
        *value = v;
    return true;
}

double leadingNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const int start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    while (i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9')
        ++i;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9')
            ++i;
    }
    double v = 0;
    // Trim a dangling point or sign until the text parses.
    for (int end = i; end > start; --end) {
        if (parseNumber(text.mid(start, end - start), &v))
            return v;
    }
    return 0;
}

double AnyValue::toDouble() const
{
    if (const double* d = std::get_if<double>(&value_))
        return *d;
    if (const QString* s = std::get_if<QString>(&value_)) {
        double v = 0;
        if (parseNumber(*s, &v))
            return v;
    }
    return 0;
}

qint64 AnyValue::toInteger() const
{
    return roundHalfEven(toDouble());
}

QString AnyValue::toString() const
{
    if (const double* d = std::get_if<double>(&value_))
        return shortestNumber(*d);
    if (const QString* s = std::get_if<QString>(&value_))
        return *s;
    return QString();
}

bool operator==(const AnyValue& a, const AnyValue& b)
{
    if (a.isText() && b.isText())
        return a.toString() == b.toString();
    return a.toDouble() == b.toDouble();
}

} // namespace kanameru
