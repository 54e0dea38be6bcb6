# Authenticode: when a code-signing certificate is configured, both programs
# and the installer are signed with it (Debian's osslsigncode); without one
# nothing is signed, and the first configuration says so.
set(TARVO_CODESIGN_CERT "" CACHE FILEPATH "Authenticode code-signing certificate chain (PEM); empty: no signing")
set(TARVO_CODESIGN_KEY "" CACHE FILEPATH "The private key of TARVO_CODESIGN_CERT (PEM)")

if(TARVO_CODESIGN_CERT)
  if(NOT EXISTS "${TARVO_CODESIGN_CERT}" OR NOT EXISTS "${TARVO_CODESIGN_KEY}")
    message(FATAL_ERROR "Authenticode signing needs TARVO_CODESIGN_CERT and TARVO_CODESIGN_KEY to name PEM files")
  endif()
  find_program(TARVO_OSSLSIGNCODE osslsigncode)
  if(NOT TARVO_OSSLSIGNCODE)
    message(FATAL_ERROR "Authenticode signing needs osslsigncode (Debian package osslsigncode)")
  endif()
  message(STATUS "Authenticode: signing the programs and the installer with ${TARVO_CODESIGN_CERT}")
elseif(NOT TARVO_CODESIGN_NOTICE_GIVEN)
  message(STATUS "Authenticode: no code-signing certificate (TARVO_CODESIGN_CERT): nothing is signed")
  set(TARVO_CODESIGN_NOTICE_GIVEN ON CACHE INTERNAL "")
endif()

# The commands that sign `file` in place, for add_custom_command; nothing
# without a certificate.
function(tarvo_authenticode_commands var file)
  set(commands)
  if(TARVO_CODESIGN_CERT)
    set(commands
        COMMAND "${TARVO_OSSLSIGNCODE}" sign -certs "${TARVO_CODESIGN_CERT}" -key "${TARVO_CODESIGN_KEY}"
                -h sha256 -n "Tarvo" -in "${file}" -out "${file}.signed"
        COMMAND "${CMAKE_COMMAND}" -E rename "${file}.signed" "${file}")
  endif()
  set(${var} ${commands} PARENT_SCOPE)
endfunction()

# Signs the program of `target` each time it is linked.
function(tarvo_authenticode_sign target)
  tarvo_authenticode_commands(commands "$<TARGET_FILE:${target}>")
  if(commands)
    add_custom_command(TARGET ${target} POST_BUILD ${commands} VERBATIM)
  endif()
endfunction()
