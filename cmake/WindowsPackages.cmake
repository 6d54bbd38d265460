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

# The options a library was configured with, one a line, indented, with Windows line ends:
# NEWLINE_STYLE converts a template's own line ends, not those of what it substitutes.
function(tallimo_configuration_lines file variable)
  file(STRINGS ${file} lines)
  list(TRANSFORM lines PREPEND "  ")
  list(JOIN lines "\r\n" lines)
  set(${variable} "${lines}" PARENT_SCOPE)
endfunction()

# FFmpeg's licence and the notice of which FFmpeg is inside, where its source is and how to build
# Tallimo against another: the LGPL asks for them wherever the program goes.
set(ffmpeg_texts)
if(TALLIMO_WITH_FFMPEG)
  file(READ ${TALLIMO_FFMPEG_PREFIX}/COPYING.LGPLv2.1 lgpl)
  string(REPLACE "\n" "\r\n" lgpl "${lgpl}")
  file(WRITE ${stage}/FFmpeg-LGPL-2.1.txt "${lgpl}")
  string(REGEX REPLACE "^[0-9]+:|-[^-]*$" "" TALLIMO_FFMPEG_UPSTREAM_VERSION
                       ${TALLIMO_FFMPEG_VERSION})
  tallimo_configuration_lines(${TALLIMO_FFMPEG_PREFIX}/CONFIGURATION TALLIMO_FFMPEG_CONFIGURATION)
  set(ffmpeg_texts FFmpeg-LGPL-2.1.txt FFmpeg-NOTICE.txt)
  # libopenmpt, linked in for FFmpeg's reader of tracker modules where its folder has it: its
  # licence asks for its notice in the documentation of whatever carries it.
  set(TALLIMO_LIBOPENMPT_NOTICE "")
  set(TALLIMO_LIBOPENMPT_VERSION "")
  set(openmpt ${TALLIMO_FFMPEG_PREFIX}/libopenmpt)
  if(EXISTS ${openmpt}/LICENSE)
    file(READ ${openmpt}/LICENSE license)
    string(REPLACE "\n" "\r\n" license "${license}")
    file(WRITE ${stage}/libopenmpt-LICENSE.txt "${license}")
    file(STRINGS ${openmpt}/VERSION TALLIMO_LIBOPENMPT_VERSION LIMIT_COUNT 1)
    string(REGEX REPLACE "^[0-9]+:|-[^-]*$" "" TALLIMO_LIBOPENMPT_UPSTREAM_VERSION
                         ${TALLIMO_LIBOPENMPT_VERSION})
    tallimo_configuration_lines(${openmpt}/CONFIGURATION TALLIMO_LIBOPENMPT_CONFIGURATION)
    set(notice ${PROJECT_SOURCE_DIR}/res/windows/libopenmpt-NOTICE.txt.in)
    file(READ ${notice} text)
    string(REPLACE "\n" "\r\n" text "${text}")
    string(CONFIGURE "${text}" TALLIMO_LIBOPENMPT_NOTICE @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${notice})
    list(APPEND ffmpeg_texts libopenmpt-LICENSE.txt)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/res/windows/FFmpeg-NOTICE.txt.in ${stage}/FFmpeg-NOTICE.txt
                 @ONLY NEWLINE_STYLE CRLF)
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

# The extensions the installer registers for "Open with", from drops/media_types.txt and
# drops/playlist_types.txt.
set(types_nsh ${CMAKE_BINARY_DIR}/supported_types.nsh)
set(types "")
foreach(extension IN LISTS TALLIMO_MEDIA_EXTENSIONS TALLIMO_PLAYLIST_EXTENSIONS)
  string(APPEND types "!insertmacro TALLIMO_SUPPORTED_TYPE \".${extension}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${types_nsh} CONTENT "${types}" @ONLY)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright REGEX "^Copyright " LIMIT_COUNT 1)
set(nsis_dir ${PROJECT_SOURCE_DIR}/res/windows)
set(icon ${PROJECT_SOURCE_DIR}/res/icons/128.ico)
# -WX: a warning from makensis (a missing language string, a file not found) fails the build.
set(makensis ${TALLIMO_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
             -DCOPYRIGHT=${copyright} -DICON=${icon})
# The uninstall program the installer puts beside the program (see uninstall.nsi).
add_custom_command(OUTPUT ${stage}/uninstall.exe
  COMMAND ${makensis} -DOUTFILE=${stage}/uninstall.exe ${nsis_dir}/uninstall.nsi
  DEPENDS ${nsis_dir}/uninstall.nsi ${nsis_dir}/common.nsh ${icon}
  VERBATIM)
add_custom_command(OUTPUT ${package_base}-setup.exe
  COMMAND ${makensis} -DHOMEPAGE=${PROJECT_HOMEPAGE_URL} -DSTAGE=${stage} -DTYPES=${types_nsh}
          -DOUTFILE=${package_base}-setup.exe $<$<BOOL:${TALLIMO_WITH_FFMPEG}>:-DFFMPEG>
          $<$<BOOL:${TALLIMO_LIBOPENMPT_VERSION}>:-DLIBOPENMPT> ${nsis_dir}/tallimo.nsi
  DEPENDS ${nsis_dir}/tallimo.nsi ${nsis_dir}/common.nsh ${icon} ${zipped_paths}
          ${stage}/uninstall.exe ${types_nsh}
  VERBATIM)

add_custom_target(package_windows DEPENDS ${package_base}.zip ${package_base}-setup.exe)
