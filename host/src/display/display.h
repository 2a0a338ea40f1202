// The display as the other rooms see it: screens and windows (intuition/)
// are shown and closed through it, and the program's waits for input go
// through it. Nothing of this is native.
#pragma once

#include "intuition/intuition.h"

namespace host {
struct DisplayDriver;

// The driver in use, chosen from the settings on first use.
const DisplayDriver &display();
// Whether anything can open on it (false for the none driver).
bool display_opens();
// Size of the default public screen: the desktop's usable area at one to
// one, or a nominal 640 x 480 where the display cannot tell.
void display_public_size(int &w, int &h);
// Border sizes given to a new window.
void display_borders(int &l, int &t, int &r, int &b);
// Starts showing a window of the public screen, or a screen of the
// program's own; false when the display cannot.
bool display_show(WindowRec *w);
bool display_show(ScreenRec *s);
// Stops showing it; nothing for one that is not shown.
void display_hide(WindowRec *w);
void display_hide(ScreenRec *s);

// Called through exec's idle hook while a port is empty: presents what was
// drawn and blocks until input comes.
void display_wait(MsgPort *port);
} // namespace host
