// Native scalar types, tag lists and the few shared records of the system
// libraries, as the game's code expects to see them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

typedef int8_t BYTE;
typedef uint8_t UBYTE;
typedef int16_t WORD;
typedef uint16_t UWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t BOOL;
typedef void *APTR;
typedef char *STRPTR;
typedef const char *CONST_STRPTR;
// Integer wide enough for a pointer: tag data and argument slots.
typedef uintptr_t IPTR;
// A dos file handle or lock: an opaque host handle, 0 for none.
typedef intptr_t BPTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef ULONG Tag;

struct TagItem {
    Tag ti_Tag;
    IPTR ti_Data;
};

constexpr Tag TAG_DONE = 0;
constexpr Tag TAG_END = 0;
constexpr Tag TAG_IGNORE = 1;
constexpr Tag TAG_USER = 0x80000000u;

namespace host {
// Turns one argument of a variadic tag call into the tag list's data word.
template <class T> constexpr IPTR tag_word(T v) {
    if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>)
        return reinterpret_cast<IPTR>(v);
    else
        return static_cast<IPTR>(v);
}

// Builds a TAG_DONE-terminated list from (tag, data, tag, data, ..., TAG_DONE).
template <size_t N> struct TagList {
    TagItem items[N / 2 + 1];
};

template <class... A> TagList<sizeof...(A)> make_tags(A... a) {
    static_assert(sizeof...(A) % 2 == 1, "tag list needs pairs and TAG_DONE");
    IPTR w[] = {tag_word(a)...};
    TagList<sizeof...(A)> l{};
    size_t n = 0;
    for (size_t i = 0; i + 1 < sizeof...(A); i += 2, ++n)
        l.items[n] = {static_cast<Tag>(w[i]), w[i + 1]};
    l.items[n] = {TAG_DONE, 0};
    return l;
}
} // namespace host
