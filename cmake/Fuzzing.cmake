# Fuzz builds (VEL_LIBFUZZER, clang only): everything compiled in the tree
# carries libFuzzer's coverage counters and comparison hooks, so that the
# fuzz targets are guided by the parsers they reach in the core and the
# companion server, not only by their own file. The fuzz targets themselves
# link libFuzzer (fuzz/CMakeLists.txt).
if(VEL_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VEL_LIBFUZZER needs clang (CXX=clang++)")
  endif()
  if(NOT VEL_SANITIZE STREQUAL "address")
    message(WARNING "VEL_LIBFUZZER without VEL_SANITIZE=address finds crashes only")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
