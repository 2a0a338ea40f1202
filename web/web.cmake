# The browser edition: kwadron.js and kwadron.wasm beside the page, its
# script, the service worker, the manifest, the icons and the two skins, in
# one static folder, build-web/site.
set(WEB_SITE ${CMAKE_BINARY_DIR}/site)
set_target_properties(kwadron PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${WEB_SITE} SUFFIX .js)
# ASYNCIFY lets the program's waits yield to the browser; the runtime ends
# with main, so that the page learns the game has ended. IDBFS keeps the
# player's data folder in the browser's storage.
target_link_options(kwadron PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -lidbfs.js
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']"
  "-sEXPORTED_RUNTIME_METHODS=['FS','ENV','addRunDependency','removeRunDependency']")
# The web preset builds for speed (-O3): the module is some 11 KB larger,
# compressed, than at -Os, and the game starts about a fifth sooner (the
# skin's decoding and layout, on a 2-core machine).

set(WEB_FILES index.html page.js sw.js manifest.webmanifest)
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
