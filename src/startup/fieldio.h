#pragma once
#include "startup/anyvalue.h"
#include "startup/fileerror.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace kanameru {

// One value of a comma-separated text file with the line it came from.
struct Field {
    AnyValue value;
    int line = 0;
    bool quoted = false;
    // Where the value is written in the text: from its first character that is not a blank
    // (the opening quote of a quoted value) to the end of its last one before the separator.
    qsizetype begin = 0;
    qsizetype end = 0;
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
// A value its reader could not read back as it was given is refused, never written: a text
// holding a double quote (it would end the value early) or a line end (it would split the
// record in two for every later reader), a number that is not finite. The first refusal is
// kept, and result() then gives it instead of the lines, so no caller can write a file its
// reader cannot read.
class FieldWriter {
public:
    FieldWriter& text(const QString& value);
    FieldWriter& number(double value);
    FieldWriter& any(const AnyValue& value);
    // Ends the current line (CR LF is added when the file is written).
    FieldWriter& endLine();
    // The lines built, or the first value refused with its line, for the file at `path`.
    Result<QString> result(const QString& path) const;

private:
    QString out_;
    bool lineStarted_ = false;
    int line_ = 1;
    std::optional<std::pair<int, QString>> refused_; // line and reason
    void separator();
    void refuse(const QString& reason);
};

} // namespace kanameru
