#include "startup/fieldio.h"
#include "startup/textfile.h"

#include <cmath>

namespace kanameru {

QList<Field> readFields(const QString& text)
{
    QList<Field> fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    auto isLineEnd = [&](qsizetype k) { return k < n && (text[k] == u'\n' || text[k] == u'\r'); };
    auto skipLineEnd = [&]() {
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
        ++line;
    };
    bool afterComma = false; // a comma just ended a value: a line end now ends one more (empty) value
    while (i < n) {
        // Blanks before a value.
        while (i < n && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        if (i >= n)
            break;
        if (isLineEnd(i) && !afterComma) {
            skipLineEnd(); // a blank line, or the end of a line whose last value was read
            continue;
        }
        Field field;
        field.line = line;
        field.begin = i;
        if (text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            QString value = text.mid(i + 1, end - i - 1);
            // A quoted value never spans lines: stop at a line end inside it.
            qsizetype lineEnd = -1;
            for (qsizetype k = 0; k < value.size(); ++k) {
                if (value[k] == u'\r' || value[k] == u'\n') {
                    lineEnd = k;
                    break;
                }
            }
            if (lineEnd >= 0) {
                value.truncate(lineEnd);
                i = i + 1 + lineEnd;
            } else {
                i = close < 0 ? n : close + 1;
            }
            field.value = AnyValue(value);
            field.quoted = true;
            // Anything up to the next comma or line end is dropped.
            while (i < n && text[i] != u',' && !isLineEnd(i))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && !isLineEnd(i))
                ++i;
            const QString raw = text.mid(start, i - start).trimmed();
            double number = 0;
            if (raw.isEmpty())
                field.value = AnyValue();
            else if (parseNumber(raw, &number))
                field.value = AnyValue(number);
            else
                field.value = AnyValue(raw);
        }
        field.end = i;
        while (field.end > field.begin && (text[field.end - 1] == u' ' || text[field.end - 1] == u'\t'))
            --field.end;
        fields.append(field);
        if (i < n && text[i] == u',') {
            ++i;
            afterComma = true;
        } else {
            afterComma = false;
            if (i < n)
                skipLineEnd();
        }
    }
    if (afterComma) {
        Field last;
        last.line = line;
        last.begin = last.end = n;
        fields.append(last);
    }
    return fields;
}

FieldReader::FieldReader(QString path, const QString& text)
    : path_(std::move(path))
    , fields_(readFields(text))
{
}

int FieldReader::line() const
{
    if (pos_ < fields_.size())
        return fields_[pos_].line;
    return fields_.isEmpty() ? 1 : fields_.last().line;
}

Result<Field> FieldReader::next(const QString& what)
{
    if (atEnd())
        return FileError { path_, line(), QStringLiteral("値が足りません（%1 がありません）。").arg(what) };
    return fields_[pos_++];
}

Result<double> FieldReader::nextNumber(const QString& what)
{
    Result<Field> f = next(what);
    if (!f)
        return f.error();
    double v = 0;
    if (f->value.isNumber())
        return f->value.toDouble();
    if (!f->value.isSet())
        return 0.0; // an empty value counts as 0
    if (parseNumber(f->value.toString(), &v))
        return v;
    return FileError { path_, f->line,
        QStringLiteral("%1 は数でなければなりませんが「%2」です。").arg(what, shownValue(f->value.toString())) };
}

void FieldWriter::separator()
{
    if (lineStarted_)
        out_ += QLatin1Char(',');
    lineStarted_ = true;
}

void FieldWriter::refuse(const QString& reason)
{
    if (!refused_)
        refused_ = std::make_pair(line_, reason);
}

FieldWriter& FieldWriter::text(const QString& value)
{
    separator();
    if (value.contains(QLatin1Char('"')))
        refuse(QStringLiteral("「%1」には半角の「\"」があるため書けません（読み返すと値が途中で切れます）。")
                   .arg(shownValue(value)));
    else if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        refuse(QStringLiteral("「%1」には改行があるため書けません（読み返すと行が二つに分かれます）。")
                   .arg(shownValue(value)));
    else
        out_ += QLatin1Char('"') + value + QLatin1Char('"');
    return *this;
}

FieldWriter& FieldWriter::number(double value)
{
    separator();
    if (std::isfinite(value))
        out_ += shortestNumber(value);
    else
        refuse(QStringLiteral("数 %1 は書けません（読み返すと文字になります）。").arg(shortestNumber(value)));
    return *this;
}

FieldWriter& FieldWriter::any(const AnyValue& value)
{
    if (value.isText())
        return text(value.toString());
    if (value.isNumber())
        return number(value.toDouble());
    separator();
    return *this;
}

FieldWriter& FieldWriter::endLine()
{
    out_ += QLatin1Char('\n');
    lineStarted_ = false;
    ++line_;
    return *this;
}

Result<QString> FieldWriter::result(const QString& path) const
{
    if (refused_)
        return FileError { path, refused_->first, refused_->second };
    return out_;
}

} // namespace kanameru
