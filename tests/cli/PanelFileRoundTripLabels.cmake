# Included by ctest after the discovered cli_end_to_end_tests; the names are as discovered.
set(round_trip "EveryModel/PanelFileRoundTrip.BackupThenRestoreIntoAClearedTwinGivesTheSameMemory")
foreach(model main lan490 lan600 lan602)
    set_tests_properties("${round_trip}/${model}  # GetParam() = ${model}"
        PROPERTIES LABELS slow TIMEOUT 900)
endforeach()
