# Writes a C++ header that holds text files byte for byte, one std::string_view each, so
# that the portal carries its pages inside the executable and runs from any folder.
#   cmake -DOUTPUT=<header> -DNAMESPACE=<namespace> -P embed_texts.cmake -- <file>...
# A file's constant is named after it: top_bar.html gives kTopBarHtml. Every byte is
# written as a \xNN escape, so no content can end the string literal early.
set(files)
set(after_dashes FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(index RANGE ${last})
  if(after_dashes)
    list(APPEND files "${CMAKE_ARGV${index}}")
  elseif(CMAKE_ARGV${index} STREQUAL "--")
    set(after_dashes TRUE)
  endif()
endforeach()

# 32 bytes (64 hex digits) per line of the literal.
string(REPEAT "[0-9a-f]" 64 line_of_hex)
set(header "// Made at build time by tools/portal/embed_texts.cmake: edit the files it names.\n")
string(APPEND header "#pragma once\n\n#include <string_view>\n\nnamespace ${NAMESPACE} {\n")
foreach(file ${files})
  get_filename_component(file_name "${file}" NAME)
  string(REGEX REPLACE "[^A-Za-z0-9]+" ";" words "${file_name}")
  set(constant "k")
  foreach(word ${words})
    string(SUBSTRING "${word}" 0 1 first)
    string(SUBSTRING "${word}" 1 -1 rest)
    string(TOUPPER "${first}" first)
    string(APPEND constant "${first}${rest}")
  endforeach()

  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "(${line_of_hex})" "\\1\n" lines "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" lines "${lines}")
  string(REGEX REPLACE "\n$" "" lines "${lines}")
  string(REPLACE "\n" "\"\n    \"" lines "${lines}")
  string(APPEND header "\n// ${file_name}\ninline constexpr std::string_view ${constant}{\n    \"${lines}\",\n    ${size}};\n")
endforeach()
string(APPEND header "\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}" "${header}")
