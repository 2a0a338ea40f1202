// Reading tag lists, as utility.library's GetTagData does for a system's own
// libraries.
#pragma once

#include "amiga/types.h"

namespace host {
// Value of a tag in a list, or def when it is absent.
IPTR get_tag(const TagItem *list, Tag tag, IPTR def);
bool has_tag(const TagItem *list, Tag tag);
} // namespace host
