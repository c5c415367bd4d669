#include "board/grades.h"

#include "startup/hensuu1.h"

namespace kanameru {

namespace {
constexpr int kUnlistedGrade = -99;
}

QStringList gradeChoices()
{
    return { QStringLiteral("全学年"), QStringLiteral("中学生全体"), QStringLiteral("小学生全体"),
        QStringLiteral("中３"), QStringLiteral("中２"), QStringLiteral("中１"), QStringLiteral("小６"),
        QStringLiteral("小５"), QStringLiteral("小４"), QStringLiteral("小３"), QStringLiteral("小２"),
        QStringLiteral("小１") };
}

int gradeOfBirthYear(int birthYear)
{
    return static_cast<int>(reg.schoolYear.toInteger()) - birthYear - 6;
}

PupilDirectory::PupilDirectory()
    : position_(kPupils, 0)
{
    const int count = std::clamp(static_cast<int>(reg.boardPupilCount.toInteger()), 0, kMaxPupil);
    // A number listed twice keeps its first position.
    for (int k = count; k >= 1; --k) {
        const qint64 no = reg.boardPupilNos[static_cast<size_t>(k)].toInteger();
        if (no >= 1 && no <= kMaxPupil)
            position_[static_cast<size_t>(no)] = k;
    }
}

int PupilDirectory::position(int pupilNo) const
{
    if (pupilNo < 1 || pupilNo > kMaxPupil)
        return 0;
    return position_[static_cast<size_t>(pupilNo)];
}

QString PupilDirectory::name(int pupilNo) const
{
    const int k = position(pupilNo);
    return k == 0 ? QString() : reg.pupilNames[static_cast<size_t>(k)];
}

int PupilDirectory::grade(int pupilNo) const
{
    const int k = position(pupilNo);
    // A pupil who is no longer listed has no grade: he is shown only under "全学年".
    return k == 0 ? kUnlistedGrade : gradeOfBirthYear(reg.pupilBirthYear[static_cast<size_t>(k)]);
}

int passesGradeFilter(const QString& choice, int grade)
{
    if (choice == QStringLiteral("全学年") || choice == QStringLiteral("家族"))
        return 1;
    if (choice == QStringLiteral("小学生全体"))
        return grade >= 1 && grade <= 6 ? 1 : 0;
    if (choice == QStringLiteral("中学生全体"))
        return grade >= 7 && grade <= 9 ? 1 : 0;
    static const QString elementary = QStringLiteral("１２３４５６");
    static const QString juniorHigh = QStringLiteral("１２３");
    if (choice.size() == 2) {
        const int e = elementary.indexOf(choice.at(1));
        if (choice.at(0) == QChar(u'小') && e >= 0)
            return grade == e + 1 ? 1 : 0;
        const int j = juniorHigh.indexOf(choice.at(1));
        if (choice.at(0) == QChar(u'中') && j >= 0)
            return grade == j + 7 ? 1 : 0;
        // The other labels of the start screen's list, as the teachers' tool chooses them:
        // 高１..高３, 幼１..幼３ (grades -2..0), 幼－ (younger) and 大＋ (older).
        if (choice.at(0) == QChar(u'高') && j >= 0)
            return grade == j + 10 ? 1 : 0;
        if (choice.at(0) == QChar(u'幼') && j >= 0)
            return grade == j - 2 ? 1 : 0;
        if (choice == QStringLiteral("幼－"))
            return grade < -2 && grade != kUnlistedGrade ? 1 : 0;
        if (choice == QStringLiteral("大＋"))
            return grade > 12 ? 1 : 0;
    }
    return 0;
}

bool matchesSomeGrade(const QString& choice)
{
    // Grades run from below the youngest pre-school year (幼－) past upper secondary (大＋).
    for (int grade = -3; grade <= 13; ++grade) {
        if (passesGradeFilter(choice, grade) == 1)
            return true;
    }
    return false;
}

QString noGradeLine()
{
    return QStringLiteral("該当する学年がありません");
}

QString gradeSymbol(int grade)
{
    static const QString marks = QStringLiteral("①②③④⑤⑥ⅠⅡⅢ");
    if (grade >= 1 && grade <= 9)
        return QString(marks.at(grade - 1));
    return QStringLiteral("　");
}

} // namespace kanameru
