# cmake -DSRC=<sample-disc> -DOUT=<folder> -DSTANDIN=<stand-in .exe> -P windows-sources.cmake
#
# The sample disc's sources for a Windows disc: a copy of SRC in which every
# program ("*.exe", in folders and in the folders packed as ZIP archives alike)
# that is a shell script stands in for a program is replaced by the Windows
# stand-in, carrying the text the script prints (its `echo` line) after its own
# bytes, where the stand-in finds it. The disc's file names stay as they are: the
# catalogue names them.
foreach(_var SRC OUT STANDIN)
  if(NOT ${_var})
    message(FATAL_ERROR "windows-sources.cmake needs -D${_var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
file(COPY "${SRC}/catalogue.txt" "${SRC}/screenshots.txt" "${SRC}/txt" "${SRC}/disc" DESTINATION "${OUT}")

file(GLOB_RECURSE _programs LIST_DIRECTORIES false "${OUT}/disc/*.exe")
set(_replaced 0)
foreach(_program IN LISTS _programs)
  file(READ "${_program}" _head LIMIT 2)
  if(NOT _head MATCHES "^#!")
    continue()
  endif()
  file(STRINGS "${_program}" _says REGEX "^echo \"" LIMIT_COUNT 1 ENCODING UTF-8)
  if(NOT _says MATCHES "^echo \"(.*)\"$")
    message(FATAL_ERROR "${_program}: a stand-in script without the line `echo \"...\"` that says what it is")
  endif()
  set(_text "${CMAKE_MATCH_1}")
  file(REMOVE "${_program}")
  configure_file("${STANDIN}" "${_program}" COPYONLY)
  file(APPEND "${_program}" "\n#VEMI-STANDIN#${_text}\n")
  math(EXPR _replaced "${_replaced} + 1")
endforeach()
message(STATUS "${_replaced} stand-ins for Windows in ${OUT}")
