# SPDX-License-Identifier: GPL-2.0-or-later
# KELVANE_WERROR: the Qt-free layers and the library build with a pedantic
# set of warnings, each one an error. Qt's headers don't pass this set, so
# the window layer keeps -Wall -Wextra.
option(KELVANE_WERROR "Build the Qt-free layers with -Werror and pedantic warnings" OFF)

set(KELVANE_STRICT_WARNINGS -Werror -Wconversion -Wshadow -Wpedantic $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast>)

# kelvane_strict_warnings(target...): applies the set to each target that
# exists in this configuration.
function(kelvane_strict_warnings)
  if(NOT KELVANE_WERROR)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    if(TARGET ${target})
      target_compile_options(${target} PRIVATE ${KELVANE_STRICT_WARNINGS})
    endif()
  endforeach()
endfunction()
