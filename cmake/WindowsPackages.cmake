# What `make package-windows` builds from the Windows program (target package_windows): the
# portable zip and the per-user installer, both named after the project version.
find_program(TALLIMO_MAKENSIS makensis REQUIRED)

set(package_base ${CMAKE_BINARY_DIR}/${PROJECT_NAME}-${PROJECT_VERSION}-win64)
set(stage ${CMAKE_BINARY_DIR}/package)

# The texts with Windows line ends, so that Notepad shows their lines; the read-me starts with a
# byte order mark, which older Notepads need to read UTF-8 (its second half is Japanese).
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/res/windows/README.txt.in ${stage}/README.txt @ONLY
               NEWLINE_STYLE CRLF)

foreach(program tallimo tallimo-measure)
  add_custom_command(OUTPUT ${stage}/${program}.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/${program}.exe
    DEPENDS ${program}
    VERBATIM)
endforeach()

# The four files at the top of the zip, without a folder around them: the window's program finds
# the measuring program beside itself.
add_custom_command(OUTPUT ${package_base}.zip
  COMMAND ${CMAKE_COMMAND} -E tar cf ${package_base}.zip --format=zip
          tallimo.exe tallimo-measure.exe LICENSE.txt README.txt
  WORKING_DIRECTORY ${stage}
  DEPENDS ${stage}/tallimo.exe ${stage}/tallimo-measure.exe ${stage}/LICENSE.txt
          ${stage}/README.txt
  VERBATIM)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright REGEX "^Copyright " LIMIT_COUNT 1)
set(nsi ${PROJECT_SOURCE_DIR}/res/windows/tallimo.nsi)
# -WX: a warning from makensis (a missing language string, a file not found) fails the build.
add_custom_command(OUTPUT ${package_base}-setup.exe
  COMMAND ${TALLIMO_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
          -DVERSION=${PROJECT_VERSION} -DHOMEPAGE=${PROJECT_HOMEPAGE_URL}
          -DCOPYRIGHT=${copyright} -DICON=${PROJECT_SOURCE_DIR}/res/icons/128.ico
          -DSTAGE=${stage} -DOUTFILE=${package_base}-setup.exe ${nsi}
  DEPENDS ${nsi} ${PROJECT_SOURCE_DIR}/res/icons/128.ico ${stage}/tallimo.exe
          ${stage}/tallimo-measure.exe ${stage}/LICENSE.txt
  VERBATIM)

add_custom_target(package_windows DEPENDS ${package_base}.zip ${package_base}-setup.exe)
