# Joins the page's script parts into one file: cmake -DOUT=file -DPARTS=a;b -P concat.cmake
file(WRITE ${OUT} "")
foreach(part ${PARTS})
  file(READ ${part} text)
  file(APPEND ${OUT} "${text}")
endforeach()
