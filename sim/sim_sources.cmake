# The simulated drive's sources, shared by the library of the build trees and
# by the SG_IO shim's own build (sg_io_shim/).
set(QUILLAN_SIM_SOURCES
  sim_result.cpp sim_fault.cpp sim_flash_page.cpp sim_drive.cpp sim_aspi.cpp sim_aspi_entry.cpp
  sim_config.cpp sim_event_format.cpp sim_event_log.cpp sim_image_files.cpp sim_wine_path.cpp
  sim_session.cpp)
list(TRANSFORM QUILLAN_SIM_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
