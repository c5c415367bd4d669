#pragma once
// Reading the sound map "新音ファイル.txt" into the sound table.
#include <QString>
#include <QStringList>

namespace kanameru {

// The values of the map, separated by commas or line ends as the free-format reader separates
// them (blanks around a value dropped, a value in double quotes may hold commas). Values stay
// texts: a file named "001" keeps its leading zeros.
QStringList splitSoundMap(const QString& text);

// Writes the ten event names into row 0 and clears every other cell of reg.soundTable.
void resetSoundTable();

// Fills the groups of reg.soundTable from the values: an event name starts a group, up to
// twenty file names follow, "*" ends it and sets the count. Values outside groups that are not
// event names are skipped. A group cut off by the end of the map keeps its names, no count.
void fillSoundTable(const QStringList& values);

// The event name of a column 1..10.
QString soundEventName(int column);

} // namespace kanameru
