// The least a page built with emcc does to show a picture: a canvas of the
// picture's size (320 x 240, or the width given on the query string), filled
// from memory at the browser's next frame. The yardstick for the browser
// edition's time to its first picture (scripts/web_perf.sh).
// With a second word, "keys" (baseline.html?320&keys): the picture is put
// again at each of the two frames after a key goes down (in a canvas that
// presents on its own, as the game's), the least a game does to show a
// move: the yardstick for the main thread's time a present.
#include <emscripten.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    const int w = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 320, h = w * 3 / 4;
    const int keys = argc > 2 && strcmp(argv[2], "keys") == 0;
    uint32_t *rgba = malloc((size_t)w * (size_t)h * 4);
    if (!rgba) return 1;
    for (int i = 0; i < w * h; ++i) rgba[i] = 0xFF000000u | (uint32_t)i * 2654435761u >> 8;
    EM_ASM({
        const canvas = document.getElementById('screen');
        canvas.width = $1;
        canvas.height = $2;
        const context = canvas.getContext('2d', $3 ? {desynchronized: true} : {});
        const put = () => context.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, $0, $1 * $2 * 4), $1, $2), 0, 0);
        requestAnimationFrame(put);
        if ($3)
            addEventListener('keydown', e => {
                e.preventDefault();
                requestAnimationFrame(() => (put(), requestAnimationFrame(put)));
            });
    }, rgba, w, h, keys);
    return 0;
}
