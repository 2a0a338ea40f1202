// Application shell: the entry, the event loop and the input decoding.
#pragma once

#include "amiga/intuition.h"
#include "amiga/types.h"

// Waits on the window's port and handles every message until Quit is set
// and the port is empty.
void Petla_Zdarzen(struct MsgPort *port);
// Decodes one copied input message; the command of a completed click, or 0.
ULONG Dekoduj_IDCMP(struct IntuiMessage *wiadomosc);
// Carries out a command: 1 credits, 2 new game, 3 back to the board, 4 quit.
void Wykonaj(LONG kod);
void Nowa_Gra();

// Start-up steps: the picture bound to the screen and laid out, its bitmap
// taken into BM_Grafika; and the first game, from the best score read to the
// whole first picture.
void Uloz_Grafike();
void Pierwsza_Gra();
