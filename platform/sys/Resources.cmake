# binoxa_resources(<target> BITMAP <id> <file.bmp> [BITMAP <id> <file.bmp>...])
#
# Compiles the resources into the target: bxrc turns them into a source whose
# array lies in the ELF section ".binoxa_resources", where LoadBitmap finds
# them by module and id. The files may be made by the build (their custom
# commands are followed). A target may be given resources more than once.
function(binoxa_resources target)
    set(arguments ${ARGN})
    list(LENGTH arguments count)
    math(EXPR rest "${count} % 3")
    if(count EQUAL 0 OR NOT rest EQUAL 0)
        message(FATAL_ERROR "binoxa_resources(${target}): give BITMAP <id> <file> triples")
    endif()
    set(files "")
    math(EXPR last "${count} - 1")
    foreach(index RANGE 2 ${last} 3)
        list(GET arguments ${index} file)
        list(APPEND files "${file}")
    endforeach()
    get_property(serial TARGET ${target} PROPERTY BINOXA_RESOURCE_SERIAL)
    if(NOT serial)
        set(serial 0)
    endif()
    math(EXPR next "${serial} + 1")
    set_property(TARGET ${target} PROPERTY BINOXA_RESOURCE_SERIAL ${next})
    set(source "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources${serial}.cpp")
    add_custom_command(
        OUTPUT "${source}"
        COMMAND bxrc "${source}" ${arguments}
        DEPENDS bxrc ${files}
        COMMENT "Compiling the resources of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE "${source}")
endfunction()
