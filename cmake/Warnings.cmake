# Warnings for our own targets only (third-party headers stay quiet).
# CI builds with VLK_WERROR=ON, so that a new warning fails the run.
option(VLK_WERROR "Treat warnings in our own targets as errors" OFF)
function(vlk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(VLK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
