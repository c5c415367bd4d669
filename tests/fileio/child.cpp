#include "child.h"

#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fileio_test {

std::filesystem::path fromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string toUtf8(const std::filesystem::path& path)
{
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

#ifdef _WIN32
void dieNow()
{
    TerminateProcess(GetCurrentProcess(), kKilledCode);
    for (;;) { }
}

std::filesystem::path helperPath()
{
    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    return std::filesystem::path(self).parent_path() / L"fileio_helper.exe";
}

std::vector<std::string> arguments(int, char*[])
{
    int n = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(toUtf8(std::filesystem::path(wide[i])));
    LocalFree(wide);
    return out;
}

Child::Child(const std::vector<std::string>& utf8Arguments)
{
    std::wstring line;
    for (const std::string& a : utf8Arguments) {
        if (!line.empty())
            line += L' ';
        line += L'"' + fromUtf8(a).wstring() + L'"';
    }
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    const std::wstring program = fromUtf8(utf8Arguments.at(0)).wstring();
    if (CreateProcessW(
            program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        process_ = reinterpret_cast<std::intptr_t>(process.hProcess);
        started_ = true;
    }
}

Child::~Child()
{
    if (started_ && !finished_)
        kill();
    if (started_)
        CloseHandle(reinterpret_cast<HANDLE>(process_));
}

int Child::wait(std::chrono::milliseconds timeout)
{
    if (!started_ || finished_)
        return code_;
    const HANDLE p = reinterpret_cast<HANDLE>(process_);
    if (WaitForSingleObject(p, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(p, &code);
    finished_ = true;
    code_ = code == kKilledCode ? -2 : static_cast<int>(code);
    return code_;
}

void Child::kill()
{
    if (started_ && !finished_) {
        TerminateProcess(reinterpret_cast<HANDLE>(process_), kKilledCode);
        wait(std::chrono::milliseconds(10000));
    }
}
#else
void dieNow()
{
    ::raise(SIGKILL);
    for (;;) { }
}

std::filesystem::path helperPath()
{
    return FILEIO_HELPER;
}

std::vector<std::string> arguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv, argv + argc);
}

Child::Child(const std::vector<std::string>& utf8Arguments)
{
    std::vector<char*> argv;
    for (const std::string& a : utf8Arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    started_ = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
    process_ = pid;
}

Child::~Child()
{
    if (started_ && !finished_)
        kill();
}

int Child::wait(std::chrono::milliseconds timeout)
{
    if (!started_ || finished_)
        return code_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(static_cast<pid_t>(process_), &status, WNOHANG);
        if (r == static_cast<pid_t>(process_)) {
            finished_ = true;
            code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            return code_;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Child::kill()
{
    if (started_ && !finished_) {
        ::kill(static_cast<pid_t>(process_), SIGKILL);
        wait(std::chrono::milliseconds(10000));
    }
}
#endif

} // namespace fileio_test
