#pragma once
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "support/restore.h"

#include <QStringList>
#include <deque>
#include <functional>

namespace testing_support {

// Where every fake clock starts: Monday 7 December 2026, 10:00. A test that builds data
// around "today" takes it from here (kFakeNow.date()), never from a date of its own.
inline const QDateTime kFakeNow(QDate(2026, 12, 7), QTime(10, 0, 0));

// A clock that stands still until the test moves it.
class FakeClock : public platform::Clock {
public:
    explicit FakeClock(QDateTime start = kFakeNow)
        : now_(start)
    {
    }
    double secondsSinceMidnight() const override { return now_.time().msecsSinceStartOfDay() / 1000.0; }
    QDateTime now() const override { return now_; }
    qint64 monotonicMilliseconds() const override { return monotonic_; }
    void set(const QDateTime& t) { now_ = t; }
    // Moves the time of day and the monotonic clock forward together.
    void advance(double seconds)
    {
        now_ = now_.addMSecs(static_cast<qint64>(seconds * 1000));
        monotonic_ += static_cast<qint64>(seconds * 1000);
    }

private:
    QDateTime now_;
    qint64 monotonic_ = 0;
};

// A random source that returns the given values in turn (and then repeats the last one,
// or 0 when none were given).
class FakeRandom : public platform::RandomSource {
public:
    FakeRandom() = default;
    explicit FakeRandom(std::initializer_list<double> values)
        : values_(values)
    {
    }
    void push(double v) { values_.push_back(v); }
    double next() override
    {
        if (values_.empty())
            return last_;
        last_ = values_.front();
        values_.pop_front();
        return last_;
    }
    void seedFromClock() override { ++seeds; }
    int seeds = 0;

private:
    std::deque<double> values_;
    double last_ = 0;
};

// Records every message and answers it at once.
class RecordingMessageBox : public platform::MessageBoxService {
public:
    void show(const QString& text, const QString& title, platform::MessageIcon icon) override
    {
        texts.append(text);
        titles.append(title);
        icons.append(icon);
        if (onShow)
            onShow(text);
    }
    QStringList texts;
    QStringList titles;
    QList<platform::MessageIcon> icons;
    std::function<void(const QString&)> onShow;
};

// Installs the fakes for the life of the object and resets the shared state and the
// screens before and after.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();
    FakeClock clock;
    FakeRandom random;
    RecordingMessageBox messages;

private:
    platform::Clock* oldClock_;
    platform::RandomSource* oldRandom_;
    platform::MessageBoxService* oldBox_;
};

} // namespace testing_support
