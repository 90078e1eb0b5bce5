# Run by CPack on the staged files before it packs them: takes the .comment
# and .note sections out of the programs, which plain strip leaves in, as
# Debian's dh_strip does.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot strip ${program}")
  endif()
endforeach()
