# Component model, detector, process scan, components and installation support.
add_library(farlink_detection STATIC
  AwsComponent.cpp
  AzureComponent.cpp
  CInstallSupport.cpp
  HorizonComponent.cpp
  IcaComponent.cpp
  IsWow64.cpp
  ModuleCompanion.cpp
  RdpComponent.cpp
  RdpGlassComponent.cpp
  ReinstallFeature.cpp
  RemoteBaseComponent.cpp
  RemoteComponentDetector.cpp
  RemoteComponentDetectorScan.cpp
  RemoteComponentList.cpp
)
target_link_libraries(farlink_detection PUBLIC farlink_module_search
  farlink_session farlink_win farlink_options psapi msi shell32 shlwapi advapi32)

# The module search, shared with the 64-bit companion (src/scan64).
add_library(farlink_module_search STATIC ModuleSearch.cpp)
target_link_libraries(farlink_module_search PUBLIC farlink_options psapi)
