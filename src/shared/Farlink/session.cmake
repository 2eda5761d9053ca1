# Session probe and cloud instance probe.
add_library(farlink_session STATIC
  SessionProbe.cpp
)
target_link_libraries(farlink_session PUBLIC farlink_win)
