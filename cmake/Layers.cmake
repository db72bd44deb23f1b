# The subsystem libraries and the include rule the build enforces.
#
#   ampliro_layer(<target> <folder> [EXCLUDE <subfolder>] [LINKS <target>...])
#
# Creates the library <target> from the .cpp files under <folder>, less those
# under <folder>/<subfolder> (a layer of its own nested inside). Its public
# include directory is a folder made in the build tree that holds nothing but
# a symbolic link <folder> -> the source folder, so "<folder>/x.h" resolves
# for the library itself and for whatever links it, and for nothing else. The
# source root is never an include directory: a file that includes a header
# of a layer its library does not link fails to compile, "file not found".
#
# The effects folder holds two layers: effects/units/ (one DSP unit a folder,
# which see each other and the standard library only) and the pedals above
# them (effects/ less units/). The units' include folder links effects/units
# alone, so a unit cannot find a pedal's header. A layer without sources yet
# is an INTERFACE library: it still carries its include folder and links.

set(AMPLIRO_LAYER_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/layers)

function(ampliro_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 layer "" "EXCLUDE" "LINKS")
  set(source_dir ${CMAKE_SOURCE_DIR}/${folder})
  set(include_dir ${AMPLIRO_LAYER_INCLUDE_ROOT}/${target})
  # Made afresh at every configure, so a removed folder leaves no stale link.
  file(REMOVE_RECURSE ${include_dir})
  get_filename_component(link_parent ${include_dir}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${link_parent})
  file(CREATE_LINK ${source_dir} ${include_dir}/${folder} SYMBOLIC)

  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${source_dir}/*.cpp)
  if(layer_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${source_dir}/${layer_EXCLUDE}/")
  endif()
  # The program's entry point is the executable's own source.
  list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/app/main.cpp)

  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${include_dir})
    target_compile_options(${target} PRIVATE ${AMPLIRO_WARNINGS})
    target_link_libraries(${target} PUBLIC ${layer_LINKS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${include_dir})
    target_link_libraries(${target} INTERFACE ${layer_LINKS})
  endif()
endfunction()

# Adds to <target> an include folder holding one link <name> -> <source>, for
# programs outside the layers (the tests and their own helpers) that include
# "<name>/x.h". Targets asking for the same name share the folder.
function(ampliro_include_link target name source)
  set(include_dir ${AMPLIRO_LAYER_INCLUDE_ROOT}/${name})
  file(MAKE_DIRECTORY ${include_dir})
  file(CREATE_LINK ${source} ${include_dir}/${name} SYMBOLIC)
  target_include_directories(${target} PRIVATE ${include_dir})
endfunction()
