// The game's rules: the board, the score, the moves, spawning and the score
// file.
#pragma once

#include "amiga/dos.h"
#include "amiga/types.h"

// Board: 16 cells row by row, each the exponent of its tile, 0 when empty.
extern LONG Tab_PoleGry[16];

extern LONG Punkty;      // score of the current game
extern LONG Sub_Punkty;  // points gained by the move in progress
extern LONG High_Punkty; // best score

// 1: playing; 0: stopped (game over, credits); 2: the win picture is shown.
extern UBYTE Gra_OK;
// 1: the winning tile not yet announced in this game; 2: announced.
extern UBYTE Gra_Won;
// Non-zero ends the event loop.
extern WORD Quit;

// One line of a move toward the named edge; 1 when the line changed.
LONG Ruch_Prawo(LONG wiersz);
LONG Ruch_Lewo(LONG wiersz);
LONG Ruch_Gora(LONG kolumna);
LONG Ruch_Dol(LONG kolumna);

// Puts a tile of exponent 1 or 2 on a random empty cell and draws it.
void Losuj_Cyfre();
// 1 when some move can still change the board.
LONG Sprawdz_Ruch();

// The score file beside the program.
extern BPTR Plik;
void WczytajHighScore();
void ZapiszHighScore();
// Writes the best score when it is above the one in the file, so that a best
// score the counter showed is not lost when the program ends mid-game.
void ZachowajHighScore();
