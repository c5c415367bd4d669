#pragma once
// Screen readers and automation ask every control, every row of a list and every character of a
// text box where it is on the screen. For a form that its host draws smaller (formhost.h) the
// toolkit answers with the form's design sizes (and, for the rows of a list, design distances
// from the list's corner), so a click on a reported centre would land on another row. Once
// installed, every control answers with an interface of ours that stands for the toolkit's own
// and reports each rectangle as the host draws it.
//
// The toolkit's accessibility cache owns every interface it hands out, ours and its own: an
// interface of ours looks the toolkit's one up in the cache by its id at every use, so it never
// touches one the cache has let go, and deletes only what the cache still holds.

namespace platform {

// Installs the interfaces of ours for every control made from now on, once, while the program
// draws forms smaller (formScale() below 1). Needs the application object.
void reportDrawnRectangles();

} // namespace platform
