#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>

namespace platform {

// The clock of the program. Tests install a fixed clock.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since midnight, with fractions (the drill clock and the pupil's start time).
    virtual double secondsSinceMidnight() const = 0;
    // The local date and time now.
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
    // Now as a day count since 30 December 1899, the fraction being the time of day.
    double nowDayCount() const;
    // Today as a whole day count since 30 December 1899.
    double todayDayCount() const;
    // Milliseconds on a monotonic clock, for waits.
    virtual qint64 monotonicMilliseconds() const = 0;
};

class SystemClock : public Clock {
public:
    double secondsSinceMidnight() const override;
    QDateTime now() const override;
    qint64 monotonicMilliseconds() const override;
};

Clock& clock();
// Installs a clock (nullptr restores the system clock); returns the one installed before.
Clock* setClock(Clock* clock);

// Day counts since 30 December 1899 (the fraction is the time of day).
double dayCount(const QDateTime& dateTime);
double dayCount(const QDate& date);
// A day count outside the years 100..9999 (or not a number) gives an invalid date.
QDateTime fromDayCount(double days);

// The Japanese short date "yyyy/MM/dd" and the time "H:mm:ss".
QString shortDate(const QDate& date);
QString shortTime(const QTime& time);

} // namespace platform
