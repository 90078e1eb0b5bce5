# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build.
# Any report aborts the process, so a test that triggers one fails.
if(MORVA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
  add_compile_definitions(MORVA_SANITIZED=1)
endif()
