# The hardening Debian gives its packages: stack protection, the C library's
# checked string and memory calls (optimised builds only, as they need the
# optimiser), and relocations done at load time and then made read-only.
# Sanitizer and fuzzing builds go without: they check more than this.
option(TZ_HARDEN "Build with Debian's hardening flags" ON)
if(TZ_HARDEN AND TZ_SANITIZE STREQUAL "" AND NOT TZ_FUZZ)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_link_options("LINKER:-z,relro" "LINKER:-z,now")
endif()
