# The pages of the wizard and their dialog templates; part of the GUI library.
target_sources(zorvex_gui PRIVATE
  ${PROJECT_SOURCE_DIR}/host/wizard_page.cpp
  ${PROJECT_SOURCE_DIR}/resources/dialog_templates.cpp
)
