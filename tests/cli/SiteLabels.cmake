# Included by ctest after the discovered cli_end_to_end_tests: a main panel's backup and verify in
# real time take about five minutes, so that case is slow and starts first.
set_tests_properties("FourControllers.BackUpThenVerifyAgainstTheNewestBackups"
    PROPERTIES LABELS slow TIMEOUT 1200 COST 1000)
