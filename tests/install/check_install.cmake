# cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -DWITH_WINDOW=ON|OFF -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(expected
  bin/morva_reporter_cli
  bin/morva_unit_sim
  share/morva_reporter/help/index.htm
  share/morva_reporter/help/ru/index.htm
  share/morva_reporter/help/uk/index.htm
  share/morva_reporter/help/images/window-en.png
  share/morva_reporter/help/images/progress-uk.png
  share/morva_reporter/about.png
  share/morva_reporter/morva_reporter.svg
  share/icons/hicolor/scalable/apps/morva_reporter.svg
  lib/systemd/system/morva-reporter-serve.service)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/morva_reporter.png)
endforeach()
foreach(lang ru uk)
  foreach(domain morva_velox MORVA_Reporter)
    list(APPEND expected share/locale/${lang}/LC_MESSAGES/${domain}.mo)
  endforeach()
endforeach()
if(WITH_WINDOW)
  list(APPEND expected bin/morva_reporter share/applications/invalid.morva_reporter.morva_reporter.desktop)
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The web view's unit starts the reader installed with it, not another one.
file(STRINGS "${PREFIX}/lib/systemd/system/morva-reporter-serve.service" exec REGEX "^ExecStart=")
if(NOT exec STREQUAL "ExecStart=${PREFIX}/bin/morva_reporter_cli archive serve")
  message(FATAL_ERROR "the installed unit starts '${exec}'")
endif()

execute_process(COMMAND "${PREFIX}/bin/morva_reporter_cli" --version
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "morva_reporter_cli ${VERSION}\n")
  message(FATAL_ERROR "installed morva_reporter_cli --version: ${rc} '${out}'")
endif()
file(REMOVE_RECURSE "${PREFIX}")
