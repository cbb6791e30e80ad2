#include "host/wizard_page.h"

#include "host/host_values.h"
#include "host/wizard_app.h"
#include "platform/dialog_template.h"
#include "platform/host_message.h"
#include "resources/dialog_templates.h"

#include <algorithm>
#include <cstdint>

namespace {

// The dialog codes of the framework's accept and cancel.
constexpr int kAcceptCode = 1;
constexpr int kCancelCode = 2;

// Places a window of the given size so that its far edge lies at `corner`, then pushes it back
// inside [low, high]: the near edge first, else the far edge. Computed in 64 bits because the
// corner may come from the command line and hold any value.
void PlaceSpan(int corner, int size, int low, int high, int& nearEdge, int& farEdge)
{
    int64_t first = int64_t(corner) - size;
    int64_t last = corner;
    if (first < low) {
        first = low;
        last = first + size;
    } else if (corner > high) {
        last = high;
        first = last - size;
    }
    nearEdge = int(first);
    farEdge = int(last);
}

} // namespace

WizardPage::WizardPage(int templateId) : templateId_(templateId)
{
}

WizardPage::~WizardPage() = default;

void WizardPage::ShowModal()
{
    const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId_);
    if (dialogTemplate != nullptr)
        RunDialog(*dialogTemplate);
}

void WizardPage::RunDialog(const DialogTemplate& dialogTemplate)
{
    Dialog window(dialogTemplate, *this);
    dialog_ = &window;
    template_ = &dialogTemplate;
    window.RunModal();
    dialog_ = nullptr;
    template_ = nullptr;
}

namespace {

// Disables the button the page's place in the sequence has no use for and makes the default one.
void EnableButtons(Dialog& window, ButtonMode mode)
{
    switch (mode) {
    case ButtonMode::FirstPage:
        window.EnableControl(kBackButton, false);
        window.SetDefaultButton(kFinishButton, false);
        window.SetDefaultButton(kNextButton, true);
        break;
    case ButtonMode::LastPage:
        window.EnableControl(kNextButton, false);
        window.SetDefaultButton(kFinishButton, false);
        window.SetDefaultButton(kFinishButton, true);
        break;
    case ButtonMode::FirstPageBackAllowed:
    case ButtonMode::MiddlePage:
        break;
    }
}

} // namespace

bool WizardPage::InitPage()
{
    Dialog& window = *dialog_;
    if (!template_->caption.empty())
        window.SetWindowText(caption + " -- " + template_->caption);
    else
        window.SetWindowText(caption);

    window.SetWindowDescription(stepDescription);

    LayOut();

    // The corner, the desktop and the outer rectangle are in the screen's device pixels, as the
    // host gives and takes the corner.
    HostValues& values = hostValues();
    const Rect desktop = DesktopRect();
    Rect outer = window.ScreenRect();
    const int width = outer.width();
    const int height = outer.height();
    if (values.cornerKnown) {
        PlaceSpan(values.cornerX, width, desktop.left, desktop.right, outer.left, outer.right);
        PlaceSpan(values.cornerY, height, desktop.top, desktop.bottom, outer.top, outer.bottom);
    } else {
        const int centreX = (desktop.left + desktop.right) / 2;
        const int centreY = (desktop.top + desktop.bottom) / 2;
        outer.left = centreX - width / 2;
        outer.top = centreY - height / 2;
        outer.right = outer.left + width;
        outer.bottom = outer.top + height;
        values.cornerX = centreX + width / 2;
        values.cornerY = centreY + height / 2;
        values.cornerKnown = true;
    }
    window.PlaceOnScreen(outer);

    // The button row is measured from the outer rectangle as placed, then expressed in client
    // coordinates for the child windows. Its lengths grow with the dialog font, as the
    // template's dialog units do, so that larger text keeps its room.
    outer = window.WindowRect();
    const int right = outer.right - outer.left - window.ClientOffsetX();
    const int bottom = outer.bottom - outer.top - window.ClientOffsetY();
    const auto row = [&](int leftOffset, int rightOffset) {
        return Rect{right - FontPixelsX(leftOffset), bottom - FontPixelsY(33), right - FontPixelsX(rightOffset),
                    bottom - FontPixelsY(10)};
    };
    window.CreateButton(kNextButton, "&Next >", row(133, 73), true, true);
    window.CreateButton(kBackButton, "< &Back", row(196, 136), true, false);
    window.CreateButton(kCancelButton, "Cancel", row(259, 199), true, false);
    window.CreateButton(kFinishButton, "&Finish", row(70, 10), true, false);
    const int separatorLeft =
        separatorWidth_ > MinimumPageWidth() ? right - separatorWidth_ + FontPixelsX(10) : right - FontPixelsX(259);
    window.CreateBlackRect(
        kSeparator, Rect{separatorLeft, bottom - FontPixelsY(43), right - FontPixelsX(10), bottom - FontPixelsY(41)});

    EnableButtons(window, buttonMode);
    return true;
}

