# wxWidgets through wx-config, as imported interface targets:
#   wx::base  - wxBase only (strings, translations, threads, files)
#   wx::gui   - the GUI libraries, for app/ only
set(WX_CONFIG "wx-config" CACHE STRING "wx-config executable")

function(morva_wx_target target)
  execute_process(COMMAND ${WX_CONFIG} --cxxflags ${ARGN}
                  OUTPUT_VARIABLE cflags OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "wx-config failed for ${ARGN}; is libwxgtk3.2-dev installed?")
  endif()
  execute_process(COMMAND ${WX_CONFIG} --libs ${ARGN}
                  OUTPUT_VARIABLE libs OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(cflags UNIX_COMMAND "${cflags}")
  separate_arguments(libs UNIX_COMMAND "${libs}")
  if(WIN32 AND "${ARGN}" STREQUAL "base")
    # Programs on wxBase alone are console programs.
    list(REMOVE_ITEM libs "-mwindows" "-Wl,--subsystem,windows")
  endif()
  set(incs "")
  set(defs "")
  set(opts "")
  foreach(f IN LISTS cflags)
    if(f MATCHES "^-I(.*)")
      list(APPEND incs "${CMAKE_MATCH_1}")
    elseif(f MATCHES "^-D(.*)")
      list(APPEND defs "${CMAKE_MATCH_1}")
    else()
      list(APPEND opts "${f}")
    endif()
  endforeach()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${incs}"
    INTERFACE_INCLUDE_DIRECTORIES "${incs}"
    INTERFACE_COMPILE_DEFINITIONS "${defs}"
    INTERFACE_COMPILE_OPTIONS "${opts}"
    INTERFACE_LINK_LIBRARIES "${libs}")
endfunction()

morva_wx_target(wx::base base)
morva_wx_target(wx::gui core base adv)
# wxBase's "no GUI" switch would reach the window through the libraries it
# shares with the headless reader; a base-only target still cannot link GUI
# code, so the switch is left out.
get_target_property(_morva_wx_base_defs wx::base INTERFACE_COMPILE_DEFINITIONS)
list(REMOVE_ITEM _morva_wx_base_defs "wxUSE_GUI=0")
set_target_properties(wx::base PROPERTIES INTERFACE_COMPILE_DEFINITIONS "${_morva_wx_base_defs}")
