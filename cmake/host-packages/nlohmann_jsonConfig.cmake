# The host's header-only nlohmann/json for the cross build (see WindowsCross.cmake).
if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${TABRIX_HOST_HEADERS}
        INTERFACE_COMPILE_FEATURES cxx_std_11)
endif()
