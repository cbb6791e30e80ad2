#pragma once

#include "platform/dialog_template.h"

// Template ids of the pages.
constexpr int kAlgorithmTemplate = 124;
constexpr int kCharacteristicsTemplate = 125;
constexpr int kMemoryTemplate = 126;
constexpr int kSummaryTemplate = 1000;

// The page template with the given id, or null when there is none.
const DialogTemplate* FindDialogTemplate(int id);
