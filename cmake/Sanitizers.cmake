# TZ_SANITIZE=address builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# TZ_SANITIZE=thread with ThreadSanitizer. Empty: no sanitizer.
set(TZ_SANITIZE "" CACHE STRING "Sanitizer build: address, thread or empty")
set_property(CACHE TZ_SANITIZE PROPERTY STRINGS "" address thread)

if(TZ_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TZ_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TZ_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TZ_SANITIZE must be address, thread or empty")
endif()
