#pragma once
// Another process for the file layer's tests ("another workstation", "another instance"),
// started, waited for and killed the same way on POSIX systems and on Windows.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fileio_test {

// The exit code of a process killed by a test (on Windows, where a kill sets an exit code).
constexpr unsigned kKilledCode = 0xDEAD;

// Ends this process at once, as a kill or a power cut would: no destructor, no clean-up.
[[noreturn]] void dieNow();

// The helper program beside the test program.
std::filesystem::path helperPath();

// The program's arguments as UTF-8, also on Windows.
std::vector<std::string> arguments(int argc, char* argv[]);

// A path from UTF-8 text, and back.
std::filesystem::path fromUtf8(const std::string& text);
std::string toUtf8(const std::filesystem::path& path);

class Child {
public:
    explicit Child(const std::vector<std::string>& utf8Arguments);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return started_; }
    // The exit code, or -1 when it did not end in time; -2 when it was killed or crashed.
    int wait(std::chrono::milliseconds timeout);
    void kill();

private:
    bool started_ = false;
    std::intptr_t process_ = 0;
    bool finished_ = false;
    int code_ = -1;
};

} // namespace fileio_test
