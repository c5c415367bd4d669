#include "board/grades.h"

#include "startup/hensuu1.h"

namespace kanameru {

QStringList gradeChoices()
{
    return { QStringLiteral("全学年"), QStringLiteral("中学生全体"), QStringLiteral("小学生全体"),
        QStringLiteral("中３"), QStringLiteral("中２"), QStringLiteral("中１"), QStringLiteral("小６"),
        QStringLiteral("小５"), QStringLiteral("小４"), QStringLiteral("小３"), QStringLiteral("小２"),
        QStringLiteral("小１") };
}

int pupilGrade(int pupilNo)
{
    if (pupilNo < 0 || pupilNo > kMaxPupil)
        return 0;
    return static_cast<int>(reg.schoolYear.toInteger()) - reg.pupilBirthYear[static_cast<size_t>(pupilNo)] - 6;
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
    }
    return 0;
}

QString gradeSymbol(int grade)
{
    static const QString marks = QStringLiteral("①②③④⑤⑥ⅠⅡⅢ");
    if (grade >= 1 && grade <= 9)
        return QString(marks.at(grade - 1));
    return QStringLiteral("　");
}

} // namespace kanameru
