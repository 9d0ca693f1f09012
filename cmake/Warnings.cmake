# Every target of ours compiles with the same strict warnings; third-party code does not.
function(ferrolin_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Werror)
endfunction()
