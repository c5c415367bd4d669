#pragma once
// Puts back what a test changed when the scope ends, however the test ends: an ASSERT that
// returns early, a QVERIFY, an exception. A hook left installed would break every later test
// of the program for a reason of its own.
//
//   const auto restore = testing_support::installHook(fileio::setOpenCheckForTests, check);
//   const testing_support::ScopeExit settle([] { platform::setSettleMilliseconds(0); });
#include <utility>

namespace testing_support {

template <typename F> class ScopeExit {
public:
    explicit ScopeExit(F undo)
        : undo_(std::move(undo))
    {
    }
    ~ScopeExit() { undo_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F undo_;
};

// Installs a hook through a setter that returns the one it replaced, and puts that one back.
template <typename Setter, typename Value> [[nodiscard]] auto installHook(Setter set, Value value)
{
    auto old = set(std::move(value));
    return ScopeExit([set, old = std::move(old)]() mutable { set(std::move(old)); });
}

} // namespace testing_support
