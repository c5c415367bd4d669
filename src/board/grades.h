#pragma once
// Grade groups of the board: which pupils a grade choice shows, and the grade mark of a list line.
#include <QString>
#include <QStringList>
#include <vector>

namespace kanameru {

// The grade choices of the board, in the order they are offered.
QStringList gradeChoices();

// The grade of a birth year: schoolYear - birth year - 6 (1..6 elementary, 7..9 junior high).
int gradeOfBirthYear(int birthYear);

// The listed pupils by their numbers. The roster tables hold the listed pupils by listed
// position (pupilNames, pupilBirthYear) with their numbers in boardPupilNos; rankings and
// attempts name pupils by number. Looking a number up through its position keeps names and
// grades right even when the roster's numbers are not 1, 2, 3, ... in file order.
class PupilDirectory {
public:
    // From the register's roster tables as they stand.
    PupilDirectory();
    // The listed position of a pupil number, 0 when the number is not listed.
    int position(int pupilNo) const;
    QString name(int pupilNo) const;
    int grade(int pupilNo) const;

private:
    std::vector<int> position_;
};

// 1 when a pupil of the grade is shown under the grade choice, else 0. A choice that matches
// no grade group (typed by hand) shows nobody.
int passesGradeFilter(const QString& choice, int grade);

// Whether the choice shows a pupil of some grade (a grade typed by hand may match none), and
// the one line a list shows instead of its pupils when it does not.
bool matchesSomeGrade(const QString& choice);
QString noGradeLine();

// The one-character grade mark of a list line: ①..⑥, Ⅰ..Ⅲ, or a full-width space.
QString gradeSymbol(int grade);

} // namespace kanameru
