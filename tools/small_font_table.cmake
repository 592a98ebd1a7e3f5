# Writes charset/small_font_table.cpp from the drawing of the calculator's
# small font in charset/small_font.txt, or checks that the committed file is
# what the drawing gives.
#
#   cmake -DFONT=charset/small_font.txt -DOUTPUT=charset/small_font_table.cpp -P tools/small_font_table.cmake
#   cmake -DFONT=charset/small_font.txt -DCHECK=charset/small_font_table.cpp -P tools/small_font_table.cmake
#
# The drawing has one block per code 0 to 255, in order. A block starts with
# "code N ..." and holds five rows of "#" (ink) and "." (paper), all of one
# length (the glyph's width, at most 8, its last column blank), or no rows (a
# glyph of width 0), or one line "as M": the glyph of the earlier code M,
# which must be drawn itself. Lines starting with "# " are comments; blank
# lines are ignored. CHECK fails with the first differing line when the file
# is out of date.
cmake_minimum_required(VERSION 3.25)

if(NOT FONT OR (NOT OUTPUT AND NOT CHECK))
  message(FATAL_ERROR "usage: cmake -DFONT=small_font.txt (-DOUTPUT=file | -DCHECK=file) -P small_font_table.cmake")
endif()

set(kRowCount 5)

# "#.#." -> 0xA0: column 0 is the high bit.
function(row_byte row result)
  string(LENGTH "${row}" width)
  set(value 0)
  set(bit 128)
  math(EXPR last "${width} - 1")
  foreach(column RANGE 0 ${last})
    string(SUBSTRING "${row}" ${column} 1 pixel)
    if(pixel STREQUAL "#")
      math(EXPR value "${value} + ${bit}")
    endif()
    math(EXPR bit "${bit} / 2")
  endforeach()
  math(EXPR value "${value}" OUTPUT_FORMAT HEXADECIMAL)
  string(TOUPPER "${value}" value)
  string(REPLACE "0X" "0x" value "${value}")
  string(LENGTH "${value}" digits)
  if(digits EQUAL 3)
    string(REPLACE "0x" "0x0" value "${value}")
  endif()
  set(${result} "${value}" PARENT_SCOPE)
endfunction()

# Finishes the block of `code`: checks its rows and stores its width and row
# bytes as glyph_<code>_width and glyph_<code>_rows in the caller's scope.
macro(finish_block)
  if(NOT "${code}" STREQUAL "")
    list(LENGTH rows row_count)
    if(NOT "${alias}" STREQUAL "")
      if(row_count GREATER 0)
        message(FATAL_ERROR "${FONT}: code ${code} has rows as well as 'as ${alias}'")
      endif()
      if(NOT DEFINED glyph_${alias}_width OR NOT "${glyph_${alias}_alias}" STREQUAL "")
        message(FATAL_ERROR "${FONT}: code ${code} is drawn 'as ${alias}', which is not an earlier drawn glyph")
      endif()
      set(glyph_${code}_width ${glyph_${alias}_width})
      set(glyph_${code}_rows "${glyph_${alias}_rows}")
      set(glyph_${code}_alias ${alias})
    elseif(row_count EQUAL 0)
      set(glyph_${code}_width 0)
      set(glyph_${code}_rows "0x00, 0x00, 0x00, 0x00, 0x00")
      set(glyph_${code}_alias "")
    elseif(row_count EQUAL kRowCount)
      list(GET rows 0 first)
      string(LENGTH "${first}" width)
      if(width GREATER 8)
        message(FATAL_ERROR "${FONT}: code ${code} is ${width} columns wide; 8 at most")
      endif()
      set(bytes "")
      foreach(row IN LISTS rows)
        string(LENGTH "${row}" length)
        if(NOT length EQUAL width)
          message(FATAL_ERROR "${FONT}: code ${code} has rows of different widths ('${row}')")
        endif()
        if(NOT row MATCHES "\\.$")
          message(FATAL_ERROR "${FONT}: code ${code}: the last column spaces characters and must stay blank ('${row}')")
        endif()
        row_byte("${row}" byte)
        list(APPEND bytes "${byte}")
      endforeach()
      list(JOIN bytes ", " joined)
      set(glyph_${code}_width ${width})
      set(glyph_${code}_rows "${joined}")
      set(glyph_${code}_alias "")
    else()
      message(FATAL_ERROR "${FONT}: code ${code} has ${row_count} rows; a glyph has ${kRowCount} or none")
    endif()
  endif()
endmacro()

file(READ "${FONT}" content)
string(REPLACE ";" "," content "${content}")
string(REPLACE "\r" "" content "${content}")
string(REPLACE "\n" ";" lines "${content}")

set(code "")
set(expected 0)
set(rows "")
set(alias "")
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^# ")
    continue()
  endif()
  if(line MATCHES "^code ([0-9]+)( |$)")
    set(next_code ${CMAKE_MATCH_1})
    finish_block()
    set(code ${next_code})
    if(NOT code EQUAL expected)
      message(FATAL_ERROR "${FONT}: block for code ${expected} expected, found '${line}'")
    endif()
    math(EXPR expected "${expected} + 1")
    set(rows "")
    set(alias "")
  elseif("${code}" STREQUAL "")
    message(FATAL_ERROR "${FONT}: '${line}' stands before the first block")
  elseif(line MATCHES "^as ([0-9]+)$")
    set(alias ${CMAKE_MATCH_1})
  elseif(line MATCHES "^[#.]+$")
    list(APPEND rows "${line}")
  else()
    message(FATAL_ERROR "${FONT}: code ${code}: '${line}' is neither a row of '#' and '.' nor 'as M'")
  endif()
endforeach()
finish_block()
if(NOT expected EQUAL 256)
  message(FATAL_ERROR "${FONT}: ${expected} codes; the font needs all 256")
endif()

set(entries "")
foreach(code RANGE 0 255)
  set(comment "${code}")
  if(NOT "${glyph_${code}_alias}" STREQUAL "")
    set(comment "${code}, as ${glyph_${code}_alias}")
  endif()
  string(APPEND entries "        {${glyph_${code}_width}, {${glyph_${code}_rows}}},  // ${comment}\n")
endforeach()

set(generated "// The calculator's small font, one glyph per code. Generated by
// tools/small_font_table.cmake from charset/small_font.txt; change the
// drawing and run the generator, not this file (a test fails while the two
// differ).
// clang-format off
#include \"charset/small_font.h\"

namespace tessaline::charset {

const std::array<Glyph, 256>& smallFont()
{
    static constexpr std::array<Glyph, 256> font = {{
${entries}    }};
    return font;
}

}  // namespace tessaline::charset
// clang-format on
")

include(${CMAKE_CURRENT_LIST_DIR}/generated_file.cmake)
write_or_check_generated("${generated}" FONT)
