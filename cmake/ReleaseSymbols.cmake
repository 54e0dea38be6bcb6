# Release programs ship without their symbols. The symbols stay in the build
# folder, symbols/<program>.debug, and the program names that file
# (.gnu_debuglink), so a debugger given the folder finds them for a crash.
# Builds with test hooks keep their symbols in place.
function(tarvo_strip_symbols target)
  if(TARVO_TESTING OR NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
    return()
  endif()
  set(program "$<TARGET_FILE:${target}>")
  set(symbols "${CMAKE_BINARY_DIR}/symbols/$<TARGET_FILE_NAME:${target}>.debug")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/symbols"
    COMMAND "${CMAKE_OBJCOPY}" --only-keep-debug "${program}" "${symbols}"
    COMMAND "${CMAKE_STRIP}" --strip-all "${program}"
    COMMAND "${CMAKE_OBJCOPY}" "--add-gnu-debuglink=${symbols}" "${program}"
    VERBATIM)
endfunction()
