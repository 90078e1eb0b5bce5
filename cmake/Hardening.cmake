# The hardening Debian builds its packages with (dpkg-buildflags with
# hardening=+all): stack protector, fortified libc calls where the code is
# optimised, a read-only relocation table bound at start. Not in sanitizer
# builds, whose runtime does these checks its own way, nor for Windows.
if(MORVA_SANITIZE OR WIN32)
  return()
endif()
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_link_options(LINKER:-z,relro LINKER:-z,now)
