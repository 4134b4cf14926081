# cmake -DDLL=... -DTEXTS=... -DNOTE=... -DPROJECT_VERSION=... -DSTAGE=... -DZIP=... -P MakeDist.cmake
#
# Stages the release in STAGE (Plugins/Quillmere.dll, Docs/Quillmere-translation.txt,
# Docs/Quillmere-install.txt) and zips it into ZIP. The template lists the string
# literals of TEXTS in their order, each once; the two texts get Windows line
# endings, since they are read in Notepad.
foreach(input DLL TEXTS NOTE PROJECT_VERSION STAGE ZIP)
    if("${${input}}" STREQUAL "")
        message(FATAL_ERROR "MakeDist.cmake needs -D${input}=...")
    endif()
endforeach()

# --- The texts: string literals of the header, skipping comments ---------------------
file(READ ${TEXTS} source)
# A semicolon would split the list of matches; it travels as a control character.
string(ASCII 1 semicolonStandIn)
string(REPLACE ";" "${semicolonStandIn}" source "${source}")

set(literal "\"([^\"\\\\\n]|\\\\.)*\"")
# Adjacent literals are one text to the compiler: they are matched as one token
# so that they can be refused rather than listed as two entries.
set(tokenPattern "//[^\n]*|/\\*([^*]|\\*+[^*/])*\\*+/|${literal}([ \t\r\n]*${literal})*")
string(REGEX MATCHALL "${tokenPattern}" tokens "${source}")

set(texts "")
foreach(token IN LISTS tokens)
    if(NOT token MATCHES "^\"")
        continue()  # a comment
    endif()
    string(REPLACE "${semicolonStandIn}" ";" shown "${token}")
    if(NOT token MATCHES "^${literal}$")
        message(FATAL_ERROR "${TEXTS}: adjacent string literals ${shown}: write the text as one literal")
    endif()
    if(token MATCHES "\\\\")
        message(FATAL_ERROR "${TEXTS}: ${shown} has a backslash escape, which a language pack cannot hold")
    endif()
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" text "${token}")
    if(text STREQUAL "")
        message(FATAL_ERROR "${TEXTS}: an empty text has nothing to translate")
    endif()
    # A translation line starting with ';' reads as a comment, one starting with '[' as a new entry.
    if(text MATCHES "^[[${semicolonStandIn}]")
        message(FATAL_ERROR "${TEXTS}: ${shown} starts with a character a language pack reads as markup")
    endif()
    list(FIND texts "${text}" seenAt)
    if(seenAt EQUAL -1)
        list(APPEND texts "${text}")
    endif()
endforeach()
if(texts STREQUAL "")
    message(FATAL_ERROR "${TEXTS} holds no string literal")
endif()

# --- The translation template --------------------------------------------------------
set(template "; Quillmere ${PROJECT_VERSION} translation template\r\n")
string(APPEND template
    "; Copy the entries below into your language pack, langpack_<language>.txt next to\r\n"
    "; miranda32.exe, and replace the line under each [text] with its translation.\r\n"
    "; '&' marks the shortcut letter. An entry left as it is changes nothing.\r\n")
foreach(text IN LISTS texts)
    string(REPLACE "${semicolonStandIn}" ";" text "${text}")
    string(APPEND template "\r\n[${text}]\r\n${text}\r\n")
endforeach()

# --- The install note ------------------------------------------------------------------
# Each zip says which Miranda IM it is for: a host loads only plug-ins built
# for its own word size.
if(ZIP MATCHES "-x64\\.zip$")
    set(HOST_KIND "64-bit Miranda IM (0.10)")
    set(OTHER_BUILD "This is the build for 64-bit Miranda IM. A 32-bit Miranda IM needs the\nzip without -x64 in its name.")
else()
    set(HOST_KIND "32-bit Miranda IM (0.3 to 0.10)")
    set(OTHER_BUILD "This is the build for 32-bit Miranda IM. A 64-bit Miranda IM needs the\nzip with -x64 in its name.")
endif()
file(READ ${NOTE} note)
string(CONFIGURE "${note}" note @ONLY)
string(REPLACE "\r\n" "\n" note "${note}")
string(REPLACE "\n" "\r\n" note "${note}")

# --- Staging and the zip ---------------------------------------------------------------
# Staged afresh, so that nothing left from an earlier layout slips into the zip.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/Plugins ${STAGE}/Docs)
file(COPY_FILE ${DLL} ${STAGE}/Plugins/Quillmere.dll)
file(WRITE ${STAGE}/Docs/Quillmere-translation.txt "${template}")
file(WRITE ${STAGE}/Docs/Quillmere-install.txt "${note}")

file(REMOVE ${ZIP})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip
            Plugins/Quillmere.dll Docs/Quillmere-translation.txt Docs/Quillmere-install.txt
    WORKING_DIRECTORY ${STAGE}
    RESULT_VARIABLE zipResult)
if(NOT zipResult EQUAL 0)
    message(FATAL_ERROR "Could not write ${ZIP}")
endif()
list(LENGTH texts textCount)
message(STATUS "${ZIP}: the DLL, ${textCount} texts to translate, the install note")
