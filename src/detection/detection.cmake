# Component model, detector, process scan, components and installation support.
add_library(farlink_detection STATIC
  AwsComponent.cpp
  AzureComponent.cpp
  CInstallSupport.cpp
  HorizonComponent.cpp
  IcaComponent.cpp
  IsWow64.cpp
  RdpComponent.cpp
  RdpGlassComponent.cpp
  ReinstallFeature.cpp
  RemoteBaseComponent.cpp
  RemoteComponentDetector.cpp
  RemoteComponentDetectorScan.cpp
  RemoteComponentList.cpp
)
target_link_libraries(farlink_detection PUBLIC
  farlink_session farlink_win farlink_options psapi msi shell32 shlwapi advapi32)
