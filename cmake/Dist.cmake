# The release zip, laid out as the host's own folder: the DLL under Plugins/,
# the translation template and the install note under Docs/. Built with
# everything else, and again whenever the DLL, its texts or the note change.
set(QM_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
# The 64-bit host's zip is told apart by its name.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QM_DIST_NAME Quillmere-${PROJECT_VERSION}-x64)
else()
    set(QM_DIST_NAME Quillmere-${PROJECT_VERSION})
endif()
set(QM_DIST_ZIP ${CMAKE_BINARY_DIR}/${QM_DIST_NAME}.zip)
set(QM_INTERFACE_TEXTS ${CMAKE_SOURCE_DIR}/plugin/InterfaceTexts.h)
set(QM_INSTALL_NOTE ${CMAKE_SOURCE_DIR}/cmake/dist-install-note.txt)

add_custom_command(
    OUTPUT ${QM_DIST_ZIP}
    BYPRODUCTS ${QM_DIST_DIR}/Plugins/Quillmere.dll
               ${QM_DIST_DIR}/Docs/Quillmere-translation.txt
               ${QM_DIST_DIR}/Docs/Quillmere-install.txt
    COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:Quillmere> -DTEXTS=${QM_INTERFACE_TEXTS}
            -DNOTE=${QM_INSTALL_NOTE} -DPROJECT_VERSION=${PROJECT_VERSION}
            -DSTAGE=${QM_DIST_DIR} -DZIP=${QM_DIST_ZIP}
            -P ${CMAKE_SOURCE_DIR}/cmake/MakeDist.cmake
    # The target name makes the zip wait for the DLL and follow its rebuilds.
    DEPENDS Quillmere ${QM_INTERFACE_TEXTS} ${QM_INSTALL_NOTE} ${CMAKE_SOURCE_DIR}/cmake/MakeDist.cmake
    COMMENT "Packing ${QM_DIST_NAME}.zip"
    VERBATIM)
add_custom_target(QuillmereDist ALL DEPENDS ${QM_DIST_ZIP})
