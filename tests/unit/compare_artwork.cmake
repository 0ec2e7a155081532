# Runs the artwork generator into a fresh folder and compares each file with the committed one.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${TOOL} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "sign_artwork failed: ${result}")
endif()
foreach(name sign_large.bmp sign_medium.bmp sign_small.bmp icon_letter.ico icon_dots.ico
             setup_sidebar.bmp)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${COMMITTED}/${name}
                    RESULT_VARIABLE differ)
    if(NOT differ EQUAL 0)
        message(FATAL_ERROR "${name} differs from what tools/sign_artwork draws")
    endif()
endforeach()
