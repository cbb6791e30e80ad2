# The pages of the wizard and their dialog templates; part of the GUI library.
target_sources(zorvex_gui PRIVATE
  ${PROJECT_SOURCE_DIR}/host/preview_page.cpp
  ${PROJECT_SOURCE_DIR}/host/preview_panel.cpp
  ${PROJECT_SOURCE_DIR}/host/summary_page.cpp
  ${PROJECT_SOURCE_DIR}/host/wizard_page.cpp
  ${PROJECT_SOURCE_DIR}/interleaver/algorithm_page.cpp
  ${PROJECT_SOURCE_DIR}/interleaver/characteristics_page.cpp
  ${PROJECT_SOURCE_DIR}/interleaver/memory_page.cpp
  ${PROJECT_SOURCE_DIR}/interleaver/refresh_preview.cpp
  ${PROJECT_SOURCE_DIR}/interleaver/user_guide.cpp
  ${PROJECT_SOURCE_DIR}/resources/dialog_templates.cpp
)
