# Strict warnings for the project's own targets only (never for system headers).
function(tamsel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
