cmake_policy(SET CMP0057 NEW)
# Fails unless the DLL exports exactly MirandaPluginInfo, Load and Unload
# (undecorated) and imports nothing but the system DLLs, and stays small;
# given MIN_UNWIND_COVERAGE (a percentage), also unless its function table
# covers at least that much of .text.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

# Imports: every "DLL Name:" line.
string(REGEX MATCHALL "DLL Name: [^\n]+" importLines "${dump}")
set(imports "")
foreach(line IN LISTS importLines)
    string(REGEX REPLACE "DLL Name: " "" name "${line}")
    string(TOUPPER "${name}" name)
    list(APPEND imports "${name}")
endforeach()
list(REMOVE_DUPLICATES imports)
message(STATUS "Imports: ${imports}")
foreach(name IN LISTS imports)
    if(NOT name MATCHES "^(KERNEL32|USER32|GDI32|MSVCRT)\\.DLL$")
        message(FATAL_ERROR "The DLL imports ${name}, which is not a system DLL")
    endif()
endforeach()
if(NOT "KERNEL32.DLL" IN_LIST imports OR NOT "USER32.DLL" IN_LIST imports)
    message(FATAL_ERROR "Import table not found or incomplete: ${imports}")
endif()

# No wide window function is imported: the DLL must load on systems without
# Unicode window support, which lack some of them; it looks them up when a
# Unicode host needs them. A wide function's name ends in a small letter or
# digit and "W" (CreateWindowExW), unlike ShowWindow or CreateFontIndirectA.
string(REGEX MATCHALL "\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_0-9]+" importedFunctions "${dump}")
foreach(line IN LISTS importedFunctions)
    string(REGEX REPLACE ".* " "" function "${line}")
    if(function MATCHES "[a-z0-9]W$")
        message(FATAL_ERROR "The DLL imports the wide function ${function}")
    endif()
endforeach()
list(LENGTH importedFunctions importedCount)
if(importedCount LESS 10)
    message(FATAL_ERROR "Only ${importedCount} imported functions were found: the import table was misread")
endif()

# Exports: the lines of the "[Ordinal/Name Pointer] Table".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]+\n)+)" table "${dump}")
set(table "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" exportLines "${table}")
set(exports "")
foreach(line IN LISTS exportLines)
    string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${line}")
    string(STRIP "${name}" name)
    list(APPEND exports "${name}")
endforeach()
list(SORT exports)
message(STATUS "Exports: ${exports}")
if(NOT exports STREQUAL "Load;MirandaPluginInfo;Unload")
    message(FATAL_ERROR "The DLL must export exactly Load, MirandaPluginInfo, Unload; it exports: ${exports}")
endif()

# A 64-bit DLL: the share of .text its function table (.pdata) covers, the
# sum of EndAddress - BeginAddress over .text's size. A 64-bit host unwinds
# through these entries only; code outside them is taken for a leaf.
if(DEFINED MIN_UNWIND_COVERAGE)
    execute_process(COMMAND ${OBJDUMP} -h ${DLL} OUTPUT_VARIABLE sections RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT sections MATCHES "\n +[0-9]+ \\.text +([0-9a-f]+) +([0-9a-f]+) ")
        message(FATAL_ERROR "objdump -h found no .text in ${DLL}")
    endif()
    math(EXPR textSize "0x${CMAKE_MATCH_1}")
    math(EXPR textStart "0x${CMAKE_MATCH_2}")
    math(EXPR textEnd "${textStart} + ${textSize}")
    string(REGEX MATCH "The Function Table \\(interpreted \\.pdata section contents\\)[^\n]*\n[^\n]*\n(( [0-9a-f]+:\t[^\n]+\n)+)"
           functionTable "${dump}")
    string(REGEX MATCHALL "\t[0-9a-f]+ [0-9a-f]+ " entries "${CMAKE_MATCH_1}")
    set(covered 0)
    foreach(entry IN LISTS entries)
        string(REGEX MATCH "([0-9a-f]+) ([0-9a-f]+)" pair "${entry}")
        math(EXPR begin "0x${CMAKE_MATCH_1}")
        math(EXPR end "0x${CMAKE_MATCH_2}")
        if(begin GREATER_EQUAL textStart AND end LESS_EQUAL textEnd AND end GREATER begin)
            math(EXPR covered "${covered} + ${end} - ${begin}")
        endif()
    endforeach()
    list(LENGTH entries entryCount)
    math(EXPR coverage "${covered} * 1000 / ${textSize}")
    math(EXPR coverageWhole "${coverage} / 10")
    math(EXPR coverageTenth "${coverage} % 10")
    message(STATUS "Unwind entries: ${entryCount}, covering ${covered} of ${textSize} bytes of .text "
                   "(${coverageWhole}.${coverageTenth} %)")
    math(EXPR least "${MIN_UNWIND_COVERAGE} * 10")
    if(coverage LESS least)
        message(FATAL_ERROR "The function table covers ${coverageWhole}.${coverageTenth} % of .text, "
                            "below ${MIN_UNWIND_COVERAGE} %: functions without unwind entries")
    endif()
endif()

file(SIZE ${DLL} size)
message(STATUS "Size: ${size} bytes")
if(size GREATER SIZE_LIMIT)
    message(FATAL_ERROR "The DLL has grown to ${size} bytes, past ${SIZE_LIMIT}")
endif()
