// Tag lists end at TAG_DONE; the first item of a tag counts.
#include "utility/tags.h"

namespace host {
IPTR get_tag(const TagItem *list, Tag tag, IPTR def) {
    for (const TagItem *t = list; t && t->ti_Tag != TAG_DONE; ++t)
        if (t->ti_Tag == tag) return t->ti_Data;
    return def;
}

bool has_tag(const TagItem *list, Tag tag) {
    for (const TagItem *t = list; t && t->ti_Tag != TAG_DONE; ++t)
        if (t->ti_Tag == tag) return true;
    return false;
}
} // namespace host
