# Fails when a folder of the sources reaches into one it must not know:
#   cmake -DSOURCE_DIR=<src> -P CheckLayering.cmake
# Each rule names a folder, the include paths its C++ files must not use, and the QML modules
# its files must neither import nor load by resource path. The shell (app, ui) knows nothing of
# the simulated desktop that hosts it, nor of the program that picks that desktop; the desktop
# knows the shell only through QML (its Shell model and panel), never its C++, and never the
# screens' own types; lower layers know none of them. The Qt Quick items that the screens and the
# desktop share (quick) know only Qt. The cloud layer knows no store: it sits below the model,
# above the activity log that every subsystem reports through. The screens (ui) never include the
# shell's C++: the shell composes them.
cmake_minimum_required(VERSION 3.25)

set(rules
    "app      | desktop/ program/ platform/simulated/                         | Nimbrel.Desktop"
    "ui       | app/ desktop/ program/ platform/simulated/                    | Nimbrel.Desktop"
    "desktop  | program/ app/ ui/                                             | Nimbrel.Screens"
    "quick    | platform/ activity/ model/ engine/ sessions/ sync/ app/ ui/ desktop/ program/ | Nimbrel.App Nimbrel.Models Nimbrel.Screens Nimbrel.Desktop"
    "platform | activity/ model/ engine/ sessions/ sync/ quick/ app/ ui/ desktop/ program/ |"
    "activity | model/ engine/ sessions/ sync/ quick/ app/ ui/ desktop/ program/    |"
    "model    | engine/ sessions/ quick/ app/ ui/ desktop/ program/           |"
    "engine   | sessions/ quick/ app/ ui/ desktop/ program/                   |"
    "sessions | engine/ quick/ app/ ui/ desktop/ program/                     |"
    "sync     | model/ engine/ sessions/ quick/ app/ ui/ desktop/ program/    |")

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "CheckLayering: SOURCE_DIR '${SOURCE_DIR}' is not a folder")
endif()

set(violations 0)
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(GET parts 1 includes)
  list(GET parts 2 modules)
  string(STRIP "${folder}" folder)
  separate_arguments(includes UNIX_COMMAND "${includes}")
  separate_arguments(modules UNIX_COMMAND "${modules}")
  file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.qml")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines)
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
    foreach(line IN LISTS lines)
      foreach(path IN LISTS includes)
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]${path}")
          message("${shown}: ${folder}/ must not include ${path}: ${line}")
          math(EXPR violations "${violations} + 1")
        endif()
      endforeach()
      foreach(module IN LISTS modules)
        string(REPLACE "." "/" resource "${module}")
        string(REPLACE "." "\\." name "${module}")
        if(line MATCHES "^[ \t]*import[ \t]+${name}" OR line MATCHES "/${resource}")
          message("${shown}: ${folder}/ must not use the QML module ${module}: ${line}")
          math(EXPR violations "${violations} + 1")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "CheckLayering: ${violations} reference(s) across layers")
endif()
message("CheckLayering: no folder reaches into one it must not know")
