# The page with its script, joined from its parts, in place of the line
# that names them (<script src="page.js"></script>):
#   cmake -DOUT=file -DPAGE=index.html -DPARTS=a;b -P concat.cmake
set(script "")
foreach(part ${PARTS})
  file(READ ${part} text)
  string(APPEND script "${text}")
endforeach()
file(READ ${PAGE} page)
string(FIND "${page}" "<script src=\"page.js\"></script>" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PAGE} names no page.js")
endif()
string(FIND "${script}" "</script" closes)
if(NOT closes EQUAL -1)
  message(FATAL_ERROR "the page's script must not hold </script")
endif()
string(REPLACE "<script src=\"page.js\"></script>" "<script>\n${script}</script>" page "${page}")
file(WRITE ${OUT} "${page}")
