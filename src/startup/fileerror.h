#pragma once
#include <QString>
#include <utility>
#include <variant>

namespace kanameru {

// What went wrong with a file: which file, which line (0 when no line applies) and why.
// Readers and writers return it; the forms decide what to show.
struct FileError {
    QString path;
    int line = 0;
    QString reason;

    // "<path> の <line> 行目: <reason>" or "<path>: <reason>", for a message box.
    QString message() const;
};

// A value or the error that prevented it.
template <class T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(FileError error) : v_(std::move(error)) {}
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const FileError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, FileError> v_;
};

} // namespace kanameru
