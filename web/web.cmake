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
  "-sASYNCIFY_IMPORTS=['kw_present','kw_sleep','kw_decode','kw_data_ready','kw_take_turn','kw_end_turn']"
  -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -lidbfs.js
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free','_kw_key','_kw_pointer','_kw_pad','_kw_resize','_kw_leave']"
  "-sEXPORTED_RUNTIME_METHODS=['FS','ENV','addRunDependency','removeRunDependency']")
set_property(TARGET kwadron APPEND PROPERTY LINK_DEPENDS ${WEB_LIBRARY})
# The web preset builds for speed (-O3): the module is some 11 KB larger,
# compressed, than at -Os, and the game starts about a fifth sooner (the
# skin's decoding and layout, on a 2-core machine).

set(WEB_FILES manifest.webmanifest)
foreach(f ${WEB_FILES})
  configure_file(${CMAKE_SOURCE_DIR}/web/${f} ${WEB_SITE}/${f} COPYONLY)
endforeach()
foreach(size 192 512)
  configure_file(${CMAKE_SOURCE_DIR}/dist/icons/${size}x${size}/kwadron.png ${WEB_SITE}/icon-${size}.png COPYONLY)
  list(APPEND WEB_FILES icon-${size}.png)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/dist/kwadron.svg ${WEB_SITE}/icon.svg COPYONLY)
foreach(skin grafika_aga grafika_aga2x)
  configure_file(${CMAKE_SOURCE_DIR}/skins/${skin} ${WEB_SITE}/${skin} COPYONLY)
endforeach()

# The page's script, written by job in web/page/, goes into index.html
# itself: it runs as the page is read, and asks for the program's script,
# its module and the skin without waiting for a file of its own.
set(PAGE_PARTS messages storage skins start)
set(PAGE_SOURCES)
foreach(part ${PAGE_PARTS})
  list(APPEND PAGE_SOURCES ${CMAKE_SOURCE_DIR}/web/page/${part}.js)
endforeach()
set(PAGE_JOINED ${CMAKE_BINARY_DIR}/index.html)

# The build's name, a hash of the site's files, stamped into the service
# worker and the page (web/stamp.cmake): when they change, before the
# program is linked, and again once it is.
set(SITE_FILES ${CMAKE_SOURCE_DIR}/web/sw.js)
foreach(f ${WEB_FILES} icon.svg grafika_aga grafika_aga2x)
  list(APPEND SITE_FILES ${WEB_SITE}/${f})
endforeach()
string(JOIN $<SEMICOLON> HASHED ${PAGE_JOINED} ${SITE_FILES} ${WEB_SITE}/kwadron.js ${WEB_SITE}/kwadron.wasm)
string(JOIN $<SEMICOLON> STAMPED ${PAGE_JOINED} ${WEB_SITE}/index.html ${CMAKE_SOURCE_DIR}/web/sw.js ${WEB_SITE}/sw.js)
set(STAMP ${CMAKE_COMMAND} -DHASHED=${HASHED} -DSTAMP=${STAMPED} -P ${CMAKE_SOURCE_DIR}/web/stamp.cmake)
add_custom_command(OUTPUT ${PAGE_JOINED} ${WEB_SITE}/index.html ${WEB_SITE}/sw.js
  COMMAND ${CMAKE_COMMAND} -DOUT=${PAGE_JOINED} -DPAGE=${CMAKE_SOURCE_DIR}/web/index.html "-DPARTS=${PAGE_SOURCES}"
          -P ${CMAKE_SOURCE_DIR}/web/concat.cmake
  COMMAND ${STAMP}
  DEPENDS ${CMAKE_SOURCE_DIR}/web/index.html ${PAGE_SOURCES} ${SITE_FILES} ${CMAKE_SOURCE_DIR}/web/concat.cmake
          ${CMAKE_SOURCE_DIR}/web/stamp.cmake
  VERBATIM)
add_custom_target(page_script ALL DEPENDS ${WEB_SITE}/index.html)
add_dependencies(kwadron page_script)
add_custom_command(TARGET kwadron POST_BUILD COMMAND ${STAMP} VERBATIM)
