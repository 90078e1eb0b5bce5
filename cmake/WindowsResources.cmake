# The resources of the Windows programs: the icon "MORVA_Reporter", made
# from the program's pictures with icotool (icoutils), and the version
# information of project(VERSION).
#   morva_windows_resources(<target> <description>)
# does nothing on other systems.
set(MORVA_VENDOR "MORVA Software")
# The copyright line of LICENSE.
file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" MORVA_COPYRIGHT REGEX "^Copyright ")

if(WIN32)
  enable_language(RC)
  find_program(MORVA_ICOTOOL icotool REQUIRED)
  set(MORVA_ICON_FILE "${CMAKE_BINARY_DIR}/morva_reporter.ico")
  set(pictures "")
  foreach(size 16 32 48 64 128)
    list(APPEND pictures "${PROJECT_SOURCE_DIR}/app/resources/morva_reporter_${size}.png")
  endforeach()
  # The 256 pixel picture stays PNG inside the icon, as Windows expects it.
  set(large "${PROJECT_SOURCE_DIR}/app/resources/morva_reporter_256.png")
  execute_process(COMMAND ${MORVA_ICOTOOL} --create --output=${MORVA_ICON_FILE} ${pictures} --raw=${large}
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "icotool could not make ${MORVA_ICON_FILE}: ${errors}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pictures} ${large})
endif()

function(morva_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(MORVA_RC_PROGRAM "${target}")
  set(MORVA_RC_DESCRIPTION "${description}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/morva_reporter.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${MORVA_ICON_FILE}")
endfunction()
