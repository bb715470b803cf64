# Sanitizer builds apply to everything compiled in the tree, so that the
# library, the tests and the tools agree on the instrumentation.
if(VEL_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(VEL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=thread)
elseif(NOT VEL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VEL_SANITIZE must be empty, 'address' or 'thread'")
endif()
