# The host's header-only CLI11 for the cross build (see WindowsCross.cmake).
if(NOT TARGET CLI11::CLI11)
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${TABRIX_HOST_HEADERS}
        INTERFACE_COMPILE_FEATURES cxx_std_11)
endif()
