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

# FFmpeg's licence and the notice of which FFmpeg is inside, where its source is and how to build
# Tallimo against another: the LGPL asks for them wherever the program goes.
set(ffmpeg_texts)
if(TALLIMO_WITH_FFMPEG)
  file(READ ${TALLIMO_FFMPEG_PREFIX}/COPYING.LGPLv2.1 lgpl)
  string(REPLACE "\n" "\r\n" lgpl "${lgpl}")
  file(WRITE ${stage}/FFmpeg-LGPL-2.1.txt "${lgpl}")
  string(REGEX REPLACE "^[0-9]+:|-[^-]*$" "" TALLIMO_FFMPEG_UPSTREAM_VERSION
                       ${TALLIMO_FFMPEG_VERSION})
  file(STRINGS ${TALLIMO_FFMPEG_PREFIX}/CONFIGURATION configuration)
  list(TRANSFORM configuration PREPEND "  ")
  # NEWLINE_STYLE converts the template's own line ends, not those of what it substitutes.
  list(JOIN configuration "\r\n" TALLIMO_FFMPEG_CONFIGURATION)
  configure_file(${PROJECT_SOURCE_DIR}/res/windows/FFmpeg-NOTICE.txt.in ${stage}/FFmpeg-NOTICE.txt
                 @ONLY NEWLINE_STYLE CRLF)
  set(ffmpeg_texts FFmpeg-LGPL-2.1.txt FFmpeg-NOTICE.txt)
endif()

foreach(program tallimo tallimo-measure)
  add_custom_command(OUTPUT ${stage}/${program}.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/${program}.exe
    DEPENDS ${program}
    VERBATIM)
endforeach()
# The console companion goes beside the window's program, which it starts.
add_custom_command(OUTPUT ${stage}/tallimo.com
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tallimo_console> ${stage}/tallimo.com
  DEPENDS tallimo_console
  VERBATIM)

# The files at the top of the zip, without a folder around them: the window's program finds the
# measuring program beside itself.
set(zipped tallimo.exe tallimo.com tallimo-measure.exe LICENSE.txt README.txt ${ffmpeg_texts})
list(TRANSFORM zipped PREPEND ${stage}/ OUTPUT_VARIABLE zipped_paths)
add_custom_command(OUTPUT ${package_base}.zip
  COMMAND ${CMAKE_COMMAND} -E tar cf ${package_base}.zip --format=zip ${zipped}
  WORKING_DIRECTORY ${stage}
  DEPENDS ${zipped_paths}
  VERBATIM)

# The extensions the installer registers for "Open with", from drops/media_types.txt.
set(types_nsh ${CMAKE_BINARY_DIR}/supported_types.nsh)
set(types "")
foreach(extension IN LISTS TALLIMO_MEDIA_EXTENSIONS)
  string(APPEND types "!insertmacro TALLIMO_SUPPORTED_TYPE \".${extension}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${types_nsh} CONTENT "${types}" @ONLY)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright REGEX "^Copyright " LIMIT_COUNT 1)
set(nsi ${PROJECT_SOURCE_DIR}/res/windows/tallimo.nsi)
# -WX: a warning from makensis (a missing language string, a file not found) fails the build.
add_custom_command(OUTPUT ${package_base}-setup.exe
  COMMAND ${TALLIMO_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
          -DVERSION=${PROJECT_VERSION} -DHOMEPAGE=${PROJECT_HOMEPAGE_URL}
          -DCOPYRIGHT=${copyright} -DICON=${PROJECT_SOURCE_DIR}/res/icons/128.ico
          -DSTAGE=${stage} -DTYPES=${types_nsh} -DOUTFILE=${package_base}-setup.exe
          $<$<BOOL:${TALLIMO_WITH_FFMPEG}>:-DFFMPEG> ${nsi}
  DEPENDS ${nsi} ${PROJECT_SOURCE_DIR}/res/icons/128.ico ${zipped_paths} ${types_nsh}
  VERBATIM)

add_custom_target(package_windows DEPENDS ${package_base}.zip ${package_base}-setup.exe)
