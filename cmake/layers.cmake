# kalvora_layer(LIBRARY FOLDER [LINKS...]): a static library of FOLDER's sources (not its
# subfolders) that links LINKS, and a check before it builds that its sources include
# headers only from FOLDER and from the folders of the layers it links, directly or not.
function(kalvora_layer library folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  add_library(${library} STATIC ${sources})
  target_include_directories(${library} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${library} PUBLIC ${ARGN})
  set(visible ${folder})
  set(qt OFF)
  foreach(link IN LISTS ARGN)
    if(link STREQUAL "Qt6::Widgets")
      set(qt ON)
    elseif(TARGET ${link})
      get_target_property(below ${link} KALVORA_VISIBLE_FOLDERS)
      if(below)
        list(APPEND visible ${below})
      endif()
      get_target_property(below_qt ${link} KALVORA_QT)
      if(below_qt)
        set(qt ON)
      endif()
    endif()
  endforeach()
  # A layer on top of Qt Widgets has its meta-object code generated.
  set_target_properties(${library} PROPERTIES KALVORA_QT ${qt} AUTOMOC ${qt})
  list(REMOVE_DUPLICATES visible)
  set_target_properties(${library} PROPERTIES KALVORA_VISIBLE_FOLDERS "${visible}")

  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layers/${library}.checked)
  string(JOIN "," source_list ${sources})
  string(JOIN "," visible_list ${visible})
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${library} -DSOURCES=${source_list} -DVISIBLE=${visible_list}
            -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/check_layer_includes.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/check_layer_includes.cmake
    COMMENT "Checking that ${library} includes nothing from above"
    VERBATIM)
  add_custom_target(${library}_includes DEPENDS ${stamp})
  add_dependencies(${library} ${library}_includes)
endfunction()
