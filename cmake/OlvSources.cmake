# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Olvessa.project developers
# Every library, program and test binary names its sources; a listed file that is missing stops
# the configure, so no piece of the build can silently drop out.
function(olv_require_sources)
    foreach(source ${ARGN})
        if(NOT IS_ABSOLUTE ${source})
            set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
        endif()
        if(NOT EXISTS ${source})
            message(FATAL_ERROR "Missing source file: ${source}")
        endif()
    endforeach()
endfunction()
