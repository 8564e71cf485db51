# The menu's font stream and a sample sheet of it, made at every build so that
# anyone can look at what the fonts really look like (build/fonts/sample.png).
set(VEMI_FONT_OUT ${CMAKE_BINARY_DIR}/fonts)
set(VEMI_DEJAVU_LICENCE /usr/share/doc/fonts-dejavu-core/copyright)
set(_font_outputs ${VEMI_FONT_OUT}/fdata.jxs ${VEMI_FONT_OUT}/sample.bmp)
set(_font_commands COMMAND vemi-disc fonts-build-default ${VEMI_FONT_OUT})
find_program(VEMI_CONVERT convert)
if(VEMI_CONVERT)
  list(APPEND _font_outputs ${VEMI_FONT_OUT}/sample.png)
  list(APPEND _font_commands COMMAND ${VEMI_CONVERT} ${VEMI_FONT_OUT}/sample.bmp ${VEMI_FONT_OUT}/sample.png)
endif()
if(EXISTS ${VEMI_DEJAVU_LICENCE})
  # The glyphs are drawn from DejaVu; its licence travels with what is made from it.
  list(APPEND _font_outputs ${VEMI_FONT_OUT}/LICENSE-DejaVu.txt)
  list(APPEND _font_commands COMMAND ${CMAKE_COMMAND} -E copy ${VEMI_DEJAVU_LICENCE} ${VEMI_FONT_OUT}/LICENSE-DejaVu.txt)
endif()
add_custom_command(OUTPUT ${_font_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VEMI_FONT_OUT}
  ${_font_commands}
  DEPENDS vemi-disc
  COMMENT "Compiling the menu fonts and their sample sheet"
  VERBATIM)
add_custom_target(vemi_fonts ALL DEPENDS ${_font_outputs})
