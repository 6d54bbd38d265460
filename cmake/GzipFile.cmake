# Compressed copies of files for installation, made the way Debian wants them.

# Builds NAME.gz in the current build folder from SOURCE with gzip -9n: the best compression, and no
# name or time stamp inside, so that the same source always gives the same bytes.
function(tallimo_add_gzipped_file target source name)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source}
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${copy}.gz)
endfunction()
