#pragma once

#include "host/page_result.h"
#include "platform/dialog.h"

#include <memory>
#include <string>

class WizardApp;

// Control ids of the button row and its separator.
constexpr int kFinishButton = 10;
constexpr int kBackButton = 11;
constexpr int kNextButton = 12;
constexpr int kCancelButton = 2;
constexpr int kSeparator = 14;

// The narrowest page window, and the height the button row with its separator adds below the
// template's controls.
constexpr int kMinimumPageWidth = 269;
constexpr int kButtonRowHeight = 43;
// The bottom edge of the classic dialog frame, which lies between the template and the separator.
constexpr int kClassicFrame = 3;

// A page of the wizard: a modal dialog built from its template each time it is shown, with the
// Cancel, Back, Next and Finish row under a separator line, placed at the shared screen corner.
class WizardPage : public DialogHandler {
public:
    explicit WizardPage(int templateId);
    ~WizardPage() override;

    int templateId() const { return templateId_; }
    // Set by WizardApp::AddPage; the application's services (messages, host values) go through it.
    void SetApp(WizardApp* app) { app_ = app; }
    WizardApp* app() const { return app_; }

    // Builds the window from the template and runs it until the page is left; `result` then tells
    // how. A dialog that cannot be shown leaves `result` as it was.
    virtual void ShowModal();

    virtual bool InitPage();
    virtual void LayOut();
    virtual bool PrepareLeave();
    virtual void OnBack();
    virtual void OnNext();
    virtual void OnFinish();
    virtual bool Validate() { return true; }
    virtual bool IsShown() { return true; }
    virtual void LoadSettings() {}
    virtual void StoreSettings() {}
    virtual int StepCount() { return 1; }
    virtual void SetStep(int value) { step = value; }
    virtual int GetStep() { return step; }

    // DialogHandler
    bool OnInitDialog() override { return InitPage(); }
    void OnCommand(int id, Notification code) override;
    void OnOk() override { OnNext(); }
    void OnCancel() override;
    void OnHelp() override;

    ButtonMode buttonMode = ButtonMode::FirstPageBackAllowed;
    PageResult result = PageResult::Next;
    std::string caption;
    int step = 0;
    // What a screen reader reads as the window's description ("Step 2 of 4: Characteristics");
    // set by the page loop before showing.
    std::string stepDescription;

    // The page's name in the step description: the template's caption unless a page names itself.
    virtual std::string Title() const;

protected:
    // The window while the page is shown, else null.
    Dialog* dialog() const { return dialog_; }
    // Leaves the page with the given result after PrepareLeave and Validate agree.
    void Leave(PageResult how);
    // Builds the page's window from dialogTemplate and runs it until the page is left.
    void RunDialog(const DialogTemplate& dialogTemplate);

    int separatorWidth_ = 0; // the page window's width before layout

    // The button row's fixed lengths in pixels of the dialog font.
    static int MinimumPageWidth();
    // The height the button row adds below the template.
    int ButtonRowHeight() const;

private:
    // Tells the host where the window's lower-right corner is, when its thread is known.
    void PostPageExit();

    int templateId_;
    WizardApp* app_ = nullptr;
    Dialog* dialog_ = nullptr;
    const DialogTemplate* template_ = nullptr;
};
