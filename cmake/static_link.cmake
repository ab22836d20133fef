# PATCHER_STATIC_LINK: programs carry their third-party libraries (libjpeg, libpng, FreeType,
# fontconfig and what those need) and the C++ runtime inside. Loaded as shared libraries they
# cost every patchkit command ~13 libraries to map and relocate at start, fonts and pictures
# or not (about 1.5 times the start-up of a trivial C++ program); linked in, a command that
# draws nothing starts as fast as that program. Debian's -dev packages ship the static archives.
# Native builds only: the MinGW builds link everything statically already.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)       # PNG::PNG brings ZLIB::ZLIB along
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)

# The static archives do not name the libraries they need themselves (the shared ones do).
function(_static_dependency target)
    foreach(name ${ARGN})
        find_library(STATIC_${name} NAMES lib${name}.a REQUIRED)
        set_property(TARGET ${target} APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${STATIC_${name}})
    endforeach()
endfunction()
set_property(TARGET Freetype::Freetype APPEND PROPERTY INTERFACE_LINK_LIBRARIES PNG::PNG)
_static_dependency(Freetype::Freetype brotlidec brotlicommon)
set_property(TARGET Fontconfig::Fontconfig APPEND PROPERTY INTERFACE_LINK_LIBRARIES
             Freetype::Freetype)
_static_dependency(Fontconfig::Fontconfig expat)

