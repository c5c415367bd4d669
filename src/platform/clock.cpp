#include "platform/clock.h"

#include <QElapsedTimer>
#include <cmath>

namespace platform {
namespace {

const QDate dayZero(1899, 12, 30);

SystemClock systemClock;
Clock* current = &systemClock;

} // namespace

double Clock::nowDayCount() const
{
    return dayCount(now());
}

double Clock::todayDayCount() const
{
    return dayCount(today());
}

double SystemClock::secondsSinceMidnight() const
{
    const QTime t = QTime::currentTime();
    return t.msecsSinceStartOfDay() / 1000.0;
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::monotonicMilliseconds() const
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

Clock& clock()
{
    return *current;
}

Clock* setClock(Clock* clock)
{
    Clock* before = current;
    current = clock ? clock : &systemClock;
    return before;
}

double dayCount(const QDate& date)
{
    return static_cast<double>(dayZero.daysTo(date));
}

double dayCount(const QDateTime& dateTime)
{
    return dayCount(dateTime.date()) + dateTime.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime fromDayCount(double days)
{
    // A day count read from a damaged record may be anything: outside the years 100..9999 there
    // is no date to show (and converting it to whole days would overflow).
    if (!std::isfinite(days) || days < -657434.0 || days > 2958465.0)
        return QDateTime();
    const double whole = std::floor(days);
    const qint64 ms = std::llround((days - whole) * 86400000.0);
    QDate date = dayZero.addDays(static_cast<qint64>(whole));
    if (ms >= 86400000)
        return QDateTime(date.addDays(1), QTime(0, 0));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

QString shortDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString shortTime(const QTime& time)
{
    return time.toString(QStringLiteral("H:mm:ss"));
}

} // namespace platform
