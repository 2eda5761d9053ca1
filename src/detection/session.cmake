# Session probe and cloud instance probe.
add_library(farlink_session STATIC
  RemoteType.cpp
  SessionBuffer.cpp
  SessionFacts.cpp
  SessionCache.cpp
  CitrixSession.cpp
  HorizonSession.cpp
  SessionProbe.cpp
  VendorLibrary.cpp
  CWmiSupport.cpp
  CAwsSupport.cpp
  CloudProbeSeams.cpp
)
target_link_libraries(farlink_session PUBLIC
  farlink_win wtsapi32 user32 advapi32 urlmon ole32 oleaut32 wbemuuid uuid)
