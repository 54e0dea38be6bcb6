# The key that signs Tarvo_setup.exe. The client is built with its public
# half and launches only installers it signed.
#
# A publishing build (-DTARVO_PUBLISH=ON) takes the publisher's private key
# from outside the repository (-DTARVO_INSTALLER_SIGNING_KEY=/path/key.pem) and
# fails without one. Every other build makes a throw-away key in its own build
# folder once: its installers are trusted only by the programs of that build.
option(TARVO_PUBLISH "Publishing build: the installer is signed with TARVO_INSTALLER_SIGNING_KEY" OFF)
set(TARVO_INSTALLER_SIGNING_KEY "" CACHE FILEPATH
    "The publisher's ECDSA P-256 private key (PEM), kept outside the repository; publishing builds only")

find_program(TARVO_SIGNING_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
set(TARVO_SIGNING_TOOL "${CMAKE_SOURCE_DIR}/installer/signing.py")
if(NOT TARVO_SIGNING_PYTHON)
  message(FATAL_ERROR "installer signing needs /usr/bin/python3 with the cryptography module "
                      "(Debian python3-cryptography)")
endif()

if(TARVO_PUBLISH)
  if(NOT TARVO_INSTALLER_SIGNING_KEY OR NOT EXISTS "${TARVO_INSTALLER_SIGNING_KEY}")
    message(FATAL_ERROR "A publishing build needs the publisher's private key: "
                        "-DTARVO_INSTALLER_SIGNING_KEY=/path/outside/the/repository/key.pem")
  endif()
  file(REAL_PATH "${TARVO_INSTALLER_SIGNING_KEY}" TARVO_SIGNING_KEY)
  file(REAL_PATH "${CMAKE_SOURCE_DIR}" tarvo_source_root)
  cmake_path(IS_PREFIX tarvo_source_root "${TARVO_SIGNING_KEY}" NORMALIZE tarvo_key_in_tree)
  if(tarvo_key_in_tree)
    message(FATAL_ERROR "The publisher's private key must not lie in the source tree: ${TARVO_SIGNING_KEY}")
  endif()
else()
  if(TARVO_INSTALLER_SIGNING_KEY)
    message(FATAL_ERROR "TARVO_INSTALLER_SIGNING_KEY is for publishing builds (-DTARVO_PUBLISH=ON)")
  endif()
  set(TARVO_SIGNING_KEY "${CMAKE_BINARY_DIR}/signing/installer-signing-key.pem")
  if(NOT EXISTS "${TARVO_SIGNING_KEY}")
    execute_process(COMMAND "${TARVO_SIGNING_PYTHON}" "${TARVO_SIGNING_TOOL}" keygen "${TARVO_SIGNING_KEY}"
                    RESULT_VARIABLE tarvo_keygen_result)
    if(NOT tarvo_keygen_result EQUAL 0)
      message(FATAL_ERROR "could not make the throw-away installer signing key")
    endif()
  endif()
  message(NOTICE "Installer signing: a throw-away key, ${TARVO_SIGNING_KEY}; its installers are trusted "
                 "only by the programs of this build. Not a publishing build: the client's version "
                 "resource carries a private-build note")
endif()

# The public half, compiled into the client.
set(TARVO_GENERATED_INCLUDE_DIR "${CMAKE_BINARY_DIR}/generated")
execute_process(COMMAND "${TARVO_SIGNING_PYTHON}" "${TARVO_SIGNING_TOOL}" public-header "${TARVO_SIGNING_KEY}"
                        "${TARVO_GENERATED_INCLUDE_DIR}/publisher_key.h"
                RESULT_VARIABLE tarvo_header_result)
if(NOT tarvo_header_result EQUAL 0)
  message(FATAL_ERROR "could not read the installer signing key ${TARVO_SIGNING_KEY}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${TARVO_SIGNING_KEY}" "${TARVO_SIGNING_TOOL}")
