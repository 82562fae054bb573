# Included by ctest after the discovered device_server_tests: the main panel round trips are the
# longest, so a high cost makes ctest start them first and run the rest beside them.
set(round_trip "ThroughSer2net/DeviceServerRoundTrip.IdentifyBackUpAndRestoreGiveTheSameMemory")
foreach(route main_tcp main_rfc2217)
    set_tests_properties("${round_trip}/${route}  # GetParam() = ${route}" PROPERTIES COST 1000)
endforeach()
