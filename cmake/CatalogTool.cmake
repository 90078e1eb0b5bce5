# Script mode (cmake -P) helpers for the message catalogs:
#   -DACTION=pot    regenerate po/<domain>.pot from the sources
#   -DACTION=merge  add new message ids of the sources to every po/<lang>/<domain>.po
#                   (untranslated; existing entries are kept as they are)
#   -DACTION=check  fail when a message id of the sources has no translation
#                   in a .po file (a fresh template is written to WORK_DIR)
#   -DACTION=stale  fail when po/<domain>.pot differs from a fresh template of
#                   the sources (its creation date aside)
#   -DACTION=templates  only write fresh templates of the sources to WORK_DIR
# Also needed: -DSOURCE_DIR=<project root> -DXGETTEXT=... and, for merge and
# check, -DMSGCAT=... / -DMSGCMP=... and -DWORK_DIR=<scratch directory>.
include("${CMAKE_CURRENT_LIST_DIR}/CatalogSources.cmake")

set(failed "")
foreach(domain IN LISTS MORVA_CATALOG_DOMAINS)
  if(ACTION STREQUAL "pot")
    morva_write_template("${XGETTEXT}" ${domain} "${SOURCE_DIR}" "${SOURCE_DIR}/po/${domain}.pot")
    message(STATUS "wrote po/${domain}.pot")
    continue()
  endif()

  set(template "${WORK_DIR}/${domain}.pot")
  file(MAKE_DIRECTORY "${WORK_DIR}")
  morva_write_template("${XGETTEXT}" ${domain} "${SOURCE_DIR}" "${template}")
  if(ACTION STREQUAL "stale")
    file(READ "${SOURCE_DIR}/po/${domain}.pot" committed)
    file(READ "${template}" fresh)
    set(date "\"POT-Creation-Date: [^\"]*\"")
    string(REGEX REPLACE "${date}" "" committed "${committed}")
    string(REGEX REPLACE "${date}" "" fresh "${fresh}")
    if(NOT committed STREQUAL fresh)
      list(APPEND failed "po/${domain}.pot (cmake --build build --target pot)")
    endif()
    continue()
  endif()
  if(ACTION STREQUAL "templates")
    continue()
  endif()
  foreach(lang IN LISTS MORVA_CATALOG_LANGUAGES)
    set(po "${SOURCE_DIR}/po/${lang}/${domain}.po")
    if(ACTION STREQUAL "merge")
      execute_process(COMMAND "${MSGCAT}" --use-first --output-file=${po} ${po} ${template}
                      RESULT_VARIABLE rc)
    elseif(ACTION STREQUAL "check")
      # msgcmp: every id of the template must be translated (not fuzzy) in the .po.
      execute_process(COMMAND "${MSGCMP}" ${po} ${template} RESULT_VARIABLE rc)
    else()
      message(FATAL_ERROR "unknown ACTION '${ACTION}'")
    endif()
    if(NOT rc EQUAL 0)
      list(APPEND failed "po/${lang}/${domain}.po")
    endif()
  endforeach()
endforeach()

if(failed)
  message(FATAL_ERROR "message catalogs out of step with the sources: ${failed}")
endif()
