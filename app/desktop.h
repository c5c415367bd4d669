#pragma once
// What the desktop expects of the program once its application object exists: the icon on
// every window, the name the desktop entry is known by, and Qt's own dialogs and buttons in
// Japanese.

namespace kanameru {

// Sets the window icon and desktop file name and loads Qt's Japanese translations. Window
// titles stay exactly the captions the screens give: no program name is appended to them.
// Returns false when the translations could not be found (the dialogs then stay English).
bool setUpDesktop();

} // namespace kanameru
