// Shared between the dos.library sources of the host; not for the game.
#pragma once

namespace host::dos {
// Frees every argument handle still held (part of dos_reset).
void args_reset();
} // namespace host::dos
