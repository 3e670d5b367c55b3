# One static library per folder, tt_<folder>, each linking only folders
# defined before it, so no circle can form. The build also refuses a source
# that includes a header of a folder its library does not link: see
# check_layers.cmake, run as the first step of every build.
#
#   tt_layer(<folder> [USES <lower folders>...] [QT <Qt modules>...]
#            [LIBS <other libraries>...] [PRIVATE_LIBS ...] SOURCES <files>...)
function(tt_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 L "" "" "USES;QT;LIBS;PRIVATE_LIBS;SOURCES")
  set(target tt_${folder})
  add_library(${target} STATIC ${L_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${target} PUBLIC QT_NO_KEYWORDS)
  set(reach ${folder})
  foreach(lower IN LISTS L_USES)
    get_property(lower_reach GLOBAL PROPERTY TT_LAYER_REACH_${lower})
    if(NOT lower_reach)
      message(FATAL_ERROR "${folder} uses ${lower}, which is not a layer below it")
    endif()
    target_link_libraries(${target} PUBLIC tt_${lower})
    list(APPEND reach ${lower_reach})
  endforeach()
  list(REMOVE_DUPLICATES reach)
  foreach(module IN LISTS L_QT)
    target_link_libraries(${target} PUBLIC Qt6::${module})
  endforeach()
  target_link_libraries(${target} PUBLIC ${L_LIBS} PRIVATE ${L_PRIVATE_LIBS})
  set_property(GLOBAL PROPERTY TT_LAYER_REACH_${folder} "${reach}")
  set_property(GLOBAL APPEND PROPERTY TT_LAYERS ${folder})
endfunction()

# Call once, after every layer is defined.
function(tt_layer_check)
  get_property(layers GLOBAL PROPERTY TT_LAYERS)
  set(map "")
  set(all_sources "")
  foreach(folder IN LISTS layers)
    get_property(reach GLOBAL PROPERTY TT_LAYER_REACH_${folder})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
         ${PROJECT_SOURCE_DIR}/${folder}/*.h ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND all_sources ${sources})
    string(REPLACE ";" "," reach_text "${reach}")
    string(APPEND map "${folder}=${reach_text}\n")
  endforeach()
  set(map_file ${CMAKE_BINARY_DIR}/layers.txt)
  file(WRITE ${map_file} "${map}")
  set(stamp ${CMAKE_BINARY_DIR}/layers.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DMAP=${map_file} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
    DEPENDS ${all_sources} ${map_file} ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
    COMMENT "Checking that every folder includes only the folders below it"
    VERBATIM)
  add_custom_target(tt_layers DEPENDS ${stamp})
  foreach(folder IN LISTS layers)
    add_dependencies(tt_${folder} tt_layers)
  endforeach()
endfunction()
