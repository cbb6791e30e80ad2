#pragma once

#include "platform/gui_backend.h"

// The GUI backend on Qt Widgets: one QApplication for the process, dialogs as QtDialogImpl,
// message boxes as QMessageBox.
class QtGuiBackend : public GuiBackend {
public:
    bool EnsureApplication(const std::string& platform) override;
    std::unique_ptr<DialogImpl> CreateDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler) override;
    DialogBaseUnits BaseUnits() override;
    Rect DesktopRect() override;
    void ShowMessageBox(const std::string& title, const std::string& text) override;
};
