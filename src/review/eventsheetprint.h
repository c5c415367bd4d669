#pragma once
// The teachers' table of events on paper: one landscape page with the school, the grade choice
// and the period, the events judged wrong most at the left and the pairs confused most at the
// right, as many as the page holds (the CSV has them all). QtGui only, for the teachers' tool.
#include "review/eventtally.h"

class QPagedPaintDevice;

namespace kanameru::review {

// Paints the page on the device (a printer or a PDF writer whose page size and orientation are
// set). Returns the number of pages, 0 when the device cannot be painted on.
int printEventSheet(QPagedPaintDevice& device, const EventSheet& sheet);

} // namespace kanameru::review
