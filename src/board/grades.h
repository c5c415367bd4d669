#pragma once
// Grade groups of the board: which pupils a grade choice shows, and the grade mark of a list line.
#include <QString>
#include <QStringList>

namespace kanameru {

// The grade choices of the board, in the order they are offered.
QStringList gradeChoices();

// The grade of a pupil: schoolYear - birth year - 6 (1..6 elementary, 7..9 junior high).
int pupilGrade(int pupilNo);

// 1 when a pupil of the grade is shown under the grade choice, else 0. A choice that matches
// no grade group (typed by hand) shows nobody.
int passesGradeFilter(const QString& choice, int grade);

// The one-character grade mark of a list line: ①..⑥, Ⅰ..Ⅲ, or a full-width space.
QString gradeSymbol(int grade);

} // namespace kanameru
