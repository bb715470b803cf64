# One warning set for every target of the project.
add_library(vel_warnings INTERFACE)
target_compile_options(vel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual)
if(VEL_WERROR)
  target_compile_options(vel_warnings INTERFACE -Werror)
endif()
# cpprestsdk's U() macro clashes with Qt headers; keep it off everywhere.
target_compile_definitions(vel_warnings INTERFACE _TURN_OFF_PLATFORM_STRING)
