// The page's side of the browser edition, as the module's C++ calls it:
// the imports of web/library.js, which lists every crossing between the
// page and the module.
#pragma once

#include <cstdint>

extern "C" {
void kw_show(int w, int h, int own_screen);
void kw_zoom(int zoom, int x, int y);
void kw_stage(int *w, int *h);
void kw_present(const uint8_t *rgba, int w, int h, int x, int y, int dw, int dh);
void kw_sleep(int ms);
void kw_wake();
void kw_tell(const char *text);
int kw_decode(const uint8_t *data, int size, int *w, int *h, uint8_t **rgba);
void kw_data_ready();
void kw_take_turn(const char *dir);
void kw_end_turn(const char *dir);
void kw_end_with_main();
int kw_game_load(uint8_t **data);
int kw_game_save(const uint8_t *data, int size);
void kw_game_set_aside();
void kw_game_drop();
}
