#pragma once
// The class sheet on paper: landscape pages with the school name, the date and the page number,
// the grade and name of each pupil at the left of every page. Pupils run down the pages; when
// the levels do not fit across one page they continue on the next pages, the pupils of a page
// repeated. Needs QtGui only, so the teachers' tool can write a PDF without the widgets.
#include "board/classsheet.h"

#include <vector>

class QPagedPaintDevice;

namespace kanameru {

// Which pupils and levels one page shows.
struct SheetPage {
    int firstRow = 0;
    int rowCount = 0;
    int firstLevel = 0; // index into ClassSheet::levels
    int levelCount = 0;
};

// The pages of the sheet, in printing order: for each block of `rowsPerPage` pupils, the
// levels in blocks of `levelsPerPage`. A sheet without pupils or levels still has one page.
std::vector<SheetPage> sheetPages(int rows, int levels, int rowsPerPage, int levelsPerPage);

// Paints the sheet on the device (a printer or a PDF writer whose page size and orientation
// are set), starting a new page for each page after the first. Returns the number of pages,
// 0 when the device cannot be painted on.
int printClassSheet(QPagedPaintDevice& device, const ClassSheet& sheet);

} // namespace kanameru
