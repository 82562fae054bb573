# Included by ctest after the discovered cli_end_to_end_tests; the names are as discovered.
# A high cost makes ctest start the long round trips first, so the rest run beside them.
set(round_trip "EveryModel/PanelFileRoundTrip.BackupThenRestoreIntoAClearedTwinGivesTheSameMemory")
foreach(model main lan490 lan600 lan602)
    set(cost 300)
    if(model STREQUAL "main" OR model STREQUAL "lan490")
        set(cost 1000)
    endif()
    set_tests_properties("${round_trip}/${model}  # GetParam() = ${model}"
        PROPERTIES LABELS slow TIMEOUT 900 COST ${cost})
endforeach()
