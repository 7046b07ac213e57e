# One interface target carries the warning and sanitizer flags; every target links it.
add_library(echobatch_warnings INTERFACE)
target_compile_options(echobatch_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wconversion -Wno-sign-conversion
  -Wnull-dereference -Wformat=2)
if(ECHOBATCH_WERROR)
  target_compile_options(echobatch_warnings INTERFACE -Werror)
endif()
if(ECHOBATCH_SANITIZE)
  target_compile_options(echobatch_warnings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(echobatch_warnings INTERFACE -fsanitize=address,undefined)
endif()

# echobatch_executable(name SOURCES...): an executable in build/bin with the warnings linked.
function(echobatch_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE echobatch_warnings)
endfunction()
