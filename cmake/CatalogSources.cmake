# Which sources feed which message catalog. Included by po/CMakeLists.txt
# and by the scripts that extract and check the message ids, so the mapping
# lives in one place.
#   morva_velox     - the bus library
#   MORVA_Reporter  - the application, the reports and the headless reader

set(MORVA_CATALOG_DOMAINS morva_velox MORVA_Reporter)
set(MORVA_CATALOG_LANGUAGES ru uk)
set(MORVA_COPYRIGHT_HOLDER "MORVA Software")

# The keywords that mark a translatable text in our sources.
set(MORVA_XGETTEXT_KEYWORDS
  --keyword=_ --keyword=wxTRANSLATE --keyword=wxGetTranslation:1
  --keyword=wxPLURAL:1,2 --keyword=wxGETTEXT_IN_CONTEXT:1c,2)

# Sets <out> to the sorted source files of <domain>, relative to <root>.
function(morva_catalog_sources domain root out)
  if(domain STREQUAL "morva_velox")
    set(dirs buslib)
  elseif(domain STREQUAL "MORVA_Reporter")
    set(dirs app archive insight reading report cli web)
  else()
    message(FATAL_ERROR "unknown message catalog ${domain}")
  endif()
  set(files "")
  foreach(dir IN LISTS dirs)
    file(GLOB_RECURSE found RELATIVE "${root}" "${root}/${dir}/*.cpp" "${root}/${dir}/*.h")
    list(APPEND files ${found})
  endforeach()
  list(SORT files)
  set(${out} "${files}" PARENT_SCOPE)
endfunction()

# Writes the template of <domain> to <output> with xgettext. Without source
# locations, so that the template changes only when a message id does.
function(morva_write_template xgettext domain root output)
  morva_catalog_sources(${domain} "${root}" files)
  execute_process(
    COMMAND "${xgettext}" --language=C++ --from-code=UTF-8 --add-comments=TRANSLATORS: --no-location
            ${MORVA_XGETTEXT_KEYWORDS} --package-name=${domain}
            --msgid-bugs-address=maintainers@morva-reporter.invalid --copyright-holder=${MORVA_COPYRIGHT_HOLDER}
            --sort-by-file --output=${output} ${files}
    WORKING_DIRECTORY "${root}"
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "xgettext failed for ${domain}")
  endif()
endfunction()
