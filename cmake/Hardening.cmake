# Vornic is built as Debian builds its own programs: what
# `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` gives on Debian 13,
# the preprocessor flag included (CMake reads no CPPFLAGS). Debian 12's GCC
# takes every one of them, so both releases get the same. The Windows build
# gets the stack protector; ASLR and DEP are the linker's defaults there.
# The sanitizer and fuzz presets turn it off: they bring their own flags.
option(VORNIC_HARDENING "Build with the stack protector and the other hardening flags" ON)

if(VORNIC_HARDENING AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # The link needs it too: GCC then links its stack protector library.
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    add_compile_options(-fstack-clash-protection -Wformat -Werror=format-security)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
      add_compile_options(-fcf-protection)
    endif()
    # Fortify needs the optimiser; without it glibc warns, and -Werror fails.
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    add_link_options(-Wl,-z,relro -Wl,-z,now)
  endif()
endif()
