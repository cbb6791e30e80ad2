#include "host/wizard_app.h"

#include "host/wizard_page.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// The page numbers are counted in 64 bits: the host's page offset may be any int.
std::string Caption(const std::string& title, int64_t page, int64_t pageCount)
{
    return "Tarnwick Plug-In Manager - " + title + " [page " + std::to_string(page) + " of " + std::to_string(pageCount)
        + "]";
}

// Gives the page its caption, its step line and its buttons, as page index of lastIndex.
void LabelPage(WizardPage& page, const std::string& title, int pageOffset, int index, int lastIndex)
{
    page.caption = Caption(title, int64_t(pageOffset) + index, int64_t(pageOffset) + lastIndex);
    page.stepDescription = "Step " + std::to_string(int64_t(pageOffset) + index) + " of "
        + std::to_string(int64_t(pageOffset) + lastIndex) + ": " + page.Title();
    if (index == 1)
        page.buttonMode = pageOffset > 0 ? ButtonMode::FirstPageBackAllowed : ButtonMode::FirstPage;
    else if (index == lastIndex)
        page.buttonMode = ButtonMode::LastPage;
    else
        page.buttonMode = ButtonMode::MiddlePage;
}

} // namespace

void WizardApp::RunPageLoop()
{
    result = PageResult::Next;
    if (silent) {
        result = PageResult::Finish;
    } else {
        const int pageOffset = commandLine.pageOffset;
        PageResult lastDirection = PageResult::Finish; // only Back has an effect
        while (result != PageResult::Cancel && currentPage != 0 && currentPage < int(pages.size())) {
            const int lastIndex = int(pages.size()) - 1;
            WizardPage& page = *pages[size_t(currentPage)];
            LabelPage(page, title, pageOffset, currentPage, lastIndex);

            int steps = page.StepCount();
            bool skip = false;
            if (steps <= 0) {
                steps = 1;
                skip = true;
            }
            int step = lastDirection == PageResult::Back ? steps - 1 : 0;
            while (step < steps) {
                if (page.IsShown() && !skip) {
                    page.SetStep(step);
                    page.ShowModal();
                    result = page.result;
                }
                ++step;
                if (result == PageResult::Finish && !CanFinish()) {
                    result = PageResult::Next;
                } else if (currentPage == 1 && (result == PageResult::Back || result == PageResult::Finish)) {
                    currentPage = 0;
                } else if (currentPage == lastIndex && (result == PageResult::Next || result == PageResult::Finish)) {
                    currentPage = 0;
                    result = PageResult::Finish;
                } else {
                    if (result == PageResult::Back)
                        step = std::max(step - 2, -1);
                    if ((step == steps && result == PageResult::Next) || (step == -1 && result == PageResult::Back)) {
                        currentPage += static_cast<int>(result);
                        lastDirection = result;
                        break;
                    }
                }
                if (result == PageResult::Finish || result == PageResult::Cancel)
                    break;
                if (currentPage == 0)
                    break;
            }
            if (result == PageResult::Finish)
                break;
        }
    }

    if (result == PageResult::Finish || (currentPage == 0 && result == PageResult::Back))
        FinishWizard();
    else if (result == PageResult::Cancel)
        RemoveRetrievalInfo();
    ReleasePages();
}