void WizardPage::LayOut()
{
    Dialog& window = *dialog_;
    const Rect outer = window.WindowRect();
    const int width = outer.width();
    const int height = outer.height();
    separatorWidth_ = width;
    const int newWidth = std::max(width, MinimumPageWidth());
    window.MoveWindow(Rect{outer.left, outer.top, outer.left + newWidth, outer.top + height + ButtonRowHeight()});
}

int WizardPage::MinimumPageWidth()
{
    return FontPixelsX(kMinimumPageWidth);
}

int WizardPage::ButtonRowHeight() const
{
    // The separator hangs from the outer bottom edge, so a frame thinner than the classic
    // dialog's would bring it up against the template's lowest controls: the row grows by what
    // the frame lacks.
    const Dialog& window = *dialog_;
    const int bottomFrame = window.WindowRect().height() - window.ClientOffsetY() - window.ClientRect().height();
    return FontPixelsY(kButtonRowHeight) + std::max(0, FontPixelsY(kClassicFrame) - bottomFrame);
}

std::string WizardPage::Title() const
{
    const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId_);
    return dialogTemplate != nullptr ? dialogTemplate->caption : std::string();
}

bool WizardPage::PrepareLeave()
{
    // In device pixels, as the host takes the corner.
    const Rect outer = dialog_->ScreenRect();
    HostValues& values = hostValues();
    values.cornerX = outer.right;
    values.cornerY = outer.bottom;
    return true;
}

void WizardPage::OnBack()
{
    Leave(PageResult::Back);
}

void WizardPage::OnNext()
{
    Leave(PageResult::Next);
}

void WizardPage::OnFinish()
{
    Leave(PageResult::Finish);
}

void WizardPage::Leave(PageResult how)
{
    if (!PrepareLeave())
        return;
    if (!Validate())
        return;
    result = how;
    PostPageExit();
    dialog_->EndDialog(kAcceptCode);
}

void WizardPage::OnCancel()
{
    // The corner is posted as it stands: a page left by Cancel does not record where it was.
    result = PageResult::Cancel;
    PostPageExit();
    dialog_->EndDialog(kCancelCode);
}

void WizardPage::PostPageExit()
{
    const HostValues& values = hostValues();
    if (values.hostThreadKnown && app_ != nullptr)
        app_->messenger().PostPageExit(values.hostThreadId, values.cornerX, values.cornerY);
}

void WizardPage::OnCommand(int id, Notification code)
{
    if (code != Notification::Clicked)
        return;
    switch (id) {
    case kBackButton:
        OnBack();
        break;
    case kNextButton:
        OnNext();
        break;
    case kFinishButton:
        OnFinish();
        break;
    default:
        break;
    }
}

void WizardPage::OnHelp()
{
    if (app_ != nullptr)
        app_->OnHelp();
}
