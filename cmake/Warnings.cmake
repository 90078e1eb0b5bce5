# Warnings on for every target of the project, treated as errors in CI builds.
add_compile_options(-Wall -Wextra)
option(MORVA_WERROR "Treat warnings as errors" OFF)
if(MORVA_WERROR)
  add_compile_options(-Werror)
endif()
