#pragma once
#include "startup/fileerror.h"

#include <QList>
#include <QString>
#include <optional>

namespace kanameru {

// The levels this drill set offers on its board (1..3); the level file must describe them.
constexpr int kDrillSetLevelCount = 3;

// File names of an installation.
inline const QString kSettingsFile = QStringLiteral("設定.txt");
inline const QString kCommonDataFile = QStringLiteral("共通データ.txt");
inline const QString kLevelFile = QStringLiteral("タイム回数データ.txt");

// The folder rules. exeDir is the folder of the running program without a trailing separator.
struct Folders {
    QString appFolder;
    QString rosterFolder;
    QString programFolderName;
    QString programFolder;
    QString soundFolder;
};
// useFilesFolder 1: shared data in exeDir/../files/, the drill set's files in exeDir, sounds in
// the same "files" folder. Otherwise: shared data in the parent, the drill set's files in
// exeDir reached through the parent, sounds in the parent's "音フォルダ".
Folders resolveFolders(const QString& exeDir, bool useFilesFolder);

// The last component of a folder path: everything up to the last separator is dropped,
// so a folder at the root gives an empty name.
QString programFolderNameOf(const QString& exeDir);

// Splits the school line: when its first five characters start with a non-zero number, they
// are the school code and the rest is the name; otherwise the line is the name, code empty.
void splitSchoolLine(const QString& line, QString* code, QString* name);

// Reads the three start-up files, sets the folders, the school values and the level
// parameters, and calls setProgramConstants. Nothing is written. On a missing or unreadable
// file, too few values or a value that should be a number and is not, returns the error. The
// level file must hold exactly twelve values on each line, a line for each of levels 0..3 at
// least, and values that can be meant; lines beyond level 35 are ignored. *notices names what
// was read all the same but is worth mending (a school name with invisible characters, which
// are left out).
std::optional<FileError> loadSettings(const QString& exeDir, QList<FileError>* notices = nullptr);

// The constants of this drill set: the print button hidden and the title "カナメル".
void setProgramConstants();

// The level constants of the board (three levels, target level 3, titles, timing and
// practice flags); prepareLevelBoard sets them before the board is shown.
void setLevelConstants();

// The folder of the running program, without a trailing separator.
QString exeDir();

} // namespace kanameru

namespace kanameru {
// Called by the start screen when the pupil has been confirmed: sets the level constants and
// shows the results board.
void prepareLevelBoard();
} // namespace kanameru
