# The browser edition: kwadron.js and kwadron.wasm beside the page, its
# script, the service worker, the manifest, the icons and the two skins, in
# one static folder, build-web/site.
set(WEB_SITE ${CMAKE_BINARY_DIR}/site)
set_target_properties(kwadron PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${WEB_SITE} SUFFIX .js)
# ASYNCIFY lets the program's waits yield to the browser (the imports of
# web/library.js that sleep are listed); the runtime ends with main, so that
# the page learns the game has ended. IDBFS keeps the player's data folder in
# the browser's storage.
set(WEB_LIBRARY ${CMAKE_SOURCE_DIR}/web/library.js)
target_link_options(kwadron PRIVATE
  --js-library=${WEB_LIBRARY}
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  "-sASYNCIFY_IMPORTS=['kw_present','kw_sleep','kw_decode','kw_take_turn','kw_end_turn']"
  -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -lidbfs.js
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free','_kw_key','_kw_pointer','_kw_pad','_kw_resize','_kw_leave']"
  "-sEXPORTED_RUNTIME_METHODS=['FS','ENV','addRunDependency','removeRunDependency']")
set_property(TARGET kwadron APPEND PROPERTY LINK_DEPENDS ${WEB_LIBRARY})
# The web preset builds for speed (-O3): the module is some 11 KB larger,
# compressed, than at -Os, and the game starts about a fifth sooner (the
# skin's decoding and layout, on a 2-core machine).

# The page's script, written by job in web/page/, served as one file.
set(PAGE_PARTS messages storage skins start)
set(PAGE_SOURCES)
foreach(part ${PAGE_PARTS})
  list(APPEND PAGE_SOURCES ${CMAKE_SOURCE_DIR}/web/page/${part}.js)
endforeach()
add_custom_command(OUTPUT ${WEB_SITE}/page.js
  COMMAND ${CMAKE_COMMAND} -DOUT=${WEB_SITE}/page.js "-DPARTS=${PAGE_SOURCES}" -P ${CMAKE_SOURCE_DIR}/web/concat.cmake
  DEPENDS ${PAGE_SOURCES} ${CMAKE_SOURCE_DIR}/web/concat.cmake VERBATIM)
add_custom_target(page_script ALL DEPENDS ${WEB_SITE}/page.js)
add_dependencies(kwadron page_script)

set(WEB_FILES index.html sw.js manifest.webmanifest)
foreach(f ${WEB_FILES})
  configure_file(${CMAKE_SOURCE_DIR}/web/${f} ${WEB_SITE}/${f} COPYONLY)
endforeach()
foreach(size 192 512)
  configure_file(${CMAKE_SOURCE_DIR}/dist/icons/${size}x${size}/kwadron.png ${WEB_SITE}/icon-${size}.png COPYONLY)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/dist/kwadron.svg ${WEB_SITE}/icon.svg COPYONLY)
foreach(skin grafika_aga grafika_aga2x)
  configure_file(${CMAKE_SOURCE_DIR}/skins/${skin} ${WEB_SITE}/${skin} COPYONLY)
endforeach()
