#pragma once
// Where even the screen's own scaling leaves too little room for a form of the design size
// (1024 x 600 netbooks, 1280 x 720 and 1366 x 768 screens at 100 %), Qt Widgets cannot draw the
// forms smaller: its painter never goes below one pixel per design pixel. There each form is
// shown in a host window that draws it at the fitted scale: the form keeps its design
// coordinates, so positions, fonts, pictures, drags and hit tests are all scaled by the host.
class QWidget;

namespace platform {

// The scale at which the program draws forms of the design size itself: below 1 only where
// they would not fit otherwise, else 1. Set at start-up by fitFormsToScreen.
double formScale();
void setFormScale(double scale);

// Puts a top-level form (no parent, fixed design size) into a host window when formScale() is
// below 1. The host follows the form: it shows, hides, takes the title and icon, passes its
// close box on to the form and goes when the form is deleted; a dialog's host is a modal
// dialog window. Every form's window, host or not, is placed when it is first shown: centred
// on the window of the program that last had the keyboard (the first one in the middle of the
// available area), unless moved before, and wholly within the available area, frame included;
// each time it is shown it comes to the front and takes the keyboard (a form that must not,
// WA_ShowWithoutActivating, excepted), with or without a window manager.
void fitForm(QWidget* form);

// The window the pupil sees for a form: its host, or the form itself.
QWidget* windowOf(QWidget* form);

// Draws a host and the form in it now (a form in a host has no window of its own).
bool repaintHost(QWidget* window);

// Paints what changed on a form since its window was last painted, now: the window's pending
// update request, for a form in a host once its scene has passed the changes on.
void paintChangesNow(QWidget* form);

} // namespace platform
