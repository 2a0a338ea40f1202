// Decoding a picture held in memory: its kind from its content, its declared
// size checked before any decoder sees it, then the host's own decoder for
// the kind (GIF, IFF, TGA) or the system's codecs (codec_decode).
#include <cstring>
#include <string>

#include "datatypes/picture.h"

namespace host {
namespace {
bool fail(std::string *why, const std::string &text) {
    if (why) *why = text;
    return false;
}

} // namespace

bool picture_decode(const uint8_t *data, size_t size, Picture &out, std::string *why) {
    out = Picture{};
    if (!data || size == 0) return fail(why, "empty file");
    if (size > size_t(INT32_MAX)) return fail(why, "file too large");
    const PictureKind h = picture_sniff(data, size);
    if (!h.type) return fail(why, "not a picture format that can be read");
    if (h.damage) return fail(why, h.damage);
    if (h.width != -1 && !picture_size_ok(h.width, h.height))
        return fail(why, "picture size " + std::to_string(h.width) + " x " + std::to_string(h.height) +
                             " refused");
    if (!strcmp(h.type, "GIF")) return gif_decode(data, size, out, why);
    if (!strcmp(h.type, "LBM")) return ilbm_decode(data, size, out, why);
    if (!strcmp(h.type, "TGA")) return tga_decode(data, size, out, why);
    return codec_decode(data, size, h, out, why);
}
} // namespace host
