# Writes OUT, the hash of the game's own code (FILES, '|' between them,
# relative to ROOT): a kept game is taken up only by the code that played
# it. Rewritten only when it changes, so that nothing is rebuilt for nothing.
string(REPLACE "|" ";" FILES "${FILES}")
set(all "")
foreach(f ${FILES})
  file(SHA256 "${ROOT}/${f}" h)
  string(APPEND all "${f} ${h}\n")
endforeach()
string(SHA256 sum "${all}")
string(SUBSTRING "${sum}" 0 16 short)
set(text "// Made by the build: the hash of the game's own code.\n#pragma once\n#define KWADRON_GAME_CODE 0x${short}ull\n")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
