# Names the build after its files and stamps the name into the service
# worker and the page (for @KWADRON_BUILD@): the hash of every file
# the worker keeps, the two stamped ones before their stamp, so that a change
# to any of them is a new build, with a cache of its own.
#   cmake "-DHASHED=files" "-DSTAMP=in;out;in;out" -P stamp.cmake
set(all "")
foreach(file ${HASHED})
  set(hash none) # the program, before its first link
  if(EXISTS ${file})
    file(SHA256 ${file} hash)
  endif()
  get_filename_component(name ${file} NAME)
  string(APPEND all "${name} ${hash}\n")
endforeach()
string(SHA256 build "${all}")
string(SUBSTRING ${build} 0 16 build)
while(STAMP)
  list(POP_FRONT STAMP in out)
  file(READ ${in} text)
  string(REPLACE "@KWADRON_BUILD@" ${build} text "${text}")
  file(WRITE ${out} "${text}")
endwhile()
