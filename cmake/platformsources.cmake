# A source file for one system only is named after it: NAME_win.cpp is built
# on Windows, NAME_unix.cpp everywhere else.
#   quozzolo_platform_sources(TARGET NAME...)
function(quozzolo_platform_sources target)
    if(WIN32)
        set(suffix _win.cpp)
    else()
        set(suffix _unix.cpp)
    endif()
    foreach(name IN LISTS ARGN)
        target_sources(${target} PRIVATE ${name}${suffix})
    endforeach()
endfunction()
