# Manual pages, made at build time by help2man from each program's --help and
# --version, with the sections of packaging/man/<program>.h2m, compressed as
# Debian installs them (gzip -9n: no name or time in the header).
#   morva_add_manpage(<target> "<one-line description>")
# Cross builds make none: their programs do not run here.
set(MORVA_MAN_SOURCE_DIR "${PROJECT_SOURCE_DIR}/packaging/man")
set(MORVA_MAN_DIR "${CMAKE_BINARY_DIR}/man")

if(CMAKE_CROSSCOMPILING)
  function(morva_add_manpage target description)
  endfunction()
  return()
endif()

find_program(MORVA_HELP2MAN help2man REQUIRED)
find_program(MORVA_GZIP gzip REQUIRED)
add_custom_target(manpages ALL)

function(morva_add_manpage target description)
  set(include "${MORVA_MAN_SOURCE_DIR}/${target}.h2m")
  set(page "${MORVA_MAN_DIR}/${target}.1")
  add_custom_command(OUTPUT "${page}.gz"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${MORVA_MAN_DIR}"
    COMMAND ${MORVA_HELP2MAN} --no-info --no-discard-stderr --section=1
            "--name=${description}" "--include=${include}"
            "--output=${page}" "$<TARGET_FILE:${target}>"
    COMMAND ${MORVA_GZIP} -9nf "${page}"
    DEPENDS ${target} "${include}"
    COMMENT "Manual page ${target}(1)"
    VERBATIM)
  add_custom_target(${target}_manpage DEPENDS "${page}.gz")
  add_dependencies(manpages ${target}_manpage)
  install(FILES "${page}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
