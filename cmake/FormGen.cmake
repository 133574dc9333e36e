# Form descriptions: vr_add_form_descriptions(<target> <description files...>)
#
# Translates each NAME.form into NAME_form.h (included in the form class's body) and
# NAME_form.cpp (its ReadDescription) at build time, adds them to the target and puts their
# folder on the target's include path. Give the descriptions a file inherits from in the same
# call. The generator names the description's file and line for its own errors, and the
# generated code carries #line directives so that the compiler does the same.
find_program(VR_PYTHON3 python3 REQUIRED)
set(VR_FORMGEN ${CMAKE_CURRENT_LIST_DIR}/../tools/formgen/formgen.py)
get_filename_component(VR_FORMGEN ${VR_FORMGEN} ABSOLUTE)

function(vr_add_form_descriptions target)
  set(_out ${CMAKE_BINARY_DIR}/generated/forms/${target})
  set(_inputs)
  set(_outputs)
  set(_sources)
  foreach(f ${ARGN})
    get_filename_component(_abs ${f} ABSOLUTE)
    get_filename_component(_name ${_abs} NAME)
    string(REGEX REPLACE "\\.form$" "" _stem ${_name})
    list(APPEND _inputs ${_abs})
    list(APPEND _outputs ${_out}/${_stem}_form.h ${_out}/${_stem}_form.cpp)
    list(APPEND _sources ${_out}/${_stem}_form.cpp)
  endforeach()
  if(NOT _inputs)
    return()
  endif()
  add_custom_command(OUTPUT ${_outputs}
    COMMAND ${VR_PYTHON3} ${VR_FORMGEN} --out ${_out} ${_inputs}
    DEPENDS ${VR_FORMGEN} ${_inputs}
    COMMENT "Translating the form descriptions of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${_outputs})
  target_include_directories(${target} PUBLIC ${_out})
endfunction()
