# Included into the project (CMAKE_PROJECT_INCLUDE) when the tree is configured for Windows against
# this machine's Qt, only to learn what a Windows build compiles and with which flags. Nothing is
# linked, but CMake asks every shared library a Windows program uses for its import library: name
# the library itself, which is never read.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _vtl_name_import_libraries)

function(_vtl_name_import_libraries)
    get_directory_property(imported DIRECTORY ${CMAKE_SOURCE_DIR} IMPORTED_TARGETS)
    foreach(target IN LISTS imported)
        get_target_property(type ${target} TYPE)
        if(NOT type STREQUAL "SHARED_LIBRARY")
            continue()
        endif()
        get_target_property(configs ${target} IMPORTED_CONFIGURATIONS)
        foreach(config IN LISTS configs)
            get_target_property(location ${target} IMPORTED_LOCATION_${config})
            set_target_properties(${target} PROPERTIES IMPORTED_IMPLIB_${config} "${location}")
        endforeach()
        get_target_property(location ${target} IMPORTED_LOCATION)
        if(location)
            set_target_properties(${target} PROPERTIES IMPORTED_IMPLIB "${location}")
        endif()
    endforeach()
endfunction()
