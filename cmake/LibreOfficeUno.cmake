# The office's UNO SDK: C++ headers generated from the office's type libraries at build time
# (Debian packages the generator and the type libraries, not the headers), and the runtime
# libraries to link. Sets LIBREOFFICE_UNO_FOUND and, when found, the interface target uno_api.

set(LIBREOFFICE_PROGRAM_DIR /usr/lib/libreoffice/program CACHE PATH
    "The office's program folder (its URE libraries and type libraries)")
set(LIBREOFFICE_SDK_DIR /usr/lib/libreoffice/sdk CACHE PATH "The office's SDK folder")

find_program(LIBREOFFICE_CPPUMAKER cppumaker HINTS ${LIBREOFFICE_SDK_DIR}/bin NO_DEFAULT_PATH)
set(_uno_types ${LIBREOFFICE_PROGRAM_DIR}/types.rdb)
set(_office_types ${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb)

set(LIBREOFFICE_UNO_FOUND FALSE)
if(LIBREOFFICE_CPPUMAKER AND EXISTS ${_uno_types} AND EXISTS ${_office_types}
   AND EXISTS ${LIBREOFFICE_SDK_DIR}/include/sal/types.h
   AND EXISTS ${LIBREOFFICE_SDK_DIR}/lib/libuno_cppu.so)
    set(LIBREOFFICE_UNO_FOUND TRUE)
endif()

if(LIBREOFFICE_UNO_FOUND AND NOT TARGET uno_api)
    # Every type is generated: it takes under a second, and a header that a list of types left
    # out would fail the build far from its cause.
    set(_outdir ${CMAKE_BINARY_DIR}/uno-headers)
    add_custom_command(
        OUTPUT ${_outdir}/.stamp
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${_outdir}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_outdir}
        COMMAND ${LIBREOFFICE_CPPUMAKER} -Gc -O${_outdir} ${_uno_types} ${_office_types}
        COMMAND ${CMAKE_COMMAND} -E touch ${_outdir}/.stamp
        DEPENDS ${_uno_types} ${_office_types}
        COMMENT "Generating the office's UNO headers"
        VERBATIM)
    add_custom_target(uno_api_headers DEPENDS ${_outdir}/.stamp)
    add_library(uno_api INTERFACE)
    add_dependencies(uno_api uno_api_headers)
    target_include_directories(uno_api SYSTEM INTERFACE ${_outdir} ${LIBREOFFICE_SDK_DIR}/include)
    target_compile_definitions(uno_api INTERFACE LINUX UNX CPPU_ENV=gcc3)
    # The SDK's link names point into program/, whose libraries need their neighbours there:
    # found at link time through -rpath-link and at run time through the RUNPATH.
    target_link_options(uno_api INTERFACE "LINKER:-rpath-link,${LIBREOFFICE_PROGRAM_DIR}"
                        "LINKER:-rpath,${LIBREOFFICE_PROGRAM_DIR}")
    target_link_libraries(uno_api INTERFACE
        ${LIBREOFFICE_SDK_DIR}/lib/libuno_cppuhelpergcc3.so
        ${LIBREOFFICE_SDK_DIR}/lib/libuno_cppu.so
        ${LIBREOFFICE_SDK_DIR}/lib/libuno_salhelpergcc3.so
        ${LIBREOFFICE_SDK_DIR}/lib/libuno_sal.so)
endif()
