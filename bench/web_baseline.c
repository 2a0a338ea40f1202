// The least a page built with emcc does to show a picture: a canvas of the
// picture's size (320 x 240, or the width given on the query string), filled
// from memory at the browser's next frame. The yardstick for the browser
// edition's time to its first picture (scripts/web_perf.sh).
#include <emscripten.h>
#include <stdint.h>
#include <stdlib.h>

int main(int argc, char **argv) {
    const int w = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 320, h = w * 3 / 4;
    uint32_t *rgba = malloc((size_t)w * (size_t)h * 4);
    if (!rgba) return 1;
    for (int i = 0; i < w * h; ++i) rgba[i] = 0xFF000000u | (uint32_t)i * 2654435761u >> 8;
    EM_ASM({
        const canvas = document.getElementById('screen');
        canvas.width = $1;
        canvas.height = $2;
        requestAnimationFrame(() => canvas.getContext('2d').putImageData(
            new ImageData(new Uint8ClampedArray(HEAPU8.buffer, $0, $1 * $2 * 4), $1, $2), 0, 0));
    }, rgba, w, h);
    return 0;
}
