#pragma once
#include "startup/anyvalue.h"
#include "startup/fileerror.h"

#include <QString>
#include <QStringList>

namespace kanameru {

// One value of a comma-separated text file with the line it came from.
struct Field {
    AnyValue value;
    int line = 0;
    bool quoted = false;
};

// The free-format field reader: values are separated by commas or line ends; a value in
// double quotes may contain commas and is always a text; an unquoted value that is numeric
// text becomes a number, other unquoted text stays text (without its surrounding blanks);
// an empty unquoted value is unset. Blank lines hold no values.
QList<Field> readFields(const QString& text);

// Reads the fields of a file in sequence, reporting a missing value with the file and line.
class FieldReader {
public:
    FieldReader(QString path, const QString& text);
    bool atEnd() const { return pos_ >= fields_.size(); }
    // The next value; when there is none, an error names the file and what was expected.
    Result<Field> next(const QString& what);
    // The next value, which must be a number.
    Result<double> nextNumber(const QString& what);
    // The line of the next value (or the last line when at the end).
    int line() const;
    const QString& path() const { return path_; }

private:
    QString path_;
    QList<Field> fields_;
    qsizetype pos_ = 0;
};

// Builds lines in the matching form: texts in double quotes, numbers bare, commas between.
// A double quote inside a text would end the field early for every later reader, so it is
// written as its full-width form "＂".
class FieldWriter {
public:
    FieldWriter& text(const QString& value);
    FieldWriter& number(double value);
    FieldWriter& any(const AnyValue& value);
    // Ends the current line (CR LF is added when the file is written).
    FieldWriter& endLine();
    const QString& result() const { return out_; }

private:
    QString out_;
    bool lineStarted_ = false;
    void separator();
};

} // namespace kanameru
