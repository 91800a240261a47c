# The layers of src/: each folder is built into one library, and a file may
# include from another folder only when its library links that folder's library,
# directly or through others. The link graph is read here, where every target is
# known; a test then checks every include against it, so a new include that
# points the wrong way (say, results/ reaching up into archive/) fails the suite.

# folder of src/ -> its library; a subfolder named here is a layer of its own.
set(FRAMEWISE_LAYERS
    core=framewise_core platform=framewise_platform locate=framewise_locate
    bench=framewise_bench results=framewise_results archive=framewise_archive
    help=framewise_help cli=framewise_cli app=framewise_window
    app/chart=framewise_chart_window)

# The framewise_ libraries that target links, directly or not.
function(framewise_linked_closure target out)
  set(seen)
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    get_target_property(aliased ${t} ALIASED_TARGET)
    if(aliased)
      set(t ${aliased})
    endif()
    get_target_property(links ${t} LINK_LIBRARIES)
    get_target_property(ilinks ${t} INTERFACE_LINK_LIBRARIES)
    foreach(lib IN LISTS links ilinks)
      if(lib MATCHES "^framewise_" AND TARGET ${lib})
        get_target_property(real ${lib} ALIASED_TARGET)
        if(real)
          set(lib ${real})
        endif()
        if(NOT lib IN_LIST seen)
          list(APPEND seen ${lib})
          list(APPEND todo ${lib})
        endif()
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(framewise_check_layers)
  set(rows)
  foreach(layer IN LISTS FRAMEWISE_LAYERS)
    string(REPLACE "=" ";" pair ${layer})
    list(GET pair 0 folder)
    list(GET pair 1 target)
    if(NOT TARGET ${target})
      continue() # not part of this build, nor are its files
    endif()
    framewise_linked_closure(${target} linked)
    if(target IN_LIST linked)
      message(FATAL_ERROR "${target} links itself through its own libraries: the layers of src/ form a cycle")
    endif()
    # The folders this one may include from: its own and those of what it links.
    set(allowed ${folder})
    foreach(other IN LISTS FRAMEWISE_LAYERS)
      string(REPLACE "=" ";" opair ${other})
      list(GET opair 0 ofolder)
      list(GET opair 1 otarget)
      if(otarget IN_LIST linked)
        list(APPEND allowed ${ofolder})
      endif()
    endforeach()
    list(JOIN allowed " " allowed)
    string(APPEND rows "${folder}: ${allowed}\n")
  endforeach()
  set(table ${PROJECT_BINARY_DIR}/layers.txt)
  file(WRITE ${table} "${rows}")
  if(FRAMEWISE_TESTS AND NOT CMAKE_CROSSCOMPILING)
    add_test(NAME layers COMMAND ${CMAKE_COMMAND} -DTABLE=${table} -DSOURCES=${PROJECT_SOURCE_DIR}/src
                                 -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake)
  endif()
endfunction()
