#pragma once

class QKeyEvent;

// The digit that the pressed key carries on the user's layout, on whichever level types it: the
// "1" of the key that types "&" on a French keyboard. -1 when the key carries none. On X11 the
// server's keyboard map tells; elsewhere only a key that Qt names as a digit counts.
int keyDigit(const QKeyEvent &event);
