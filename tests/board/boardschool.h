#pragma once
// A small school for the board's tests: an installation with a roster and a results file,
// loaded into the shared state as the start screen leaves it.
#include "platform/clock.h"
#include "results/results.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"
#include "support/installation.h"

#include <QByteArray>
#include <QDate>
#include <QTime>
#include <stdexcept>

namespace board_testing {

struct Pupil {
    int number;
    int birthYear;
    const char* name;
    int status = 0; // 0 listed, 1 left the school
};

class BoardSchool {
public:
    testing_support::FakePlatform platform;
    testing_support::TestInstallation installation;
    QByteArray results;

    // Today is Monday 7 December 2026, 10:00; the school year is 2026.
    explicit BoardSchool(std::initializer_list<Pupil> pupils)
    {
        QString roster;
        for (const Pupil& p : pupils)
            roster += QStringLiteral("%1,%2,0,0,\"%3\",%4,\"\",\"\"\n")
                          .arg(p.number)
                          .arg(p.birthYear)
                          .arg(QString::fromUtf8(p.name))
                          .arg(p.status);
        installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
    }

    void addResult(int pupil, int level, int result, QDate date, QTime time = QTime(9, 30))
    {
        kanameru::ResultRecord r;
        r.recordDate = platform::dayCount(date);
        r.recordTime = time.msecsSinceStartOfDay() / 86400000.0;
        r.pupilNo = static_cast<qint16>(pupil);
        r.level = static_cast<qint16>(level);
        r.result = result;
        r.kindText = "0";
        results += r.toBytes();
    }

    // Writes the results, loads the start-up files and the roster, and chooses the pupil.
    void load(int currentPupil)
    {
        if (!results.isEmpty())
            installation.writeBytes(QStringLiteral("カナメル/成績累積データ.dat"), results);
        installation.load();
        kanameru::reg.formBackColour = 0x008080; // as the program sets it at start
        if (auto error = kanameru::readRoster())
            throw std::runtime_error(error->message().toStdString());
        using kanameru::reg;
        reg.gradeFilterText = QStringLiteral("全学年");
        reg.currentPupilNo = static_cast<qint16>(currentPupil);
        reg.currentPupilName = reg.pupilNames[static_cast<size_t>(currentPupil)];
        reg.currentPupilGradeLabel = reg.pupilGradeLabel[static_cast<size_t>(currentPupil)];
        reg.pupilStartSeconds = static_cast<qint32>(platform.clock.secondsSinceMidnight()) - 125;
    }
};

} // namespace board_testing
