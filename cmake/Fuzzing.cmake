# The fuzz build: only the libraries the fuzz targets need and the targets
# themselves, built with clang for libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer. Configure a build tree of its own with
#   -DMORVA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "MORVA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer -gline-tables-only)
add_link_options(-fsanitize=address,undefined)

add_subdirectory(buslib)
add_subdirectory(report)
add_subdirectory(archive)
add_subdirectory(insight)
add_subdirectory(tests/fuzz)
